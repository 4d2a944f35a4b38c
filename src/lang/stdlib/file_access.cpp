#include "lang/stdlib/file_access.h"

#include <algorithm>
#include <new>

#include <QByteArray>
#include <QFile>

#include "lang/report.h"
#include "lang/save_refusal.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "platform/atomic_file.h"

namespace pravella {

UniqueFile openLanguageFile(std::string_view name, const char* mode) {
  return UniqueFile(vk_fopen(name, mode));
}

bool resolveLanguagePath(std::string_view name, std::string& full) {
  if (!changeFullPath(name, full, kPathBytes)) return false;
  NowLoadSaveName = full;
  return true;
}

namespace {

// Failures name the file as the program gave it.
QString shownName(std::string_view name) {
  return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

}  // namespace

bool writeLanguageFile(std::string_view name, std::string_view bytes, std::int64_t zeros) {
  std::string full;
  if (!resolveLanguagePath(name, full)) return false;
  const QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return reportedSave(writeFileAtomicallyAt(QFile::decodeName(full.c_str()), zeros, data, shownName(name)));
}

bool writeLanguageFileInPieces(std::string_view name, const std::function<std::string_view()>& next) {
  std::string full;
  if (!resolveLanguagePath(name, full)) return false;
  const PieceSource pieces = [&next]() -> QByteArrayView {
    const std::string_view piece = next();
    return QByteArrayView(piece.data(), static_cast<qsizetype>(piece.size()));
  };
  return reportedSave(writeFileAtomicallyInPieces(QFile::decodeName(full.c_str()), pieces, shownName(name)));
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
