#include "tools/system/mhtml_archive.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

#include "net/mail/mail_message.h"

namespace pravella {

namespace {

// Base64 in lines of 76 characters, as mail and MHTML readers expect.
QByteArray base64Lines(const QByteArray& data) {
  const QByteArray encoded = data.toBase64();
  QByteArray out;
  out.reserve(encoded.size() + encoded.size() / 76 * 2 + 2);
  for (qsizetype i = 0; i < encoded.size(); i += 76) out += encoded.mid(i, 76) + "\r\n";
  return out;
}

// A content id as its header and its "cid:" location both hold it: a character a header
// cannot hold (a line break, a blank, an angle bracket) and "%" itself percent-encoded.
QByteArray headerSafeId(const QString& id) {
  return QUrl::toPercentEncoding(id, "!#$&'()*+,-./:;=?@[]^_`{|}~");
}

// A part's content type as its header holds it: a MIME type (type/subtype of token
// characters) as given, anything else (a line break would end the header) as any bytes.
QByteArray headerSafeType(const QString& type) {
  static const QRegularExpression kMimeType(
      QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9!#$&^_.+-]+/[A-Za-z0-9!#$&^_.+-]+")));
  return kMimeType.match(type).hasMatch() ? type.toLatin1() : QByteArrayLiteral("application/octet-stream");
}

void appendPart(QByteArray& out, const QByteArray& boundary, const QByteArray& type, const QString& location,
                const QString& contentId, const QByteArray& data) {
  out += "--" + boundary + "\r\n";
  out += "Content-Type: " + type + "\r\n";
  if (!contentId.isEmpty()) out += "Content-ID: <" + headerSafeId(contentId) + ">\r\n";
  out += "Content-Transfer-Encoding: base64\r\n";
  // A location with a line break, a character beyond ASCII or too long for a line goes in
  // encoded words, which readers decode before they compare locations.
  out += "Content-Location: " + mail::encodeHeaderText(location, 18) + "\r\n\r\n";
  out += base64Lines(data);
  out += "\r\n";
}

}  // namespace

QByteArray mhtmlArchive(const QString& title, const QString& html, const QString& pageLocation,
                        const QList<MhtmlPart>& parts) {
  const QByteArray boundary = "----MultipartBoundary--" + QUuid::createUuid().toByteArray(QUuid::Id128) + "----";
  QByteArray out;
  out += "From: <Saved by Pravella>\r\n";
  out += "Snapshot-Content-Location: " + mail::encodeHeaderText(pageLocation, 27) + "\r\n";
  out += "Subject: " + mail::encodeHeaderText(title, 9) + "\r\n";
  out += "Date: " +
         QLocale::c().toString(QDateTime::currentDateTimeUtc(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")).toLatin1() +
         " +0000\r\n";
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"" + boundary + "\"\r\n\r\n";
  appendPart(out, boundary, "text/html; charset=\"utf-8\"", pageLocation, {}, html.toUtf8());
  for (const MhtmlPart& part : parts)
    appendPart(out, boundary, headerSafeType(part.contentType),
               "cid:" + QString::fromLatin1(headerSafeId(part.contentId)), part.contentId, part.data);
  out += "--" + boundary + "--\r\n";
  return out;
}

}  // namespace pravella
