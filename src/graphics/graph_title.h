#pragma once
// The 30 graph-title slots: a title given by "graphTitle" is drawn on the next recorded
// picture only (its text is emptied when drawn); position, font, size and colour stay.

#include <array>
#include <cstdint>
#include <string>

inline constexpr int kGraphTitleSlots = 30;

extern std::array<std::string, kGraphTitleSlots> graphTitle;       // at most 255 bytes; empty: unused
extern std::array<std::string, kGraphTitleSlots> graphTitleColor;  // colour name, at most 63 bytes
extern std::array<std::string, kGraphTitleSlots> TitleFont;        // font name, at most 63 bytes
extern std::array<std::int16_t, kGraphTitleSlots> TitleFontSize;
extern std::array<std::int32_t, kGraphTitleSlots> graphTitleXpos;  // low 16 bits are the position
extern std::array<std::int32_t, kGraphTitleSlots> graphTitleYpos;

// Empties all texts and colour names, positions (0, 0), every font "Osaka".
void initTitle();

// Draws every slot with a text into the current port and empties that text; afterwards the
// port's text size is 9 and its font the system font. Returns 1.
int DrawTitle();

// The "graphTitle" built-in: `argumentCount` 3 sets size 9 and colour "black"; 4 sets size 9
// and `color`; 6 sets all fields. With 3 or 4 the font stays as it was. Returns 0 for a slot
// outside 0..29.
int setGraphTitle(int slot, const std::string& text, std::int32_t x, std::int32_t y, int argumentCount,
                  const std::string& color = "black", const std::string& font = "", int size = 9);
