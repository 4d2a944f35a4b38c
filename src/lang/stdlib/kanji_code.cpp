#include "lang/stdlib/kanji_code.h"

#include <cstring>
#include <string_view>

#include "lang/values.h"

namespace {

constexpr unsigned char kEsc = 0x1B;

bool isJisByte(unsigned c) { return c >= 0x21 && c <= 0x7E; }
bool isEucByte(unsigned c) { return c >= 0xA1 && c <= 0xFE; }

bool fitsScratch(std::size_t bytes) { return bytes < static_cast<std::size_t>(TNumber) * 8; }

unsigned char* bytes(char* text) { return reinterpret_cast<unsigned char*>(text); }

}  // namespace

bool vkIsSjisPair(unsigned char lead, unsigned char trail) {
  const bool leadOk = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF);
  const bool trailOk = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
  return leadOk && trailOk;
}

void sjistojis(unsigned char* pair) {
  unsigned char row = pair[0];
  unsigned char cell = pair[1];
  row = static_cast<unsigned char>(row < 0xA0 ? 2 * (row - 112) - 1 : 2 * (row - 176) - 1);
  // The trail bytes skip 0x7F, so the ones above it stand one lower.
  if (cell > 0x7E) --cell;
  if (cell >= 158) {
    ++row;
    cell = static_cast<unsigned char>(cell - 125);
  } else {
    cell = static_cast<unsigned char>(cell - 31);
  }
  pair[0] = row;
  pair[1] = cell;
}

void jis2sjis_2(unsigned char* row, unsigned char* cell) {
  unsigned c = *cell + ((*row & 1) ? 31u : 125u);
  if (c > 0x7E) ++c;
  *cell = static_cast<unsigned char>(c);
  *row = static_cast<unsigned char>((*row + 1) / 2 + (*row <= 94 ? 112 : 176));
}

uint16_t Jis2Sjis(uint16_t jis) {
  unsigned char row = static_cast<unsigned char>(jis >> 8);
  unsigned char cell = static_cast<unsigned char>(jis & 0xFF);
  if (!isJisByte(row) || !isJisByte(cell)) return 0;
  jis2sjis_2(&row, &cell);
  return static_cast<uint16_t>(row << 8 | cell);
}

void sjis2euc(unsigned char* first, unsigned char* second) {
  unsigned char pair[2] = {*first, *second};
  sjistojis(pair);
  *first = static_cast<unsigned char>(pair[0] | 0x80);
  *second = static_cast<unsigned char>(pair[1] | 0x80);
}

void euc2sjis(unsigned char* first, unsigned char* second) {
  *first &= 0x7F;
  *second &= 0x7F;
  jis2sjis_2(first, second);
}

int DoSJIS2JIS(const char* text, std::string& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  std::string result;
  bool twoByte = false;
  for (std::size_t i = 0; p[i]; ++i) {
    if (p[i + 1] && vkIsSjisPair(p[i], p[i + 1])) {
      if (!twoByte) result += "\x1B$B";
      twoByte = true;
      unsigned char pair[2] = {p[i], p[i + 1]};
      sjistojis(pair);
      result.append(reinterpret_cast<const char*>(pair), 2);
      ++i;
    } else {
      if (twoByte) result += "\x1B(B";
      twoByte = false;
      result.push_back(static_cast<char>(p[i]));
    }
    if (!fitsScratch(result.size() + 3)) return 0;
  }
  if (twoByte) result += "\x1B(B";
  out = std::move(result);
  return 1;
}

int DoSJIS2EUC(char* text) {
  unsigned char* p = bytes(text);
  for (std::size_t i = 0; p[i]; ++i) {
    if (p[i + 1] && vkIsSjisPair(p[i], p[i + 1])) {
      sjis2euc(&p[i], &p[i + 1]);
      ++i;
    }
  }
  return 1;
}

int DoEUC2sJis(char* text) {
  unsigned char* p = bytes(text);
  for (std::size_t i = 0; p[i];) {
    if (p[i] == 0x8E || p[i] == 0x8F) {
      // A half-width katakana (0x8E + 1 byte) or a JIS X 0212 character (0x8F + 2 bytes) has
      // no Shift_JIS pair; its bytes must not be read as a pair of their own.
      const std::size_t length = p[i] == 0x8E ? 2 : 3;
      std::size_t k = 1;
      while (k < length && p[i + k]) ++k;
      i += k;
    } else if (isEucByte(p[i]) && isEucByte(p[i + 1])) {
      euc2sjis(&p[i], &p[i + 1]);
      i += 2;
    } else {
      ++i;
    }
  }
  return 1;
}

int DoJis2sJis(char* text) {
  unsigned char* p = bytes(text);
  for (std::size_t i = 0; p[i];) {
    const uint16_t sjis = p[i + 1] ? Jis2Sjis(static_cast<uint16_t>(p[i] << 8 | p[i + 1])) : 0;
    if (sjis) {
      p[i] = static_cast<unsigned char>(sjis >> 8);
      p[i + 1] = static_cast<unsigned char>(sjis & 0xFF);
      i += 2;
    } else {
      ++i;
    }
  }
  return 1;
}

namespace {

struct Escape {
  std::string_view bytes;
  bool twoByte;
};

// The escape sequences of ISO-2022-JP and its older forms, longest first where one begins
// another.
constexpr Escape kEscapes[] = {
    {"\x1B&@\x1B$B", true}, {"\x1B$(D", true}, {"\x1B$@", true},  {"\x1B$B", true},
    {"\x1B(J", false},      {"\x1B(H", false}, {"\x1B(B", false}, {"\x1B(I", false},
};

bool holdsEscape(std::string_view text) {
  for (const Escape& e : kEscapes) {
    if (text.find(e.bytes) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

int kanjijidouhenkan(const char* text, std::string& out) {
  const std::string_view in(text);
  std::string result;
  // A CR LF pair gives one CR: an LF directly after a CR of the input is dropped. (Tracked on
  // the input, since a converted pair may end in a byte that looks like CR.)
  bool afterCr = false;
  auto put = [&](unsigned char c) {
    if (c == 0x1A) return;
    if (c == '\n') {
      if (!afterCr) result.push_back('\r');
      afterCr = false;
      return;
    }
    afterCr = c == '\r';
    result.push_back(static_cast<char>(c));
  };
  if (holdsEscape(in)) {
    bool twoByte = false;
    for (std::size_t i = 0; i < in.size();) {
      if (static_cast<unsigned char>(in[i]) == kEsc) {
        bool known = false;
        for (const Escape& e : kEscapes) {
          if (in.substr(i, e.bytes.size()) == e.bytes) {
            twoByte = e.twoByte;
            i += e.bytes.size();
            known = true;
            break;
          }
        }
        if (!known) {
          twoByte = false;
          ++i;
        }
        continue;
      }
      const auto c = static_cast<unsigned char>(in[i]);
      if (twoByte && c >= 0x21 && i + 1 < in.size() && static_cast<unsigned char>(in[i + 1]) >= 0x21) {
        unsigned char row = c;
        unsigned char cell = static_cast<unsigned char>(in[i + 1]);
        jis2sjis_2(&row, &cell);
        result.push_back(static_cast<char>(row));
        result.push_back(static_cast<char>(cell));
        afterCr = false;
        i += 2;
      } else {
        put(c);
        ++i;
      }
      if (!fitsScratch(result.size())) return 0;
    }
  } else {
    std::string copy(in);
    bool shiftJis = false;
    for (unsigned char c : copy) {
      if (c >= 0x81 && c <= 0xA0) {
        shiftJis = true;
        break;
      }
    }
    if (!shiftJis) DoEUC2sJis(copy.data());
    for (unsigned char c : copy) put(c);
    if (!fitsScratch(result.size())) return 0;
  }
  out = std::move(result);
  return 1;
}

int changeUpper2Lower(char* text) {
  for (unsigned char* p = bytes(text); *p; ++p) {
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<unsigned char>(*p - 'A' + 'a');
  }
  return 1;
}
