// Picture encoding and decoding, and the density plot, at the sizes programs use (a 1,000 by
// 1,000 matrix is the largest a value holds).

#include <benchmark/benchmark.h>

#include <QImage>

#include <vector>

#include "graphics/picture.h"
#include "graphics/pixel_ops.h"

namespace {

QImage plotLike(int side) {
  QImage image(side, side, QImage::Format_ARGB32);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) image.setPixel(x, y, qRgb((x / 8) & 255, (y / 8) & 255, ((x + y) / 16) & 255));
  return image;
}

void BM_EncodePicture(benchmark::State& state) {
  const QImage image = plotLike(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(pravella::Picture::fromImage(image));
}
BENCHMARK(BM_EncodePicture)->Arg(256)->Arg(1000);

void BM_DecodePicture(benchmark::State& state) {
  const pravella::Picture picture = pravella::Picture::fromImage(plotLike(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(picture.toImage());
}
BENCHMARK(BM_DecodePicture)->Arg(256)->Arg(1000);

void BM_DensityPlot(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  std::vector<double> matrix(static_cast<std::size_t>(side) * side);
  for (std::size_t i = 0; i < matrix.size(); ++i) matrix[i] = static_cast<double>(i % 997);
  for (auto _ : state) {
    std::vector<double> m = matrix;
    QByteArray out;
    benchmark::DoNotOptimize(DoDensityPlot(m.data(), side, side, 0, 0, out));
  }
}
BENCHMARK(BM_DensityPlot)->Arg(256)->Arg(1000);

}  // namespace
