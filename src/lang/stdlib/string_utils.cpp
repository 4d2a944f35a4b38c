#include "lang/stdlib/string_utils.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "lang/report.h"
#include "lang/stdlib/breakable_sort.h"
#include "lang/stdlib/file_access.h"
#include "lang/stdlib/number_table.h"
#include "lang/values.h"

int sortStringDirection = 0;

namespace {

std::size_t bufferBytes() { return static_cast<std::size_t>(TNumber > 0 ? TNumber : 0) * 8; }

// Words as a white-space-delimited scan ("%s") reads them.
std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> result;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i >= text.size()) break;
    const std::size_t start = i;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    result.push_back(text.substr(start, i - start));
  }
  return result;
}

// The lines of a text, each with its LF (one is supplied after a last line without it).
std::vector<std::string> linesWithLf(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t lf = text.find('\n', at);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    lines.emplace_back(text.substr(at, end - at));
    lines.back() += '\n';
    at = end + 1;
  }
  return lines;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int getCommandNthArg(const char* text, int n, std::string& out) {
  if (!*text) return 0;
  const std::vector<std::string_view> w = words(text);
  out.clear();
  if (n >= 1 && static_cast<std::size_t>(n) <= w.size()) out = w[static_cast<std::size_t>(n) - 1];
  return 1;
}

int getCommandArgN(const char* text) { return static_cast<int>(words(text).size()); }

int DoGetFileNameFromFullPathName(const char* paths, std::string& out) {
  // Lines are taken in pieces of at most 255 bytes, as a 256-byte line buffer reads them.
  constexpr std::size_t kPiece = 255;
  std::string result;
  const std::string_view text(paths);
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t lf = text.find('\n', at);
    const std::size_t lineEnd = lf == std::string_view::npos ? text.size() : lf;
    for (std::size_t p = at; p < lineEnd; p += kPiece) {
      const std::string_view piece = text.substr(p, std::min(kPiece, lineEnd - p));
      const std::size_t slash = piece.rfind('/');
      result += slash == std::string_view::npos ? piece : piece.substr(slash + 1);
      result += '\n';
    }
    at = lineEnd + 1;
  }
  if (!result.empty()) result.pop_back();
  if (result.size() >= bufferBytes()) return 0;
  out = std::move(result);
  return 1;
}

int DoSetSortStringDirection(double direction) {
  sortStringDirection = vkTruncToInt(direction);
  return 1;
}

int compareString(const std::string& a, const std::string& b) {
  // Byte order as the C string comparison has it (unsigned bytes).
  const int c = a.compare(b);
  const int sign = (c > 0) - (c < 0);
  return sortStringDirection ? -sign : sign;
}

int SortString(const char* text, std::string& out) {
  std::vector<std::string> lines = linesWithLf(text);
  try {
    std::uint32_t calls = 0;
    std::stable_sort(
        lines.begin(), lines.end(),
        pravella::numerics::breakableLess(
            [](const std::string& a, const std::string& b) { return compareString(a, b) < 0; }, calls));
  } catch (const pravella::numerics::SortBroken&) {
    error_disp(kVkBreakMessage);
    return -1;
  }
  std::string result;
  for (const std::string& line : lines) result += line;
  if (result.size() >= bufferBytes()) return 0;
  out = std::move(result);
  return 1;
}

int DoGetNthString(const char* text, int n, std::string& out) {
  out.clear();
  const std::vector<std::string> lines = linesWithLf(text);
  if (n < 1 || static_cast<std::size_t>(n) > lines.size()) return 0;
  out = lines[static_cast<std::size_t>(n) - 1];
  out.pop_back();
  return 1;
}

int getNtheItemFromString(const char* text, int n, std::string& out) {
  out.clear();
  if (n < 1) return 1;
  const std::string_view t(text);
  int index = 0;
  std::size_t i = 0;
  while (i < t.size() && t[i] != '\n') {
    if (t[i] == ' ' || t[i] == '\t') {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < t.size() && t[i] != ' ' && t[i] != '\t' && t[i] != '\n') ++i;
    if (++index == n) {
      out = t.substr(start, i - start);
      return 1;
    }
  }
  return 1;
}

int getAllStringWithTwoWord(const char* text, const char* startWord, const char* endWord, std::string& out) {
  const std::string_view t(text), start(startWord), end(endWord);
  std::string result;
  // An empty word is found nowhere: it would otherwise match everywhere and never advance.
  std::size_t at = 0;
  while (!start.empty() && !end.empty()) {
    const std::size_t s = t.find(start, at);
    if (s == std::string_view::npos) break;
    const std::size_t from = s + start.size();
    const std::size_t e = t.find(end, from);
    if (e == std::string_view::npos) break;
    result.append(t.substr(from, e - from));
    result += '\n';
    if (result.size() >= bufferBytes()) {
      error_disp("Too big result!");
      return 0;
    }
    at = e + end.size();
  }
  out = std::move(result);
  return 1;
}

int getFileString(const char* path, int32_t start, int32_t end, std::string& out) {
  pravella::UniqueFile f = pravella::openLanguageFile(path, "rb");
  if (!f) return 0;
  if (start < 0 || std::fseek(f.get(), start, SEEK_SET) != 0) return 0;
  const long long span = end > start ? static_cast<long long>(end) - start : 0;
  if (static_cast<unsigned long long>(span) >= bufferBytes()) return 0;
  std::string bytes(static_cast<std::size_t>(span), '\0');
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f.get()));
  out = std::move(bytes);
  return 1;
}

int ChangeStringToNumValue(const char* text, double* out, int* rows, int* cols) {
  return pravella::readNumberTableFromText(text, out, rows, cols);
}

int spritString(const char* templ, double* columns) {
  const auto* t = reinterpret_cast<const unsigned char*>(templ);
  int fields = 0;
  for (std::size_t i = 0; t[i];) {
    if (checkChar(t[i])) {
      ++i;
      continue;
    }
    // Each field takes two numbers of a buffer of TNumber.
    if (2LL * (fields + 1) > TNumber) break;
    const std::size_t first = i;
    while (t[i] == t[first]) ++i;
    columns[2 * fields] = static_cast<double>(first + 1);
    columns[2 * fields + 1] = static_cast<double>(i);
    ++fields;
  }
  return fields;
}

int cToP(const char* source, unsigned char* destination) {
  const std::size_t n = std::strlen(source);
  if (n > 255) return 0;
  destination[0] = static_cast<unsigned char>(n);
  std::memcpy(destination + 1, source, n);
  return 1;
}

int pToC(const unsigned char* source, char* destination) {
  std::memcpy(destination, source + 1, source[0]);
  destination[source[0]] = '\0';
  return 1;
}

int addCoronToString(std::string& text) {
  if (text.empty()) return 1;
  if (text.find('/') != std::string::npos) return 0;
  text += '/';
  return 1;
}

int checkChar(unsigned char c) { return c < 33 || c > 127 || c == '_'; }

std::string fmakeword(std::FILE* f, char stop, long* budget) {
  std::string word;
  while (*budget > 0) {
    const int c = std::getc(f);
    --*budget;
    if (c == EOF || c == static_cast<unsigned char>(stop)) break;
    word.push_back(static_cast<char>(c));
  }
  return word;
}

void plustospace(char* text) {
  for (char* p = text; *p; ++p) {
    if (*p == '+') *p = ' ';
  }
}

char x2c(const char* hex) {
  const int high = hexDigit(hex[0]);
  const int low = hexDigit(hex[1]);
  return static_cast<char>((high < 0 ? 0 : high) * 16 + (low < 0 ? 0 : low));
}

void unescape_url(char* text) {
  char* to = text;
  for (const char* from = text; *from; ++from) {
    if (*from == '%' && hexDigit(from[1]) >= 0 && hexDigit(from[2]) >= 0) {
      *to++ = x2c(from + 1);
      from += 2;
    } else {
      *to++ = *from;
    }
  }
  *to = '\0';
}
