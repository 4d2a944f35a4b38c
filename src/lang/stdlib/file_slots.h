#pragma once
// The ten file slots that programs address by a small id (0 to 9), and the file routines
// behind the file built-ins: open, close, seek, text and typed binary transfers through a
// slot, and the path-based typed loads, the double-binary load and the whole text read.
//
// Every routine returns 1 on success, or 0 after one message through error_disp (fileCheck
// and getFileLength_long report nothing). Matrices are doubles in row-major order, at most
// TNumber of them. Names not beginning with "/" are taken inside the working folder.

#include <cstdint>
#include <cstdio>
#include <string>

constexpr int kFileSlots = 10;

struct FileSlot {
  std::FILE* stream = nullptr;  // null: the slot is empty
  std::string name;             // the path as the program gave it
  std::string mode;             // the access type it was opened with
};

// The slots live for the whole process and stay open across runs until closed.
extern FileSlot fileData[kFileSlots];

// The header text of a double-binary file; 39 bytes with its NUL.
inline constexpr char kDoubleBinaryHeader[] = "*** double Binary Data No.01 [ZoT] ***";

// Empties all ten slots (start-up; open streams are not closed here).
void initFileData();

// Access types: "w", "w+", "wb", "wb+", "rb+" write; "r", "rb" read; "a", "ab" append.
int fileOpen(unsigned id, const char* path, const char* accessType);
// 1 when the file opens for binary reading, else 0; no message.
int fileCheck(const char* path);
int fileClose(unsigned id);
int fileAllClose();
// A position of 0 or more seeks there from the start; a negative one to the end.
int fileSeek(unsigned id, int32_t position);
int GetFilePosition(unsigned id, double* position);

int fileWriteString(unsigned id, const char* text);
// Values with SaveFormat, TAB between the values of a row, LF after each row.
int fileWriteNvalueWithText(unsigned id, const double* values, int rows, int cols);
int fileWriteBinary(unsigned id, const double* values, int rows, int cols, const char* typeName);

// Reads n lines of numbers separated by TAB, space or comma into an n x columns matrix.
int fileReadTextNumber(unsigned id, double* out, int lines, int* rows, int* cols);
int fileReadBinary(unsigned id, int rows, int cols, double* out, const char* typeName);
// One line of at most size - 1 bytes, its line end kept; "_EOF_" at the end of the file.
int fileGetString(unsigned id, std::string& out, int size);

// The file's length in bytes.
int DoGetFileLength(const char* path, double* length);
// The length, or -1 when the file does not open (lengths beyond 32 bits saturate).
int32_t getFileLength_long(const char* path);

// Loads a double-binary file of either byte order.
int DoLoadBinaryDouble(const char* path, int* rows, int* cols, double* out);
// Loads rows x cols raw elements of the named type from a byte offset; swap reverses the bytes
// of each element of 2 bytes or more.
int DoLoadBinary_next(const char* path, const char* typeName, int rows, int cols, int32_t offset, double* out,
                      int swap);
// form = offset, rows, columns, element size (2 or 4), byte order (0 least significant byte
// first, 1 most significant first): signed integers laid out by the form.
int DoLoadBinFile(const char* path, const double* form, double* out, int* rows, int* cols);
// The whole file as text; files of TNumber x 8 bytes or more are refused.
int DoProgramList(const char* path, std::string& out);
