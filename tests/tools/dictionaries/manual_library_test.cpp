// The manual's documents: listing and filtering, writing back in their own format, the
// per-category history and finding a title by its first letters.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTextDocument>

#include "platform/rich_text_file.h"
#include "tools/dictionaries/manual_library.h"

using namespace pravella;
using namespace pravella::manual;

namespace {

void writeDoc(const QString& path, const QString& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QTextDocument doc;
  doc.setPlainText(text);
  ASSERT_TRUE(saveDocument(path, doc).ok) << path.toStdString();
}

}  // namespace

TEST(ManualLibrary, CategoryFolders) {
  EXPECT_TRUE(categoryFolder(0).endsWith("/Documents/diary/Manual/pv_introduction"));
  EXPECT_TRUE(categoryFolder(5).endsWith("/Documents/diary/Manual/cal_function"));
  EXPECT_EQ(categoryFolder(6), "");
  EXPECT_EQ(categoryFolder(-1), "");
}

TEST(ManualLibrary, ListsDocumentsAndFiltersByTextIgnoringCase) {
  const QString folder = categoryFolder(2);
  writeDoc(folder + "/sin.rtf", "the sine of an angle");
  writeDoc(folder + "/cos.rtfd", QString::fromUtf16(u"cosine 日本語"));
  writeDoc(folder + "/notes.txt.rtf", "plain");
  QDir().mkpath(folder);
  QFile other(folder + "/readme.RTF");
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.write("{\\rtf1 sine}");
  other.close();
  QFile broken(folder + "/broken.rtf");
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("not rich text SINE");
  broken.close();

  EXPECT_EQ(listDocuments(folder), QStringList({"broken.rtf", "cos.rtfd", "notes.txt.rtf", "sin.rtf"}));
  const struct {
    const char16_t* filter;
    QStringList listed;
  } cases[] = {
      {u"SINE", {"cos.rtfd", "sin.rtf"}},
      {u"Angle", {"sin.rtf"}},
      {u"日本", {"cos.rtfd"}},
      {u"\U0001F600", {}},  // a character Shift-JIS lacks lists nothing, not everything
      {u"zzz", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(listDocuments(folder, QString::fromUtf16(c.filter)), c.listed)
        << QString::fromUtf16(c.filter).toStdString();
  EXPECT_TRUE(listDocuments(categoryFolder(4)).isEmpty());
  EXPECT_EQ(titleOf("notes.txt.rtf"), "notes.txt");
  EXPECT_EQ(titleOf("cos.rtfd"), "cos");
}

TEST(ManualLibrary, WritesBackInTheDocumentsOwnFormat) {
  const QString folder = categoryFolder(3);
  writeDoc(folder + "/a.rtf", "one");
  writeDoc(folder + "/b.rtfd", "two");
  EXPECT_TRUE(QFileInfo(folder + "/a.rtf").isFile());
  QFile a(folder + "/a.rtf");
  ASSERT_TRUE(a.open(QIODevice::ReadOnly));
  EXPECT_TRUE(a.readAll().startsWith("{\\rtf"));
  EXPECT_TRUE(QFileInfo(folder + "/b.rtfd/TXT.rtf").isFile());
  bool ok = false;
  EXPECT_EQ(plainTextOfRichTextFile(folder + "/a.rtf", &ok).trimmed(), "one");
  EXPECT_TRUE(ok);
  // A write that cannot happen says so.
  QTextDocument doc;
  EXPECT_FALSE(saveDocument(folder + "/missing/x.rtf", doc).ok);
}

TEST(ManualLibrary, FindTitleAndScrollTarget) {
  const QStringList names = {"cal_plot.rtf", "Cos.rtf", "sign.rtf", "sin.rtf", "sinh.rtf"};
  const struct {
    const char* typed;
    int category, row;
  } cases[] = {{"s", 2, 2}, {"sin", 2, 3}, {"SINH", 2, 4}, {"cos", 2, 1},
               {"plot", 5, 0}, {"plot", 2, -1}, {"x", 2, -1}};
  for (const auto& c : cases) EXPECT_EQ(findTitle(names, c.typed, c.category), c.row) << c.typed;

  const struct {
    int row, previous, count, target;
  } scrolls[] = {{3, 0, 100, 0}, {20, 10, 100, 25}, {20, 30, 100, 15}, {98, 10, 100, 99}, {6, 10, 100, 1}};
  for (const auto& s : scrolls) EXPECT_EQ(scrollTarget(s.row, s.previous, s.count), s.target) << s.row;
}

TEST(ManualLibrary, HistoryKeepsOrderForTheCurrentEntry) {
  History h;
  EXPECT_EQ(h.back(), "");
  EXPECT_EQ(h.current(), -1);
  h.add("a");
  h.add("b");
  h.add("c");
  EXPECT_EQ(h.back(), "b");
  h.add("b");  // the current entry: nothing moves
  EXPECT_EQ(h.entries(), QStringList({"a", "b", "c"}));
  EXPECT_EQ(h.current(), 1);
  h.add("a");  // an older one moves to the end
  EXPECT_EQ(h.entries(), QStringList({"b", "c", "a"}));
  EXPECT_EQ(h.current(), 2);
  EXPECT_FALSE(h.canGoForward());
  EXPECT_EQ(h.forward(), "a");
  EXPECT_EQ(h.back(), "c");
  EXPECT_EQ(h.back(), "b");
  EXPECT_EQ(h.back(), "b");
  EXPECT_FALSE(h.canGoBack());
}

TEST(ManualLibrary, TypedLettersStartAnewAfterAPause) {
  KeyFindString k;
  EXPECT_EQ(k.type('s', 10000), "s");
  EXPECT_EQ(k.type('i', 10900), "si");
  EXPECT_EQ(k.type('n', 11800), "sin");
  EXPECT_EQ(k.type('c', 12801), "c");  // more than a second
  EXPECT_EQ(k.type('o', 13801), "co");  // exactly a second still continues
  k.clear();
  EXPECT_EQ(k.type('x', 13900), "x");
}

TEST(ManualLibrary, InstructionDocumentIsShipped) {
  bool ok = false;
  EXPECT_TRUE(plainTextOfRichTextFile(instructionDocument(), &ok).contains("Documents/diary/Manual"));
  EXPECT_TRUE(ok);
}
