// The month grid of day cells, the day folders and the stepping of the selected day.

#include <QButtonGroup>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QRegularExpression>
#include <QToolButton>
#include <algorithm>

#include "diary/calendar_arithmetic.h"
#include "diary/day_folders.h"
#include "diary/moon_picture.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "platform/cformat.h"
#include "platform/font_aliases.h"
#include "platform/notification_center.h"
#include "platform/paths.h"

namespace {

constexpr int kCellFontPoints = 12;
constexpr int kMoonPixels = 30;
// Dates outside these years have no day folder of the diary's four-digit form.
constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;

const char* const kFixedCellTitles[] = {"HLP", "LNC", "TRM", "BMK", "IDX"};

QString dateText(const QDate& d) {
  return QString::fromStdString(pravella::cformat("%d/%02d/%02d", d.year(), d.month(), d.day()));
}

// Day titles are set in "Geneva" (drawn with the family the font table maps it to); the
// selected day's title in the bold system font.
QFont cellFont(bool bold) {
  QFont f;
  if (!bold) f.setFamily(pravella::fonts::familyFor(QStringLiteral("Geneva")));
  f.setPointSize(kCellFontPoints);
  f.setBold(bold);
  return f;
}

// The moon picture name of a day at noon, by the chosen method; empty for a day that has no
// moon age (the days skipped by the Gregorian reform).
QString moonPictureNameOfDay(int year, int month, int day, int method) {
  if (pravella::isInGregorianGap(year, month, day)) return {};
  const double row[6] = {
      static_cast<double>(year), static_cast<double>(month), static_cast<double>(day), 12, 0, 0};
  double ages[2];
  if (!calcMoonAge(row, 1, ages)) return {};
  // The first method strays a little past both ends of the lunation around a new moon; such a
  // day shows the new (or old) moon rather than no picture at all.
  return pravella::moonPictureName(std::clamp(ages[method == 1 ? 1 : 0], 0.0, 30.0));
}

void clearCell(QToolButton* cell) {
  cell->setEnabled(false);
  cell->setText(QString());
  cell->setIcon(QIcon());
  cell->setProperty("moonPicture", QVariant());
  cell->setToolButtonStyle(Qt::ToolButtonTextOnly);
}

}  // namespace

void Calcndar::setSelectedDay(const QDate& day) {
  if (!day.isValid() || day == selectedDay_) return;
  selectedDay_ = day;
  // The sun and moon panel follows the selected day, whoever selects it.
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("dispSunAndMoonRiseSet"));
}

void Calcndar::refreshCalendar() {
  const QDate now = today();
  const int year = selectedDay_.year();
  const int month = selectedDay_.month();
  window_->yearMonthField()->setText(dateText(selectedDay_));
  const int length = daymonth(year, month);
  startOffset_ = QDate(year, month, 1).dayOfWeek() % 7;  // Qt counts Monday 1 .. Sunday 7

  for (int tag = 0; tag < startOffset_; ++tag) clearCell(window_->dayCell(tag));
  for (int d = 1; d <= length; ++d) {
    QToolButton* cell = window_->dayCell(startOffset_ + d - 1);
    cell->setEnabled(true);
    const bool marked = pravella::folderHoldsRichText(pravella::paths::dayFolder(year, month, d));
    const QString title = QString::fromStdString(pravella::cformat(marked ? "*%2d" : "%2d", d));
    cell->setText(title);
    // The selected day keeps its bold whenever the month is drawn again (after a save, a
    // change of the moon display).
    cell->setFont(cellFont(d == selectedDay_.day()));
    const bool isToday = now.year() == year && now.month() == month && now.day() == d;
    QColor color;
    if (moonDispStatus_ == 0)
      color = isToday ? QColor(Qt::blue) : QColor(Qt::black);
    else
      color = isToday ? QColor(Qt::yellow) : QColor(Qt::white);
    QPalette palette = cell->palette();
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::WindowText, color);
    cell->setPalette(palette);

    if (moonDispStatus_ > 0) {
      const QString name = moonPictureNameOfDay(year, month, d, moonAgeCalculationNumber_);
      QImage picture = name.isEmpty() ? QImage() : pravella::moonPicture(name);
      cell->setProperty("moonPicture", picture.isNull() ? QVariant() : QVariant(name));
      if (picture.isNull()) {
        cell->setIcon(QIcon());
        cell->setToolButtonStyle(Qt::ToolButtonTextOnly);
        continue;
      }
      picture = picture.scaled(kMoonPixels, kMoonPixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
      if (moonDispStatus_ >= 2) {
        // The day's number over its moon, outlined in black: white or yellow figures alone
        // vanish on a full moon.
        QPainter p(&picture);
        p.setFont(cellFont(false));
        const QString number = title.trimmed();
        p.setPen(Qt::black);
        for (int dx = -1; dx <= 1; ++dx)
          for (int dy = -1; dy <= 1; ++dy)
            if (dx != 0 || dy != 0) p.drawText(picture.rect().translated(dx, dy), Qt::AlignCenter, number);
        p.setPen(color);
        p.drawText(picture.rect(), Qt::AlignCenter, number);
      }
      cell->setIconSize(QSize(kMoonPixels, kMoonPixels));
      cell->setIcon(QIcon(QPixmap::fromImage(picture)));
      cell->setToolButtonStyle(Qt::ToolButtonIconOnly);
    } else {
      cell->setIcon(QIcon());
      cell->setProperty("moonPicture", QVariant());
      cell->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }
  }
  for (int tag = startOffset_ + length; tag <= kLastDayCell; ++tag) clearCell(window_->dayCell(tag));
  for (int i = 0; i < 5; ++i) {
    QToolButton* cell = window_->dayCell(kLastDayCell + 1 + i);
    cell->setEnabled(true);
    cell->setText(QString::fromLatin1(kFixedCellTitles[i]));
  }
  selectCellSelectedDay();
}

bool Calcndar::makeSelectedDayFolder(const QDate& day) {
  // A folder that cannot be made is reported on the console; the memo keeps its edited mark,
  // since it has not been saved anywhere.
  return pravella::makeDayFolder(day.year(), day.month(), day.day());
}

void Calcndar::selectCellSelectedDay() {
  const int tag = cellOfDay(selectedDay_.day());
  if (tag >= 0 && tag <= kLastDayCell) window_->dayCell(tag)->setChecked(true);
}

void Calcndar::setCellFont(int tag, bool bold) {
  if (tag >= 0 && tag <= kLastDayCell) window_->dayCell(tag)->setFont(cellFont(bold));
}

void Calcndar::beforeDayToPlain() { setCellFont(cellOfDay(selectedDay_.day()), false); }

void Calcndar::selectDayAction(int tag) {
  if (tag < 0 || tag > kLastDayCell) return;
  // One save, one refusal: a memo that cannot be saved keeps the day, asked about once.
  if (!save()) {
    selectCellSelectedDay();
    return;
  }
  beforeDayToPlain();
  selectDayAction2(tag - startOffset_ + 1);
  showFirstDiaryFile();
  addDocumentToRireki(nowDisplayedDocument_);
}

void Calcndar::selectDayAction2(int day) {
  const QDate date(selectedDay_.year(), selectedDay_.month(), day);
  if (!date.isValid() || !save()) {
    // The click already marked another cell: the selection goes back to the selected day.
    setCellFont(cellOfDay(selectedDay_.day()), true);
    selectCellSelectedDay();
    return;
  }
  window_->yearMonthField()->setText(dateText(date));
  setCellFont(cellOfDay(day), true);
  setSelectedDay(date);
  selectCellSelectedDay();
  showDiaryFiles();
}

void Calcndar::calendarIncDay() {
  const int next = selectedDay_.day() + 1;
  if (next > daymonth(selectedDay_.year(), selectedDay_.month())) {
    incMonthAction();
    return;
  }
  if (!save()) return;
  beforeDayToPlain();
  selectDayAction2(next);
  showFirstDiaryFile();
  addDocumentToRireki(nowDisplayedDocument_);
}

void Calcndar::calendarDecDay() {
  const int previous = selectedDay_.day() - 1;
  if (previous < 1) {
    decMonthAction();
    return;
  }
  if (!save()) return;
  beforeDayToPlain();
  selectDayAction2(previous);
  showFirstDiaryFile();
  addDocumentToRireki(nowDisplayedDocument_);
}

void Calcndar::goToDay(const QDate& day) {
  if (!day.isValid() || day.year() < kFirstYear || day.year() > kLastYear) return;
  setSelectedDay(day);
  refreshCalendar();
  changeMonthAction();
}

void Calcndar::incMonthAction() {
  if (!save()) return;
  const int y = selectedDay_.year(), m = selectedDay_.month();
  goToDay(m == 12 ? QDate(y + 1, 1, 1) : QDate(y, m + 1, 1));
}

void Calcndar::decMonthAction() {
  if (!save()) return;
  const int y = selectedDay_.year(), m = selectedDay_.month();
  const int py = m == 1 ? y - 1 : y;
  const int pm = m == 1 ? 12 : m - 1;
  goToDay(QDate(py, pm, daymonth(py, pm)));
}

void Calcndar::nextYearAction() {
  if (!save()) return;
  goToDay(QDate(selectedDay_.year() + 1, selectedDay_.month(), 1));
}

void Calcndar::lastYearAction() {
  if (!save()) return;
  goToDay(QDate(selectedDay_.year() - 1, selectedDay_.month(), 1));
}

void Calcndar::todayAction() {
  if (!save()) return;
  goToDay(today());
}

void Calcndar::changeMonthAction() {
  // The month diary view follows the month once it exists.
  setCellFont(cellOfDay(selectedDay_.day()), true);
  showDiaryFiles();
  showFirstDiaryFile();
  addDocumentToRireki(nowDisplayedDocument_);
}

int Calcndar::compSelectedDate() const {
  const QDate now = today();
  return pravella::compareDayKeys(
      pravella::dayKey(now.year(), now.month(), now.day()),
      pravella::dayKey(selectedDay_.year(), selectedDay_.month(), selectedDay_.day()));
}

int Calcndar::compSelectedDocumentDate(const QString& path) const {
  const QDate now = today();
  const std::optional<pravella::DayOfPath> day = pravella::dayOfDocumentPath(path);
  // A path outside the day folders (too short to name a day) counts as the selected day's.
  if (!day) return compSelectedDate();
  return pravella::compareDayKeys(pravella::dayKey(now.year(), now.month(), now.day()),
                                  pravella::dayKey(day->year, day->month, day->day));
}

void Calcndar::setDocBackGroundColor(int comparison) {
  QColor color;
  if (comparison < 0)
    color = QColor::fromRgbF(0.95f, 1.0f, 0.98f);
  else if (comparison == 0)
    color = QColor::fromRgbF(1.0f, 1.0f, 1.0f);
  else
    color = QColor::fromRgbF(1.0f, 0.95f, 0.95f);
  mainTextView* memo = window_->documentView();
  QPalette palette = memo->palette();
  palette.setColor(QPalette::Base, color);
  memo->setPalette(palette);
}

void Calcndar::setMoonImageView() {
  const QString name = moonPictureNameOfDay(selectedDay_.year(), selectedDay_.month(), selectedDay_.day(),
                                            moonAgeCalculationNumber_);
  const QImage picture = name.isEmpty() ? QImage() : pravella::moonPicture(name);
  QLabel* view = window_->moonImageView();
  view->setProperty("moonPicture", picture.isNull() ? QVariant() : QVariant(name));
  if (picture.isNull())
    view->clear();
  else
    view->setPixmap(QPixmap::fromImage(picture));
}

void Calcndar::toggleDispMoonAgeStatus() {
  moonDispStatus_ = (moonDispStatus_ + 1) % 3;
  refreshCalendar();
}

void Calcndar::toggleMoonAge() {
  toggleDispMoonAgeStatus();
  // The "Tink" of a done action belongs here once the application has sounds.
}

void Calcndar::changeCalMoonAge(const QString& value) {
  // The integer value of the text: its leading digits, 0 when there are none.
  static const QRegularExpression leading(QStringLiteral("^\\s*([+-]?\\d+)"));
  const QRegularExpressionMatch m = leading.match(value);
  const int n = m.hasMatch() ? m.captured(1).toInt() : 0;
  if (n == 0 || n == 1) moonAgeCalculationNumber_ = n;
  refreshCalendar();
  setMoonImageView();
}

QVariantList Calcndar::getMoonAgeStatus() const { return {moonDispStatus_, moonAgeCalculationNumber_}; }
