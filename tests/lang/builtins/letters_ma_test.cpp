// The "ma" built-ins whose effect is a setting read elsewhere, and the movie rows with a
// window registered under the title (the golden cases cover a title without a window).

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>

#include <memory>
#include <string>

#include "diary/diary_globals.h"
#include "diary/memo_database.h"
#include "diary/program_settings.h"
#include "imaging/movie_windows.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/notification_center.h"
#include "support/fake_movie_window.h"
#include "support/test_home.h"
#include "tools/backup_settings.h"

namespace {

using namespace pravella::motion;
using pravella::test::FakeMovieWindow;

class LettersMA : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    movieWindowList().clear();
    addWindowToMovieWindowList("clip", window);
  }
  void TearDown() override {
    movieWindowList().clear();
    maxRecentMemo = 1000;
    setRenentMemoRejectString("");
    manualBackupStatus = 1;
  }
  static std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }
  std::shared_ptr<FakeMovieWindow> window = std::make_shared<FakeMovieWindow>();
};

TEST_F(LettersMA, MaxRecentMemoSetsTheLimitAndRejectCharacters) {
  ASSERT_EQ(run("maxRecentMemo(30.9, \"_.\");"), ".OK.\n");
  EXPECT_EQ(maxRecentMemo.load(), 30);
  EXPECT_EQ(recentMemoRejectString(), "_.");
  // A refused count changes neither.
  EXPECT_EQ(run("maxRecentMemo(0.5, \"#\");"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(maxRecentMemo.load(), 30);
  EXPECT_EQ(recentMemoRejectString(), "_.");
  ASSERT_EQ(run("maxRecentMemo(100);"), ".OK.\n");
  EXPECT_EQ(maxRecentMemo.load(), 100);
}

TEST_F(LettersMA, ManualBackupStatusIsTheBackupsSwitch) {
  ASSERT_EQ(run("manualBackupStatus(0);"), ".OK.\n");
  EXPECT_EQ(manualBackupStatus.load(), 0);
  ASSERT_EQ(run("manualBackupStatus(0.2);"), ".OK.\n");
  EXPECT_EQ(manualBackupStatus.load(), 1);
}

TEST_F(LettersMA, MovieRowsReachTheWindowOfTheTitle) {
  EXPECT_EQ(run("maGetMovieDuration(\"clip\");"), " 3000.0000   600.0000\n.OK.\n");
  EXPECT_EQ(run("maGetMovieCurretSize(\"clip\");"), "  240.0000   320.0000\n.OK.\n");
  ASSERT_EQ(run("maSetMovieCurrentTime(\"clip\", |1800.7, 600|); maGetMovieCurrentTime(\"clip\");"),
            " 1800.0000   600.0000\n.OK.\n");
  EXPECT_EQ(window->current, (MovieTime{1800, 600, 0}));
  ASSERT_EQ(run("maCopyMovie(\"clip\"); maSelectAllMovie(\"clip\"); maPlayMovie(\"clip\"); "
                "maPauseMovie(\"clip\");"),
            ".OK.\n");
  EXPECT_EQ(window->edits, (std::vector<MovieEdit>{MovieEdit::Copy, MovieEdit::SelectAll}));
  EXPECT_EQ(window->transports, (std::vector<MovieTransport>{MovieTransport::Play, MovieTransport::Stop}));
}

TEST_F(LettersMA, CapturesGiveTheIntensityMatrixAndAPicture) {
  window->frame = pravella::test::smallFrame();
  EXPECT_EQ(run("maCaptureMovieImage(\"clip\", 2.5);"),
            "  765.0000     0.0000   255.0000\n    3.0000     6.0000     9.0000\n.OK.\n");
  EXPECT_EQ(window->asked.back(), (MovieTime{1500, 600, 0}));
  EXPECT_EQ(
      run("p# = maCaptureMovieImageToPICT(\"clip\", |600, 600|); getPictSize(p#); m = p#; m;"),
      "    3.0000     2.0000\n  765.0000     0.0000   255.0000\n    3.0000     6.0000     9.0000\n.OK.\n");
  EXPECT_EQ(window->asked.back(), (MovieTime{600, 600, 0}));
  // A time without a positive scale asks the movie for nothing.
  window->asked.clear();
  EXPECT_EQ(run("maCaptureMovieImageAtTime(\"clip\", |10, 0.5|);"), "...<Error>...No Image Data.\n.NO.\n");
  EXPECT_EQ(run("maCaptureMovieImage(\"clip\", -2);"), "...<Error>...No Image Data.\n.NO.\n");
  EXPECT_EQ(run("maCaptureMovieImageToPICT(\"clip\", |10, -600|);"), ".NO.\n");
  EXPECT_TRUE(window->asked.empty());
}

TEST_F(LettersMA, CloseRowsEmptyTheList) {
  ASSERT_EQ(run("maCloseMovie(\"clip\");"), ".OK.\n");
  EXPECT_EQ(window->closed, 1);
  EXPECT_EQ(run("maGetMovieDuration(\"clip\");"), "    0.0000     0.0000\n.OK.\n");
  addWindowToMovieWindowList("a", window);
  addWindowToMovieWindowList("b", window);
  ASSERT_EQ(run("maCloseAllMovieWindow(\"anything\");"), ".OK.\n");
  EXPECT_EQ(movieWindowList().size(), 0);
}

TEST_F(LettersMA, MakeMemoFileDataBaseWritesTheDatabase) {
  const QString day = pravella::test::home() + "/Documents/diary/2020/03/04";
  ASSERT_TRUE(QDir().mkpath(day + "/note.rtfd"));
  ASSERT_EQ(run("makeMemoFileDataBase(|2020, 2020|);"), ".OK.\n");
  QFile file(pravella::memoDatabasePath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains((day + "/note.rtfd</path>").toUtf8()));
  file.close();
  ASSERT_TRUE(QFile::remove(pravella::memoDatabasePath()));
  ASSERT_EQ(run("makeMemoFileDataBase(1);"), ".OK.\n");  // every year folder
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains((day + "/note.rtfd</path>").toUtf8()));
}

TEST_F(LettersMA, OpeningSucceedsOnceTheMovieWindowsReceiveIt) {
  auto& center = pravella::NotificationCenter::defaultCenter();
  QStringList asked;
  const auto id = center.addObserver(
      kOpenMovieWindowNotification, nullptr,
      [&asked](pravella::Notification& n) {
        asked = n.strings;
        n.reply = false;  // not a movie: the built-in succeeds all the same
      },
      pravella::Delivery::PostingThread);
  EXPECT_EQ(run("maOpenMovieWindow(\"/films/a.txt\", \"clip 2\");"), ".OK.\n");
  center.removeObserver(id);
  EXPECT_EQ(asked, (QStringList{"/films/a.txt", "clip 2"}));
}

}  // namespace
