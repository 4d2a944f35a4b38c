// Triangle-mesh warping of a 1024 by 768 picture through a 16 by 16 grid of triangle pairs
// with bilinear sampling ("morphingPicture"), beside OpenCV warping the same mesh the usual way
// (cv::warpAffine of each triangle's bounding box, kept under a triangle mask). Ours includes
// reading the picture value and recording the result as one; OpenCV's works on pixels only.

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QImage>

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

#include "graphics/picture.h"
#include "graphics/triangle_warp.h"

namespace {

constexpr int kWidth = 1024, kHeight = 768, kGrid = 16;

QImage photoLike() {
  QImage image(kWidth, kHeight, QImage::Format_ARGB32);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      image.setPixel(x, y, qRgb((x * 255) / kWidth, (y * 255) / kHeight, ((x / 32 + y / 32) % 2) * 200));
  return image;
}

// Grid node (i, j) of the source and of the target (the inner nodes pushed along a wave).
cv::Point2f sourceNode(int i, int j) {
  return {static_cast<float>(j * kWidth / kGrid), static_cast<float>(i * kHeight / kGrid)};
}
cv::Point2f targetNode(int i, int j) {
  cv::Point2f p = sourceNode(i, j);
  if (i > 0 && i < kGrid && j > 0 && j < kGrid) {
    p.x += static_cast<float>(12 * std::sin(i * 0.7));
    p.y += static_cast<float>(9 * std::cos(j * 0.9));
  }
  return p;
}

struct Triangle {
  cv::Point2f source[3], target[3];
};

std::vector<Triangle> mesh() {
  std::vector<Triangle> t;
  for (int i = 0; i < kGrid; ++i)
    for (int j = 0; j < kGrid; ++j) {
      t.push_back({{sourceNode(i, j), sourceNode(i + 1, j), sourceNode(i, j + 1)},
                   {targetNode(i, j), targetNode(i + 1, j), targetNode(i, j + 1)}});
      t.push_back({{sourceNode(i + 1, j), sourceNode(i + 1, j + 1), sourceNode(i, j + 1)},
                   {targetNode(i + 1, j), targetNode(i + 1, j + 1), targetNode(i, j + 1)}});
    }
  return t;
}

// The warp table of the language: 1-based corners, source then target.
std::vector<double> tableOf(const std::vector<Triangle>& triangles) {
  std::vector<double> table;
  for (const Triangle& t : triangles) {
    for (const cv::Point2f& p : t.source) table.insert(table.end(), {p.x + 1.0, p.y + 1.0});
    for (const cv::Point2f& p : t.target) table.insert(table.end(), {p.x + 1.0, p.y + 1.0});
  }
  return table;
}

void BM_MorphingPicture(benchmark::State& state) {
  const QByteArray picture = pravella::Picture::fromImage(photoLike()).bytes();
  const std::vector<Triangle> triangles = mesh();
  const std::vector<double> table = tableOf(triangles);
  for (auto _ : state) {
    std::vector<double> t = table;  // the warp shifts it in place
    int h = 0, w = 0;
    QByteArray out;
    if (!changeMoofPicture_3(picture, t.data(), static_cast<int>(triangles.size()), 0, 0, out, &h, &w))
      state.SkipWithError("warp failed");
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_MorphingPicture)->Unit(benchmark::kMillisecond);

void BM_OpenCvTriangleMesh(benchmark::State& state) {
  const QImage image = photoLike().convertToFormat(QImage::Format_RGB888);
  const cv::Mat source(kHeight, kWidth, CV_8UC3, const_cast<uchar*>(image.constBits()),
                       static_cast<size_t>(image.bytesPerLine()));
  const std::vector<Triangle> triangles = mesh();
  for (auto _ : state) {
    cv::Mat target(kHeight, kWidth, CV_8UC3, cv::Scalar(255, 255, 255));
    for (const Triangle& t : triangles) {
      const cv::Rect box = cv::boundingRect(std::vector<cv::Point2f>(t.target, t.target + 3)) &
                           cv::Rect(0, 0, kWidth, kHeight);
      if (box.empty()) continue;
      cv::Point2f local[3];
      std::vector<cv::Point> corners;
      for (int k = 0; k < 3; ++k) {
        local[k] = t.target[k] - cv::Point2f(static_cast<float>(box.x), static_cast<float>(box.y));
        corners.emplace_back(cvRound(local[k].x), cvRound(local[k].y));
      }
      const cv::Mat map = cv::getAffineTransform(t.source, local);
      cv::Mat patch;
      cv::warpAffine(source, patch, map, box.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT_101);
      cv::Mat mask = cv::Mat::zeros(box.size(), CV_8U);
      cv::fillConvexPoly(mask, corners, cv::Scalar(255));
      patch.copyTo(target(box), mask);
    }
    benchmark::DoNotOptimize(target.data);
  }
}
BENCHMARK(BM_OpenCvTriangleMesh)->Unit(benchmark::kMillisecond);

}  // namespace

