// Broken and hostile RTF: the reader must survive all of it, read what is sound and stop.
// The inputs are deterministic (fixed seeds), so a failure repeats.

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTextDocument>

#include <cstdio>
#include <optional>
#include <string>

#include "support/console_capture.h"
#include "platform/console_log.h"
#include "platform/rich_text_file.h"
#include "platform/rtf.h"

namespace {

const QString kFixtures = QStringLiteral(PRAVELLA_TEST_DATA_DIR "/platform/fixtures");

QByteArray fixture(const QString& name) {
  QFile f(kFixtures + "/" + name);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
  return f.readAll();
}

// Reading must not crash, and what was read must write and read again.
void survive(const QByteArray& input) {
  QTextDocument doc;
  const pravella::rtf::AttachmentLoader loader =
      [](const QString& name) -> std::optional<pravella::rtf::Attachment> {
    if (name.startsWith(u'p')) return pravella::rtf::Attachment{name, "\x89PNG\r\n\x1a\n broken picture", {}};
    return std::nullopt;
  };
  pravella::rtf::read(input, doc, loader);
  for (auto mode : {pravella::rtf::AttachmentMode::Embed, pravella::rtf::AttachmentMode::Separate}) {
    const pravella::rtf::WriteOutput out = pravella::rtf::write(doc, mode);
    QTextDocument again;
    const pravella::rtf::ReadResult r = pravella::rtf::read(out.rtf, again, loader);
    ASSERT_TRUE(r.ok && r.complete) << "our own output did not read back:\n" << out.rtf.toStdString();
  }
}

class QuietConsole : public testing::Test {
 protected:
  pravella::test::ConsoleCapture console_;
};

using RtfFuzz = QuietConsole;

TEST_F(RtfFuzz, EveryTruncationOfRealDocuments) {
  for (const QString& name :
       {QStringLiteral("diary_entry.rtfd/TXT.rtf"), QStringLiteral("old_shiftjis.rtf")}) {
    const QByteArray whole = fixture(name);
    for (qsizetype n = 0; n <= whole.size(); ++n) survive(whole.left(n));
  }
}

TEST_F(RtfFuzz, MutatedDocuments) {
  // A third seed with lists and a table, as other editors write them.
  const QByteArray seeds[] = {
      fixture("diary_entry.rtfd/TXT.rtf"), fixture("old_shiftjis.rtf"),
      "{\\rtf1\\ansi intro\\par\\pard\\ls1\\ilvl0{\\listtext 1.\\tab}one\\par{\\listtext 2.\\tab}two\\par"
      "\\pard\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\par c\\cell\\row"
      "\\trowd\\cellx1000\\cellx2000\\pard\\intbl\\cell d\\nestcell e\\nestrow\\cell\\row\\pard after}"};
  // Pieces that steer the reader into its less travelled paths.
  static const char* const kTokens[] = {"{",
                                        "}",
                                        "\\",
                                        "\\'",
                                        "\\'8",
                                        "\\'zz",
                                        "\\u",
                                        "\\u-1",
                                        "\\u65535",
                                        "\\u-32768",
                                        "\\uc9",
                                        "\\uc-3",
                                        "\\bin",
                                        "\\bin999999",
                                        "\\bin-5 ",
                                        "\\*",
                                        "\\*\\fldinst",
                                        "{\\field",
                                        "\\fldrslt",
                                        "\\fldinst ",
                                        "HYPERLINK \"",
                                        "{\\pict\\pngblip ",
                                        "89504e47",
                                        "\\NeXTGraphic ",
                                        "\\NeXTGraphic p.png",
                                        "\\width99999999999",
                                        "\\fonttbl",
                                        "\\colortbl",
                                        ";",
                                        "\\red300",
                                        "\\f99999",
                                        "\\fs0",
                                        "\\fs99999999",
                                        "\\li-9999999",
                                        "\\tx",
                                        "\\tqr",
                                        "\\par",
                                        "\\pard",
                                        "\\plain",
                                        "\\ansicpg932",
                                        "\\ansicpg0",
                                        "\\cpg65001",
                                        "\\fcharset128",
                                        "\\'82",
                                        "\\'ff",
                                        "\xff",
                                        "\x82",
                                        "\\object",
                                        "\\result",
                                        "\\line",
                                        "\\cf-1",
                                        "\\cb99",
                                        "\\sl-240",
                                        "\\slmult1",
                                        "\\~",
                                        "\\-",
                                        "\n",
                                        "\\\n",
                                        "{\\*\\x",
                                        "}}}}",
                                        "{{{{",
                                        "\\trowd",
                                        "\\cellx1000",
                                        "\\cellx-5",
                                        "\\intbl",
                                        "\\cell",
                                        "\\row",
                                        "\\nestcell",
                                        "\\nestrow",
                                        "{\\listtext 1.\\tab}",
                                        "{\\pntext \\'b7\\tab}",
                                        "\\ls1",
                                        "\\ilvl9"};
  QRandomGenerator rng(20261209);
  for (int round = 0; round < 10000; ++round) {
    QByteArray input = seeds[static_cast<std::size_t>(round) % std::size(seeds)];
    const int edits = 1 + static_cast<int>(rng.bounded(8));
    for (int e = 0; e < edits; ++e) {
      const qsizetype at = rng.bounded(static_cast<int>(input.size()) + 1);
      switch (rng.bounded(4)) {
        case 0:
          input.insert(at, kTokens[rng.bounded(static_cast<int>(std::size(kTokens)))]);
          break;
        case 1:
          input.remove(at, rng.bounded(20));
          break;
        case 2:
          if (at < input.size()) input[at] = static_cast<char>(rng.bounded(256));
          break;
        default:
          input.truncate(at);
          break;
      }
    }
    survive(input);
    if (HasFatalFailure()) return;
  }
}

TEST_F(RtfFuzz, RandomBytesAfterAHeader) {
  QRandomGenerator rng(7);
  for (int round = 0; round < 500; ++round) {
    QByteArray input = "{\\rtf1";
    const int n = static_cast<int>(rng.bounded(400));
    for (int i = 0; i < n; ++i) {
      // Mostly the characters RTF is made of, some of anything.
      static const char kAlphabet[] = "{}\\\\\\'0123456789abcdefuxbinparfs*- ;\"";
      input += rng.bounded(4) == 0 ? static_cast<char>(rng.bounded(256))
                                   : kAlphabet[rng.bounded(static_cast<int>(sizeof kAlphabet - 1))];
    }
    survive(input);
    if (HasFatalFailure()) return;
  }
}

TEST_F(RtfFuzz, HostileShapes) {
  struct Case {
    QByteArray rtf;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      // Nesting far deeper than any document: bounded memory, the text outside still reads.
      {"{\\rtf1 a" + QByteArray(200000, '{') + "x" + QByteArray(200000, '}') + "b}", std::nullopt},
      {"{\\rtf1 a" + QByteArray(200000, '{'), std::nullopt},
      // A \bin longer than the file.
      {"{\\rtf1 a{\\bin2147483647 xyz", "a"},
      // Numbers beyond every range.
      {"{\\rtf1 \\fs999999999999999999999 \\li-99999999999999 \\tx99999999999 \\u99999999999 ?big}", "big"},
      // A group closed before it opened, and text after the document.
      {"{\\rtf1 a}}}} trailing", "a"},
      // A long run of double-byte characters whose trail bytes are plain characters.
      {"{\\rtf1\\ansi\\ansicpg932 " + QByteArray("\\'83A").repeated(100000) + "}",
       QString::fromUtf8("\xE3\x82\xA2").repeated(100000).toStdString()},
      // A field that never ends, a picture that never ends.
      {"{\\rtf1 {\\field{\\*\\fldinst{HYPERLINK \"x", ""},
      {"{\\rtf1 {\\pict\\pngblip 8950", ""},
      // A row that ends after its table was left: the run before it closes the table.
      {"{\\rtf1 {\\intbl a\\cell} b\\row}", std::nullopt},
  };
  for (const Case& c : cases) {
    QTextDocument doc;
    const pravella::rtf::ReadResult r = pravella::rtf::read(c.rtf, doc);
    EXPECT_TRUE(r.ok);
    if (c.expected) {
      EXPECT_EQ(doc.toPlainText().toStdString(), *c.expected) << c.rtf.left(60).toStdString();
    }
    survive(c.rtf);
  }
}

}  // namespace
