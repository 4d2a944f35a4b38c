#include "lang/stdlib/file_access.h"

#include <algorithm>
#include <new>

#include <QByteArray>
#include <QFile>

#include "lang/values.h"
#include "lang/variables.h"
#include "platform/atomic_file.h"
#include "platform/console_log.h"

namespace pravella {

UniqueFile openLanguageFile(std::string_view name, const char* mode) {
  return UniqueFile(vk_fopen(name, mode));
}

bool resolveLanguagePath(std::string_view name, std::string& full) {
  if (!changeFullPath(name, full, kPathBytes)) return false;
  NowLoadSaveName = full;
  return true;
}

bool writeLanguageFile(std::string_view name, std::string_view bytes, std::int64_t zeros) {
  std::string full;
  if (!resolveLanguagePath(name, full)) return false;
  const QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  const WriteResult written = writeFileAtomicallyAt(QFile::decodeName(full.c_str()), zeros, data);
  // The built-ins report their own fixed message; the system's reason goes to the console.
  if (!written) showErrMessageToConsole((written.error + QLatin1Char('\n')).toStdString());
  return written.ok;
}

bool readRest(std::FILE* f, std::string& bytes, std::size_t maxBytes) {
  char buf[65536];
  std::size_t n;
  try {
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
      if (n > maxBytes - std::min(maxBytes, bytes.size())) return false;
      bytes.append(buf, n);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return !std::ferror(f);
}

bool readExactly(std::FILE* f, void* into, std::size_t n) { return n == 0 || std::fread(into, 1, n, f) == n; }

}  // namespace pravella
