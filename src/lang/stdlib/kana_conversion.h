#pragma once
// Conversions between ASCII, full-width JIS X 0208 codes, half-width (JIS X 0201) katakana,
// hiragana and katakana, for search keys and the language's width and kana built-ins. A JIS
// code is a 16-bit value, row in the high byte and cell in the low byte; in a byte string the
// row byte comes first.

#include <cstdint>
#include <string>
#include <vector>

// The half-width byte of a full-width code, or 255 when it has none.
unsigned char zen2han(int row, int cell);

// One half-width byte per code (255 for a code without one) up to the first code below 256.
// Returns 1.
int DoZen2Han(const std::vector<uint16_t>& codes, std::string& out);

// Each byte 0x21-0x7E becomes its full-width code; a byte above 0x80 followed by a byte above
// 0x3F is taken as one two-byte code and kept as its Shift-JIS value; other bytes (the blank
// included) are dropped. Returns 1.
int han2zen(const std::string& text, std::vector<uint16_t>& codes);

// When every byte is an ASCII letter: upper-cases `text` in place and converts it with han2zen;
// otherwise `codes` stays empty.
void DoHenkanEisuji2ZenkakuJIS(std::string& text, std::vector<uint16_t>& codes);

// The plain hiragana reading used for kana matching (voiced and small kana to plain, katakana
// to hiragana, the long-vowel mark to the vowel before it, letters to capitals; other codes
// dropped) of the codes up to the first below 256. 0 for a code whose row lies outside
// 0x21-0x7E.
int to_seion(const std::vector<uint16_t>& codes, std::vector<uint16_t>& out);

// Hiragana to katakana and back in UTF-8 text, in place (both are three bytes in UTF-8).
int toKatakana(std::string& text);
int toHiragana(std::string& text);

// The number of JIS cells from b to a, counting 94 cells per row: how far a glyph code lies
// from the first code of a font.
int codesub(uint16_t a, uint16_t b);

namespace pravella {

// The 16-bit codes of a byte string read as pairs (row byte first); an odd last byte is
// paired with 0. Stops before the first code below 256.
std::vector<uint16_t> jisCodesOf(const std::string& bytes);
// The codes as bytes, row byte first.
std::string bytesOfJisCodes(const std::vector<uint16_t>& codes);

}  // namespace pravella
