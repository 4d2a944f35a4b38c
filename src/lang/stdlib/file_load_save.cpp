#include "lang/stdlib/file_load_save.h"

#include <array>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>
#include <vector>

#include "lang/report.h"
#include "lang/stdlib/binary_elements.h"
#include "lang/stdlib/c_number.h"
#include "lang/stdlib/file_access.h"
#include "lang/stdlib/file_slots.h"
#include "lang/stdlib/number_table.h"
#include "lang/values.h"

namespace {

using pravella::ElementKind;

int fail(std::string_view message) {
  error_disp(message);
  return 0;
}

int save(const char* path, std::string_view bytes, std::int64_t zeros = 0) {
  if (!pravella::writeLanguageFile(path, bytes, zeros)) return fail("Can't open the save file.");
  return 1;
}

template <typename T>
void appendRaw(std::string& out, T value) {
  char b[sizeof(T)];
  std::memcpy(b, &value, sizeof(T));
  out.append(b, sizeof(T));
}

std::string doubleBinary(const double* values, int rows, int cols) {
  std::string bytes(kDoubleBinaryHeader, sizeof kDoubleBinaryHeader);
  appendRaw<int32_t>(bytes, rows);
  appendRaw<int32_t>(bytes, cols);
  bytes.append(reinterpret_cast<const char*>(values), static_cast<std::size_t>(rows) * cols * sizeof(double));
  return bytes;
}

int saveDoubleBinary(const char* path, const double* values, int rows, int cols) {
  if (rows < 1 || cols < 1 || static_cast<long long>(rows) * cols > TNumber)
    return fail("invalid form structure");
  return save(path, doubleBinary(values, rows, cols));
}

// The typed elements of a real or an integer matrix, or false for an unknown type name.
template <typename V>
bool typedElements(const char* typeName, const V* values, std::size_t n, std::string& bytes) {
  ElementKind kind;
  if (!pravella::elementKindFromName(typeName, &kind)) return false;
  const bool reversed = ByteOrderBigEndian != 0;
  if constexpr (std::is_same_v<V, double>) {
    pravella::encodeElements(values, n, kind, reversed, bytes);
    return true;
  } else {
    return pravella::encodeIntElements(values, n, kind, reversed, bytes);
  }
}

template <typename V>
int saveTyped(const char* path, const char* typeName, const V* values, int rows, int cols, int64_t offset,
              bool rewrite) {
  if (offset < 0 || rows < 1 || cols < 1 || static_cast<long long>(rows) * cols > TNumber)
    return fail("invalid form structure");
  std::string content;
  if (rewrite) {
    // The file must exist; the span written replaces its bytes, the rest stays.
    pravella::UniqueFile f = pravella::openLanguageFile(path, "rb");
    if (!f || !pravella::readRest(f.get(), content)) return fail("Can't open the save file.");
  }
  std::string elements;
  if (!typedElements(typeName, values, static_cast<std::size_t>(rows) * cols, elements))
    return fail("Unknown data type !");
  // A new file holds zeros up to the offset: a hole, however far the offset.
  if (!rewrite) return save(path, elements, offset);
  try {
    const std::size_t at = static_cast<std::size_t>(offset);
    if (content.size() < at + elements.size()) content.resize(at + elements.size(), '\0');
    content.replace(at, elements.size(), elements);
  } catch (const std::exception&) {  // out of memory, or past the largest string
    return fail("Can't open the save file.");
  }
  return save(path, content);
}

}  // namespace

int DoLoadNumvalue(const char* path, double* out, int* rows, int* cols, int32_t offset) {
  pravella::UniqueFile f = pravella::openLanguageFile(path, "r");
  if (!f) return fail("Can't read file.");
  std::fseek(f.get(), offset, SEEK_SET);
  return pravella::readNumberTableFromFile(f.get(), out, rows, cols);
}

int DoLoadFixedTextData(const char* path, double* out, int* rows, int* cols, const double* fields, int n) {
  // A line is gathered into 2048 bytes; fields must lie inside that buffer.
  constexpr int kLineBuffer = 2048;
  if (n < 1 || n > TNumber) return fail("invalid form structure");
  std::vector<std::pair<int, int>> spans;
  for (int k = 0; k < n; ++k) {
    const int first = vkTruncToInt(fields[2 * k]);
    const int last = vkTruncToInt(fields[2 * k + 1]);
    if (first < 1 || last < first || last > kLineBuffer) return fail("invalid form structure");
    spans.emplace_back(first - 1, last);
  }
  pravella::UniqueFile f = pravella::openLanguageFile(path, "r");
  if (!f) return fail("Can't read file.");
  std::array<char, kLineBuffer> line{};
  int length = 0;
  long long stored = 0;
  int rowCount = 0;
  for (int c = std::getc(f.get()); c != EOF; c = std::getc(f.get())) {
    // The line end is kept in the buffer, and at least one zero must follow it.
    if (length >= kLineBuffer - 1) return fail("line buffer is overflow.");
    line[length++] = static_cast<char>(c);
    if (c != '\r' && c != '\n') continue;
    // Each CR and each LF ends a line by itself: a CR LF file has an empty line after each.
    if (stored + n > TNumber) return fail("Too many datas.");
    for (const auto& [from, to] : spans)
      out[stored++] =
          pravella::cAtof(std::string_view(line.data() + from, static_cast<std::size_t>(to - from)));
    ++rowCount;
    line.fill('\0');
    length = 0;
  }
  *rows = rowCount;
  *cols = n;
  return 1;
}

int DoSaveNumValue(const char* path, const double* values, int rows, int cols) {
  std::string text;
  if (!vkAppendSavedTable(text, values, rows, cols)) return fail("Invalid save format.");
  return save(path, text);
}

int DoSaveStrValue(const char* path, const char* text) {
  return save(path, std::string_view(text, std::strlen(text) + 1));
}

int DoSaveProgram(const char* path, const char* text) { return DoSaveStrValue(path, text); }

int DoSaveBinaryDouble(const char* path, const double* values, int rows, int cols) {
  return saveDoubleBinary(path, values, rows, cols);
}

int DoSaveBinaryDoubleForBlock(const char* path, const double* values, int rows, int cols) {
  return saveDoubleBinary(path, values, rows, cols);
}

int DoLoadBinaryDoubleForBlockk(const char* path, int* rows, int* cols, double* out) {
  pravella::UniqueFile f = pravella::openLanguageFile(path, "rb");
  if (!f) return fail("Can't read file.");
  char header[sizeof kDoubleBinaryHeader];
  int32_t r = 0, c = 0;
  if (!pravella::readExactly(f.get(), header, sizeof header) ||
      std::memcmp(header, kDoubleBinaryHeader, sizeof header) != 0 ||
      !pravella::readExactly(f.get(), &r, 4) || !pravella::readExactly(f.get(), &c, 4) || r < 0 || c < 0)
    return fail("illegal type of data");
  const long long n = static_cast<long long>(r) * c;
  if (n > TNumber) return fail("Too big file data.");
  // A file shorter than its sizes say is damaged: zeros would pass for its data.
  if (!pravella::readExactly(f.get(), out, static_cast<std::size_t>(n) * sizeof(double)))
    return fail("end of file");
  *rows = r;
  *cols = c;
  return 1;
}

int DoSaveBinary(const char* path, const char* typeName, const double* values, int rows, int cols,
                 int64_t offset) {
  return saveTyped(path, typeName, values, rows, cols, offset, false);
}

int DoSaveBinary_Int(const char* path, const char* typeName, const int32_t* values, int rows, int cols,
                     int64_t offset) {
  return saveTyped(path, typeName, values, rows, cols, offset, false);
}

int DoSaveBinaryReWrite(const char* path, const char* typeName, const double* values, int rows, int cols,
                        int64_t offset) {
  return saveTyped(path, typeName, values, rows, cols, offset, true);
}

int DoSaveBinaryReWrite_Int(const char* path, const char* typeName, const int32_t* values, int rows, int cols,
                            int64_t offset) {
  return saveTyped(path, typeName, values, rows, cols, offset, true);
}

int DoSaveStringForBlock(const char* path, const char* text) {
  const std::size_t length = std::strlen(text);
  std::string bytes(kBlockStringHeader, sizeof kBlockStringHeader);
  appendRaw<int32_t>(bytes, static_cast<int32_t>(length + 1));
  bytes.append(text, length + 1);
  return save(path, bytes);
}

int DoLoadStringForBlock(const char* path, std::string& out) {
  pravella::UniqueFile f = pravella::openLanguageFile(path, "rb");
  if (!f) return fail("Can't open the load file.");
  char header[sizeof kBlockStringHeader];
  int32_t n = 0;
  // The stored length must fit the caller's buffer of TNumber x 8 bytes.
  if (!pravella::readExactly(f.get(), header, sizeof header) ||
      std::memcmp(header, kBlockStringHeader, sizeof header) != 0 || !pravella::readExactly(f.get(), &n, 4) ||
      n < 1 || static_cast<long long>(n) > static_cast<long long>(TNumber) * 8)
    return fail("illegal type of data");
  std::string bytes(static_cast<std::size_t>(n), '\0');
  if (!pravella::readExactly(f.get(), bytes.data(), bytes.size())) return fail("end of file");
  // The string ends at its NUL.
  bytes.resize(std::strlen(bytes.c_str()));
  out = std::move(bytes);
  return 1;
}
