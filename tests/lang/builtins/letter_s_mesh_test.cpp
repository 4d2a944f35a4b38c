// "savePlot3Ddata" end to end: the arguments X, Y, Z, C, the range (high, low) and the name
// reach the mesh file in that order; a name that cannot be written fails the built-in.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstring>
#include <string>

#include "graphics/color_table.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/values.h"
#include "support/test_home.h"

namespace {

class SavePlot3Ddata : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    folder = pravella::test::home() + QStringLiteral("/mesh");
    ASSERT_TRUE(QDir().mkpath(folder));
    current_fullPath = folder.toStdString();
  }
  void TearDown() override { current_fullPath.clear(); }
  static std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }
  QByteArray file(const char* name) const {
    QFile f(folder + "/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  static float floatAt(const QByteArray& bytes, int offset) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
      u |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(offset + i))) << (8 * i);
    float f = 0;
    std::memcpy(&f, &u, sizeof f);
    return f;
  }
  QString folder;
};

TEST_F(SavePlot3Ddata, ArgumentsReachTheFileInOrder) {
  // High 4, low 0: C = 4 takes row 255 and C = 0 row 0; Z and C differ so that their places show.
  EXPECT_EQ(run("x = |1, 2| |3, 4|; y = |5, 6| |7, 8|; z = |9, 10| |11, 12|; c = |0, 4| |4, 0|;"
                "savePlot3Ddata(x, y, z, c, |4, 0|, \"m.dat\");"),
            ".OK.\n");
  const QByteArray bytes = file("m.dat");
  ASSERT_EQ(bytes.size(), 124);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(floatAt(bytes, 4 + 12 * k), 1 + k);
    EXPECT_EQ(floatAt(bytes, 8 + 12 * k), 5 + k);
    EXPECT_EQ(floatAt(bytes, 12 + 12 * k), 9 + k);
  }
  std::uint8_t table[768];
  GetRGBColorTable(table);
  const int rows[4] = {0, 255, 255, 0};
  for (int k = 0; k < 4; ++k)
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(floatAt(bytes, 56 + 12 * k + 4 * i), table[3 * rows[k] + i] / 256.0f);
}

TEST_F(SavePlot3Ddata, UnwritableNameFailsTwiceOverAndWritesNothing) {
  // A folder where the file should go cannot be replaced by it.
  ASSERT_TRUE(QDir().mkpath(folder + "/taken.dat"));
  EXPECT_EQ(run("c = |0, 1| |2, 3|; savePlot3Ddata(c, c, c, c, |1, 0|, \"taken.dat\");"),
            "...<Error>...Cannot save \"taken.dat\": a folder of that name is in the way.\n"
            "...<Error>...Can't open the save file.\n...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_TRUE(QFileInfo(folder + "/taken.dat").isDir());
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

}  // namespace
