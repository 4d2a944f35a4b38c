#include "net/ftp/ftp_listing.h"

#include <QStringDecoder>

namespace pravella::ftp {

QStringList listingLines(const QString& output) {
  static const QString kinds = QStringLiteral("bcdlsw-");
  QStringList kept;
  for (const QString& l : output.split(QLatin1Char('\n'))) {
    if (!l.isEmpty() && kinds.contains(l.front())) kept << l;
  }
  return kept;
}

static std::optional<QString> nameAfterEighthWord(const QString& line) {
  qsizetype i = 0;
  const qsizetype n = line.size();
  for (int word = 0; word < 8; ++word) {
    while (i < n && line[i] == QLatin1Char(' ')) ++i;
    if (i == n) return std::nullopt;
    while (i < n && line[i] != QLatin1Char(' ')) ++i;
  }
  // The name stands one blank after the time field; further blanks belong to it (" lead.txt"
  // and "lead.txt" are two files).
  if (i == n || line[i] != QLatin1Char(' ')) return std::nullopt;
  QString name = line.mid(i + 1);
  if (line.startsWith(QLatin1Char('l'))) {
    const qsizetype arrow = name.indexOf(QLatin1String(" -> "));
    if (arrow >= 0) name.truncate(arrow);
  }
  // Tested after the arrow's cut: "00:00  -> target" names no link at all.
  if (name.trimmed().isEmpty()) return std::nullopt;
  return name;
}

QVector<Entry> parseListing(const QString& text) {
  QStringList pieces = text.split(QLatin1Char('\n'));
  pieces.removeLast();  // what follows the last line feed is no whole line
  QVector<Entry> entries;
  for (QString l : pieces) {
    if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    if (auto name = nameAfterEighthWord(l)) entries.append({l, *name});
  }
  return entries;
}

QString resultText(const QByteArray& bytes) {
  const qsizetype nul = bytes.indexOf('\0');
  const QByteArray head = nul < 0 ? bytes : bytes.left(nul);
  QStringDecoder decoder(QStringDecoder::Utf8);
  QString text = decoder.decode(head);
  if (decoder.hasError()) return {};
  return text;
}

QVector<Entry> withoutHidden(const QVector<Entry>& entries) {
  QVector<Entry> kept;
  for (const Entry& e : entries) {
    if (e.name.startsWith(QLatin1Char('.')) && e.name != QLatin1String("..")) continue;
    kept.append(e);
  }
  return kept;
}

static std::optional<QString> quotedPath(const QString& reply) {
  const qsizetype open = reply.indexOf(QLatin1Char('"'));
  if (open < 0) return std::nullopt;
  QString path;
  for (qsizetype i = open + 1; i < reply.size(); ++i) {
    if (reply[i] == QLatin1Char('"')) {
      if (i + 1 < reply.size() && reply[i + 1] == QLatin1Char('"')) {  // "" stands for one quote
        path += QLatin1Char('"');
        ++i;
        continue;
      }
      return path;
    }
    path += reply[i];
  }
  return std::nullopt;
}

std::optional<QString> currentDirectory(const QString& output) {
  std::optional<QString> remote;
  std::optional<QString> reply;
  for (QString l : output.split(QLatin1Char('\n'))) {
    if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    if (l.startsWith(QLatin1String("Remote directory: "))) {
      remote = l.mid(18);
    } else if (l.startsWith(QLatin1String("257 ")) || l.startsWith(QLatin1String("257-"))) {
      if (auto p = quotedPath(l)) reply = p;
    }
  }
  return remote ? remote : reply;
}

static bool isErrorReply(const QString& l) {
  return l.size() >= 4 && (l[0] == QLatin1Char('4') || l[0] == QLatin1Char('5')) && l[1].isDigit() &&
         l[2].isDigit() && (l[3] == QLatin1Char(' ') || l[3] == QLatin1Char('-'));
}

QString failureLine(const QString& output) {
  QString reply, own;
  bool notConnected = false;
  for (QString l : output.split(QLatin1Char('\n'))) {
    if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    if (reply.isEmpty() && isErrorReply(l)) reply = l;
    if (own.isEmpty() && l.startsWith(QLatin1String("ftp: "))) own = l;
    if (l.startsWith(QLatin1String("Not connected."))) notConnected = true;
  }
  // The server's first refusal says most; tnftp's own errors come after it on standard error
  // (a refused log-in is followed by "Can't bind for data connection").
  if (!reply.isEmpty()) return reply;
  if (!own.isEmpty()) return own;
  return notConnected ? QStringLiteral("Not connected.") : QString();
}

bool outputReportsFailure(const QString& output) { return !failureLine(output).isEmpty(); }

bool sessionFailed(const QString& output) {
  for (const QString& l : output.split(QLatin1Char('\n'))) {
    if (l.startsWith(QLatin1String("ftp: ")) || l.startsWith(QLatin1String("Not connected.")) ||
        l.startsWith(QLatin1String("Login failed.")) || l.startsWith(QLatin1String("530")))
      return true;
  }
  return false;
}

QString joinRemote(const QString& directory, const QString& name) {
  QString dir = directory;
  while (dir.size() > 1 && dir.endsWith(QLatin1Char('/'))) dir.chop(1);
  QString tail = name;
  while (tail.startsWith(QLatin1Char('/'))) tail.remove(0, 1);
  while (tail.endsWith(QLatin1Char('/'))) tail.chop(1);
  if (tail.isEmpty()) return dir;
  if (dir.isEmpty()) return tail;
  if (dir.endsWith(QLatin1Char('/'))) return dir + tail;
  return dir + QLatin1Char('/') + tail;
}

}  // namespace pravella::ftp
