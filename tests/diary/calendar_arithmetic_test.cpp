#include "diary/calendar_arithmetic.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Collects what the functions report instead of the console.
struct ReportedErrors {
  std::vector<std::string> messages;
  ReportedErrors() {
    setCalendarErrorReporter([this](std::string_view m) { messages.emplace_back(m); });
  }
  ~ReportedErrors() { setCalendarErrorReporter(nullptr); }
};

TEST(CalendarArithmetic, ModifiedJulianDatesOfJstDates) {
  struct Case {
    std::array<double, 6> jst;
    double mjd;
  };
  const Case cases[] = {
      {{2000, 1, 1, 9, 0, 0}, 51544.0},    // 09:00 JST is 00:00 UT
      {{2000, 1, 1, 0, 0, 0}, 51543.625},  // midnight JST is 15:00 UT the day before
      {{1858, 11, 17, 9, 0, 0}, 0.0},      // the origin of MJD
      {{2008, 2, 29, 21, 0, 0}, 54525.5},  // a leap day
      {{2008, 3, 1, 9, 0, 0}, 54526.0},
      {{1582, 10, 15, 9, 0, 0}, -100840.0},  // first Gregorian day
      {{1582, 10, 4, 9, 0, 0}, -100841.0},   // last Julian day: one day before
      {{2000, 1, 1, 9, 30, 30}, 51544.0 + (30.5 / 60) / 24},
      {{2000, 1, 1.5, 9, 0, 0}, 51544.5},  // a fractional day adds its fraction
  };
  for (const Case& c : cases) {
    double mjd = -1;
    ASSERT_EQ(calc_mjd(c.jst[0], c.jst[1], c.jst[2], c.jst[3], c.jst[4], c.jst[5], &mjd), 1);
    EXPECT_NEAR(mjd, c.mjd, 1e-9) << c.jst[0] << "-" << c.jst[1] << "-" << c.jst[2];
  }
}

TEST(CalendarArithmetic, TheDaysOfTheGregorianReformAreRefused) {
  ReportedErrors errors;
  for (int day = 5; day <= 14; ++day) {
    double mjd = 123;
    EXPECT_EQ(calc_mjd(1582, 10, day, 12, 0, 0, &mjd), 0) << day;
    EXPECT_EQ(mjd, 123) << "the out value is not written";
  }
  ASSERT_EQ(errors.messages.size(), 10u);
  EXPECT_EQ(errors.messages[0], "Bad date");

  // A table stops at its first bad row, rows before it already written.
  const double rows[] = {2000, 1, 1, 9, 0, 0, 1582, 10, 5, 0, 0, 0, 2000, 1, 2, 9, 0, 0};
  double out[6] = {0, 0, 0, 0, 0, 0};
  EXPECT_EQ(doJST2MJD(rows, 3, out), 0);
  EXPECT_DOUBLE_EQ(out[0], 51544.0);
  EXPECT_DOUBLE_EQ(out[1], 2451544.5);
  EXPECT_EQ(out[2], 0);
  double ages[6] = {0, 0, 0, 0, 0, 0};
  EXPECT_EQ(calcMoonAge(rows, 3, ages), 0);
  EXPECT_NE(ages[0], 0);
  EXPECT_EQ(ages[2], 0);
}

TEST(CalendarArithmetic, MjdBackToJstDateAndTime) {
  struct Case {
    double mjd;
    std::array<double, 6> jst;
  };
  const Case cases[] = {
      {51544.0, {2000, 1, 1, 9, 0, 0}},
      {16480.625, {1904, 1, 2, 0, 0, 0}},  // year estimated one too small: thirteenth month
      {54525.5, {2008, 2, 29, 21, 0, 0}},
      {54526.0, {2008, 3, 1, 9, 0, 0}},
      {0.0, {1858, 11, 17, 9, 0, 0}},
      // The last hours of 31 December, where the year estimate runs one too large.
      {51543.5, {1999, 12, 31, 21, 0, 0}},
      {51543.6, {1999, 12, 31, 23, 24, 0}},
      {60675.55, {2024, 12, 31, 22, 12, 0}},
  };
  for (const Case& c : cases) {
    double out[6];
    ASSERT_EQ(mjd2jst(c.mjd, out), 1);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(out[i], c.jst[i]) << "MJD " << c.mjd << " item " << i;
    // Seconds come out as a fraction and may carry a tiny residue.
    EXPECT_NEAR(out[5], c.jst[5], 1e-3) << "MJD " << c.mjd;
  }
}

TEST(CalendarArithmetic, EveryJstHourOfTheYearEndsRoundTrips) {
  // Across several year ends, every hour of 30 December .. 2 January converts to an MJD and
  // back to the same date and hour.
  for (int year : {1899, 1903, 1999, 2000, 2023, 2024, 2099}) {
    for (int step = 0; step < 4 * 24; ++step) {
      const int dayIndex = step / 24;
      const int hour = step % 24;
      const int y = dayIndex < 2 ? year : year + 1;
      const int d = dayIndex < 2 ? 30 + dayIndex : dayIndex - 1;
      const int m = dayIndex < 2 ? 12 : 1;
      double mjd;
      ASSERT_EQ(calc_mjd(y, m, d, hour, 0, 0, &mjd), 1);
      double out[6];
      ASSERT_EQ(mjd2jst(mjd, out), 1);
      // A residue of a fraction of a second may round the hour down to 59:59.99.
      const double back = out[3] + out[4] / 60 + out[5] / 3600;
      EXPECT_EQ(out[0], y) << y << "-" << m << "-" << d << " " << hour;
      EXPECT_EQ(out[1], m) << y << "-" << m << "-" << d << " " << hour;
      EXPECT_EQ(out[2], d) << y << "-" << m << "-" << d << " " << hour;
      EXPECT_NEAR(back, hour, 1e-3) << y << "-" << m << "-" << d << " " << hour;
    }
  }
}

TEST(CalendarArithmetic, WeekdaysLeapYearsAndMonthLengths) {
  struct Weekday {
    int y, m, d, w;
  };
  const Weekday weekdays[] = {
      {2000, 1, 1, 6},  {1582, 10, 14, 7}, {1582, 10, 15, 5}, {1582, 9, 30, 7}, {1500, 6, 1, 7},
      {2008, 2, 29, 5}, {2009, 9, 1, 2},   {2026, 12, 9, 3},  {1900, 1, 1, 1},  {2024, 3, 1, 5},
  };
  for (const Weekday& c : weekdays) EXPECT_EQ(dayweek(c.y, c.m, c.d), c.w) << c.y << "-" << c.m << "-" << c.d;

  const double rows[] = {2000.9, 1.2, 1.7, 1582, 10, 15};
  double out[2];
  EXPECT_EQ(get_DayWeek(rows, 2, out), 1);
  EXPECT_EQ(out[0], 6);  // truncated to 2000-01-01
  EXPECT_EQ(out[1], 5);

  EXPECT_EQ(leapyear(2000), 1);
  EXPECT_EQ(leapyear(1900), 0);
  EXPECT_EQ(leapyear(2008), 1);
  EXPECT_EQ(leapyear(2009), 0);
  EXPECT_EQ(leapyear(1500), 0);  // the Gregorian rule also before 1582
  EXPECT_EQ(daymonth(2000, 2), 29);
  EXPECT_EQ(daymonth(1900, 2), 28);
  EXPECT_EQ(daymonth(2008, 2), 29);
  EXPECT_EQ(daymonth(2009, 4), 30);
  EXPECT_EQ(daymonth(2009, 12), 31);
}

TEST(CalendarArithmetic, MoonAgesByBothMethods) {
  struct Case {
    std::array<double, 6> jst;
    double age;  // days since the last new moon, from published new moon times
  };
  const Case cases[] = {
      {{2000, 1, 7, 3, 14, 0}, 0.0},     // new moon 2000-01-06 18:14 UT
      {{2000, 1, 21, 13, 40, 0}, 14.4},  // full moon 2000-01-21 04:40 UT
      {{2009, 9, 15, 12, 0, 0}, 25.7},   // new moon 2009-08-20 10:01 UT
      {{2024, 4, 9, 3, 21, 0}, 0.0},     // new moon 2024-04-08 18:21 UT
  };
  for (const Case& c : cases) {
    double ages[2];
    ASSERT_EQ(calcMoonAge(c.jst.data(), 1, ages), 1);
    for (int method = 0; method < 2; ++method) {
      double age = ages[method];
      if (c.age == 0.0 && age > 29) age -= 29.530589;  // just before the computed new moon
      EXPECT_NEAR(age, c.age, 0.6) << c.jst[0] << "-" << c.jst[1] << "-" << c.jst[2] << " method " << method;
    }
  }
  // The first method is JD minus the corrected new moon of the mean lunation count.
  const double jd = 2451550.09765 + 29.530589 * 3;
  EXPECT_NEAR(getNewMoon(jd) + 0,
              jd - (2451550.09765 + 29.530589 * 3 + 0.0001337 * (3 / 1236.85) * (3 / 1236.85) -
                    0.4072 * std::sin((201.5643 + 385.8169 * 3) * 0.017453292519943) +
                    0.17241 * std::sin((2.5534 + 29.1054 * 3) * 0.017453292519943)),
              1e-9);
  // Both ages lie in a lunation (the first may stray a little past its ends).
  for (double d = 0; d < 60; d += 0.37) {
    const double a2 = getNewMoon2(2451545.0 + d);
    EXPECT_GE(a2, 0);
    EXPECT_LT(a2, 29.53058868);
    const double a1 = getNewMoon(2451545.0 + d);
    EXPECT_GT(a1, -1.0);
    EXPECT_LT(a1, 30.6);
  }
}

TEST(CalendarArithmetic, MonthCalendarText) {
  std::string out = "old";
  ASSERT_EQ(calendar(2009, 9, 15, out), 1);
  EXPECT_EQ(out,
            "\n2009-09-15\n\n"
            " SU  MO  TU  WE  TH  FR  SA\n"
            "        "
            "  1   2   3   4   5 \n"
            "  6   7   8   9  10  11  12 \n"
            " 13  14 [15] 16  17  18  19 \n"
            " 20  21  22  23  24  25  26 \n"
            " 27  28  29  30 \n");

  // No day: no brackets and no day in the header. A month that ends on a Saturday ends in an
  // empty line.
  ASSERT_EQ(calendar(2009, 10, 0, out), 1);
  EXPECT_EQ(out,
            "\n2009-10\n\n"
            " SU  MO  TU  WE  TH  FR  SA\n"
            "                "
            "  1   2   3 \n"
            "  4   5   6   7   8   9  10 \n"
            " 11  12  13  14  15  16  17 \n"
            " 18  19  20  21  22  23  24 \n"
            " 25  26  27  28  29  30  31 \n"
            "\n");

  // February of a leap year starting on a Friday.
  ASSERT_EQ(calendar(2008, 2, 29, out), 1);
  EXPECT_TRUE(out.ends_with("\n 24  25  26  27  28 [29]\n")) << out;
}

TEST(CalendarArithmetic, CalendarRefusesMonthsItCannotPrint) {
  ReportedErrors errors;
  std::string out = "unchanged";
  EXPECT_EQ(calendar(2009, 13, 1, out), 0);
  EXPECT_EQ(calendar(2009, 0, 1, out), 0);
  EXPECT_EQ(calendar(1582, 10, 1, out), 0);  // its first day has no weekday
  EXPECT_EQ(calendar(1200, 5, 1, out), 0);
  EXPECT_EQ(out, "unchanged");
  ASSERT_EQ(errors.messages.size(), 4u);
  EXPECT_EQ(errors.messages[0], "cannot calculate");
  EXPECT_EQ(calendar(1582, 11, 0, out), 1);
}

TEST(CalendarArithmetic, TodayMarksTheLocalDate) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::string expected, got;
  ASSERT_EQ(calendar(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, expected), 1);
  ASSERT_EQ(today(0, got), 1);
  if (got != expected) {  // midnight passed between the two calls
    now = std::time(nullptr);
    localtime_r(&now, &local);
    ASSERT_EQ(calendar(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, expected), 1);
  }
  EXPECT_EQ(got, expected);
  ASSERT_EQ(today(400, got), 1);
  EXPECT_NE(got, expected);
}

}  // namespace
