#include <gtest/gtest.h>

#include "platform/text_encoding.h"

namespace {

namespace enc = pravella::encoding;

TEST(TextEncoding, StrictAndLossyConversions) {
  bool ok = false;
  // Strict decoding refuses a broken sequence; lossy decoding marks it and goes on.
  EXPECT_EQ(enc::decode("a\x82", enc::kShiftJIS, &ok), QString());
  EXPECT_FALSE(ok);
  EXPECT_EQ(enc::decodeLossy("a\x82\xA0\xFF"
                             "b",
                             enc::kShiftJIS, &ok),
            QString::fromUtf8("a\xE3\x81\x82\xEF\xBF\xBD"
                              "b"));
  EXPECT_TRUE(ok);
  // Lossy encoding counts what it replaced; strict encoding refuses.
  int replaced = 0;
  EXPECT_EQ(enc::encodeLossy(QString::fromUtf8("\xE2\x82\xAC\xE6\x97\xA5\xF0\x9F\x98\x8A"), enc::kEucJP,
                             &replaced, &ok),
            QByteArray("?\xC6\xFC?"));
  EXPECT_EQ(replaced, 2);
  EXPECT_TRUE(ok);
  EXPECT_EQ(enc::encode(QString::fromUtf8("\xC3\xA9"), enc::kShiftJIS, &ok), QByteArray());
  EXPECT_FALSE(ok);
  // An unknown encoding is a failure, not an empty success.
  EXPECT_EQ(enc::decodeLossy("x", "NO-SUCH-CODE", &ok), QString());
  EXPECT_FALSE(ok);
  EXPECT_EQ(enc::codePageName(12345), nullptr);
  EXPECT_STREQ(enc::codePageName(932), "CP932");
  // Long text crosses the converter's buffer size.
  const QString longText = QString::fromUtf8("\xE6\x97\xA5").repeated(5000);
  EXPECT_EQ(enc::decode(enc::encode(longText, enc::kIso2022JP), enc::kIso2022JP), longText);
}

}  // namespace
