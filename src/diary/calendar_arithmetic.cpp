#include "diary/calendar_arithmetic.h"

#include <array>
#include <cmath>
#include <ctime>
#include <mutex>
#include <string>

#include "lang/report.h"
#include "platform/cformat.h"

namespace {

std::mutex reporterMutex;
std::function<void(std::string_view)> errorReporter;

void reportCalendarError(std::string_view message) {
  std::function<void(std::string_view)> reporter;
  {
    std::lock_guard lock(reporterMutex);
    reporter = errorReporter;
  }
  if (reporter)
    reporter(message);
  else
    error_disp(message);
}

constexpr std::array<int, 12> kMonthDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

long truncL(double v) { return static_cast<long>(std::trunc(v)); }

// The MJD of January 0 (the last day of the year before) at 00:00 JST, and the month lengths of
// the year, as the year-walk of mjd2jst needs them.
struct YearStart {
  double mjd0 = 0;
  std::array<int, 12> lengths = kMonthDays;
};

YearStart yearStart(long year) {
  YearStart s;
  if ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) s.lengths[1] = 29;
  calc_mjd(static_cast<double>(year), 1, 0, 0, 0, 0, &s.mjd0);  // January never falls in the gap
  return s;
}

}  // namespace

void setCalendarErrorReporter(std::function<void(std::string_view)> reporter) {
  std::lock_guard lock(reporterMutex);
  errorReporter = std::move(reporter);
}

namespace pravella {

bool isInGregorianGap(double year, double month, double day) {
  const long d = truncL(day);
  return truncL(year) == 1582 && truncL(month) == 10 && d >= 5 && d <= 14;
}

}  // namespace pravella

int calc_mjd(double year, double month, double day, double hour, double minute, double second, double* mjd) {
  if (pravella::isInGregorianGap(year, month, day)) {
    reportCalendarError("Bad date");
    return 0;
  }
  // The calendar rule is chosen by the decimal year of the date as given, before the shift of
  // January and February to the end of the year before.
  const double t = year + (month - 1) / 12 + day / 365.25;
  if (month <= 2) {
    year -= 1;
    month += 12;
  }
  double result;
  if (t >= 1582.78) {
    const long n =
        truncL(365.25 * year) + truncL(year / 400) - truncL(year / 100) + truncL(30.59 * (month - 2));
    result = day + static_cast<double>(n) - 678912;
  } else {
    const long n = truncL(365.25 * year) + truncL(30.59 * (month - 2));
    result = day + static_cast<double>(n) - (year >= 0 ? 678914 : 678915);
  }
  *mjd = result + ((second / 60 + minute) / 60 + hour - 9) / 24;
  return 1;
}

int mjd2jst(double mjd, double* out) {
  long year = truncL(mjd * 0.0027379093 + 1858.877);
  YearStart start = yearStart(year);
  double r = mjd - start.mjd0;
  // In the last hours of 31 December the estimate can be one year too large, which would put
  // the date before January 1 (day 0 of January of the next year): take the year before.
  while (r < 1.0) {
    --year;
    start = yearStart(year);
    r = mjd - start.mjd0;
  }
  const long k = truncL(r);

  int i = 0;
  long c = 0;
  for (; i < 12; ++i) {
    if (c + start.lengths[i] >= k) break;
    c += start.lengths[i];
  }
  // When all twelve months pass, the estimate was one year too small: month 13 is carried into
  // January of the next year below.
  r -= static_cast<double>(c);
  long day = truncL(r);
  int month = i + 1;
  const double fraction = r - static_cast<double>(day);
  long hours = truncL(fraction * 24);
  long minutes = truncL((fraction * 24 - static_cast<double>(hours)) * 60);
  double seconds = ((fraction * 24 - static_cast<double>(hours)) * 60 - static_cast<double>(minutes)) * 60;

  if (seconds > 59) {
    seconds = 0;
    ++minutes;
  }
  if (minutes > 59) {
    minutes = 0;
    ++hours;
  }
  if (hours > 23) {
    hours = 0;
    ++day;
  }
  if (month >= 1 && month <= 12 && day > start.lengths[month - 1]) {
    ++month;
    day = 1;
  }
  if (month > 12) {
    ++year;
    month = 1;
  }
  out[0] = static_cast<double>(year);
  out[1] = month;
  out[2] = static_cast<double>(day);
  out[3] = static_cast<double>(hours);
  out[4] = static_cast<double>(minutes);
  out[5] = seconds;
  return 1;
}

int doJST2MJD(const double* rows, int n, double* out) {
  for (int i = 0; i < n; ++i) {
    const double* r = rows + 6 * i;
    double mjd;
    if (!calc_mjd(r[0], r[1], r[2], r[3], r[4], r[5], &mjd)) return 0;
    out[2 * i] = mjd;
    out[2 * i + 1] = mjd + 2400000.5;
  }
  return 1;
}

int leapyear(int year) { return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 1 : 0; }

int dayweek(int year, int month, int day) {
  if (year < 1582) return 7;
  if (year == 1582 && (month <= 9 || (month == 10 && day <= 14))) return 7;
  if (year > 1582 && month <= 2) {
    year -= 1;
    month += 12;
  }
  // In 64 bits: the years and months of the language's dates may reach the ends of int.
  const long long y = year, m = month;
  return static_cast<int>((y + y / 4 - y / 100 + y / 400 + (13 * m + 8) / 5 + day) % 7);
}

int get_DayWeek(const double* rows, int n, double* out) {
  for (int i = 0; i < n; ++i) {
    const double* r = rows + 3 * i;
    out[i] = dayweek(static_cast<int>(truncL(r[0])), static_cast<int>(truncL(r[1])),
                     static_cast<int>(truncL(r[2])));
  }
  return 1;
}

int daymonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  return kMonthDays[month - 1] + (month == 2 ? leapyear(year) : 0);
}

double getNewMoon(double jd) {
  constexpr double rad = 0.017453292519943;
  const double k = std::floor((jd - 2451550.09765) / 29.530589);
  const double t = k / 1236.85;
  const double newMoon = 2451550.09765 + 29.530589 * k + 0.0001337 * t * t -
                         0.4072 * std::sin((201.5643 + 385.8169 * k) * rad) +
                         0.17241 * std::sin((2.5534 + 29.1054 * k) * rad);
  return jd - newMoon;
}

double getNewMoon2(double jd) {
  constexpr double rad = 0.017453292519943278;
  constexpr double deg = 57.29577951308238;
  constexpr double eccentricity = 0.016718;
  auto fixangle = [](double a) { return a - 360.0 * std::floor(a / 360.0); };

  const double day = jd - 2444238.5;
  const double n = fixangle(day * 0.9856473347976967);
  const double m = fixangle(n + 278.83354 - 282.596403);
  const double mr = m * rad;
  // Kepler's equation by Newton's method.
  double e = mr;
  for (;;) {
    const double delta = e - eccentricity * std::sin(e) - mr;
    e -= delta / (1 - eccentricity * std::cos(e));
    if (std::fabs(delta) <= 1e-7) break;
  }
  const double ec = 2 * std::atan(1.0168601118216303 * std::tan(e / 2)) * deg;
  const double sunLongitude = fixangle(ec + 282.596403);

  const double ml = fixangle(13.1763966 * day + 64.975464);
  const double mm = fixangle(ml - 0.1114041 * day - 349.383063);
  const double ev = 1.2739 * std::sin((2 * (ml - sunLongitude) - mm) * rad);
  const double ae = 0.1858 * std::sin(m * rad);
  const double a3 = 0.37 * std::sin(m * rad);
  const double mmp = mm + ev - ae - a3;
  const double mec = 6.2886 * std::sin(mmp * rad);
  const double a4 = 0.214 * std::sin(2 * mmp * rad);
  const double lp = ml + ev + mec - ae + a4;
  const double v = 0.6583 * std::sin(2 * (lp - sunLongitude) * rad);
  const double lpp = lp + v;
  return fixangle(lpp - sunLongitude) / 360 * 29.53058868;
}

int calcMoonAge(const double* rows, int n, double* out) {
  for (int i = 0; i < n; ++i) {
    const double* r = rows + 6 * i;
    double mjd;
    if (!calc_mjd(r[0], r[1], r[2], r[3], r[4], r[5], &mjd)) return 0;
    const double jd = mjd + 2400000.5;
    out[2 * i] = getNewMoon(jd);
    out[2 * i + 1] = getNewMoon2(jd);
  }
  return 1;
}

int calendar(int year, int month, int day, std::string& out) {
  // The month is tested before its length is looked up.
  if (month < 1 || month > 12) {
    reportCalendarError("cannot calculate");
    return 0;
  }
  const int w = dayweek(year, month, 1);
  if (w == 7) {
    reportCalendarError("cannot calculate");
    return 0;
  }
  const int n = daymonth(year, month);
  using pravella::cformat;
  std::string text = day != 0
                         ? cformat("\n%4ld-%02ld-%02ld\n\n", static_cast<long>(year),
                                   static_cast<long>(month), static_cast<long>(day))
                         : cformat("\n%4ld-%02ld\n\n", static_cast<long>(year), static_cast<long>(month));
  text += " SU  MO  TU  WE  TH  FR  SA\n";
  for (int i = 0; i < w; ++i) text += "    ";
  for (int d = 1; d <= n; ++d) {
    text += d == day ? cformat("[%2ld]", static_cast<long>(d)) : cformat(" %2ld ", static_cast<long>(d));
    if ((w + d) % 7 == 0) text += '\n';
  }
  text += '\n';
  out = std::move(text);
  return 1;
}

int today(int dayOffset, std::string& out) {
  const std::time_t when = std::time(nullptr) + static_cast<std::time_t>(dayOffset) * 86400;
  std::tm local{};
  localtime_r(&when, &local);
  return calendar(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, out);
}
