// Broken and hostile RTF: the reader must survive all of it, read what is sound and stop.
// The inputs are deterministic (fixed seeds), so a failure repeats.

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTextDocument>

#include <cstdio>
#include <optional>
#include <string>

#include "platform/console_log.h"
#include "platform/rich_text_file.h"
#include "platform/rtf.h"
#include "rtf_mutations.h"
#include "support/console_capture.h"

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
  const QByteArray seeds[] = {fixture("diary_entry.rtfd/TXT.rtf"), fixture("old_shiftjis.rtf"),
                              pravella::test::listsAndTableRtf()};
  QRandomGenerator rng(20261209);
  for (int round = 0; round < 10000; ++round) {
    const QByteArray input =
        pravella::test::mutateRtf(seeds[static_cast<std::size_t>(round) % std::size(seeds)], rng);
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
