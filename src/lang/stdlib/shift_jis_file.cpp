#include "lang/stdlib/shift_jis_file.h"

#include <QByteArray>
#include <QString>

#include <string>

#include "lang/values.h"
#include "lang/variables.h"
#include "platform/atomic_file.h"
#include "platform/text_encoding.h"

bool saveShiftJIS(const char* utf8, const char* fileName) {
  bool encoded = false;
  const QByteArray bytes = pravella::encoding::encodeLossy(QString::fromUtf8(utf8 ? utf8 : ""),
                                                           pravella::encoding::kShiftJIS, nullptr, &encoded);
  // Text the language could not hold as a string value is not saved either.
  if (!encoded ||
      static_cast<std::size_t>(bytes.size()) >= static_cast<std::size_t>(TNumber > 0 ? TNumber : 0) * 8)
    return false;
  std::string path;
  if (!changeFullPath(fileName, path)) return false;
  return pravella::writeFileAtomically(QString::fromStdString(path), bytes).ok;
}
