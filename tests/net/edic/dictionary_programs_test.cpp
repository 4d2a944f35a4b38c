// The dictionary built-ins run as programs against a fixture dictionary folder.

#include <string>

#include "edic_fixture.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/values.h"

namespace {

using namespace pravella::test::edic;

class DictionaryPrograms : public EdicTest {
 protected:
  void SetUp() override {
    EdicTest::SetUp();
    ASSERT_EQ(vkStartUp(), 1);
    const BookText book = standardBook();
    writeBook("P", "平文", book.bytes, false);
    writeBook("Z", "圧縮", compressBook(book), true);
    // The table is read by the first look-up of a program, as pravella-calc does.
    std::string ignored;
    pravella::edic::getEDictionaryPath("/nonexistent", &ignored);
  }
  std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }
};

// The key of a word: its Shift-JIS pairs as JIS codes.
constexpr const char* kKey = "k$ = sjis2jis_noCnt(stringToShiftJIS(\"あい\"));";

TEST_F(DictionaryPrograms, TitlesRangesHitsAndHeadings) {
  EXPECT_EQ(run("checkDictionary(0);"), "平文\n圧縮\n\n.OK.\n");
  for (const char* book : {"平文", "圧縮"}) {
    const std::string b = std::string("\"") + book + "\"";
    EXPECT_EQ(run("dicKensakuList(" + b + ", 145); dicKensakuList(" + b + ", 255);"),
              "    2.0000     2.0000\n   -1.0000    -1.0000\n.OK.\n")
        << book;
    EXPECT_EQ(run(std::string(kKey) + "r = dicKensakuList(" + b + ", 145); h = kensakuJikkou_Hyouki(" + b +
                  ", k$, r); h; stringFromShiftJIS(eBookMidashiList(" + b + ", h));"),
              "   12.0000   256.0000    10.0000    64.0000\n"
              "   12.0000   512.0000    10.0000   128.0000\n"
              "あい\nあいさつ\n\n.OK.\n")
        << book;
    EXPECT_EQ(run(std::string(kKey) + "kensakuJikkou_Cond(" + b + ", k$, |6, 0|);"),
              "   13.0000   256.0000    10.0000   576.0000\n.OK.\n")
        << book;
    EXPECT_EQ(
        run("k$ = sjis2jis_noCnt(stringToShiftJIS(\"き\")); s$ = sjis2jis_noCnt(stringToShiftJIS(\"きく\"));"
            "kensakuJikkou_Kana(" +
            b + ", k$, |5, 0|); kensakuJikkou_Kana(" + b + ", k$, s$, |5, 0|);"),
        "   12.0000  1536.0000    10.0000   384.0000\n"
        "   12.0000  1792.0000    10.0000   448.0000\n"
        "   12.0000  1792.0000    10.0000   448.0000\n.OK.\n")
        << book;
  }
}

TEST_F(DictionaryPrograms, ArgumentsAndFailures) {
  const struct {
    std::string program, output;
  } cases[] = {
      {"checkDictionary(\"x\");", "...<Error>...need data\n.NO.\n"},
      {"dicKensakuList(\"平文\", 256);", "...<Error>...Invalid arguments.\n.NO.\n"},
      {"dicKensakuList(\"平文\", -1);", "...<Error>...Invalid arguments.\n.NO.\n"},
      {"dicKensakuList(\"平文\", \"x\");", "...<Error>...Invalid type\n.NO.\n"},
      {"dicKensakuList(1, 145);", "...<Error>...Invalid URL\n.NO.\n"},
      {"dicKensakuList(\"無い\", 145);", "   -1.0000    -1.0000\n.OK.\n"},
      {"eBookMidashiList(\"平文\", |1, 2, 3|);", "...<Error>...Invalid arguments.\n.NO.\n"},
      {"eBookMidashiList(\"平文\", |12, 0, 999, 0|);", "...<Error>...Bad EBook\n.NO.\n"},
      {"eBookMidashiList(\"圧縮\", |12, 0, 999, 0|);", "...<Error>...Bad EBook\n.NO.\n"},
      {"eBookMidashiList(\"無い\", |12, 0, 10, 0|);", "...<Error>...Bad EBook\n.NO.\n"},
      {"kensakuJikkou_Hyouki(\"平文\", \"" + std::string(251, 'a') + "\", |2, 2|);",
       "...<Error>...Invalid arguments.\n.NO.\n"},
      {"kensakuJikkou_Hyouki(\"平文\", \"k\", |2, 2, 3|);", "...<Error>...Invalid arguments.\n.NO.\n"},
      // A search that finds nothing, or cannot read its book, is no error.
      {"h = kensakuJikkou_Hyouki(\"無い\", \"k\", |2, 2|); msize(h); nsize(h);",
       "    0.0000\n    4.0000\n.OK.\n"},
      {"h = kensakuJikkou_Kana(\"平文\", \"\", |5, 0|); msize(h); nsize(h);",
       "    0.0000\n    4.0000\n.OK.\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(run(c.program), c.output) << c.program;
}

TEST_F(DictionaryPrograms, ACompressedBookThatDoesNotOpen) {
  writeBook("Z", "圧縮", Bytes(10, 0), true);
  std::string ignored;
  pravella::edic::getEDictionaryPath(dictionaryFolder().toStdString(), &ignored);
  for (const char* program :
       {"dicKensakuList(\"圧縮\", 145);", "kensakuJikkou_Hyouki(\"圧縮\", \"k\", |2, 2|);",
        "eBookMidashiList(\"圧縮\", |1, 2, 3, 4|);"})
    EXPECT_EQ(run(program), "...<Error>...Bad EPWING File\n.NO.\n") << program;
}

TEST_F(DictionaryPrograms, HitsStopAtTheResultBuffer) {
  // 3,000 entries under one key; with the buffers lowered to 10,000 elements a search keeps
  // the 2,500 hits of 4 numbers they hold.
  writeBook("G", "大量", generatedBook(std::vector<std::string>(3000, jis("あ"))).bytes, false);
  std::string ignored;
  pravella::edic::getEDictionaryPath(dictionaryFolder().toStdString(), &ignored);
  const std::string search =
      "k$ = sjis2jis_noCnt(stringToShiftJIS(\"あ\")); msize(kensakuJikkou_Hyouki(\"大量\", k$, "
      "dicKensakuList(\"大量\", 145)));";
  EXPECT_EQ(run(search), " 3000.0000\n.OK.\n");
  EXPECT_EQ(run("element(10000);" + search), " 2500.0000\n.OK.\n");
  run("element(1000000);");
}

}  // namespace
