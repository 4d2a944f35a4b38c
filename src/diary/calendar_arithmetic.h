#pragma once
// Calendar arithmetic: modified Julian dates (MJD) of Japan Standard Time dates and back, the
// day of the week, month lengths, the age of the moon by two independent methods, and a month
// calendar printed as text. Plain functions without state, safe on any thread: the language
// calls them from its worker thread while the calendar window calls them on the GUI thread.
//
// Every local date and time here is Japan Standard Time (UTC+9, fixed, whatever the user's time
// zone): the built-ins that expose these functions have always answered that way, and stored
// results depend on it. A date-time row is six doubles: year, month, day, hour, minute, second.
// Tables are row-major arrays of doubles (the layout of the language's number matrices).
//
// Functions answering int give 1 for done and 0 for failed, the error already reported.

#include <functional>
#include <string>
#include <string_view>

// Where "Bad date" and "cannot calculate" go: the language's error report (console log and the
// run's result text) unless another reporter is set (nullptr restores it).
void setCalendarErrorReporter(std::function<void(std::string_view)> reporter);

// MJD (days, Universal Time) of a JST date and time; fails for 1582-10-05 .. 1582-10-14, the
// days the Gregorian reform skipped. A fractional day adds its fraction.
int calc_mjd(double year, double month, double day, double hour, double minute, double second, double* mjd);

// The JST date and time of an MJD: out = year, month, day, hour, minute, second.
int mjd2jst(double mjd, double* out);

// n date-time rows -> n rows (MJD, JD); stops with 0 at the first bad row.
int doJST2MJD(const double* rows, int n, double* out);

int leapyear(int year);  // 1 for a Gregorian leap year (applied to every year)

// Day of the week, 0 Sunday .. 6 Saturday; 7 for a date before 1582-10-15.
int dayweek(int year, int month, int day);

// n rows (year, month, day), each truncated to an integer -> n weekdays.
int get_DayWeek(const double* rows, int n, double* out);

int daymonth(int year, int month);  // days in month 1..12 (0 for any other month)

double getNewMoon(double jd);   // moon age in days from the mean lunation with two corrections
double getNewMoon2(double jd);  // moon age in days from the sun's and moon's longitudes

// n date-time rows -> n rows (age by getNewMoon, age by getNewMoon2); 0 at the first bad row
// (rows before it are already written).
int calcMoonAge(const double* rows, int n, double* out);

// The month calendar as text, the given day in brackets (day 0 for none). Fails with "cannot
// calculate" for a month outside 1..12 and every month up to October 1582; `out` is then left
// as it was.
int calendar(int year, int month, int day, std::string& out);

// The calendar of the local date now plus `dayOffset` days, that day marked.
int today(int dayOffset, std::string& out);

namespace pravella {

// True for 1582-10-05 .. 1582-10-14, the dates calc_mjd refuses (compared after truncation).
bool isInGregorianGap(double year, double month, double day);

}  // namespace pravella
