// The dictionary window's search: keys, merging, duplicates and the backward indexes.

#include <string>
#include <vector>

#include "edic_fixture.h"
#include "net/edic/search_driver.h"

namespace {

using namespace pravella::test::edic;
using pravella::edic::SearchDirection;
using pravella::edic::SearchRow;

TEST(SearchKey, MixedTextGivesFullWidthCodes) {
  const struct {
    QString text;
    std::string key;
  } cases[] = {
      {"abc", "\x23\x41\x23\x42\x23\x43"},
      {"ABC", "\x23\x41\x23\x42\x23\x43"},
      {"A4判", "\x23\x41\x23\x34" + jis("判")},
      {"a-1", "\x23\x41\x21\x5d\x23\x31"},
      {"あ い", jis("あい")},  // the blank is dropped
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(
        pravella::edic::makeSearchKey(pravella::encoding::encode(c.text, pravella::encoding::kShiftJIS)),
        c.key)
        << c.text.toStdString();
}

class SearchDriver : public EdicTest {
 protected:
  void SetUp() override { EdicTest::SetUp(); }
  void write(bool compressed) {
    const BookText book = standardBook();
    writeBook("S", "標準", compressed ? compressBook(book) : book.bytes, compressed);
    reload();
  }
  std::vector<std::string> headings(const QString& text, SearchDirection direction, bool* ok = nullptr) {
    std::vector<SearchRow> rows;
    const bool done = pravella::edic::searchDictionaryBook("標準", text, direction, rows);
    if (ok) *ok = done;
    std::vector<std::string> out;
    for (const SearchRow& row : rows) {
      EXPECT_EQ(row.dic, "標準");
      out.push_back(row.midashi.toStdString() + "@" + std::to_string(row.honbun) + ":" +
                    std::to_string(row.offset));
    }
    return out;
  }
};

TEST_F(SearchDriver, ForwardAndBackwardOnBothKinds) {
  const struct {
    QString text;
    SearchDirection direction;
    std::vector<std::string> rows;
  } cases[] = {
      // Written form, then kana (nothing), then the condition index.
      {"あい", SearchDirection::Forward, {"あい@12:256", "あいさつ@12:512", "条件@13:256"}},
      {"き", SearchDirection::Forward, {"きい@12:1536", "きく@12:1792"}},
      // Backward: the reversed text in 0x71 and 0x70, which both find あい: one row.
      {"あい", SearchDirection::Backward, {"あい@12:256"}},
      {"さつ", SearchDirection::Backward, {"あいさつ@12:512"}},
      {"ない", SearchDirection::Forward, {}},
      {"", SearchDirection::Forward, {}},
  };
  for (bool compressed : {false, true}) {
    write(compressed);
    for (const auto& c : cases)
      EXPECT_EQ(headings(c.text, c.direction), c.rows)
          << c.text.toStdString() << (compressed ? " compressed" : "");
  }
}

TEST_F(SearchDriver, TheBackwardSearchHasNoConditionIndex) {
  // An entry only the condition index knows is not found backward.
  write(false);
  EXPECT_EQ(headings("いあ", SearchDirection::Backward), (std::vector<std::string>{}));
}

TEST_F(SearchDriver, TextsOverFiveHundredBytesAreNotSearched) {
  write(false);
  const QString word = QString("あ").repeated(251);
  EXPECT_TRUE(headings(word, SearchDirection::Forward).empty());
  EXPECT_TRUE(headings("x" + QString("あ").repeated(250), SearchDirection::Backward).empty());
}

TEST_F(SearchDriver, AnUnreadableHeadingEndsTheSearch) {
  BookText book = standardBook();
  // Entry あいさつ's heading points beyond the book.
  Hit broken = entryHit(jis("あいさつ"), 2);
  broken.headingPage = 999;
  book.put(3, 0, leafPage(0x80, {entryHit(jis("あ"), 0), entryHit(jis("あい"), 1), broken}));
  writeBook("S", "標準", book.bytes, false);
  reload();
  bool ok = true;
  EXPECT_EQ(headings("あい", SearchDirection::Forward, &ok), (std::vector<std::string>{"あい@12:256"}));
  EXPECT_FALSE(ok);
}

}  // namespace
