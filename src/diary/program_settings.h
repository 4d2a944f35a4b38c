#pragma once
// Settings of the diary that programs change through built-ins: the remembered text, the
// internet word search switch, the colours of the file, month, index and bookmark tables and of
// the document background, and the shared progress indicator. Programs write them on a run's
// worker thread while the windows read them on the GUI thread.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Whether the backup tool also backs up the preferences (1 at start; "prefBackupNeed").
extern std::uint8_t prefBackupNeedStatua;

// Keeps the text as the remembered string and writes it, UTF-8, atomically to
// "rememberString.txt" in the language preferences folder. False when the file could not be
// written (the text is kept all the same).
bool setRememberString(std::string_view utf8);
std::string rememberString();

// The recent-memo list: the most entries it keeps (sets maxRecentMemo) and the characters that
// keep a memo out of it when its file name begins with one. The calendar reads both when it
// adds a memo.
void setMaxRecentMemo(int count);
void setRenentMemoRejectString(std::string_view utf8);
std::string recentMemoRejectString();

void setInternetWordSearchStatus(unsigned char on);
unsigned char internetWordSearchStatus();

// Red, green, blue floats, one colour after another.
using TableColors12 = std::array<float, 12>;
using TableColors15 = std::array<float, 15>;
using TableColors9 = std::array<float, 9>;
TableColors12 fileTableColor();
TableColors15 monthTableColor();
TableColors12 indexTableColor();
TableColors12 bookMarkTableColor();
TableColors9 DocBGColor();
// Which table a colour write goes to.
enum class ColorTable { File, Month, Index, BookMark, DocBG };
// Stores `count` floats from the start of the table's array (count at most its size).
void setTableColors(ColorTable table, const float* values, int count);

// The shared progress bar: the range, then values; a non-zero value is shown only when at least
// 21 ticks (of 1/60 s) have passed since the bar was last drawn.
void setProcessIndicator(double minimum, double maximum);
void setProcessIndicatorValue(double value);
