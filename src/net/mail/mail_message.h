#pragma once
// A mail as the mail sheet sends it: the fields as the user typed them, checked, turned into
// the envelope's recipients and into our own MIME text (UTF-8 plain text, headers in RFC 2047
// encoded words where they are not ASCII). Blind copies are recipients only, never a header.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace pravella::mail {

struct MailFields {
  QString to;  // as typed: addresses one comma apart, each "addr" or "Name <addr>"
  QString cc;
  QString bcc;
  QString subject;
};

// The name of the first field ("To", "Cc", "Bcc", "Subject") that holds a carriage return or a
// line feed, or empty when none does. Such a field would end its header line and add headers
// of the sender's choosing, so the mail is not sent.
QString fieldWithLineBreak(const MailFields& fields);

// The bare addresses of a field: split at commas and semicolons outside quotes and angle
// brackets; "Name <addr>" gives addr; blanks around them are dropped, empty entries skipped.
QStringList mailboxAddresses(const QString& field);

// True when `address` is one bare address as the envelope takes it: a local part of letters,
// digits, dots and !#$%&'*+-/=?^_`{|}~, one "@", a domain of letters, digits, dots, hyphens
// and underscores (or a bracketed address literal), characters beyond ASCII in either, at most
// 254 characters in all. Nothing else: a blank, a control character, "<", ">" or a quote could
// end the SMTP command's path, add parameters to it or add a command.
bool isEnvelopeAddress(const QString& address);

// Every recipient of the envelope: To, then Cc, then Bcc.
QStringList recipients(const MailFields& fields);

// A header value ready for its line: ASCII text as it is, anything else as UTF-8 base64
// encoded words of at most 75 characters, folded onto continuation lines. `used` is the length
// of the line before the value ("Subject: " is 9), so that no line passes 78 characters. Long
// ASCII text is folded before its blanks; a word too long for a line of 998 characters (the
// limit of every line of a message) makes the whole value encoded words instead, as does
// text that a reader would not get back as it is ("=?", blanks at either end).
QByteArray encodeHeaderText(const QString& text, int used);
// An address header's value: each mailbox's display name encoded where it is not ASCII, the
// address itself kept as typed.
QByteArray encodeAddressList(const QString& field, int used);

// The whole message, lines ending in CR LF: From, To, Cc (when not empty), Subject, Date,
// Message-ID and the MIME headers, then the body as UTF-8 text (base64 when it is not plain
// short-lined ASCII). `from` is the sender as configured.
QByteArray buildMimeMessage(const QString& from, const MailFields& fields, const QString& body,
                            const QDateTime& date);

}  // namespace pravella::mail
