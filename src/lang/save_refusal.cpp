#include "lang/save_refusal.h"

#include "lang/report.h"

namespace pravella {

bool reportedSave(const WriteResult& written) {
  if (!written) error_disp(written.error.toStdString());
  return written.ok;
}

}  // namespace pravella
