// Entry bodies as tagged Shift-JIS text, from plain and compressed books.

#include <string>

#include "edic_fixture.h"
#include "lang/run_state.h"
#include "net/edic/body_text.h"

namespace {

using namespace pravella::test::edic;

class BodyText : public EdicTest {
 protected:
  // The body written at page 3 of a book of the given kind, converted.
  std::string convert(const Units& body, bool compressed, bool* opened = nullptr) {
    BookText text;
    text.put(1, 0, indexTable({}));
    text.put(3, 0, body.b);
    text.put(4, 0, {});
    writeBook("B", "本文", compressed ? compressBook(text) : text.bytes, compressed);
    reload();
    Initialize_ZIP_Data();
    std::string out;
    bool ok = false;
    if (compressed) {
      ZIP_Data& state = sharedZipData();
      ok = eb_zopen_epwzipped(state, "本文") && convertHonbun_EPWING_V6(state, 3, 0, out);
      eb_zclose(state);
    } else {
      ok = convertHonbun("本文", 3, 0, out);
    }
    if (opened) *opened = ok;
    return out;
  }
};

const std::string kA = "\x82\xa0";  // あ in Shift-JIS

TEST_F(BodyText, TheWorkedExampleFromBothConverters) {
  Units body;
  body.u(0x1F09).u(0).u(0x1F41).u(0).u(0x2422).u(0x1F61).u(0x1F0A);
  body.u(0x1F09).u(2).u(0x2422).u(0x1F42).u(0x2422).u(0x1F62).bcd4(1234).bcd2(56).u(0x1F0A);
  body.u(0x1F09).u(0);
  const std::string text =
      "<Tab:000><key_start>" + kA + "<key_end>\n<Tab:002>" + kA + "<[Link]" + kA + "[Link:1234,56]>";
  EXPECT_EQ(convert(body, true), text);
  EXPECT_EQ(convert(body, false), text + "\n\n");
}

TEST_F(BodyText, TagsOfTheEscapes) {
  const struct {
    const char* name;
    Units body;
    std::string compressed, plain;
  } cases[] = {
      {"a line starting with a character", Units().u(0x2422).u(0x1F0A).u(0x2422).u(0x1F03),
       "<Tab:000>" + kA + "\n<Tab:001>" + kA, "<Tab:000>" + kA + "\n<Tab:001>" + kA + "\n"},
      {"indent 12", Units().u(0x2422).u(0x1F09).u(12).u(0x1F03), "<Tab:000>" + kA + "\n<Tab:012>",
       "<Tab:000>" + kA + "\n<Tab:012>\n"},
      {"a second indent 1 ends the entry", Units().u(0x1F09).u(1).u(0x2422).u(0x1F09).u(1).u(0x2422),
       "<Tab:000>" + kA, "<Tab:000>" + kA + "\n"},
      {"brackets, bold and nothing", Units().u(0x1F0E).u(0x1F12).u(0x1F10).u(0x1F13).u(0x1F0F).u(0x1F03),
       "<Tab:000>\x02<bold_start><bold_end>]", "<Tab:000>\x02<bold_start><bold_end>]\n"},
      // The text's own "<" and "[" are marked: they never open a tag.
      {"narrow signs that spell a tag", Units().u(0x1F04).u(0x2163).u(0x214E).u(0x2164).u(0x214F).u(0x1F03),
       "<Tab:000>\x01\x02>]", "<Tab:000>\x01\x02>]\n"},
      {"narrow text", Units().u(0x1F04).u(0x2341).u(0x2422).u(0x3021).u(0xA121).u(0x1F05).u(0xA121).u(0x1F03),
       "<Tab:000>A" + kA + "<GH[161:033]><GF[161:033]>", "<Tab:000>A" + kA + "<GH[161:033]><GF[161:033]>\n"},
      {"a picture", Units().u(0x1F4D).u(9).u(0).u(0).u(0).u(0).u(0).bcd4(5).bcd2(6).u(0x1F6D).u(0x1F03),
       "<Tab:000><Pict[9:5:6]>", "<Tab:000><bmpfig_start><bmpfig_end>\n"},
      {"a picture end without its start", Units().u(0x1F6D).u(0x1F03), "<Tab:000>",
       "<Tab:000><bmpfig_end>\n"},
      {"a sound", Units().u(0x1F4A).raw({0, 0, 0, 0}).bcd4(1).bcd2(2).bcd4(3).bcd2(4).u(0x1F6A).u(0x1F03),
       "<Tab:000>< Sound_[1:2:3:4]_>< Sound_end >", "<Tab:000>\n"},  // plain books have no sound
      {"an unknown escape skips its arguments",
       Units().u(0x1F14).raw({0x24, 0x22, 0x24, 0x22}).u(0x2422).u(0x1F03), "<Tab:000>" + kA,
       "<Tab:000>" + kA + "\n"},
      // The body runs to the end of the file without an end escape: what was read stays.
      {"no end", Units().u(0x2422), "<Tab:000>" + kA, "<Tab:000>" + kA},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(convert(c.body, true), c.compressed) << c.name << " (compressed)";
    EXPECT_EQ(convert(c.body, false), c.plain) << c.name << " (plain)";
  }
}

TEST_F(BodyText, FiguresSkipSixArgumentBytesCompressedAndTwelvePlain) {
  Units compressed, plain;
  compressed.u(0x1F3C).raw({1, 2, 3, 4, 5, 6}).bcd4(20).bcd2(100).u(0x1F03);
  plain.u(0x1F3C).raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}).bcd4(20).bcd2(100).u(0x1F03);
  EXPECT_EQ(convert(compressed, true), "<Tab:000><Fig-[20,100]>");
  EXPECT_EQ(convert(plain, false), "<Tab:000><Fig-[20,100]>\n");
}

TEST_F(BodyText, TheTextStopsAtTheBufferSize) {
  Units body;
  for (int i = 0; i < 30000; ++i) body.u(0x2422);
  const std::string out = convert(body, false);
  EXPECT_LE(out.size(), pravella::edic::kBodyBufferSize - 1);
  EXPECT_GE(out.size(), pravella::edic::kBodyBufferSize - 3);
}

TEST_F(BodyText, TheBreakTestStopsACompressedBody) {
  Units body;
  body.u(0x2422).u(0x1F0A).u(0x2422).u(0x1F03);
  vkButtonDownSinceMs = vkSteadyMillis() - 5000;
  const std::string out = convert(body, true);
  vkButtonDownSinceMs = 0;
  EXPECT_EQ(out, "");
}

TEST_F(BodyText, APositionOutsideTheBookGivesNothing) {
  bool opened = true;
  BookText text;
  text.put(1, 0, indexTable({}));
  writeBook("B", "本文", text.bytes, false);
  reload();
  std::string out;
  EXPECT_FALSE(convertHonbun("本文", 99, 0, out));
  EXPECT_FALSE(convertHonbun("無い", 1, 0, out));
  (void)opened;
}

}  // namespace
