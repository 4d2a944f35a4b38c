// The textFile_ filters: each filter's lines, both forms, and that a failure (a bad operator,
// a too long line, a missing file) leaves every file as it was.

#include "lang/stdlib/text_file_filters.h"
#include "lang/stdlib/file_fixture.h"

TEST_F(FileTest, FiltersWriteTheLinesThatPass) {
  struct Case {
    const char* name;
    std::string input;
    std::function<int(const char*, const char*)> twoFiles;
    std::function<int(const char*)> sameName;
    std::string expected;
  };
  const double chosen[2] = {3, 1};
  const std::vector<Case> cases = {
      {"delete empty lines", "a\n\nb\n", [](auto i, auto o) { return TextFile_DeleteNullLine(i, o); },
       [](auto n) { return TextFile_DeleteNullLine_SameName(n); }, "a\nb\n"},
      {"area", "abcd\na\n", [](auto i, auto o) { return TextFile_SelectArea(i, o, 1, 2); },
       [](auto n) { return TextFile_SelectArea_SameName(n, 1, 2); }, "bc\n\n"},
      {"area past the line", "abcd\r\nab", [](auto i, auto o) { return TextFile_SelectArea(i, o, 2, 9); },
       [](auto n) { return TextFile_SelectArea_SameName(n, 2, 9); }, "cd\n\n"},
      {"n-th number", "a 5\nb\t10\n  c 20 x\nd\n",
       [](auto i, auto o) { return TextFile_SelectItem_NthNumber(i, o, ">=", 2, 10); },
       [](auto n) { return TextFile_SelectItem_NthNumber_SameFile(n, ">=", 2, 10); }, "b\t10\n  c 20 x\n"},
      {"n-th number missing item reads 0", "a 5\nb\n",
       [](auto i, auto o) { return TextFile_SelectItem_NthNumber(i, o, "==", 2, 0); },
       [](auto n) { return TextFile_SelectItem_NthNumber_SameFile(n, "==", 2, 0); }, "b\n"},
      {"number in columns", "x012y\nx150y\nx9\n",
       [](auto i, auto o) { return TextFile_SelectItem_Number(i, o, "!=", 1, 3, 12); },
       [](auto n) { return TextFile_SelectItem_Number_SameFile(n, "!=", 1, 3, 12); }, "x150y\n"},
      {"select word", "apple\nbanana\npineapple\n",
       [](auto i, auto o) { return TextFile_SelectItem(i, o, "apple"); },
       [](auto n) { return TextFile_SelectItem_sameName(n, "apple"); }, "apple\npineapple\n"},
      {"deselect word", "apple\nbanana\nApple\n",
       [](auto i, auto o) { return TextFile_DeSelectItem(i, o, "apple"); },
       [](auto n) { return TextFile_DeSelectItem_sameName(n, "apple"); }, "banana\nApple\n"},
      {"delete word", "a-b-c\n-\nx\n", [](auto i, auto o) { return TextFile_DeleteItem(i, o, "-"); },
       [](auto n) { return TextFile_DeleteItem_sameName(n, "-"); }, "ab-c\n\nx\n"},
      {"exchange", "aaaa\naa\nbab\n", [](auto i, auto o) { return TextFile_ExchangeItem(i, o, "aa", "a"); },
       [](auto n) { return TextFile_ExchangeItem_SameName(n, "aa", "a"); }, "aa\na\nbab\n"},
      {"exchange drops emptied lines", "xx\nyxy\n",
       [](auto i, auto o) { return TextFile_ExchangeItem(i, o, "x", ""); },
       [](auto n) { return TextFile_ExchangeItem_SameName(n, "x", ""); }, "yy\n"},
      {"chosen items", "a b c\n  one\ttwo\n\n",
       [&](auto i, auto o) { return TextFile_GetNthItem(i, o, chosen, 2); },
       [&](auto n) { return TextFile_GetNthItem_SameName(n, chosen, 2); }, "c\ta\none\n"},
      {"CR LF comes out as LF", "a\r\nb\r\n", [](auto i, auto o) { return TextFile_DeleteNullLine(i, o); },
       [](auto n) { return TextFile_DeleteNullLine_SameName(n); }, "a\nb\n"},
      {"last line without LF", "a\nb", [](auto i, auto o) { return TextFile_DeleteItem(i, o, "z"); },
       [](auto n) { return TextFile_DeleteItem_sameName(n, "z"); }, "a\nb\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write("in.txt", c.input);
    ASSERT_EQ(c.twoFiles("in.txt", "out.txt"), 1) << ResultString;
    EXPECT_EQ(read("out.txt"), c.expected);
    EXPECT_EQ(read("in.txt"), c.input);
    ASSERT_EQ(c.sameName("in.txt"), 1) << ResultString;
    EXPECT_EQ(read("in.txt"), c.expected);
    EXPECT_EQ(entries(), (QStringList{"in.txt", "out.txt"}));  // no temporary left behind
  }
  EXPECT_EQ(takeErrors(), "");
}

TEST_F(FileTest, ABadOperatorOrAreaLeavesEveryFileAlone) {
  write("in.txt", "a 5\nb 10\n");
  write("out.txt", "old output\n");
  EXPECT_EQ(TextFile_SelectItem_NthNumber_SameFile("in.txt", "=>", 2, 1), 0);
  EXPECT_EQ(TextFile_SelectItem_NthNumber("in.txt", "out.txt", "=", 2, 1), 0);
  EXPECT_EQ(TextFile_SelectItem_Number_SameFile("in.txt", "<>", 0, 1, 1), 0);
  EXPECT_EQ(takeErrors(), err("Bad operator") + err("Bad operator") + err("Bad operator"));
  EXPECT_EQ(TextFile_SelectArea_SameName("in.txt", 3, 2), 0);
  EXPECT_EQ(TextFile_SelectArea("in.txt", "out.txt", -1, 2), 0);
  EXPECT_EQ(TextFile_SelectItem_Number("in.txt", "out.txt", ">", 2, 1, 0), 0);
  EXPECT_EQ(takeErrors(), err("Bad area") + err("Bad area") + err("Bad area"));
  const double bad[2] = {1, 0};
  EXPECT_EQ(TextFile_GetNthItem_SameName("in.txt", bad, 2), 0);
  EXPECT_EQ(TextFile_GetNthItem("in.txt", "out.txt", bad, 2), 0);
  EXPECT_EQ(takeErrors(), "");  // an item number below 1 fails without a message
  EXPECT_EQ(read("in.txt"), "a 5\nb 10\n");
  EXPECT_EQ(read("out.txt"), "old output\n");
}

TEST_F(FileTest, AFailedFilterKeepsItsInputAndOutput) {
  const std::string longLine = "ok\n" + std::string(4096, 'x') + "\n";
  write("in.txt", longLine);
  write("out.txt", "old output\n");
  EXPECT_EQ(TextFile_DeleteNullLine_SameName("in.txt"), 0);
  EXPECT_EQ(TextFile_DeleteNullLine("in.txt", "out.txt"), 0);
  EXPECT_EQ(takeErrors(), err("Too Big String") + err("Too Big String"));
  EXPECT_EQ(read("in.txt"), longLine);
  EXPECT_EQ(read("out.txt"), "old output\n");
  write("in.txt", std::string(4095, 'y') + "\r\n");  // CR is not kept, so this line fits
  EXPECT_EQ(TextFile_DeleteNullLine_SameName("in.txt"), 1);

  // The temporary of an in-place filter never takes a fixed name a user's file may have.
  write("$$$.txt", "user data\n");
  write("in.txt", "a\n\nb\n");
  ASSERT_EQ(TextFile_DeleteNullLine_SameName("in.txt"), 1);
  EXPECT_EQ(read("$$$.txt"), "user data\n");
  EXPECT_EQ(entries(), (QStringList{"$$$.txt", "in.txt", "out.txt"}));

  EXPECT_EQ(TextFile_DeleteNullLine("in.txt", "in.txt"), 0);
  EXPECT_EQ(takeErrors(), err("Same File Name"));
  EXPECT_EQ(TextFile_DeleteNullLine("none.txt", "out.txt"), 0);
  EXPECT_EQ(TextFile_DeleteNullLine("in.txt", ""), 0);
  EXPECT_EQ(TextFile_DeleteNullLine("in.txt", "no/folder/out.txt"), 0);
  EXPECT_EQ(takeErrors(), err("Can't read file.") + err("Can't read file.") + err("Can't write file."));
}

TEST_F(FileTest, EqualLinesAreCountedInOrderOfFirstAppearance) {
  write("in.txt", "x\ny\n\nx\r\nlast");
  ASSERT_EQ(TextFile_CountSameString("in.txt", "out.txt"), 1);
  EXPECT_EQ(read("out.txt"), "x\t2\ny\t1\n");
  EXPECT_EQ(TextFile_CountSameString("in.txt", "in.txt"), 0);
  write("in.txt", std::string(5000, 'z') + "\n");
  EXPECT_EQ(TextFile_CountSameString("in.txt", "out.txt"), 0);
  EXPECT_EQ(takeErrors(), err("Same File Name") + err("Can not read data"));
  EXPECT_EQ(read("out.txt"), "x\t2\ny\t1\n");
}

TEST_F(FileTest, CutSplitsAtEveryMarkerLine) {
  write("log", "mark 1\nline 2\nmark 3\nline 4\n");
  ASSERT_EQ(TextFile_Cut("log", "mark"), 1);
  EXPECT_EQ(read("log.001"), "");
  EXPECT_EQ(read("log.002"), "mark 1\nline 2\n");
  EXPECT_EQ(read("log.003"), "mark 3\nline 4\n");
  EXPECT_FALSE(exists("log.004"));
  write("plain", "a\nb\n");
  ASSERT_EQ(TextFile_Cut("plain", "mark"), 1);
  EXPECT_EQ(read("plain.001"), "a\nb\n");

  EXPECT_EQ(TextFile_Cut("none", "mark"), 0);
  EXPECT_EQ(takeErrors(), err("Can't read file.") + err("Can not open files"));
  const std::string longName(252, 'n');
  write(longName, "a\n");
  EXPECT_EQ(TextFile_Cut(longName, "mark"), 0);
  EXPECT_EQ(takeErrors(), err("Too long path name."));
}

TEST_F(FileTest, CatAppendsAndLinesAreCounted) {
  write("a.txt", "one\ntwo\n");
  ASSERT_EQ(TextFile_Cat("a.txt", "all.txt"), 1);
  ASSERT_EQ(TextFile_Cat("a.txt", "all.txt"), 1);
  EXPECT_EQ(read("all.txt"), "one\ntwo\none\ntwo\n");
  double n = 0;
  ASSERT_EQ(textFile_GetLineNumber("all.txt", &n), 1);
  EXPECT_EQ(n, 4);
  write("b.txt", "x\r\ny");
  ASSERT_EQ(textFile_GetLineNumber("b.txt", &n), 1);
  EXPECT_EQ(n, 1);  // a last line without LF is not counted
  EXPECT_EQ(TextFile_Cat("a.txt", ""), 0);
  EXPECT_EQ(TextFile_Cat("none", "all.txt"), 0);
  EXPECT_EQ(TextFile_Cat("a.txt", "a.txt"), 0);
  EXPECT_EQ(textFile_GetLineNumber("none", &n), 0);
  EXPECT_EQ(takeErrors(), err("Could not be found the append file.") + err("Can't read file.") +
                              err("Same File Name") + err("Can't read file."));
}
