#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "diary/startup_files.h"
#include "graphics/color_table.h"
#include "graphics/graphics_hooks.h"
#include "platform/paths.h"

namespace pravella {
namespace {

struct Row {
  int k, r, g, b;
};

TEST(ColorTable, RainbowPassesThroughItsDefiningRows) {
  const Row rows[] = {{0, 0, 0, 0},         {19, 100, 0, 97},    {20, 97, 0, 102},  {50, 22, 4, 215},
                      {79, 0, 120, 255},    {129, 0, 255, 95},   {159, 127, 255, 0}, {185, 255, 255, 0},
                      {190, 255, 249, 0},   {191, 255, 255, 0},  {192, 255, 251, 0}, {193, 255, 247, 0},
                      {255, 255, 0, 0}};
  for (const Row& r : rows) {
    EXPECT_EQ(RAINBOW_R[r.k], r.r) << r.k;
    EXPECT_EQ(RAINBOW_G[r.k], r.g) << r.k;
    EXPECT_EQ(RAINBOW_B[r.k], r.b) << r.k;
  }
}

TEST(ColorTable, NamedTablesOfPopRGBColor) {
  double t[768];
  struct Case {
    const char* name;
    int k, r, g, b;
  } cases[] = {
      {"mono", 200, 200, 200, 200}, {"R&B", 10, 20, 20, 252},   {"r&b", 127, 252, 252, 252},
      {"R&B", 130, 252, 250, 250},  {"RR", 5, 255, 250, 250},   {"bb", 5, 250, 250, 255},
      {"GG", 5, 250, 255, 250},     {"RGB", 128, 0, 252, 0},    {"rgb", 10, 0, 7, 230},
      {"blue", 7, 0, 0, 7},         {"Green", 7, 0, 7, 0},      {"rose", 7, 7, 0, 0},
      {"xyz", 20, 97, 0, 102},      {"rainbow", 19, 100, 0, 97},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(vkColorTable_RGB(c.name, 0, 5, t), 1) << c.name;
    EXPECT_EQ(t[3 * c.k], c.r) << c.name;
    EXPECT_EQ(t[3 * c.k + 1], c.g) << c.name;
    EXPECT_EQ(t[3 * c.k + 2], c.b) << c.name;
  }
  ASSERT_EQ(vkColorTable_RGB("", 1, 3, t), 1);
  EXPECT_EQ(t[3 * 9 + 2], 9);
  ASSERT_EQ(vkColorTable_RGB("", 3.7, 3, t), 1);  // truncated to 3
  EXPECT_EQ(t[3 * 200 + 1], 110);
  ASSERT_EQ(vkColorTable_RGB("", 2, 3, t), 1);
  EXPECT_EQ(t[3 * 10 + 2], 245);
  std::string reported;
  graphics::setErrorReporter([&](const std::string& m) { reported = m; });
  EXPECT_EQ(vkColorTable_RGB("", 4, 3, t), 0);
  EXPECT_EQ(reported, "No defined color number !");
  EXPECT_EQ(vkColorTable_RGB("", 0, 20, t), 0);
  EXPECT_EQ(reported, "Invalid arguments.");
  EXPECT_EQ(DoPopRGBColor(1, t), 0);
  graphics::setErrorReporter(nullptr);
}

TEST(ColorTable, ProgramVariableRGBReplacesTheRainbow) {
  std::uint8_t table[768];
  graphics::setVariableReader([](const std::string& name, std::vector<double>& e) {
    if (name != "RGB") return false;
    e.assign(768, 0.0);
    e[3] = 300.9;  // row 1 red: truncated, low byte kept
    return true;
  });
  GetRGBColorTable(table);
  EXPECT_EQ(table[3], 44);
  graphics::setVariableReader([](const std::string&, std::vector<double>& e) {
    e.assign(5, 1.0);  // too short to be a table: the rainbow is used
    return true;
  });
  GetRGBColorTable(table);
  EXPECT_EQ(table[3 * 19], 100);
  graphics::setVariableReader(nullptr);
}

TEST(ColorTable, ColourComponentsShiftBy8Bits) {
  const RGBColor c = getRGBColorFrom256value(255, 1.9, 0);
  EXPECT_EQ(c.red, 0xFF00);
  EXPECT_EQ(c.green, 0x0100);
  EXPECT_EQ(c.blue, 0);
}

TEST(ColorNames, ShippedFileIsInstalledAndRead) {
  ASSERT_TRUE(QDir().mkpath(paths::vkPreferences()));
  ASSERT_TRUE(copyMissingResource("rgbColor.dat", paths::vkPreferences()));
  EXPECT_TRUE(QFile::exists(paths::vkPreferences() + "/rgbColor.dat"));
  initUnixColor();
  EXPECT_GT(ColorNumber, 100);
  double rgb[3];
  DoGetUnixColor("orange", rgb);
  EXPECT_EQ(rgb[0], 255);
  EXPECT_EQ(rgb[1], 165);
  EXPECT_EQ(rgb[2], 0);
  DoGetUnixColor("noSuchColour", rgb);
  EXPECT_EQ(rgb[0], 128);
  EXPECT_EQ(rgb[2], 128);
  EXPECT_EQ(ColorNameToNum(""), 0);
  EXPECT_EQ(ColorNameToNum("black"), 1);
  EXPECT_EQ(ColorNameToNum("white"), 8);
  EXPECT_EQ(ColorNameToNum("Red"), ColorNameToNum("Red"));  // case matters: not the fixed red
  EXPECT_NE(ColorNameToNum("Red"), 2);
  EXPECT_LT(ColorNameToNum("orange"), 0);
  EXPECT_EQ(colorForReference(ColorNameToNum("orange")), QColor(255, 165, 0));
  EXPECT_EQ(ColorNameToNum("noSuchColour"), 1);
}

TEST(ColorNames, UserFileWithLongNamesAndMissingFile) {
  QDir().mkpath(paths::vkPreferences());
  QFile f(paths::vkPreferences() + "/rgbColor.dat");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  const std::string longName(70, 'a');
  f.write(("myGrey 10 20 30\n" + longName + " 1 2 3\nlast 4 5 6\n").c_str());
  f.close();
  initUnixColor();
  double rgb[3];
  DoGetUnixColor("myGrey", rgb);
  EXPECT_EQ(rgb[1], 20);
  DoGetUnixColor("last", rgb);
  EXPECT_EQ(rgb[2], 6);
  for (int i = 0; i < ColorNumber; ++i) EXPECT_LT(std::strlen(UColor[i].name), 60u);
  QFile::remove(paths::vkPreferences() + "/rgbColor.dat");
  initUnixColor();
  EXPECT_EQ(ColorNumber, 0);
  EXPECT_EQ(ColorNameToNum("myGrey"), 1);
}

}  // namespace
}  // namespace pravella
