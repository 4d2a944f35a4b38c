// Neural units against their closed forms, and rotator files: their numbering, lines and
// colour codes, and the hand-over to the desktop opener (a recording fake on PATH).

#include "lang/stdlib/neural_units.h"
#include "lang/stdlib/rotator_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lang/lang_fixture.h"
#include "support/test_home.h"

namespace {

TEST(NeuralUnits, LogisticUnitsAndTheirSums) {
  EXPECT_DOUBLE_EQ(neuroFunc(0), 0.5);
  EXPECT_DOUBLE_EQ(neuroDifFunc(0), 0.25);
  EXPECT_NEAR(neuroFunc(2), 1 / (1 + std::exp(-2.0)), 1e-15);
  const std::vector<double> e = {1, -2}, u = {0, 1};
  std::vector<double> d(2), o(2);
  neuroDelta(e.data(), u.data(), 2, d.data());
  neuroOut(u.data(), 2, o.data());
  EXPECT_DOUBLE_EQ(d[0], 0.25);
  EXPECT_NEAR(d[1], -2 * o[1] * (1 - o[1]), 1e-15);

  // neuroDif is neuroNet with the transposed weights.
  const int m = 3, n = 2;
  const std::vector<double> w = {1, 2, 3, 4, 5, 6}, x = {0.5, -1}, delta = {1, 0.5, -2};
  std::vector<double> sums(m), back(n), viaNet(n), transposed(n * m);
  neuroNet(x.data(), w.data(), m, n, sums.data());
  EXPECT_EQ(sums, (std::vector<double>{-1.5, -2.5, -3.5}));
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < n; ++j) transposed[j * m + i] = w[i * n + j];
  neuroDif(delta.data(), w.data(), m, n, back.data());
  neuroNet(delta.data(), transposed.data(), n, m, viaNet.data());
  EXPECT_EQ(back, viaNet);
}

class RotatorFiles : public LangTest {
 protected:
  void SetUp() override {
    LangTest::SetUp();
    const QString home = pravella::test::home();
    vkDataPathString = (home + "/vkData").toStdString();
    // The opener writes each path it is given into opened.txt.
    const QString bin = home + "/bin";
    QDir().mkpath(bin);
    log_ = home + "/opened.txt";
    QFile fake(bin + "/xdg-open");
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write(("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log_ + "'\n").toUtf8());
    fake.close();
    fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    savedPath_ = std::getenv("PATH");
    setenv("PATH", (bin.toStdString() + ":" + savedPath_).c_str(), 1);
    SetRotaterData(nullptr, 0, 0);
  }
  void TearDown() override {
    setenv("PATH", savedPath_.c_str(), 1);
    SetRotaterData(nullptr, 0, 0);
  }
  static std::string read(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll().toStdString();
  }
  std::string opened() const { return read(log_.toStdString()); }

  QString log_;
  std::string savedPath_;
};

TEST_F(RotatorFiles, NumberedFilesWithAxisRowsAndColourCodes) {
  const long first = rotNumber;
  const std::vector<double> axis = {0, 0, 0, 1, 10, 0, 0, 9, 0, 10, 0, -2};
  SetRotaterData(axis.data(), 3, 1);
  const std::vector<double> x = {1, 2, 3, 4}, y = {5, 6, 7, 8}, z = {0.5, 0, 0, 1e10};
  ASSERT_EQ(DoExecRotator(x.data(), y.data(), z.data(), 2, 2, 2, 0), 1);
  const std::string f0 = pravella::rotatorFilePath(first);
  char name[32];
  std::snprintf(name, sizeof name, "/vkData/rotate%03ld.rot", first);
  EXPECT_EQ(QString::fromStdString(f0), pravella::test::home() + name);
  EXPECT_EQ(read(f0),
            "0\t0\t0\t7\n10\t0\t0\t1\n0\t10\t0\t0\n"
            "1\t5\t0.5\t-3\n2\t6\t0\t-3\n3\t7\t0\t-3\n4\t8\t1e+10\t-3\n");
  // The next call writes the next number; mode 1 draws each grid edge as a pair of lines.
  SetRotaterData(nullptr, 0, 0);
  ASSERT_EQ(DoExecRotator(x.data(), y.data(), z.data(), 2, 2, 1, 1), 1);
  const std::string f1 = pravella::rotatorFilePath(first + 1);
  EXPECT_EQ(read(f1),
            "1\t5\t0.5\t0\n2\t6\t0\t7\n3\t7\t0\t0\n4\t8\t1e+10\t7\n"
            "1\t5\t0.5\t0\n3\t7\t0\t7\n2\t6\t0\t0\n4\t8\t1e+10\t7\n");
  EXPECT_EQ(opened(), f0 + "\n" + f1 + "\n");
}

TEST_F(RotatorFiles, ColumnModesAndColoursPerPoint) {
  const long first = rotNumber;
  const std::vector<double> x = {1, 2, 3, 4}, y = {0, 0, 0, 0}, z = {0, 0, 0, 0};
  ASSERT_EQ(DoExecRotator(x.data(), y.data(), z.data(), 2, 2, 3, 2), 1);
  EXPECT_EQ(read(pravella::rotatorFilePath(first)), "1\t0\t0\t0\n3\t0\t0\t6\n2\t0\t0\t0\n4\t0\t0\t6\n");
  const std::vector<int32_t> colours = {9, -2, 1, 4};
  ASSERT_EQ(DoExecRotatorX(x.data(), y.data(), z.data(), 2, 2, colours.data(), 3), 1);
  EXPECT_EQ(read(pravella::rotatorFilePath(first + 1)),
            "1\t0\t0\t-1\n2\t0\t0\t0\n3\t0\t0\t-7\n4\t0\t0\t-5\n"
            "1\t0\t0\t0\n1\t0\t0\t-1\n3\t0\t0\t-7\n2\t0\t0\t0\n2\t0\t0\t0\n4\t0\t0\t-5\n");
}

TEST_F(RotatorFiles, BadModesAreReportedAndNothingIsOpened) {
  const long first = rotNumber;
  const std::vector<double> x = {1, 2}, y = {0, 0}, z = {0, 0};
  const std::vector<int32_t> colours = {1, 1};
  EXPECT_EQ(DoExecRotator(x.data(), y.data(), z.data(), 1, 2, 1, 1), 0);
  EXPECT_EQ(DoExecRotator(x.data(), y.data(), z.data(), 1, 2, 1, 4), 0);
  EXPECT_EQ(DoExecRotatorX(x.data(), y.data(), z.data(), 1, 2, colours.data(), 1), 0);
  EXPECT_EQ(ResultString,
            "...<Error>...invalid arguments\n...<Error>...invalid arguments\n"
            "...<Error>...invalid arguments\n");
  EXPECT_EQ(rotNumber, first + 3);
  EXPECT_EQ(opened(), "<missing>");
  // A data folder that cannot be written is reported.
  vkDataPathString = "/proc/no-such-folder";
  EXPECT_EQ(DoExecRotator(x.data(), y.data(), z.data(), 1, 2, 1, 0), 0);
  EXPECT_NE(ResultString.find("Can't open the save file."), std::string::npos);
}

TEST(RotatorColours, IndicesAreLimitedThenMapped) {
  const long expected[] = {0, 0, 0, 7, 3, 6, 5, 2, 4, 1, 1};
  for (int i = -2; i <= 8; ++i) EXPECT_EQ(rotatorColorCode(i), expected[i + 2]) << i;
  EXPECT_EQ(rotatorColorCode(9), 1);
  EXPECT_EQ(rotatorColorCode(2.9), 3);
}

}  // namespace
