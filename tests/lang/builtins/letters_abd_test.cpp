// Built-ins of the letters A, B and D whose results depend on the time zone, the clock, the
// file system or sizes too big for a golden case.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include <QDir>

#include "lang/builtins/dispatch.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "support/test_home.h"

namespace {

class LettersABD : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(vkStartUp(), 1); }
  void TearDown() override { setTimeZone(nullptr); }

  static void setTimeZone(const char* tz) {
    if (tz)
      setenv("TZ", tz, 1);
    else
      unsetenv("TZ");
    tzset();
  }

  static std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }
};

TEST_F(LettersABD, DateStringsUseTheLocalTimeZone) {
  setTimeZone("UTC");
  EXPECT_EQ(run("s$ = dateTimeString(0); s$; msize(s$);"), "Thu Jan  1 00:00:00 1970\n\n   25.0000\n.OK.\n");
  EXPECT_EQ(run("s$ = dateTimeKString(86399.9); s$;"), "1970/01/01 (23:59:59)\n.OK.\n");
  setTimeZone("JST-9");
  EXPECT_EQ(run("s$ = dateTimeKString(0); s$;"), "1970/01/01 (09:00:00)\n.OK.\n");
  EXPECT_EQ(run("s$ = dateTimeString(1000000000); s$;"), "Sun Sep  9 10:46:40 2001\n\n.OK.\n");
  setTimeZone("EST5");
  EXPECT_EQ(run("s$ = dateTimeKString(0); s$;"), "1969/12/31 (19:00:00)\n.OK.\n");
  // Beyond the signed 32-bit range, and the largest time taken.
  setTimeZone("UTC");
  EXPECT_EQ(run("s$ = dateTimeKString(4294967295); s$; t$ = dateTimeKString(4294967296 * 1000); t$;"),
            "2106/02/07 (06:28:15)\n2106/02/07 (06:28:15)\n.OK.\n");
  EXPECT_EQ(run("dateTimeString(|0, 1|);"), "...<Error>...Invalid arguments.\n.NO.\n");
}

TEST_F(LettersABD, DateTimeIsTheLocalTimeNow) {
  setTimeZone("UTC");
  const std::time_t before = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&before, &tm);
  char expected[128];
  // Year, month, day; then the weekday (the seventh number) as dayWeek gives it.
  std::snprintf(expected, sizeof expected, "%10.4f %10.4f %10.4f\n%10.4f\n%10.4f\n.OK.\n",
                1900.0 + tm.tm_year, tm.tm_mon + 1.0, 1.0 * tm.tm_mday, 1.0 * tm.tm_wday, 1.0 * tm.tm_wday);
  const std::string date = "|" + std::to_string(1900 + tm.tm_year) + ", " + std::to_string(tm.tm_mon + 1) +
                           ", " + std::to_string(tm.tm_mday) + "|";
  const std::string out =
      run("dateTime(1); dateTime(0) * (|0| |0| |0| |0| |0| |0| |1|); dayWeek(" + date + ");");
  std::tm after{};
  const std::time_t now = std::time(nullptr);
  gmtime_r(&now, &after);
  if (after.tm_mday == tm.tm_mday) {
    EXPECT_EQ(out, expected);
  }
}

TEST_F(LettersABD, DeleteFileResolvesAgainstTheWorkingFolder) {
  const std::string folder = pravella::test::home().toStdString() + "/work";
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  std::ofstream(folder + "/gone.txt") << "x";
  std::ofstream(folder + "/kept.txt") << "x";
  current_fullPath = folder;  // no trailing "/": one is put between
  EXPECT_EQ(run("deleteFile(\"gone.txt\");"), ".OK.\n");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(folder + "/gone.txt")));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(folder + "/kept.txt")));
  EXPECT_EQ(run("deleteFile(\"gone.txt\");"), "...<Error>...File does not find !\n.NO.\n");
  EXPECT_EQ(run("deleteFile(\"" + folder + "/kept.txt\");"), ".OK.\n");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(folder + "/kept.txt")));
  EXPECT_EQ(run("deleteFile(1);"), "...<Error>...Invalid arguments.\n.NO.\n");
}

// Calls a built-in directly with the given value as its only argument (for matrices too big
// to write as a literal).
int callBuiltin(const std::string& name, const std::vector<double>& m, int rows, int cols,
                CalcStackEntry* result) {
  VkCalcStack stack;
  HeapCalkStack(stack, kCalcStackSize);
  int sp = 0;
  if (!PushToStack(stack.data(), &sp, m.data(), kValueReal, rows, cols)) return -1;
  vk_Code call;
  call.kind = kCodeFunction;
  call.name = name;
  call.argc = 1;
  int pc = 0;
  const int ok = DoFunction(1, &call, &pc, stack.data(), &sp);
  if (ok && sp == 1) *result = stack[0];
  return ok;
}

TEST_F(LettersABD, DqrOrderLimit) {
  std::vector<double> big(101 * 101, 1.0);
  CalcStackEntry result;
  ResultString.clear();
  EXPECT_EQ(callBuiltin("DQR", big, 101, 101, &result), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid arguments.\n");
  // Order 100 runs: a lower bidiagonal matrix has the eigenvalue 2 in every position.
  std::vector<double> m(100 * 100, 0.0);
  for (int i = 0; i < 100; ++i) {
    m[i * 100 + i] = 2;
    if (i) m[i * 100 + i - 1] = -1;
  }
  ASSERT_EQ(callBuiltin("DQR", m, 100, 100, &result), 1);
  EXPECT_EQ(result.msize, 2);
  EXPECT_EQ(result.nsize, 100);
  for (int i = 0; i < 100; ++i) {
    EXPECT_DOUBLE_EQ(result.data.doubles()[i], 2.0);
    EXPECT_EQ(result.data.doubles()[100 + i], 0.0);
  }
}

TEST_F(LettersABD, DistanceRefusesAResultBeyondTheElementLimit) {
  TNumber = 100;  // 11 points would give 121 distances
  const std::string points = "|0, 0| |1, 1| |2, 2| |3, 3| |4, 4| |5, 5| |6, 6| |7, 7| |8, 8| |9, 9|";
  EXPECT_EQ(run("d = distance(" + points + "); msize(d);"), "   10.0000\n.OK.\n");
  EXPECT_EQ(run("distance(" + points + " |10, 10|);"), "...<Error>...Invalid arguments.\n.NO.\n");
  TNumber = 1000000;
}

}  // namespace
