// Compressed book text: the slice index, stored and Huffman-coded slices, the three sizes of
// frequency table and sequential reading across slices.

#include <QFile>

#include <string>

#include "edic_fixture.h"
#include "net/edic/compressed_text.h"

namespace {

using namespace pravella::test::edic;

class CompressedText : public EdicTest {
 protected:
  // A book of `pages` pages; page p is filled with the bytes (p + i) mod 251, except for the
  // marks put at its start.
  static BookText numberedPages(uint32_t pages) {
    BookText text;
    for (uint32_t p = 1; p <= pages; ++p) {
      Bytes page(2048);
      for (std::size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<unsigned char>((p * 7 + i / 64) % 251);
      text.put(p, 0, page);
    }
    return text;
  }

  void write(const BookText& text, const CompressOptions& options = {}) {
    writeBook("Z", "圧縮", compressBook(text, options), true);
    reload();
  }

  Bytes slice(int64_t k) {
    ZIP_Data& state = sharedZipData();
    Bytes out(2048);
    const int n = eb_epwunzip_slice(out.data(), *state.stream, k, state.indexLength, state.nodes, state.root);
    if (n < 0) return {};
    out.resize(static_cast<std::size_t>(n));
    return out;
  }

  static Bytes page(const BookText& text, uint32_t p) {
    return Bytes(text.bytes.begin() + (p - 1) * 2048, text.bytes.begin() + p * 2048);
  }
};

TEST_F(CompressedText, SlicesOfEveryGroupDecodeToTheirPages) {
  const BookText text = numberedPages(20);
  write(text);
  ZIP_Data& state = sharedZipData();
  ASSERT_EQ(eb_zopen_epwzipped(state, "圧縮"), 1);
  for (uint32_t k : {1u, 16u, 17u, 20u}) EXPECT_EQ(slice(k), page(text, k)) << "slice " << k;
  EXPECT_TRUE(slice(21).empty());  // beyond the index
  EXPECT_TRUE(slice(0).empty());
  eb_zclose(state);
}

TEST_F(CompressedText, Slice17UsesTheFirstOffsetOfTheSecondGroup) {
  BookText text = numberedPages(17);
  write(text);
  ZIP_Data& state = sharedZipData();
  ASSERT_EQ(eb_zopen_epwzipped(state, "圧縮"), 1);
  const int64_t start = EPWING_V6_targetPointer(*state.stream, 17, state.indexLength);
  unsigned char group[6];
  ASSERT_TRUE(state.stream->seek(state.indexOffset + 36) && state.stream->read(group, 6));
  EXPECT_EQ(start, static_cast<int64_t>(pravella::edic::bigEndian(group, 4) +
                                        pravella::edic::bigEndian(group + 4, 2)));
  eb_zclose(state);
}

TEST_F(CompressedText, TheTableLengthDecidesTheLeaves) {
  const struct {
    int length;
    std::size_t leaves;
  } cases[] = {{512, 257}, {4608, 1281}, {6144, 1537}};
  for (const auto& c : cases) {
    BookText text = numberedPages(2);
    // A two-byte and a four-byte leaf value that the text holds, so that those leaves code it.
    text.put(2, 100, {0x24, 0x22, 0xDE, 0xAD, 0xBE, 0xEF});
    CompressOptions options;
    options.tableLength = c.length;
    options.twoByteLeaves = {0x2422};
    options.fourByteLeaves = {0xDEADBEEF};
    write(text, options);
    ZIP_Data& state = sharedZipData();
    ASSERT_EQ(eb_zopen_epwzipped(state, "圧縮"), 1) << c.length;
    EXPECT_EQ(state.nodes.size(), 2 * c.leaves - 1) << c.length;
    EXPECT_EQ(slice(2), page(text, 2)) << c.length;
    eb_zclose(state);
  }
}

TEST_F(CompressedText, StoredSlicesComeBackUnchanged) {
  const BookText text = numberedPages(3);
  CompressOptions options;
  options.storedSlices = {2};
  write(text, options);
  ZIP_Data& state = sharedZipData();
  ASSERT_EQ(eb_zopen_epwzipped(state, "圧縮"), 1);
  const Bytes stored = slice(2);
  EXPECT_EQ(stored.size(), 2048u);
  EXPECT_EQ(stored, page(text, 2));
  eb_zclose(state);
}

TEST_F(CompressedText, SequentialReadsCrossSlices) {
  BookText text = numberedPages(3);
  text.put(1, 2046, {0x11, 0x22});
  text.put(2, 0, {0x33, 0x44});
  text.put(3, 2044, {0x12, 0x34, 0x56, 0x78});
  write(text);
  ZIP_Data& state = sharedZipData();
  ASSERT_EQ(eb_zopen_epwzipped(state, "圧縮"), 1);
  ASSERT_EQ(setNowPosition_EPWING_V6(1, 2046, state), 1);
  uint32_t value = 0;
  ASSERT_EQ(eb_uint4(state, &value), 1);
  EXPECT_EQ(value, 0x11223344u);
  int64_t slice = 0;
  int offset = 0;
  getNowPosition_EPWING_V6(&slice, &offset, state);
  EXPECT_EQ(slice, 2);
  EXPECT_EQ(offset, 2);
  // The last bytes of the last slice read without a slice after them.
  ASSERT_EQ(setNowPosition_EPWING_V6(3, 2044, state), 1);
  ASSERT_EQ(eb_uint4(state, &value), 1);
  EXPECT_EQ(value, 0x12345678u);
  EXPECT_EQ(eb_uint1(state, &value), 0);
  eb_zclose(state);
}

TEST_F(CompressedText, ReopeningTheSameBookKeepsItsTree) {
  write(numberedPages(2));
  ZIP_Data& state = sharedZipData();
  ASSERT_EQ(eb_zopen_epwzipped(state, "圧縮"), 1);
  eb_zclose(state);
  // Zero the frequency table in place: a rebuilt tree would fail, the kept one still decodes.
  QFile file(dictionaryFolder() + "/Z/MAIN/DATA/HONMON2");
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  file.seek(state.frequencyOffset);
  file.write(QByteArray(static_cast<int>(state.frequencyLength), '\0'));
  file.close();
  ASSERT_EQ(eb_zopen_epwzipped(state, "圧縮"), 1);
  EXPECT_EQ(slice(1).size(), 2048u);
  eb_zclose(state);
  Initialize_ZIP_Data();
  EXPECT_EQ(eb_zopen_epwzipped(state, "圧縮"), 0);  // read anew: no leaf may have frequency 0
}

TEST_F(CompressedText, MalformedSlicesAreNotDecoded) {
  const BookText text = numberedPages(2);
  Bytes book = compressBook(text);
  const uint32_t index = pravella::edic::bigEndian(book.data(), 4);
  ZIP_Data& state = sharedZipData();
  const struct {
    const char* name;
    uint16_t offsetOfSlice2;  // relative to the group's base
  } cases[] = {{"slice 1 longer than a page", 0xFFFF}, {"slice 2 starting where slice 1 does", 0}};
  for (const auto& c : cases) {
    Bytes bad = book;
    bad[index + 4 + 2] = static_cast<unsigned char>(c.offsetOfSlice2 >> 8);
    bad[index + 4 + 3] = static_cast<unsigned char>(c.offsetOfSlice2 & 0xFF);
    writeBook("Z", "圧縮", bad, true);
    reload();
    Initialize_ZIP_Data();
    ASSERT_EQ(eb_zopen_epwzipped(state, "圧縮"), 1) << c.name;
    EXPECT_TRUE(slice(1).empty()) << c.name;
    eb_zclose(state);
  }
  // A slice longer than a page: the last start pushed 100 bytes further.
  Bytes bad = book;
  const uint32_t base = pravella::edic::bigEndian(book.data() + index, 4);
  const uint32_t second = pravella::edic::bigEndian(book.data() + index + 4 + 2, 2);
  const uint32_t longer = second + 2049 + 1;
  bad[index + 4 + 4] = static_cast<unsigned char>(longer >> 8);
  bad[index + 4 + 5] = static_cast<unsigned char>(longer & 0xFF);
  bad.resize(std::max<std::size_t>(bad.size(), base + longer + 10), 0);
  writeBook("Z", "圧縮", bad, true);
  reload();
  Initialize_ZIP_Data();
  ASSERT_EQ(eb_zopen_epwzipped(state, "圧縮"), 1);
  EXPECT_TRUE(slice(2).empty());
  eb_zclose(state);
  // Truncated files and headers pointing outside the file do not open.
  for (std::size_t size : {8u, 100u, 540u}) {
    writeBook("Z", "圧縮", Bytes(book.begin(), book.begin() + static_cast<std::ptrdiff_t>(size)), true);
    reload();
    Initialize_ZIP_Data();
    EXPECT_EQ(eb_zopen_epwzipped(state, "圧縮"), 0) << size;
  }
}

}  // namespace
