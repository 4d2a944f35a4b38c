#pragma once
// A dictionary book file, read as untrusted data: every read is checked, in 64-bit
// arithmetic, against the size the file had when it was opened, so that a wrong offset or
// count in a book gives a failed read instead of a read outside the file.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace pravella::edic {

// Book files are read as pages of 2048 bytes, numbered from 1.
inline constexpr int64_t kBookPageSize = 2048;

class BookFile {
 public:
  // Opens the file for reading; null when it cannot be opened or is not a regular file.
  static std::unique_ptr<BookFile> open(const std::string& path);
  ~BookFile();
  BookFile(const BookFile&) = delete;
  BookFile& operator=(const BookFile&) = delete;

  int64_t size() const { return size_; }
  int64_t position() const { return position_; }
  const std::string& path() const { return path_; }

  // Moves to a byte of the file (the end itself included).
  bool seek(int64_t offset);
  // Moves to byte (page - 1) x 2048 + offset.
  bool seekPage(int64_t page, int64_t offset);
  // Reads exactly n bytes, or fails and reads nothing.
  bool read(void* dst, int64_t n);
  bool skip(int64_t n) { return seek(position_ + n); }

 private:
  BookFile(std::FILE* file, int64_t size, std::string path);
  std::FILE* file_;
  int64_t size_;
  int64_t position_ = 0;
  std::string path_;
};

// Packed BCD: each byte two decimal digits, high nibble first. A nibble above 10 gives 0.
int64_t bcdValue(const unsigned char* bytes, int n);
uint32_t bigEndian(const unsigned char* bytes, int n);

}  // namespace pravella::edic

// Reads n bytes of packed BCD from the stream; 0 at the end of the file or for a nibble
// above 10.
int64_t getbcd(pravella::edic::BookFile& stream, int n);
