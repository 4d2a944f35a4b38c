// Built-ins C whose effect lies outside the result text: folders made on disk and text put on
// the clipboard.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>

#include <filesystem>
#include <fstream>

#include "lang/builtins/dispatch.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "support/test_home.h"

namespace {

namespace fs = std::filesystem;

std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

class FunctionsCTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(vkStartUp(), 1); }
};

TEST_F(FunctionsCTest, CreateFolderResolvesAgainstTheWorkingFolder) {
  const fs::path home = pravella::test::home().toStdString();
  current_fullPath = home.string();
  EXPECT_EQ(run("createFolder(\"made\"); createFolder(\"made/a\"); createFolder(\"made/a\");"), ".OK.\n");
  EXPECT_TRUE(fs::is_directory(home / "made/a"));
  // One folder a call: a missing parent is refused with the reason, and nothing is made.
  EXPECT_EQ(run("createFolder(\"gone/x/y\");"), "...<Error>...Cannot create \"" +
                                                    (home / "gone/x/y").string() +
                                                    "\": No such file or directory\n"
                                                    "...<Error>...Can not Create Folder\n.NO.\n");
  EXPECT_FALSE(fs::exists(home / "gone"));

  const fs::path absolute = home / "elsewhere";
  EXPECT_EQ(run("createFolder(\"" + absolute.string() + "\");"), ".OK.\n");
  EXPECT_TRUE(fs::is_directory(absolute));

  // A file in the way is reported, and nothing replaces it.
  std::ofstream(home / "plain") << "x";
  EXPECT_EQ(run("createFolder(\"plain\");"),
            "...<Error>...Cannot create \"" + (home / "plain").string() +
                "\": File exists\n...<Error>...Can not Create Folder\n.NO.\n");
  EXPECT_TRUE(fs::is_regular_file(home / "plain"));
}

TEST_F(FunctionsCTest, CopyPutsTextAndMatricesOnTheClipboard) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  EXPECT_EQ(run("copy(\"hello\");"), ".OK.\n");
  EXPECT_EQ(clipboard->text(), "hello");

  // An empty string leaves the clipboard as it was.
  EXPECT_EQ(run("copyToClipBoard(\"\");"), ".OK.\n");
  EXPECT_EQ(clipboard->text(), "hello");

  // Elements in the display format, a tab between them, a carriage return after each row.
  EXPECT_EQ(run("copy(|1, 2| |3, 4|);"), ".OK.\n");
  EXPECT_EQ(clipboard->text(), "    1.0000\t    2.0000\r    3.0000\t    4.0000\r");

  EXPECT_EQ(run("copy(|1, 2|); a% = |1|; copy(a%);"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(clipboard->text(), "    1.0000\t    2.0000\r");
}

TEST_F(FunctionsCTest, CopyOfAMatrixWhoseTextPassesTheLimitIsRefused) {
  QGuiApplication::clipboard()->setText("before");
  // Nine tenths of the element capacity in bytes: 100 numbers of 11 bytes pass 1,000 x 0.9.
  // The scratch buffers keep their larger size.
  const int saved = TNumber;
  TNumber = 1000;
  std::string row = "|";
  for (int i = 0; i < 100; ++i) row += (i ? ", " : "") + std::to_string(i);
  row += "|";
  EXPECT_EQ(run("copy(" + row + ");"), "...<Error>...Too Big Data\n.NO.\n");
  TNumber = saved;
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
}

// Program text cannot hold a string this long, so the call is made on a stack directly.
TEST_F(FunctionsCTest, ChangeCurrentPathRefusesAPathOfAFullBuffer) {
  VkCalcStack stack(kCalcStackSize);
  int sp = 0;
  vk_Code call;
  call.kind = kCodeFunction;
  call.name = "changeCurrentPath";
  call.argc = 1;
  current_fullPath = "/before";
  ResultString.clear();

  const std::string tooLong(1024, 'a');
  ASSERT_EQ(PushToStack(stack.data(), &sp, tooLong.c_str(), kValueString, 1024, 0), 1);
  int pc = 0;
  EXPECT_EQ(DoFunctionC(1, &call, &pc, stack.data(), &sp), 0);
  EXPECT_EQ(current_fullPath, "/before");
  EXPECT_EQ(ResultString, "...<Error>...Invalid arguments.\n");

  const std::string longest(1023, 'b');
  ASSERT_EQ(PushToStack(stack.data(), &sp, longest.c_str(), kValueString, 1023, 0), 1);
  EXPECT_EQ(DoFunctionC(1, &call, &pc, stack.data(), &sp), 1);
  EXPECT_EQ(current_fullPath, longest);
  EXPECT_EQ(sp, 0);
}

}  // namespace
