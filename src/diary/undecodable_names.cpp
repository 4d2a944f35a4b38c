#include "diary/undecodable_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "diary/day_documents.h"
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

// An escaped stem cut to at most `room` bytes of UTF-8, never inside a "\\xHH" or a character.
QString cutEscaped(const QString& stem, qsizetype room) {
  qsizetype end = 0;
  while (end < stem.size()) {
    qsizetype width = 1;
    if (stem.at(end) == QLatin1Char('\\'))
      width = 4;
    else if (stem.at(end).isHighSurrogate() && end + 1 < stem.size())
      width = 2;
    const qsizetype bytes = QStringView(stem).mid(end, width).toUtf8().size();
    if (bytes > room) break;
    room -= bytes;
    end += width;
  }
  return stem.left(end);
}

// The `number`th name the entry escaped as `escaped` may be shown with: the escaped name
// itself (0), else with ".%03d" before its extension; cut to what one file name holds.
QString candidateName(const QString& escaped, int number) {
  QString ext = QStringLiteral(".") + fileExtension(escaped);
  QString stem = withoutExtension(escaped);
  // An extension that leaves the stem no room is no extension.
  if (ext.size() == 1 || ext.toUtf8().size() > kLongestFileName / 2) {
    ext.clear();
    stem = escaped;
  }
  const QString tail = (number > 0 ? QString::fromStdString(cformat(".%03d", number)) : QString()) + ext;
  return cutEscaped(stem, kLongestFileName - tail.toUtf8().size()) + tail;
}

// Counters past this are not tried: the loop must end.
constexpr int kMaxNumber = 999;

struct Undecodable {
  QByteArray raw;
  QString shown;
};

// Each entry of `folder` that is no UTF-8 with the name it is listed under: its escaped name
// when no other entry bears it and it fits into a file name, else the first free numbered or
// shortened one, so that every entry is listed once and can take its shown name on disk.
std::vector<Undecodable> undecodableNames(const QString& folder) {
  std::vector<Undecodable> found;
  std::set<QByteArray> taken;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(QFile::encodeName(folder).constData()), ::closedir);
  if (!dir) return found;
  while (const dirent* entry = ::readdir(dir.get())) {
    const QByteArray raw(entry->d_name);
    taken.insert(raw);
    if (!isUtf8(raw)) found.push_back({raw, QString()});
  }
  // The same names in the same order however the folder lists them.
  std::sort(found.begin(), found.end(),
            [](const Undecodable& a, const Undecodable& b) { return a.raw < b.raw; });
  // Every escaped name first: a numbered name never takes another entry's own.
  for (Undecodable& u : found) {
    const QString shown = candidateName(escapedFileName(u.raw), 0);
    if (taken.insert(shown.toUtf8()).second) u.shown = shown;
  }
  for (Undecodable& u : found) {
    for (int n = 1; u.shown.isEmpty() && n <= kMaxNumber; ++n) {
      const QString shown = candidateName(escapedFileName(u.raw), n);
      if (taken.insert(shown.toUtf8()).second) u.shown = shown;
    }
  }
  found.erase(
      std::remove_if(found.begin(), found.end(), [](const Undecodable& u) { return u.shown.isEmpty(); }),
      found.end());
  return found;
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
  for (const Undecodable& u : undecodableNames(folder)) names.append(u.shown);
  return names;
}

std::optional<QByteArray> undecodableNameBytes(const QString& folder, const QString& shown) {
  if (shown.isEmpty()) return std::nullopt;
  for (const Undecodable& u : undecodableNames(folder))
    if (u.shown == shown) return u.raw;
  return std::nullopt;
}

bool renameUndecodable(const QString& folder, const QByteArray& raw, const QString& newName) {
  const QByteArray base = QFile::encodeName(folder) + '/';
  return renameWithoutReplacing(base + raw, base + QFile::encodeName(newName));
}

ClaimedName claimShownName(const QString& folder, const QString& shown) {
  ClaimedName claimed{shown, QString()};
  const std::optional<QByteArray> raw = undecodableNameBytes(folder, shown);
  if (raw && !renameUndecodable(folder, *raw, shown)) {
    claimed.error = QStringLiteral("The document %1 cannot be given that name: %2")
                        .arg(shown, QString::fromLocal8Bit(std::strerror(errno)));
    showErrMessageToConsole((claimed.error + QLatin1Char('\n')).toStdString());
  }
  return claimed;
}

}  // namespace pravella
