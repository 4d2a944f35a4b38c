// The dictionary window's history, search words, link targets and drag text.

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "net/edic/dictionary_history.h"

namespace {

using pravella::edic::BodyEntry;
using pravella::edic::DictionaryHistory;

BodyEntry body(const char* title, const char* headword, int64_t page, int64_t offset) {
  return {title, headword, page, offset};
}

std::vector<int> menuIndexes(const DictionaryHistory& h) {
  std::vector<int> out;
  for (const auto& item : h.menu()) out.push_back(item.second);
  return out;
}

TEST(DictionaryHistory, OneEntryPerBodyInARow) {
  DictionaryHistory h;
  EXPECT_TRUE(h.add(body("B", "a", 12, 80)));
  EXPECT_FALSE(h.add(body("B", "a", 12, 80)));      // the same body again
  EXPECT_FALSE(h.add(body("B", "other", 12, 80)));  // another headword of the same body
  EXPECT_TRUE(h.add(body("C", "a", 12, 80)));       // the same position in another book
  EXPECT_EQ(h.size(), 2);
  EXPECT_EQ(h.position(), 2);
}

TEST(DictionaryHistory, BackForwardAndTruncation) {
  DictionaryHistory h;
  for (int i = 1; i <= 4; ++i) h.add(body("B", "w", i, 0));
  EXPECT_EQ(h.back()->page, 3);
  EXPECT_EQ(h.back()->page, 2);
  EXPECT_EQ(h.forward()->page, 3);
  EXPECT_EQ(h.back()->page, 2);
  // A new body after two steps back drops the two newer entries.
  EXPECT_TRUE(h.add(body("B", "new", 9, 0)));
  EXPECT_EQ(h.size(), 3);
  EXPECT_EQ(h.position(), 3);
  EXPECT_FALSE(h.forward());
  EXPECT_FALSE(h.canGoForward());
  EXPECT_EQ(h.back()->page, 2);
  EXPECT_EQ(h.back()->page, 1);
  EXPECT_FALSE(h.back());  // entry 1: nothing
  EXPECT_EQ(h.position(), 1);
  EXPECT_FALSE(h.canGoBack());
}

TEST(DictionaryHistory, MenuNewestFirstAndChoicesDoNotMove) {
  DictionaryHistory h;
  for (int i = 1; i <= 3; ++i) h.add(body("B", "w", i, 0));
  EXPECT_EQ(menuIndexes(h), (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(h.at(0)->page, 1);
  EXPECT_EQ(h.position(), 3);
  EXPECT_EQ(h.back()->page, 2);  // taken from the entry that was current
  EXPECT_FALSE(h.at(3));
  h.clear();
  EXPECT_EQ(h.position(), 0);
  EXPECT_TRUE(h.menu().empty());
}

TEST(SearchWordList, NewestFirstOnceAndAtMostTenVisible) {
  pravella::edic::SearchWordList list;
  list.record("a");
  list.record("b");
  list.record("a");
  EXPECT_EQ(list.words(), (QStringList{"b", "a"}));
  EXPECT_EQ(list.visibleCount(), 2);
  for (int i = 0; i < 12; ++i) list.record(QString::number(i));
  EXPECT_EQ(list.words().size(), 14);
  EXPECT_EQ(list.visibleCount(), 10);
}

TEST(LinkTarget, FieldsOfATarget) {
  const struct {
    QString target;
    std::optional<BodyEntry> entry;
  } cases[] = {
      {"B:see:12:80", body("B", "see", 12, 80)},
      {"B:12:80", body("B", "*****", 12, 80)},
      {"B:a:b:c:12:80", body("B", "a:b:c", 12, 80)},  // a headword holding ":"
      {"B:12", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(pravella::edic::parseLinkTarget(c.target), c.entry) << c.target.toStdString();
  EXPECT_EQ(pravella::edic::linkTarget(body("B", "see", 12, 80)), "B:see:12:80");
}

TEST(LinkTarget, DragTextOfAHeadword) {
  EXPECT_EQ(pravella::edic::dragText(body("B", "abc\n", 12, 80)), "eDicSearchData:B:abc:12:80");
  EXPECT_EQ(pravella::edic::dragText(body("辞書", "語", 1, 0)), "eDicSearchData:辞書:語:1:0");
}

}  // namespace
