#pragma once
// Byte-level conversion between the Japanese encodings of old files, mail and dictionary
// books: Shift_JIS, JIS X 0208 row and cell bytes (raw or inside ISO-2022-JP escapes) and
// EUC-JP, by the standard arithmetic mapping of JIS X 0208 (no tables, no iconv: the
// dictionary readers and the search forms depend on exactly this arithmetic, including its
// treatment of bytes outside the character sets). Also the ASCII case folding of findLine.
//
// The string forms work on NUL-terminated bytes; the in-place ones never lengthen the text.

#include <cstdint>
#include <string>

// True for a Shift_JIS lead byte (0x81-0x9F, 0xE0-0xEF) followed by a trail byte
// (0x40-0x7E, 0x80-0xFC).
bool vkIsSjisPair(unsigned char lead, unsigned char trail);

// A Shift_JIS pair to JIS row and cell, in place.
void sjistojis(unsigned char* pair);
// A JIS row and cell to the Shift_JIS pair, in place.
void jis2sjis_2(unsigned char* row, unsigned char* cell);
// The Shift_JIS code of a JIS code (row in the high byte, cell in the low byte), or 0 when
// the two bytes are not a JIS X 0208 character (row or cell outside 0x21-0x7E).
uint16_t Jis2Sjis(uint16_t jis);
// Shift_JIS pair to EUC-JP and back, in place.
void sjis2euc(unsigned char* first, unsigned char* second);
void euc2sjis(unsigned char* first, unsigned char* second);

// Shift_JIS text to ISO-2022-JP (ESC $ B before two-byte characters, ESC ( B before single
// bytes and at the end). 0 when the result would not stay below TNumber x 8 bytes.
int DoSJIS2JIS(const char* text, std::string& out);
// Shift_JIS text to EUC-JP, in place.
int DoSJIS2EUC(char* text);
// EUC-JP text to Shift_JIS, in place; half-width katakana (0x8E) and JIS X 0212 characters
// (0x8F) stay as they are.
int DoEUC2sJis(char* text);
// Raw JIS X 0208 pairs (no escapes) to Shift_JIS, in place.
int DoJis2sJis(char* text);
// Text in any of the three encodings to Shift_JIS with CR line ends and without the
// end-of-file byte 0x1A. 0 when the result would not stay below TNumber x 8 bytes.
int kanjijidouhenkan(const char* text, std::string& out);

// ASCII A-Z to a-z in place; every other byte (all bytes of multibyte UTF-8 characters) stays.
int changeUpper2Lower(char* text);
