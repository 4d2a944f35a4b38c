#pragma once
// Whole-file loads and saves by path: numeric text tables, fixed-column text, numbers and
// strings saved as text, matrices as double-binary files or raw typed elements at an offset,
// and block string files. Every save replaces its file atomically, so a failed save leaves
// the old file as it was.
//
// Each routine returns 1, or 0 after one message through error_disp. Matrices are doubles
// (or 32-bit integers for the _Int forms) in row-major order, at most TNumber elements.

#include <cstdint>
#include <string>

// The header text of a block string file; 38 bytes with its NUL.
inline constexpr char kBlockStringHeader[] = "*** Block String Data No.02 [ZoT] ***";

// The numeric text table from a byte offset to the end of the file.
int DoLoadNumvalue(const char* path, double* out, int* rows, int* cols, int32_t offset);
// One row per line, one number per field; `fields` holds n pairs (first, last column),
// counted from 1, both included.
int DoLoadFixedTextData(const char* path, double* out, int* rows, int* cols, const double* fields, int n);

// Values with SaveFormat, TAB between the values of a row, LF after each row.
int DoSaveNumValue(const char* path, const double* values, int rows, int cols);
// The text and its NUL byte.
int DoSaveStrValue(const char* path, const char* text);
int DoSaveProgram(const char* path, const char* text);

// The double-binary file (header, rows, columns, doubles) in host byte order.
int DoSaveBinaryDouble(const char* path, const double* values, int rows, int cols);
int DoSaveBinaryDoubleForBlock(const char* path, const double* values, int rows, int cols);
// Reads a double-binary file written in host byte order.
int DoLoadBinaryDoubleForBlockk(const char* path, int* rows, int* cols, double* out);

// Raw typed elements written from a byte offset (zeros before it) into a new or emptied
// file; the ReWrite forms overwrite that span of an existing file and keep the rest.
int DoSaveBinary(const char* path, const char* typeName, const double* values, int rows, int cols,
                 int64_t offset);
int DoSaveBinary_Int(const char* path, const char* typeName, const int32_t* values, int rows, int cols,
                     int64_t offset);
int DoSaveBinaryReWrite(const char* path, const char* typeName, const double* values, int rows, int cols,
                        int64_t offset);
int DoSaveBinaryReWrite_Int(const char* path, const char* typeName, const int32_t* values, int rows, int cols,
                            int64_t offset);

// The block string file: header, 32-bit length (the string's length plus 1), string, NUL.
int DoSaveStringForBlock(const char* path, const char* text);
int DoLoadStringForBlock(const char* path, std::string& out);
