#include "lang/stdlib/file_slots.h"

#include <array>
#include <bit>
#include <climits>
#include <cstring>
#include <string_view>
#include <vector>

#include "lang/report.h"
#include "lang/stdlib/binary_elements.h"
#include "lang/stdlib/c_number.h"
#include "lang/stdlib/file_access.h"
#include "lang/values.h"
#include "lang/variables.h"

FileSlot fileData[kFileSlots];

namespace {

using pravella::ElementKind;

int fail(std::string_view message) {
  error_disp(message);
  return 0;
}

// The slot of an id that must be open; null after the message.
FileSlot* openSlot(unsigned id) {
  if (id >= kFileSlots) {
    error_disp("bad file id");
    return nullptr;
  }
  if (!fileData[id].stream) {
    error_disp("closed file");
    return nullptr;
  }
  return &fileData[id];
}

bool startsWith(const std::string& s, char c) { return !s.empty() && s.front() == c; }

// The element count of a rows x cols matrix; -1 when negative or above TNumber.
long long elementCount(int rows, int cols) {
  const long long n = static_cast<long long>(rows) * cols;
  if (rows < 0 || cols < 0 || n > TNumber) return -1;
  return n;
}

bool isLineEnd(int c) { return c == '\r' || c == '\n'; }
bool isSeparator(int c) { return c == '\t' || c == ' ' || c == ','; }

// A number token of the text readers holds at most this many characters.
constexpr std::size_t kMaxToken = 253;

}  // namespace

void initFileData() {
  // Start-up runs once; a second run (a test harness) must not leak the streams.
  fileAllClose();
}

int fileOpen(unsigned id, const char* path, const char* accessType) {
  if (id >= kFileSlots) return fail("bad file id");
  FileSlot& slot = fileData[id];
  if (slot.stream) return fail("opened file");
  const std::string_view type(accessType);
  const char* refusal;
  if (type == "w" || type == "w+" || type == "wb" || type == "wb+" || type == "rb+") {
    refusal = "Can't Write Open";
  } else if (type == "r" || type == "rb") {
    refusal = "Can't read file.";
  } else if (type == "a" || type == "ab") {
    refusal = "Can't append Open";
  } else {
    return fail("unknown access type");
  }
  std::FILE* f = vk_fopen(path, accessType);
  if (!f) return fail(refusal);
  slot.stream = f;
  slot.name = path;
  slot.mode = type;
  return 1;
}

int fileCheck(const char* path) {
  std::FILE* f = vk_fopen(path, "rb");
  if (!f) return 0;
  std::fclose(f);
  return 1;
}

int fileClose(unsigned id) {
  if (id >= kFileSlots) return fail("bad file id");
  FileSlot& slot = fileData[id];
  if (slot.stream) std::fclose(slot.stream);
  slot = FileSlot{};
  return 1;
}

int fileAllClose() {
  for (FileSlot& slot : fileData) {
    if (slot.stream) std::fclose(slot.stream);
    slot = FileSlot{};
  }
  return 1;
}

int fileSeek(unsigned id, int32_t position) {
  FileSlot* slot = openSlot(id);
  if (!slot) return 0;
  if (position >= 0) {
    std::fseek(slot->stream, position, SEEK_SET);
  } else {
    std::fseek(slot->stream, 0, SEEK_END);
  }
  return 1;
}

int GetFilePosition(unsigned id, double* position) {
  FileSlot* slot = openSlot(id);
  if (!slot) return 0;
  // The whole 64-bit position: files past 2 GB keep their true position.
  const off_t at = ftello(slot->stream);
  if (at < 0) return fail("fails");
  *position = static_cast<double>(at);
  return 1;
}

int fileWriteString(unsigned id, const char* text) {
  FileSlot* slot = openSlot(id);
  if (!slot) return 0;
  if (startsWith(slot->mode, 'r')) return fail("reading file");
  for (const char* p = text; *p; ++p) {
    if (std::fputc(static_cast<unsigned char>(*p), slot->stream) == EOF) return fail("Can't Write");
  }
  if (std::fflush(slot->stream) != 0) return fail("Can't Write");
  return 1;
}

int fileWriteNvalueWithText(unsigned id, const double* values, int rows, int cols) {
  FileSlot* slot = openSlot(id);
  if (!slot) return 0;
  if (startsWith(slot->mode, 'r')) return fail("reading file");
  std::string text;
  if (!vkAppendSavedTable(text, values, rows, cols)) return fail("Invalid save format.");
  if (std::fwrite(text.data(), 1, text.size(), slot->stream) != text.size() || std::fflush(slot->stream) != 0)
    return fail("Can't Write");
  return 1;
}

int fileWriteBinary(unsigned id, const double* values, int rows, int cols, const char* typeName) {
  FileSlot* slot = openSlot(id);
  if (!slot) return 0;
  if (slot->mode == "r" || slot->mode == "rb") return fail("reading file");
  ElementKind kind;
  if (!pravella::elementKindFromName(typeName, &kind)) return fail("unknown file data type");
  const long long n = elementCount(rows, cols);
  if (n < 0) return fail("too big data");
  std::string bytes;
  pravella::encodeElements(values, static_cast<std::size_t>(n), kind, ByteOrderBigEndian != 0, bytes);
  if (std::fwrite(bytes.data(), 1, bytes.size(), slot->stream) != bytes.size() ||
      std::fflush(slot->stream) != 0)
    return fail("Can't Write");
  return 1;
}

int fileReadTextNumber(unsigned id, double* out, int lines, int* rows, int* cols) {
  FileSlot* slot = openSlot(id);
  if (!slot) return 0;
  if (startsWith(slot->mode, 'w') || startsWith(slot->mode, 'a')) return fail("writting file");
  if (lines < 0) return fail("Invalid data structure.");
  std::FILE* f = slot->stream;
  long long stored = 0;
  int columns = 0;
  std::string token;
  auto store = [&]() {
    if (stored >= TNumber) return false;
    out[stored++] = pravella::cAtof(token);
    token.clear();
    return true;
  };
  for (int line = 0; line < lines; ++line) {
    int items = 0;
    token.clear();
    int c = std::getc(f);
    // One CR or LF at the start of a line is the rest of the previous line end (the LF of a
    // CR LF pair) or one empty line after a LF line end.
    if (isLineEnd(c)) c = std::getc(f);
    for (;; c = std::getc(f)) {
      // A line cut off by the end of the file is never a complete row.
      if (c == EOF) return fail("Invalid data structure.");
      if (isLineEnd(c)) {
        // The line end stores the token in hand even when it is empty: a trailing separator
        // gives one more value, 0, and an empty line a row of one 0.
        if (!store()) return fail("Too many data.");
        ++items;
        break;
      }
      if (isSeparator(c)) {
        if (!token.empty()) {
          if (!store()) return fail("Too many data.");
          ++items;
        }
        continue;
      }
      if (token.size() >= kMaxToken) return fail("Too long element.");
      token.push_back(static_cast<char>(c));
    }
    if (line == 0) {
      columns = items;
    } else if (items != columns) {
      return fail("Invalid data structure.");
    }
  }
  if (static_cast<long long>(lines) * columns != stored) return fail("Invalid data structure.");
  *rows = lines;
  *cols = columns;
  return 1;
}

int fileReadBinary(unsigned id, int rows, int cols, double* out, const char* typeName) {
  FileSlot* slot = openSlot(id);
  if (!slot) return 0;
  if (slot->mode == "w") return fail("writting file");
  const long long n = elementCount(rows, cols);
  if (n < 0) return fail("too big data");
  ElementKind kind;
  if (!pravella::elementKindFromName(typeName, &kind)) return fail("unknown file data type");
  std::vector<unsigned char> bytes(static_cast<std::size_t>(n) * pravella::elementSize(kind));
  if (!pravella::readExactly(slot->stream, bytes.data(), bytes.size())) return fail("end of file");
  pravella::decodeElements(bytes.data(), static_cast<std::size_t>(n), kind, ByteOrderBigEndian != 0, out);
  return 1;
}

int fileGetString(unsigned id, std::string& out, int size) {
  FileSlot* slot = openSlot(id);
  if (!slot) return 0;
  if (startsWith(slot->mode, 'w') || startsWith(slot->mode, 'a')) return fail("writting file");
  out.clear();
  int c = 0;  // only a read that meets the end makes "_EOF_"
  while (static_cast<int>(out.size()) < size - 1 && (c = std::getc(slot->stream)) != EOF) {
    out.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  if (out.empty() && c == EOF) out = "_EOF_";
  return 1;
}

int DoGetFileLength(const char* path, double* length) {
  pravella::UniqueFile f = pravella::openLanguageFile(path, "rb");
  if (!f) return fail("Can't read file.");
  if (fseeko(f.get(), 0, SEEK_END) != 0) return fail("Can't read file.");
  const off_t end = ftello(f.get());
  if (end < 0) return fail("Can't read file.");
  *length = static_cast<double>(end);
  return 1;
}

int32_t getFileLength_long(const char* path) {
  pravella::UniqueFile f = pravella::openLanguageFile(path, "rb");
  if (!f) return -1;
  if (fseeko(f.get(), 0, SEEK_END) != 0) return -1;
  const off_t end = ftello(f.get());
  if (end < 0) return -1;
  return end > INT32_MAX ? INT32_MAX : static_cast<int32_t>(end);
}

int DoLoadBinaryDouble(const char* path, int* rows, int* cols, double* out) {
  const int32_t length = getFileLength_long(path);
  if (length < 0) return fail("Can't read file.");
  pravella::UniqueFile f = pravella::openLanguageFile(path, "rb");
  if (!f) return fail("Can't read file.");
  char header[sizeof kDoubleBinaryHeader];
  if (!pravella::readExactly(f.get(), header, sizeof header) ||
      std::memcmp(header, kDoubleBinaryHeader, sizeof header) != 0)
    return fail("illegal type of data_(A)");
  int32_t r = 0, c = 0;
  if (!pravella::readExactly(f.get(), &r, 4) || !pravella::readExactly(f.get(), &c, 4))
    return fail("illegal type of data_(B)");
  // The writer's byte order shows in the sizes: only one order makes the length come out.
  auto fits = [length](int32_t m, int32_t n) { return m >= 0 && n >= 0 && 47 + 8LL * m * n == length; };
  bool reversed = false;
  if (!fits(r, c)) {
    r = static_cast<int32_t>(__builtin_bswap32(static_cast<uint32_t>(r)));
    c = static_cast<int32_t>(__builtin_bswap32(static_cast<uint32_t>(c)));
    if (!fits(r, c)) return fail("illegal type of data_(B)");
    reversed = true;
  }
  const long long n = static_cast<long long>(r) * c;
  if (n > TNumber) return fail("Too big file data.");
  std::vector<unsigned char> bytes(static_cast<std::size_t>(n) * 8);
  if (!pravella::readExactly(f.get(), bytes.data(), bytes.size())) return fail("loadB_read_Error");
  pravella::decodeElements(bytes.data(), static_cast<std::size_t>(n), ElementKind::Double, reversed, out);
  *rows = r;
  *cols = c;
  return 1;
}

int DoLoadBinary_next(const char* path, const char* typeName, int rows, int cols, int32_t offset, double* out,
                      int swap) {
  if (offset < 0 || rows < 0 || cols < 0) return fail("invalid form structure");
  const long long n = elementCount(rows, cols);
  if (n < 0) return fail("Too big file data.");
  pravella::UniqueFile f = pravella::openLanguageFile(path, "rb");
  if (!f) return fail("Can't read file.");
  ElementKind kind;
  if (!pravella::elementKindFromName(typeName, &kind)) return fail("Unknown data type !");
  std::vector<unsigned char> bytes(static_cast<std::size_t>(n) * pravella::elementSize(kind));
  // Elements missing from the file are an error: zeros would pass for data.
  if (std::fseek(f.get(), offset, SEEK_SET) != 0 ||
      !pravella::readExactly(f.get(), bytes.data(), bytes.size()))
    return fail("end of file");
  pravella::decodeElements(bytes.data(), static_cast<std::size_t>(n), kind, swap != 0, out);
  return 1;
}

int DoLoadBinFile(const char* path, const double* form, double* out, int* rows, int* cols) {
  const int32_t offset = vkTruncToInt(form[0]);
  const int32_t r = vkTruncToInt(form[1]);
  const int32_t c = vkTruncToInt(form[2]);
  const int32_t size = vkTruncToInt(form[3]);
  const int32_t order = vkTruncToInt(form[4]);
  const long long n = static_cast<long long>(r) * c;
  if (offset < 0 || r < 0 || c < 0 || (size != 2 && size != 4) || (order != 0 && order != 1) || n > TNumber)
    return fail("invalid form structure");
  pravella::UniqueFile f = pravella::openLanguageFile(path, "rb");
  if (!f) return fail("Can't read file.");
  std::vector<unsigned char> bytes(static_cast<std::size_t>(n) * size);
  if (std::fseek(f.get(), offset, SEEK_SET) != 0 ||
      !pravella::readExactly(f.get(), bytes.data(), bytes.size()))
    return fail("end of file");
  const ElementKind kind = size == 2 ? ElementKind::SignedShort : ElementKind::SignedLong;
  const bool hostIsBig = std::endian::native == std::endian::big;
  const bool fileIsBig = order == 1;
  pravella::decodeElements(bytes.data(), static_cast<std::size_t>(n), kind, hostIsBig != fileIsBig, out);
  *rows = r;
  *cols = c;
  return 1;
}

int DoProgramList(const char* path, std::string& out) {
  pravella::UniqueFile f = pravella::openLanguageFile(path, "r");
  if (!f) return fail("Can't read file.");
  // The text must leave room for its terminator in a buffer of TNumber x 8 bytes.
  const std::size_t limit = static_cast<std::size_t>(TNumber) * 8;
  std::string text;
  char buf[65536];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
    if (text.size() + got >= limit) return fail("File is too big.(type)");
    text.append(buf, got);
  }
  if (std::ferror(f.get())) return fail("Can't read file.");
  out = std::move(text);
  return 1;
}
