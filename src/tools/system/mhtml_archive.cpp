#include "tools/system/mhtml_archive.h"

#include <QDateTime>
#include <QLocale>
#include <QUuid>

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

// A header value that is not plain ASCII, as an RFC 2047 encoded word.
QByteArray headerText(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  bool plain = true;
  for (const char c : utf8) plain = plain && c >= 0x20 && c < 0x7f;
  if (plain) return utf8;
  return "=?utf-8?B?" + utf8.toBase64() + "?=";
}

void appendPart(QByteArray& out, const QByteArray& boundary, const QByteArray& type, const QString& location,
                const QString& contentId, const QByteArray& data) {
  out += "--" + boundary + "\r\n";
  out += "Content-Type: " + type + "\r\n";
  if (!contentId.isEmpty()) out += "Content-ID: <" + contentId.toUtf8() + ">\r\n";
  out += "Content-Transfer-Encoding: base64\r\n";
  out += "Content-Location: " + location.toUtf8() + "\r\n\r\n";
  out += base64Lines(data);
  out += "\r\n";
}

}  // namespace

QByteArray mhtmlArchive(const QString& title, const QString& html, const QString& pageLocation,
                        const QList<MhtmlPart>& parts) {
  const QByteArray boundary = "----MultipartBoundary--" + QUuid::createUuid().toByteArray(QUuid::Id128) + "----";
  QByteArray out;
  out += "From: <Saved by Pravella>\r\n";
  out += "Snapshot-Content-Location: " + pageLocation.toUtf8() + "\r\n";
  out += "Subject: " + headerText(title) + "\r\n";
  out += "Date: " +
         QLocale::c().toString(QDateTime::currentDateTimeUtc(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")).toLatin1() +
         " +0000\r\n";
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"" + boundary + "\"\r\n\r\n";
  appendPart(out, boundary, "text/html; charset=\"utf-8\"", pageLocation, {}, html.toUtf8());
  for (const MhtmlPart& part : parts)
    appendPart(out, boundary, part.contentType.toLatin1(), "cid:" + part.contentId, part.contentId, part.data);
  out += "--" + boundary + "--\r\n";
  return out;
}

}  // namespace pravella
