#pragma once
// A fresh language state for one test: tables as after start-up, an empty result text and a
// run stack.

#include <gtest/gtest.h>

#include "lang/builtins/startup.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "lang/variables.h"

class LangTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    ASSERT_TRUE(vkTablesReady());
    restM = 10;
    restN = 5;
    stack.resize(kCalcStackSize);
    ResultString.clear();
  }
  VkCalcStack stack;
  int sp = 0;
};
