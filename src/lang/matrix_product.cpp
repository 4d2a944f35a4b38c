// The real matrix product of the "*" operator. Every element is summed from 0 in order of k with
// a rounded product and a rounded sum per term, so the result is the same to the last bit as
// the plain triple loop's, on every processor (lang/block_product.h).

#include <algorithm>
#include <cstddef>

#include "lang/block_product.h"
#include "lang/operators.h"

bool vkMatrixProduct(const double* a, const double* b, double* c, int r, int k, int n) {
  std::fill(c, c + static_cast<std::size_t>(r) * n, 0.0);
  return blockProductAdd(a, k, b, n, c, n, r, k, n);
}
