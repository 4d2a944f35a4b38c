#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "lang/builtins/dispatch.h"
#include "lang/executor.h"
#include "lang/modules.h"
#include "lang/operators.h"
#include "lang/report.h"
#include "lang_fixture.h"

namespace {

class Executor : public LangTest {
 protected:
  vk_Code rec(int kind, const std::string& name, double number = 0) {
    vk_Code r;
    r.kind = kind;
    r.name = name;
    r.number = number;
    return r;
  }
};

TEST_F(Executor, UnknownKindsAreSkippedAndInvalidFails) {
  VkCodeArray code = {rec(kCodeNumber, "1", 1), rec(7, "x"), rec(8, "y"), rec(kCodeOperator, ";")};
  EXPECT_EQ(Keisan(4, code.data(), nullptr, nullptr), 1);
  EXPECT_EQ(ResultString, "    1.0000\n");
  ResultString.clear();
  VkCodeArray bad = {rec(kCodeInvalid, "")};
  EXPECT_EQ(Keisan(1, bad.data(), nullptr, nullptr), 0);
  EXPECT_EQ(ResultString, "...<Error>...Unknown instruction.\n");
}

TEST_F(Executor, KeisanHandsOverASingleValue) {
  VkCodeArray code = {rec(kCodeNumber, "7", 7)};
  EXPECT_EQ(Keisan(1, code.data(), stack.data(), &sp), 1);
  ASSERT_EQ(sp, 1);
  EXPECT_EQ(stack[0].data.doubles()[0], 7.0);
  VkCodeArray two = {rec(kCodeNumber, "7", 7), rec(kCodeNumber, "8", 8)};
  EXPECT_EQ(Keisan(2, two.data(), stack.data(), &sp), 1);
  EXPECT_EQ(sp, 1);
}

TEST_F(Executor, DisplayNeedsExactlyOneValue) {
  ASSERT_EQ(vkPushScalar(stack.data(), &sp, 1), 1);
  ASSERT_EQ(vkPushScalar(stack.data(), &sp, 2), 1);
  VkCodeArray code = {rec(kCodeOperator, ";")};
  int pc = 0;
  EXPECT_EQ(DoOperator(1, code.data(), &pc, stack.data(), &sp), 1);
  EXPECT_EQ(sp, 2);
  EXPECT_EQ(ResultString, "");
}

TEST_F(Executor, EmptyMatrixDisplaysNothing) {
  EXPECT_EQ(DispData(vk_ta, kValueReal, 0, 0), 1);
  EXPECT_EQ(DispData(vk_ta, kValueReal, 3, 0), 1);
  EXPECT_EQ(ResultString, "");
}

TEST_F(Executor, DisplayThatDoesNotFitEndsWithTheReason) {
  const size_t full = vkResultTextLimit() - kResultReasonRoom - 5;
  ResultString.assign(full, 'x');
  const double v = 1.0;
  EXPECT_EQ(DispData(&v, kValueReal, 1, 1), 0);
  ASSERT_GT(ResultString.size(), full);
  EXPECT_EQ(ResultString.substr(full, 29), "...<Error>...Output too long:");
  const pravella::VkRunResult r = pravella::runVkProgram("1;");
  EXPECT_TRUE(r.ok);
}

TEST_F(Executor, HeldButtonBreaksTheRun) {
  vkButtonDownSinceMs.store(vkSteadyMillis() - 5000);
  const pravella::VkRunResult r = pravella::runVkProgram("i = 0; while (1) i = i + 1;");
  vkButtonDownSinceMs.store(0);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, "...<Error>...**** BREAK *****\n");
}

TEST_F(Executor, ReleasedButtonLetsTheRunGoOn) {
  vkSetButtonDown(true);
  std::thread release([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    vkSetButtonDown(false);
  });
  const pravella::VkRunResult r = pravella::runVkProgram("s = 0; for (i = 1; i <= 3; i++) s = s + i; s;");
  release.join();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text, "    6.0000\n");
}

// Where a variable's value lives.
const unsigned char* storageOf(const char* name) {
  int i = -1;
  return findVariable(name, &i) ? variableTable[i].data.cdata() : nullptr;
}

TEST_F(Executor, AResultGoesIntoTheStorageOfTheVariableItIsAssignedToWhenNothingElseHoldsIt) {
  ASSERT_TRUE(pravella::runVkProgram("a = even(100, 10); b = a + 1; c = a x b; i% = a; j% = i% + 1;").ok);
  const unsigned char* c = storageOf("c");
  const unsigned char* i = storageOf("i%");
  for (const char* statement : {"c = a x b;", "c = a + b;", "c = b ^ 2;", "c = a - 1;"}) {
    ASSERT_TRUE(pravella::runVkProgram(statement).ok);
    EXPECT_EQ(storageOf("c"), c) << statement;
  }
  ASSERT_TRUE(pravella::runVkProgram("i% = j% x 3;").ok);
  EXPECT_EQ(storageOf("i%"), i);
  // Held elsewhere too, or read by the statement: the holder keeps the old value.
  ASSERT_TRUE(pravella::runVkProgram("d = c; c = a x b;").ok);
  EXPECT_EQ(storageOf("d"), c);
  EXPECT_NE(storageOf("c"), c);
  EXPECT_EQ(pravella::runVkProgram("e = d - (a - 1); sum(sum(e x e));").output(), "    0.0000\n.OK.\n");
}

}  // namespace

namespace {

class Dispatch : public LangTest {
 protected:
  int call(const std::string& name, int argc) {
    VkCodeArray code(1);
    code[0].kind = kCodeFunction;
    code[0].name = name;
    code[0].argc = argc;
    int pc = 0;
    return DoFunction(1, code.data(), &pc, stack.data(), &sp);
  }
};

TEST_F(Dispatch, RoutesByPrefixAndFirstLetter) {
  struct {
    const char* name;
    const char* message;
  } cases[] = {
      {"_abc", "Unknown Function!"}, {"9x", "Unknown Function!"},    {"", "Unknown Function!"},
      {"ma", "Unknown function."},   {"pv_", "Unknown function."},   {"cal_", "Unknown function."},
      {"usr_", "Unknown function."}, {"Msize", "Unknown function."}, {"maz", "Unknown function."},
  };
  for (const auto& c : cases) {
    ResultString.clear();
    EXPECT_EQ(call(c.name, 1), 0) << c.name;
    EXPECT_EQ(ResultString, std::string("...<Error>...") + c.message + "\n") << c.name;
  }
}

TEST_F(Dispatch, MsizeAndNsizeTakeAnyValue) {
  ASSERT_EQ(PushToStack(stack.data(), &sp, "abc", kValueString, 3, 0), 1);
  ASSERT_EQ(call("msize", 1), 1);
  EXPECT_EQ(stack[0].data.doubles()[0], 3.0);
  sp = 0;
  ASSERT_EQ(PushToStack(stack.data(), &sp, "abc", kValueString, 3, 0), 1);
  ASSERT_EQ(call("nsize", 1), 1);
  EXPECT_EQ(stack[0].data.doubles()[0], 0.0);
}

TEST_F(Dispatch, FailedRedefinitionLeavesNoModule) {
  EXPECT_TRUE(pravella::runVkProgram("module f3(x) { \"first\"; } f3(1);").ok);
  EXPECT_FALSE(pravella::runVkProgram("module f3() { 1; }").ok);
  int slot = 0;
  EXPECT_EQ(findModule("f3", &slot), 0);
  const pravella::VkRunResult r = pravella::runVkProgram("f3(1);");
  EXPECT_EQ(r.text, "...<Error>...Unknown function.\n");
}

TEST_F(Dispatch, ModulesAndTopLevelVariablesLastBetweenRuns) {
  EXPECT_TRUE(pravella::runVkProgram("module twice(x) { return(2 * x); } k = 4;").ok);
  const pravella::VkRunResult r = pravella::runVkProgram("twice(k);");
  EXPECT_EQ(r.output(), "    8.0000\n.OK.\n");
}

// A body's call finds its built-in once; a module of that name defined afterwards still takes
// the call, and the built-in does again once the module is deleted.
TEST_F(Dispatch, AModuleDefinedAfterABodyFoundItsBuiltInTakesTheCall) {
  EXPECT_EQ(pravella::runVkProgram("module root4(x) { return(sqrt(x)); } root4(16); root4(16);").output(),
            "    4.0000\n    4.0000\n.OK.\n");
  EXPECT_TRUE(pravella::runVkProgram("module sqrt(x) { return(x + 1000); }").ok);
  EXPECT_EQ(pravella::runVkProgram("root4(16);").output(), " 1016.0000\n.OK.\n");
  EXPECT_TRUE(pravella::runVkProgram("deleteModule(\"sqrt\");").ok);
  EXPECT_EQ(pravella::runVkProgram("root4(16);").output(), "    4.0000\n.OK.\n");
}

TEST_F(Dispatch, AliasNamesABuiltinOrAModule) {
  fncAliasTable[0] = {"sz", "msize"};
  fncAliasTable[1] = {"tw", "twice2"};
  EXPECT_EQ(pravella::runVkProgram("module twice2(x) { return(2 * x); } sz(\"abcd\"); tw(3);").output(),
            "    4.0000\n    6.0000\n.OK.\n");
}

}  // namespace
