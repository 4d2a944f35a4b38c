#pragma once
// CalSunMoon: fills the sun and moon panel of the main window for the day selected in the
// calendar and for a stored place, and lets programs set and read that place
// ("cal_setLocation", "cal_getLocation"). The place lives in memory only: every start begins
// at Akita (39.72 N, 140.1 E, 9 hours east).
//
// Its observers run on the GUI thread; a program posting from its worker waits for them
// through the notification centre's blocking call, so it has its answer before it goes on.

#include <QDate>
#include <QObject>
#include <QString>
#include <functional>

namespace pravella {
class SunMoonPanel;
}

class CalSunMoon : public QObject {
  Q_OBJECT
 public:
  // `selectedDay` answers the day selected in the calendar (the calendar controller's).
  CalSunMoon(pravella::SunMoonPanel* panel, std::function<QDate()> selectedDay, QObject* parent = nullptr);
  ~CalSunMoon() override;

  // The default place, the observers, and a first fill of the panel.
  void awakeFromNib();
  // Answers the place as one row (latitude, longitude, time zone) on the running program's
  // stack; a failed push fails the command.
  void getLocation();
  // The payload: three numbers separated by single blanks. Each is taken only when it is a
  // whole number text inside its range (bounds included); the others stay as they were.
  void setLocation(const QString& payload);
  // Refills every field from the selected day and the stored place.
  void dispSunAndMoon();

  double latitude() const { return Latitude; }
  double longitude() const { return Longitude; }
  double timeZone() const { return TimeZone; }

 private:
  pravella::SunMoonPanel* panel_;
  std::function<QDate()> selectedDay_;
  double Latitude = 39.72;
  double Longitude = 140.1;
  double TimeZone = 9.0;
};
