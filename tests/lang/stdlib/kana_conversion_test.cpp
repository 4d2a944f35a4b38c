// The kana and width tables: half-width forms, the plain reading for kana matching and the
// letter-only full-width conversion.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang/stdlib/kana_conversion.h"

namespace {

TEST(KanaConversion, HalfWidthForms) {
  EXPECT_EQ(zen2han(0x23, 0x41), 'A');
  EXPECT_EQ(zen2han(0x23, 0x7A), 'z');
  EXPECT_EQ(zen2han(0x24, 0x2C), 255);  // ga has no half-width form
  EXPECT_EQ(zen2han(0x25, 0x22), 0xB1);  // katakana a
  EXPECT_EQ(zen2han(0x24, 0x73), 0xDD);  // n
  EXPECT_EQ(zen2han(0x25, 0x74), 255);   // vu
  EXPECT_EQ(zen2han(0x30, 0x21), 255);   // a kanji

  // Every full-width sign that han2zen makes turns back into its ASCII byte.
  for (int c = 0x21; c <= 0x7E; ++c) {
    std::vector<uint16_t> codes;
    han2zen(std::string(1, static_cast<char>(c)), codes);
    ASSERT_EQ(codes.size(), 1u) << c;
    EXPECT_EQ(zen2han(codes[0] >> 8, codes[0] & 0xFF), c) << c;
  }
}

TEST(KanaConversion, PlainReadings) {
  std::vector<uint16_t> out;
  ASSERT_EQ(to_seion({0x242C, 0x2443, 0x2433, 0x2426}, out), 1);  // gakkou
  EXPECT_EQ(out, (std::vector<uint16_t>{0x242B, 0x2444, 0x2433, 0x2426}));
  ASSERT_EQ(to_seion({0x2569, 0x213C, 0x2561, 0x2573}, out), 1);  // ramen in katakana
  EXPECT_EQ(out, (std::vector<uint16_t>{0x2469, 0x2422, 0x2461, 0x2473}));
  // A long-vowel mark first is dropped; after n it repeats n; pa loses its mark.
  ASSERT_EQ(to_seion({0x213C, 0x2473, 0x213C, 0x2451}, out), 1);
  EXPECT_EQ(out, (std::vector<uint16_t>{0x2473, 0x2473, 0x244F}));
  // Codes end at the first value below 256.
  ASSERT_EQ(to_seion({0x2422, 0x0041, 0x2424}, out), 1);
  EXPECT_EQ(out, (std::vector<uint16_t>{0x2422}));
  EXPECT_EQ(to_seion({0x7F21}, out), 0);
}

TEST(KanaConversion, LettersOnlyAndKanaTables) {
  std::vector<uint16_t> codes;
  std::string text = "abc";
  DoHenkanEisuji2ZenkakuJIS(text, codes);
  EXPECT_EQ(codes, (std::vector<uint16_t>{0x2341, 0x2342, 0x2343}));
  EXPECT_EQ(text, "ABC");
  text = "abc1";
  DoHenkanEisuji2ZenkakuJIS(text, codes);
  EXPECT_TRUE(codes.empty());
  EXPECT_EQ(text, "abc1");

  std::string kana = "ゐる";
  toKatakana(kana);
  EXPECT_EQ(kana, "イル");
  kana = "ヂヰx";
  toHiragana(kana);
  EXPECT_EQ(kana, "じゐx");
}

TEST(KanaConversion, KatakanaOfEveryVoicedDental) {
  const struct {
    const char* hiragana;
    const char* katakana;
  } cases[] = {{"ぢ", "ヂ"}, {"じ", "ジ"}, {"だぢづでど", "ダヂヅデド"}, {"ゑぢx", "エヂx"}};
  for (const auto& c : cases) {
    std::string text = c.hiragana;
    toKatakana(text);
    EXPECT_EQ(text, c.katakana) << c.hiragana;
  }
}

TEST(KanaConversion, CellsBetweenCodes) {
  const struct {
    uint16_t a, b;
    int cells;
  } cases[] = {{0xA121, 0xA121, 0}, {0xA122, 0xA121, 1}, {0xA221, 0xA17E, 1}, {0xA121, 0xA221, -94}};
  for (const auto& c : cases) EXPECT_EQ(codesub(c.a, c.b), c.cells) << std::hex << c.a << " " << c.b;
}

}  // namespace
