#pragma once
// Complex test signals for the transform tests: uniform in [-1, 1) in both parts, the same for
// the same seed.

#include <complex>
#include <cstddef>
#include <random>
#include <vector>

inline std::vector<std::complex<double>> randomSignal(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<std::complex<double>> x(n);
  for (std::complex<double>& v : x) v = {u(gen), u(gen)};
  return x;
}
