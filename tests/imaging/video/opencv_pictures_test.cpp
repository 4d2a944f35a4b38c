// Pictures and the images of the vision routines, the frame grab and active contours (the
// media module loaded as the programs load it).

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstdlib>

#include "graphics/offscreen.h"
#include "graphics/picture.h"
#include "imaging/video/active_contour.h"
#include "imaging/video/cv_picture.h"
#include "imaging/video/frame_grab.h"
#include "imaging/video/movie_fixture.h"
#include "lang/values.h"
#include "support/contour_fixture.h"

namespace {

using pravella::test::discImage;
using pravella::test::startSquare;

using pravella::Picture;

QImage patterned(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb((x * 37) % 256, (y * 53) % 256, (x * y * 7) % 200));
  return image;
}

TEST(CvPicture, PictureRoundTripsThroughAnImage) {
  // Widths that are not a multiple of 4 must follow the image's row stride.
  for (const int w : {13, 1, 16}) {
    SCOPED_TRACE(w);
    const QImage source = patterned(w, 7);
    const Picture picture = Picture::fromImage(source);
    QImage image;
    ASSERT_EQ(pictData2IplImage(picture.bytes().constData(), picture.size(), image), 1);
    ASSERT_EQ(image.size(), QSize(w, 7));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(w - 1, 3), source.pixel(w - 1, 3));
    Picture back;
    ASSERT_EQ(IplImage2pict(image, back), 1);
    EXPECT_EQ(back.toImageOnWhite().convertToFormat(QImage::Format_RGB32), source);
  }
}

TEST(CvPicture, FrameAwayFromTheOriginGivesAnImageOfTheFrameSize) {
  Picture picture = Picture::fromImage(patterned(20, 10));
  // The header's frame (top, left, bottom, right) moved by 5 both ways.
  QByteArray bytes = picture.bytes();
  auto put = [&](int at, int v) {
    bytes[at] = static_cast<char>((v >> 8) & 0xff);
    bytes[at + 1] = static_cast<char>(v & 0xff);
  };
  put(2, 5);
  put(4, 5);
  put(6, 15);
  put(8, 25);
  QImage image;
  ASSERT_EQ(pictData2IplImage(bytes.constData(), static_cast<std::size_t>(bytes.size()), image), 1);
  EXPECT_EQ(image.size(), QSize(20, 10));
}

TEST(CvPicture, RefusedInputs) {
  QImage image(2, 2, QImage::Format_RGB32);
  const char junk[] = "not a picture";
  EXPECT_EQ(pictData2IplImage(junk, sizeof junk, image), 0);
  EXPECT_TRUE(image.isNull());
  // The module answers a null image for an image it cannot convert.
  Picture out;
  EXPECT_EQ(IplImage2pict(QImage(), out), 0);
}

QImage imageOf(const cv::Mat& bgr) {
  QImage out(bgr.cols, bgr.rows, QImage::Format_RGB32);
  for (int y = 0; y < bgr.rows; ++y)
    for (int x = 0; x < bgr.cols; ++x) {
      const cv::Vec3b p = bgr.at<cv::Vec3b>(y, x);
      out.setPixel(x, y, qRgb(p[2], p[1], p[0]));
    }
  return out;
}

TEST(ActiveContour, RinkakuDrawsARedContourOnTheGreyPicture) {
  copyBitsMode = 1;
  Picture input;
  cv::Mat disc = discImage();
  // A coloured corner, to show that colours are dropped.
  cv::rectangle(disc, cv::Rect(0, 0, 10, 10), cv::Scalar(255, 0, 0), cv::FILLED);
  ASSERT_EQ(IplImage2pict(imageOf(disc), input), 1);
  const auto square = startSquare(40, 8);
  std::vector<double> points;
  for (const auto& p : square) {
    points.push_back(p.x + 0.9);  // truncated
    points.push_back(p.y + 0.9);
  }
  const double weights[3] = {0.5, 0.5, 1.0};
  Picture out;
  ASSERT_EQ(DoRinkaku_cv(input.bytes().constData(), input.size(), points.data(),
                         static_cast<int>(square.size()), out, weights),
            1);
  const QImage result = out.toImageOnWhite().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(result.size(), QSize(120, 120));
  int red = 0;
  for (int y = 0; y < result.height(); ++y)
    for (int x = 0; x < result.width(); ++x) {
      const QRgb c = result.pixel(x, y);
      if (qRed(c) == 255 && qGreen(c) == 0 && qBlue(c) == 0) {
        ++red;
        // Lines between points on the circle stay within a few pixels of it (chords).
        const double r = std::hypot(x - 60, y - 60);
        EXPECT_GT(r, 24.0) << x << "," << y;
        EXPECT_LT(r, 33.0) << x << "," << y;
      } else {
        EXPECT_TRUE(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c)) << x << "," << y;
      }
    }
  EXPECT_GT(red, 150);
  copyBitsMode = 0;
}

TEST(ActiveContour, RinkakuRefusesAPictureTheReaderRefuses) {
  const char junk[] = "0123456789abcdef";
  const double points[6] = {1, 1, 5, 1, 5, 5};
  const double weights[3] = {1, 1, 1};
  ResultString.clear();
  Picture out;
  EXPECT_EQ(DoRinkaku_cv(junk, sizeof junk, points, 3, out, weights), 0);
  EXPECT_NE(ResultString.find("Invalid arguments."), std::string::npos);
}

TEST(FrameGrab, WithoutACameraFails) {
  ::unsetenv("PRAVELLA_CAMERA0");
  ::setenv("OPENCV_LOG_LEVEL", "ERROR", 1);
  Picture out;
  ResultString.clear();
  testing::internal::CaptureStderr();
  EXPECT_EQ(fgrabber_cv(0, out), 0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Could not initialize capturing...\n"), std::string::npos);
  EXPECT_NE(ResultString.find("Could not open camera 0."), std::string::npos);
}

TEST(FrameGrab, MovieStandsInForTheCamera) {
  QTemporaryDir dir;
  const std::string path = QDir(dir.path()).filePath("camera.avi").toStdString();
  ASSERT_TRUE(pravella::test::writeSquareMovie(path, 3, 2, cv::Size(90, 70)));
  ::setenv("PRAVELLA_CAMERA0", path.c_str(), 1);
  Picture out;
  EXPECT_EQ(fgrabber_cv(0, out), 1);
  ::unsetenv("PRAVELLA_CAMERA0");
  EXPECT_EQ(out.frame(), QRect(0, 0, 90, 70));
}

}  // namespace
