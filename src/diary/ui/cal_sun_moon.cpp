#include "diary/ui/cal_sun_moon.h"

#include <QLabel>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "diary/calendar_arithmetic.h"
#include "diary/sun_moon.h"
#include "diary/ui/sun_moon_panel.h"
#include "lang/builtins/command_bridge.h"
#include "lang/report.h"
#include "platform/cformat.h"
#include "platform/notification_center.h"

namespace {

using pravella::cformat;

constexpr double kDefaultLatitude = 39.72;
constexpr double kDefaultLongitude = 140.1;
constexpr double kDefaultTimeZone = 9.0;

// A finite number written over the whole item ("35.5abc", "", " 35" and "nan" are none).
// from_chars reads the C form whatever the user's locale; it takes no plus sign, which a
// hand-written payload may carry.
bool readWholeNumber(std::string_view item, double& value) {
  if (item.size() > 1 && item.front() == '+' && item[1] != '-' && item[1] != '+') item.remove_prefix(1);
  if (item.empty()) return false;
  double v = 0;
  const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), v);
  if (error != std::errc() || end != item.data() + item.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

// The item as a value of its range, or false after saying why. Written as "inside" so that
// NaN, for which every comparison is false, is never taken.
bool readInside(std::string_view item, const char* what, double low, double high, double& value) {
  if (readWholeNumber(item, value) && value >= low && value <= high) return true;
  error_disp(cformat("Invalid %s: \"%s\" (from %g to %g).", what, std::string(item).c_str(), low, high));
  return false;
}

// The panel's time of an event: hour padded with a blank, minute with a zero.
std::string timeText(double hour, double minute) {
  if (!(hour >= 0)) return "--:--";
  return cformat("%2d:%02d", static_cast<int>(hour), static_cast<int>(minute));
}

void show(QLabel* field, const std::string& text) { field->setText(QString::fromStdString(text)); }

}  // namespace

CalSunMoon::CalSunMoon(pravella::SunMoonPanel* panel, std::function<QDate()> selectedDay, QObject* parent)
    : QObject(parent), panel_(panel), selectedDay_(std::move(selectedDay)) {}

CalSunMoon::~CalSunMoon() { pravella::NotificationCenter::defaultCenter().removeObservers(this); }

void CalSunMoon::awakeFromNib() {
  Latitude = kDefaultLatitude;
  Longitude = kDefaultLongitude;
  TimeZone = kDefaultTimeZone;
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("dispSunAndMoonRiseSet"), this,
                     [this](pravella::Notification&) { dispSunAndMoon(); });
  center.addObserver(QStringLiteral("cal_setLocation"), this,
                     [this](pravella::Notification& n) { setLocation(n.text); });
  center.addObserver(QStringLiteral("cal_getLocation"), this,
                     [this](pravella::Notification&) { getLocation(); });
  center.post(QStringLiteral("dispSunAndMoonRiseSet"));
}

void CalSunMoon::getLocation() {
  const double row[3] = {Latitude, Longitude, TimeZone};
  pravella::answerNumbers(row);  // sets the failure flag itself when the push fails
}

void CalSunMoon::setLocation(const QString& payload) {
  const std::string text = payload.toStdString();
  // Single blanks: two blanks in a row make an empty item, which is no number.
  std::vector<std::string_view> items;
  std::string_view rest(text);
  while (items.size() < 3) {
    const size_t blank = rest.find(' ');
    items.push_back(rest.substr(0, blank));
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
  items.resize(3);
  // A place is taken whole or not at all: a latitude refused beside a longitude taken would
  // leave a place nobody asked for, and the program is told (each bad value by name).
  double latitude = 0, longitude = 0, timeZone = 0;
  const bool ok[3] = {readInside(items[0], "latitude", -90, 90, latitude),
                      readInside(items[1], "longitude", -180, 180, longitude),
                      readInside(items[2], "time zone", -12, 12, timeZone)};
  if (!(ok[0] && ok[1] && ok[2])) {
    pravella::failCommand();
    return;
  }
  Latitude = latitude;
  Longitude = longitude;
  TimeZone = timeZone;
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("dispSunAndMoonRiseSet"));
}

void CalSunMoon::dispSunAndMoon() {
  const QDate day = selectedDay_ ? selectedDay_() : QDate();
  if (!day.isValid()) return;
  const int y = day.year(), m = day.month(), d = day.day();
  show(panel_->date(), cformat("%d/%02d/%02d", y, m, d));
  show(panel_->latitude(), cformat("%+7.2f", Latitude));
  show(panel_->longitude(), cformat("%+7.2f", Longitude));
  show(panel_->timezone(), cformat("%+7.2f", TimeZone));

  const double date[3] = {static_cast<double>(y), static_cast<double>(m), static_cast<double>(d)};
  const double place[3] = {Latitude, Longitude, TimeZone};
  double times[8];
  caluculateSunRise(date, place, times);
  QLabel* const fields[4] = {panel_->sunrise(), panel_->sunset(), panel_->moonrise(), panel_->moonset()};
  for (int i = 0; i < 4; ++i) show(fields[i], timeText(times[2 * i], times[2 * i + 1]));

  // The moon's age is that of noon Japan time, whatever the place's zone. The days the
  // Gregorian reform skipped have none (the arithmetic would report an error into a run).
  std::string age1 = "--.--", age2 = "--.--";
  if (!pravella::isInGregorianGap(y, m, d)) {
    const double row[6] = {date[0], date[1], date[2], 12, 0, 0};
    double ages[2];
    if (calcMoonAge(row, 1, ages)) {
      age1 = cformat("%5.2f", ages[0]);
      age2 = cformat("%5.2f", ages[1]);
    }
  }
  show(panel_->moonage1(), age1);
  show(panel_->moonage2(), age2);
}
