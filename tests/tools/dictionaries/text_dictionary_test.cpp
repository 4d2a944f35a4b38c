// Searching the user's text dictionaries: index lines, body entries, the hit history.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/paths.h"
#include "platform/text_encoding.h"
#include "tools/dictionaries/text_dictionary.h"

using namespace pravella;
using namespace pravella::textdic;

namespace {

QString q(const char16_t* s) { return QString::fromUtf16(s); }

void writeSjis(const QString& path, const QString& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(encoding::encode(text, encoding::kShiftJIS));
}

QString dicFile(const QString& rel) { return dictionaryFolder() + u'/' + rel; }

}  // namespace

TEST(TextDictionary, Han2Zen) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"abc", u"ａｂｃ"},
      {u"Z9z0", u"Ｚ９ｚ０"},
      {u"a-b c\n", u"ａ-ｂ ｃ"},
      {u"日本a", u"日本ａ"},
      {u"", u""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(han2zen(q(in)), q(out)) << q(in).toStdString();
}

TEST(TextDictionary, FindLine) {
  const QString text = QStringLiteral("ab\ncd\r\nef");
  const struct {
    qsizetype pos, start, end;
  } cases[] = {{0, 0, 2}, {1, 0, 2}, {3, 3, 5}, {4, 3, 5}, {7, 7, 9}, {9, 7, 9}};
  for (const auto& c : cases) {
    const LineRange r = findLine(text, c.pos);
    EXPECT_EQ(r.start, c.start) << c.pos;
    EXPECT_EQ(r.end, c.end) << c.pos;
  }
}

TEST(TextDictionary, IndexLines) {
  const QString index = QStringLiteral("/d/eng/words.TAG");
  const struct {
    const char16_t* line;
    bool ok;
    const char16_t *path, *dictionary, *line_number, *word;
  } cases[] = {
      {u"body.txt(12)x#apple more", true, u"/d/eng/body.txt", u"body", u"12", u"apple"},
      {u"  body.txt( 7 ) #  りんご", true, u"/d/eng/body.txt", u"body", u"7", u"りんご"},
      {u"sub/b.dat(3)#w", true, u"/d/eng/sub/b.dat", u"b", u"3", u"w"},
      {u"body.txt 12 #apple", false, u"", u"", u"", u""},      // no "(" form
      {u"/etc/passwd(1)#apple", false, u"", u"", u"", u""},   // absolute
      {u"../x.txt(1)#apple", false, u"", u"", u"", u""},      // climbs out
      {u"a/../../x.txt(1)#apple", false, u"", u"", u"", u""},
      {u"(1)#apple", false, u"", u"", u"", u""},              // no name
  };
  for (const auto& c : cases) {
    Hit hit;
    ASSERT_EQ(parseIndexLine(q(c.line), index, &hit), c.ok) << q(c.line).toStdString();
    if (!c.ok) continue;
    EXPECT_EQ(hit.path, q(c.path));
    EXPECT_EQ(hit.dictionary, q(c.dictionary));
    EXPECT_EQ(hit.group, QStringLiteral("words"));
    EXPECT_EQ(hit.line, q(c.line_number));
    EXPECT_EQ(hit.word, q(c.word));
  }
}

TEST(TextDictionary, FindsIndexFilesOneLevelDownWithExactExtension) {
  writeSjis(dicFile("top.TAG"), "#");
  writeSjis(dicFile("b/two.TAG"), "#");
  writeSjis(dicFile("a/one.TAG"), "#");
  writeSjis(dicFile("a/lower.tag"), "#");
  writeSjis(dicFile("a/x.TAGS"), "#");
  writeSjis(dicFile("a/deep/three.TAG"), "#");
  EXPECT_EQ(findDictionaryFiles(), QStringList({dicFile("a/one.TAG"), dicFile("b/two.TAG")}));
}

TEST(TextDictionary, SearchMatchesFullWidthAnyCaseOnceALine) {
  writeSjis(dicFile("e/g.TAG"), q(u"ＡＢＣ header before the first hash\n"
                                  u"#\n"
                                  u"b.txt(1)#ＡＢＣ\r"
                                  u"b.txt(2)#ａｂｃ and ａｂｃ again\n"
                                  u"b.txt(3)#xyz\n"
                                  u"no form ａｂｃ\n"
                                  u"b.txt(4)#ＡｂＣ"));
  int lastProgress = 0;
  const SearchResult r = search(findDictionaryFiles(), han2zen("abc"), [&](int n) { lastProgress = n; });
  EXPECT_EQ(lastProgress, 1);
  EXPECT_FALSE(r.tooMany);
  ASSERT_EQ(r.hits.size(), 3);
  EXPECT_EQ(r.hits[0].line, "1");
  EXPECT_EQ(r.hits[1].line, "2");
  EXPECT_EQ(r.hits[1].word, q(u"ａｂｃ"));
  EXPECT_EQ(r.hits[2].line, "4");
  EXPECT_EQ(r.hits[0].path, dicFile("e/b.txt"));
  EXPECT_EQ(r.hits[0].group, "g");
  EXPECT_EQ(r.hits[0].dictionary, "b");
  EXPECT_TRUE(search(findDictionaryFiles(), QString()).hits.isEmpty());
}

TEST(TextDictionary, StopsAfterTooManyHits) {
  QString index = QStringLiteral("#\n");
  for (int i = 1; i <= 600; ++i) index += QStringLiteral("b.txt(%1)#w\n").arg(i);
  writeSjis(dicFile("e/g.TAG"), index);
  const SearchResult r = search(findDictionaryFiles(), QStringLiteral("w"));
  EXPECT_TRUE(r.tooMany);
  EXPECT_EQ(r.hits.size(), kMaxHits + 1);
  EXPECT_EQ(r.hits.last().line, "501");
}

TEST(TextDictionary, EntryJoinsContinuationLines) {
  QString body;
  for (int i = 1; i <= 11; ++i) body += QStringLiteral("line %1\n").arg(i);
  body += q(u"見出し\n 続き一\n 続き二\nnext\n");
  const QString path = dicFile("e/body.txt");
  writeSjis(path, body);
  EXPECT_EQ(entryText(path, 12), q(u"見出し 続き一 続き二"));
  EXPECT_EQ(entryText(path, 1), "line 1");
  EXPECT_EQ(entryText(path, 99), "");
  EXPECT_EQ(entryText(path, 0), "");
  EXPECT_EQ(entryText(dicFile("e/missing.txt"), 1), "");
}

TEST(TextDictionary, BadShiftJisByteKeepsTheRest) {
  const QString path = dicFile("e/bad.txt");
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray("first\n\x81\x20oops\nthird\n"));
  f.close();
  EXPECT_EQ(entryText(path, 3), "third");
}

TEST(TextDictionary, HistoryEntriesAndSteps) {
  EXPECT_EQ(historyEntry(12, "/p/b.txt"), "   12\t/p/b.txt");
  int n = 0;
  QString p;
  ASSERT_TRUE(splitHistoryEntry("   12\t/p/b.txt", &n, &p));
  EXPECT_EQ(n, 12);
  EXPECT_EQ(p, "/p/b.txt");

  HitHistory h;
  EXPECT_EQ(h.back(), "");
  EXPECT_EQ(h.current(), -1);
  h.add("a");
  h.add("b");
  h.add("a");  // shown again: one entry, moved to the end
  EXPECT_EQ(h.entries(), QStringList({"b", "a"}));
  EXPECT_EQ(h.current(), 1);
  EXPECT_TRUE(h.canGoBack());
  EXPECT_FALSE(h.canGoForward());
  EXPECT_EQ(h.back(), "b");
  EXPECT_EQ(h.back(), "b");  // held at the first
  EXPECT_FALSE(h.canGoBack());
  EXPECT_EQ(h.forward(), "a");
  EXPECT_EQ(h.forward(), "a");

  WordList words;
  words.add("x");
  words.add("y");
  words.add("x");
  EXPECT_EQ(words.newestFirst(), QStringList({"x", "y"}));
}
