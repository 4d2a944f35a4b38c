#include "net/mail/mail_message.h"

#include <QRegularExpression>
#include <QUuid>

#include <optional>

namespace pravella::mail {
namespace {

constexpr int kLineWidth = 78;
// No line of a message may be longer, its CR LF not counted (RFC 5322).
constexpr int kMaxLine = 998;
// "=?UTF-8?B?" and "?=" around the base64 text of one encoded word.
constexpr int kWordFrame = 12;
constexpr int kWordBytes = 45;  // 60 base64 characters: a word of 72, within the limit of 75

bool plainAscii(const QString& text) {
  for (QChar c : text)
    if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
  return true;
}

// The mailboxes of a field as typed, split at commas and semicolons that stand outside
// quotes, comments and angle brackets.
QStringList splitMailboxes(const QString& field) {
  QStringList pieces;
  QString piece;
  bool quoted = false;
  int angle = 0, comment = 0;
  for (int i = 0; i < field.size(); ++i) {
    const QChar c = field.at(i);
    if (quoted) {
      if (c == u'\\' && i + 1 < field.size()) {
        piece += c;
        piece += field.at(++i);
        continue;
      }
      if (c == u'"') quoted = false;
    } else if (c == u'"') {
      quoted = true;
    } else if (c == u'<') {
      ++angle;
    } else if (c == u'>' && angle > 0) {
      --angle;
    } else if (c == u'(') {
      ++comment;
    } else if (c == u')' && comment > 0) {
      --comment;
    } else if ((c == u',' || c == u';') && angle == 0 && comment == 0) {
      if (!piece.trimmed().isEmpty()) pieces << piece.trimmed();
      piece.clear();
      continue;
    }
    piece += c;
  }
  if (!piece.trimmed().isEmpty()) pieces << piece.trimmed();
  return pieces;
}

QString addressOf(const QString& mailbox) {
  const int open = mailbox.lastIndexOf(u'<');
  const int close = mailbox.lastIndexOf(u'>');
  if (open >= 0 && close > open) return mailbox.mid(open + 1, close - open - 1).trimmed();
  return mailbox.trimmed();
}

QByteArray encodedWord(const QByteArray& utf8) {
  return "=?UTF-8?B?" + utf8.toBase64() + "?=";
}

// The body's lines with CR LF ends, or its base64 text in lines of 76 when it is not plain
// ASCII in lines a mail server takes (998 characters).
QByteArray bodyLines(const QString& body, bool* base64) {
  QString text = body;
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(u'\r', u'\n');
  const QStringList lines = text.split(u'\n');
  bool plain = true;
  for (const QString& line : lines) {
    if (line.size() > 998) plain = false;
    for (QChar c : line)
      if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() > 0x7e) plain = false;
  }
  *base64 = !plain;
  const QByteArray crlf = lines.join(QLatin1String("\r\n")).toUtf8() + "\r\n";
  if (plain) return crlf;
  const QByteArray encoded = crlf.toBase64();
  QByteArray out;
  for (qsizetype at = 0; at < encoded.size(); at += 76) out += encoded.mid(at, 76) + "\r\n";
  return out;
}

}  // namespace

QString fieldWithLineBreak(const MailFields& fields) {
  const std::pair<const char*, const QString*> checked[] = {
      {"To", &fields.to}, {"Cc", &fields.cc}, {"Bcc", &fields.bcc}, {"Subject", &fields.subject}};
  for (const auto& [name, text] : checked)
    if (text->contains(u'\r') || text->contains(u'\n')) return QString::fromLatin1(name);
  return QString();
}

QStringList mailboxAddresses(const QString& field) {
  QStringList addresses;
  for (const QString& mailbox : splitMailboxes(field))
    if (const QString address = addressOf(mailbox); !address.isEmpty()) addresses << address;
  return addresses;
}

static bool localPartCharacter(QChar c) {
  if (c.unicode() >= 0x80) return true;
  if (c.isLetterOrNumber()) return true;
  return QStringLiteral(".!#$%&'*+-/=?^_`{|}~").contains(c);
}

static bool domainCharacter(QChar c) {
  return c.unicode() >= 0x80 || c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_';
}

bool isEnvelopeAddress(const QString& address) {
  // A path holds at most 256 characters, its angle brackets included (RFC 5321).
  if (address.isEmpty() || address.size() > 254) return false;
  const qsizetype at = address.indexOf(u'@');
  if (at <= 0 || at != address.lastIndexOf(u'@') || at == address.size() - 1) return false;
  const QString local = address.left(at);
  const QString domain = address.mid(at + 1);
  for (QChar c : local)
    if (!localPartCharacter(c)) return false;
  if (domain.startsWith(u'[') && domain.endsWith(u']')) {
    static const QRegularExpression kLiteral(QStringLiteral("^\\[[0-9A-Fa-f:.]+\\]$"));
    return kLiteral.match(domain).hasMatch();
  }
  for (QChar c : domain)
    if (!domainCharacter(c)) return false;
  return true;
}

QStringList recipients(const MailFields& fields) {
  return mailboxAddresses(fields.to) + mailboxAddresses(fields.cc) + mailboxAddresses(fields.bcc);
}

// Plain ASCII folded before blanks so that lines keep to 78 characters where the words allow;
// nothing when a word is too long for any line (only an encoded word can be cut then). A
// line break only ever goes before a blank that a word follows, so no line is blanks alone,
// and unfolding (taking out each CR LF) gives the text back.
static std::optional<QByteArray> foldedAscii(const QString& text, int used) {
  const QByteArray bytes = text.toLatin1();
  QByteArray out;
  int lineLength = used;
  qsizetype at = 0;
  while (at < bytes.size()) {
    qsizetype end = at;
    while (end < bytes.size() && bytes[end] == ' ') ++end;
    const bool hasWord = end < bytes.size();
    while (end < bytes.size() && bytes[end] != ' ') ++end;
    const QByteArray unit = bytes.mid(at, end - at);
    if (at > 0 && hasWord && unit.startsWith(' ') && lineLength + unit.size() > kLineWidth) {
      out += "\r\n";
      lineLength = 0;
    }
    out += unit;
    lineLength += int(unit.size());
    if (lineLength > kMaxLine) return std::nullopt;
    at = end;
  }
  return out;
}

static QByteArray encodedWords(const QString& text, int used) {
  QByteArray out;
  QByteArray word;
  // The first word fills what is left of the header's line; later ones start their own. With
  // too little room left, the first one starts a line of its own too.
  int limit = (kLineWidth - used - kWordFrame) / 4 * 3;
  bool fold = false;
  if (limit < 3) {
    limit = kWordBytes;
    fold = true;
  }
  const auto flush = [&] {
    if (word.isEmpty()) return;
    if (!out.isEmpty() || fold) out += "\r\n ";
    out += encodedWord(word);
    word.clear();
    limit = kWordBytes;
  };
  for (char32_t c : text.toUcs4()) {
    // A character's bytes never part between two words.
    const QByteArray bytes = QString::fromUcs4(&c, 1).toUtf8();
    if (word.size() + bytes.size() > limit) flush();
    word += bytes;
  }
  flush();
  return out;
}

QByteArray encodeHeaderText(const QString& text, int used) {
  // Plain only where a reader gets the text back: it decodes whatever looks like an encoded
  // word and drops blanks at either end of the value.
  const bool readsBack =
      !text.contains(QLatin1String("=?")) && !text.startsWith(u' ') && !text.endsWith(u' ');
  if (readsBack && plainAscii(text)) {
    if (const std::optional<QByteArray> folded = foldedAscii(text, used)) return *folded;
  }
  return encodedWords(text, used);
}

QByteArray encodeAddressList(const QString& field, int used) {
  QByteArray out;
  int lineLength = used;
  for (const QString& mailbox : splitMailboxes(field)) {
    const int open = int(mailbox.lastIndexOf(u'<'));
    QString name = open > 0 ? mailbox.left(open).trimmed() : QString();
    if (name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"')) name = name.mid(1, name.size() - 2);
    // Only a display name is encoded; an address that is not ASCII goes as UTF-8.
    bool encoded = !name.isEmpty() && !plainAscii(name);
    if (!out.isEmpty()) {
      // An encoded name, or a mailbox that would pass the line's width, starts a new line.
      if (encoded || lineLength + 2 + int(mailbox.toUtf8().size()) > kLineWidth) {
        out += ",\r\n ";
        lineLength = 1;
      } else {
        out += ", ";
        lineLength += 2;
      }
    }
    // An ASCII mailbox too long for its line is folded at its blanks (inside a quoted name
    // too); with a word too long for any line, its name goes in encoded words.
    QByteArray text = mailbox.toUtf8();
    if (!encoded && plainAscii(mailbox)) {
      if (const std::optional<QByteArray> folded = foldedAscii(mailbox, lineLength))
        text = *folded;
      else
        encoded = !name.isEmpty();
    }
    if (encoded) {
      text = encodedWords(name, lineLength);
      const QByteArray address = mailbox.mid(open).toUtf8();
      const qsizetype lastBreak = text.lastIndexOf("\r\n");
      const qsizetype last = lastBreak < 0 ? lineLength + text.size() : text.size() - lastBreak - 2;
      text += (last + 1 + address.size() > kLineWidth ? "\r\n " : " ") + address;
    }
    out += text;
    const int lastBreak = int(out.lastIndexOf("\r\n"));
    lineLength = lastBreak < 0 ? used + int(out.size()) : int(out.size()) - lastBreak - 2;
  }
  return out;
}

QByteArray buildMimeMessage(const QString& from, const MailFields& fields, const QString& body,
                            const QDateTime& date) {
  const QString sender = mailboxAddresses(from).value(0);
  const int at = sender.lastIndexOf(u'@');
  QString domain = at >= 0 ? sender.mid(at + 1) : QString();
  // The identifier's right side must be a plain domain, whatever the sender's address holds.
  static const QRegularExpression kDomain(QStringLiteral("^[A-Za-z0-9.-]+$"));
  if (!kDomain.match(domain).hasMatch()) domain = QStringLiteral("localhost");
  QByteArray m;
  m += "From: " + encodeAddressList(from, 6) + "\r\n";
  m += "To: " + encodeAddressList(fields.to, 4) + "\r\n";
  if (!mailboxAddresses(fields.cc).isEmpty()) m += "Cc: " + encodeAddressList(fields.cc, 4) + "\r\n";
  m += "Subject: " + encodeHeaderText(fields.subject, 9) + "\r\n";
  m += "Date: " + date.toString(Qt::RFC2822Date).toLatin1() + "\r\n";
  m += "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + '@' +
       domain.toUtf8() + ">\r\n";
  m += "MIME-Version: 1.0\r\n";
  m += "Content-Type: text/plain; charset=UTF-8\r\n";
  bool base64 = false;
  const QByteArray text = bodyLines(body, &base64);
  m += base64 ? "Content-Transfer-Encoding: base64\r\n" : "Content-Transfer-Encoding: 7bit\r\n";
  m += "\r\n";
  m += text;
  return m;
}

}  // namespace pravella::mail
