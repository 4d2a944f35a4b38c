#include "net/web/web_address.h"

#include <QFileInfo>

#include <algorithm>

#include "net/web/web_sites.h"
#include "platform/free_names.h"

namespace pravella::web {

namespace {

void appendHex(QByteArray& out, unsigned char byte) {
  static const char kHex[] = "0123456789ABCDEF";
  out.append('%');
  out.append(kHex[byte >> 4]);
  out.append(kHex[byte & 0x0F]);
}

}  // namespace

bool hasLoadableScheme(const QString& text) {
  for (const char* scheme : {"http://", "https://", "ftp://", "file://"})
    if (text.startsWith(QLatin1String(scheme))) return true;
  return false;
}

QByteArray searchUrl(const QString& words) {
  QByteArray url = QByteArray("http://") + kSearchHost + "/search?q=";
  for (qsizetype i = 0; i < words.size(); ++i) {
    QString one(words[i]);
    if (words[i].isHighSurrogate() && i + 1 < words.size() && words[i + 1].isLowSurrogate())
      one += words[++i];
    else if (words[i].isSurrogate())
      continue;  // a lone surrogate does not convert and is dropped
    const QByteArray bytes = one.toUtf8();
    if (url.size() + bytes.size() * 3 > kMaxSearchUrlBytes) break;
    for (char b : bytes) appendHex(url, static_cast<unsigned char>(b));
  }
  return url;
}

UrlFieldTarget urlFieldTarget(const QString& text) {
  if (hasLoadableScheme(text)) return {text, false};
  return {QString::fromLatin1(searchUrl(text)), true};
}

std::optional<QByteArray> escapeAddress(const QString& text) {
  QByteArray out;
  for (char c : text.toUtf8()) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x21 && b <= 0x7E)
      out.append(c);
    else
      appendHex(out, b);
    if (out.size() > kMaxAddressBytes) return std::nullopt;
  }
  return out;
}

std::optional<double> zoomPercentFromText(const QString& text) {
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  if (!ok || !(v >= 10)) return std::nullopt;
  return v;
}

double viewZoomFactor(double scale) { return std::clamp(scale, kSmallestZoom, kLargestZoom); }

ResourceProgress resourceProgress(int requested, int completed, int failed) {
  if (requested <= 0) return {false, 0};
  const double r = static_cast<double>(completed + failed) / requested;
  return {r > 0.05, r == 1.0 ? 0.0 : r};
}

QString webArchiveName(const QString& title) {
  QString base = title;
  base.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char(':'), QLatin1Char('_'));
  const int dot = base.lastIndexOf(QLatin1Char('.'));
  if (dot > 0) base.truncate(dot);
  if (base.isEmpty()) base = QStringLiteral("Untitled");
  return base + QLatin1Char('.') + QLatin1String(kWebArchiveExtension);
}

QString freeDownloadPath(const QString& folder, const QString& suggestedName) {
  QString name = QFileInfo(suggestedName).fileName();
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
    name = QStringLiteral("download");
  return freePathIn(folder, name);
}

QString wikiUrl(const QString& word) {
  return QStringLiteral("http://") + QLatin1String(kEncyclopediaHost) + QStringLiteral("/wiki/") + word;
}

QString translateUrl(const QString& templ, const QString& address) {
  QString out = templ;
  const int at = out.indexOf(QLatin1String("%@"));
  if (at >= 0) out.replace(at, 2, address);
  return out;
}

QString defaultTranslateTemplate() {
  return QStringLiteral("http://") + QLatin1String(kTranslateHost) +
         QStringLiteral("/translate?hl=ja&sl=en&u=%@");
}

}  // namespace pravella::web
