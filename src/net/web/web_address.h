#pragma once
// The address rules of the web sheet, apart from the browser: what the URL field loads, how an
// address is escaped before loading, zoom values, the resource progress ratio, names of saved
// archives and downloads, the translation and encyclopedia addresses.

#include <QByteArray>
#include <QString>

#include <optional>

namespace pravella::web {

// Longest search address (the search buffer holds 2,048 bytes with its NUL).
inline constexpr int kMaxSearchUrlBytes = 2047;
// Longest escaped address (a buffer of 4,096 bytes with its NUL).
inline constexpr int kMaxAddressBytes = 4095;

// True when the text begins with "http://", "https://", "ftp://" or "file://".
bool hasLoadableScheme(const QString& text);

// The search address of words: every UTF-8 byte as "%XX", letters and digits too; characters
// that do not convert are dropped. Cut before the first character whose bytes would not fit.
QByteArray searchUrl(const QString& words);

// What the URL field loads: an address with a loadable scheme as it stands, else the search
// address of the text.
struct UrlFieldTarget {
  QString address;
  bool isSearch = false;
};
UrlFieldTarget urlFieldTarget(const QString& text);

// The address actually loaded: bytes "!" to "~" kept, every other byte "%XX". Refused
// (nullopt) when the result would pass kMaxAddressBytes.
std::optional<QByteArray> escapeAddress(const QString& text);

// A zoom typed in percent: refused below 10 or when it is no number; no upper limit.
std::optional<double> zoomPercentFromText(const QString& text);
// The browser's own zoom range.
inline constexpr double kSmallestZoom = 0.25;
inline constexpr double kLargestZoom = 5.0;
// The factor the browser takes: the scale brought into its range.
double viewZoomFactor(double scale);

// The progress bar for the page's resources.
struct ResourceProgress {
  bool makeDeterminate = false;  // only once more than 5% are done
  double value = 0;
};
ResourceProgress resourceProgress(int requested, int completed, int failed);

// "<title>.webarchive" with "/" and ":" as "_" and the title's own extension removed.
QString webArchiveName(const QString& title);

// A name for a download in `folder` that no file there has: the suggested name (its last path
// part; "download" when empty), else "name-2.ext", "name-3.ext" and so on.
QString freeDownloadPath(const QString& folder, const QString& suggestedName);

// The encyclopedia article of a word.
QString wikiUrl(const QString& word);
// The translation template with the page address in place of its "%@" (inserted unescaped).
QString translateUrl(const QString& templ, const QString& address);
// The template written when "translateSite.txt" is missing.
QString defaultTranslateTemplate();

// Archives are kept under this extension in the day folders.
inline constexpr const char* kWebArchiveExtension = "webarchive";

}  // namespace pravella::web
