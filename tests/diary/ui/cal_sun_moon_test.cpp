#include "diary/ui/cal_sun_moon.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <atomic>
#include <limits>
#include <string>
#include <thread>

#include "day_documents_fixture.h"
#include "diary/calendar_arithmetic.h"
#include "diary/ui/main_window.h"
#include "diary/ui/sun_moon_panel.h"
#include "lang/builtins/command_bridge.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/stack.h"
#include "platform/cformat.h"
#include "platform/notification_center.h"

namespace {

std::string s(const QLabel* field) { return field->text().toStdString(); }

// Runs `job` on a thread of its own, as programs run, while the GUI thread goes on serving
// the observers it waits for.
template <typename Job>
void onWorker(Job job) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    job();
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  worker.join();
}

// The main window's panel with its controller, on a day the test chooses.
class SunMoonWindow : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    controller.awakeFromNib();
  }

  std::string run(const std::string& program) {
    std::string out;
    onWorker([&] { out = pravella::runVkProgram(program).output(); });
    return out;
  }
  // The place as a program's payload text would carry it, posted from a program's thread.
  void postPlace(const QString& payload) {
    onWorker([&] {
      pravella::NotificationCenter::defaultCenter().post(QStringLiteral("cal_setLocation"), payload);
    });
  }
  void selectDay(QDate d) {
    day = d;
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("dispSunAndMoonRiseSet"));
  }
  std::string place() {
    return s(panel()->latitude()) + "|" + s(panel()->longitude()) + "|" + s(panel()->timezone());
  }
  std::string times() {
    return s(panel()->sunrise()) + " " + s(panel()->sunset()) + " " + s(panel()->moonrise()) + " " +
           s(panel()->moonset());
  }
  std::string ages() { return s(panel()->moonage1()) + " " + s(panel()->moonage2()); }
  pravella::SunMoonPanel* panel() { return window.sunMoonPanel(); }

  QDate day{2009, 3, 20};
  pravella::MainWindow window;
  CalSunMoon controller{window.sunMoonPanel(), [this] { return day; }};
};

// The moon's age at noon Japan time, as the panel shows it.
std::string noonAges(int y, int m, int d) {
  const double row[6] = {double(y), double(m), double(d), 12, 0, 0};
  double out[2];
  if (!calcMoonAge(row, 1, out)) return "<bad date>";
  return pravella::cformat("%5.2f %5.2f", out[0], out[1]);
}

TEST_F(SunMoonWindow, AtStartTheDefaultPlaceAndTheSelectedDaysTimes) {
  EXPECT_EQ(s(panel()->date()), "2009/03/20");
  // Right-aligned in seven characters, always with a sign.
  EXPECT_EQ(place(), " +39.72|+140.10|  +9.00");
  // Almanac times for Akita; an hour below 10 is padded with a blank.
  EXPECT_EQ(s(panel()->sunrise()), " 5:44");
  EXPECT_EQ(s(panel()->sunset()), "17:51");
  // Three days before new moon (26 March 2009).
  EXPECT_EQ(ages(), noonAges(2009, 3, 20));
  EXPECT_NEAR(panel()->moonage1()->text().toDouble(), 23.1, 0.6);
  EXPECT_NEAR(panel()->moonage2()->text().toDouble(), 23.1, 0.6);
  // The fields keep the fixed-pitch font whatever the window's.
  EXPECT_TRUE(QFontInfo(panel()->sunrise()->font()).fixedPitch());
  EXPECT_EQ(panel()->sunrise()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

// Whatever face the desktop's "monospace" names (fontconfig may name a proportional one), the
// fields are drawn fixed-pitch, in a family the installed fonts hold.
TEST(SunMoonPanel, TheFieldsAreFixedPitchWhateverTheDesktopCallsMonospace) {
  for (const char* generic : {"monospace", "Monospace"})
    QFont::insertSubstitution(QString::fromLatin1(generic), QStringLiteral("DejaVu Sans"));
  pravella::SunMoonPanel panel;
  const QList<QLabel*> fields = panel.findChildren<QLabel*>(QRegularExpression("^sunMoon"));
  EXPECT_EQ(fields.size(), 10);
  for (const QLabel* field : fields) {
    const QFontInfo info(field->font());
    EXPECT_TRUE(info.fixedPitch()) << field->objectName().toStdString() << " " << info.family().toStdString();
  }
  for (const char* generic : {"monospace", "Monospace"})
    QFont::removeSubstitutions(QString::fromLatin1(generic));
}

TEST_F(SunMoonWindow, AProgramReadsThePlaceAsOneRowOfThree) {
  EXPECT_EQ(run("a = cal_getLocation(0); msize(a); nsize(a); a;"), run("1; 3; |39.72, 140.1, 9|;"));
  ASSERT_EQ(run("cal_setLocation(|-33.87, 151.21, 10|);"), ".OK.\n");
  EXPECT_EQ(run("a = cal_getLocation(0); a[1, 1] + 33.87; a[1, 2] - 151.21; a;"),
            run("0; 0; |-33.87, 151.21, 10|;"));
}

TEST_F(SunMoonWindow, AProgramSetsAPlaceInsideTheRangesOrIsToldWhyNot) {
  // The payload says a NaN as the C library writes it ("-nan" for that of -inf minus -inf here).
  const double inf = std::numeric_limits<double>::infinity();
  volatile double minusInf = -inf;
  const std::string notANumber = pravella::cformat(
      "...<Error>...Invalid latitude: \"%g\" (from -90 to 90).\n.NO.\n", minusInf - minusInf);
  struct Case {
    const char* program;
    const char* result;
    const char* place;  // the fields afterwards
  };
  const Case cases[] = {
      {"cal_setLocation(|35.5, 139.7, 9|);", ".OK.\n", " +35.50|+139.70|  +9.00"},
      // A value outside its range fails the command, and the place stays whole.
      {"cal_setLocation(|91, 130, 8|);", "...<Error>...Invalid latitude: \"91\" (from -90 to 90).\n.NO.\n",
       " +35.50|+139.70|  +9.00"},
      {"cal_setLocation(|35, 200, 15|);",
       "...<Error>...Invalid longitude: \"200\" (from -180 to 180).\n"
       "...<Error>...Invalid time zone: \"15\" (from -12 to 12).\n.NO.\n",
       " +35.50|+139.70|  +9.00"},
      // The bounds belong to the ranges.
      {"cal_setLocation(|-90, 180, -12|);", ".OK.\n", " -90.00|+180.00| -12.00"},
      {"cal_setLocation(|90, -180, 12|);", ".OK.\n", " +90.00|-180.00| +12.00"},
      {"cal_setLocation(|-90.01, 0, 0|);",
       "...<Error>...Invalid latitude: \"-90.01\" (from -90 to 90).\n.NO.\n", " +90.00|-180.00| +12.00"},
      {"cal_setLocation(|0, 0, 12.01|);",
       "...<Error>...Invalid time zone: \"12.01\" (from -12 to 12).\n.NO.\n", " +90.00|-180.00| +12.00"},
      // Not a number and infinities, as a program can make them.
      {"b = log(0); cal_setLocation(|0, -b, 0|);",
       "...<Error>...Invalid longitude: \"inf\" (from -180 to 180).\n.NO.\n", " +90.00|-180.00| +12.00"},
      {"b = log(0); cal_setLocation(|b - b, 0, 0|);", notANumber.c_str(), " +90.00|-180.00| +12.00"},
      {"cal_setLocation(|0, 0, 0|);", ".OK.\n", "  +0.00|  +0.00|  +0.00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.program), c.result) << c.program;
    EXPECT_EQ(place(), c.place) << c.program;
  }
  EXPECT_EQ(controller.latitude(), 0);
}

TEST_F(SunMoonWindow, APlaceWithAnItemThatIsNotAWholeFiniteNumberIsNotTaken) {
  struct Case {
    const char* payload;
    const char* place;
  };
  const Case cases[] = {
      {"35.5abc 139.7 9", " +39.72|+140.10|  +9.00"},
      {"35 nan 9", " +39.72|+140.10|  +9.00"},
      {"inf 100 3", " +39.72|+140.10|  +9.00"},
      {"10 1e1 INFINITY", " +39.72|+140.10|  +9.00"},
      // Two blanks make an empty second item; the third item is then "139".
      {"35  139", " +39.72|+140.10|  +9.00"},
      {"0x10 +20 +5", " +39.72|+140.10|  +9.00"},
      {" 1 2", " +39.72|+140.10|  +9.00"},
      {"4 5\n 6", " +39.72|+140.10|  +9.00"},
      {"7", " +39.72|+140.10|  +9.00"},
      {"", " +39.72|+140.10|  +9.00"},
      // A plus sign is read; items past the third are not.
      {"+35 +20 +5", " +35.00| +20.00|  +5.00"},
      {"-1.5e1 4 5 6 7", " -15.00|  +4.00|  +5.00"},
  };
  for (const Case& c : cases) {
    postPlace(QString::fromLatin1(c.payload));
    EXPECT_EQ(place(), c.place) << '"' << c.payload << '"';
  }
}

TEST_F(SunMoonWindow, ANewPlaceRefreshesTheTimesButNotTheMoonAge) {
  selectDay(QDate(2009, 1, 1));
  const std::string akitaAges = ages();
  ASSERT_EQ(run("cal_setLocation(|35.6544, 139.7447, 9|);"), ".OK.\n");
  EXPECT_EQ(s(panel()->sunrise()), " 6:51");
  EXPECT_EQ(s(panel()->sunset()), "16:39");
  // The moon's age is that of noon Japan time at any place.
  ASSERT_EQ(run("cal_setLocation(|51.5, 0, -5|);"), ".OK.\n");
  EXPECT_EQ(ages(), akitaAges);
  EXPECT_EQ(ages(), noonAges(2009, 1, 1));
}

TEST_F(SunMoonWindow, EventsThatDoNotHappenShowDashes) {
  // No moonrise at Akita on 14 September 2009 (it rises at 0:43 on the 15th); the moon sets.
  selectDay(QDate(2009, 9, 14));
  EXPECT_EQ(s(panel()->moonrise()), "--:--");
  EXPECT_NE(s(panel()->moonset()), "--:--");
  EXPECT_EQ(s(panel()->moonset()).size(), 5u);
  selectDay(QDate(2009, 9, 15));
  EXPECT_EQ(s(panel()->moonrise()), " 0:43");
  // Polar night in the north of Norway.
  ASSERT_EQ(run("cal_setLocation(|70, 20, 1|);"), ".OK.\n");
  selectDay(QDate(2009, 12, 21));
  EXPECT_EQ(s(panel()->sunrise()), "--:--");
  EXPECT_EQ(s(panel()->sunset()), "--:--");
}

TEST_F(SunMoonWindow, AnotherSelectedDayRefreshesDateTimesAndMoonAges) {
  const std::string before = times() + " " + ages();
  selectDay(QDate(2009, 3, 21));
  EXPECT_EQ(s(panel()->date()), "2009/03/21");
  EXPECT_NE(times() + " " + ages(), before);
  EXPECT_EQ(ages(), noonAges(2009, 3, 21));
  EXPECT_EQ(place(), " +39.72|+140.10|  +9.00");
}

TEST_F(SunMoonWindow, AnAnswerThatCannotBePushedFailsTheCommand) {
  VkCalcStack stack;
  ASSERT_EQ(HeapCalkStack(stack, kCalcStackSize), 1);
  int sp = kCalcStackSize;  // every entry in use
  int result = -1;
  onWorker([&] { result = vkCallNotificationForAnswer(stack.data(), &sp, "cal_getLocation", ""); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(pv_ErrorCheck, 1);
  EXPECT_EQ(sp, kCalcStackSize);
  sp = 0;
  freeCalcStacData(stack, kCalcStackSize);
}

// With the real calendar: a day chosen in the grid refreshes the panel.
class SunMoonCalendar : public day_documents_test::DayDocuments {};

TEST_F(SunMoonCalendar, SelectingADayInTheCalendarRefreshesThePanel) {
  start(QDate(2009, 3, 20));
  CalSunMoon sunMoon(window->sunMoonPanel(), [this] { return calendar->selectedDay(); });
  sunMoon.awakeFromNib();
  pravella::SunMoonPanel* panel = window->sunMoonPanel();
  EXPECT_EQ(panel->date()->text(), "2009/03/20");
  EXPECT_EQ(panel->sunrise()->text(), " 5:44");
  calendar->calendarIncDay();
  EXPECT_EQ(panel->date()->text(), "2009/03/21");
  EXPECT_EQ(QString::fromStdString(noonAges(2009, 3, 21)),
            panel->moonage1()->text() + " " + panel->moonage2()->text());
}

}  // namespace
