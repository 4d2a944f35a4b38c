#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang/report.h"
#include "lang_fixture.h"

namespace {

using Stack = LangTest;

TEST_F(Stack, NineHundredNinetyNinePushesThenOverflow) {
  for (int i = 0; i < 999; ++i) ASSERT_EQ(vkPushScalar(stack.data(), &sp, i), 1) << i;
  EXPECT_EQ(ResultString, "");
  EXPECT_EQ(vkPushScalar(stack.data(), &sp, 1), 0);
  EXPECT_EQ(ResultString, "...<Error>...Calclation stack overflow.\n");
  // A push on a full stack never writes past it.
  ResultString.clear();
  EXPECT_EQ(vkPushScalar(stack.data(), &sp, 1), 0);
  EXPECT_EQ(ResultString, "...<Error>...Calclation stack overflow.\n");
}

TEST_F(Stack, SizeLimitsAndMessages) {
  std::vector<double> big(static_cast<size_t>(TNumber) + 1, 1.0);
  struct Case {
    int type, msize, nsize, ok;
    const char* message;
  } cases[] = {
      {kValueReal, TNumber, 1, 1, ""},
      {kValueReal, TNumber + 1, 1, 0, "Too big data."},
      {kValueInt, 2 * TNumber, 1, 1, ""},
      {kValueInt, 2 * TNumber + 1, 1, 0, "Too big data."},
      {kValueReal, -1, 1, 0, "(-)Memory allocation error."},
      {kValueInt, 2, -3, 0, "(-)Memory allocation error."},
      {kValuePicture, 0, 0, 0, "Too Big Picture (at push into the stack)."},
      {kValuePicture, 8 * TNumber + 1, 0, 0, "Too Big Picture (at push into the stack)."},
      {kValuePicture, 16, 0, 1, ""},
      {7, 1, 1, 0, "Unknown type of data (stack)."},
  };
  std::vector<double> data(2 * static_cast<size_t>(TNumber) + 2, 0.5);
  for (const Case& c : cases) {
    ResultString.clear();
    sp = 0;
    EXPECT_EQ(PushToStack(stack.data(), &sp, data.data(), c.type, c.msize, c.nsize), c.ok) << c.message;
    EXPECT_EQ(ResultString, c.ok ? "" : std::string("...<Error>...") + c.message + "\n");
    EXPECT_EQ(sp, c.ok ? 1 : 0);
  }
}

TEST_F(Stack, PopCopiesAndEmptyPopFails) {
  const double m[6] = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(PushToStack(stack.data(), &sp, m, kValueReal, 2, 3), 1);
  ASSERT_EQ(PushToStack(stack.data(), &sp, "hello", kValueString, 5, 0), 1);
  int type = 0, ms = 0, ns = 0;
  ASSERT_EQ(PopFromStack(stack.data(), &sp, vk_ta, &type, &ms, &ns), 1);
  EXPECT_EQ(type, kValueString);
  EXPECT_EQ(ms, 5);
  EXPECT_STREQ(reinterpret_cast<const char*>(vk_ta), "hello");
  ASSERT_EQ(PopFromStack(stack.data(), &sp, vk_tb, &type, &ms, &ns), 1);
  EXPECT_EQ(type, kValueReal);
  EXPECT_EQ(ms, 2);
  EXPECT_EQ(ns, 3);
  EXPECT_EQ(vk_tb[5], 6.0);
  EXPECT_EQ(PopFromStack(stack.data(), &sp, vk_ta, &type, &ms, &ns), 0);
  EXPECT_EQ(sp, 0);
  EXPECT_EQ(ResultString, "...<Error>...Stack (calc)\n");
}

TEST_F(Stack, StringLongerThanScratchBufferIsRefused) {
  std::string longText(static_cast<size_t>(TNumber) * 8, 'a');
  EXPECT_EQ(PushToStack(stack.data(), &sp, longText.c_str(), kValueString, 0, 0), 0);
  EXPECT_EQ(ResultString, "...<Error>...Too long string.\n");
  longText.pop_back();
  ResultString.clear();
  EXPECT_EQ(PushToStack(stack.data(), &sp, longText.c_str(), kValueString, 0, 0), 1);
}

TEST_F(Stack, ErrorLineIsDroppedWhenResultTextIsFull) {
  ResultString.assign(vkResultTextLimit() - 10, 'x');
  EXPECT_EQ(error_disp("Stack (calc)"), 0);
  EXPECT_EQ(ResultString.size(), vkResultTextLimit() - 10);
}

}  // namespace
