#pragma once
// Settings of the diary that programs change through built-ins: the remembered text, the
// internet word search switch, the colours of the file, month, index and bookmark tables and of
// the document background. Programs write them on a run's worker thread while the windows read
// them on the GUI thread. The shared progress indicator (setProcessIndicator and
// setProcessIndicatorValue) lives in platform/progress_bar.h, so that every library reports to
// it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/progress_bar.h"

// Whether the backup tool also backs up the preferences (1 at start; "prefBackupNeed").
extern std::uint8_t prefBackupNeedStatua;

// Keeps the text as the remembered string and writes it, UTF-8, atomically to
// "rememberString.txt" in the language preferences folder, and posts "rememberStringChanged"
// with it, so that the windows use it at once. False when the file could not be written (the
// text is kept all the same).
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
