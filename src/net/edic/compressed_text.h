#pragma once
// Books whose body file is HONMON2 keep their text compressed: each 2048-byte page is one
// slice, stored as is or Huffman-coded with a tree built from the file's frequency table.
// This opens such a book, builds its tree once (reopening the same book reuses it), decodes
// one slice at a time into a page buffer and reads bytes, integers and BCD numbers across
// slices. Page numbers of these books are slice numbers from 1.
//
// One state, ZIP_Data, is shared by the dictionary window and programs; use it only while
// holding the reader lock (net/edic/reader_lock.h), from open to close.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/edic/book_file.h"

namespace pravella::edic {

enum HuffmanKind {
  kHuffmanInner = 0,
  kHuffmanTwoBytes = 1,
  kHuffmanByte = 2,
  kHuffmanEnd = 3,
  kHuffmanFourBytes = 4
};

struct HuffmanNode {
  int kind = kHuffmanInner;
  uint32_t value = 0;
  uint32_t frequency = 0;
  int one = -1;   // followed on a 1 bit
  int zero = -1;  // followed on a 0 bit
};

// Sorts the leaves (highest frequency first) and places the inner nodes behind them, each
// taking the two nodes of smallest non-zero frequency placed before it (the later one on a
// tie; the first as its one-child). Returns the root's index, or -1 when the leaves run out
// (a leaf of frequency 0 is never taken).
int buildHuffmanTree(std::vector<HuffmanNode>& nodes);

}  // namespace pravella::edic

struct ZIP_Data {
  std::unique_ptr<pravella::edic::BookFile> stream;
  std::string bookName;  // the book the tree was built for
  std::string bodyPath;  // and its body file and size, so that a changed book is read anew
  int64_t bodySize = 0;
  int64_t slice = 0;
  int position = 0;  // read position in the page buffer, 0-2047
  std::array<unsigned char, 2048> page{};
  uint32_t indexOffset = 0, indexLength = 0, frequencyOffset = 0, frequencyLength = 0;
  std::vector<pravella::edic::HuffmanNode> nodes;
  int root = -1;
};

// The shared state.
ZIP_Data& sharedZipData();
void Initialize_ZIP_Data();
ZIP_Data& Initialize_ZIP_Data_SP(ZIP_Data& state);

// Opens the book's body file; builds the tree unless the state already holds it for the same
// book. 1, or 0 with the state reset.
int eb_zopen_epwzipped(ZIP_Data& state, const std::string& name);
// Closes the stream; the tree stays for the next open of the same book.
int eb_zclose(ZIP_Data& state);

// The file offset where the slice starts, or -1 (outside the index, or a failed read).
int64_t EPWING_V6_targetPointer(pravella::edic::BookFile& stream, int64_t slice, uint32_t indexLength);
// Decodes the slice into the 2048-byte buffer: the number of bytes written, or -1.
int eb_epwunzip_slice(unsigned char* buffer, pravella::edic::BookFile& stream, int64_t slice,
                      uint32_t indexLength, const std::vector<pravella::edic::HuffmanNode>& nodes, int root);

int setNowPosition_EPWING_V6(int64_t slice, int64_t offset, ZIP_Data& state);
int getNowPosition_EPWING_V6(int64_t* slice, int* offset, const ZIP_Data& state);
// Copies count bytes from the read position on, decoding the next slice when the page ends.
int getChar_EPWING_V6(int64_t count, unsigned char* destination, ZIP_Data& state);

int eb_uint1(ZIP_Data& state, uint32_t* value);
int eb_uint2(ZIP_Data& state, uint32_t* value);
int eb_uint4(ZIP_Data& state, uint32_t* value);
int eb_bcd2(ZIP_Data& state, int64_t* value);
int eb_bcd4(ZIP_Data& state, int64_t* value);
int eb_bcd6(ZIP_Data& state, int64_t* value);
