#pragma once
// A page's bytes, as the browser received them, shown in an encoding the user chose: the choice
// overrides what the page itself declares.

#include <QByteArray>
#include <QString>

namespace pravella::web {

// The most bytes of a page read to be shown in a chosen encoding: the browser takes no larger
// text as a page (see recodedPage for the exact test).
inline constexpr qint64 kLargestRecodedPage = 2 * 1024 * 1024 - 64 * 1024;

// The page's text decoded with `decoderName`, for the browser to show in place of the page;
// or an empty text and the reason it cannot be shown (too large once the browser has encoded
// it for itself, an encoding not known).
struct RecodedPage {
  QString html;
  QString refusal;
};
RecodedPage recodedPage(const QByteArray& bytes, const QByteArray& decoderName);

// The sentence of a page too large to show in another encoding.
QString tooLargeToRecode();

}  // namespace pravella::web
