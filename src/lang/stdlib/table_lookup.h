#pragma once
// Integer look-up of matrix elements in a (key, value) table.

// out (rows x cols) = `fallback` everywhere, then for each element, truncated toward zero, the
// value of the first table row (of `k`) whose key, truncated, equals it. Returns 1.
int tableLookup_integer(const double* matrix, int rows, int cols, const double* table, int k, double fallback,
                        double* out);
