// Built-ins T whose effect lies in files: the textFile_ tools rewrite or write files in the
// working folder, and type reads one back.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "graphics/picture.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "platform/paths.h"
#include "support/test_home.h"

namespace {

namespace fs = std::filesystem;

std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class LettersTTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    dir = fs::path(pravella::test::home().toStdString()) / "texts";
    fs::create_directories(dir);
    current_fullPath = dir.string();
  }
  void write(const std::string& name, const std::string& text) { std::ofstream(dir / name, std::ios::binary) << text; }
  fs::path dir;
};

TEST_F(LettersTTest, FiltersRewriteTheFileOrWriteASecondOne) {
  write("a.txt", "a 1 x\nb 2 y\n\nc 3 z\n");
  EXPECT_EQ(run("textFile_GetLineNumber(\"a.txt\");"), "    4.0000\n.OK.\n");

  EXPECT_EQ(run("textFile_SelectNumber(\"a.txt\", \"n.txt\", 2, \">\", 1);"), ".OK.\n");
  EXPECT_EQ(slurp(dir / "n.txt"), "b 2 y\nc 3 z\n");

  EXPECT_EQ(run("textFile_SelectItem(\"a.txt\", \"s.txt\", \"b\");"), ".OK.\n");
  EXPECT_EQ(slurp(dir / "s.txt"), "b 2 y\n");
  EXPECT_EQ(run("textFile_DeSelectItem(\"a.txt\", \"d.txt\", \"b\");"), ".OK.\n");
  EXPECT_EQ(slurp(dir / "d.txt"), "a 1 x\n\nc 3 z\n");

  EXPECT_EQ(run("textFile_GetNthItem(\"a.txt\", \"g.txt\", |3, 1|);"), ".OK.\n");
  EXPECT_EQ(slurp(dir / "g.txt"), "x\ta\ny\tb\nz\tc\n");

  EXPECT_EQ(run("textFile_DeleteNullLine(\"a.txt\");"), ".OK.\n");
  EXPECT_EQ(slurp(dir / "a.txt"), "a 1 x\nb 2 y\nc 3 z\n");

  EXPECT_EQ(run("textFile_ExchangeItem(\"a.txt\", \" \", \"-\");"), ".OK.\n");
  EXPECT_EQ(slurp(dir / "a.txt"), "a-1-x\nb-2-y\nc-3-z\n");

  EXPECT_EQ(run("textFile_DeleteItem(\"a.txt\", \"-\");"), ".OK.\n");
  EXPECT_EQ(slurp(dir / "a.txt"), "a1-x\nb2-y\nc3-z\n");

  // A 1 x 1 position is an item number: the second item of each line.
  write("m.txt", "k 5\nk 1\n");
  EXPECT_EQ(run("textFile_SelectNumber(\"m.txt\", |2|, \">=\", 2);"), ".OK.\n");
  EXPECT_EQ(slurp(dir / "m.txt"), "k 5\n");

  EXPECT_EQ(run("type(\"m.txt\");"), "k 5\n\n.OK.\n");
}

TEST_F(LettersTTest, SelectAreaAcceptsASingleColumn) {
  write("w.txt", "abcdef\nxyz\n");
  EXPECT_EQ(run("textFile_SelectArea(\"w.txt\", \"o.txt\", |2, 2|);"), ".OK.\n");
  EXPECT_EQ(slurp(dir / "o.txt"), "c\nz\n");
}

TEST_F(LettersTTest, CatAppendsInArgumentOrderAndRefusesTheSameName) {
  write("dest.txt", "0\n");
  write("one.txt", "1\n");
  write("two.txt", "2\n");
  EXPECT_EQ(run("textFile_Cat(\"dest.txt\", \"one.txt\", \"two.txt\");"), ".OK.\n");
  EXPECT_EQ(slurp(dir / "dest.txt"), "0\n1\n2\n");

  EXPECT_EQ(run("textFile_Cat(\"dest.txt\", \"dest.txt\");"), "...<Error>...Same File Name\n.NO.\n");
  EXPECT_EQ(slurp(dir / "dest.txt"), "0\n1\n2\n");

  // A name of 256 bytes, made by joining two literals (a literal has its own limit).
  const std::string half(128, 'n');
  EXPECT_EQ(run("n$ = \"" + half + "\" + \"" + half + "\"; textFile_Cat(\"dest.txt\", n$);"),
            "...<Error>...Too long file name\n.NO.\n");
  EXPECT_EQ(slurp(dir / "dest.txt"), "0\n1\n2\n");
}

TEST_F(LettersTTest, CountAndCut) {
  write("c.txt", "x\ny\nx\n");
  EXPECT_EQ(run("textFile_CountSameString(\"c.txt\", \"counts.txt\");"), ".OK.\n");
  EXPECT_EQ(slurp(dir / "counts.txt"), "x\t2\ny\t1\n");

  EXPECT_EQ(run("textFile_Cut(\"c.txt\", \"y\");"), ".OK.\n");
  EXPECT_TRUE(fs::exists(dir / "c.txt.001"));
  EXPECT_TRUE(fs::exists(dir / "c.txt.002"));
}

// Shift-JIS bytes cannot be typed into program text, so these programs carry them raw.
TEST_F(LettersTTest, ShiftJisWidthConversions) {
  // Full-width A (0x8260), the katakana a (0x8341) and the voiced ga (0x834B).
  EXPECT_EQ(run("chr(toHankakuSJIS(\"\x82\x60\x83\x41\x83\x4B\"));"),
            "   65.0000   177.0000   255.0000\n.OK.\n");
  // Half-width to full-width Shift-JIS: A is 0x8260, 1 is 0x8250.
  EXPECT_EQ(run("chr(toZenkakuSJIS(\"A1\"));"), "  130.0000    96.0000   130.0000    80.0000\n.OK.\n");
}

// The picture a variable holds after a run, as an image.
QImage pictureOf(const std::string& name) {
  int index = 0;
  if (!findVariable(name, &index)) return {};
  const VariableRecord& record = variableTable[static_cast<std::size_t>(index)];
  return pravella::Picture::fromBytes(record.data.data(), record.data.size()).toImage();
}

TEST_F(LettersTTest, Text2PictFillsTheBackgroundAndRoundsWithANegativeMargin) {
  ASSERT_EQ(run("a# = text2Pict(\"Hi\", 4, \"Osaka\", 12, |0, 0, 0|, |255, 0, 0|);"
                "b# = text2Pict(\"Hi\", -4, \"Osaka\", 12, \"black\", |255, 0, 0|);"),
            ".OK.\n");
  const QImage square = pictureOf("a#"), rounded = pictureOf("b#");
  ASSERT_FALSE(square.isNull());
  ASSERT_EQ(square.size(), rounded.size());
  const int w = square.width(), h = square.height();
  for (const QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)}) {
    EXPECT_EQ(square.pixel(p), qRgb(255, 0, 0)) << p.x() << "," << p.y();
    EXPECT_EQ(qAlpha(rounded.pixel(p)), 0) << p.x() << "," << p.y();
  }
  // Inside the margin the background shows; somewhere the text is drawn in black.
  EXPECT_EQ(rounded.pixel(2, h / 2), qRgb(255, 0, 0));
  bool black = false;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) black = black || square.pixel(x, y) == qRgb(0, 0, 0);
  EXPECT_TRUE(black);
}

TEST_F(LettersTTest, TextutilConvertsOntoTheDesktopAndSurvivesAMissingConverter) {
  // A text is plain text: its asterisks stay.
  write("Memo.txt", "Hello *world*\n");
  const fs::path desktop = pravella::paths::desktop().toStdString();
  fs::create_directories(desktop);
  // A file of that name on the Desktop stays: the page takes a free name.
  std::ofstream(desktop / "Memo.html") << "old";
  EXPECT_EQ(run("textutil(\"html\", \"" + (dir / "Memo.txt").string() + "\");"), ".OK.\n");
  EXPECT_EQ(slurp(desktop / "Memo.html"), "old");
  const std::string html = slurp(desktop / "Memo-2.html");
  EXPECT_NE(html.find("Hello *world*"), std::string::npos) << html;

  // Without a converter on the path nothing is written and the program ends with the reason.
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", "/nonexistent-folder");
  const std::string missing = run("textutil(\"docx\", \"" + (dir / "Memo.txt").string() + "\"); 1;");
  qputenv("PATH", path);
  EXPECT_EQ(missing.rfind("...<Error>...textutil: ", 0), 0u) << missing;
  EXPECT_NE(missing.find("pandoc"), std::string::npos) << missing;
  EXPECT_EQ(missing.substr(missing.size() - 5), ".NO.\n") << missing;
  EXPECT_FALSE(fs::exists(desktop / "Memo.docx"));

  // A format no converter writes; convertDocument is the same built-in.
  EXPECT_EQ(run("convertDocument(\"pdf\", \"" + (dir / "Memo.txt").string() + "\");"),
            "...<Error>...textutil: No converter writes the format pdf\n.NO.\n");
  EXPECT_FALSE(fs::exists(desktop / "Memo.pdf"));
  EXPECT_EQ(run("convertDocument(\"txt\", \"" + (dir / "Memo.txt").string() + "\");"), ".OK.\n");
  EXPECT_EQ(slurp(desktop / "Memo.txt"), "Hello *world*\n");
}

TEST_F(LettersTTest, TextutilNeverRemovesItsInput) {
  // The output's name is the input's: by its own name, through a link on the Desktop, or as a
  // second hard link. The output takes a free name, and every file keeps its text.
  const fs::path desktop = pravella::paths::desktop().toStdString();
  fs::create_directories(desktop);
  std::ofstream(desktop / "notes.txt") << "my notes\n";
  std::ofstream(desktop / "memo.rtf") << "{\\rtf1 my memo}";
  write("Linked.txt", "linked\n");
  fs::create_symlink(dir / "Linked.txt", desktop / "Linked.txt");
  write("Hard.txt", "hard\n");
  fs::create_hard_link(dir / "Hard.txt", desktop / "Hard.txt");
  struct Case {
    std::string format;
    fs::path input;
    fs::path output;
    std::string text;
  };
  const Case cases[] = {
      {"txt", desktop / "notes.txt", desktop / "notes-2.txt", "my notes\n"},
      {"rtf", desktop / "memo.rtf", desktop / "memo-2.rtf", "{\\rtf1 my memo}"},
      {"txt", dir / "Linked.txt", desktop / "Linked-2.txt", "linked\n"},
      {"txt", dir / "Hard.txt", desktop / "Hard-2.txt", "hard\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.string());
    EXPECT_EQ(run("textutil(\"" + c.format + "\", \"" + c.input.string() + "\"); 1;"), "    1.0000\n.OK.\n");
    EXPECT_EQ(slurp(c.input), c.text);
    EXPECT_TRUE(fs::exists(c.output));
  }
  EXPECT_EQ(slurp(desktop / "notes-2.txt"), "my notes\n");
  EXPECT_TRUE(fs::is_symlink(desktop / "Linked.txt"));
  EXPECT_EQ(fs::hard_link_count(dir / "Hard.txt"), 2u);

  // "~" is no folder here: the file of that name on the Desktop is no input, and stays.
  EXPECT_EQ(run("textutil(\"txt\", \"~/Desktop/notes.txt\");"),
            "...<Error>...textutil: ~/Desktop/notes.txt does not exist\n.NO.\n");
  EXPECT_EQ(slurp(desktop / "notes.txt"), "my notes\n");
}

TEST_F(LettersTTest, TextutilTakesANameBeginningWithADashAsAFile) {
  // Named relative to the current folder, like an option of the converter that reads it.
  write("--lua-filter=x.html", "<p>Hello <em>dash</em></p>\n");
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.string())));
  const std::string result = run("textutil(\"txt\", \"--lua-filter=x.html\");");
  QDir::setCurrent(before);
  EXPECT_EQ(result, ".OK.\n");
  const std::string text = slurp(fs::path(pravella::paths::desktop().toStdString()) / "--lua-filter=x.txt");
  EXPECT_NE(text.find("Hello dash"), std::string::npos) << text;
}

}  // namespace
