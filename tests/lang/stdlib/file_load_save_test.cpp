// Whole-file loads and saves: numeric text tables, fixed columns, saved numbers and strings,
// double-binary and block string files, typed saves at an offset, each written and read back.

#include <cstring>
#include <vector>

#include "lang/stdlib/file_fixture.h"
#include "lang/stdlib/file_load_save.h"

namespace {

template <typename T>
std::string bytesOf(T v, bool reversed = false) {
  std::string b(sizeof(T), '\0');
  std::memcpy(b.data(), &v, sizeof(T));
  if (reversed) std::reverse(b.begin(), b.end());
  return b;
}

}  // namespace

TEST_F(FileTest, NumberTablesLoadWithTheirLineEndRules) {
  struct Case {
    std::string text;
    std::vector<double> values;
    int rows, cols;
    const char* error;
  };
  const std::vector<Case> cases = {
      {"1,2,3\n4 5 6\n", {1, 2, 3, 4, 5, 6}, 2, 3, nullptr},
      {"1,2,3\n4 5 6", {1, 2, 3, 4, 5, 6}, 2, 3, nullptr},
      {"1,2,3\r\n4 5 6\r\n", {1, 2, 3, 4, 5, 6}, 2, 3, nullptr},
      {"1,2,3\n\n4 5 6\n", {1, 2, 3, 4, 5, 6}, 2, 3, nullptr},
      {"1,2,3\n\n\n4 5 6\n", {1, 2, 3, 4, 5, 6}, 2, 3, nullptr},
      {"1 2 3 \n\t4,5,6,\n", {1, 2, 3, 4, 5, 6}, 2, 3, nullptr},
      {"x 2\n", {0, 2}, 1, 2, nullptr},
      {"", {}, 0, 0, nullptr},
      {"1,2,3\r\n\r\n4 5 6\r\n", {}, 0, 0, "Invalid data structure."},
      {"1 2\n3\n", {}, 0, 0, "Invalid data structure."},
      {std::string(254, '7') + "\n", {}, 0, 0, "Too long element."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    write("t.txt", c.text);
    std::vector<double> out(8, -1);
    int rows = -1, cols = -1;
    const int r = DoLoadNumvalue("t.txt", out.data(), &rows, &cols, 0);
    if (c.error) {
      EXPECT_EQ(r, 0);
      EXPECT_EQ(takeErrors(), err(c.error));
      continue;
    }
    ASSERT_EQ(r, 1) << ResultString;
    EXPECT_EQ(rows, c.rows);
    EXPECT_EQ(cols, c.cols);
    out.resize(c.values.size());
    EXPECT_EQ(out, c.values);
  }
}

TEST_F(FileTest, NumberTableFromAnOffsetAndItsLimits) {
  write("t.txt", "12 34\n56 78\n");
  double out[8];
  int rows, cols;
  ASSERT_EQ(DoLoadNumvalue("t.txt", out, &rows, &cols, 1), 1);
  EXPECT_EQ(out[0], 2);  // the first row starts at the byte of the offset
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(DoLoadNumvalue("none.txt", out, &rows, &cols, 0), 0);
  EXPECT_EQ(takeErrors(), err("Can't read file."));
  std::string many;
  for (int i = 0; i < 65; ++i) many += "1\n";
  write("t.txt", many);
  const int saved = TNumber;
  TNumber = 64;
  std::vector<double> big(100);
  EXPECT_EQ(DoLoadNumvalue("t.txt", big.data(), &rows, &cols, 0), 0);
  TNumber = saved;
  EXPECT_EQ(takeErrors(), err("Too many datas."));
}

TEST_F(FileTest, FixedColumnsAreCutFromEachLine) {
  const double fields[4] = {1, 3, 4, 6};
  std::vector<double> out(8, -1);
  int rows = 0, cols = 0;
  write("f.txt", "123456\n654321\ntail");
  ASSERT_EQ(DoLoadFixedTextData("f.txt", out.data(), &rows, &cols, fields, 2), 1);
  EXPECT_EQ(rows, 2);  // the bytes after the last line end are dropped
  EXPECT_EQ(cols, 2);
  out.resize(4);
  EXPECT_EQ(out, (std::vector<double>{123, 456, 654, 321}));
  out.assign(8, -1);
  write("f.txt", "123456\r\n");
  ASSERT_EQ(DoLoadFixedTextData("f.txt", out.data(), &rows, &cols, fields, 2), 1);
  EXPECT_EQ(rows, 2);  // CR and LF each end a line
  out.resize(4);
  EXPECT_EQ(out, (std::vector<double>{123, 456, 0, 0}));

  write("f.txt", std::string(2046, '1') + "\n");
  EXPECT_EQ(DoLoadFixedTextData("f.txt", out.data(), &rows, &cols, fields, 2), 1);
  write("f.txt", std::string(2047, '1') + "\n");
  EXPECT_EQ(DoLoadFixedTextData("f.txt", out.data(), &rows, &cols, fields, 2), 0);
  EXPECT_EQ(takeErrors(), err("line buffer is overflow."));
  const double outside[2] = {2040, 2049};
  EXPECT_EQ(DoLoadFixedTextData("f.txt", out.data(), &rows, &cols, outside, 1), 0);
  const double backwards[2] = {3, 2};
  EXPECT_EQ(DoLoadFixedTextData("f.txt", out.data(), &rows, &cols, backwards, 1), 0);
  EXPECT_EQ(takeErrors(), err("invalid form structure") + err("invalid form structure"));
}

TEST_F(FileTest, SavedNumbersAndStringsReadBack) {
  const double m[4] = {1, 2, 3, 4.5};
  ASSERT_EQ(DoSaveNumValue("m.txt", m, 2, 2), 1);
  EXPECT_EQ(read("m.txt"), "1\t2\n3\t4.5\n");
  double out[4];
  int rows, cols;
  ASSERT_EQ(DoLoadNumvalue("m.txt", out, &rows, &cols, 0), 1);
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(cols, 2);
  EXPECT_EQ(out[3], 4.5);
  SaveFormat = "%.3f";
  ASSERT_EQ(DoSaveNumValue("m.txt", m, 1, 2), 1);
  EXPECT_EQ(read("m.txt"), "1.000\t2.000\n");
  SaveFormat = "%s";
  EXPECT_EQ(DoSaveNumValue("m.txt", m, 1, 2), 0);
  EXPECT_EQ(takeErrors(), err("Invalid save format."));
  EXPECT_EQ(read("m.txt"), "1.000\t2.000\n");

  ASSERT_EQ(DoSaveStrValue("s.txt", "text"), 1);
  EXPECT_EQ(read("s.txt"), std::string("text\0", 5));
  ASSERT_EQ(DoSaveProgram("p.txt", ""), 1);
  EXPECT_EQ(read("p.txt"), std::string(1, '\0'));
  EXPECT_EQ(NowLoadSaveName, full("p.txt"));
  EXPECT_EQ(DoSaveStrValue("no/folder/s.txt", "x"), 0);
  EXPECT_EQ(takeErrors(), err("Cannot save \"no/folder/s.txt\": No such file or directory") +
                              err("Can't open the save file."));
  EXPECT_EQ(entries(), (QStringList{"m.txt", "p.txt", "s.txt"}));  // no temporary left behind
}

TEST_F(FileTest, DoubleBinaryFilesRoundTrip) {
  const std::vector<double> m = {1.25, -2, 1e-300, 4, 5, 6};
  ASSERT_EQ(DoSaveBinaryDouble("d.bin", m.data(), 3, 2), 1);
  const std::string bytes = read("d.bin");
  ASSERT_EQ(bytes.size(), 47u + 48u);
  EXPECT_EQ(bytes.substr(0, 39), std::string(kDoubleBinaryHeader, 39));
  EXPECT_EQ(bytes.substr(39, 8), bytesOf<int32_t>(3) + bytesOf<int32_t>(2));
  for (auto load : {&DoLoadBinaryDouble, &DoLoadBinaryDoubleForBlockk}) {
    std::vector<double> out(6);
    int rows = 0, cols = 0;
    ASSERT_EQ(load("d.bin", &rows, &cols, out.data()), 1);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(cols, 2);
    EXPECT_EQ(out, m);
  }
  ASSERT_EQ(DoSaveBinaryDoubleForBlock("e.bin", m.data(), 3, 2), 1);
  EXPECT_EQ(read("e.bin"), bytes);
  EXPECT_EQ(DoSaveBinaryDouble("d.bin", m.data(), 0, 2), 0);
  EXPECT_EQ(takeErrors(), err("invalid form structure"));
  EXPECT_EQ(read("d.bin"), bytes);

  int rows, cols;
  double out[8];
  write("d.bin", bytes.substr(0, bytes.size() - 1));
  EXPECT_EQ(DoLoadBinaryDoubleForBlockk("d.bin", &rows, &cols, out), 0);
  EXPECT_EQ(takeErrors(), err("end of file"));
  write("d.bin", "not a matrix at all, not a matrix at all, no");
  EXPECT_EQ(DoLoadBinaryDoubleForBlockk("d.bin", &rows, &cols, out), 0);
  EXPECT_EQ(takeErrors(), err("illegal type of data"));
}

TEST_F(FileTest, TypedSavesAtAnOffsetInBothByteOrders) {
  const double v[2] = {70000, -1};
  ASSERT_EQ(DoSaveBinary("l.bin", "Long", v, 1, 2, 0), 1);
  EXPECT_EQ(read("l.bin"), bytesOf<int32_t>(70000) + bytesOf<int32_t>(-1));
  ASSERT_EQ(DoSaveBinary("s.bin", "UShort", v, 2, 1, 100), 1);
  EXPECT_EQ(read("s.bin"), std::string(100, '\0') + bytesOf<uint16_t>(4464) + bytesOf<uint16_t>(65535));
  ByteOrderBigEndian = 1;
  ASSERT_EQ(DoSaveBinary("l.bin", "Long", v, 1, 2, 0), 1);
  EXPECT_EQ(read("l.bin"), bytesOf<int32_t>(70000, true) + bytesOf<int32_t>(-1, true));
  const double f[2] = {0.5, 0.25};
  ASSERT_EQ(DoSaveBinary("f.bin", "float", f, 1, 1, 0), 1);
  ASSERT_EQ(DoSaveBinary("g.bin", "double", f + 1, 1, 1, 0), 1);
  EXPECT_EQ(read("f.bin"), bytesOf(0.5f, true));
  EXPECT_EQ(read("g.bin"), bytesOf(0.25, true));

  // Read back through the typed load with the same switch.
  std::vector<double> back(2);
  ASSERT_EQ(DoLoadBinary_next("l.bin", "SLong", 1, 2, 0, back.data(), ByteOrderBigEndian), 1);
  EXPECT_EQ(back, (std::vector<double>{70000, -1}));
  ByteOrderBigEndian = 0;

  const int32_t ints[3] = {258, -2, 65536 + 7};
  ASSERT_EQ(DoSaveBinary_Int("i.bin", "SShort", ints, 3, 1, 2), 1);
  EXPECT_EQ(read("i.bin"),
            std::string(2, '\0') + bytesOf<int16_t>(258) + bytesOf<int16_t>(-2) + bytesOf<int16_t>(7));
  EXPECT_EQ(DoSaveBinary_Int("i.bin", "Float", ints, 3, 1, 0), 0);
  EXPECT_EQ(DoSaveBinary("i.bin", "Word", v, 1, 1, 0), 0);
  EXPECT_EQ(takeErrors(), err("Unknown data type !") + err("Unknown data type !"));
  EXPECT_EQ(read("i.bin").size(), 8u);  // an unknown type leaves the file as it was
  EXPECT_EQ(DoSaveBinary("i.bin", "Long", v, 1, 1, -1), 0);
  EXPECT_EQ(DoSaveBinary("i.bin", "Long", v, 0, 1, 0), 0);
  EXPECT_EQ(takeErrors(), err("invalid form structure") + err("invalid form structure"));
}

TEST_F(FileTest, RewriteKeepsTheRestOfTheFile) {
  write("r.bin", "abcdefgh");
  const double v[2] = {'X', 'Y'};
  ASSERT_EQ(DoSaveBinaryReWrite("r.bin", "UChar", v, 1, 2, 3), 1);
  EXPECT_EQ(read("r.bin"), "abcXYfgh");
  ASSERT_EQ(DoSaveBinaryReWrite("r.bin", "UChar", v, 1, 2, 10), 1);
  EXPECT_EQ(read("r.bin"), std::string("abcXYfgh\0\0XY", 12));
  const int32_t i[1] = {0x5A5A};
  ASSERT_EQ(DoSaveBinaryReWrite_Int("r.bin", "UShort", i, 1, 1, 0), 1);
  EXPECT_EQ(read("r.bin").substr(0, 3), "ZZc");
  EXPECT_EQ(DoSaveBinaryReWrite("none.bin", "UChar", v, 1, 1, 0), 0);
  EXPECT_EQ(takeErrors(), err("Can't open the save file."));
  EXPECT_FALSE(exists("none.bin"));
}

TEST_F(FileTest, BlockStringFilesRoundTrip) {
  ASSERT_EQ(DoSaveStringForBlock("b.str", "hello\nworld"), 1);
  const std::string bytes = read("b.str");
  EXPECT_EQ(bytes,
            std::string(kBlockStringHeader, 38) + bytesOf<int32_t>(12) + std::string("hello\nworld\0", 12));
  std::string out;
  ASSERT_EQ(DoLoadStringForBlock("b.str", out), 1);
  EXPECT_EQ(out, "hello\nworld");
  write("b.str", bytes.substr(0, bytes.size() - 2));
  EXPECT_EQ(DoLoadStringForBlock("b.str", out), 0);
  EXPECT_EQ(takeErrors(), err("end of file"));
  write("b.str", std::string(kBlockStringHeader, 38) + bytesOf<int32_t>(-5));
  EXPECT_EQ(DoLoadStringForBlock("b.str", out), 0);
  write("b.str", std::string(50, 'x'));
  EXPECT_EQ(DoLoadStringForBlock("b.str", out), 0);
  EXPECT_EQ(takeErrors(), err("illegal type of data") + err("illegal type of data"));
  EXPECT_EQ(DoLoadStringForBlock("none", out), 0);
  EXPECT_EQ(takeErrors(), err("Can't open the load file."));
}

TEST_F(FileTest, TypedSavesReadBackThroughTheTypedLoadForEveryType) {
  const std::vector<std::pair<const char*, std::vector<double>>> cases = {
      {"SByte", {-128, 0, 127}},       {"UChar", {0, 128, 255}},         {"SInteger", {-32768, 1, 32767}},
      {"UInteger", {0, 40000, 65535}}, {"SLong", {-2147483648.0, 0, 5}}, {"ULong", {0, 3000000000.0, 1}},
      {"float", {0.5, -1.25, 1024}},   {"Double", {0.1, -2e-300, 7}},
  };
  for (int order = 0; order < 2; ++order) {
    ByteOrderBigEndian = order;
    for (const auto& [type, values] : cases) {
      SCOPED_TRACE(std::string(type) + (order ? " big" : " little"));
      ASSERT_EQ(DoSaveBinary("t.bin", type, values.data(), 3, 1, 5), 1);
      std::vector<double> back(3);
      ASSERT_EQ(DoLoadBinary_next("t.bin", type, 1, 3, 5, back.data(), order), 1);
      EXPECT_EQ(back, values);
      std::vector<int32_t> ints;
      for (double v : values) ints.push_back(static_cast<int32_t>(static_cast<int64_t>(v)));
      if (std::string_view(type) == "float" || std::string_view(type) == "Double") continue;
      ASSERT_EQ(DoSaveBinary_Int("i.bin", type, ints.data(), 1, 3, 0), 1);
      EXPECT_EQ(read("i.bin"), read("t.bin").substr(5));
    }
  }
}

TEST_F(FileTest, SlotTextOutputReadsBackAsATable) {
  const double m[6] = {1, -2.5, 3e-7, 4, 5, 6e20};
  ASSERT_EQ(fileOpen(0, "m.txt", "w"), 1);
  ASSERT_EQ(fileWriteNvalueWithText(0, m, 2, 3), 1);
  fileClose(0);
  std::vector<double> slot(6), whole(6);
  int rows, cols;
  ASSERT_EQ(fileOpen(0, "m.txt", "r"), 1);
  ASSERT_EQ(fileReadTextNumber(0, slot.data(), 2, &rows, &cols), 1);
  ASSERT_EQ(DoLoadNumvalue("m.txt", whole.data(), &rows, &cols, 0), 1);
  EXPECT_EQ(slot, std::vector<double>(m, m + 6));
  EXPECT_EQ(whole, slot);
}
