// The desk tools' movie view plays a real movie file through the media backend.

#include <gtest/gtest.h>

#include <QFile>
#include <QLayout>
#include <QMediaPlayer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVideoFrame>
#include <QVideoSink>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

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

// The picture shown is the frame the player is at, in any container and codec (one that
// reorders its frames among them, streams that start late): sampled while the movie plays after a click on
// the play button, and at its end.
TEST(MediaMovieView, ShowsTheFrameThePlayerIsAt) {
  struct Clip {
    const char* name;
    const char* codec;
    const char* pixelFormat;
    QStringList extra;
  };
  const Clip clips[] = {
      {"grey.avi", "mjpeg", "yuvj420p", {}},
      {"grey.mkv", "ffv1", "yuv444p", {}},
      {"grey.mp4", "mpeg4", "yuv420p", {"-bf", "2", "-g", "4", "-q:v", "2"}},
      {"grey.ts", "mpeg2video", "yuv420p", {"-bf", "2", "-q:v", "2"}},
      {"grey-late.mkv", "ffv1", "yuv420p", {"-output_ts_offset", "3"}},
  };
  QTemporaryDir dir;
  MediaMovieView view;
  view.resize(160, 140);
  view.show();
  auto* play = view.findChild<QToolButton*>();
  ASSERT_NE(play, nullptr);
  constexpr int kFrames = 10;
  for (const Clip& clip : clips) {
    SCOPED_TRACE(clip.name);
    const QString path = dir.filePath(clip.name);
    ASSERT_TRUE(
        pravella::test::writeGreySequenceMovie(path, clip.codec, clip.pixelFormat, kFrames, clip.extra));
    view.setFile(path);
    ASSERT_TRUE(becomesTrue([&] { return view.isLoaded(); }, 10000));
    QWidget* screen = view.layout()->itemAt(0)->widget();
    QMediaPlayer* player = backendOf(view);
    // The backend stamps frames in the file's own clock, which may start late.
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream=start_time",
                            "-of", "csv=p=0", path});
    ASSERT_TRUE(probe.waitForFinished(30000));
    // (The first line's first field: ffprobe may list the stream again under its program.)
    const QString probed =
        QString::fromUtf8(probe.readAllStandardOutput()).section('\n', 0, 0).section(',', 0, 0);
    const qint64 start = std::llround(probed.toDouble() * 1e6);
    // The painted grey against the frame the player shows now, as far as the painting is ours.
    std::set<int> matched;
    int last = -1;
    const auto check = [&] {
      const QVideoFrame frame = player->videoSink()->videoFrame();
      if (!frame.isValid()) return;
      const int index =
          static_cast<int>(std::clamp<qint64>((frame.startTime() - start + 50000) / 100000, 0, kFrames - 1));
      const int grey = qGray(screen->grab().toImage().pixel(screen->rect().center()));
      if (std::abs(grey - pravella::test::greyOf(index)) <= 6) matched.insert(index), last = index;
    };
    QTest::mouseClick(play, Qt::LeftButton);
    ASSERT_TRUE(becomesTrue(
        [&] {
          check();
          return player->mediaStatus() == QMediaPlayer::EndOfMedia;
        },
        20000));
    // Our decoding opens beside the backend's: once it has, every frame is ours and right.
    EXPECT_TRUE(becomesTrue(
        [&] {
          check();
          return last == kFrames - 1;
        },
        10000))
        << matched.size() << " frames matched, the last " << last;
    // Frames all through the movie were seen, each as itself.
    EXPECT_GE(matched.size(), 3u);
  }
}
