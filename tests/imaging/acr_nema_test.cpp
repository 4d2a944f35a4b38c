// ACR-NEMA and DICOM data elements: the listing, the look-up and the voxel size on files the
// tests build, and a standard file written by pydicom, whose element positions must agree.

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/acr_nema.h"
#include "lang/builtins/startup.h"
#include "lang/values.h"
#include "med_fixtures.h"

namespace {

using medfix::Bytes;

std::vector<std::vector<double>> list(const std::string& path) {
  std::vector<double> out(static_cast<std::size_t>(TNumber));
  int count = -5;
  EXPECT_EQ(DoACR_nema_paramList_vk(path, out.data(), &count), 1);
  std::vector<std::vector<double>> rows;
  for (int i = 0; i < count; ++i) rows.emplace_back(out.begin() + 4 * i, out.begin() + 4 * i + 4);
  return rows;
}

std::vector<double> lookup(const std::string& path, std::uint16_t group, std::uint16_t element) {
  double out[2] = {0, 0};
  EXPECT_EQ(DoACR_nema_param_vk(path, group, element, out), 1);
  return {out[0], out[1]};
}

std::string preamble() { return std::string(128, '\0') + "DICM"; }

class AcrNema : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    ByteOrderBigEndian = 0;
  }
  void TearDown() override { ByteOrderBigEndian = 0; }
};

TEST_F(AcrNema, ListingFromThePreambleOrTheStart) {
  Bytes records;
  records.element16(0x0028, 0x0010, 2).element(0x8001, 0x9002, "ab").element32(0x0029, 0x0030, 7);
  using Rows = std::vector<std::vector<double>>;
  const Rows plain = {{0, 40, 16, 2}, {10, -32767, -28670, 2}, {20, 41, 48, 4}};
  EXPECT_EQ(list(medfix::write("plain.dat", records.data)), plain);
  Rows shifted = plain;
  for (auto& r : shifted) r[0] += 136;
  // The 4 bytes behind "DICM" are taken as the tag of the first element and skipped.
  EXPECT_EQ(list(medfix::write("dicm.dat", preamble() + "TAG!" + records.data)), shifted);
  EXPECT_EQ(list(medfix::write("empty.dat", preamble() + "TAG!")), Rows{});
  EXPECT_EQ(list(medfix::write("short.dat", "DICM")), Rows{});
  EXPECT_EQ(list(medfix::pathInHome("missing.dat")), (Rows{{-1, -1, -1, -1}}));

  // A record whose value runs past the end is listed and ends the listing; so does a length
  // that would wrap a signed walk backwards.
  Bytes cut = records;
  cut.u16(0x7FE0).u16(0x0010).u32(0xFFFFFFFF).element16(0x0028, 0x0011, 3);
  Rows cutRows = plain;
  cutRows.push_back({32, 32736, 16, -1});
  EXPECT_EQ(list(medfix::write("cut.dat", cut.data)), cutRows);
}

TEST_F(AcrNema, ListingStopsAtTheBuffer) {
  TNumber = 40;  // room for 10 rows
  Bytes many;
  for (int i = 0; i < 12; ++i) many.element16(0x0028, static_cast<std::uint16_t>(i), 1);
  std::vector<double> out(40);
  int count = 0;
  DoACR_nema_paramList_vk(medfix::write("many.dat", many.data), out.data(), &count);
  EXPECT_EQ(count, 10);
  EXPECT_EQ(out[36], 90);
  TNumber = 1000000;
}

TEST_F(AcrNema, LookupSkipsGroupsByTheirLength) {
  Bytes b;
  // Group 0008 says it holds 18 more bytes: the (0028,0010) hidden inside it is never seen.
  b.element32(0x0008, 0x0000, 18).element16(0x0028, 0x0010, 99).zeros(8);
  b.element16(0x0028, 0x0010, 2).element(0x0029, 0x0100, "1.5");
  const std::string path = medfix::write("groups.dat", b.data);
  EXPECT_EQ(lookup(path, 0x0028, 0x0010), (std::vector<double>{38, 2}));
  EXPECT_EQ(lookup(path, 0x0029, 0x0100), (std::vector<double>{48, 3}));
  EXPECT_EQ(lookup(path, 0x0029, 0x0101), (std::vector<double>{-1, -1}));
  EXPECT_EQ(lookup(medfix::pathInHome("missing.dat"), 0x0028, 0x0010), (std::vector<double>{-1, -1}));

  // Big-endian headers with the flag.
  Bytes big;
  big.big = true;
  big.element16(0x0028, 0x0011, 3);
  const std::string bigPath = medfix::write("big.dat", big.data);
  EXPECT_EQ(lookup(bigPath, 0x0028, 0x0011), (std::vector<double>{-1, -1}));
  ByteOrderBigEndian = 1;
  EXPECT_EQ(lookup(bigPath, 0x0028, 0x0011), (std::vector<double>{8, 2}));
}

TEST_F(AcrNema, VoxelSize) {
  const struct {
    const char* name;
    std::string z, spacing;  // empty: the element is absent
    int result;
    float x, y, zv;
  } cases[] = {
      {"blank separated", "2.5", "0.5 0.5", 1, 0.5f, 0.5f, 2.5f},
      {"backslash separated", "3", "0.25\\0.75", 1, 0.25f, 0.75f, 3.0f},
      {"no slice element", "", "0.5 0.5", 0, 0, 0, 0},
      {"no spacing", "1.25", "", 0, 0, 0, 1.25f},
      {"a text longer than 255 bytes", "4" + std::string(300, ' '), "1 2", 1, 1, 2, 4},
  };
  for (const auto& c : cases) {
    Bytes b;
    if (!c.spacing.empty()) b.element(0x0028, 0x0030, c.spacing);
    if (!c.z.empty()) b.element(0x0029, 0x0100, c.z);
    const std::string path = medfix::write("size.dat", preamble() + "TAG!" + b.data);
    float x = -1, y = -1, z = -1;
    EXPECT_EQ(getVoxelSize(path, &x, &y, &z), c.result) << c.name;
    EXPECT_EQ(x, c.x) << c.name;
    EXPECT_EQ(y, c.y) << c.name;
    EXPECT_EQ(z, c.zv) << c.name;
  }
}

// Writes a Part-10 file with pydicom in the transfer syntax given (implicit VR little endian by
// default) and prints, per data-set element, its group, element, value position and length as
// pydicom read them back.
constexpr const char* kPydicomScript = R"PY(
import sys
import pydicom
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.uid import ImplicitVRLittleEndian, generate_uid

syntax = sys.argv[3] if len(sys.argv) > 3 else ImplicitVRLittleEndian

meta = FileMetaDataset()
meta.MediaStorageSOPClassUID = "1.2.840.10008.5.1.4.1.1.2"
meta.MediaStorageSOPInstanceUID = generate_uid()
meta.TransferSyntaxUID = syntax
ds = Dataset()
ds.file_meta = meta
ds.is_little_endian = True
ds.is_implicit_VR = syntax == ImplicitVRLittleEndian
ds.SOPClassUID = meta.MediaStorageSOPClassUID
ds.PatientName = "Test^Volume"
ds.Rows = 2
ds.Columns = 3
ds.PixelSpacing = [0.5, 0.25]
ds.add_new(0x00290010, "LO", "PRAVELLA TEST")
ds.add_new(0x00290100, "LO", "2.5")
ds.BitsAllocated = 16
ds.PixelData = bytes(range(12))
ds.save_as(sys.argv[1], write_like_original=False)

back = pydicom.dcmread(sys.argv[1])
with open(sys.argv[2], "w") as out:
    for tag in back.keys():
        raw = back.get_item(tag)
        out.write("%d %d %d %d\n" % (tag.group, tag.element, raw.value_tell, raw.length))
)PY";

// Writes test.dcm (and elements.txt) in the home folder with pydicom; its path.
std::string pydicomFile(const QString& syntax = {}) {
  const std::string script = medfix::write("make.py", kPydicomScript);
  const std::string dicom = medfix::pathInHome("test.dcm"), table = medfix::pathInHome("elements.txt");
  QStringList args{QString::fromStdString(script), QString::fromStdString(dicom),
                   QString::fromStdString(table)};
  if (!syntax.isEmpty()) args << syntax;
  QProcess python;
  python.start("/usr/bin/python3", args);
  EXPECT_TRUE(python.waitForFinished(60000));
  EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString()
                                  << " (Debian's python3-pydicom must be installed)";
  return dicom;
}

TEST_F(AcrNema, AgreesWithPydicomOnAnImplicitVrFile) {
  const std::string dicom = pydicomFile(), table = medfix::pathInHome("elements.txt");

  std::ifstream in(table);
  std::vector<std::vector<double>> rows = list(dicom);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0][0], 136);
  int seen = 0;
  long long group, element, tell, length;
  while (in >> group >> element >> tell >> length) {
    ++seen;
    EXPECT_EQ(lookup(dicom, static_cast<std::uint16_t>(group), static_cast<std::uint16_t>(element)),
              (std::vector<double>{double(tell), double(length)}))
        << std::hex << group << "," << element;
    // Every data-set element is also a row of the listing.
    bool listed = false;
    for (const auto& r : rows) listed = listed || r[0] == double(tell - 8);
    EXPECT_TRUE(listed) << std::hex << group << "," << element;
  }
  EXPECT_GE(seen, 8);
  float x = 0, y = 0, z = 0;
  EXPECT_EQ(getVoxelSize(dicom, &x, &y, &z), 1);
  EXPECT_EQ(x, 0.5f);
  EXPECT_EQ(y, 0.25f);
  EXPECT_EQ(z, 2.5f);
}

// An explicit VR file's records have another form: reading them as ACR-NEMA records gave -1 -1
// or nonsense without a word. Both built-ins now refuse and say what the file is.
TEST_F(AcrNema, ExplicitVrFilesAreRefusedWithTheirKind) {
  for (const char* syntax : {"1.2.840.10008.1.2.1", "1.2.840.10008.1.2.2"}) {
    const std::string dicom = pydicomFile(syntax);
    const std::string kind = std::string(syntax) == "1.2.840.10008.1.2.1" ? "DICOM explicit VR little endian"
                                                                          : "DICOM explicit VR big endian";
    EXPECT_EQ(unreadDicomKind(dicom), kind);
    const std::string said =
        "...<Error>..." + dicom + " is a " + kind +
        " file, which is not read: only ACR-NEMA and implicit VR little endian files are.\n";
    ResultString.clear();
    double out[2];
    EXPECT_EQ(DoACR_nema_param_vk(dicom, 0x0028, 0x0010, out), 0);
    EXPECT_EQ(ResultString, said);
    ResultString.clear();
    std::vector<double> rows(static_cast<std::size_t>(TNumber));
    int count = 0;
    EXPECT_EQ(DoACR_nema_paramList_vk(dicom, rows.data(), &count), 0);
    EXPECT_EQ(ResultString, said);
  }
  EXPECT_EQ(unreadDicomKind(pydicomFile()), "");
}

// A data set without the preamble and its meta group shows its byte order in its first group
// number; either order is refused with its kind, whichever order the reader is set to (a big
// endian one read with byteOrderBigEndian(1) answered -1 -1).
TEST_F(AcrNema, ExplicitVrStreamsWithoutPreambleAreRefusedInEitherOrder) {
  using namespace std::string_literals;
  const struct {
    const char* name;
    std::string bytes;
    const char* kind;
  } cases[] = {
      {"le.dat",
       "\x08\x00\x16\x00UI\x04\x00"
       "1.2\0"s,
       "DICOM explicit VR little endian"},
      {"be.dat",
       "\x00\x08\x00\x16UI\x00\x04"
       "1.2\0"s,
       "DICOM explicit VR big endian"},
      {"be2.dat",
       "\x00\x02\x00\x10UI\x00\x04"
       "1.2\0"s,
       "DICOM explicit VR big endian"},
  };
  for (const auto& c : cases)
    for (const int order : {0, 1}) {
      SCOPED_TRACE(std::string(c.name) + " read with byte order " + std::to_string(order));
      ByteOrderBigEndian = order;
      const std::string path = medfix::write(c.name, c.bytes);
      EXPECT_EQ(unreadDicomKind(path), c.kind);
      ResultString.clear();
      double out[2];
      EXPECT_EQ(DoACR_nema_param_vk(path, 0x0028, 0x0010, out), 0);
      EXPECT_EQ(ResultString,
                "...<Error>..." + path + " is a " + c.kind +
                    " file, which is not read: only ACR-NEMA and implicit VR little endian files are.\n");
    }
}

}  // namespace
