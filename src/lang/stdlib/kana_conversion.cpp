#include "lang/stdlib/kana_conversion.h"

#include <array>
#include <cstring>
#include <string_view>

#include "lang/stdlib/kanji_code.h"

namespace {

// Half-width bytes of the katakana cells 0x21-0x76 (the hiragana of row 0x24 share the cells
// up to 0x73). 255: no half-width form (voiced kana, small wa, wi, we, vu, small ka and ke).
constexpr std::array<unsigned char, 86> kKanaHalf = {
    0xa7, 0xb1, 0xa8, 0xb2, 0xa9, 0xb3, 0xaa, 0xb4, 0xab, 0xb5, 0xb6, 0xff, 0xb7, 0xff, 0xb8, 0xff, 0xb9,
    0xff, 0xba, 0xff, 0xbb, 0xff, 0xbc, 0xff, 0xbd, 0xff, 0xbe, 0xff, 0xbf, 0xff, 0xc0, 0xff, 0xc1, 0xff,
    0xaf, 0xc2, 0xff, 0xc3, 0xff, 0xc4, 0xff, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xff, 0xff, 0xcb, 0xff,
    0xff, 0xcc, 0xff, 0xff, 0xcd, 0xff, 0xff, 0xce, 0xff, 0xff, 0xcf, 0xd0, 0xd1, 0xd2, 0xd3, 0xac, 0xd4,
    0xad, 0xd5, 0xae, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xdb, 0xff, 0xdc, 0xff, 0xff, 0xa6, 0xdd, 0xff, 0xff,
    0xff};

// Row 0x21 signs with a half-width form, as (cell, byte).
constexpr std::array<std::pair<unsigned char, unsigned char>, 56> kSignHalf = {{
    {0x21, ' '},  {0x22, 0xa4}, {0x23, 0xa1}, {0x24, ','},  {0x25, '.'},  {0x26, 0xa5}, {0x27, ':'},
    {0x28, ';'},  {0x29, '?'},  {0x2a, '!'},  {0x2b, 0xde}, {0x2c, 0xdf}, {0x2d, '\''}, {0x2e, '`'},
    {0x30, '^'},  {0x31, '~'},  {0x36, '`'},  {0x37, '\''}, {0x3c, '-'},  {0x3d, '-'},  {0x3e, '-'},
    {0x3f, '/'},  {0x40, '\\'}, {0x41, '~'},  {0x46, '`'},  {0x47, '\''}, {0x48, '"'},  {0x49, '"'},
    {0x4a, '('},  {0x4b, ')'},  {0x4c, '['},  {0x4d, ']'},  {0x4e, '['},  {0x4f, ']'},  {0x50, '{'},
    {0x51, '}'},  {0x52, '<'},  {0x53, '>'},  {0x56, 0xa2}, {0x57, 0xa3}, {0x5c, '+'},  {0x5d, '-'},
    {0x61, '='},  {0x63, '<'},  {0x64, '>'},  {0x6c, '\''}, {0x6d, '"'},  {0x70, '$'},  {0x73, '%'},
    {0x74, '#'},  {0x75, '&'},  {0x76, '*'},  {0x77, '@'},  {0x32, '_'},  {0x43, '|'},  {0x6f, '\\'},
}};

// Full-width row-0x21 codes of the ASCII signs 0x21-0x7E that are not letters or digits.
uint16_t fullWidthSign(unsigned char c) {
  switch (c) {
    case '!': return 0x212A;
    case '"': return 0x2149;
    case '#': return 0x2174;
    case '$': return 0x2170;
    case '%': return 0x2173;
    case '&': return 0x2175;
    case '\'': return 0x2147;
    case '(': return 0x214A;
    case ')': return 0x214B;
    case '*': return 0x2176;
    case '+': return 0x215C;
    case ',': return 0x2124;
    case '-': return 0x215D;
    case '.': return 0x2125;
    case '/': return 0x213F;
    case ':': return 0x2127;
    case ';': return 0x2128;
    case '<': return 0x2152;
    case '=': return 0x2161;
    case '>': return 0x2153;
    case '?': return 0x2129;
    case '@': return 0x2177;
    case '[': return 0x214E;
    case '\\': return 0x216F;
    case ']': return 0x214F;
    case '^': return 0x2130;
    case '_': return 0x2132;
    case '`': return 0x212E;
    case '{': return 0x2150;
    case '|': return 0x2143;
    case '}': return 0x2151;
    // The wave dash, which turns back into "~"; the underscore's code would lose the tilde.
    case '~': return 0x2141;
    default: return 0;
  }
}

// Hiragana cells from 0x21 (ぁ .. ん, 83 of them): the offset of the plain kana and of the
// vowel that a following long-vowel mark stands for.
constexpr std::array<unsigned char, 83> kPlain = {
    1,  1,  3,  3,  5,  5,  7,  7,  9,  9,  10, 10, 12, 12, 14, 14, 16, 16, 18, 18, 20,
    20, 22, 22, 24, 24, 26, 26, 28, 28, 30, 30, 32, 32, 35, 35, 35, 37, 37, 39, 39, 41,
    42, 43, 44, 45, 46, 46, 46, 49, 49, 49, 52, 52, 52, 55, 55, 55, 58, 58, 58, 61, 62,
    63, 64, 65, 67, 67, 69, 69, 71, 71, 72, 73, 74, 75, 76, 78, 78, 79, 80, 81, 82};
constexpr std::array<unsigned char, 83> kVowel = {
    1, 1, 3, 3, 5, 5, 7, 7, 9, 9, 1, 1, 3, 3, 5, 5, 7, 7, 9, 9, 1, 1, 3, 3, 5, 5, 7, 7,
    9, 9, 1, 1, 3, 3, 5, 5, 5, 7, 7, 9, 9, 1, 3, 5, 7, 9, 1, 1, 1, 3, 3, 3, 5, 5, 5, 7,
    7, 7, 9, 9, 9, 1, 3, 5, 7, 9, 1, 1, 5, 5, 9, 9, 1, 3, 5, 7, 9, 1, 1, 3, 7, 9, 82};

// UTF-8 kana tables of the same order.
constexpr std::string_view kHiragana =
    "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわゐゑをん"
    "がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉっゃゅょ";
// What toHiragana writes: the same, except that ヂ reads as じ, the spelling kana look-ups use.
constexpr std::string_view kHiraganaTarget =
    "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわゐゑをん"
    "がぎぐげござじずぜぞだじづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉっゃゅょ";
constexpr std::string_view kKatakanaSource =
    "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヰヱヲン"
    "ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポァィゥェォッャュョ";
constexpr std::string_view kKatakanaTarget =
    "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワイエヲン"
    "ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポァィゥェォッャュョ";

// Replaces each three-byte character found in `from` (first match in table order) by the
// character at the same place of `to`.
int replaceKana(std::string& text, std::string_view from, std::string_view to) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length == 3 && i + 3 <= text.size()) {
      const std::string_view ch(text.data() + i, 3);
      for (std::size_t k = 0; k + 3 <= from.size(); k += 3) {
        if (from.substr(k, 3) == ch) {
          text.replace(i, 3, to.substr(k, 3));
          break;
        }
      }
    }
    i += length;
  }
  return 1;
}

bool isAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

unsigned char zen2han(int row, int cell) {
  if (cell < 0x21 || cell > 0x7E) return 255;
  if (row == 0x21) {
    for (const auto& [c, b] : kSignHalf)
      if (c == cell) return b;
    return 255;
  }
  if (row == 0x23) {
    if ((cell >= 0x30 && cell <= 0x39) || (cell >= 0x41 && cell <= 0x5A) || (cell >= 0x61 && cell <= 0x7A))
      return static_cast<unsigned char>(cell);
    return 255;
  }
  if ((row == 0x24 && cell <= 0x73) || (row == 0x25 && cell <= 0x76)) return kKanaHalf[static_cast<std::size_t>(cell - 0x21)];
  return 255;
}

int DoZen2Han(const std::vector<uint16_t>& codes, std::string& out) {
  out.clear();
  for (const uint16_t code : codes) {
    if (code < 256) break;
    out.push_back(static_cast<char>(zen2han(code >> 8, code & 0xFF)));
  }
  return 1;
}

int han2zen(const std::string& text, std::vector<uint16_t>& codes) {
  codes.clear();
  const auto* s = reinterpret_cast<const unsigned char*>(text.c_str());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = s[i];
    if (c >= '0' && c <= '9')
      codes.push_back(static_cast<uint16_t>(0x2330 + (c - '0')));
    else if (c >= 'A' && c <= 'Z')
      codes.push_back(static_cast<uint16_t>(0x2341 + (c - 'A')));
    else if (c >= 'a' && c <= 'z')
      codes.push_back(static_cast<uint16_t>(0x2361 + (c - 'a')));
    else if (c >= 0x21 && c <= 0x7E)
      codes.push_back(fullWidthSign(c));
    else if (c > 0x80 && i + 1 < n && s[i + 1] > 0x3F) {
      codes.push_back(Jis2Sjis(static_cast<uint16_t>(c << 8 | s[i + 1])));
      ++i;
    }
  }
  return 1;
}

void DoHenkanEisuji2ZenkakuJIS(std::string& text, std::vector<uint16_t>& codes) {
  codes.clear();
  for (const char c : text)
    if (!isAsciiLetter(static_cast<unsigned char>(c))) return;
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  han2zen(text, codes);
}

int to_seion(const std::vector<uint16_t>& codes, std::vector<uint16_t>& out) {
  out.clear();
  for (const uint16_t code : codes) {
    if (code < 256) break;
    const int row = code >> 8, cell = code & 0xFF;
    if (row < 0x21 || row > 0x7E) return 0;
    if (row == 0x23) {
      const int upper = cell >= 0x61 && cell <= 0x7A ? cell - 0x20 : cell;
      out.push_back(static_cast<uint16_t>(0x2300 | upper));
    } else if ((row == 0x24 || row == 0x25) && cell >= 0x21) {
      int offset = cell - 0x21;
      if (row == 0x25 && offset > 82) {
        // vu, small ka and small ke have no hiragana of their own.
        if (offset > 85) continue;
        offset = offset == 83 ? 5 : offset == 84 ? 10 : 16;
      }
      if (offset > 82) continue;
      out.push_back(static_cast<uint16_t>(0x2421 + kPlain[static_cast<std::size_t>(offset)]));
    } else if (code == 0x213C && !out.empty()) {
      const uint16_t before = out.back();
      if ((before >> 8) == 0x24) {
        const int offset = (before & 0xFF) - 0x21;
        if (offset >= 0 && offset <= 82) out.push_back(static_cast<uint16_t>(0x2421 + kVowel[static_cast<std::size_t>(offset)]));
      }
    }
  }
  return 1;
}

int toKatakana(std::string& text) { return replaceKana(text, kHiragana, kKatakanaTarget); }

int toHiragana(std::string& text) { return replaceKana(text, kKatakanaSource, kHiraganaTarget); }

int codesub(uint16_t a, uint16_t b) {
  return ((a >> 8) * 94 + (a & 0xFF)) - ((b >> 8) * 94 + (b & 0xFF));
}

namespace pravella {

std::vector<uint16_t> jisCodesOf(const std::string& bytes) {
  std::vector<uint16_t> codes;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const auto hi = static_cast<unsigned char>(bytes[i]);
    const auto lo = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    const auto code = static_cast<uint16_t>(hi << 8 | lo);
    if (code < 256) break;
    codes.push_back(code);
  }
  return codes;
}

std::string bytesOfJisCodes(const std::vector<uint16_t>& codes) {
  std::string out;
  out.reserve(codes.size() * 2);
  for (const uint16_t code : codes) {
    out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
  }
  return out;
}

}  // namespace pravella
