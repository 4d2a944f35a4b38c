// The media module's parts in process: OpenCV images and Qt's, and the greedy snake.

#include <gtest/gtest.h>

#include <QImage>

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

#include "imaging/media/cv_images.h"
#include "imaging/media/snake.h"
#include "support/contour_fixture.h"

namespace {

using pravella::test::discImage;
using pravella::test::startSquare;

using pravella::media::imageFromMat;
using pravella::media::matFromImage;

TEST(CvImages, ImagesRoundTripThroughBlueGreenRed) {
  // Widths that are not a multiple of 4 must follow the images' row strides.
  for (const int w : {13, 1, 16}) {
    SCOPED_TRACE(w);
    QImage source(w, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < w; ++x) source.setPixel(x, y, qRgb((x * 37) % 256, (y * 53) % 256, (x * y * 7) % 200));
    const cv::Mat bgr = matFromImage(source);
    ASSERT_EQ(bgr.type(), CV_8UC3);
    ASSERT_EQ(bgr.cols, w);
    const cv::Vec3b p = bgr.at<cv::Vec3b>(3, w - 1);
    EXPECT_EQ(qRgb(p[2], p[1], p[0]), source.pixel(w - 1, 3));
    EXPECT_EQ(imageFromMat(bgr), source);
  }
  EXPECT_TRUE(matFromImage(QImage()).empty());
}

TEST(CvImages, OnlyThreeChannelsOfEightBitsConvert) {
  for (const int type : {CV_8UC1, CV_8UC4, CV_16UC3, CV_32FC3}) {
    SCOPED_TRACE(type);
    EXPECT_TRUE(imageFromMat(cv::Mat(4, 4, type, cv::Scalar::all(0))).isNull());
  }
  EXPECT_FALSE(imageFromMat(cv::Mat(4, 4, CV_8SC3, cv::Scalar::all(0))).isNull());
  EXPECT_TRUE(imageFromMat(cv::Mat()).isNull());
}

TEST(ActiveContour, SnakeSettlesOnTheDiscEdge) {
  cv::Mat grey;
  cv::cvtColor(discImage(), grey, cv::COLOR_BGR2GRAY);
  std::vector<cv::Point> pts = startSquare(40, 8);
  const int passes = pravella::media::greedySnake(grey, pts, {0.5f, 0.5f, 1.0f});
  EXPECT_GT(passes, 1);
  EXPECT_LE(passes, 100);
  for (const cv::Point& p : pts) {
    const double r = std::hypot(p.x - 60, p.y - 60);
    EXPECT_NEAR(r, 30.0, 2.5) << p.x << "," << p.y;
  }
}

TEST(ActiveContour, TiesGoToTheFirstPositionInScanOrder) {
  const cv::Mat grey(50, 50, CV_8UC1, cv::Scalar(128));
  // With only the image term weighted, a flat image ties every position of the window.
  std::vector<cv::Point> pts = {{10, 10}, {40, 10}, {40, 40}, {10, 40}};
  EXPECT_EQ(pravella::media::greedySnake(grey, pts, {0.0f, 0.0f, 1.0f}, 15, 1), 1);
  const std::vector<cv::Point> expected = {{3, 3}, {33, 3}, {33, 33}, {3, 33}};
  EXPECT_EQ(pts, expected);
  // The window is cut at the image's edge.
  std::vector<cv::Point> corner = {{2, 1}, {20, 1}, {20, 20}};
  pravella::media::greedySnake(grey, corner, {0.0f, 0.0f, 1.0f}, 15, 1);
  EXPECT_EQ(corner[0], cv::Point(0, 0));
}

}  // namespace
