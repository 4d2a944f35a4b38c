// Japanese code conversion by byte arithmetic, checked against known character pairs (and
// against iconv's tables for every JIS X 0208 position), with invalid bytes.

#include <gtest/gtest.h>

#include <QByteArray>

#include <string>
#include <vector>

#include "lang/lang_fixture.h"
#include "lang/stdlib/kanji_code.h"
#include "platform/text_encoding.h"

namespace {

struct Pair {
  unsigned sjis, jis, euc;
};

// Known characters: the first and last kanji of level 1, hiragana, katakana, the ideographic
// space, a level-2 kanji and the last position of row 0x74.
const std::vector<Pair> kKnown = {
    {0x889F, 0x3021, 0xB0A1},  // 亜
    {0x82A0, 0x2422, 0xA4A2},  // あ
    {0x8341, 0x2522, 0xA5A2},  // ア
    {0x8140, 0x2121, 0xA1A1},  // ideographic space
    {0x9872, 0x4F53, 0xCFD3},  // 腕 (last of level 1)
    {0x989F, 0x5021, 0xD0A1},  // 弌 (first of level 2)
    {0xEAA4, 0x7426, 0xF4A6},  // 熙
    {0x9FFC, 0x5E7E, 0xDEFE},  // last cell of an even row
    {0xE040, 0x5F21, 0xDFA1},  // first pair with a lead from 0xE0
};

std::string bytes2(unsigned v) { return std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }

}  // namespace

TEST(KanjiCode, KnownPairsConvertEveryWay) {
  for (const Pair& p : kKnown) {
    SCOPED_TRACE(std::to_string(p.sjis));
    unsigned char pair[2] = {static_cast<unsigned char>(p.sjis >> 8), static_cast<unsigned char>(p.sjis)};
    sjistojis(pair);
    EXPECT_EQ(pair[0] << 8 | pair[1], static_cast<int>(p.jis));
    jis2sjis_2(&pair[0], &pair[1]);
    EXPECT_EQ(pair[0] << 8 | pair[1], static_cast<int>(p.sjis));
    EXPECT_EQ(Jis2Sjis(static_cast<uint16_t>(p.jis)), p.sjis);
    unsigned char a = static_cast<unsigned char>(p.sjis >> 8), b = static_cast<unsigned char>(p.sjis);
    sjis2euc(&a, &b);
    EXPECT_EQ(a << 8 | b, static_cast<int>(p.euc));
    euc2sjis(&a, &b);
    EXPECT_EQ(a << 8 | b, static_cast<int>(p.sjis));
  }
}

TEST(KanjiCode, ArithmeticAgreesWithTheEncodingTablesOverAllRows) {
  // Every assigned JIS X 0208 position: iconv's EUC-JP and Shift_JIS tables must give the
  // pair the arithmetic gives.
  int checked = 0;
  for (unsigned row = 0x21; row <= 0x74; ++row) {
    for (unsigned cell = 0x21; cell <= 0x7E; ++cell) {
      QByteArray euc;
      euc.append(static_cast<char>(row | 0x80)).append(static_cast<char>(cell | 0x80));
      bool ok = false;
      const QString ch = pravella::encoding::decode(euc, pravella::encoding::kEucJP, &ok);
      if (!ok || ch.size() != 1) continue;
      const QByteArray sjis = pravella::encoding::encode(ch, "SHIFT_JIS", &ok);
      if (!ok || sjis.size() != 2) continue;
      const unsigned expected =
          static_cast<unsigned char>(sjis[0]) << 8 | static_cast<unsigned char>(sjis[1]);
      ASSERT_EQ(Jis2Sjis(static_cast<uint16_t>(row << 8 | cell)), expected) << row << " " << cell;
      ++checked;
    }
  }
  EXPECT_GT(checked, 6000);
}

TEST(KanjiCode, InvalidJisGivesZero) {
  for (unsigned jis : {0x3020u, 0x307Fu, 0x2021u, 0x7F21u, 0x30A1u, 0xB0A1u, 0x0041u}) {
    EXPECT_EQ(Jis2Sjis(static_cast<uint16_t>(jis)), 0) << jis;
  }
  EXPECT_FALSE(vkIsSjisPair(0x80, 0x40));
  EXPECT_FALSE(vkIsSjisPair(0xA0, 0x40));
  EXPECT_FALSE(vkIsSjisPair(0xF0, 0x40));
  EXPECT_FALSE(vkIsSjisPair(0x88, 0x7F));
  EXPECT_FALSE(vkIsSjisPair(0x88, 0xFD));
  EXPECT_FALSE(vkIsSjisPair(0x88, 0x3F));
  EXPECT_TRUE(vkIsSjisPair(0xEF, 0xFC));
}

class KanjiText : public LangTest {};

TEST_F(KanjiText, ShiftJisToIso2022) {
  std::string out;
  ASSERT_EQ(DoSJIS2JIS(("A" + bytes2(0x889F) + "B").c_str(), out), 1);
  EXPECT_EQ(out, "A\x1B$B" + bytes2(0x3021) + "\x1B(BB");
  ASSERT_EQ(DoSJIS2JIS(("x" + bytes2(0x82A0) + bytes2(0x8341)).c_str(), out), 1);
  EXPECT_EQ(out, "x\x1B$B" + bytes2(0x2422) + bytes2(0x2522) + "\x1B(B");
  // A lone lead byte at the end and a half-width katakana byte stay single bytes.
  ASSERT_EQ(DoSJIS2JIS("\xB1z\x88", out), 1);
  EXPECT_EQ(out, "\xB1z\x88");
  ASSERT_EQ(DoSJIS2JIS("", out), 1);
  EXPECT_EQ(out, "");
}

TEST_F(KanjiText, InPlaceStringConversions) {
  std::string s = "a" + bytes2(0x889F) + "\xB1" + bytes2(0x8140) + "z";
  ASSERT_EQ(DoSJIS2EUC(s.data()), 1);
  EXPECT_EQ(s, "a" + bytes2(0xB0A1) + "\xB1" + bytes2(0xA1A1) + "z");

  std::string e = "ASCII " + bytes2(0xB0A1) + "\x8E\xB1\x8E\xB2" + "\x8F\xB0\xA1" + bytes2(0xA4A2);
  ASSERT_EQ(DoEUC2sJis(e.data()), 1);
  EXPECT_EQ(e, "ASCII " + bytes2(0x889F) + "\x8E\xB1\x8E\xB2" + "\x8F\xB0\xA1" + bytes2(0x82A0));

  std::string j = bytes2(0x3021) + "\x7F" + bytes2(0x2422);
  ASSERT_EQ(DoJis2sJis(j.data()), 1);
  EXPECT_EQ(j, bytes2(0x889F) + "\x7F" + bytes2(0x82A0));
  std::string ascii = "AB";  // two printable bytes are a JIS pair too
  DoJis2sJis(ascii.data());
  EXPECT_EQ(ascii, bytes2(Jis2Sjis(0x4142)));
}

TEST_F(KanjiText, AutomaticConversionFindsTheEncoding) {
  std::string out;
  ASSERT_EQ(kanjijidouhenkan(("a\x1B$B" + bytes2(0x3021) + "\x1B(Bb\r\nc\n").c_str(), out), 1);
  EXPECT_EQ(out, "a" + bytes2(0x889F) + "b\rc\r");
  ASSERT_EQ(kanjijidouhenkan(("\x1B$@" + bytes2(0x2422) + "\x1B(J!\x1BX" + bytes2(0x3021)).c_str(), out), 1);
  EXPECT_EQ(out, bytes2(0x82A0) + "!X0!");  // an unknown escape switches two-byte mode off
  ASSERT_EQ(kanjijidouhenkan((bytes2(0x889F) + "\n\x1A" + "x\r").c_str(), out), 1);
  EXPECT_EQ(out, bytes2(0x889F) + "\rx\r");
  ASSERT_EQ(kanjijidouhenkan((bytes2(0xB0A1) + "\r\n" + bytes2(0xA4A2)).c_str(), out), 1);
  EXPECT_EQ(out, bytes2(0x889F) + "\r" + bytes2(0x82A0));
  ASSERT_EQ(kanjijidouhenkan("\n\n", out), 1);
  EXPECT_EQ(out, "\r\r");
}

TEST_F(KanjiText, LimitsOfTheScratchBuffer) {
  const int saved = TNumber;
  TNumber = 2;
  std::string out = "kept";
  std::string sjis;
  for (int i = 0; i < 8; ++i) sjis += bytes2(0x889F);
  EXPECT_EQ(DoSJIS2JIS(sjis.c_str(), out), 0);
  EXPECT_EQ(out, "kept");
  EXPECT_EQ(kanjijidouhenkan(std::string(20, 'x').c_str(), out), 0);
  TNumber = saved;
}

TEST(KanjiCode, CaseFoldingTouchesOnlyAscii) {
  std::string s = "ABC xyZ \xC3\x84Q \xE3\x81\x82Q \xF0\x9F\x98\x80Q";
  ASSERT_EQ(changeUpper2Lower(s.data()), 1);
  EXPECT_EQ(s, "abc xyz \xC3\x84q \xE3\x81\x82q \xF0\x9F\x98\x80q");
}
