#include "tools/finder/finder_history.h"

#include <gtest/gtest.h>

namespace {

using pravella::FinderHistory;
using pravella::FinderMarks;

QStringList list(std::initializer_list<const char*> items) {
  QStringList out;
  for (const char* i : items) out << QString::fromLatin1(i);
  return out;
}

FinderHistory shown(std::initializer_list<const char*> paths) {
  FinderHistory h;
  for (const char* p : paths) h.add(QString::fromLatin1(p));
  return h;
}

TEST(FinderHistory, AShownPathMovesToTheEndAndTheStepsStopAtTheEnds) {
  FinderHistory h = shown({"/A", "/B", "/C", "/A"});
  EXPECT_EQ(h.entries(), list({"/B", "/C", "/A"}));
  EXPECT_EQ(h.current(), 2);
  EXPECT_FALSE(h.buttons(false).forward);
  EXPECT_TRUE(h.buttons(false).back);
  EXPECT_EQ(h.before(), QStringLiteral("/C"));
  EXPECT_EQ(h.before(), QStringLiteral("/B"));
  EXPECT_FALSE(h.buttons(false).back);
  EXPECT_TRUE(h.buttons(false).forward);
  EXPECT_EQ(h.before(), QStringLiteral("/B"));  // stays at the first
  EXPECT_EQ(h.next(), QStringLiteral("/C"));
  EXPECT_EQ(h.next(), QStringLiteral("/A"));
  EXPECT_EQ(h.next(), QStringLiteral("/A"));

  // The current entry shown again changes nothing; another one shown again moves to the end.
  h.before();
  h.add(QStringLiteral("/C"));
  EXPECT_EQ(h.entries(), list({"/B", "/C", "/A"}));
  EXPECT_EQ(h.current(), 1);
  h.add(QStringLiteral("/B"));
  EXPECT_EQ(h.entries(), list({"/C", "/A", "/B"}));
  EXPECT_EQ(h.current(), 2);
}

TEST(FinderHistory, RemovalKeepsTheCurrentIndexInsideTheList) {
  struct Case {
    const char* name;
    int stepsBack;  // from the last entry of A, B, C
    const char* removed;
    QStringList left;
    int current;
  };
  const Case cases[] = {
      {"the current last entry", 0, "/C", list({"/A", "/B"}), 1},
      {"the current middle entry", 1, "/B", list({"/A", "/C"}), 1},
      {"an entry before the current", 0, "/A", list({"/B", "/C"}), 1},
      {"an entry after the current", 2, "/C", list({"/A", "/B"}), 0},
      {"a path not listed", 1, "/X", list({"/A", "/B", "/C"}), 1},
  };
  for (const Case& c : cases) {
    FinderHistory h = shown({"/A", "/B", "/C"});
    for (int i = 0; i < c.stepsBack; ++i) h.before();
    h.remove(QString::fromLatin1(c.removed));
    EXPECT_EQ(h.entries(), c.left) << c.name;
    EXPECT_EQ(h.current(), c.current) << c.name;
  }
  FinderHistory one = shown({"/A"});
  one.remove(QStringLiteral("/A"));
  EXPECT_EQ(one.current(), -1);
  EXPECT_EQ(one.next(), std::nullopt);
  EXPECT_EQ(one.before(), std::nullopt);
}

TEST(FinderHistory, TheFirstFolderEntryIsRemoved) {
  FinderHistory h = shown({"/A", "/dir1", "/B", "/dir2"});
  h.removeFirstFolder([](const QString& p) { return p.startsWith(QLatin1String("/dir")); });
  EXPECT_EQ(h.entries(), list({"/A", "/B", "/dir2"}));
  EXPECT_EQ(h.current(), 2);
}

TEST(FinderHistory, ButtonRules) {
  struct Case {
    const char* name;
    FinderHistory history;
    bool folderShown;
    bool back, forward;
  };
  const Case cases[] = {
      {"empty", FinderHistory(), false, false, false},
      {"one entry, a file shown", shown({"/A"}), false, false, false},
      {"one entry, a folder shown: both lead back to it", shown({"/A"}), true, true, true},
      {"two entries, at the last", shown({"/A", "/B"}), true, true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.history.buttons(c.folderShown).back, c.back) << c.name;
    EXPECT_EQ(c.history.buttons(c.folderShown).forward, c.forward) << c.name;
  }
}

TEST(FinderMarks, APathMayBeMarkedTwiceAndUnmarkingTakesTheFirst) {
  FinderMarks marks;
  marks.add(QStringLiteral("/a"));
  marks.add(QStringLiteral("/b"));
  marks.add(QStringLiteral("/a"));
  EXPECT_EQ(marks.entries(), list({"/a", "/b", "/a"}));
  EXPECT_TRUE(marks.remove(QStringLiteral("/a")));
  EXPECT_EQ(marks.entries(), list({"/b", "/a"}));
  EXPECT_FALSE(marks.remove(QStringLiteral("/x")));
  EXPECT_TRUE(marks.contains(QStringLiteral("/a")));
  marks.clear();
  EXPECT_TRUE(marks.isEmpty());
}

TEST(FinderMarks, MarksLeaveWithTheirItemAndFollowItToANewName) {
  FinderMarks marks;
  for (const char* path : {"/d/a", "/d/a/in", "/d/ab", "/d/a", "/e"}) marks.add(QString::fromLatin1(path));
  marks.follow(QStringLiteral("/d/a"), QStringLiteral("/d/c"));
  EXPECT_EQ(marks.entries(), list({"/d/c", "/d/c/in", "/d/ab", "/d/c", "/e"}));
  EXPECT_TRUE(marks.forget(QStringLiteral("/d/c")));
  EXPECT_EQ(marks.entries(), list({"/d/ab", "/e"}));
  EXPECT_FALSE(marks.forget(QStringLiteral("/d/a")));
}

}  // namespace
