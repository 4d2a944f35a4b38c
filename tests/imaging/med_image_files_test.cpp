// Recognition of the five kinds of medical volume file, their geometry, and the image buffers,
// on files the tests build (med_fixtures.h).

#include <gtest/gtest.h>

#include <QFile>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/med_image_files.h"
#include "lang/values.h"
#include "med_fixtures.h"

namespace {

using medfix::Bytes;

struct Geometry {
  int kind, width, height, slices, offset;
  bool operator==(const Geometry&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Geometry& g) {
  return os << "kind " << g.kind << " " << g.width << "x" << g.height << "x" << g.slices << " at "
            << g.offset;
}

// Kind 0 means "not recognised".
Geometry recognise(const std::string& path) {
  medFileType = 0;
  Geometry g{0, 0, 0, 0, 0};
  if (checkMedImageFile(path, &g.width, &g.height, &g.slices, &g.offset))
    g.kind = medFileType;
  else
    g = {0, 0, 0, 0, 0};
  return g;
}

using medfix::AcrFile;
using medfix::acrNema;

class MedImageFiles : public testing::Test {
 protected:
  void SetUp() override { ByteOrderBigEndian = 0; }
  void TearDown() override { ByteOrderBigEndian = 0; }
};

TEST_F(MedImageFiles, FiveKindsInTheirOrder) {
  const std::string h4(466944, '\0');
  const std::string volumeH4 = medfix::volumeFile(128, 128, 14, 0).padTo(466944).data;
  const std::string tovimedH4 = medfix::tovimed(1100, 2, 2, 4, 3).padTo(466944).data;
  struct Case {
    const char* name;
    std::string bytes;
    Geometry want;
  } cases[] = {
      // A row of a volume file is `columns` pixels wide.
      {"volume", medfix::volumeFile(2, 3, 4, 24).data, {4, 3, 2, 4, 75}},
      {"tovimed", medfix::tovimed(1100, 2, 2, 4, 3).padTo(1100).ramp(24).data, {1, 4, 3, 2, 1100}},
      {"acr-nema with slices and offset",
       acrNema(true, true).bytes.data,
       {2, 3, 2, 2, acrNema(true, true).offset}},
      {"acr-nema plain", acrNema(false, false).bytes.data, {2, 3, 2, 1, acrNema(false, false).offset}},
      // The elements stand behind the file format's preamble and its meta group.
      {"dicom file format", medfix::dicomFile(3, 2).bytes.data, {2, 3, 2, 1, medfix::dicomFile(3, 2).offset}},
      {"h4", h4, {3, 128, 128, 14, 8192}},
      {"h4 size with the volume magic", volumeH4, {4, 128, 128, 14, 75}},
      {"h4 size with TOVIMED", tovimedH4, {1, 4, 3, 2, 1100}},
      {"old pet", std::string(32768 * 3 + 1024, '\0'), {5, 128, 128, 3, 1024}},
      {"old pet 2048", std::string(32768 + 2048, '\0'), {5, 128, 128, 1, 2048}},
      {"header without a slice", std::string(1024, '\0'), {0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(recognise(medfix::write("f.dat", c.bytes)), c.want) << c.name;
}

TEST_F(MedImageFiles, AcrNemaOffsetElementWinsOverThePixelElement) {
  const AcrFile with = acrNema(false, true), without = acrNema(false, false);
  EXPECT_EQ(recognise(medfix::write("a.dat", with.bytes.data)).offset,
            static_cast<int>(with.bytes.data.size()) - 12);
  EXPECT_EQ(recognise(medfix::write("b.dat", without.bytes.data)).offset, without.offset);
}

TEST_F(MedImageFiles, DamagedHeadersAreNotOfTheirKind) {
  Bytes shortAcr = acrNema(true, false).bytes;
  shortAcr.data.resize(shortAcr.data.size() - 2);  // the second slice is cut
  Bytes hugeLength;
  hugeLength.element16(0x0028, 0x0010, 2)
      .u16(0x0028)
      .u16(0x0005)
      .u32(0xFFFFFFF0)
      .element16(0x0028, 0x0011, 3);
  hugeLength.u16(0x7FE0).u16(0x0010).u32(12).ramp(6);
  Bytes offsetBeyond = acrNema(false, false).bytes;
  offsetBeyond.element32(0x0009, 0x0100, 0x7FFFFFF0);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"volume: huge sizes", medfix::volumeFile(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 4).data},
      // (2^32 - 65,535) x (2^31 + 32,768) x 2 bytes wraps 64 bits to a slice of 65,536 bytes.
      {"volume: sizes whose product wraps", medfix::volumeFile(4294901761u, 2147516416u, 1, 32768).data},
      {"volume: zero slices", medfix::volumeFile(2, 3, 0, 24).data},
      {"volume: voxels cut", medfix::volumeFile(2, 3, 4, 23).data},
      {"volume: L2 = 300",
       [] {
         Bytes b;
         b.u32(24)
             .text(std::string("ZoT VolumeData Ver.1.00") + '\0')
             .u32(300)
             .zeros(300)
             .u32(1)
             .u32(1)
             .u32(1);
         return b.ramp(1).data;
       }()},
      {"volume: first length 0", Bytes().u32(0).text("ZoT VolumeData Ver.1.00").data},
      {"volume: first length 257", Bytes().u32(257).text("ZoT VolumeData Ver.1.00").zeros(300).data},
      {"tovimed: C = 0", medfix::tovimed(1100, 0, 1, 4, 3).ramp(12).data},
      {"tovimed: huge offset", medfix::tovimed(0xFFFFFFFF, 0xFFFFFFFF, 1, 4, 3).ramp(12).data},
      {"tovimed: negative width", medfix::tovimed(1100, 2, 1, 0xFFFC, 3).ramp(12).data},
      {"tovimed: pixels cut", medfix::tovimed(1100, 2, 2, 4, 3).padTo(1100).ramp(23).data},
      {"acr-nema: slices cut", shortAcr.data},
      {"acr-nema: a length past the end hides the width", hugeLength.data},
      {"acr-nema: offset beyond the file", offsetBeyond.data},
      {"acr-nema: no height",
       Bytes().element16(0x0028, 0x0011, 3).u16(0x7FE0).u16(0x0010).u32(6).ramp(3).data},
  };
  for (const auto& c : cases) {
    medFileType = 9;
    int w = 0, h = 0, s = 0, o = 0;
    EXPECT_EQ(checkMedImageFile(medfix::write("d.dat", c.bytes), &w, &h, &s, &o), 0) << c.name;
    EXPECT_EQ(medFileType, 9) << c.name << ": a failed recognition keeps the kind";
  }
  int w = 0, h = 0, s = 0, o = 0;
  EXPECT_EQ(checkMedImageFile(medfix::pathInHome("missing.dat"), &w, &h, &s, &o), 0);
}

TEST_F(MedImageFiles, BigEndianFilesWithTheFlag) {
  const std::string path = medfix::write("big.dat", acrNema(true, false, true).bytes.data);
  EXPECT_EQ(recognise(path).kind, 0);
  ByteOrderBigEndian = 1;
  const Geometry g = recognise(path);
  EXPECT_EQ(g, (Geometry{2, 3, 2, 2, g.offset}));
  float hi = 0, lo = 0;
  ASSERT_EQ(getMaxMinAndData(path, g.width, g.height, g.slices, g.offset, &hi, &lo), 1);
  EXPECT_EQ(imageSGData[1], 1);  // bytes 00 01 read as 0x0001
  EXPECT_EQ(hi, 11);
  EXPECT_EQ(lo, 0);
}

TEST_F(MedImageFiles, LoadReloadAndSave) {
  Bytes file = medfix::volumeFile(2, 3, 2, 12);
  file.u16(0x7777);  // a trailing byte pair the save keeps
  const std::string path = medfix::write("v.dat", file.data);
  const Geometry g = recognise(path);
  ASSERT_EQ(g, (Geometry{4, 3, 2, 2, 75}));
  float hi = 0, lo = 0;
  ASSERT_EQ(getMaxMinAndData(path, 3, 2, 2, 75, &hi, &lo), 1);
  EXPECT_EQ(hi, 11);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(imageSGBUData, std::vector<std::int16_t>(12, 0));

  // Edits in memory; a reload of slice 2 puts back the file's values there only.
  for (auto& v : imageSGData) v = -5;
  ASSERT_EQ(getImageDataAtSlice(path, 3, 2, 2, 75, 2), 1);
  EXPECT_EQ(imageSGData[5], -5);
  EXPECT_EQ(imageSGData[6], 6);
  EXPECT_EQ(getImageDataAtSlice(path, 3, 2, 2, 75, 3), 0);

  const std::string out = medfix::pathInHome("saved.dat");
  ASSERT_EQ(saveImageData(path, out, imageSGData.data(), 3, 2, 2, 75), 1);
  const std::string saved = medfix::read(out);
  ASSERT_EQ(saved.size(), file.data.size());
  EXPECT_EQ(saved.substr(0, 75), file.data.substr(0, 75));
  EXPECT_EQ(saved.substr(75 + 10, 2), std::string("\xFB\xFF", 2));  // -5
  EXPECT_EQ(saved.substr(75 + 12, 2), std::string("\x06\x00", 2));
  EXPECT_EQ(saved.substr(saved.size() - 2), std::string("\x77\x77", 2));

  // A source shorter than the block writes nothing.
  const std::string none = medfix::pathInHome("none.dat");
  EXPECT_EQ(saveImageData(path, none, imageSGData.data(), 3, 2, 3, 75), 0);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(none)));

  // A block beyond the file fails and releases both buffers.
  EXPECT_EQ(getMaxMinAndData(path, 3, 2, 3, 75, &hi, &lo), 0);
  EXPECT_TRUE(imageSGData.empty());
  EXPECT_TRUE(imageSGBUData.empty());
  EXPECT_EQ(getImageDataAtSlice(path, 3, 2, 2, 75, 1), 0);
}

TEST_F(MedImageFiles, OldPetPixelsAreByteSwapped) {
  std::string bytes(32768 + 1024, '\0');
  bytes[1024] = 0x01;
  bytes[1025] = 0x02;
  const std::string path = medfix::write("pet.dat", bytes);
  ASSERT_EQ(recognise(path), (Geometry{5, 128, 128, 1, 1024}));
  float hi = 0, lo = 0;
  ASSERT_EQ(getMaxMinAndData(path, 128, 128, 1, 1024, &hi, &lo), 1);
  EXPECT_EQ(imageSGData[0], 0x0102);
  imageSGData[0] = 0;
  ASSERT_EQ(getImageDataAtSlice(path, 128, 128, 1, 1024, 1), 1);
  EXPECT_EQ(imageSGData[0], 0x0102) << "a reloaded slice reads as the load did";
}

TEST_F(MedImageFiles, ByteOrderFlagReversesElements) {
  const std::string path = medfix::write("two.dat", std::string("\x01\x02\x01\x02", 4));
  for (const int big : {0, 1}) {
    ByteOrderBigEndian = big;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::uint16_t v[4] = {0, 0, 0, 0};
    std::size_t n = 4;
    EXPECT_EQ(ByteOrder_FSRead(f, &n, v, 2), 0);
    EXPECT_EQ(v[0], big ? 0x0102 : 0x0201);
    std::rewind(f);
    n = 4;
    EXPECT_EQ(ByteOrder_FSRead(f, &n, v, 1), 0);  // bytes stay as read
    EXPECT_EQ(v[0], 0x0201);
    n = 8;
    std::rewind(f);
    EXPECT_NE(ByteOrder_FSRead(f, &n, v, 2), 0);
    std::fclose(f);
  }
}

}  // namespace
