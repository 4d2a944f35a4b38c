// Gaiji glyphs, grey figures and colour pictures made from book data, and their refusals.

#include <QBuffer>
#include <QImage>

#include <string>

#include "edic_fixture.h"
#include "net/edic/book_pictures.h"
#include "net/edic/gaiji_table.h"

namespace {

using namespace pravella::test::edic;

class BookPictures : public EdicTest {
 protected:
  void SetUp() override {
    EdicTest::SetUp();
    SetDispJisyoGaijiCodeSwitch(1);
    SetRefToDicStatus(16, 12);
  }
  void writeGaijiBook(const Bytes& zen, const Bytes& han) {
    const QString root = dictionaryFolder() + "/G";
    writeFile(root + "/CATALOGS", catalog(true, {{"外字", "MAIN", "ZEN", "HAN"}}));
    BookText text;
    text.put(1, 0, indexTable({}));
    writeFile(root + "/MAIN/DATA/HONMON", text.bytes);
    writeFile(root + "/MAIN/GAIJI/ZEN", zen);
    writeFile(root + "/MAIN/GAIJI/HAN", han);
    reload();
  }
};

TEST_F(BookPictures, GlyphsFromTheFontFilesScaledToTheText) {
  writeGaijiBook(gaijiFont(16, 16, 0xA121, {Bytes(32, 0), topRowGlyph()}),
                 gaijiFont(8, 16, 0xA121, {Bytes(16, 0xFF)}));
  const struct {
    uint16_t code;
    int kind;
    int width, height;  // 0: refused
  } cases[] = {
      {0xA122, 0, 14, 14},  // 16 x 0.9
      {0xA121, 1, 6, 12},   // 12 / 16
      {0xA120, 0, 0, 0},    // before the first code
      {0xA123, 0, 0, 0},    // beyond the count
      {0xA122, 1, 0, 0},    // the half-width font has one glyph
  };
  for (const auto& c : cases) {
    const QImage glyph = getGaijiData16("外字", c.code, c.kind);
    EXPECT_EQ(glyph.width(), c.width) << std::hex << c.code << " " << c.kind;
    EXPECT_EQ(glyph.height(), c.height) << std::hex << c.code << " " << c.kind;
  }
  const QImage unscaled = DoGaijiPlotData(topRowGlyph().data(), 16, 16);
  EXPECT_EQ(unscaled.pixel(5, 0), qRgb(0, 0, 0));
  EXPECT_EQ(unscaled.pixel(5, 1), qRgb(255, 255, 255));
  SetDispJisyoGaijiCodeSwitch(0);
  EXPECT_TRUE(getGaijiData16("外字", 0xA122, 0).isNull());
}

TEST_F(BookPictures, AGlyphBeyondTheFontFileIsRefused) {
  // The header counts 3 glyphs, the file holds one.
  Bytes font = gaijiFont(16, 16, 0xA121, {topRowGlyph()});
  font[12] = 0;
  font[13] = 3;
  writeGaijiBook(font, {});
  EXPECT_FALSE(getGaijiData16("外字", 0xA121, 0).isNull());
  EXPECT_TRUE(getGaijiData16("外字", 0xA123, 0).isNull());
  EXPECT_TRUE(getGaijiData16("外字", 0xA121, 1).isNull());  // an empty half-width file
}

TEST_F(BookPictures, GlyphsFromAFontInsideTheBodyFile) {
  // Index 0xF1 at page 5: the header at byte 8 of that page, the glyphs from page 6.
  BookText text;
  text.put(1, 0, indexTable({{0xF1, 5, 2}}));
  Bytes font = gaijiFont(16, 16, 0xB121, {Bytes(32, 0), topRowGlyph()});
  text.put(5, 0, Bytes(font.begin(), font.begin() + 2048));
  text.put(6, 0, Bytes(font.begin() + 2048, font.end()));
  for (bool compressed : {false, true}) {
    writeBook("I", "内字", compressed ? compressBook(text) : text.bytes, compressed);
    reload();
    Initialize_ZIP_Data();
    const QImage glyph = getGaijiData16("内字", 0xB122, 0);
    ASSERT_EQ(glyph.size(), QSize(14, 14)) << compressed;
    EXPECT_LT(qGray(glyph.pixel(7, 0)), 64) << compressed;  // the black top row, smoothed
    EXPECT_GT(qGray(glyph.pixel(7, 10)), 192) << compressed;
    EXPECT_TRUE(getGaijiData16("内字", 0xB123, 0).isNull()) << compressed;
    EXPECT_TRUE(getGaijiData16("内字", 0xB121, 1).isNull()) << compressed;  // no half-width font
  }
}

TEST_F(BookPictures, GreyFiguresAndTheirLimits) {
  const struct {
    const char* name;
    Bytes data;
    bool made;
  } cases[] = {
      {"10 x 2 with 2 padding bytes a row", greyFigure(10, 2, 54, 2), true},
      {"pixels beyond the book", greyFigure(10, 200, 54, 2), false},
      {"a data offset beyond the book", greyFigure(10, 2, 0x7FFFFFF0, 0), false},
      {"wider than 4096", greyFigure(5000, 1, 54, 1), false},
      {"negative height", greyFigure(10, -2, 54, 2), false},
  };
  for (const auto& c : cases) {
    BookText text;
    text.put(1, 0, indexTable({}));
    text.put(3, 16, c.data);
    writeBook("F", "図", text.bytes, false);
    reload();
    auto file = EBDictionaryFile("図");
    ASSERT_NE(file, nullptr);
    pravella::edic::PlainBookReader reader(*file);
    const QImage figure = getFigOfEPWING(reader, 3, 16);
    EXPECT_EQ(!figure.isNull(), c.made) << c.name;
    if (c.made && !figure.isNull()) {
      EXPECT_EQ(figure.size(), QSize(10, 2));
      EXPECT_EQ(figure.pixel(3, 1), qRgb(3, 3, 3));  // the bottom row comes first
      EXPECT_EQ(figure.pixel(3, 0), qRgb(103, 103, 103));
    }
  }
}

TEST_F(BookPictures, PicturesOfTheGraphicsFileAndTheCompressedText) {
  const QByteArray image = jpeg();
  const QString root = dictionaryFolder() + "/J";
  BookText text;
  text.put(1, 0, indexTable({}));
  text.put(2, 0, pictureRecord(static_cast<uint32_t>(image.size()), image));
  text.put(3, 0, pictureRecord(100000000, image));  // far beyond the book
  text.put(4, 0, {});
  writeFile(root + "/CATALOGS", catalog(true, {{"絵", "MAIN"}}));
  writeFile(root + "/MAIN/DATA/HONMON2", compressBook(text));
  Bytes graphics;
  graphics.resize(2048, 0);
  const Bytes good = pictureRecord(static_cast<uint32_t>(image.size()), image);
  std::copy(good.begin(), good.end(), graphics.begin() + 10);
  const Bytes big = pictureRecord(100001, image);
  graphics.insert(graphics.end(), big.begin(), big.end());
  graphics.resize(2048 + 100001 + 8, 0);
  writeFile(root + "/MAIN/DATA/HONMONG", graphics);
  reload();
  EXPECT_EQ(GetJPEGpictrue_EPWING_V6("絵", 1, 10).size(), QSize(8, 4));
  EXPECT_TRUE(GetJPEGpictrue_EPWING_V6("絵", 2, 0).isNull());  // 100,001 bytes
  EXPECT_TRUE(GetJPEGpictrue_EPWING_V6("絵", 9, 0).isNull());  // beyond the file
  ZIP_Data& state = sharedZipData();
  ASSERT_EQ(eb_zopen_epwzipped(state, "絵"), 1);
  EXPECT_EQ(GetBMPpictrue_EPWING_V6(state, 2, 0).size(), QSize(8, 4));
  EXPECT_TRUE(GetBMPpictrue_EPWING_V6(state, 3, 0).isNull());
  eb_zclose(state);
}

}  // namespace
