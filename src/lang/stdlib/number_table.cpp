#include "lang/stdlib/number_table.h"

#include <string>

#include "lang/report.h"
#include "lang/stdlib/c_number.h"
#include "lang/values.h"

namespace pravella {
namespace {

class ByteSource {
 public:
  explicit ByteSource(std::FILE* f) : file_(f) {}
  explicit ByteSource(std::string_view text) : text_(text) {}
  int next() {
    if (file_) return std::getc(file_);
    return at_ < text_.size() ? static_cast<unsigned char>(text_[at_++]) : EOF;
  }

 private:
  std::FILE* file_ = nullptr;
  std::string_view text_;
  std::size_t at_ = 0;
};

bool isLineEnd(int c) { return c == '\r' || c == '\n'; }
bool isSeparator(int c) { return c == '\t' || c == ' ' || c == ','; }

int fail(std::string_view message) {
  error_disp(message);
  return 0;
}

// `skipsAfterLineEnd`: line-end bytes passed over at the start of a later line. A file passes
// two (the LF of a CR LF pair and up to one more, so LF files may hold blank lines between
// rows); a string passes one.
int readTable(ByteSource& src, int skipsAfterLineEnd, double* out, int* rows, int* cols) {
  long long stored = 0;
  int columns = 0;
  int rowCount = 0;
  bool laterLine = false;
  std::string token;
  for (;;) {
    int c = src.next();
    if (laterLine) {
      for (int skip = 0; skip < skipsAfterLineEnd && isLineEnd(c); ++skip) c = src.next();
    }
    int items = 0;
    token.clear();
    auto store = [&]() {
      if (stored >= TNumber) return false;
      out[stored++] = cAtof(token);
      token.clear();
      ++items;
      return true;
    };
    for (; c != EOF && !isLineEnd(c); c = src.next()) {
      if (isSeparator(c)) {
        if (!token.empty() && !store()) return fail("Too many datas.");
        continue;
      }
      if (token.size() >= 253) return fail("Too long element.");
      token.push_back(static_cast<char>(c));
    }
    if (!token.empty() && !store()) return fail("Too many datas.");
    // A last line without any item adds nothing; any other line is a row.
    if (c == EOF && items == 0) break;
    ++rowCount;
    if (rowCount == 1) {
      columns = items;
    } else if (items != columns) {
      return fail("Invalid data structure.");
    }
    if (c == EOF) break;
    laterLine = true;
  }
  // A row without items cannot make a matrix.
  if (static_cast<long long>(rowCount) * columns != stored || (rowCount > 0 && columns == 0))
    return fail("Invalid data structure.");
  *rows = rowCount;
  *cols = columns;
  return 1;
}

}  // namespace

int readNumberTableFromFile(std::FILE* f, double* out, int* rows, int* cols) {
  ByteSource src(f);
  return readTable(src, 2, out, rows, cols);
}

int readNumberTableFromText(std::string_view text, double* out, int* rows, int* cols) {
  if (text.empty()) {
    out[0] = 0.0;
    *rows = *cols = 1;
    return 1;
  }
  ByteSource src(text);
  return readTable(src, 1, out, rows, cols);
}

}  // namespace pravella
