#pragma once
// The exchange files of user programs: one value per file, a 12-byte header of three native
// 32-bit integers (type 1 matrix: rows, cols; type 2 string: length, 0) and the data. Each
// returns 1, or 0 after reporting through error_disp. Files are replaced atomically.

#include <cstdint>

int saveDoubleData(const char* path, const double* values, int32_t rows, int32_t cols);
int saveStringData(const char* path, const char* text);
int readFileHeader(const char* path, int32_t header[3]);
// `count` doubles after the header (nothing when count is below 1).
int readDoubleData(const char* path, double* buffer, long long count);
// `length` bytes after the header, followed by a zero byte in the buffer.
int readStringData(const char* path, char* buffer, uint32_t length);
