// Built-ins of the letters E and F that need files, the capacity of the scratch buffers or the
// interpreter's state around a run, none of which a golden case can set up or see.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "support/console_capture.h"
#include "support/test_home.h"

namespace {

class LettersEF : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    current_fullPath = pravella::test::home().toStdString();
  }
  // Later tests of this program start with the usual capacity again.
  void TearDown() override {
    run("fileAllClose(0);");
    ASSERT_EQ(vkStartUp(), 1);
  }

  static std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }
  static std::string file(const std::string& name) {
    return pravella::test::home().toStdString() + "/" + name;
  }
};

TEST_F(LettersEF, FileSlotsWriteReadSeekAndMeasureText) {
  EXPECT_EQ(
      run("fileOpen(1, \"t.txt\", \"w\"); fileWrite(1, \"Head line\\n\"); fileWrite(1, |1, 2.5| |3, 4|);"
          "fileClose(1); fileLength(\"t.txt\"); fileCheck(\"t.txt\"); fileExistsAtPath(\"t.txt\");"),
      "   20.0000\n    1.0000\n    1.0000\n.OK.\n");
  EXPECT_EQ(run("fileOpen(1, \"t.txt\", \"r\"); fileGetString(1); filePosition(1);"
                "fileRead(1, 2, \"TextNumValue\"); fileSeek(1, 0); fileGetString(1, 4); fileClose(1);"),
            "Head line\n\n   10.0000\n    1.0000     2.5000\n    3.0000     4.0000\nHead\n.OK.\n");
}

TEST_F(LettersEF, FileSlotsWriteAndReadRawElements) {
  EXPECT_EQ(run("fileOpen(2, \"b.dat\", \"wb\"); fileWrite(2, |1.5, -2| |3, 4|, \"double\");"
                "fileWrite(2, |7, -1|, \"short\"); fileClose(2); fileLength(\"b.dat\");"),
            "   36.0000\n.OK.\n");
  EXPECT_EQ(
      run("fileOpen(2, \"b.dat\", \"rb\"); fileRead(2, |2, 2|, \"double\"); fileRead(2, |1, 2|, \"short\");"
          "fileAllClose(0);"),
      "    1.5000    -2.0000\n    3.0000     4.0000\n    7.0000    -1.0000\n.OK.\n");
  EXPECT_EQ(run("fileOpen(2, \"b.dat\", \"rb\"); fileRead(2, |1, 1|, \"quad\");"),
            "...<Error>...unknown file data type\n.NO.\n");
}

TEST_F(LettersEF, FileGetStringCutsLongLinesAtItsSize) {
  std::ofstream(file("long.txt")) << std::string(40000, 'a') << "\n";
  EXPECT_EQ(run("fileOpen(3, \"long.txt\", \"r\"); msize(fileGetString(3, 30000)); fileSeek(3, 0);"
                "msize(fileGetString(3, 30001)); fileSeek(3, 0); msize(fileGetString(3, 5)); fileSeek(3, 0);"
                "msize(fileGetString(3)); fileClose(3);"),
            "30000.0000\n29999.0000\n    5.0000\n29999.0000\n.OK.\n");
}

TEST_F(LettersEF, ElementGrowsAndShrinksWithValuesInUse) {
  // A value made under the start capacity stays held after the buffers shrink, but it can no
  // longer be used where it would have to pass through them.
  EXPECT_EQ(run("big = even(1000, 1000); element(10000);"), ".OK.\n");
  EXPECT_EQ(TNumber, 10000);
  EXPECT_EQ(run("small = even(100, 100); msize(small) * nsize(small);"), "10000.0000\n.OK.\n");
  EXPECT_EQ(run("b = big;"), "...<Error>...Too big data.\n.NO.\n");
  EXPECT_EQ(run("even(101, 100);"), "...<Error>...Invalid arguments.\n.NO.\n");

  // A value left on a stack from before the change is refused, not copied past the buffer.
  VkCalcStack stack;
  ASSERT_EQ(HeapCalkStack(stack, kCalcStackSize), 1);
  int sp = 0;
  std::vector<double> values(20000, 2.5);
  stack[0].type = kValueReal;
  stack[0].msize = 200;
  stack[0].nsize = 100;
  ASSERT_TRUE(stack[0].data.assign(values.data(), values.size() * sizeof(double)));
  sp = 1;
  ResultString.clear();
  EXPECT_EQ(PopFromStack(stack.data(), &sp, vk_ta, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(sp, 1);

  // Growing again makes the held value usable, and more besides.
  EXPECT_EQ(run("element(2000000);"), ".OK.\n");
  EXPECT_EQ(TNumber, 2000000);
  EXPECT_EQ(run("b = big + 1; msize(b) * nsize(b); c = even(2000, 1000); msize(c) * nsize(c);"),
            "1000000.0000\n2000000.0000\n.OK.\n");
  EXPECT_EQ(PopFromStack(stack.data(), &sp, vk_ta, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(vk_ta[19999], 2.5);
}

TEST_F(LettersEF, AFailedElementLeavesTheOldCapacityWorking) {
  EXPECT_EQ(run("element(300000000);"), "...<Error>...You have better restart the vk, soon.\n.NO.\n");
  EXPECT_EQ(TNumber, 1000000);
  EXPECT_EQ(run("a = fabs(even(1000, 1000)); msize(a) * nsize(a);"), "1000000.0000\n.OK.\n");
}

TEST_F(LettersEF, ExecRunsItsWordsInTheWorkingFolderWithoutAShell) {
  // Quotes group words; a ";" or "&&" is an argument, never a second command.
  EXPECT_EQ(run("exec(\"touch 'a b.txt' ';' && made-by-shell.txt\");"), ".OK.\n");
  EXPECT_TRUE(std::ifstream(file("a b.txt")).good());
  EXPECT_TRUE(std::ifstream(file(";")).good());
  EXPECT_TRUE(std::ifstream(file("&&")).good());
  EXPECT_TRUE(std::ifstream(file("made-by-shell.txt")).good());  // touch got it as a file name
  EXPECT_EQ(run("exec(\"sh -c 'exit 3'\"); 1;"), "    1.0000\n.OK.\n");
}

TEST_F(LettersEF, ExecGivesTheSystemsReasonOnOneConsoleLine) {
  // A working folder that is a file: "Not a directory", whatever the file's permissions.
  const std::string plain = file("plain");
  std::ofstream(plain) << "not a folder\n";
  current_fullPath = plain;
  pravella::test::ConsoleCapture console;
  const std::string expected =
      "Can not execute [true]: the working folder " + plain + ": Not a directory.";
  EXPECT_EQ(run("exec(\"true\");"), "...<Error>..." + expected + "\n.NO.\n");
  // The reason is the only console line: no "Could not be found" line follows it.
  const std::string said = console.text();
  EXPECT_NE(said.find(expected), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST_F(LettersEF, OnlyAnUnknownNameOrASilentFailureGetsTheNotFoundLine) {
  struct Case {
    std::string program;
    std::vector<std::string> lines;  // what each console line holds, in order
  };
  const Case cases[] = {
      // Its own reason, and nothing more.
      {"UDP(\"127.0.0.1\", 0, |1|);", {"Invalid arguments."}},
      {"exec(1);", {"Invalid arguments."}},
      {"cal_saveToSTJ(1, \"x.jpg\", 1);", {"Invalid arguments."}},
      // A name no built-in has: the report, then the line that names it.
      {"noSuchFunctionOfPravella(1);",
       {"Unknown function.", "Could not be found the [noSuchFunctionOfPravella] function."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    pravella::test::ConsoleCapture console;
    run(c.program);
    const std::string said = console.text();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), static_cast<long>(c.lines.size())) << said;
    std::size_t at = 0;
    for (const std::string& line : c.lines) {
      at = said.find(line, at);
      ASSERT_NE(at, std::string::npos) << line << " in " << said;
    }
  }
}

}  // namespace
