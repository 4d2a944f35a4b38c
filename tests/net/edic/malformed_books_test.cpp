// Books whose numbers lie: every search, heading and body read gives no result instead of a
// crash, a hang or a read outside the file.

#include <string>
#include <vector>

#include "edic_fixture.h"
#include "net/edic/body_text.h"
#include "net/edic/index_search.h"
#include "net/edic/search_driver.h"

namespace {

using namespace pravella::test::edic;

class MalformedBooks : public EdicTest, public testing::WithParamInterface<bool> {
 protected:
  bool compressed() const { return GetParam(); }
  void write(const BookText& text) {
    writeBook("M", "壊れ", compressed() ? compressBook(text) : text.bytes, compressed());
    reload();
    Initialize_ZIP_Data();
  }
  // Runs every reader entry on the book; the number of rows the driver gives.
  std::size_t exercise() {
    std::vector<pravella::edic::SearchRow> rows;
    pravella::edic::searchDictionaryBook("壊れ", "あい", pravella::edic::SearchDirection::Forward, rows);
    pravella::edic::searchDictionaryBook("壊れ", "あい", pravella::edic::SearchDirection::Backward, rows);
    std::string body;
    if (compressed()) {
      ZIP_Data& state = sharedZipData();
      if (eb_zopen_epwzipped(state, "壊れ")) convertHonbun_EPWING_V6(state, 12, 256, body);
      eb_zclose(state);
    } else {
      convertHonbun("壊れ", 12, 256, body);
    }
    return rows.size();
  }
};

TEST_P(MalformedBooks, GiveNoResult) {
  const struct {
    const char* name;
    int page;
    Bytes content;
  } cases[] = {
      {"an upper page pointing at itself", 2, upperPage(0x00, 8, {{jis("あいさつ"), 2}})},
      {"a child beyond the index", 2, upperPage(0x00, 8, {{jis("あいさつ"), 900}})},
      {"a child before the index", 2, upperPage(0x00, 8, {{jis("あいさつ"), 1}})},
      {"an entry count beyond the page", 3,
       [] {
         Bytes b = leafPage(0x80, {entryHit(jis("あ"), 0)});
         b[2] = 0xFF;
         b[3] = 0xFF;
         return b;
       }()},
      {"an index count beyond the file", 1,
       indexTable({{0x91, 2, 0xFFFFFFFF}, {0x90, 0xFFFFFFF0, 0xFFFFFFFF}})},
      {"an index table of 65535 records", 1,
       [] {
         Bytes b = indexTable({});
         b[0] = 0xFF;
         b[1] = 0xFF;
         return b;
       }()},
      {"a condition page with an unknown entry type", 6, conditionPage(0xA0, {{0x55, {}}})},
  };
  for (const auto& c : cases) {
    BookText text = standardBook();
    text.put(static_cast<uint32_t>(c.page), 0, c.content);
    write(text);
    exercise();  // must return, without a read outside the file
  }
  // Truncated books.
  const BookText whole = standardBook();
  // Plain: cuts through the index table, the index and the headings; compressed: through the
  // header, the frequency table and the slice index.
  const std::vector<std::size_t> cuts = compressed()
                                            ? std::vector<std::size_t>{0, 10, 100, 540, 700}
                                            : std::vector<std::size_t>{0, 10, 2048, 5000, 3 * 2048 + 7};
  for (std::size_t keep : cuts) {
    BookText text;
    text.bytes.assign(whole.bytes.begin(), whole.bytes.begin() + static_cast<std::ptrdiff_t>(keep));
    if (compressed()) {
      // Truncate the compressed file itself.
      Bytes file = compressBook(whole);
      file.resize(std::min(file.size(), keep));
      writeBook("M", "壊れ", file, true);
      reload();
      Initialize_ZIP_Data();
    } else {
      writeBook("M", "壊れ", text.bytes, false);
      reload();
    }
    EXPECT_EQ(exercise(), 0u) << keep;
  }
}

TEST_P(MalformedBooks, ALoopingUpperPageEndsWithinTheIndexCount) {
  BookText text = standardBook();
  // Two upper pages pointing at each other inside the index's range.
  text.put(1, 0, indexTable({{0x91, 2, 1}}));
  text.put(2, 0, upperPage(0x00, 8, {{jis("あいさつ"), 3}}));
  text.put(3, 0, upperPage(0x00, 8, {{jis("あいさつ"), 2}}));
  write(text);
  EXPECT_EQ(exercise(), 0u);
}

INSTANTIATE_TEST_SUITE_P(PlainAndCompressed, MalformedBooks, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "Compressed" : "Plain";
                         });

}  // namespace
