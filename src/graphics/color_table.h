#pragma once
// Colours of the plots: the 256-row false-colour table (the rainbow unless the program has a
// variable "RGB"), the named tables of "popRGBColor", the eight fixed colour numbers and the
// user's named colours read from rgbColor.dat.

#include <QColor>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The default colour table, rows 0..255.
extern const std::array<std::uint8_t, 256> RAINBOW_R;
extern const std::array<std::uint8_t, 256> RAINBOW_G;
extern const std::array<std::uint8_t, 256> RAINBOW_B;

// A 16-bit drawing colour (a table byte shifted left by 8).
struct RGBColor {
  std::uint16_t red = 0, green = 0, blue = 0;
};

// One named colour of rgbColor.dat.
struct UColorRecord {
  char name[60] = {};
  std::int16_t red = 0, green = 0, blue = 0;
};

inline constexpr int kUColorCapacity = 1000;
extern std::vector<UColorRecord> UColor;  // kUColorCapacity records once initUnixColor ran
extern std::int32_t ColorNumber;

// 768 bytes, row after row: from the program variable "RGB" when it exists (each element
// truncated, its low byte kept), else the rainbow table. A variable of fewer than 768
// elements is not a colour table: the rainbow is used then. Returns 1.
int GetRGBColorTable(std::uint8_t table[768]);

// The table "popRGBColor" builds: `type` 5 takes `name`, 3 takes `number`; `out` receives 256
// rows of (red, green, blue). Returns 0 after "No defined color number !" or "Invalid
// arguments.".
int vkColorTable_RGB(const std::string& name, double number, int type, double out[768]);
int DoPopRGBColor(double n, double out[768]);

RGBColor getRGBColorFrom256value(double red, double green, double blue);

// 0 for an empty name, 1..8 for the fixed colours, -(i + 1) for named colour i, else 1.
std::int32_t ColorNameToNum(const std::string& name);
// The drawing colour of a colour reference, and setting it as the current port's foreground.
QColor colorForReference(std::int32_t reference);
int setProgForeColor(std::int32_t reference);

// Reads "rgbColor.dat" from the language's preferences folder into UColor.
void initUnixColor();
// Red, green and blue of the first colour with exactly that name; 128, 128, 128 without one.
int DoGetUnixColor(const std::string& name, double out[3]);
