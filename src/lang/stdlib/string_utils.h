#pragma once
// Small routines over byte strings behind the text built-ins: words and items of a line,
// lines of a text, text between two marker words, sorting of lines, numbers from text, file
// names from path lists, a byte range of a file, field templates, length-prefixed strings and
// form-data decoding. Strings are bytes (no character-set awareness). Results go to the
// caller's std::string; they stay below TNumber x 8 bytes, the size of the buffer they are
// pushed from. Replacement of text (swapTextString) lives with the parser's text services.
//
// Success is 1, failure 0; only getAllStringWithTwoWord and ChangeStringToNumValue report a
// message through error_disp, the other failures are reported by the calling built-in.

#include <cstdint>
#include <cstdio>
#include <string>

// 0 sorts lines in ascending byte order, any other value in descending order.
extern int sortStringDirection;

// The n-th white-space-separated word (from 1); empty with fewer words or n below 1. 0 for an
// empty text.
int getCommandNthArg(const char* text, int n, std::string& out);
// The number of white-space-separated words.
int getCommandArgN(const char* text);

// The file name (the part behind the last "/") of each LF-separated path, one per line,
// without a final LF. A line without "/" is a file name already and is kept whole.
int DoGetFileNameFromFullPathName(const char* paths, std::string& out);

int DoSetSortStringDirection(double direction);
// The LF-separated lines sorted by byte value (each line with its LF); the result ends with LF.
// 1, 0 when the result would not fit, -1 after the break message when the held button stopped it.
int SortString(const char* text, std::string& out);
// The comparison SortString uses: negative, 0 or positive, reversed by sortStringDirection.
int compareString(const std::string& a, const std::string& b);

// Line n (from 1) without its LF; 0 with an empty result when the text has fewer lines.
int DoGetNthString(const char* text, int n, std::string& out);
// The n-th item (runs of bytes other than space, TAB and LF) of the first line; empty when
// the first line has fewer.
int getNtheItemFromString(const char* text, int n, std::string& out);
// Every text between an occurrence of the start word and the next end word, each followed by
// LF. "Too big result!" when that passes the buffer size.
int getAllStringWithTwoWord(const char* text, const char* startWord, const char* endWord, std::string& out);

// The file's bytes from start up to end (as many as there are); 0 when the file does not open,
// the start cannot be reached or the span does not fit the buffer.
int getFileString(const char* path, int32_t start, int32_t end, std::string& out);

// The numbers of a text table (as the built-in "load" reads a file); an empty text is 0.
int ChangeStringToNumValue(const char* text, double* out, int* rows, int* cols);

// The fields of a fixed-column template: each run of one repeated byte from 33 to 127 other
// than "_" is a field, written to `columns` as its first and last column (from 1). Returns the
// number of fields.
int spritString(const char* templ, double* columns);

// Length-prefixed strings (a length byte, then the bytes). cToP refuses (0) a text longer than
// 255 bytes; pToC writes the bytes and a NUL.
int cToP(const char* source, unsigned char* destination);
int pToC(const unsigned char* source, char* destination);

// Appends "/" to a folder name: an empty text stays (1); a text holding "/" is refused (0).
int addCoronToString(std::string& text);
// 1 for the bytes that only separate template fields: outside 33 to 127, or "_".
int checkChar(unsigned char c);

// Form data: bytes up to the stop byte, the end of the stream or the byte budget (counted
// down per byte), without the stop byte.
std::string fmakeword(std::FILE* f, char stop, long* budget);
// "+" to space, in place.
void plustospace(char* text);
// Two hexadecimal digits (either case) to their byte.
char x2c(const char* hex);
// "%" and two hexadecimal digits to their byte, in place; a "%" without two digits stays.
void unescape_url(char* text);
