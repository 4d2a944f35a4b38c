// String utilities behind the text built-ins.

#include <cstring>
#include <vector>

#include "lang/stdlib/file_access.h"
#include "lang/stdlib/file_fixture.h"
#include "lang/stdlib/string_utils.h"

class StringUtils : public FileTest {
  void TearDown() override {
    sortStringDirection = 0;
    FileTest::TearDown();
  }
};

TEST_F(StringUtils, WordsOfACommandLine) {
  std::string w = "old";
  EXPECT_EQ(getCommandNthArg("", 1, w), 0);
  ASSERT_EQ(getCommandNthArg("  cp\tsrc  dst\n", 2, w), 1);
  EXPECT_EQ(w, "src");
  ASSERT_EQ(getCommandNthArg("cp src", 3, w), 1);
  EXPECT_EQ(w, "");
  ASSERT_EQ(getCommandNthArg("cp src", 0, w), 1);
  EXPECT_EQ(w, "");
  EXPECT_EQ(getCommandArgN(" a  b\nc "), 3);
  EXPECT_EQ(getCommandArgN("   "), 0);
}

TEST_F(StringUtils, LinesAndItems) {
  std::string out;
  EXPECT_EQ(DoGetNthString("a\nb", 2, out), 1);
  EXPECT_EQ(out, "b");
  EXPECT_EQ(DoGetNthString("a\nb\n", 3, out), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(DoGetNthString("a\n\nc\n", 2, out), 1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(DoGetNthString("a", 0, out), 0);

  ASSERT_EQ(getNtheItemFromString("  x y\t\tz", 3, out), 1);
  EXPECT_EQ(out, "z");
  ASSERT_EQ(getNtheItemFromString("a b\nc", 3, out), 1);
  EXPECT_EQ(out, "");
  ASSERT_EQ(getNtheItemFromString("a b\nc", 2, out), 1);
  EXPECT_EQ(out, "b");
  ASSERT_EQ(getNtheItemFromString("a b", 0, out), 1);
  EXPECT_EQ(out, "");
}

TEST_F(StringUtils, TextBetweenTwoWords) {
  std::string out;
  ASSERT_EQ(getAllStringWithTwoWord("[a][bc]", "[", "]", out), 1);
  EXPECT_EQ(out, "a\nbc\n");
  ASSERT_EQ(getAllStringWithTwoWord("x\"q\"y", "\"", "\"", out), 1);
  EXPECT_EQ(out, "q\n");
  ASSERT_EQ(getAllStringWithTwoWord("<b>1</b> <b>2", "<b>", "</b>", out), 1);
  EXPECT_EQ(out, "1\n");
  ASSERT_EQ(getAllStringWithTwoWord("abc", "", "c", out), 1);
  EXPECT_EQ(out, "");
  const int saved = TNumber;
  TNumber = 8;
  EXPECT_EQ(getAllStringWithTwoWord("[0123456789012345678901234567890123456789012345678901234567890123]", "[",
                                    "]", out),
            0);
  TNumber = 64;
  EXPECT_EQ(takeErrors(), err("Too big result!"));
  EXPECT_EQ(getAllStringWithTwoWord(("[" + std::string(600, 'x') + "]").c_str(), "[", "]", out), 0);
  TNumber = saved;
  EXPECT_EQ(takeErrors(), err("Too big result!"));
}

TEST_F(StringUtils, SortingLines) {
  std::string out;
  ASSERT_EQ(SortString("b\na", out), 1);
  EXPECT_EQ(out, "a\nb\n");
  ASSERT_EQ(SortString("ab\na\n\xE3\x81\x82\nB\n", out), 1);
  EXPECT_EQ(out, "B\na\nab\n\xE3\x81\x82\n");  // bytes compare unsigned; "a\n" sorts before "ab\n"
  DoSetSortStringDirection(1.7);
  EXPECT_EQ(sortStringDirection, 1);
  ASSERT_EQ(SortString("a\nb\n", out), 1);
  EXPECT_EQ(out, "b\na\n");
  EXPECT_GT(compareString("a\n", "b\n"), 0);
}

TEST_F(StringUtils, NumbersFromText) {
  std::vector<double> out(8, -1);
  int rows = 0, cols = 0;
  ASSERT_EQ(ChangeStringToNumValue("", out.data(), &rows, &cols), 1);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(cols, 1);
  EXPECT_EQ(out[0], 0);
  ASSERT_EQ(ChangeStringToNumValue("1,2\n3,4", out.data(), &rows, &cols), 1);
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(cols, 2);
  EXPECT_EQ(out[3], 4);
  ASSERT_EQ(ChangeStringToNumValue("1 2\r\n3 4\r\n", out.data(), &rows, &cols), 1);
  EXPECT_EQ(rows, 2);
  // A string passes one line-end byte at the start of a line, a file two.
  EXPECT_EQ(ChangeStringToNumValue("1 2\n\n3 4\n", out.data(), &rows, &cols), 1);
  EXPECT_EQ(ChangeStringToNumValue("1 2\n\n\n3 4\n", out.data(), &rows, &cols), 0);
  EXPECT_EQ(ChangeStringToNumValue("1 2\n3\n", out.data(), &rows, &cols), 0);
  EXPECT_EQ(takeErrors(), err("Invalid data structure.") + err("Invalid data structure."));
}

TEST_F(StringUtils, FieldTemplatesAndFileNames) {
  double cols[16];
  ASSERT_EQ(spritString("xxx yy_zz", cols), 3);
  EXPECT_EQ(std::vector<double>(cols, cols + 6), (std::vector<double>{1, 3, 5, 6, 8, 9}));
  ASSERT_EQ(spritString("aaabbb", cols), 2);
  EXPECT_EQ(std::vector<double>(cols, cols + 4), (std::vector<double>{1, 3, 4, 6}));
  EXPECT_EQ(spritString("  __ \x80\x80", cols), 0);
  EXPECT_EQ(checkChar('_'), 1);
  EXPECT_EQ(checkChar(' '), 1);
  EXPECT_EQ(checkChar(128), 1);
  EXPECT_EQ(checkChar('a'), 0);

  std::string out;
  ASSERT_EQ(DoGetFileNameFromFullPathName("/a/b.txt\n/c/d", out), 1);
  EXPECT_EQ(out, "b.txt\nd");
  ASSERT_EQ(DoGetFileNameFromFullPathName("/a/\n\nplain\n", out), 1);
  EXPECT_EQ(out, "\nplain");
}

TEST_F(StringUtils, ByteRangeOfAFile) {
  write("f.bin", "0123456789");
  std::string out;
  ASSERT_EQ(getFileString("f.bin", 2, 5, out), 1);
  EXPECT_EQ(out, "234");
  ASSERT_EQ(getFileString("f.bin", 8, 20, out), 1);
  EXPECT_EQ(out, "89");
  ASSERT_EQ(getFileString("f.bin", 5, 2, out), 1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(getFileString("none", 0, 1, out), 0);
  EXPECT_EQ(getFileString("f.bin", -1, 1, out), 0);
  EXPECT_EQ(getFileString("f.bin", 0, 2 * TNumber * 4, out), 0);
  EXPECT_EQ(takeErrors(), "");
}

TEST_F(StringUtils, LengthPrefixedStringsAndSmallHelpers) {
  unsigned char p[300];
  char c[300];
  ASSERT_EQ(cToP("Osaka", p), 1);
  EXPECT_EQ(p[0], 5);
  EXPECT_EQ(std::memcmp(p + 1, "Osaka", 5), 0);
  ASSERT_EQ(pToC(p, c), 1);
  EXPECT_STREQ(c, "Osaka");
  EXPECT_EQ(cToP(std::string(255, 'a').c_str(), p), 1);
  EXPECT_EQ(cToP(std::string(256, 'a').c_str(), p), 0);  // no length byte can say 256

  std::string folder;
  EXPECT_EQ(addCoronToString(folder), 1);
  EXPECT_EQ(folder, "");
  folder = "data";
  EXPECT_EQ(addCoronToString(folder), 1);
  EXPECT_EQ(folder, "data/");
  EXPECT_EQ(addCoronToString(folder), 0);

  char form[] = "a+b%41%4a%2%zz";
  plustospace(form);
  unescape_url(form);
  EXPECT_STREQ(form, "a bAJ%2%zz");
  EXPECT_EQ(x2c("7e"), '~');

  write("form.txt", "name=x&rest");
  pravella::UniqueFile f = pravella::openLanguageFile("form.txt", "r");
  long budget = 11;
  EXPECT_EQ(fmakeword(f.get(), '&', &budget), "name=x");
  EXPECT_EQ(budget, 4);
  EXPECT_EQ(fmakeword(f.get(), '&', &budget), "rest");
  budget = 3;
  EXPECT_EQ(fmakeword(f.get(), '&', &budget), "");
}
