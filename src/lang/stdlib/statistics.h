#pragma once
// Sorting and descriptive statistics over real matrices (row-major doubles in caller buffers):
// the stable merge sort of value-and-position records that sorts matrix rows by a key
// column, the moving average, permutations and combinations, the coefficient of variation,
// and sum, mean, population standard deviation, minimum, maximum, range and z-score over the
// whole matrix, per row (prefix L: rows x 1) or per column (prefix R: 1 x columns). Each
// routine writes its result to `out`, gives its shape through the two out-parameters and
// returns 1, or reports and returns 0.

#include <cstdint>
#include <vector>

// A value and the position it started at.
struct SortRecord {
  double value;
  int32_t index;
};

// The records being sorted and the merge's work area (n / 2 + 1 records). Process-wide: one
// sort at a time, on the language's thread.
extern std::vector<SortRecord> msData;
extern std::vector<SortRecord> wsData;

// Allocates both for n records, msData[i] = (0, i); 0 (both freed) when memory cannot be had.
int DoMakeSortInfo(int n);
int DoDisposeSortInfo();
// Sorts msData[first..last] ascending by value, equal values keeping their order. False when
// the held button stopped it.
bool mergesort_vk(int first, int last);

// The rows reordered by column `key` (from 1). 0 without a message when the sort arrays cannot
// be had; "Invalid arguments." for a key outside the columns; the break message when the held
// button stopped it.
int DoMergeSort(const double* in, double* out, int rows, int cols, int key);

// n values of one column sorted in place into the very order the row sort above gives a
// one-column matrix (equal values, 0 and -0 among them, keep their input order), with no
// positions carried along. `work` (n / 2 + 1 doubles, or null to take its own) serves only
// when some value is not a number. 0 without a message when memory cannot be had, with the
// break message when the held button stopped it (the values are then in no useful order).
int DoSortValues(double* values, int n, double* work);

// Means of w consecutive rows, column by column: rows - w + 1 rows. A window below 1 or above
// the row count fails with "Invalid arguments.".
int DoSmoothN(const double* in, double* out, int rows, int cols, int w, int* outRows, int* outCols);

// nPr and nCr element by element, pairing equal shapes, or a 1 x 1 with every element of the
// other. "Invalid number." for shapes that do not pair, n or r negative, n < r.
int DoPermutation(const double* n, int nRows, int nCols, const double* r, int rRows, int rCols, double* out,
                  int* outRows, int* outCols);
int DoCombination(const double* n, int nRows, int nCols, const double* r, int rRows, int rCols, double* out,
                  int* outRows, int* outCols);

// 100 x SD / mean of each column (1 x cols); "Invalid number." for a column summing to 0.
int DoHendouKeisu(const double* in, double* out, int rows, int cols, int* outRows, int* outCols);

void fswap(double* a, double* b);

// The family. An empty matrix fails with "Invalid arguments.".
#define VK_STAT(name) int name(const double* in, double* out, int rows, int cols, int* outRows, int* outCols)
VK_STAT(DoSum);
VK_STAT(DoLSum);
VK_STAT(DoRSum);
VK_STAT(DoMean);
VK_STAT(DoLMean);
VK_STAT(DoRMean);
VK_STAT(DoSD);
VK_STAT(DoLSD);
VK_STAT(DoRSD);
VK_STAT(DoMin);
VK_STAT(DoLMin);
VK_STAT(DoRMin);
VK_STAT(DoMax);
VK_STAT(DoLMax);
VK_STAT(DoRMax);
VK_STAT(DoRange);
VK_STAT(DoLRange);
VK_STAT(DoRRange);
VK_STAT(DoZScore);
VK_STAT(DoLZScore);
VK_STAT(DoRZScore);
#undef VK_STAT
