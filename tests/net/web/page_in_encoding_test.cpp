// A page's bytes decoded with a chosen encoding, or the reason the browser could not take them.

#include <gtest/gtest.h>

#include "net/web/page_in_encoding.h"

namespace {

using pravella::web::kLargestRecodedPage;
using pravella::web::recodedPage;

TEST(PageInEncoding, DecodesOrSaysWhy) {
  const QByteArray japan("\x93\xfa\x96\x7b");  // "日本" in Shift JIS
  struct Case {
    const char* what;
    QByteArray bytes;
    const char* decoder;
    QString html;
    QString refusal;
  };
  const QString tooLarge = QStringLiteral("The page is too large to show in another encoding.");
  const Case cases[] = {
      {"a small page", "<p>" + japan, "CP932", QString::fromUtf8("<p>\xE6\x97\xA5\xE6\x9C\xAC"), {}},
      {"an unknown encoding", japan, "NO-SUCH-ENCODING", {}, "The encoding NO-SUCH-ENCODING is not known."},
      {"more bytes than are read", QByteArray(kLargestRecodedPage + 1, 'a'), "CP932", {}, tooLarge},
      // 1.6 MB of Japanese: 2.4 MB of UTF-8, three times that once escaped for the browser.
      {"a text the browser cannot take", japan.repeated(400000), "CP932", {}, tooLarge},
      // Letters and digits pass unescaped: as many of them as are read fit.
      {"plain letters up to the limit", QByteArray(kLargestRecodedPage, 'a'), "CP932",
       QString(kLargestRecodedPage, QLatin1Char('a')), {}},
  };
  for (const Case& c : cases) {
    const pravella::web::RecodedPage got = recodedPage(c.bytes, c.decoder);
    EXPECT_EQ(got.html, c.html) << c.what;
    EXPECT_EQ(got.refusal, c.refusal) << c.what;
  }
}

}  // namespace
