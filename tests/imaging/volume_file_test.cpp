// The volume file and the raw voxel forms: the bytes written in both orders, the round trip,
// and damaged or short files, which must leave the current volume as it was.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "imaging/volume_data.h"
#include "imaging/volume_file.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "med_fixtures.h"

namespace {

using medfix::Bytes;

std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

// What loadVolumeData gives back (its seven numbers) and the error text it reports.
struct Loaded {
  std::vector<double> values;
  std::string error;
  bool operator==(const Loaded&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Loaded& l) {
  for (double v : l.values) os << v << " ";
  return os << "[" << l.error << "]";
}

Loaded load(const std::string& name) {
  ResultString.clear();
  int r = 0, c = 0, s = 0;
  double sizes[3];
  Loaded l;
  if (DoLoadVolumeData(name, &r, &c, &s, sizes))
    l.values = {double(r), double(c), double(s), 0, sizes[0], sizes[1], sizes[2]};
  l.error = ResultString;
  return l;
}

class VolumeFile : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    current_fullPath = pravella::test::home().toStdString();
  }
  void TearDown() override { ByteOrderBigEndian = 0; }

  // A 2 x 3 x 4 volume whose voxel i is i - 5 (negative values test the sign).
  static void makeVolume() {
    ASSERT_EQ(DoCreateVolumeData(2, 3, 4), 1);
    for (std::size_t i = 0; i < vData->voxels.size(); ++i)
      vData->voxels[i] = static_cast<std::int16_t>(i - 5);
  }
  static std::vector<std::int16_t> expectedVoxels() {
    std::vector<std::int16_t> v(24);
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<std::int16_t>(i - 5);
    return v;
  }
  static std::string expectedFile(bool big) {
    Bytes b;
    b.big = big;
    b.u32(24).text(std::string("ZoT VolumeData Ver.1.00") + '\0');
    b.u32(31).text(std::string("   1.0000    1.0000    2.0000 ") + '\0');
    b.u32(2).u32(3).u32(4);
    for (int i = 0; i < 24; ++i) b.u16(static_cast<std::uint16_t>(i - 5));
    return b.data;
  }
};

TEST_F(VolumeFile, BothByteOrdersByteForByteAndBack) {
  for (const bool big : {false, true}) {
    ByteOrderBigEndian = big;
    makeVolume();
    ASSERT_EQ(run("saveVolumeData(\"v.vol\", |1, 1, 2|);"), ".OK.\n");
    const std::string bytes = medfix::read(medfix::pathInHome("v.vol"));
    EXPECT_EQ(bytes.size(), 123u);
    EXPECT_EQ(bytes, expectedFile(big)) << (big ? "big-endian" : "little-endian");
    EXPECT_EQ(vData->voxels, expectedVoxels()) << "saving leaves the volume as it was";
    for (const int flag : {0, 1}) {
      ByteOrderBigEndian = flag;
      DoFreeVolumeData();
      EXPECT_EQ(load("v.vol"), (Loaded{{2, 3, 4, 0, 1, 1, 2}, ""}));
      EXPECT_EQ(vData->voxels, expectedVoxels());
      EXPECT_EQ(vData->rows, 2);
      EXPECT_EQ(vData->columns, 3);
      EXPECT_EQ(vData->slices, 4);
    }
  }
}

// A volume of more voxels than one piece of a save (the file is written piece by piece, never
// whole in memory) reads back voxel for voxel in both orders, as file and as raw voxels.
TEST_F(VolumeFile, VolumesOfManyPiecesReadBack) {
  for (const bool big : {false, true}) {
    ByteOrderBigEndian = big;
    ASSERT_EQ(DoCreateVolumeData(101, 103, 107), 1);
    for (std::size_t i = 0; i < vData->voxels.size(); ++i)
      vData->voxels[i] = static_cast<std::int16_t>(i * 7919 % 65536);
    const std::vector<std::int16_t> saved = vData->voxels;
    ASSERT_EQ(run("saveVolumeData(\"m.vol\", |1, 1, 1|); xSaveVolumeData(\"m.raw\");"), ".OK.\n");
    EXPECT_EQ(medfix::read(medfix::pathInHome("m.vol")).size(), 75u + saved.size() * 2);
    const std::string raw = medfix::read(medfix::pathInHome("m.raw"));
    ASSERT_EQ(raw.size(), saved.size() * 2);
    DoFreeVolumeData();
    EXPECT_EQ(load("m.vol"), (Loaded{{101, 103, 107, 0, 1, 1, 1}, ""})) << big;
    EXPECT_EQ(vData->voxels, saved) << big;
    for (std::size_t i = 0; i < saved.size(); ++i) {
      const auto hi = static_cast<unsigned char>(raw[2 * i + (big ? 0 : 1)]);
      const auto lo = static_cast<unsigned char>(raw[2 * i + (big ? 1 : 0)]);
      ASSERT_EQ(static_cast<std::int16_t>(hi << 8 | lo), saved[i]) << big << " voxel " << i;
    }
  }
}

TEST_F(VolumeFile, DamagedFilesKeepTheCurrentVolume) {
  Bytes l2;
  l2.u32(24)
      .text(std::string("ZoT VolumeData Ver.1.00") + '\0')
      .u32(300)
      .zeros(300)
      .u32(1)
      .u32(1)
      .u32(1)
      .u16(9);
  Bytes magic = medfix::volumeFile(1, 1, 1, 1);
  magic.data[4 + 20] = '2';  // "Ver.2.00"
  Bytes noZero = medfix::volumeFile(1, 1, 1, 1);
  noZero.data[4 + 23] = ' ';
  std::string headerCut = medfix::volumeFile(2, 3, 4, 0).data;
  headerCut.resize(headerCut.size() - 6);
  const Loaded zeros{{0, 0, 0, 0, 0, 0, 0}, ""};
  auto fails = [](const char* message) { return Loaded{{}, std::string("...<Error>...") + message + "\n"}; };
  const struct {
    const char* name;
    std::string bytes;
    Loaded result;
  } cases[] = {
      {"voxels cut", medfix::volumeFile(2, 3, 4, 23).data, fails("Can't read file.")},
      {"header cut", headerCut, fails("Can't read file.")},
      {"huge sizes", medfix::volumeFile(0xFFFFFFFF, 0xFFFFFFFF, 2, 4).data,
       fails("can not allocat the memory of the volume data.")},
      {"2^31 voxels", medfix::volumeFile(65536, 32768, 1, 4).data,
       fails("can not allocat the memory of the volume data.")},
      {"a zero size", medfix::volumeFile(2, 0, 4, 4).data,
       fails("can not allocat the memory of the volume data.")},
      {"L2 = 300", l2.data, zeros},
      {"wrong magic", magic.data, zeros},
      {"magic without its zero", noZero.data, zeros},
      {"first word 0", Bytes().u32(0).text("ZoT VolumeData Ver.1.00").data, zeros},
      {"first word 256 either way", Bytes().u32(256).u32(0).data, zeros},
      {"first word 20", Bytes().u32(20).text(std::string(20, 'Z')).data, zeros},
      {"three bytes", "ZoT", zeros},
      {"empty", "", zeros},
  };
  for (const auto& c : cases) {
    makeVolume();
    medfix::write("d.vol", c.bytes);
    EXPECT_EQ(load("d.vol"), c.result) << c.name;
    EXPECT_EQ(vData->voxels, expectedVoxels()) << c.name;
    EXPECT_EQ(vData->rows * vData->columns * vData->slices, 24) << c.name;
  }
  EXPECT_EQ(run("loadVolumeData(\"missing.vol\");"), "...<Error>...Can't read file.\n.NO.\n");
  EXPECT_EQ(vData->voxels, expectedVoxels());
}

TEST_F(VolumeFile, FailedSavesLeaveFilesAsTheyWere) {
  medfix::write("old.vol", "old");
  EXPECT_EQ(run("saveVolumeData(\"old.vol\", |1, 1, 1|);"), "...<Error>...Can't open the save file.\n.NO.\n");
  EXPECT_EQ(run("xSaveVolumeData(\"old.vol\");"), "...<Error>...Can't open the save file.\n.NO.\n");
  makeVolume();
  EXPECT_EQ(run("saveVolumeData(\"old.vol\", |1, 1e+300, 1|);"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("saveVolumeData(\"none.vol\", |1, 1e+300, 1|);"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(medfix::pathInHome("none.vol"))));
  // Targets that cannot be written: inside a file, and a folder in the file's place. The
  // result says why.
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(medfix::pathInHome("folder.vol"))));
  const struct {
    const char* target;
    const char* why;
  } targets[] = {{"old.vol/inner.vol", "Cannot save \"old.vol/inner.vol\": Not a directory"},
                 {"folder.vol", "Cannot save \"folder.vol\": a folder of that name is in the way."}};
  for (const auto& t : targets) {
    const std::string refused =
        std::string("...<Error>...") + t.why + "\n...<Error>...Can't open the save file.\n.NO.\n";
    EXPECT_EQ(run(std::string("saveVolumeData(\"") + t.target + "\", |1, 1, 1|);"), refused) << t.target;
    EXPECT_EQ(run(std::string("xSaveVolumeData(\"") + t.target + "\");"), refused) << t.target;
  }
  EXPECT_EQ(medfix::read(medfix::pathInHome("old.vol")), "old");
  EXPECT_TRUE(QFileInfo(QString::fromStdString(medfix::pathInHome("folder.vol"))).isDir());
}

TEST_F(VolumeFile, RawSlicesInAnyOrder) {
  makeVolume();
  ASSERT_EQ(run("xSaveVolumeData(\"r.raw\");"), ".OK.\n");
  const std::string raw = medfix::read(medfix::pathInHome("r.raw"));
  ASSERT_EQ(raw.size(), 48u);
  EXPECT_EQ(raw.substr(0, 4), std::string("\xFB\xFF\xFC\xFF", 4));  // -5, -4

  // Slices of 2 x 3 after a 12-byte offset: file slice 3 first, then file slice 1.
  EXPECT_EQ(run("xLoadVolumeData(\"r.raw\", |2, 3, 12, 0|, |3, 1|);"), ".OK.\n");
  ASSERT_EQ(vData->voxels.size(), 12u);
  EXPECT_EQ(vData->voxels[0], 13);  // element 6 + 12 of the file
  EXPECT_EQ(vData->voxels[6], 1);
  EXPECT_EQ(vData->slices, 2);

  // The swap flag and the byte order flag each swap once; both cancel.
  for (const auto& [big, flag, first] :
       {std::tuple{0, 1, std::int16_t(0xFBFF)}, {1, 0, std::int16_t(0xFBFF)}, {1, 1, std::int16_t(-5)}}) {
    ByteOrderBigEndian = big;
    EXPECT_EQ(run("xLoadVolumeData(\"r.raw\", |2, 3, 0, " + std::to_string(flag) + "|, |1|);"), ".OK.\n");
    EXPECT_EQ(vData->voxels[0], first) << big << flag;
  }
  ByteOrderBigEndian = 0;

  const struct {
    const char* args;
    const char* message;
  } failures[] = {
      {"|2, 3, 0, 0|, |5|", "Can't read file."},
      {"|2, 3, 2, 0|, |4|", "Can't read file."},
      {"|2, 3, 0, 0|, |0|", "Can't read file."},
      {"|2, 3, 0, 0|, |1, -1|", "Can't read file."},
      {"|2, 3, 1e+12, 0|, |1|", "Can't read file."},
      {"|2, 3, 0, 0|, |1e+18|", "Can't read file."},
      {"|-2, 3, 0, 0|, |1|", "invalid form structure"},
      {"|2, 3, -1, 0|, |1|", "invalid form structure"},
      {"|65536, 65536, 0, 0|, |1|", "can not allocat the memory of the volume data."},
      {"|2, 3, 0|, |1|", "Invalid arguments."},
  };
  makeVolume();
  for (const auto& f : failures) {
    EXPECT_EQ(run(std::string("xLoadVolumeData(\"r.raw\", ") + f.args + ");"),
              std::string("...<Error>...") + f.message + "\n.NO.\n")
        << f.args;
    EXPECT_EQ(vData->voxels, expectedVoxels()) << f.args;
  }
  EXPECT_EQ(run("xLoadVolumeData(\"missing.raw\", |2, 3, 0, 0|, |1|);"),
            "...<Error>...Can't read file.\n.NO.\n");
  EXPECT_EQ(vData->voxels, expectedVoxels());
}

}  // namespace
