#pragma once
// One reading interface over the two kinds of book text, so that the searches, headings and
// body conversion are written once: a plain body file read straight from the file, and a
// compressed one read through the slice decoder. A text position is (page, offset): byte
// (page - 1) x 2048 + offset of the file, or of the decoded slices.

#include <cstdint>

#include "net/edic/book_file.h"
#include "net/edic/compressed_text.h"

namespace pravella::edic {

class BookReader {
 public:
  virtual ~BookReader() = default;
  virtual bool seek(int64_t page, int64_t offset) = 0;
  virtual bool read(unsigned char* dst, int64_t n) = 0;
  virtual bool compressed() const = 0;

  bool skip(int64_t n) {
    unsigned char scratch[64];
    while (n > 0) {
      const int64_t step = n < 64 ? n : 64;
      if (!read(scratch, step)) return false;
      n -= step;
    }
    return true;
  }
  bool u1(uint32_t& v) { return number(1, v); }
  bool u2(uint32_t& v) { return number(2, v); }
  bool u4(uint32_t& v) { return number(4, v); }
  bool bcd(int n, int64_t& v) {
    unsigned char b[8];
    if (n > 8 || !read(b, n)) return false;
    v = bcdValue(b, n);
    return true;
  }

 private:
  bool number(int n, uint32_t& v) {
    unsigned char b[4];
    if (!read(b, n)) return false;
    v = bigEndian(b, n);
    return true;
  }
};

class PlainBookReader final : public BookReader {
 public:
  explicit PlainBookReader(BookFile& file) : file_(file) {}
  bool seek(int64_t page, int64_t offset) override { return file_.seekPage(page, offset); }
  bool read(unsigned char* dst, int64_t n) override { return file_.read(dst, n); }
  bool compressed() const override { return false; }

 private:
  BookFile& file_;
};

class CompressedBookReader final : public BookReader {
 public:
  explicit CompressedBookReader(ZIP_Data& state) : state_(state) {}
  bool seek(int64_t page, int64_t offset) override {
    return setNowPosition_EPWING_V6(page, offset, state_) == 1;
  }
  bool read(unsigned char* dst, int64_t n) override { return getChar_EPWING_V6(n, dst, state_) == 1; }
  bool compressed() const override { return true; }

 private:
  ZIP_Data& state_;
};

}  // namespace pravella::edic
