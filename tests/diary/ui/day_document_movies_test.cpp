// A day's movie opens in the movie window titled with its file name, before the medical-image
// check and the desktop.

#include "day_documents_fixture.h"

#include "imaging/movie_windows.h"
#include "platform/notification_center.h"
#include "support/test_movie.h"

namespace {

using namespace day_documents_test;

TEST_F(DayDocuments, AMovieOpensInTheMovieWindowOfItsName) {
  QDir().mkpath(day());
  ASSERT_TRUE(pravella::test::writeGreyMovie(day() + "/clip.avi", 3));
  QObject movieWindows;
  QStringList asked;
  pravella::NotificationCenter::defaultCenter().addObserver(
      QString::fromLatin1(pravella::motion::kOpenMovieWindowNotification), &movieWindows,
      [&asked](pravella::Notification& n) {
        asked = n.strings;
        n.reply = true;
      });
  start();  // the day's only document opens at once
  EXPECT_EQ(asked, (QStringList{day() + "/clip.avi", "clip.avi"}));
  EXPECT_TRUE(opened.isEmpty());
}

}  // namespace
