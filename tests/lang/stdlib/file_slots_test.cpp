// The file slots: open modes and access groups, the text-number reader, typed binary reads and
// writes in both byte orders, seeking and line reads, and the path-based binary loads.

#include <bit>
#include <cstring>
#include <vector>

#include "lang/stdlib/binary_elements.h"
#include "lang/stdlib/file_fixture.h"

namespace {

template <typename T>
std::string bytesOf(T v, bool reversed = false) {
  std::string b(sizeof(T), '\0');
  std::memcpy(b.data(), &v, sizeof(T));
  if (reversed) std::reverse(b.begin(), b.end());
  return b;
}

std::string doubleBinaryFile(int32_t rows, int32_t cols, const std::vector<double>& values, bool reversed) {
  std::string b(kDoubleBinaryHeader, sizeof kDoubleBinaryHeader);
  b += bytesOf(rows, reversed) + bytesOf(cols, reversed);
  for (double v : values) b += bytesOf(v, reversed);
  return b;
}

}  // namespace

TEST_F(FileTest, AccessTypesChooseTheGroupAndRefuseTheRest) {
  EXPECT_EQ(fileOpen(0, "a.txt", "r+"), 0);
  EXPECT_EQ(takeErrors(), err("unknown access type"));
  EXPECT_EQ(fileOpen(0, "a.txt", "a+"), 0);
  EXPECT_EQ(takeErrors(), err("unknown access type"));
  EXPECT_FALSE(exists("a.txt"));

  EXPECT_EQ(fileOpen(0, "missing.txt", "r"), 0);
  EXPECT_EQ(takeErrors(), err("Can't read file."));
  EXPECT_EQ(fileOpen(0, "no/such/folder.txt", "w"), 0);
  EXPECT_EQ(takeErrors(), err("Can't Write Open"));
  EXPECT_EQ(fileOpen(0, "no/such/folder.txt", "ab"), 0);
  EXPECT_EQ(takeErrors(), err("Can't append Open"));

  EXPECT_EQ(fileOpen(10, "a.txt", "w"), 0);
  EXPECT_EQ(takeErrors(), err("bad file id"));
  ASSERT_EQ(fileOpen(9, "a.txt", "w"), 1);
  EXPECT_EQ(fileOpen(9, "b.txt", "w"), 0);
  EXPECT_EQ(takeErrors(), err("opened file"));
  EXPECT_EQ(fileData[9].name, "a.txt");
  EXPECT_EQ(fileData[9].mode, "w");
  EXPECT_EQ(fileClose(9), 1);
  EXPECT_EQ(fileClose(9), 1);  // an empty slot closes quietly
  EXPECT_EQ(fileWriteString(9, "x"), 0);
  EXPECT_EQ(takeErrors(), err("closed file"));
}

TEST_F(FileTest, UpdateModeWritesBinaryButNotText) {
  write("u.bin", std::string(4, 'z'));
  ASSERT_EQ(fileOpen(1, "u.bin", "rb+"), 1);
  EXPECT_EQ(fileWriteString(1, "ab"), 0);
  EXPECT_EQ(takeErrors(), err("reading file"));
  const double v[2] = {65, 66};
  EXPECT_EQ(fileWriteBinary(1, v, 1, 2, "UChar"), 1);
  double back[2];
  fileSeek(1, 0);
  EXPECT_EQ(fileReadBinary(1, 1, 2, back, "UChar"), 1);  // read refused only for "w"
  fileClose(1);
  EXPECT_EQ(read("u.bin"), "ABzz");
}

TEST_F(FileTest, ReadsAndWritesAreRefusedByAccessGroup) {
  write("r.txt", "1\n");
  ASSERT_EQ(fileOpen(0, "r.txt", "r"), 1);
  const double v = 1;
  EXPECT_EQ(fileWriteBinary(0, &v, 1, 1, "Long"), 0);
  EXPECT_EQ(fileWriteNvalueWithText(0, &v, 1, 1), 0);
  EXPECT_EQ(takeErrors(), err("reading file") + err("reading file"));
  ASSERT_EQ(fileOpen(1, "w.txt", "w"), 1);
  ASSERT_EQ(fileOpen(2, "a.txt", "a"), 1);
  double out[4];
  int rows = 0, cols = 0;
  std::string line;
  EXPECT_EQ(fileReadTextNumber(1, out, 1, &rows, &cols), 0);
  EXPECT_EQ(fileGetString(2, line, 100), 0);
  EXPECT_EQ(fileReadBinary(1, 1, 1, out, "Long"), 0);
  EXPECT_EQ(takeErrors(), err("writting file") + err("writting file") + err("writting file"));
}

TEST_F(FileTest, WritesTextNumbersAndStrings) {
  ASSERT_EQ(fileOpen(3, "t.txt", "w"), 1);
  const double m[4] = {1, 2.5, 3, 4};
  EXPECT_EQ(fileWriteString(3, "head "), 1);
  EXPECT_EQ(fileWriteNvalueWithText(3, m, 2, 2), 1);
  EXPECT_EQ(read("t.txt"), "head 1\t2.5\n3\t4\n");  // flushed after each write
  SaveFormat = "%d";
  EXPECT_EQ(fileWriteNvalueWithText(3, m, 2, 2), 0);
  EXPECT_EQ(takeErrors(), err("Invalid save format."));
}

TEST_F(FileTest, TextNumberReaderFollowsSeparatorAndLineRules) {
  struct Case {
    const char* text;
    int lines;
    std::vector<double> values;
    int cols;
    const char* error;
  };
  const std::vector<Case> cases = {
      {"1,2,3\n4   5  6\n", 2, {1, 2, 3, 4, 5, 6}, 3, nullptr},
      {"1,2,\n", 1, {1, 2, 0}, 3, nullptr},
      {"  1\t\t2\r\n3 ,4\r\n", 2, {1, 2, 3, 4}, 2, nullptr},
      {"1\n\n2\n", 2, {1, 2}, 1, nullptr},                // one empty line after LF is passed over
      {"1\n\n\n2\n", 3, {1, 0, 2}, 1, nullptr},           // a second one is a row of one 0
      {"abc 2\n", 1, {0, 2}, 2, nullptr},                 // text that is no number reads as 0
      {"1 2\n3 4", 2, {}, 0, "Invalid data structure."},  // the last line has no line end
      {"1 2\n3\n", 2, {}, 0, "Invalid data structure."},
      {"1\n", 2, {}, 0, "Invalid data structure."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    write("n.txt", c.text);
    ASSERT_EQ(fileOpen(0, "n.txt", "r"), 1);
    int rows = -1, cols = -1;
    std::vector<double> out(16, -9);
    const int r = fileReadTextNumber(0, out.data(), c.lines, &rows, &cols);
    fileClose(0);
    if (c.error) {
      EXPECT_EQ(r, 0);
      EXPECT_EQ(takeErrors(), err(c.error));
      continue;
    }
    ASSERT_EQ(r, 1) << ResultString;
    EXPECT_EQ(rows, c.lines);
    EXPECT_EQ(cols, c.cols);
    out.resize(c.values.size());
    EXPECT_EQ(out, c.values);
  }
}

TEST_F(FileTest, TextNumberReaderLimits) {
  write("n.txt", std::string(254, '1') + "\n");
  ASSERT_EQ(fileOpen(0, "n.txt", "r"), 1);
  double out[8];
  int rows, cols;
  EXPECT_EQ(fileReadTextNumber(0, out, 1, &rows, &cols), 0);
  EXPECT_EQ(takeErrors(), err("Too long element."));
  fileClose(0);

  std::string many;
  for (int i = 0; i < 65; ++i) many += "1 ";
  write("n.txt", many + "\n");
  ASSERT_EQ(fileOpen(0, "n.txt", "r"), 1);
  const int saved = TNumber;
  TNumber = 64;  // still room for the error line in the result text
  std::vector<double> big(100);
  EXPECT_EQ(fileReadTextNumber(0, big.data(), 1, &rows, &cols), 0);
  TNumber = saved;
  EXPECT_EQ(takeErrors(), err("Too many data."));
}

TEST_F(FileTest, ReadingGoesOnWhereTheLastReadStopped) {
  write("n.txt", "1 2\r\n3 4\r\n");
  ASSERT_EQ(fileOpen(0, "n.txt", "r"), 1);
  double out[4];
  int rows, cols;
  ASSERT_EQ(fileReadTextNumber(0, out, 1, &rows, &cols), 1);
  ASSERT_EQ(fileReadTextNumber(0, out + 2, 1, &rows, &cols), 1);
  EXPECT_EQ(out[3], 4);
}

TEST_F(FileTest, SeekPositionAndLinesUpToTheEnd) {
  write("s.txt", "first line\nsecond\n");
  ASSERT_EQ(fileOpen(4, "s.txt", "r"), 1);
  std::string line;
  EXPECT_EQ(fileGetString(4, line, 100), 1);
  EXPECT_EQ(line, "first line\n");
  EXPECT_EQ(fileGetString(4, line, 4), 1);  // at most size - 1 bytes
  EXPECT_EQ(line, "sec");
  EXPECT_EQ(fileGetString(4, line, 1), 1);
  EXPECT_EQ(line, "");
  EXPECT_EQ(fileSeek(4, -1), 1);
  double pos = 0;
  EXPECT_EQ(GetFilePosition(4, &pos), 1);
  EXPECT_EQ(pos, 18);
  EXPECT_EQ(fileGetString(4, line, 100), 1);
  EXPECT_EQ(line, "_EOF_");
  EXPECT_EQ(fileSeek(4, 6), 1);
  EXPECT_EQ(fileGetString(4, line, 100), 1);
  EXPECT_EQ(line, "line\n");
  double length = 0;
  EXPECT_EQ(DoGetFileLength("s.txt", &length), 1);
  EXPECT_EQ(length, 18);
  EXPECT_EQ(getFileLength_long("s.txt"), 18);
  EXPECT_EQ(getFileLength_long("none"), -1);
  EXPECT_EQ(fileCheck("s.txt"), 1);
  EXPECT_EQ(fileCheck("none"), 0);
  EXPECT_EQ(takeErrors(), "");
}

TEST_F(FileTest, EveryTypeRoundTripsInBothByteOrders) {
  struct Case {
    const char* type;
    std::vector<double> in;
    std::vector<double> back;
    std::size_t size;
  };
  const std::vector<Case> cases = {
      {"SChar", {-1, 127, 300.7}, {-1, 127, 44}, 1},
      {"UByte", {255, -1, 300.7}, {255, 255, 44}, 1},
      {"short", {-2, 32767, 70000}, {-2, 32767, 4464}, 2},
      {"UShort", {65535, -1, 1.9}, {65535, 65535, 1}, 2},
      {"SignedLongInteger", {-1, 2147483647, -7.9}, {-1, 2147483647, -7}, 4},
      {"ULong", {-1, 7, 0}, {4294967295.0, 7, 0}, 4},
      {"Float", {0.5, -2.25, 1e10}, {0.5, -2.25, 1e10}, 4},
      {"Double", {0.1, -1e300, 3}, {0.1, -1e300, 3}, 8},
  };
  for (int order = 0; order < 2; ++order) {
    ByteOrderBigEndian = order;
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.type) + (order ? " big" : " little"));
      ASSERT_EQ(fileOpen(0, "b.bin", "wb"), 1);
      ASSERT_EQ(fileWriteBinary(0, c.in.data(), 1, 3, c.type), 1);
      fileClose(0);
      const std::string bytes = read("b.bin");
      ASSERT_EQ(bytes.size(), 3 * c.size);
      ASSERT_EQ(fileOpen(0, "b.bin", "rb"), 1);
      std::vector<double> out(3);
      ASSERT_EQ(fileReadBinary(0, 3, 1, out.data(), c.type), 1);
      fileClose(0);
      EXPECT_EQ(out, c.back);
      // The other order reads the same bytes reversed.
      ByteOrderBigEndian = !order;
      ASSERT_EQ(fileOpen(0, "b.bin", "rb"), 1);
      ASSERT_EQ(fileReadBinary(0, 3, 1, out.data(), c.type), 1);
      fileClose(0);
      ByteOrderBigEndian = order;
      if (c.size > 1) {
        EXPECT_NE(out, c.back);
      }
    }
  }
}

TEST_F(FileTest, BigEndianBytesAreReversedInTheFile) {
  ByteOrderBigEndian = 1;
  const double v[2] = {70000, 1.0};
  ASSERT_EQ(fileOpen(0, "b.bin", "wb"), 1);
  ASSERT_EQ(fileWriteBinary(0, v, 1, 1, "Long"), 1);
  ASSERT_EQ(fileWriteBinary(0, v + 1, 1, 1, "double"), 1);
  fileClose(0);
  EXPECT_EQ(read("b.bin"), bytesOf<int32_t>(70000, true) + bytesOf(1.0, true));
  EXPECT_EQ(ZOT_SwapFloat32(ZoT_ConvertFloat32(2.5f)), 2.5);
  const uint64_t raw = ZoT_ConvertFloat64(-3.75);
  uint32_t halves[2];
  std::memcpy(halves, &raw, 8);
  EXPECT_EQ(ZOT_SwapFloat64(halves[0], halves[1]), -3.75);
}

TEST_F(FileTest, BinaryReadRefusals) {
  write("b.bin", std::string(3, '\1'));
  ASSERT_EQ(fileOpen(0, "b.bin", "rb"), 1);
  double out[4] = {7, 7, 7, 7};
  EXPECT_EQ(fileReadBinary(0, 1, 2, out, "UShort"), 0);  // 4 bytes asked, 3 there
  EXPECT_EQ(takeErrors(), err("end of file"));
  EXPECT_EQ(fileReadBinary(0, 1, 1, out, "Int16"), 0);
  EXPECT_EQ(takeErrors(), err("unknown file data type"));
  EXPECT_EQ(fileReadBinary(0, TNumber, 2, out, "UByte"), 0);
  EXPECT_EQ(takeErrors(), err("too big data"));
  const double v = 1;
  ASSERT_EQ(fileOpen(1, "c.bin", "wb"), 1);
  EXPECT_EQ(fileWriteBinary(1, &v, 1, 1, "ushort"), 0);  // names are case-sensitive
  EXPECT_EQ(takeErrors(), err("unknown file data type"));
}

TEST_F(FileTest, DoubleBinaryFilesLoadInEitherByteOrder) {
  const std::vector<double> values = {1.5, -2, 3e-3, 4, 5, 6};
  for (bool reversed : {false, true}) {
    write("d.bin", doubleBinaryFile(2, 3, values, reversed));
    int rows = 0, cols = 0;
    std::vector<double> out(6);
    ASSERT_EQ(DoLoadBinaryDouble("d.bin", &rows, &cols, out.data()), 1) << ResultString;
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(cols, 3);
    EXPECT_EQ(out, values);
  }
  int rows, cols;
  double out[8];
  write("d.bin", doubleBinaryFile(2, 3, values, false) + "x");
  EXPECT_EQ(DoLoadBinaryDouble("d.bin", &rows, &cols, out), 0);
  EXPECT_EQ(takeErrors(), err("illegal type of data_(B)"));
  std::string bad = doubleBinaryFile(2, 3, values, false);
  bad[4] = 'D';
  write("d.bin", bad);
  EXPECT_EQ(DoLoadBinaryDouble("d.bin", &rows, &cols, out), 0);
  EXPECT_EQ(takeErrors(), err("illegal type of data_(A)"));
  EXPECT_EQ(DoLoadBinaryDouble("none.bin", &rows, &cols, out), 0);
  EXPECT_EQ(takeErrors(), err("Can't read file."));
  write("d.bin", doubleBinaryFile(5, 13, std::vector<double>(65, 1.0), false));
  const int saved = TNumber;
  TNumber = 64;
  EXPECT_EQ(DoLoadBinaryDouble("d.bin", &rows, &cols, out), 0);
  TNumber = saved;
  EXPECT_EQ(takeErrors(), err("Too big file data."));
}

TEST_F(FileTest, TypedLoadFromAnOffsetAndShortFilesFail) {
  std::string b = "HEAD";
  for (uint16_t v : {1, 2, 65535, 4}) b += bytesOf(v);
  write("u.bin", b);
  std::vector<double> out(4);
  ASSERT_EQ(DoLoadBinary_next("u.bin", "UShort", 2, 2, 4, out.data(), 0), 1);
  EXPECT_EQ(out, (std::vector<double>{1, 2, 65535, 4}));
  ASSERT_EQ(DoLoadBinary_next("u.bin", "SShort", 1, 2, 8, out.data(), 1), 1);
  EXPECT_EQ(out[0], -1);
  EXPECT_EQ(out[1], 1024);  // 04 00 read most significant byte first

  // Ten elements asked of a file that holds eight: missing data is an error, not zeros.
  write("s.bin", std::string(16, '\0'));
  std::vector<double> ten(10, 7);
  EXPECT_EQ(DoLoadBinary_next("s.bin", "UShort", 10, 1, 0, ten.data(), 0), 0);
  EXPECT_EQ(takeErrors(), err("end of file"));
  EXPECT_EQ(DoLoadBinary_next("s.bin", "UShort", 1, 1, 100, ten.data(), 0), 0);
  EXPECT_EQ(takeErrors(), err("end of file"));
  EXPECT_EQ(DoLoadBinary_next("s.bin", "UShort", 1, 1, -1, ten.data(), 0), 0);
  EXPECT_EQ(takeErrors(), err("invalid form structure"));
  EXPECT_EQ(DoLoadBinary_next("s.bin", "Word", 1, 1, 0, ten.data(), 0), 0);
  EXPECT_EQ(takeErrors(), err("Unknown data type !"));
  EXPECT_EQ(DoLoadBinary_next("none", "UShort", 1, 1, 0, ten.data(), 0), 0);
  EXPECT_EQ(takeErrors(), err("Can't read file."));
}

TEST_F(FileTest, FixedElementLoadReadsBothByteOrders) {
  write("f.bin",
        std::string("xx") + bytesOf<int16_t>(-2) + bytesOf<int16_t>(300) + bytesOf<int32_t>(-70000, true));
  double out[4];
  int rows = 0, cols = 0;
  const double little[5] = {2, 1, 2, 2, 0};
  ASSERT_EQ(DoLoadBinFile("f.bin", little, out, &rows, &cols), 1);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(cols, 2);
  EXPECT_EQ(out[0], -2);
  EXPECT_EQ(out[1], 300);
  const double big[5] = {6, 1, 1, 4, 1};
  ASSERT_EQ(DoLoadBinFile("f.bin", big, out, &rows, &cols), 1);
  EXPECT_EQ(out[0], -70000);
  for (const auto& form : {std::vector<double>{0, 1, 1, 3, 0}, {0, 1, 1, 2, 2}, {-1, 1, 1, 2, 0}}) {
    EXPECT_EQ(DoLoadBinFile("f.bin", form.data(), out, &rows, &cols), 0);
    EXPECT_EQ(takeErrors(), err("invalid form structure"));
  }
  const double tooMany[5] = {0, 10, 1, 4, 0};
  EXPECT_EQ(DoLoadBinFile("f.bin", tooMany, out, &rows, &cols), 0);
  EXPECT_EQ(takeErrors(), err("end of file"));
}

TEST_F(FileTest, WholeTextReadAndItsLimit) {
  write("p.txt", "line 1\r\nline 2\n");
  std::string text;
  ASSERT_EQ(DoProgramList("p.txt", text), 1);
  EXPECT_EQ(text, "line 1\r\nline 2\n");
  const int saved = TNumber;
  TNumber = 64;  // 512 bytes: a file of 511 bytes fits with its terminator, 512 do not
  write("p.txt", std::string(511, 'x'));
  EXPECT_EQ(DoProgramList("p.txt", text), 1);
  write("p.txt", std::string(512, 'x'));
  EXPECT_EQ(DoProgramList("p.txt", text), 0);
  TNumber = saved;
  EXPECT_EQ(takeErrors(), err("File is too big.(type)"));
  EXPECT_EQ(DoProgramList("none.txt", text), 0);
  EXPECT_EQ(takeErrors(), err("Can't read file."));
}

TEST_F(FileTest, StartUpEmptiesTheSlots) {
  write("a.txt", "a");
  ASSERT_EQ(fileOpen(5, "a.txt", "r"), 1);
  EXPECT_EQ(fileAllClose(), 1);
  EXPECT_EQ(fileData[5].stream, nullptr);
  ASSERT_EQ(fileOpen(5, "a.txt", "r"), 1);
  initFileData();
  EXPECT_EQ(fileData[5].stream, nullptr);
  EXPECT_TRUE(fileData[5].name.empty());
}
