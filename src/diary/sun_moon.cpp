#include "diary/sun_moon.h"

#include <cmath>
#include <span>

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kRad = 0.017453292519943278;  // degrees to radians

// The body is at its rise/set altitude when its altitude plus this is 0: the sun's centre at
// -0.8533333 degrees (refraction and the half diameter), the moon's at -0.5855 degrees.
constexpr double kSunHorizon = 0.014893476283684932;
constexpr double kMoonHorizon = 0.01021890277042679;

// Place of the computation in progress (latitude and longitude in degrees, time zone in
// minutes). Per thread: the calendar window and a language run may compute at the same time.
struct Place {
  double latitude = 0;
  double longitude = 0;
  int tzOffset = 0;
};
thread_local Place place;

// One periodic term: amplitude x cos(rate x T + phase), degrees, degrees per Julian century.
struct Term {
  double amplitude;
  double rate;
  double phase;
};

// Terms are summed smallest first so that the large terms are not lost in rounding.
double sumTerms(std::span<const Term> terms, double T) {
  double s = 0;
  for (const Term& t : terms) s += t.amplitude * std::cos((t.rate * T + t.phase) * kRad);
  return s;
}

constexpr Term kSunLongitude[] = {
    {0.0004, 31557, 161}, {0.0004, 29930, 48},    {0.0005, 2281, 221},   {0.0005, 155, 118},
    {0.0006, 33718, 316}, {0.0007, 9038, 64},     {0.0007, 3035, 110},   {0.0007, 65929, 45},
    {0.0013, 22519, 352}, {0.0015, 45038, 254},   {0.0018, 445267, 208}, {0.0018, 19, 159},
    {0.002, 32964, 158},  {0.02, 71998.1, 265.1},
};
constexpr Term kSunDistance[] = {
    {0.000005, 33718, 226}, {0.000005, 22519, 233},  {0.000016, 45038, 164},
    {0.000016, 32964, 68},  {0.000031, 445267, 298}, {0.000139, 71998, 175},
};

// The moon. The leading terms are those of the classical short lunar series. The small terms
// come from the truncated ELP-2000/82 series as Jean Meeus gives it in "Astronomical
// Algorithms" (2nd ed., 1998), chapter 47, tables 47.A and 47.B and the additive terms A1, A2,
// A3 of the same chapter: each sin term of the arguments D, M, M', F was written as
// amplitude x cos(rate x T + phase) from the linear parts of those arguments, without the
// eccentricity factor E (below 0.03 percent over this century). The parallax terms beyond the
// leading four are Meeus's distance terms turned into parallax to first order,
// dP = -P0 x dDelta / Delta0 with P0 = 0.94919 degrees and Delta0 = 385000.56 km.
constexpr Term kMoonLongitude[] = {
    {0.000294, 2322130.825, 190.591},
    {0.000299, 4067.294, 70.416},
    {0.000318, 479264.290, 323.090},
    {0.000323, 549196.968, 220.022},
    {0.000327, 1808932.908, 58.098},
    {0.000330, 349471.843, 336.511},
    {0.000340, 381403.599, 353.624},
    {0.000351, 958465.029, 340.343},
    {0.000381, 12006.300, 186.617},
    {0.000399, 39870.762, 223.315},
    {0.000487, 509130.624, 242.077},
    {0.000520, 1745069.395, 23.872},
    {0.000537, 1908795.470, 89.854},
    {0.000549, 2258267.313, 156.364},
    {0.000596, 111868.863, 38.373},
    {0.000691, 27864.462, 126.697},
    {0.000700, 485333.456, 185.795},
    {0.000713, 405200.767, 49.905},
    {0.000759, 790671.660, 113.945},
    {0.000810, 1403732.141, 98.193},
    {0.000892, 858602.467, 128.587},
    {0.001110, 1920801.770, 186.471},
    {0.001215, 1267870.528, 248.908},
    {0.001595, 1856938.258, 152.245},
    {0.001773, 401329.055, 274.120},
    {0.001962, 1934.136, 324.956},
    {0.002048, 341337.255, 15.679},
    {0.002069, 71998.101, 85.058},
    {0.002120, 990396.785, 357.456},
    {0.002236, 818536.122, 150.642},
    {0.002348, 922465.979, 162.814},
    {0.002390, 99862.562, 121.756},
    {0.002602, 1379739.390, 17.281},
    {0.002689, 918398.685, 182.398},
    {0.003665, 541062.380, 259.190},
    {0.003861, 1781068.446, 21.401},
    {0.003958, 131.849, 29.750},
    {0.003994, 1844931.958, 55.627},
    {0.004036, 1331734.040, 283.135},
    {0.004987, 481266.162, 205.379},
    {0.005163, 31931.756, 107.113},
    {0.006766, 926533.273, 323.229},
    {0.007888, 449334.406, 188.266},
    {0.008548, 826670.711, 111.474},
    {0.01, 1431597, 315},
    {0.0107, 1303870, 246},
    {0.011, 489205, 142},
    {0.0125, 1443603, 52},
    {0.0154, 75870, 41},
    {0.0304, 513197.9, 222.5},
    {0.0347, 445267.1, 27.9},
    {0.0409, 441199.8, 47.4},
    {0.0458, 854535.2, 148.2},
    {0.0533, 1367733.1, 280.7},
    {0.0571, 377336.3, 13.2},
    {0.0588, 63863.5, 124.2},
    {0.1144, 966404, 276.5},
    {0.1851, 35999.05, 87.53},
    {0.2136, 954397.74, 179.93},
    {0.6583, 890534.22, 145.7},
    {1.274, 413335.35, 10.74},
    {6.2888, 477198.868, 44.963},
};
constexpr Term kMoonLatitude[] = {
    {0.000107, 1301738.140, 243.914}, {0.000115, 1261867.378, 290.600}, {0.000115, 958466.749, 83.280},
    {0.000119, 515133.774, 200.385},  {0.000127, 4069.014, 353.353},    {0.000132, 1775065.296, 63.092},
    {0.000164, 439263.961, 69.541},   {0.000166, 784668.510, 155.636},  {0.000175, 483070.169, 63.522},
    {0.000175, 483333.867, 123.022},  {0.000176, 343468.693, 18.202},   {0.000177, 1473598.803, 90.728},
    {0.000181, 583064.580, 215.028},  {0.000185, 1405667.996, 256.086}, {0.000220, 1401600.702, 275.670},
    {0.000220, 33867.612, 265.006},   {0.000223, 1935.856, 247.893},    {0.000223, 964468.179, 298.651},
    {0.000229, 920530.123, 4.921},    {0.000283, 1926804.920, 144.780}, {0.000302, 335334.105, 57.370},
    {0.000315, 1814936.058, 16.407},  {0.000331, 2264270.463, 114.673}, {0.000351, 1409735.291, 56.502},
    {0.000366, 932536.423, 281.538},  {0.000382, 481266.484, 223.450},  {0.000421, 1024264.397, 352.462},
    {0.000422, 2328133.975, 148.899}, {0.000439, 948394.585, 221.618},  {0.000451, 419338.505, 149.046},
    {0.000491, 848532.022, 189.863},  {0.000596, 1361729.940, 322.355}, {0.000607, 559071.830, 134.116},
    {0.000671, 1309872.728, 204.746}, {0.000777, 972407.185, 234.853},  {0.000833, 1787071.596, 339.709},
    {0.001021, 1297866.428, 288.129}, {0.001107, 1914798.620, 48.162},  {0.001335, 37934.906, 65.422},
    {0.001344, 447202.967, 5.743},    {0.001410, 29995.900, 129.220},   {0.001475, 996399.935, 315.765},
    {0.001491, 928469.129, 121.122},  {0.001565, 42002.200, 45.838},    {0.001749, 1449606.053, 9.816},
    {0.001794, 519201.068, 180.801},  {0.001828, 820667.561, 153.165},  {0.001870, 924401.835, 140.706},
    {0.002065, 105865.713, 80.064},   {0.002211, 1337737.190, 241.443}, {0.002235, 481267.881, 308.316},
    {0.002463, 860538.323, 106.480},  {0.003359, 443331.256, 229.957},  {0.004200, 1850935.108, 13.936},
    {0.004324, 547065.530, 217.499},  {0.008216, 371333.155, 54.899},   {0.008822, 471195.717, 86.655},
    {0.009266, 884531.073, 187.392},  {0.0172, 1437599.8, 273.2},       {0.0326, 1373736.2, 239},
    {0.0463, 69866.7, 82.5},          {0.0554, 896537.4, 104},          {0.1733, 407332.2, 52.43},
    {0.2777, 6003.15, 48.31},         {0.2806, 960400.89, 138.24},      {5.1281, 483202.019, 3.273},
};
constexpr Term kMoonParallax[] = {
    {0.0000028, 1908795.470, 179.854}, {0.0000029, 549196.968, 310.022}, {0.0000035, 2258267.313, 246.364},
    {0.0000039, 1745069.395, 113.872}, {0.0000043, 509130.624, 332.077}, {0.0000047, 790671.660, 203.945},
    {0.0000052, 405200.767, 139.905},  {0.0000058, 485333.456, 275.795}, {0.0000064, 1403732.141, 188.193},
    {0.0000078, 966404.035, 186.544},  {0.0000080, 858602.467, 218.587}, {0.0000098, 1267870.528, 338.908},
    {0.0000102, 401329.055, 4.120},    {0.0000109, 12006.300, 276.617},  {0.0000122, 341337.255, 105.679},
    {0.0000142, 990396.785, 87.456},   {0.0000156, 922465.979, 252.814}, {0.0000173, 918398.685, 272.398},
    {0.0000207, 31931.756, 197.113},   {0.0000216, 553068.680, 265.807}, {0.0000244, 818536.122, 240.642},
    {0.0000248, 99862.562, 211.756},   {0.0000254, 75869.812, 130.844},  {0.0000258, 1844931.958, 145.627},
    {0.0000287, 1781068.446, 111.401}, {0.0000316, 1331734.040, 13.135}, {0.0000355, 541062.380, 349.190},
    {0.0000411, 481266.162, 295.379},  {0.0000533, 826670.711, 201.474}, {0.0000572, 1431596.603, 44.890},
    {0.0000597, 449334.406, 278.266},  {0.0000760, 926533.273, 53.229},  {0.0000858, 1303869.578, 336.437},
    {0.0001205, 35999.050, 177.529},   {0.0001964, 489205.168, 231.581}, {0.0002583, 513197.918, 312.493},
    {0.0002681, 445267.111, 117.850},  {0.0003196, 441199.817, 137.434}, {0.0003751, 377336.305, 103.208},
    {0.0004210, 1367733.090, 10.664},  {0.0005044, 854535.173, 238.171}, {0.0006069, 63863.512, 214.226},
    {0.002824, 954397.74, 269.93},     {0.007842, 890534.22, 235.7},     {0.00953, 413335.35, 100.74},
    {0.05182, 477198.868, 134.963},
};

struct Nutation {
  double longitude;  // delta psi, degrees
  double obliquity;  // delta epsilon, degrees
};

Nutation nutation(double T) {
  const double omega = (125.04 - 1934.136 * T) * kRad;
  const double q = (200.93 + 72001.539 * T) * kRad;
  return {-0.00478 * std::sin(omega) + 0.00037 * std::sin(q),
          -0.00256 * std::sin(omega) + 0.00016 * std::sin(q)};
}

struct Equatorial {
  double ra;   // radians
  double dec;  // radians
};

// Ecliptic longitude and latitude (degrees) to right ascension and declination at the
// obliquity eps (degrees).
Equatorial toEquatorial(double lambda, double beta, double eps) {
  const double l = lambda * kRad, b = beta * kRad, e = eps * kRad;
  const double x = std::cos(b) * std::cos(l);
  const double y = std::cos(e) * std::cos(b) * std::sin(l) - std::sin(e) * std::sin(b);
  const double z = std::sin(e) * std::cos(b) * std::sin(l) + std::cos(e) * std::sin(b);
  double ra = std::atan(y / x);
  if (x < 0) ra += kPi;
  return {ra, std::atan(z / std::sqrt(x * x + y * y))};
}

// Seconds of Universal Time after 0h of the date for the local time given; the time zone's
// hours and minutes are taken apart with truncating division, so a negative zone works too.
// Programs may give zones of a million hours: the seconds are counted in 64 bits.
long long universalSeconds(int hour, int minute, int second, int tz) {
  return (hour - tz / 60) * 3600LL + (minute - tz % 60) * 60LL + second;
}

using Altitude = double (*)(double T, double theta, double latitude);

// The minute of the hour in which altitude + horizon changes sign, sampled at m:00 - 30 s so
// that the minute found is the crossing rounded to the nearest minute.
int crossingMinute(Altitude altitude, double horizon, int hour, double jd, double longitude,
                   double latitude) {
  double previous = 0;
  for (int m = 0; m <= 60; ++m) {
    const double theta = getTheta(hour, m, -30, place.tzOffset, jd, longitude);
    const double T = getT(hour, m, -30, place.tzOffset, jd);
    const double f = altitude(T, theta, latitude) + horizon;
    if (m > 0 && f * previous < 0) return m - 1;
    previous = f;
  }
  return -1;
}

}  // namespace

double normalizeAngle(double degrees) {
  double a = degrees - 360.0 * std::floor(degrees / 360.0);
  if (a >= 360.0) a -= 360.0;  // a tiny negative angle rounds up to 360
  return a;
}

double getJulianDay(int year, int month, int day) {
  const bool gregorian = year > 1582 || (year == 1582 && (month > 10 || (month == 10 && day >= 15)));
  if (month <= 2) {
    month += 12;
    year -= 1;
  }
  int b = 0;
  if (gregorian) {
    const int a = static_cast<int>(std::floor(year / 100.0));
    b = 2 - a + a / 4;
  }
  const double y =
      year > 0 ? std::trunc(std::floor(365.25 * year)) : std::trunc(std::floor(365.25 * year - 0.75));
  return y + std::floor(30.6001 * (month + 1)) + 1720994.5 + b + day;
}

double getT(int hour, int minute, int second, int tz, double jd) {
  const double u = universalSeconds(hour, minute, second, tz);
  return (u / 86400.0 + jd - 2451545.0) / 36525.0;
}

double getTheta(int hour, int minute, int second, int tz, double jd, double longitude) {
  const double t0 = (jd - 2451545.0) / 36525.0;
  const double u = universalSeconds(hour, minute, second, tz);
  double s = 24110.54841 + 8640184.812866 * t0 + 0.093104 * t0 * t0 - 0.0000062 * t0 * t0 * t0;
  s += 240.0 * longitude + 1.00273791 * u;
  s -= 86400.0 * std::floor(s / 86400.0);
  return s / 43200.0 * kPi;
}

double getSunH(double T, double theta, double latitude) {
  const double l0 = normalizeAngle(280.4659 + 36000.7695 * T);
  double s = sumTerms(kSunLongitude, T);
  s += -0.0048 * T * std::cos((35999.05 * T + 267.52) * kRad);
  s += 1.9147 * std::cos((35999.05 * T + 267.52) * kRad);
  const double lambda = normalizeAngle(l0 + s);

  double r = sumTerms(kSunDistance, T);
  r += -0.000042 * T * std::cos((35999.05 * T + 177.53) * kRad);
  r += 0.016706 * std::cos((35999.05 * T + 177.53) * kRad);
  r += 1.00014;

  const Nutation n = nutation(T);
  const double eps = 23.43929 - 0.01300417 * T + n.obliquity;
  const double lambdaA = lambda - 0.005693 / r + n.longitude;
  const double betaA = n.obliquity * std::sin(lambda * kRad);
  const Equatorial eq = toEquatorial(lambdaA, betaA, eps);

  const double phi = latitude * kRad;
  return std::asin(std::sin(phi) * std::sin(eq.dec) +
                   std::cos(phi) * std::cos(eq.dec) * std::cos(theta - eq.ra));
}

double getMoonH(double T, double theta, double latitude) {
  const double l1 = normalizeAngle(218.3162 + 481267.8809 * T);
  const double lambda = normalizeAngle(l1 + sumTerms(kMoonLongitude, T));
  const double beta = sumTerms(kMoonLatitude, T);
  const double parallax = (0.950725 + sumTerms(kMoonParallax, T)) * kRad;

  const Nutation n = nutation(T);
  const double eps = 23.43929 - 0.01300417 * T + n.obliquity;
  const Equatorial eq = toEquatorial(lambda + n.longitude, beta + n.obliquity * std::sin(lambda * kRad), eps);

  // Topocentric place for an observer on a spherical Earth.
  const double phi = latitude * kRad;
  const double h = theta - eq.ra;
  const double a = std::cos(eq.dec) * std::sin(h);
  const double b = std::cos(eq.dec) * std::cos(h) - std::cos(phi) * std::sin(parallax);
  const double c = std::sin(eq.dec) - std::sin(phi) * std::sin(parallax);
  double hTopo = std::atan(a / b);
  if (b < 0) hTopo += kPi;
  const double decTopo = std::atan(c / std::sqrt(a * a + b * b));
  return std::asin(std::sin(phi) * std::sin(decTopo) + std::cos(phi) * std::cos(decTopo) * std::cos(hTopo));
}

int sunMinute(int hour, double jd, double longitude, double latitude) {
  return crossingMinute(getSunH, kSunHorizon, hour, jd, longitude, latitude);
}

int moonMinute(int hour, double jd, double longitude, double latitude) {
  return crossingMinute(getMoonH, kMoonHorizon, hour, jd, longitude, latitude);
}

void caluculateSunRise(const double* date, const double* where, double* out) {
  const int year = static_cast<int>(std::trunc(date[0]));
  const int month = static_cast<int>(std::trunc(date[1]));
  const int day = static_cast<int>(std::trunc(date[2]));
  place.latitude = where[0];
  place.longitude = where[1];
  place.tzOffset = static_cast<int>(std::trunc(60.0 * where[2]));
  int times[8] = {-1, -1, -1, -1, -1, -1, -1, -1};

  const double jd = getJulianDay(year, month, day);
  double previousSun = 0, previousMoon = 0;
  for (int h = 0; h <= 24; ++h) {
    const double theta = getTheta(h, 0, -30, place.tzOffset, jd, place.longitude);
    const double T = getT(h, 0, -30, place.tzOffset, jd);
    const double fs = getSunH(T, theta, place.latitude) + kSunHorizon;
    const double fm = getMoonH(T, theta, place.latitude) + kMoonHorizon;
    if (h > 0) {
      if (fs * previousSun < 0) {
        const int k = previousSun < 0 ? 0 : 2;  // rising from below, else setting
        times[k] = h - 1;
        times[k + 1] = sunMinute(h - 1, jd, place.longitude, place.latitude);
      }
      if (fm * previousMoon < 0) {
        const int k = previousMoon < 0 ? 4 : 6;
        times[k] = h - 1;
        times[k + 1] = moonMinute(h - 1, jd, place.longitude, place.latitude);
      }
    }
    previousSun = fs;
    previousMoon = fm;
  }
  for (int i = 0; i < 8; ++i) out[i] = times[i];
}
