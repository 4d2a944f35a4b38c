#pragma once
// Text, encoding and file services that the language's built-ins and the command bridge call:
// lengths, searches and cuts of UTF-8 text counted in UTF-16 units (as the language has always
// counted characters), the Japanese byte encodings, moving a file, the plain text of an RTFD
// document, the diary path and a file-kind test.
//
// Results go to the caller's buffer. The std::string forms give the text without a terminator;
// the char* forms write it NUL-terminated into a scratch buffer of TNumber x 8 bytes (the size
// every one of them has). A result is written only when it is below the limit named for each
// function; otherwise the function returns 0 and the buffer is left as it was.

#include <string>

int strlenUTF8(const char* text);
int searchStringUTF8(const char* text, const char* pattern);

int leftStringUTF8(const char* text, int n, std::string& out);
int leftStringUTF8(const char* text, int n, char* out);
int rightStringUTF8(const char* text, int n, std::string& out);
int rightStringUTF8(const char* text, int n, char* out);

// UTF-8 to Shift-JIS, ISO-2022-JP or EUC-JP. A character the target cannot hold becomes "?".
int stringToShiftJIS(const char* text, std::string& out);
int stringToShiftJIS(const char* text, char* out);
int stringToJIS(const char* text, std::string& out);
int stringToJIS(const char* text, char* out);
int stringToEUC(const char* text, std::string& out);
int stringToEUC(const char* text, char* out);

// Shift-JIS, ISO-2022-JP or EUC-JP bytes to UTF-8. Bytes that do not decode give the empty
// text (and 1).
int stringFromShiftJIS(const char* bytes, std::string& out);
int stringFromShiftJIS(const char* bytes, char* out);
int stringFromJIS(const char* bytes, std::string& out);
int stringFromJIS(const char* bytes, char* out);
int stringFromEUC(const char* bytes, std::string& out);
int stringFromEUC(const char* bytes, char* out);

// The plain text of an ".rtfd" document (paragraphs and line breaks as "\n", attachments as
// U+FFFC). 0 when the extension is not exactly "rtfd" or the text is more than TNumber bytes;
// a document that cannot be read gives the empty text and 1. The path is used as given.
int getRTFDDocumentFromFilePath(const char* path, std::string& out);
int getRTFDDocumentFromFilePath(const char* path, char* out);

// Moves a file or folder; relative paths are taken in the working folder current_fullPath.
// 1 when moved; 0 when anything is at the target or the move fails.
int moveFileForVK(const char* source, const char* target);

// The home folder + "/Documents/diary".
void getUserDiaryPath(std::string& out);
void getUserDiaryPath(char* out);

// 0 nothing at the path, 1 a file, 2 a folder (symbolic links followed).
int fileExistsAtFullPath(const char* path);

// The colour of date stamps, red, green, blue in 0 .. 1 ((0.3, 0.2, 0.7) at start).
extern float dateFontColor[3];
// Stores the three values only when each lies in 0 .. 1.
void setDateFontColor(double red, double green, double blue);
