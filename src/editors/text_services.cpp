#include "editors/text_services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "lang/values.h"
#include "platform/file_copy.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/text_encoding.h"

float dateFontColor[3] = {0.3f, 0.2f, 0.7f};

namespace {

QString fromUtf8(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

std::size_t scratchBytes() { return static_cast<std::size_t>(TNumber > 0 ? TNumber : 0) * 8; }

// Gives `bytes` to `out` when they stay below `limit` bytes.
int deliver(const QByteArray& bytes, std::size_t limit, std::string& out) {
  if (static_cast<std::size_t>(bytes.size()) >= limit) return 0;
  out.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return 1;
}

// The char* forms: the same result, NUL-terminated in a scratch buffer.
template <typename F>
int intoBuffer(char* out, F&& f) {
  std::string s;
  const int r = f(s);
  if (r && out) {
    std::memcpy(out, s.data(), s.size());
    out[s.size()] = '\0';
  }
  return r;
}

int encodeTo(const char* text, const char* encoding, std::string& out) {
  bool ok = false;
  const QByteArray bytes = pravella::encoding::encodeLossy(fromUtf8(text), encoding, nullptr, &ok);
  return deliver(ok ? bytes : QByteArray(), scratchBytes(), out);
}

int decodeFrom(const char* bytes, const char* encoding, std::string& out) {
  bool ok = false;
  const QString text = pravella::encoding::decode(QByteArray(bytes ? bytes : ""), encoding, &ok);
  return deliver(ok ? text.toUtf8() : QByteArray(), scratchBytes(), out);
}

// A name not beginning with "/" is a path component under the working folder.
QString inWorkingFolder(const char* path) {
  const QString p = fromUtf8(path);
  if (p.startsWith(u'/') || current_fullPath.empty()) return p;
  QString base = QString::fromStdString(current_fullPath);
  while (base.size() > 1 && base.endsWith(u'/')) base.chop(1);
  return base == QLatin1String("/") ? base + p : base + u'/' + p;
}

// Anything at the path, a dangling symbolic link included.
bool somethingAt(const QString& path) {
  struct stat st;
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

}  // namespace

int strlenUTF8(const char* text) { return static_cast<int>(fromUtf8(text).size()); }

int searchStringUTF8(const char* text, const char* pattern) {
  const QString t = fromUtf8(text);
  const QString p = fromUtf8(pattern);
  if (p.isEmpty() || p.size() > t.size()) return -1;
  return static_cast<int>(t.indexOf(p, 0, Qt::CaseSensitive));
}

int leftStringUTF8(const char* text, int n, std::string& out) {
  const QString t = fromUtf8(text);
  const qsizetype k = std::clamp<qsizetype>(n, 0, t.size());
  return deliver(t.left(k).toUtf8(), scratchBytes(), out);
}
int leftStringUTF8(const char* text, int n, char* out) {
  return intoBuffer(out, [&](std::string& s) { return leftStringUTF8(text, n, s); });
}

int rightStringUTF8(const char* text, int n, std::string& out) {
  const QString t = fromUtf8(text);
  const qsizetype k = std::clamp<qsizetype>(n, 0, t.size());
  return deliver(t.right(k).toUtf8(), scratchBytes(), out);
}
int rightStringUTF8(const char* text, int n, char* out) {
  return intoBuffer(out, [&](std::string& s) { return rightStringUTF8(text, n, s); });
}

int stringToShiftJIS(const char* text, std::string& out) {
  return encodeTo(text, pravella::encoding::kShiftJIS, out);
}
int stringToShiftJIS(const char* text, char* out) {
  return intoBuffer(out, [&](std::string& s) { return stringToShiftJIS(text, s); });
}
int stringToJIS(const char* text, std::string& out) {
  return encodeTo(text, pravella::encoding::kIso2022JP, out);
}
int stringToJIS(const char* text, char* out) {
  return intoBuffer(out, [&](std::string& s) { return stringToJIS(text, s); });
}
int stringToEUC(const char* text, std::string& out) {
  return encodeTo(text, pravella::encoding::kEucJP, out);
}
int stringToEUC(const char* text, char* out) {
  return intoBuffer(out, [&](std::string& s) { return stringToEUC(text, s); });
}

int stringFromShiftJIS(const char* bytes, std::string& out) {
  return decodeFrom(bytes, pravella::encoding::kShiftJIS, out);
}
int stringFromShiftJIS(const char* bytes, char* out) {
  return intoBuffer(out, [&](std::string& s) { return stringFromShiftJIS(bytes, s); });
}
int stringFromJIS(const char* bytes, std::string& out) {
  return decodeFrom(bytes, pravella::encoding::kIso2022JP, out);
}
int stringFromJIS(const char* bytes, char* out) {
  return intoBuffer(out, [&](std::string& s) { return stringFromJIS(bytes, s); });
}
int stringFromEUC(const char* bytes, std::string& out) {
  return decodeFrom(bytes, pravella::encoding::kEucJP, out);
}
int stringFromEUC(const char* bytes, char* out) {
  return intoBuffer(out, [&](std::string& s) { return stringFromEUC(bytes, s); });
}

int getRTFDDocumentFromFilePath(const char* path, std::string& out) {
  const QString p = fromUtf8(path);
  // The extension test is exact: "RTFD" is not an RTFD document here.
  if (QFileInfo(p).suffix() != QLatin1String("rtfd")) return 0;
  const QByteArray text = pravella::plainTextOfRichTextFile(p).toUtf8();
  if (static_cast<std::size_t>(text.size()) > static_cast<std::size_t>(TNumber > 0 ? TNumber : 0)) return 0;
  out.assign(text.constData(), static_cast<std::size_t>(text.size()));
  return 1;
}
int getRTFDDocumentFromFilePath(const char* path, char* out) {
  return intoBuffer(out, [&](std::string& s) { return getRTFDDocumentFromFilePath(path, s); });
}

int moveFileForVK(const char* source, const char* target) {
  const QString from = inWorkingFolder(source);
  const QString to = inWorkingFolder(target);
  if (from.isEmpty() || to.isEmpty() || somethingAt(to) || !somethingAt(from)) return 0;
  if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) return 1;
  if (errno != EXDEV) return 0;
  // Another file system: copy, then remove the original only when the copy is whole.
  if (!pravella::copyRecursively(from, to)) {
    if (QFileInfo(to).isDir() && !QFileInfo(to).isSymLink())
      QDir(to).removeRecursively();
    else
      QFile::remove(to);
    return 0;
  }
  const QFileInfo info(from);
  const bool removed =
      info.isDir() && !info.isSymLink() ? QDir(from).removeRecursively() : QFile::remove(from);
  return removed ? 1 : 0;
}

void getUserDiaryPath(std::string& out) { out = pravella::paths::diary().toStdString(); }
void getUserDiaryPath(char* out) {
  std::string s;
  getUserDiaryPath(s);
  if (out && s.size() < scratchBytes()) {
    std::memcpy(out, s.data(), s.size());
    out[s.size()] = '\0';
  }
}

int fileExistsAtFullPath(const char* path) {
  const QFileInfo info(fromUtf8(path));
  if (!info.exists()) return 0;
  return info.isDir() ? 2 : 1;
}

void setDateFontColor(double red, double green, double blue) {
  auto inRange = [](double v) { return v >= 0.0 && v <= 1.0; };
  if (!inRange(red) || !inRange(green) || !inRange(blue)) return;
  dateFontColor[0] = static_cast<float>(red);
  dateFontColor[1] = static_cast<float>(green);
  dateFontColor[2] = static_cast<float>(blue);
}
