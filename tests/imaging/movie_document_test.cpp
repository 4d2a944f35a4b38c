// The movie document: frames of a file decoded exactly at any time, the 1/600 s clock, and the
// edits through the movie clipboard.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>

#include "imaging/movie/movie_document.h"
#include "support/test_home.h"
#include "support/test_movie.h"

namespace {

using pravella::movie::MovieDocument;
using pravella::movie::toMovieUnits;
using pravella::test::greyOf;

QString moviePath() { return pravella::test::home() + "/grey.avi"; }

// The grey level of a frame, read away from the white square.
int greyAt(const QImage& frame) { return qRed(frame.pixel(40, 30)); }

class MovieDocumentTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pravella::test::writeGreyMovie(moviePath(), 10));
    movie = MovieDocument::open(moviePath());
    ASSERT_TRUE(movie);
  }
  std::unique_ptr<MovieDocument> movie;
};

TEST_F(MovieDocumentTest, TenFramesAtTenASecondLastSixtyUnitsEach) {
  EXPECT_EQ(movie->frameCount(), 10);
  EXPECT_EQ(movie->duration(), 600);
  EXPECT_EQ(movie->naturalSize(), QSize(64, 48));
  for (int k = 0; k < 10; ++k) EXPECT_EQ(movie->frameDuration(k), 60) << k;
}

TEST_F(MovieDocumentTest, AnyTimeGivesItsFrameExactlyInAnyOrder) {
  struct Case {
    std::int64_t time;
    int frame;
  };
  // Out of order on purpose: every jump back seeks, every jump forward decodes on.
  const Case cases[] = {{150, 2}, {0, 0},   {599, 9}, {59, 0},  {60, 1},
                        {600, 9}, {420, 7}, {300, 5}, {-1, -1}, {601, -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(movie->frameIndexAt(c.time), c.frame) << c.time;
    const QImage frame = movie->frameAt(c.time);
    if (c.frame < 0) {
      EXPECT_TRUE(frame.isNull()) << c.time;
      continue;
    }
    ASSERT_FALSE(frame.isNull()) << c.time;
    EXPECT_NEAR(greyAt(frame), greyOf(c.frame), 3) << c.time;
    const QRgb white = frame.pixel(3, 3);
    EXPECT_EQ(qRed(white) + qGreen(white) + qBlue(white), 765) << c.time;
  }
}

// Frames come out exactly in any order also where the codec reorders its frames, key frames
// are rare and the container seeks inexactly or starts its clock late.
TEST(MovieFiles, ReorderedAndLateStartingStreamsGiveExactFrames) {
  struct Clip {
    const char* name;
    const char* codec;
    QStringList extra;
  };
  const Clip clips[] = {
      {"grey.ts", "mpeg2video", {"-bf", "2", "-q:v", "2"}},
      {"grey.mp4", "mpeg4", {"-bf", "2", "-g", "4", "-q:v", "2"}},
      {"grey-late.mkv", "ffv1", {"-output_ts_offset", "3"}},
  };
  const int order[] = {0, 1, 2, 3, 9, 4, 8, 2, 0, 7, 6, 5, 1, 9};
  for (const Clip& c : clips) {
    SCOPED_TRACE(c.name);
    const QString path = pravella::test::home() + "/" + c.name;
    ASSERT_TRUE(pravella::test::writeGreySequenceMovie(path, c.codec, "yuv420p", 10, c.extra));
    auto movie = MovieDocument::open(path);
    ASSERT_TRUE(movie);
    ASSERT_EQ(movie->frameCount(), 10);
    for (int k : order) {
      const QImage frame = movie->frameAt(k * 60);
      ASSERT_FALSE(frame.isNull()) << k;
      EXPECT_NEAR(qGray(frame.pixel(32, 24)), greyOf(k), 6) << "frame " << k;
    }
  }
}

TEST_F(MovieDocumentTest, StepsGoFrameByFrameAndStopAtTheEnds) {
  movie->stepBackward();
  EXPECT_EQ(movie->currentTime(), 0);
  movie->setCurrentTime(90);  // inside frame 1: back goes to its start
  movie->stepBackward();
  EXPECT_EQ(movie->currentTime(), 60);
  movie->stepForward();
  EXPECT_EQ(movie->currentTime(), 120);
  movie->gotoEnd();
  EXPECT_EQ(movie->currentTime(), 600);
  movie->stepForward();
  EXPECT_EQ(movie->currentTime(), 600);
  movie->setCurrentTime(5000);
  EXPECT_EQ(movie->currentTime(), 600);
}

TEST_F(MovieDocumentTest, CutAllLeavesNothingAndPasteRestoresIt) {
  movie->selectAll();
  movie->cut();
  EXPECT_EQ(movie->duration(), 0);
  EXPECT_EQ(movie->frameCount(), 0);
  EXPECT_TRUE(movie->frameAt(0).isNull());
  movie->paste();
  EXPECT_EQ(movie->duration(), 600);
  EXPECT_TRUE(movie->isEdited());
  for (int k : {0, 4, 9}) EXPECT_NEAR(greyAt(movie->frameAt(k * 60)), greyOf(k), 3) << k;
}

TEST_F(MovieDocumentTest, PasteInsertsAtTheCurrentTimeReplacingTheSelection) {
  movie->setSelection(120, 120);  // frames 2 and 3
  movie->copy();
  movie->setCurrentTime(0);
  movie->selectNone();
  movie->paste();
  EXPECT_EQ(movie->duration(), 720);
  EXPECT_EQ(movie->selectionStart(), 0);
  EXPECT_EQ(movie->selectionDuration(), 120);
  EXPECT_EQ(movie->currentTime(), 120);
  EXPECT_NEAR(greyAt(movie->frameAt(0)), greyOf(2), 3);
  EXPECT_NEAR(greyAt(movie->frameAt(60)), greyOf(3), 3);
  EXPECT_NEAR(greyAt(movie->frameAt(120)), greyOf(0), 3);
  // With a selection, paste replaces it: frames 2 and 3 over the pasted pair at the start.
  movie->setSelection(0, 120);
  movie->paste();
  EXPECT_EQ(movie->duration(), 720);
  movie->setSelection(0, 60);
  movie->deleteSelection();
  EXPECT_EQ(movie->duration(), 660);
  EXPECT_NEAR(greyAt(movie->frameAt(0)), greyOf(3), 3);
}

TEST_F(MovieDocumentTest, TwoDocumentsShareTheClipboard) {
  movie->setSelection(540, 60);
  movie->copy();
  MovieDocument other;
  other.paste();
  EXPECT_EQ(other.frameCount(), 1);
  EXPECT_NEAR(greyAt(other.frameAt(0)), greyOf(9), 3);
}

TEST(MovieFiles, OnlyFilesWithDecodableVideoAreMovies) {
  const QString dir = pravella::test::home();
  QFile text(dir + "/notes.txt");
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("hello, this is no movie\n");
  text.close();
  QFile empty(dir + "/empty.avi");
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  empty.close();
  for (const QString& path : {dir + "/notes.txt", dir + "/empty.avi", dir + "/missing.mov", dir}) {
    QString why;
    EXPECT_FALSE(MovieDocument::open(path, &why)) << path.toStdString();
    EXPECT_FALSE(why.isEmpty()) << path.toStdString();
  }
}

// Every movie's frames come out in their own colours and at the size their pixels stand for,
// whatever the pixel format, the range and colour matrix the stream declares, and the width
// (odd, or no multiple of 16 pixels).
TEST(MovieFiles, FramesKeepTheirColoursAndProportionsInEveryPixelFormat) {
  struct Case {
    const char* name;
    const char* codec;
    const char* pixelFormat;
    int width, height, frames;
    QStringList extra;
    QSize natural;
  };
  const QStringList bt709{"-vf",
                          "scale=out_color_matrix=bt709",
                          "-colorspace",
                          "bt709",
                          "-color_primaries",
                          "bt709",
                          "-color_trc",
                          "bt709"};
  const Case cases[] = {
      {"mjpeg444.avi", "mjpeg", "yuvj444p", 64, 48, 3, {}, {64, 48}},
      {"mjpeg422.avi", "mjpeg", "yuvj422p", 64, 48, 3, {}, {64, 48}},
      {"mjpeg420-odd.avi", "mjpeg", "yuvj420p", 65, 49, 3, {}, {65, 49}},
      {"ffv1-420.mkv", "ffv1", "yuv420p", 72, 40, 3, {}, {72, 40}},
      {"ffv1-444-one.mkv", "ffv1", "yuv444p", 64, 48, 1, {}, {64, 48}},
      {"ffv1-bgr0.mkv", "ffv1", "bgr0", 64, 48, 3, {}, {64, 48}},
      {"ffv1-709.mkv", "ffv1", "yuv420p", 64, 48, 3, bt709, {64, 48}},
      {"ffv1-full.mkv",
       "ffv1",
       "yuv444p",
       64,
       48,
       3,
       {"-vf", "scale=out_range=full", "-color_range", "pc"},
       {64, 48}},
      {"ffv1-wide-pixels.mkv", "ffv1", "yuv420p", 64, 48, 3, {"-vf", "setsar=3/2"}, {96, 48}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = pravella::test::home() + "/" + c.name;
    ASSERT_TRUE(pravella::test::writeQuadrantMovie(path, c.codec, c.pixelFormat, c.width, c.height, c.frames,
                                                   c.extra));
    auto movie = MovieDocument::open(path);
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->frameCount(), c.frames);
    EXPECT_EQ(movie->naturalSize(), c.natural);
    const QImage frame = movie->currentFrame();
    ASSERT_EQ(frame.size(), c.natural);
    for (int q = 0; q < 4; ++q) {
      const QPoint at(frame.width() * (q % 2 ? 3 : 1) / 4, frame.height() * (q < 2 ? 1 : 3) / 4);
      const QRgb got = frame.pixel(at);
      const auto& want = pravella::test::kQuadrantColours[q];
      EXPECT_NEAR(qRed(got), want[0], 12) << "quadrant " << q;
      EXPECT_NEAR(qGreen(got), want[1], 12) << "quadrant " << q;
      EXPECT_NEAR(qBlue(got), want[2], 12) << "quadrant " << q;
    }
  }
}

TEST(MovieTimes, OtherScalesCountInSixHundredthsRoundedDown) {
  struct Case {
    std::int64_t value;
    std::int32_t scale;
    std::int64_t units;
  };
  const Case cases[] = {
      {1500, 600, 1500},   {25, 10, 1500},           {1, 1000, 0}, {2, 1000, 1}, {-1, 1000, -1},
      {90000, 90000, 600}, {INT64_MAX, 1, INT64_MAX}};
  for (const Case& c : cases) EXPECT_EQ(toMovieUnits(c.value, c.scale), c.units) << c.value << "/" << c.scale;
}

TEST(MovieStills, StillsLastTheirOwnDurations) {
  QImage red(8, 6, QImage::Format_RGB32);
  red.fill(Qt::red);
  QByteArray png;
  {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
  }
  MovieDocument doc;
  ASSERT_TRUE(doc.appendStill(png, 300));
  ASSERT_TRUE(doc.appendStill(png, 200));
  EXPECT_FALSE(doc.appendStill("no picture", 100));
  EXPECT_EQ(doc.frameCount(), 2);
  EXPECT_EQ(doc.duration(), 500);
  EXPECT_EQ(doc.frameIndexAt(299), 0);
  EXPECT_EQ(doc.frameIndexAt(300), 1);
  EXPECT_EQ(doc.naturalSize(), QSize(8, 6));
  EXPECT_EQ(doc.frameAt(450).pixel(1, 1), QColor(Qt::red).rgb());
}

}  // namespace
