#include "diary/ui/calcndar.h"
#include "editors/ui/cal_option.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QScreen>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>
#include <memory>

#include "diary/ui/cal_matrix.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "graphics/color_table.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "support/test_home.h"

namespace {

namespace paths = pravella::paths;

std::string s(const QString& q) { return q.toStdString(); }

void writeFile(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << s(path);
  f.write(data);
}

// The main window with its calendar controller, started as the application starts it, on a
// fixed today. An alert that no test expects fails the test instead of waiting for a click.
class CalendarWindow : public testing::Test {
 protected:
  void start(QDate today = QDate(2008, 2, 28)) {
    today_ = today;
    terminated = 0;
    window = std::make_unique<pravella::MainWindow>();
    calendar = std::make_unique<Calcndar>(window.get());
    option = std::make_unique<CalOption>(window.get(), calendar.get());
    calendar->setTodaySource([this] { return today_; });
    calendar->setAlertPanel([this](const QString& title, const QString&, const QStringList&) {
      alerts.append(title);
      if (alertAnswer < 0) ADD_FAILURE() << "unexpected alert " << s(title);
      return alertAnswer < 0 ? 1 : alertAnswer;
    });
    calendar->setTerminator([this] { ++terminated; });
    calendar->setOpener([this](const QString& program, const QStringList& args, const QString&) {
      opened.append(program + " " + args.join(" "));
      return true;
    });
    calendar->awakeFromNib();
    option->awakeFromNib();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    calendar->applicationDidFinishLaunching();
  }

  void stop() {
    option.reset();
    calendar.reset();
    window.reset();
  }

  void TearDown() override {
    if (window) window->removeEventFilter(calendar.get());
    stop();
  }

  QToolButton* cellOfDay(int day) { return window->dayCell(day + calendar->startOffset() - 1); }
  QString title(int tag) { return window->dayCell(tag)->text(); }
  QString shownDate() { return window->yearMonthField()->text(); }
  QString header() { return window->diaryFileField()->horizontalHeaderItem(1)->text(); }
  int checkedCell() { return window->dayCells()->checkedId(); }

  // Puts a file where the day's folder belongs, so that nothing can be saved there.
  void makeDayFolderUnwritable(QDate day) {
    const QString folder = paths::dayFolder(day.year(), day.month(), day.day());
    QDir::setCurrent(paths::home());
    ASSERT_TRUE(QDir(folder).removeRecursively());
    writeFile(folder, "not a folder");
  }

  QDate today_;
  QStringList opened;
  std::unique_ptr<pravella::MainWindow> window;
  std::unique_ptr<Calcndar> calendar;
  std::unique_ptr<CalOption> option;
  QStringList alerts;
  int alertAnswer = -1;
  int terminated = 0;
};

TEST_F(CalendarWindow, FirstStartBuildsTheDiaryAndShowsTodaysMonth) {
  writeFile(paths::vkData() + "/old.png", "x");  // the work folder of the last run
  start(QDate(2008, 2, 28));

  for (const QString& dir : {paths::diary(), paths::vkData(), paths::vkPreferences(), paths::modules(),
                             paths::applicationSupport(), paths::dayFolder(2008, 2, 28)})
    EXPECT_TRUE(QFileInfo(dir).isDir()) << s(dir);
  for (const char* file : {"rgbColor.dat", "FuncAlias.rtf", "rememberString.txt"})
    EXPECT_TRUE(QFileInfo::exists(paths::vkPreferences() + "/" + file)) << file;
  EXPECT_FALSE(QFileInfo::exists(paths::vkData() + "/old.png"));
  EXPECT_EQ(calendar->rememberString(), QStringLiteral(" \u267B "));
  EXPECT_EQ(PravellaSelf, calendar.get());
  double rgb[3];
  ASSERT_EQ(DoGetUnixColor("GhostWhite", rgb), 1);  // the colour names are loaded
  EXPECT_EQ(rgb[2], 255);
  EXPECT_EQ(rgb[0], 248);

  // February 2008 begins on a Friday and has 29 days.
  EXPECT_EQ(shownDate(), "2008/02/28");
  EXPECT_EQ(calendar->startOffset(), 5);
  for (int tag = 0; tag < 5; ++tag) {
    EXPECT_FALSE(window->dayCell(tag)->isEnabled()) << tag;
    EXPECT_EQ(title(tag), "") << tag;
  }
  EXPECT_EQ(title(5), " 1");
  EXPECT_EQ(title(33), "29");
  for (int tag = 34; tag <= 36; ++tag) EXPECT_FALSE(window->dayCell(tag)->isEnabled()) << tag;
  const char* fixed[] = {"HLP", "LNC", "TRM", "BMK", "IDX"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(title(37 + i), fixed[i]);
    EXPECT_TRUE(window->dayCell(37 + i)->isEnabled());
  }
  EXPECT_EQ(checkedCell(), 32);  // the 28th
  EXPECT_TRUE(window->dayCell(32)->font().bold());
  EXPECT_EQ(cellOfDay(28)->palette().color(QPalette::ButtonText), QColor(Qt::blue));  // today
  EXPECT_EQ(cellOfDay(27)->palette().color(QPalette::ButtonText), QColor(Qt::black));
  EXPECT_EQ(header(), "2008/02/28 (0)");
  EXPECT_EQ(window->documentView()->palette().color(QPalette::Base), QColor::fromRgbF(1, 1, 1));
  EXPECT_FALSE(window->moonImageView()->pixmap().isNull());

  // The memo menu: tag 1 and the not-dirty, back and forward buttons (8, 3, 4: tags 7, 2, 3)
  // start disabled.
  for (int tag : {1, 2, 3, 7}) EXPECT_FALSE(window->memoMenuButtons()->button(tag)->isEnabled()) << tag;
  EXPECT_TRUE(window->memoMenuButtons()->button(0)->isEnabled());
}

TEST_F(CalendarWindow, ModuleFilesRunAtLaunch) {
  const QByteArray rtf = "{\\rtf1\\ansi\\f0 module text}";
  writeFile(paths::modules() + "/x.rtf", rtf);
  writeFile(paths::modules() + "/x.vk.rtf", rtf);
  writeFile(paths::modules() + "/broken.vk.rtf", "no rich text");
  QObject context;
  QStringList runs;
  pravella::NotificationCenter::defaultCenter().addObserver(
      "calculationOnEditModule", &context, [&](pravella::Notification& n) { runs.append(n.text); });
  start();
  EXPECT_EQ(runs, QStringList{"module text"});
}

TEST_F(CalendarWindow, MarkedDaysAndTheDayList) {
  writeFile(paths::dayFolder(2008, 2, 5) + "/notes.txt", "x");
  QDir().mkpath(paths::dayFolder(2008, 2, 6) + "/a.rtfd");
  writeFile(paths::dayFolder(2008, 2, 7) + "/.x.rtf", "x");
  writeFile(paths::dayFolder(2008, 2, 8) + "/b.rtf", "x");
  writeFile(paths::dayFolder(2008, 2, 8) + "/c.tbld", "x");
  start();

  EXPECT_EQ(cellOfDay(5)->text(), " 5");
  EXPECT_EQ(cellOfDay(6)->text(), "* 6");
  EXPECT_EQ(cellOfDay(7)->text(), "* 7");  // hidden documents mark the day
  EXPECT_EQ(cellOfDay(8)->text(), "* 8");

  QTest::mouseClick(cellOfDay(6), Qt::LeftButton);
  EXPECT_EQ(header(), "2008/02/06 (1)");
  EXPECT_EQ(window->diaryFileField()->item(0, 1)->text(), "a");  // an rtfd package without extension
  EXPECT_EQ(window->diaryFileField()->item(0, 0)->text(), "1");
  QTest::mouseClick(cellOfDay(7), Qt::LeftButton);
  EXPECT_EQ(header(), "2008/02/07 (0)");
  QTest::mouseClick(cellOfDay(8), Qt::LeftButton);
  EXPECT_EQ(header(), "2008/02/08 (1)");
  EXPECT_EQ(calendar->diaryFiles(), QStringList{"b.rtf"});
}

TEST_F(CalendarWindow, ClickingADayCellSelectsItAndMakesItsFolder) {
  start();
  const QString folder = paths::dayFolder(2008, 2, 10);
  EXPECT_FALSE(QFileInfo::exists(folder));
  QTest::mouseClick(cellOfDay(10), Qt::LeftButton);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 10));
  EXPECT_EQ(shownDate(), "2008/02/10");
  EXPECT_EQ(checkedCell(), 14);
  EXPECT_TRUE(cellOfDay(10)->font().bold());
  EXPECT_FALSE(cellOfDay(28)->font().bold());
  EXPECT_TRUE(QFileInfo(folder).isDir());
  // A past day colours the memo.
  EXPECT_EQ(window->documentView()->palette().color(QPalette::Base), QColor::fromRgbF(0.95f, 1.0f, 0.98f));
  QTest::mouseClick(cellOfDay(29), Qt::LeftButton);
  EXPECT_EQ(window->documentView()->palette().color(QPalette::Base), QColor::fromRgbF(1.0f, 0.95f, 0.95f));

  // Empty cells and the fixed buttons select no day.
  QTest::mouseClick(window->dayCell(2), Qt::LeftButton);
  QTest::mouseClick(window->dayCell(37), Qt::LeftButton);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 29));
  EXPECT_EQ(checkedCell(), 33);
}

TEST_F(CalendarWindow, StepButtonsWalkMonthsAndYears) {
  start(QDate(2008, 2, 28));
  struct Step {
    QPushButton* button;
    QDate day;
    int cells;  // day cells enabled
    int offset;
  };
  const Step steps[] = {
      {window->incMonthButton(), QDate(2008, 3, 1), 31, 6},   // a Saturday: days fill cells 6-36
      {window->decMonthButton(), QDate(2008, 2, 29), 29, 5},  // the last day of the month before
      {window->decMonthButton(), QDate(2008, 1, 31), 31, 2},
      {window->decMonthButton(), QDate(2007, 12, 31), 31, 6},
      {window->incMonthButton(), QDate(2008, 1, 1), 31, 2},
      {window->nextYearButton(), QDate(2009, 1, 1), 31, 4},
      {window->lastYearButton(), QDate(2008, 1, 1), 31, 2},
      {window->todayButton(), QDate(2008, 2, 28), 29, 5},
      {window->nextYearButton(), QDate(2009, 2, 1), 28, 0},
  };
  for (const Step& step : steps) {
    QTest::mouseClick(step.button, Qt::LeftButton);
    const std::string where = s(step.day.toString(Qt::ISODate));
    EXPECT_EQ(calendar->selectedDay(), step.day) << where;
    EXPECT_EQ(calendar->startOffset(), step.offset) << where;
    int enabled = 0;
    for (int tag = 0; tag <= Calcndar::kLastDayCell; ++tag)
      enabled += window->dayCell(tag)->isEnabled() ? 1 : 0;
    EXPECT_EQ(enabled, step.cells) << where;
    EXPECT_EQ(checkedCell(), step.day.day() + step.offset - 1) << where;
    EXPECT_TRUE(QFileInfo(paths::dayFolder(step.day.year(), step.day.month(), step.day.day())).isDir())
        << where;
  }
  EXPECT_EQ(window->dayCell(36)->text(), "");

  // February of 1900 has 28 days, of 2000 29.
  calendar->setSelectedDay(QDate(1900, 2, 1));
  calendar->refreshCalendar();
  EXPECT_EQ(cellOfDay(28)->text(), "28");
  EXPECT_FALSE(window->dayCell(calendar->startOffset() + 28)->isEnabled());
  calendar->setSelectedDay(QDate(2000, 2, 1));
  calendar->refreshCalendar();
  EXPECT_EQ(cellOfDay(29)->text(), "29");
}

TEST_F(CalendarWindow, ArrowKeysOfTheDocumentListStepThroughDays) {
  start(QDate(2008, 2, 28));
  getKeyOnTable* table = window->diaryFileField();
  table->setFocus();
  QTest::keyClick(table, Qt::Key_Right);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 29));
  QTest::keyClick(table, Qt::Key_Right);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 3, 1));
  EXPECT_EQ(shownDate(), "2008/03/01");
  QTest::keyClick(table, Qt::Key_Left);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 29));
  EXPECT_EQ(checkedCell(), 33);
  QTest::keyClick(table, Qt::Key_Left);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 28));
  EXPECT_TRUE(table->hasFocus());
  EXPECT_TRUE(QFileInfo(paths::dayFolder(2008, 3, 1)).isDir());
  EXPECT_TRUE(QFileInfo(paths::dayFolder(2008, 2, 29)).isDir());

  // Up and down move through the day's documents.
  writeFile(paths::dayFolder(2008, 2, 28) + "/a.rtf", "x");
  writeFile(paths::dayFolder(2008, 2, 28) + "/b.rtf", "x");
  calendar->showDiaryFiles();
  table->selectRow(0);
  QTest::keyClick(table, Qt::Key_Down);
  EXPECT_EQ(table->currentRow(), 1);
  QTest::keyClick(table, Qt::Key_Down);  // at the end: stays
  EXPECT_EQ(table->currentRow(), 1);
  QTest::keyClick(table, Qt::Key_Up);
  EXPECT_EQ(table->currentRow(), 0);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 28));
}

TEST_F(CalendarWindow, UpAndDownOnTheDayCellsDoNothingAndAltClickNeedsARow) {
  start(QDate(2008, 2, 28));
  CalMatrix* matrix = window->calMatrix();
  matrix->setFocus();
  QTest::keyClick(matrix, Qt::Key_Up);
  QTest::keyClick(matrix, Qt::Key_Down);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 28));
  EXPECT_EQ(checkedCell(), 32);

  getKeyOnTable* table = window->diaryFileField();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::AltModifier, QPoint(5, 5));
  EXPECT_FALSE(calendar->selectDiaryWithOptionStatus());
  writeFile(paths::dayFolder(2008, 2, 28) + "/a.rtf", "x");
  calendar->showDiaryFiles();
  table->selectRow(0);
  // The Alt-click marks the click as an Option click, which opens the row's file with the
  // desktop's application and is used up.
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::AltModifier,
                    table->visualItemRect(table->item(0, 1)).center());
  EXPECT_FALSE(calendar->selectDiaryWithOptionStatus());
  EXPECT_EQ(opened, QStringList{"xdg-open " + paths::dayFolder(2008, 2, 28) + "/a.rtf"});
}

TEST_F(CalendarWindow, MoonPicturesInTheGrid) {
  start(QDate(2008, 2, 28));
  EXPECT_TRUE(cellOfDay(1)->icon().isNull());
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.post("cal_moonAge");
  EXPECT_EQ(calendar->moonDispStatus(), 1);
  for (int d = 1; d <= 29; ++d) {
    EXPECT_FALSE(cellOfDay(d)->icon().isNull()) << d;
    EXPECT_TRUE(cellOfDay(d)->property("moonPicture").toString().startsWith("moon")) << d;
  }
  EXPECT_EQ(cellOfDay(28)->palette().color(QPalette::ButtonText), QColor(Qt::yellow));
  EXPECT_EQ(cellOfDay(27)->palette().color(QPalette::ButtonText), QColor(Qt::white));
  EXPECT_EQ(cellOfDay(27)->toolButtonStyle(), Qt::ToolButtonIconOnly);
  // New moon 2008-02-07 03:44 UT: the 7th at noon JST is a day old at most, the full moon of
  // the 21st about 14 days.
  EXPECT_EQ(cellOfDay(7)->property("moonPicture").toString(), "moon00.jpg");
  EXPECT_EQ(cellOfDay(21)->property("moonPicture").toString(), "moon14.jpg");
  EXPECT_TRUE(window->dayCell(2)->icon().isNull());

  center.post("cal_moonAge");
  EXPECT_EQ(calendar->moonDispStatus(), 2);
  EXPECT_FALSE(cellOfDay(1)->icon().isNull());
  EXPECT_EQ(cellOfDay(1)->text(), " 1");
  // The number over the bright full moon has a dark outline, so it stays readable.
  const QImage full = cellOfDay(21)->icon().pixmap(cellOfDay(21)->iconSize()).toImage();
  int dark = 0;
  for (int y = full.height() / 4; y < full.height() * 3 / 4; ++y)
    for (int x = full.width() / 4; x < full.width() * 3 / 4; ++x) dark += qGray(full.pixel(x, y)) < 40;
  EXPECT_GT(dark, 10);
  // The selected day stays bold when the month is drawn again.
  EXPECT_TRUE(cellOfDay(28)->font().bold());

  // The second method; values other than 0 and 1 leave it.
  center.post("cal_changeCalMoonAge", "1");
  EXPECT_EQ(calendar->moonAgeCalculationNumber(), 1);
  center.post("cal_changeCalMoonAge", "2");
  EXPECT_EQ(calendar->moonAgeCalculationNumber(), 1);
  center.post("cal_changeCalMoonAge", "-1");
  EXPECT_EQ(calendar->moonAgeCalculationNumber(), 1);
  EXPECT_EQ(center.post("cal_getMoonAgeStatus").toList(), QVariantList({2, 1}));

  center.post("cal_moonAge");
  EXPECT_EQ(calendar->moonDispStatus(), 0);
  EXPECT_TRUE(cellOfDay(1)->icon().isNull());
  EXPECT_EQ(cellOfDay(27)->palette().color(QPalette::ButtonText), QColor(Qt::black));

  // October 1582 has no moon ages for the days the reform skipped.
  center.post("cal_moonAge");
  calendar->setSelectedDay(QDate(1582, 10, 15));
  calendar->refreshCalendar();
  EXPECT_TRUE(cellOfDay(10)->icon().isNull());
  EXPECT_FALSE(cellOfDay(15)->icon().isNull());
}

TEST_F(CalendarWindow, NotificationsTodayAndRefresh) {
  start(QDate(2008, 2, 28));
  QTest::mouseClick(window->incMonthButton(), Qt::LeftButton);
  writeFile(paths::dayFolder(2008, 3, 3) + "/x.rtfd", "x");
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.post("cal_refreshCalendar");
  EXPECT_EQ(cellOfDay(3)->text(), "* 3");
  center.post("cal_today");
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 28));
}

TEST_F(CalendarWindow, AnEditedMemoKeepsTheDayAndTheApplication) {
  start(QDate(2008, 2, 28));
  // A memo that cannot be saved: a file stands where its day folder belongs.
  makeDayFolderUnwritable(QDate(2008, 2, 28));
  window->setWindowModified(true);
  alertAnswer = 0;
  QTest::mouseClick(window->incMonthButton(), Qt::LeftButton);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 28));
  QTest::mouseClick(cellOfDay(3), Qt::LeftButton);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 28));
  EXPECT_EQ(checkedCell(), 32);
  window->quitAction()->trigger();
  EXPECT_EQ(terminated, 0);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(QFileInfo::exists(paths::preferences() + "/recentMemo.dat"));
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_TRUE(alerts.contains("Can't create a diary folder !"));
}

TEST_F(CalendarWindow, QuitWritesTheListsAndASecondStartRestoresTheFrame) {
  start();
  // A frame on the screen the test has (the offscreen one is small): frames are kept on it.
  const QRect screen = window->screen()->availableGeometry();
  window->setGeometry(QRect(screen.x() + 40, screen.y() + 50, std::min(900, screen.width() - 80),
                            std::min(650, screen.height() - 100)));
  const QRect frame = window->geometry();
  window->quitAction()->trigger();
  EXPECT_EQ(terminated, 1);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(alerts.isEmpty());

  EXPECT_EQ(pravella::plist::readStringArray(paths::preferences() + "/recentMemo.dat"), QStringList());
  const std::optional<QStringList> items =
      pravella::plist::readStringArray(paths::applicationSupport() + "/windowPositionAndSize.dat");
  ASSERT_TRUE(items);
  ASSERT_EQ(items->size(), 9);
  EXPECT_EQ(items->at(2), QString::number(frame.width()) + ".000000");
  EXPECT_EQ(items->at(4), "500.000000");
  stop();

  // The frame file has no leftovers of its temporary writes beside it.
  EXPECT_EQ(QDir(paths::applicationSupport()).entryList(QDir::Files),
            QStringList{"windowPositionAndSize.dat"});

  start();
  EXPECT_EQ(window->geometry(), frame);
}

TEST_F(CalendarWindow, QuittingAnEditedMemoSavesTheSideViewsToo) {
  start(QDate(2008, 2, 28));
  int finderSaves = 0;
  QObject observer;
  pravella::NotificationCenter::defaultCenter().addObserver(
      QStringLiteral("saveTextOnFinderSheet"), &observer, [&](pravella::Notification&) { ++finderSaves; });
  window->documentView()->setPlainText("edited");
  window->setWindowModified(true);
  alertAnswer = 0;  // "Quit"
  window->quitAction()->trigger();
  EXPECT_EQ(terminated, 1);
  EXPECT_EQ(finderSaves, 1);
  EXPECT_TRUE(QFileInfo::exists(paths::preferences() + "/recentMemo.dat"));
}

TEST_F(CalendarWindow, TheMemoSheetIsKeptAcrossLaunches) {
  start();
  window->quitAction()->trigger();
  EXPECT_FALSE(QFileInfo::exists(paths::preferences() + "/tempMemo.rtfd"));  // unchanged: not written
  stop();

  start();
  calendar->memoSheetDocument()->setPlainText("sheet text");
  window->quitAction()->trigger();
  EXPECT_EQ(terminated, 1);
  EXPECT_TRUE(QFileInfo(paths::preferences() + "/tempMemo.rtfd/TXT.rtf").isFile());
  stop();

  start();
  EXPECT_EQ(calendar->memoSheetDocument()->toPlainText(), "sheet text");
  EXPECT_FALSE(calendar->memoSheetDocument()->isModified());
}

TEST_F(CalendarWindow, AnUnreadableMemoSheetFileIsKeptAside) {
  writeFile(paths::preferences() + "/tempMemo.rtfd", "no rich text");
  start();
  EXPECT_TRUE(calendar->memoSheetDocument()->isEmpty());
  calendar->memoSheetDocument()->setPlainText("new");
  window->quitAction()->trigger();
  EXPECT_EQ(terminated, 1);
  QFile aside(paths::preferences() + "/tempMemo.rtfd.unreadable");
  ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
  EXPECT_EQ(aside.readAll(), "no rich text");
  EXPECT_TRUE(QFileInfo(paths::preferences() + "/tempMemo.rtfd/TXT.rtf").isFile());
}

TEST_F(CalendarWindow, AMemoSheetThatCannotBeSavedKeepsTheApplication) {
  writeFile(paths::preferences(), "a file where the Preferences folder belongs");
  start();
  calendar->memoSheetDocument()->setPlainText("unsaved");
  window->quitAction()->trigger();
  EXPECT_EQ(terminated, 0);
  EXPECT_TRUE(window->isVisible());
}

TEST_F(CalendarWindow, TheRecentMemoListSurvivesALaunch) {
  const QStringList recent = {paths::dayFolder(2008, 2, 1) + "/a.rtfd",
                              paths::dayFolder(2008, 2, 2) + "/b.rtf"};
  QDir().mkpath(paths::preferences());
  ASSERT_TRUE(pravella::plist::writeStringArray(paths::preferences() + "/recentMemo.dat", recent));
  start();
  EXPECT_EQ(calendar->recentMemo(), recent);
  window->quitAction()->trigger();
  EXPECT_EQ(pravella::plist::readStringArray(paths::preferences() + "/recentMemo.dat"), recent);
}

TEST_F(CalendarWindow, DatesComparedWithToday) {
  start(QDate(2008, 2, 28));
  EXPECT_EQ(calendar->compSelectedDate(), 0);
  EXPECT_EQ(calendar->compSelectedDocumentDate(paths::dayFolder(2008, 2, 27) + "/a.rtfd"), -1);
  EXPECT_EQ(calendar->compSelectedDocumentDate(paths::dayFolder(2008, 2, 28) + "/a.rtfd"), 0);
  EXPECT_EQ(calendar->compSelectedDocumentDate(paths::dayFolder(2009, 1, 1) + "/a.rtfd"), 1);
  // A path too short to name a day counts as the selected day.
  EXPECT_EQ(calendar->compSelectedDocumentDate("a.rtfd"), 0);
  QTest::mouseClick(window->lastYearButton(), Qt::LeftButton);
  EXPECT_EQ(calendar->compSelectedDate(), -1);
  QTest::mouseClick(window->nextYearButton(), Qt::LeftButton);
  QTest::mouseClick(window->nextYearButton(), Qt::LeftButton);
  EXPECT_EQ(calendar->compSelectedDate(), 1);
}

TEST_F(CalendarWindow, MovesAndResizesOfTheWindowAreAnnounced) {
  start();
  QObject context;
  QStringList posted;
  auto& center = pravella::NotificationCenter::defaultCenter();
  for (const char* name : {"changeMainWindow", "changeWebSheetSize"})
    center.addObserver(name, &context, [&posted, name](pravella::Notification&) { posted.append(name); });
  window->resize(window->width() + 20, window->height());
  QCoreApplication::processEvents();
  EXPECT_EQ(posted, QStringList({"changeWebSheetSize", "changeMainWindow", "changeWebSheetSize"}));
  posted.clear();
  window->move(window->x() + 15, window->y() + 5);
  QCoreApplication::processEvents();
  EXPECT_EQ(posted, QStringList({"changeMainWindow"}));
}

TEST_F(CalendarWindow, TheMoonAgeMenuItemCyclesTheMoonPictures) {
  start();
  window->moonAgeAction()->trigger();
  EXPECT_EQ(calendar->moonDispStatus(), 1);
  window->moonAgeAction()->trigger();
  window->moonAgeAction()->trigger();
  EXPECT_EQ(calendar->moonDispStatus(), 0);
}

TEST_F(CalendarWindow, ClosingTheWindowEndsTheApplication) {
  start();
  window->setGeometry(QRect(30, 30, 800, 600));
  window->close();
  EXPECT_EQ(terminated, 1);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(QFileInfo::exists(paths::applicationSupport() + "/windowPositionAndSize.dat"));
  EXPECT_TRUE(QFileInfo::exists(paths::preferences() + "/recentMemo.dat"));
}

TEST_F(CalendarWindow, ClosingAnEditedWindowAsksFirst) {
  start();
  window->setWindowModified(true);
  alertAnswer = 1;  // Cancel
  window->close();
  ASSERT_EQ(alerts, QStringList{"Close to Quit"});
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(terminated, 0);

  // "Close" saves first; a memo that cannot be saved keeps the window open.
  makeDayFolderUnwritable(QDate(2008, 2, 28));
  alertAnswer = 0;
  window->close();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(terminated, 0);
  EXPECT_FALSE(QFileInfo::exists(paths::applicationSupport() + "/windowPositionAndSize.dat"));
}

TEST_F(CalendarWindow, AFrameFileOfFourItemsRestoresTheFrame) {
  QDir().mkpath(paths::applicationSupport());
  ASSERT_TRUE(pravella::plist::writeStringArray(paths::applicationSupport() + "/windowPositionAndSize.dat",
                                                {"20.000000", "30.000000", "700.000000", "500.000000"}));
  start();
  EXPECT_EQ(window->geometry().size(), QSize(700, 500));
  for (double w : calendar->sideViewWidths()) EXPECT_EQ(w, 500);
}

}  // namespace
