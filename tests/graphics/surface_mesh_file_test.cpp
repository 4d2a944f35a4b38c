#include "graphics/surface_mesh_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/resource.h>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/color_table.h"
#include "lang/lang_fixture.h"
#include "support/test_home.h"

namespace {

using Vec = std::vector<double>;

// Reads the little-endian fields of a mesh file in order.
class Reader {
 public:
  explicit Reader(QByteArray bytes) : bytes_(std::move(bytes)) {}
  std::int32_t int32() { return static_cast<std::int32_t>(bits()); }
  float float32() {
    const std::uint32_t u = bits();
    float f = 0;
    std::memcpy(&f, &u, sizeof f);
    return f;
  }
  qsizetype offset() const { return at_; }

 private:
  std::uint32_t bits() {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
      u |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_.at(at_ + i))) << (8 * i);
    at_ += 4;
    return u;
  }
  QByteArray bytes_;
  qsizetype at_ = 0;
};

QByteArray contents(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll();
}

// The colour of table row k as the file holds it.
std::vector<float> rowColour(int k) {
  std::uint8_t table[768];
  GetRGBColorTable(table);
  return {table[3 * k] / 256.0f, table[3 * k + 1] / 256.0f, table[3 * k + 2] / 256.0f};
}

class MeshFile : public LangTest {
 protected:
  // The 2 by 2 grid of the file layout: one face.
  const Vec x{0, 1, 0, 1}, y{0, 0, 1, 1}, z{0.5, 1.25, -2, 3};
  std::string path(const char* name) { return (pravella::test::home() + "/" + name).toStdString(); }
};

TEST_F(MeshFile, TwoByTwoGridLaysOutEveryFieldLittleEndian) {
  // Range (5, 5) is empty: the range comes from c, 0 .. 3, so the values 0, 1, 2, 3 take
  // rows 0, 85, 170 and 255.
  const Vec c{0, 1, 2, 3};
  const double range[2] = {5, 5};
  ASSERT_EQ(saveParametricPlot3DData(c.data(), x.data(), y.data(), z.data(), range, 2, 2, path("mesh.dat")),
            1);
  const QByteArray bytes = contents(QString::fromStdString(path("mesh.dat")));
  ASSERT_EQ(bytes.size(), 124);
  Reader r(bytes);
  EXPECT_EQ(r.int32(), 4);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(r.float32(), static_cast<float>(x[k]));
    EXPECT_EQ(r.float32(), static_cast<float>(y[k]));
    EXPECT_EQ(r.float32(), static_cast<float>(z[k]));
  }
  EXPECT_EQ(r.offset(), 52);
  EXPECT_EQ(r.int32(), 4);
  const int rows[4] = {0, 85, 170, 255};
  for (int k = 0; k < 4; ++k)
    for (float expected : rowColour(rows[k])) EXPECT_EQ(r.float32(), expected) << "vertex " << k;
  EXPECT_EQ(r.offset(), 104);
  EXPECT_EQ(r.int32(), 1);
  const std::int32_t face[4] = {0, 1, 3, 2};
  for (std::int32_t v : face) EXPECT_EQ(r.int32(), v);
  EXPECT_EQ(r.offset(), 124);
}

TEST_F(MeshFile, ColourRowsOfTheGivenRange) {
  // Range (high 10, low 0): 10 is the high end (row 255), -3 below the low end (row 0), 20
  // above the high end (row 255), and a value without a position takes row 0.
  const double inf = std::numeric_limits<double>::infinity();
  const Vec cases[] = {{10, 0, -3, 20}, {std::nan(""), inf, -inf, 5}};
  const int expected[2][4] = {{255, 0, 0, 255}, {0, 0, 0, 127}};
  const double range[2] = {10, 0};
  for (int t = 0; t < 2; ++t) {
    Reader r(plot3DMeshBytes(cases[t].data(), x.data(), y.data(), z.data(), range, 2, 2));
    for (int skip = 0; skip < 14; ++skip) r.int32();
    for (int k = 0; k < 4; ++k)
      for (float colour : rowColour(expected[t][k])) EXPECT_EQ(r.float32(), colour) << t << " vertex " << k;
  }
}

TEST_F(MeshFile, HighBelowLowGivesBlack) {
  const Vec c{0, 4, 8, 10};
  const double range[2] = {0, 10};
  Reader r(plot3DMeshBytes(c.data(), x.data(), y.data(), z.data(), range, 2, 2));
  for (int skip = 0; skip < 14; ++skip) r.int32();
  for (int k = 0; k < 12; ++k) EXPECT_EQ(r.float32(), 0.0f);
}

TEST_F(MeshFile, FacesRunRowByRowOverALargerGrid) {
  const Vec x6(6, 0.0), c{0, 1, 2, 3, 4, 5};
  const double range[2] = {0, 0};
  const QByteArray bytes = plot3DMeshBytes(c.data(), x6.data(), x6.data(), x6.data(), range, 3, 2);
  // n = 6, q = 2: 4 + 72 + 4 + 72 + 4 + 32.
  ASSERT_EQ(bytes.size(), 188);
  Reader r(bytes);
  for (int skip = 0; skip < 2 + 36; ++skip) r.int32();
  EXPECT_EQ(r.int32(), 2);
  const std::int32_t faces[8] = {0, 1, 3, 2, 2, 3, 5, 4};
  for (std::int32_t v : faces) EXPECT_EQ(r.int32(), v);
}

TEST_F(MeshFile, FailedWriteReportsAndKeepsTheOldFile) {
  const Vec c{0, 1, 2, 3};
  const double range[2] = {0, 0};
  const std::string target = path("kept.dat");
  const QString qtarget = QString::fromStdString(target);
  {
    QFile old(qtarget);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
  }
  // A file system that takes no more than 100 bytes (as a full disk would): the write of 124
  // fails part way, whoever runs the test.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int result = saveParametricPlot3DData(c.data(), x.data(), y.data(), z.data(), range, 2, 2, target);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(contents(qtarget), "old contents");
  // A folder that does not exist cannot take the file either.
  EXPECT_EQ(
      saveParametricPlot3DData(c.data(), x.data(), y.data(), z.data(), range, 2, 2, path("no/such/m.dat")),
      0);
  // Each failure gives the system's reason first, naming the file as given.
  EXPECT_EQ(ResultString,
            "...<Error>...Cannot save \"" + target +
                "\": File too large\n...<Error>...Can't open the save file.\n...<Error>...Cannot save \"" +
                path("no/such/m.dat") +
                "\": No such file or directory\n...<Error>...Can't open the save file.\n");
  EXPECT_EQ(QDir(pravella::test::home()).entryList(QStringList{"kept.dat*"}, QDir::Files | QDir::Hidden),
            QStringList{"kept.dat"});
}

TEST_F(MeshFile, RelativeNamesResolveAgainstTheWorkingFolder) {
  const Vec c{0, 1, 2, 3};
  const double range[2] = {0, 0};
  const QString folder = pravella::test::home() + "/work";
  ASSERT_TRUE(QDir().mkpath(folder));
  current_fullPath = folder.toStdString();
  EXPECT_EQ(saveParametricPlot3DData(c.data(), x.data(), y.data(), z.data(), range, 2, 2, "rel.dat"), 1);
  EXPECT_EQ(contents(folder + "/rel.dat").size(), 124);
}

}  // namespace
