#pragma once
// Header text with its RFC 2047 encoded words (UTF-8, base64) decoded; a blank between two
// adjacent encoded words is dropped, as the RFC says.

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

namespace test_support {

inline QString decodeEncodedWords(const QString& text) {
  static const QRegularExpression kWord(QStringLiteral("=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]*)\\?=( (?==\\?))?"));
  QString out;
  qsizetype at = 0;
  for (auto it = kWord.globalMatch(text); it.hasNext();) {
    const auto m = it.next();
    out += text.mid(at, m.capturedStart() - at);
    out += QString::fromUtf8(QByteArray::fromBase64(m.captured(1).toLatin1()));
    at = m.capturedEnd();
  }
  return out + text.mid(at);
}

}  // namespace test_support
