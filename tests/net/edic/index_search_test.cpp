// Index searches and headings, on the standard book written plain and compressed.

#include <string>
#include <vector>

#include "edic_fixture.h"
#include "net/edic/gaiji_table.h"
#include "net/edic/index_search.h"
#include "net/edic/reader_lock.h"

namespace {

using namespace pravella::test::edic;
using pravella::edic::IndexKind;

class IndexSearch : public EdicTest, public testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    EdicTest::SetUp();
    write(standardBook());
  }
  void write(const BookText& text) {
    writeBook("S", "標準", compressed() ? compressBook(text) : text.bytes, compressed());
    reload();
    Initialize_ZIP_Data();
  }
  bool compressed() const { return GetParam(); }

  // The entries (by number in the standard book) that a search finds; {-1} when it fails.
  std::vector<int> search(IndexKind kind, const QString& key, int64_t start, int64_t count,
                          const QString& second = "") {
    std::vector<EBHit> hits;
    int ok = 0;
    const std::string k = key == "<empty>" ? std::string() : jis(key);
    if (compressed()) {
      ZIP_Data& state = sharedZipData();
      if (!eb_zopen_epwzipped(state, "標準")) return {-2};
      ok = kind == IndexKind::Written ? KensakuJikkou_Hyouki_EPWING_V6(state, k, start, count, hits)
           : kind == IndexKind::Kana ? KensakuJikkou_KANA_EPWING_V6(state, k, jis(second), start, count, hits)
                                     : KensakuJikkou_cond_EPWING_V6(state, k, start, count, hits);
      eb_zclose(state);
    } else {
      ok = kind == IndexKind::Written ? KensakuJikkou_Hyouki("標準", k, start, count, hits)
           : kind == IndexKind::Kana  ? KensakuJikkou_KANA("標準", k, jis(second), start, count, hits)
                                      : KensakuJikkou_cond("標準", k, start, count, hits);
    }
    if (!ok) return {-1};
    std::vector<int> entries;
    for (const EBHit& h : hits)
      entries.push_back(static_cast<int>((h.textPage - 12) * 8 + h.textOffset / 256));
    return entries;
  }

  std::string headings(const std::vector<EBHit>& hits) {
    std::string out;
    int ok = 0;
    if (compressed()) {
      ZIP_Data& state = sharedZipData();
      if (!eb_zopen_epwzipped(state, "標準")) return "<no open>";
      ok = getEBookMidashiList_EPWING_V6(state, hits, out);
      eb_zclose(state);
    } else {
      ok = getEBookMidashiList("標準", hits, out);
    }
    return ok ? out : "<failed>";
  }

  int64_t pair_[2] = {0, 0};
  int index(int id) {
    if (!compressed()) return getDicKensakuList("標準", id, pair_);
    ZIP_Data& state = sharedZipData();
    if (!eb_zopen_epwzipped(state, "標準")) return -1;
    const int found = getDicKensakuList_EPWING_V6(state, id, pair_);
    eb_zclose(state);
    return found;
  }
};

TEST_P(IndexSearch, TheIndexTable) {
  const struct {
    int id, found;
    int64_t start, count;
  } cases[] = {{0x91, 1, 2, 2}, {0x90, 1, 5, 0}, {0x71, 1, 7, 0}, {0xF1, 0, 0, 0}};
  for (const auto& c : cases) {
    pair_[0] = pair_[1] = 0;
    EXPECT_EQ(index(c.id), c.found) << c.id;
    if (c.found) {
      EXPECT_EQ((std::vector<int64_t>{pair_[0], pair_[1]}), (std::vector<int64_t>{c.start, c.count}));
    }
  }
}

TEST_P(IndexSearch, SearchesMatchByPrefix) {
  const struct {
    IndexKind kind;
    const char* key;
    int64_t start, count;
    const char* second;
    std::vector<int> entries;
  } cases[] = {
      // Stops at the first greater key, あう, on the next page.
      {IndexKind::Written, "あい", 2, 2, "", {1, 2}},
      {IndexKind::Written, "あ", 2, 2, "", {0, 1, 2, 3}},
      {IndexKind::Written, "か", 2, 2, "", {4}},
      {IndexKind::Written, "さ", 2, 2, "", {}},  // above every key of the upper page
      {IndexKind::Written, "<empty>", 2, 2, "", {-1}},
      // Page 4 has the last-page bit: the search ends there although the count goes on.
      {IndexKind::Written, "か", 4, 4, "", {4}},
      {IndexKind::Kana, "か", 5, 0, "", {5}},
      {IndexKind::Kana, "き", 5, 0, "", {6, 7}},  // the header matches, its members are taken
      {IndexKind::Kana, "き", 5, 0, "きく", {7}},
      {IndexKind::Kana, "きい", 5, 0, "", {6}},
      {IndexKind::Kana, "く", 5, 0, "", {8}},
      // The entry whose heading page is 0 is left out, the group adds nothing.
      {IndexKind::Condition, "あい", 6, 0, "", {9}},
      {IndexKind::Written, "いあ", 7, 0, "", {1}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(search(c.kind, c.key, c.start, c.count, c.second), c.entries) << c.key << " " << c.second;
}

TEST_P(IndexSearch, HeadingsAsShiftJisLines) {
  std::vector<EBHit> hits = {{12, 256, 10, 64}, {13, 256, 10, 9 * 64}};
  EXPECT_EQ(headings(hits), "\x82\xa0\x82\xa2\n\x8f\xf0\x8c\x8f\n");  // あい, 条件
}

TEST_P(IndexSearch, HeadingCharactersEscapesAndGaiji) {
  BookText text = standardBook();
  Units h;
  h.u(0x2341).u(0x1F09).u(7).u(0x1F41).raw({0, 0}).u(0xB12C).u(0x2422).u(0x1F0A);
  text.put(11, 0, h.b);
  Units endless;
  for (int i = 0; i < 1100; ++i) endless.u(0x2422);
  text.put(14, 0, endless.b);
  write(text);
  EXPECT_EQ(headings({{12, 0, 11, 0}}), "A_[B12C]_\x82\xa0\n");
  SetDispJisyoGaijiCodeSwitch(1);
  writeFile(pravella::paths::diary() + "/MODULE/gaijiTable.dat",
            {'B', '1', ' ', '2', 'C', ' ', '8', '1', ' ', '4', '0', '\n'});
  EXPECT_EQ(headings({{12, 0, 11, 0}}), "A\x81\x40\x82\xa0\n");
  // A heading without its end escape is cut after 1,000 characters.
  EXPECT_EQ(headings({{12, 0, 14, 0}}).size(), 2001u);
}

INSTANTIATE_TEST_SUITE_P(PlainAndCompressed, IndexSearch, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "Compressed" : "Plain";
                         });

}  // namespace
