#include "lang/stdlib/shift_jis_file.h"

#include <QByteArray>
#include <QString>

#include <string>

#include "editors/text_services.h"
#include "lang/variables.h"
#include "platform/atomic_file.h"

bool saveShiftJIS(const char* utf8, const char* fileName) {
  std::string bytes;
  if (!stringToShiftJIS(utf8, bytes)) return false;
  std::string path;
  if (!changeFullPath(fileName, path)) return false;
  return pravella::writeFileAtomically(QString::fromStdString(path),
                                       QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())))
      .ok;
}
