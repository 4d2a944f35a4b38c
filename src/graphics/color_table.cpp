#include "graphics/color_table.h"

#include <QFile>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "graphics/graphics_hooks.h"
#include "graphics/offscreen_world.h"
#include "platform/paths.h"

namespace {

// The rainbow's defining rows; the rows between rise or fall in equal steps.
struct Knot {
  int index, r, g, b;
};
constexpr Knot kKnots[] = {
    {0, 0, 0, 0},       {19, 100, 0, 97},   {20, 97, 0, 102},   {39, 50, 0, 200},  {49, 25, 0, 213},
    {50, 22, 4, 215},   {59, 0, 40, 227},   {79, 0, 120, 255},  {80, 0, 124, 251}, {99, 0, 200, 191},
    {100, 0, 201, 188}, {129, 0, 255, 95},  {139, 0, 255, 63},  {140, 6, 255, 60}, {159, 127, 255, 0},
    {179, 255, 255, 0}, {189, 255, 255, 0}, {190, 255, 249, 0}, {191, 255, 255, 0}, {192, 255, 251, 0},
};

std::array<std::uint8_t, 256> rainbow(int channel) {
  std::array<std::uint8_t, 256> out{};
  auto value = [channel](const Knot& k) { return channel == 0 ? k.r : channel == 1 ? k.g : k.b; };
  for (std::size_t i = 0; i + 1 < std::size(kKnots); ++i) {
    const Knot& a = kKnots[i];
    const Knot& b = kKnots[i + 1];
    for (int k = a.index; k <= b.index; ++k) {
      const double t = static_cast<double>(k - a.index) / (b.index - a.index);
      out[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(std::lround(value(a) + t * (value(b) - value(a))));
    }
  }
  // From row 192 to 255 red stays 255, green falls by 4 a row down to 0 and blue stays 0.
  for (int k = 192; k < 256; ++k) {
    const int g = std::max(0, 251 - 4 * (k - 192));
    out[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(channel == 0 ? 255 : channel == 1 ? g : 0);
  }
  return out;
}

// The eight fixed colours as the old drawing system's standard colours draw them.
constexpr QRgb kFixedColors[9] = {
    0,                  // unused: 0 counts as 1
    qRgb(0, 0, 0),      // 1 black
    qRgb(221, 8, 6),    // 2 red
    qRgb(0, 128, 17),   // 3 green
    qRgb(0, 0, 212),    // 4 blue
    qRgb(2, 171, 234),  // 5 cyan
    qRgb(242, 8, 132),  // 6 magenta
    qRgb(252, 243, 5),  // 7 yellow
    qRgb(255, 255, 255) // 8 white
};

constexpr const char* kFixedNames[8] = {"black", "red", "green", "blue", "cyan", "magenta", "yellow", "white"};

void fillTable(double out[768], int (*row)(int k, int channel)) {
  for (int k = 0; k < 256; ++k)
    for (int c = 0; c < 3; ++c) out[3 * k + c] = row(k, c);
}

void fillRainbow(double out[768]) {
  for (int k = 0; k < 256; ++k) {
    out[3 * k] = RAINBOW_R[static_cast<std::size_t>(k)];
    out[3 * k + 1] = RAINBOW_G[static_cast<std::size_t>(k)];
    out[3 * k + 2] = RAINBOW_B[static_cast<std::size_t>(k)];
  }
}

bool isAny(const std::string& s, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (s == n) return true;
  return false;
}

}  // namespace

const std::array<std::uint8_t, 256> RAINBOW_R = rainbow(0);
const std::array<std::uint8_t, 256> RAINBOW_G = rainbow(1);
const std::array<std::uint8_t, 256> RAINBOW_B = rainbow(2);

std::vector<UColorRecord> UColor;
std::int32_t ColorNumber = 0;

int GetRGBColorTable(std::uint8_t table[768]) {
  std::vector<double> rgb;
  if (pravella::graphics::readProgramVariable("RGB", rgb) && rgb.size() >= 768) {
    for (int i = 0; i < 768; ++i) {
      const double v = rgb[static_cast<std::size_t>(i)];
      const long long n = std::isfinite(v) && std::fabs(v) < 9e18 ? static_cast<long long>(v) : 0;
      table[i] = static_cast<std::uint8_t>(n & 0xFF);
    }
    return 1;
  }
  for (int k = 0; k < 256; ++k) {
    table[3 * k] = RAINBOW_R[static_cast<std::size_t>(k)];
    table[3 * k + 1] = RAINBOW_G[static_cast<std::size_t>(k)];
    table[3 * k + 2] = RAINBOW_B[static_cast<std::size_t>(k)];
  }
  return 1;
}

int vkColorTable_RGB(const std::string& name, double number, int type, double out[768]) {
  using pravella::graphics::reportError;
  int n = -1;
  if (type == 3) {
    n = std::isfinite(number) && std::fabs(number) < 2e9 ? static_cast<int>(number) : -1;
  } else if (type != 5) {
    reportError("Invalid arguments.");
    return 0;
  }
  const std::string s = type == 5 ? name : std::string();
  if (isAny(s, {"B&W", "b&w", "mono"}) || n == 1) {
    fillTable(out, [](int k, int) { return k; });
  } else if (isAny(s, {"R&B", "r&b"})) {
    fillTable(out, [](int k, int c) {
      if (k <= 125) return c == 2 ? 252 : 2 * k;
      if (k <= 128) return 252;
      return c == 0 ? 252 : 252 - 2 * (k - 129);
    });
  } else if (isAny(s, {"RR", "rr"})) {
    fillTable(out, [](int k, int c) { return c == 0 ? 255 : 255 - k; });
  } else if (isAny(s, {"BB", "bb"})) {
    fillTable(out, [](int k, int c) { return c == 2 ? 255 : 255 - k; });
  } else if (isAny(s, {"GG", "gg"})) {
    fillTable(out, [](int k, int c) { return c == 1 ? 255 : 255 - k; });
  } else if (isAny(s, {"RGB", "rgb"})) {
    fillTable(out, [](int k, int c) {
      if (c == 2) return k <= 125 ? 250 - 2 * k : 0;
      if (c == 0) return k <= 128 ? 0 : 2 * (k - 129);
      const double d = k - 128;
      return static_cast<int>(252.0 / (d * d / 400.0 + 1.0));
    });
  } else if (s == "rainbow" || n == 0) {
    fillRainbow(out);
  } else if (n == 2) {
    fillTable(out, [](int k, int c) { return c == 0 ? k : c == 1 ? 0 : 255 - k; });
  } else if (n == 3) {
    fillTable(out, [](int k, int c) { return c == 0 ? k : c == 2 ? 255 - k : (k < 128 ? 2 * k : 2 * (255 - k)); });
  } else if (type == 3) {
    reportError("No defined color number !");
    return 0;
  } else if (!s.empty() && (s[0] == 'B' || s[0] == 'b')) {
    fillTable(out, [](int k, int c) { return c == 2 ? k : 0; });
  } else if (!s.empty() && (s[0] == 'G' || s[0] == 'g')) {
    fillTable(out, [](int k, int c) { return c == 1 ? k : 0; });
  } else if (!s.empty() && (s[0] == 'R' || s[0] == 'r')) {
    fillTable(out, [](int k, int c) { return c == 0 ? k : 0; });
  } else {
    fillRainbow(out);
  }
  return 1;
}

int DoPopRGBColor(double n, double out[768]) {
  if (n == 0) {
    fillRainbow(out);
    return 1;
  }
  pravella::graphics::reportError("No defined color number !");
  return 0;
}

RGBColor getRGBColorFrom256value(double red, double green, double blue) {
  auto component = [](double v) {
    const int n = std::isfinite(v) && std::fabs(v) < 2e9 ? static_cast<int>(v) : 0;
    return static_cast<std::uint16_t>(n << 8);
  };
  return {component(red), component(green), component(blue)};
}

std::int32_t ColorNameToNum(const std::string& name) {
  if (name.empty()) return 0;
  for (int i = 0; i < 8; ++i)
    if (name == kFixedNames[i]) return i + 1;
  for (int i = 0; i < ColorNumber && i < static_cast<int>(UColor.size()); ++i)
    if (name == UColor[static_cast<std::size_t>(i)].name) return -(i + 1);
  return 1;
}

QColor colorForReference(std::int32_t reference) {
  if (reference < 0) {
    const std::size_t i = static_cast<std::size_t>(-(reference + 1));
    if (i < UColor.size()) {
      const UColorRecord& c = UColor[i];
      // Each component is multiplied by 256 into 16 bits; a 32-bit pixel keeps the high byte,
      // which is the component's low byte.
      return QColor(qRgb(c.red & 0xFF, c.green & 0xFF, c.blue & 0xFF));
    }
    return QColor(kFixedColors[1]);
  }
  if (reference < 1 || reference > 8) reference = 1;
  return QColor(kFixedColors[reference]);
}

int setProgForeColor(std::int32_t reference) {
  if (pravella::OffScreenWorld* port = pravella::currentPort()) port->setForeColor(colorForReference(reference));
  return 1;
}

void initUnixColor() {
  UColor.assign(kUColorCapacity, UColorRecord{});
  ColorNumber = 0;
  const QByteArray path = QFile::encodeName(pravella::paths::vkPreferences() + QStringLiteral("/rgbColor.dat"));
  std::FILE* file = std::fopen(path.constData(), "r");
  if (!file) return;
  // A name is at most 59 bytes: the field width keeps a longer word from overrunning the
  // record (its rest is read as the next name).
  while (ColorNumber < kUColorCapacity) {
    UColorRecord& record = UColor[static_cast<std::size_t>(ColorNumber)];
    const int got = std::fscanf(file, "%59s%hd%hd%hd", record.name, &record.red, &record.green, &record.blue);
    if (got <= 0) break;
    ++ColorNumber;
  }
  std::fclose(file);
}

int DoGetUnixColor(const std::string& name, double out[3]) {
  for (int i = 0; i < ColorNumber && i < static_cast<int>(UColor.size()); ++i) {
    const UColorRecord& c = UColor[static_cast<std::size_t>(i)];
    if (name == c.name) {
      out[0] = c.red;
      out[1] = c.green;
      out[2] = c.blue;
      return 1;
    }
  }
  out[0] = out[1] = out[2] = 128;
  return 1;
}
