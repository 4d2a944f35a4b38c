#pragma once
// Sunrise, sunset, moonrise and moonset of one civil date at one place, to the minute. The
// sun's and the moon's places come from truncated periodic series in Julian centuries; each
// body's altitude is sampled hour by hour over the day, then minute by minute inside an hour
// in which it crosses its rise/set altitude.
//
// The calendar window calls this on the GUI thread and the language on a run's worker thread:
// the place of the computation in progress is per thread, so the two never mix.

// date: year, month, day (each truncated); place: latitude (north +), longitude (east +) in
// degrees, time zone in hours east of Greenwich. out: sunrise hour, minute, sunset hour,
// minute, moonrise hour, minute, moonset hour, minute in local time; -1 and -1 for an event that
// does not happen on the date (the last one of each kind is reported when there are two).
void caluculateSunRise(const double* date, const double* place, double* out);

// Julian day of 0h Universal Time of the civil date (Julian calendar before 1582-10-15).
double getJulianDay(int year, int month, int day);
// Local sidereal time in radians (0 .. 2 pi) of the local time hour:minute:second at the time
// zone `tz` (minutes east), on the date of Julian day `jd`, at `longitude` degrees east.
double getTheta(int hour, int minute, int second, int tz, double jd, double longitude);
// Julian centuries of Universal Time since JD 2451545.0 of the same instant.
double getT(int hour, int minute, int second, int tz, double jd);
// The angle in degrees brought into 0 (inclusive) .. 360 (exclusive).
double normalizeAngle(double degrees);
// Geocentric altitude of the sun's centre and topocentric altitude of the moon's centre, in
// radians, at T, the local sidereal angle theta (radians) and the latitude (degrees).
double getSunH(double T, double theta, double latitude);
double getMoonH(double T, double theta, double latitude);
// The minute 0..59 in which the body crosses its rise/set altitude during the given local hour
// (place and time zone of the computation in progress), or -1.
int sunMinute(int hour, double jd, double longitude, double latitude);
int moonMinute(int hour, double jd, double longitude, double latitude);
