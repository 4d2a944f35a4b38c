#pragma once
// The sun and moon panel beside the moon picture of the calendar column: the selected day, the
// stored place, the day's rise and set times and the moon age by both methods. The fields are
// read-only labels in a fixed-pitch font, right-aligned, so that the columns of digits line up;
// the controller CalSunMoon fills them.

#include <QFrame>

class QLabel;

namespace pravella {

class SunMoonPanel : public QFrame {
  Q_OBJECT
 public:
  explicit SunMoonPanel(QWidget* parent = nullptr);

  QLabel* date() const { return date_; }
  QLabel* latitude() const { return latitude_; }
  QLabel* longitude() const { return longitude_; }
  QLabel* timezone() const { return timezone_; }
  QLabel* sunrise() const { return sunrise_; }
  QLabel* sunset() const { return sunset_; }
  QLabel* moonrise() const { return moonrise_; }
  QLabel* moonset() const { return moonset_; }
  QLabel* moonage1() const { return moonage1_; }
  QLabel* moonage2() const { return moonage2_; }

 private:
  QLabel* date_ = nullptr;
  QLabel* latitude_ = nullptr;
  QLabel* longitude_ = nullptr;
  QLabel* timezone_ = nullptr;
  QLabel* sunrise_ = nullptr;
  QLabel* sunset_ = nullptr;
  QLabel* moonrise_ = nullptr;
  QLabel* moonset_ = nullptr;
  QLabel* moonage1_ = nullptr;
  QLabel* moonage2_ = nullptr;
};

}  // namespace pravella
