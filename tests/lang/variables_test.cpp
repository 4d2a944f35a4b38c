#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lang/report.h"
#include "lang_fixture.h"

namespace {

class Variables : public LangTest {
 protected:
  // Runs `name = <top of stack>` through the variable record of its kind.
  int assign(const std::string& name, int kind) {
    std::vector<vk_Code> code(2);
    code[0].kind = kind;
    code[0].name = name;
    code[1].kind = kCodeOperator;
    code[1].name = "=";
    int pc = 0;
    return run(code, pc);
  }
  int read(const std::string& name, int kind) {
    std::vector<vk_Code> code(1);
    code[0].kind = kind;
    code[0].name = name;
    int pc = 0;
    return run(code, pc);
  }
  int run(std::vector<vk_Code>& code, int& pc) {
    const int n = static_cast<int>(code.size());
    switch (code[0].kind) {
      case kCodeNumVariable:
        return DoNumVariable(n, code.data(), &pc, stack.data(), &sp);
      case kCodeIntVariable:
        return DoIntVariable(n, code.data(), &pc, stack.data(), &sp);
      case kCodeStrVariable:
        return DoStrVariable(n, code.data(), &pc, stack.data(), &sp);
      default:
        return DoGraphVariable(n, code.data(), &pc, stack.data(), &sp);
    }
  }
};

TEST_F(Variables, IntegerAssignmentTruncatesTowardZero) {
  const double values[] = {2.9, -2.9, 1e12, -1e12};
  const int32_t expected[] = {2, -2, INT32_MAX, INT32_MIN};
  for (int k = 0; k < 4; ++k) {
    ASSERT_EQ(vkPushScalar(stack.data(), &sp, values[k]), 1);
    ASSERT_EQ(assign("n%", kCodeIntVariable), 1);
    EXPECT_EQ(sp, 0);
    ASSERT_EQ(read("n%", kCodeIntVariable), 1);
    EXPECT_EQ(stack[0].type, kValueInt);
    EXPECT_EQ(stack[0].data.ints()[0], expected[k]) << values[k];
    sp = 0;
  }
}

TEST_F(Variables, ScopeLevelsHideEachOther) {
  ASSERT_EQ(vkPushScalar(stack.data(), &sp, 5), 1);
  ASSERT_EQ(assign("a", kCodeNumVariable), 1);
  vk_level = 1;
  EXPECT_EQ(read("a", kCodeNumVariable), 0);
  EXPECT_EQ(ResultString, "...<Error>...Undefined variable.\n");
  ASSERT_EQ(vkPushScalar(stack.data(), &sp, 7), 1);
  ASSERT_EQ(assign("a", kCodeNumVariable), 1);
  ASSERT_EQ(read("a", kCodeNumVariable), 1);
  EXPECT_EQ(stack[0].data.doubles()[0], 7.0);
  sp = 0;
  deleteHighLevelVariable(1);
  vk_level = 0;
  ASSERT_EQ(read("a", kCodeNumVariable), 1);
  EXPECT_EQ(stack[0].data.doubles()[0], 5.0);
}

TEST_F(Variables, TypeChecksOnAssignment) {
  ASSERT_EQ(PushToStack(stack.data(), &sp, "text", kValueString, 4, 0), 1);
  EXPECT_EQ(assign("a", kCodeNumVariable), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid data type.\n");
  ASSERT_EQ(assign("s$", kCodeStrVariable), 1);
  ASSERT_EQ(read("s$", kCodeStrVariable), 1);
  EXPECT_STREQ(stack[0].data.chars(), "text");
  sp = 0;
  ResultString.clear();
  EXPECT_EQ(assign("a", kCodeNumVariable), 0);
  EXPECT_EQ(ResultString, "...<Error>...No value to assign.\n");
}

TEST_F(Variables, FailedFirstAssignmentLeavesNothingToRead) {
  const int saved = TNumber;
  std::vector<int32_t> ints(2 * static_cast<size_t>(TNumber), 1);
  ASSERT_EQ(PushToStack(stack.data(), &sp, ints.data(), kValueInt, TNumber + 1, 1), 1);
  EXPECT_EQ(assign("big", kCodeNumVariable), 0);
  EXPECT_EQ(ResultString, "...<Error>...Too big data.\n");
  sp = 0;
  ResultString.clear();
  EXPECT_EQ(read("big", kCodeNumVariable), 0);
  EXPECT_EQ(ResultString, "...<Error>...Undefined variable.\n");
  EXPECT_EQ(TNumber, saved);
}

TEST_F(Variables, TableOverflow) {
  int index = 0;
  for (int i = 0; i < kVariableRecords; ++i) ASSERT_EQ(setNewVariable("v" + std::to_string(i), 0, &index), 1);
  EXPECT_EQ(setNewVariable("one_more", 0, &index), 0);
  EXPECT_EQ(ResultString, "...<Error>...Variable table overflow.\n");
  deleteAllVariable();
  EXPECT_EQ(setNewVariable("again", 0, &index), 1);
  EXPECT_EQ(index, 0);
}

TEST_F(Variables, Listings) {
  std::string text = "old";
  listVariableTable(text);
  EXPECT_EQ(text, "");
  showVariableTable(text);
  EXPECT_EQ(text, "  Kind msize nsize level name\n");

  const double m[6] = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(PushToStack(stack.data(), &sp, m, kValueReal, 2, 3), 1);
  ASSERT_EQ(assign("m", kCodeNumVariable), 1);
  ASSERT_EQ(PushToStack(stack.data(), &sp, "abc", kValueString, 3, 0), 1);
  ASSERT_EQ(assign("s$", kCodeStrVariable), 1);
  int index = 0;
  ASSERT_EQ(setNewVariable("r%", kVarInt, &index), 1);
  listVariableTable(text);
  EXPECT_EQ(text, " 0  0        2        3 m\n 0  1        3        0 s$\n 0  4        0        0 r%\n");
  text.clear();
  showVariableTable(text);
  EXPECT_EQ(text,
            "  Kind msize nsize level name\n"
            "     1     2     3     0 m\n"
            "     1     3     0     0 s$\n"
            "     2     0     0     0 r%\n");
}

TEST_F(Variables, IsVariableNames) {
  struct {
    const char* name;
    bool ok;
    int type;
  } cases[] = {{"a$", true, 5},   {"p#", true, 20}, {"n%", true, 30}, {"a_b", true, 3},
               {"a.b", false, 0}, {"x", true, 3},   {"", false, 0}};
  for (const auto& c : cases) {
    int type = 0;
    EXPECT_EQ(isVariable(c.name, &type), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(type, c.type) << c.name;
    }
  }
  EXPECT_FALSE(isVariable(std::string(256, 'a'), nullptr));
}

TEST_F(Variables, FileNamesJoinTheWorkingFolder) {
  std::string out;
  const char* folders[] = {"/tmp/work", "/tmp/work/"};
  for (const char* folder : folders) {
    current_fullPath = folder;
    ASSERT_TRUE(changeFullPath("a.txt", out));
    EXPECT_EQ(out, "/tmp/work/a.txt");
    ASSERT_TRUE(changeFullPath("/etc/b", out));
    EXPECT_EQ(out, "/etc/b");
  }
  EXPECT_FALSE(changeFullPath(std::string(1100, 'x'), out));
  EXPECT_EQ(ResultString, "...<Error>...Too long path name.\n");
  current_fullPath = "/nonexistent-folder-xyz";
  EXPECT_EQ(vk_fopen("f.dat", "r"), nullptr);
  EXPECT_EQ(NowLoadSaveName, "/nonexistent-folder-xyz/f.dat");
  current_fullPath.clear();
}

}  // namespace
