#include "net/edic/book_file.h"

#include <sys/stat.h>

namespace pravella::edic {

std::unique_ptr<BookFile> BookFile::open(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  return std::unique_ptr<BookFile>(new BookFile(file, static_cast<int64_t>(info.st_size), path));
}

BookFile::BookFile(std::FILE* file, int64_t size, std::string path)
    : file_(file), size_(size), path_(std::move(path)) {}

BookFile::~BookFile() { std::fclose(file_); }

bool BookFile::seek(int64_t offset) {
  if (offset < 0 || offset > size_) return false;
  if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  position_ = offset;
  return true;
}

bool BookFile::seekPage(int64_t page, int64_t offset) {
  // Page numbers come from the book: keep the product inside 64 bits before comparing.
  if (page < 1 || offset < 0 || page > size_ / kBookPageSize + 1) return false;
  return seek((page - 1) * kBookPageSize + offset);
}

bool BookFile::read(void* dst, int64_t n) {
  if (n < 0 || n > size_ - position_) return false;
  if (n == 0) return true;
  const std::size_t got = std::fread(dst, 1, static_cast<std::size_t>(n), file_);
  if (got != static_cast<std::size_t>(n)) {
    seek(position_);
    return false;
  }
  position_ += n;
  return true;
}

int64_t bcdValue(const unsigned char* bytes, int n) {
  int64_t value = 0;
  for (int i = 0; i < n; ++i) {
    const int high = bytes[i] >> 4, low = bytes[i] & 0x0F;
    if (high > 10 || low > 10) return 0;
    value = value * 100 + high * 10 + low;
  }
  return value;
}

uint32_t bigEndian(const unsigned char* bytes, int n) {
  uint32_t value = 0;
  for (int i = 0; i < n; ++i) value = value << 8 | bytes[i];
  return value;
}

}  // namespace pravella::edic

int64_t getbcd(pravella::edic::BookFile& stream, int n) {
  unsigned char bytes[8] = {};
  if (n < 0 || n > 8 || !stream.read(bytes, n)) return 0;
  return pravella::edic::bcdValue(bytes, n);
}
