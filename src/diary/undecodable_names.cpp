#include "diary/undecodable_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <QFile>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/cformat.h"
#include "platform/console_log.h"

namespace pravella {

namespace {

// The length of the well-formed UTF-8 character at s[i], or 0 when the byte there starts none
// (overlong forms, surrogates and code points past U+10FFFF start none).
int characterLength(const QByteArray& s, qsizetype i) {
  const auto at = [&](qsizetype k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = at(i);
  if (c < 0x80) return 1;
  int n = 0;
  unsigned char low = 0x80, high = 0xBF;  // the bounds of the second byte
  if (c >= 0xC2 && c <= 0xDF) n = 2;
  else if (c == 0xE0) n = 3, low = 0xA0;
  else if (c == 0xED) n = 3, high = 0x9F;
  else if (c >= 0xE1 && c <= 0xEF) n = 3;
  else if (c == 0xF0) n = 4, low = 0x90;
  else if (c >= 0xF1 && c <= 0xF3) n = 4;
  else if (c == 0xF4) n = 4, high = 0x8F;
  else return 0;
  if (i + n > s.size() || at(i + 1) < low || at(i + 1) > high) return 0;
  for (int k = 2; k < n; ++k)
    if (at(i + k) < 0x80 || at(i + k) > 0xBF) return 0;
  return n;
}

bool isUtf8(const QByteArray& s) {
  for (qsizetype i = 0; i < s.size();) {
    const int n = characterLength(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

int hexValue(QChar c) {
  if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return c.unicode() - '0';
  if (c >= QLatin1Char('A') && c <= QLatin1Char('F')) return c.unicode() - 'A' + 10;
  return -1;
}

// The bytes an escaped name was made from; nullopt for text no escaping gives.
std::optional<QByteArray> unescaped(const QString& shown) {
  QByteArray raw;
  qsizetype from = 0;
  for (qsizetype i = 0; i < shown.size(); ++i) {
    if (shown[i] != QLatin1Char('\\')) continue;
    if (i + 3 >= shown.size() || shown[i + 1] != QLatin1Char('x')) return std::nullopt;
    const int high = hexValue(shown[i + 2]), low = hexValue(shown[i + 3]);
    if (high < 0 || low < 0) return std::nullopt;
    raw += QStringView(shown).mid(from, i - from).toUtf8();
    raw += static_cast<char>(high * 16 + low);
    i += 3;
    from = i + 1;
  }
  raw += QStringView(shown).mid(from).toUtf8();
  return raw;
}

bool entryExists(const QByteArray& path) {
  struct stat st;
  return ::lstat(path.constData(), &st) == 0;
}

}  // namespace

QString escapedFileName(const QByteArray& raw) {
  if (isUtf8(raw)) return QString::fromUtf8(raw);
  QByteArray shown;
  for (qsizetype i = 0; i < raw.size();) {
    const int n = characterLength(raw, i);
    if (n == 0 || raw[i] == '\\') {
      shown += cformat("\\x%02X", static_cast<unsigned char>(raw[i])).c_str();
      ++i;
    } else {
      shown += raw.mid(i, n);
      i += n;
    }
  }
  return QString::fromUtf8(shown);
}

QStringList undecodableEntries(const QString& folder) {
  QStringList names;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(QFile::encodeName(folder).constData()), ::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const QByteArray raw(entry->d_name);
    if (!isUtf8(raw)) names.append(escapedFileName(raw));
  }
  return names;
}

std::optional<QByteArray> undecodableNameBytes(const QString& folder, const QString& shown) {
  if (!shown.contains(QLatin1Char('\\'))) return std::nullopt;
  const std::optional<QByteArray> raw = unescaped(shown);
  if (!raw || raw->isEmpty() || raw->contains('/') || isUtf8(*raw) || escapedFileName(*raw) != shown)
    return std::nullopt;
  const QByteArray base = QFile::encodeName(folder) + '/';
  // A file that really bears the shown name is the one the row means.
  if (entryExists(base + shown.toUtf8()) || !entryExists(base + *raw)) return std::nullopt;
  return raw;
}

bool renameUndecodable(const QString& folder, const QByteArray& raw, const QString& newName) {
  const QByteArray base = QFile::encodeName(folder) + '/';
  const QByteArray from = base + raw, to = base + QFile::encodeName(newName);
  if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  // A file system that cannot refuse a taken name by itself.
  if (entryExists(to)) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.constData(), to.constData()) == 0;
}

QString claimShownName(const QString& folder, const QString& shown) {
  const std::optional<QByteArray> raw = undecodableNameBytes(folder, shown);
  if (raw && !renameUndecodable(folder, *raw, shown))
    showErrMessageToConsole("The document " + shown.toStdString() + " cannot be given that name: " +
                            std::strerror(errno) + "\n");
  return shown;
}

}  // namespace pravella
