// The desk tools' movie view plays a real movie file through the media backend.

#include <gtest/gtest.h>

#include <QFile>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "support/test_movie.h"
#include "support/wait_for.h"
#include "tools/ui/media_movie_view.h"

using pravella::test::becomesTrue;
using pravella::tools::MediaMovieView;

namespace {

// The backend's own player behind the view.
QMediaPlayer* backendOf(const MediaMovieView& view) { return qobject_cast<QMediaPlayer*>(view.player()); }

}  // namespace

TEST(MediaMovieView, LoadsAndPlaysAMovie) {
  QTemporaryDir dir;
  const QString path = dir.filePath("clip.avi");
  ASSERT_TRUE(pravella::test::writeGreyMovie(path, 20));
  MediaMovieView view;
  view.resize(160, 140);
  view.show();
  QSignalSpy loaded(&view, &MediaMovieView::loaded);
  view.setFile(path);
  ASSERT_TRUE(becomesTrue([&] { return view.isLoaded(); }, 10000));
  EXPECT_GE(loaded.count(), 1);
  EXPECT_EQ(view.file(), path);

  view.play();
  ASSERT_TRUE(becomesTrue([&] { return backendOf(view)->position() > 0; }, 10000));
  EXPECT_TRUE(view.isPlaying());
  view.pause();
  EXPECT_FALSE(view.isPlaying());

  // A broken file after a good one, and a cleared view, are neither loaded nor playing.
  const QString junk = dir.filePath("junk.mov");
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("not a movie at all");
  f.close();
  QSignalSpy failed(&view, &MediaMovieView::failed);
  view.setFile(path);
  view.play();
  ASSERT_TRUE(becomesTrue([&] { return view.isPlaying(); }, 10000));
  view.setFile(junk);
  ASSERT_TRUE(becomesTrue([&] { return failed.count() >= 1; }, 10000));
  EXPECT_FALSE(view.isLoaded());
  EXPECT_FALSE(view.isPlaying());
  view.setFile(path);
  ASSERT_TRUE(becomesTrue([&] { return view.isLoaded(); }, 10000));
  view.clear();
  EXPECT_FALSE(view.isLoaded());
  EXPECT_FALSE(view.isPlaying());
}

TEST(MediaMovieView, MissingOrBrokenFilesFailAndClearStops) {
  QTemporaryDir dir;
  MediaMovieView view;
  QSignalSpy failed(&view, &MediaMovieView::failed);
  view.setFile(dir.filePath("absent.mov"));
  EXPECT_EQ(failed.count(), 1);
  EXPECT_FALSE(view.isLoaded());

  const QString junk = dir.filePath("junk.mov");
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("not a movie at all");
  f.close();
  view.setFile(junk);
  ASSERT_TRUE(becomesTrue([&] { return failed.count() >= 2; }, 10000));
  EXPECT_FALSE(view.isLoaded());
  // Shown again, the broken file is tried and reported again.
  const qsizetype before = failed.count();
  view.setFile(junk);
  EXPECT_TRUE(becomesTrue([&] { return failed.count() > before; }, 10000));
  EXPECT_FALSE(view.isLoaded());

  view.clear();
  view.play();
  EXPECT_FALSE(view.isPlaying());
  EXPECT_TRUE(view.file().isEmpty());
}

TEST(MediaMovieView, BackAndForthLoopsForward) {
  QTemporaryDir dir;
  const QString path = dir.filePath("clip.avi");
  ASSERT_TRUE(pravella::test::writeGreyMovie(path, 5));
  MediaMovieView view;
  // A mode chosen before the first movie holds for it.
  view.setLoopMode(1);
  view.setFile(path);
  ASSERT_TRUE(backendOf(view));
  EXPECT_EQ(backendOf(view)->loops(), QMediaPlayer::Infinite);
  for (int mode : {0, 1, 2}) {
    view.setLoopMode(mode);
    EXPECT_EQ(view.loopMode(), mode);
    EXPECT_EQ(backendOf(view)->loops(), mode == 0 ? QMediaPlayer::Once : QMediaPlayer::Infinite);
  }
}

// The backend loads the codec libraries: a view that never shows a movie file never makes it.
TEST(MediaMovieView, MakesNoPlayerBeforeItsFirstMovieFile) {
  QTemporaryDir dir;
  MediaMovieView view;
  view.resize(160, 140);
  view.show();
  view.setLoopMode(2);
  view.play();
  view.setFile(dir.filePath("absent.mov"));
  view.clear();
  EXPECT_EQ(view.player(), nullptr);
  EXPECT_FALSE(view.isLoaded());
  EXPECT_FALSE(view.isPlaying());

  const QString path = dir.filePath("clip.avi");
  ASSERT_TRUE(pravella::test::writeGreyMovie(path, 5));
  view.setFile(path);
  ASSERT_NE(view.player(), nullptr);
  ASSERT_TRUE(becomesTrue([&] { return view.isLoaded(); }, 10000));
}
