// The reader's plain-text path against its document path: for every input the text must be
// exactly what plainTextOf gives for the document read from the same bytes.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <future>
#include <optional>
#include <ostream>

// Texts in failure messages: readable, with the characters that do not show spelt out.
void PrintTo(const QString& text, std::ostream* os) {
  QString shown;
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x2028 || u == 0x2029 || (u >= 0xFDD0 && u <= 0xFDD1) || u == 0xFFFC ||
        c.isSurrogate())
      shown += QString::asprintf("\\u{%04X}", static_cast<unsigned>(u));
    else
      shown += c;
  }
  *os << '"' << shown.toStdString() << '"';
}

#include "platform/rich_text_file.h"
#include "platform/rtf.h"
#include "rtf_mutations.h"
#include "support/console_capture.h"

namespace {

using namespace pravella;

const QString kTests = QStringLiteral(PRAVELLA_TEST_DATA_DIR);

// Attachments whose names begin with "p" are there, the rest are not.
bool present(const QString& name) { return name.startsWith(u'p'); }

QString documentText(const QByteArray& rtf, rtf::ReadResult* result = nullptr) {
  QTextDocument doc;
  const rtf::AttachmentLoader loader = [](const QString& name) -> std::optional<rtf::Attachment> {
    if (!present(name)) return std::nullopt;
    return rtf::Attachment{name, "\x89PNG\r\n\x1a\n not really", {}};
  };
  const rtf::ReadResult r = rtf::read(rtf, doc, loader);
  if (result) *result = r;
  return plainTextOf(doc);
}

// Both paths agree on the text and on how the input read.
void expectSameText(const QByteArray& rtf, const std::string& what) {
  rtf::ReadResult fromDocument;
  const QString expected = documentText(rtf, &fromDocument);
  const rtf::PlainText plain = rtf::readPlainText(rtf, present);
  EXPECT_EQ(plain.text, expected) << what << "\n" << rtf.left(300).toStdString();
  EXPECT_EQ(plain.read.ok, fromDocument.ok) << what;
  EXPECT_EQ(plain.read.complete, fromDocument.complete) << what;
}

// The RTF files the tests and the fuzz targets keep: fixtures, seeds and regression inputs.
QStringList rtfCorpus() {
  QStringList files;
  for (const QString& root : {kTests, kTests + QStringLiteral("/../fuzz")}) {
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      if (path.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive) || path.contains(QLatin1String("/rtf/")))
        files << path;
    }
  }
  files.sort();
  return files;
}

class RtfPlainText : public testing::Test {
 protected:
  test::ConsoleCapture console_;  // missing attachments and odd pictures are reported there
};

TEST_F(RtfPlainText, AgreesWithTheDocumentOnEveryKeptFile) {
  const QStringList files = rtfCorpus();
  ASSERT_GE(files.size(), 4) << "the fixtures and corpora were not found under " << kTests.toStdString();
  for (const QString& path : files) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray whole = f.readAll();
    expectSameText(whole, path.toStdString());
    // Every cut of a real document, as a crash or a full disk leaves it.
    for (qsizetype n = 0; n < whole.size() && whole.size() < 20000; ++n)
      expectSameText(whole.left(n), path.toStdString() + " cut at " + std::to_string(n));
    if (HasFailure()) return;
  }
}

TEST_F(RtfPlainText, AgreesWithTheDocumentOnMutatedDocuments) {
  QFile entry(kTests + QStringLiteral("/platform/fixtures/diary_entry.rtfd/TXT.rtf"));
  QFile old(kTests + QStringLiteral("/platform/fixtures/old_shiftjis.rtf"));
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly) && old.open(QIODevice::ReadOnly));
  const QByteArray seeds[] = {entry.readAll(), old.readAll(), test::listsAndTableRtf()};
  QRandomGenerator rng(75);
  for (int round = 0; round < 6000; ++round) {
    expectSameText(test::mutateRtf(seeds[static_cast<size_t>(round) % std::size(seeds)], rng),
                   "round " + std::to_string(round));
    if (HasFailure()) return;
  }
}

TEST_F(RtfPlainText, TrickyInputs) {
  const QString object(QChar(0xFFFC));
  const QChar cell(0xFDD0);
  const QChar tableEnd(0xFDD1);
  QByteArray wideRow = "{\\rtf1 \\trowd\\cellx100\\intbl ";
  QString wideRowText;
  for (int i = 0; i < 65; ++i) wideRow += "x\\cell ";
  for (int i = 0; i < 62; ++i) wideRowText += QString(cell) + u'x';
  wideRowText += QString(cell) + QStringLiteral("x\tx\tx") + tableEnd + QStringLiteral("after");
  wideRow += "\\row\\pard after}";

  struct Case {
    QByteArray rtf;
    QString text;
  };
  const Case cases[] = {
      // \uN and its fallback: \uc0 has none, \uc2 skips two (escaped bytes count as one each),
      // a group's end cuts the fallback short, and \uc belongs to its group.
      {"{\\rtf1\\ansi a\\uc0\\u12354 b}", QStringLiteral("aあb")},
      {"{\\rtf1\\ansi a\\uc2\\u12354\\'82\\'a0 b}", QStringLiteral("aあ b")},
      {"{\\rtf1\\ansi\\uc2 a\\u12354 xyz}", QStringLiteral("aあz")},
      {"{\\rtf1 {\\uc3\\u12354 ab}c}", QStringLiteral("あc")},
      {"{\\rtf1 {\\uc0 \\u12354}\\u12356?x}", QStringLiteral("あいx")},
      {"{\\rtf1 a\\u-3 ?b}", QStringLiteral("a\uFFFDb")},
      {"{\\rtf1 \\u-10179?\\u-8704?}", QString::fromUtf8("\xF0\x9F\x98\x80")},
      // \bin data is no text, nor are its braces, in a read group or a skipped one.
      {"{\\rtf1 a\\bin3 x}yb}", QStringLiteral("ab")},
      {"{\\rtf1 a{\\*\\foo \\bin2 }{ c}b}", QStringLiteral("ab")},
      // Groups skipped by \*, a field instruction outside a field.
      {"{\\rtf1 a{\\*\\unknown {nested} text}b}", QStringLiteral("ab")},
      {"{\\rtf1 a{\\*\\fldinst x}b}", QStringLiteral("ab")},
      // Code pages: Shift-JIS under \ansicpg932 (a trail byte may be a plain letter), a font of
      // character set 128 in a Western document, back to the document's page.
      {"{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'83A}", QStringLiteral("あア")},
      {"{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\fnil\\fcharset128 Osaka;}"
       "\\f1 \\'82\\'a0\\f0 \\'e9}",
       QStringLiteral("あé")},
      {"{\\rtf1\\ansi\\ansicpg932{\\fonttbl\\f0\\fnil\\fcharset128 Osaka;}\\f0 \\'93\\'fa\\'96\\'7b}",
       QStringLiteral("日本")},
      // Paragraphs and lines both end in "\n"; a CR LF in the text is one end, split by a
      // format change it is two.
      {"{\\rtf1 a\\par b\\line c\\par}", QStringLiteral("a\nb\nc\n")},
      {"{\\rtf1 a\\'0d\\'0ab}", QStringLiteral("a\nb")},
      {"{\\rtf1 a\\'0d{\\b \\'0a}b}", QStringLiteral("a\n\nb")},
      {"{\\rtf1 a\\~b\\'00c}", QStringLiteral("a\u00A0bc")},
      // Fields: the result is text, the instruction not.
      {"{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"http://example.org\"}}{\\fldrslt the site}} now}",
       QStringLiteral("see the site now")},
      // Attachments and pictures stand as one object character when they are there.
      {"{\\rtf1 a{{\\NeXTGraphic p.png \\width100 \\height100\n}\\'ac}b}",
       QStringLiteral("a") + object + u'b'},
      {"{\\rtf1 a{{\\NeXTGraphic gone.png \\width100 \\height100\n}\\'ac}b}", QStringLiteral("ab")},
      {"{\\rtf1 a{\\pict\\pngblip\\picw10\\pich10 89504e47}b}", QStringLiteral("a") + object + u'b'},
      {"{\\rtf1 a{\\pict\\wmetafile8 0102}b}", QStringLiteral("ab")},
      {"{\\rtf1 a{\\object{\\*\\objdata 0102}{\\result r}}b}", QStringLiteral("arb")},
      // List markers are drawn by the list, not text.
      {"{\\rtf1 {\\listtext 1.\\tab}one\\par}", QStringLiteral("one\n")},
      // Tables: cells as the document keeps them; the empty paragraph before a table goes,
      // unless it follows a list item or another table.
      {"{\\rtf1 intro\\par\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row\\pard after}",
       QStringLiteral("intro") + cell + u'a' + cell + u'b' + tableEnd + QStringLiteral("after")},
      {"{\\rtf1 \\ls1{\\listtext 1.\\tab}one\\par\\pard\\trowd\\cellx1000\\intbl a\\cell\\row\\pard after}",
       QStringLiteral("one\n") + cell + u'a' + tableEnd + QStringLiteral("after")},
      {"{\\rtf1 \\trowd\\cellx100\\intbl a\\cell\\row\\pard\\par\\trowd\\cellx100\\intbl b\\cell\\row}",
       QString(cell) + u'a' + tableEnd + cell + u'b' + tableEnd},
      {"{\\rtf1 \\trowd\\cellx100\\intbl a\\par b\\cell\\row\\trowd\\intbl c\\cell d\\cell\\row}",
       QString(cell) + QStringLiteral("a\nb") + cell + cell + u'c' + cell + u'd' + tableEnd},
      // A row wider than a table can be joins the rest into its last cell.
      {wideRow, wideRowText},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rtf::readPlainText(c.rtf, present).text, c.text) << c.rtf.toStdString();
    expectSameText(c.rtf, c.rtf.toStdString());
  }
  EXPECT_FALSE(rtf::readPlainText("plain words").read.ok);
  EXPECT_TRUE(rtf::readPlainText("plain words").text.isEmpty());
}

// A package's plain text knows its attachments as the document does: found whatever the case
// of the name on disk, refused when a link leads out of the package, left out when missing.
TEST_F(RtfPlainText, PackageAttachmentsAsTheDocumentFindsThem) {
  QTemporaryDir dir;
  const QString package = dir.path() + QStringLiteral("/entry.rtfd");
  ASSERT_TRUE(QDir().mkpath(package));
  ASSERT_TRUE(QFile::copy(kTests + QStringLiteral("/platform/fixtures/diary_entry.rtfd/TXT.rtf"),
                          package + QStringLiteral("/TXT.rtf")));
  QFile picture(package + QStringLiteral("/PASTED GRAPHIC.tiff"));
  ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
  picture.write("not a picture");
  picture.close();
  QFile outside(dir.path() + QStringLiteral("/outside.png"));
  ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
  outside.close();
  ASSERT_TRUE(QFile::link(outside.fileName(), package + QStringLiteral("/missing.png")));

  QTextDocument doc;
  ASSERT_TRUE(readRichTextFile(package, doc));
  bool ok = false;
  const QString text = plainTextOfRichTextFile(package, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(text, plainTextOf(doc));
  EXPECT_EQ(text.count(QChar(0xFFFC)), 1);

  EXPECT_EQ(plainTextOfRichTextFile(kTests + QStringLiteral("/platform/fixtures/old_shiftjis.rtf"), &ok)
                .toStdString(),
            "あいう アイウ\nGeneva text 　日本語");
  EXPECT_TRUE(ok);
  EXPECT_TRUE(plainTextOfRichTextFile(dir.path() + QStringLiteral("/none.rtfd"), &ok).isEmpty());
  EXPECT_FALSE(ok);
}

// A named pipe in the place of a document's text is no document (reading it would wait for a
// writer for ever), for the plain text as for the document.
TEST_F(RtfPlainText, APipeIsNoDocument) {
  QTemporaryDir dir;
  const QString package = dir.path() + QStringLiteral("/entry.rtfd");
  ASSERT_TRUE(QDir().mkpath(package));
  const QString pipe = package + QStringLiteral("/TXT.rtf");
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  auto read = std::async(std::launch::async, [&] {
    bool ok = true;
    plainTextOfRichTextFile(package, &ok);
    QTextDocument doc;
    return !ok && !readRichTextFile(package, doc);
  });
  if (read.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    for (int i = 0; i < 2; ++i) {  // let the stuck reads end, so that the test fails instead of hanging
      const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
      QThread::msleep(100);
    }
    ADD_FAILURE() << "reading waited on the pipe";
  }
  EXPECT_TRUE(read.get());
}

}  // namespace
