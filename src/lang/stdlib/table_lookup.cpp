#include "lang/stdlib/table_lookup.h"

#include <cmath>
#include <cstddef>

int tableLookup_integer(const double* matrix, int rows, int cols, const double* table, int k, double fallback,
                        double* out) {
  const std::size_t n = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
  for (std::size_t i = 0; i < n; ++i) {
    out[i] = fallback;
    const double key = std::trunc(matrix[i]);
    for (int row = 0; row < k; ++row) {
      if (std::trunc(table[static_cast<std::size_t>(row) * 2]) == key) {
        out[i] = table[static_cast<std::size_t>(row) * 2 + 1];
        break;
      }
    }
  }
  return 1;
}
