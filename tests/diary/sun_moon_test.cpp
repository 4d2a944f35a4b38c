#include "diary/sun_moon.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

namespace {

using Times = std::array<double, 8>;

Times riseAndSet(double year, double month, double day, double latitude, double longitude, double zone) {
  const double date[3] = {year, month, day};
  const double place[3] = {latitude, longitude, zone};
  Times out;
  out.fill(99);
  caluculateSunRise(date, place, out.data());
  return out;
}

std::string hm(const Times& t, int event) {  // event 0 sunrise, 1 sunset, 2 moonrise, 3 moonset
  const double h = t[2 * event], m = t[2 * event + 1];
  if (h < 0) return m < 0 ? "--:--" : "bad";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d:%02d", static_cast<int>(h), static_cast<int>(m));
  return buf;
}

// The place of the former Tokyo Astronomical Observatory at Azabu, to which the National
// Astronomical Observatory of Japan refers its published Tokyo times.
constexpr double kTokyoLat = 35.6581, kTokyoLon = 139.7414;

TEST(SunMoon, AgreesWithPublishedTokyoSunTimes) {
  struct Case {
    int y, m, d;
    const char* rise;
    const char* set;
  };
  // Times as the observatory published them (upper limb on the horizon, JST).
  const Case cases[] = {
      {2017, 1, 1, "6:51", "16:39"}, {2017, 2, 1, "6:41", "17:08"},  {2022, 12, 22, "6:47", "16:32"},
      {2023, 1, 2, "6:51", "16:39"}, {2023, 1, 13, "6:51", "16:49"},
  };
  for (const Case& c : cases) {
    const Times t = riseAndSet(c.y, c.m, c.d, kTokyoLat, kTokyoLon, 9);
    EXPECT_EQ(hm(t, 0), c.rise) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(hm(t, 1), c.set) << c.y << "-" << c.m << "-" << c.d;
  }
}

TEST(SunMoon, AgreesWithPublishedTokyoMoonTimesAroundADayWithoutMoonrise) {
  // The observatory's Tokyo table for 21 to 23 January 2006: the moon that rose at 23:16 on
  // the 21st set at 10:33 on the 22nd, and rose next at 0:16 on the 23rd.
  Times t = riseAndSet(2006, 1, 21, kTokyoLat, kTokyoLon, 9);
  EXPECT_EQ(hm(t, 2), "23:16");
  EXPECT_EQ(hm(t, 3), "10:09");
  t = riseAndSet(2006, 1, 22, kTokyoLat, kTokyoLon, 9);
  EXPECT_EQ(hm(t, 2), "--:--");
  EXPECT_EQ(hm(t, 3), "10:33");
  t = riseAndSet(2006, 1, 23, kTokyoLat, kTokyoLon, 9);
  EXPECT_EQ(hm(t, 2), "0:16");
  EXPECT_EQ(hm(t, 3), "11:00");
}

TEST(SunMoon, ReferencePlacesAndDates) {
  // Akita, the calendar window's default place.
  Times t = riseAndSet(2009, 3, 20, 39.72, 140.1, 9);
  EXPECT_EQ(hm(t, 0), "5:44");
  EXPECT_EQ(hm(t, 1), "17:51");
  t = riseAndSet(2009, 1, 1, 35.6544, 139.7447, 9);
  EXPECT_EQ(hm(t, 0), "6:51");
  EXPECT_EQ(hm(t, 1), "16:39");
  // Greenwich meridian at London's latitude, summer time.
  t = riseAndSet(2009, 6, 21, 51.5, 0, 1);
  EXPECT_EQ(hm(t, 0), "4:42");
  EXPECT_EQ(hm(t, 1), "21:21");
  // Days on which the moon does not rise, or does not set.
  t = riseAndSet(2009, 9, 14, 39.72, 140.1, 9);
  EXPECT_EQ(hm(t, 2), "--:--");
  EXPECT_EQ(hm(riseAndSet(2009, 9, 15, 39.72, 140.1, 9), 2), "0:43");
  EXPECT_EQ(hm(riseAndSet(2009, 9, 28, 39.72, 140.1, 9), 3), "--:--");
}

TEST(SunMoon, PolarNightAndPolarDayLeaveTheSunTimesUnset) {
  const Times night = riseAndSet(2009, 12, 21, 70, 20, 1);
  const Times day = riseAndSet(2009, 6, 21, 70, 20, 1);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(night[i], -1) << i;
    EXPECT_EQ(day[i], -1) << i;
  }
}

TEST(SunMoon, JulianDayAcrossTheCalendarReform) {
  EXPECT_DOUBLE_EQ(getJulianDay(2000, 1, 1), 2451544.5);
  EXPECT_DOUBLE_EQ(getJulianDay(1582, 10, 15), 2299160.5);  // first Gregorian day
  EXPECT_DOUBLE_EQ(getJulianDay(1582, 10, 4), 2299159.5);   // last Julian day, the day before
  EXPECT_DOUBLE_EQ(getJulianDay(1583, 1, 1), 2299238.5);    // January after the reform: Gregorian
  EXPECT_DOUBLE_EQ(getJulianDay(-4712, 1, 1), -0.5);        // JD 0 is noon of this day
}

TEST(SunMoon, TimeZonesOfHalfHoursShiftUniversalTime) {
  const double jd = getJulianDay(2000, 1, 1);
  // 5:30 at +5.5 h and 0:00 UT are the same instant; so are 20:30 at -3.5 h and 0:00 next day.
  EXPECT_NEAR(getT(5, 30, 0, 330, jd), getT(0, 0, 0, 0, jd), 1e-15);
  EXPECT_NEAR(getT(20, 30, 0, -210, jd), getT(24, 0, 0, 0, jd), 1e-15);
  EXPECT_NEAR(getTheta(5, 30, 0, 330, jd, 0), getTheta(0, 0, 0, 0, jd, 0), 1e-12);
}

TEST(SunMoon, NormalizedAnglesStayBelow360) {
  EXPECT_DOUBLE_EQ(normalizeAngle(-30), 330);
  EXPECT_DOUBLE_EQ(normalizeAngle(725), 5);
  EXPECT_LT(normalizeAngle(-1e-14), 360.0);
  EXPECT_GE(normalizeAngle(-1e-14), 0.0);
}

}  // namespace
