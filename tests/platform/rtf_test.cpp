#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

#include <sys/resource.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/console_log.h"
#include "platform/font_aliases.h"
#include "platform/rich_text_file.h"
#include "platform/rtf.h"
#include "support/console_capture.h"
#include "support/test_home.h"

namespace {

using pravella::test::ConsoleCapture;

const QString kFixtures = QStringLiteral(PRAVELLA_TEST_DATA_DIR "/platform/fixtures");

// Everything the codec carries, one line per paragraph and fragment, so that two documents
// compare as text and a failure shows where they differ.
QString dump(const QTextDocument& doc) {
  QString out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    const QTextBlockFormat bf = b.blockFormat();
    out += QStringLiteral("P align=%1 li=%2 fi=%3 ri=%4 sb=%5 sa=%6 lh=%7/%8 tabs=")
               .arg(int(bf.alignment() & Qt::AlignHorizontal_Mask))
               .arg(bf.leftMargin())
               .arg(bf.textIndent())
               .arg(bf.rightMargin())
               .arg(bf.topMargin())
               .arg(bf.bottomMargin())
               .arg(bf.lineHeight())
               .arg(bf.lineHeightType());
    for (const QTextOption::Tab& t : bf.tabPositions())
      out += QStringLiteral("%1:%2,").arg(t.position).arg(t.type);
    out += u'\n';
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      const QTextCharFormat cf = f.charFormat();
      QString text = f.text();
      if (cf.isImageFormat()) {
        const QTextImageFormat img = cf.toImageFormat();
        text = QStringLiteral("<image %1 %2x%3 %4 bytes>")
                   .arg(img.property(pravella::rtf::kAttachmentFileName).toString())
                   .arg(img.width())
                   .arg(img.height())
                   .arg(doc.resource(pravella::rtf::kAttachmentDataResource,
                                     pravella::rtf::attachmentDataUrl(img.name()))
                            .toByteArray()
                            .size());
      }
      const QStringList fams = cf.fontFamilies().toStringList();
      out += QStringLiteral("  [%1] font=%2 size=%3 b=%4 i=%5 u=%6 s=%7 fg=%8 bg=%9 va=%10 href=%11\n")
                 .arg(text, fams.isEmpty() ? QString() : fams.first())
                 .arg(cf.fontPointSize())
                 .arg(cf.fontWeight() >= QFont::DemiBold)
                 .arg(cf.fontItalic())
                 .arg(cf.fontUnderline())
                 .arg(cf.fontStrikeOut())
                 .arg(cf.hasProperty(QTextFormat::ForegroundBrush) ? cf.foreground().color().name()
                                                                   : QString("-"))
                 .arg(cf.hasProperty(QTextFormat::BackgroundBrush) ? cf.background().color().name()
                                                                   : QString("-"))
                 .arg(cf.verticalAlignment())
                 .arg(cf.anchorHref());
    }
  }
  return out;
}

QTextDocument* readRtf(const QByteArray& rtf, pravella::rtf::ReadResult* result = nullptr) {
  auto* doc = new QTextDocument;
  const pravella::rtf::ReadResult r = pravella::rtf::read(rtf, *doc);
  if (result) *result = r;
  return doc;
}

// The character format at a character position of the document.
QTextCharFormat formatAt(const QTextDocument& doc, const QString& needle) {
  const QTextCursor c = doc.find(needle);
  EXPECT_FALSE(c.isNull()) << needle.toStdString();
  QTextCursor at(c);
  at.setPosition(c.selectionStart() + 1);
  return at.charFormat();
}

QTextBlockFormat blockOf(const QTextDocument& doc, const QString& needle) {
  const QTextCursor c = doc.find(needle);
  EXPECT_FALSE(c.isNull()) << needle.toStdString();
  return c.block().blockFormat();
}

QByteArray pngBytes(int w, int h, QColor color) {
  QImage img(w, h, QImage::Format_ARGB32);
  img.fill(color);
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  return data;
}

// A copy of the fixture RTFD in the test's home, with its picture made as the old system
// made them: a TIFF file.
QString fixtureRtfd() {
  const QString folder = pravella::test::home() + "/diary_entry.rtfd";
  QDir().mkpath(folder);
  QFile::copy(kFixtures + "/diary_entry.rtfd/TXT.rtf", folder + "/TXT.rtf");
  QImage img(120, 60, QImage::Format_RGB32);
  img.fill(QColor(10, 200, 30));
  EXPECT_TRUE(img.save(folder + "/Pasted Graphic.tiff", "TIFF"));
  return folder;
}

TEST(RtfReader, ReadsAnOldRtfdDiaryEntry) {
  const QString folder = fixtureRtfd();
  ConsoleCapture console;
  QTextDocument doc;
  ASSERT_TRUE(pravella::readRichTextFile(folder, doc));
  EXPECT_EQ(pravella::plainTextOf(doc),
            QString::fromUtf8("Meeting at 10:00, see red and slanted and underlined.\n"
                              "\xE3\x81\x82\xE3\x81\x84 and \xE3\x81\x86 big done\n"
                              "mono\tright\nsecond line\n"
                              "a link after\n"
                              "\xEF\xBF\xBC caption\n"
                              "end"));
  // The missing attachment is left out and said so.
  EXPECT_NE(console.text().find("missing.png"), std::string::npos) << console.text();

  // Character formats.
  const QTextCharFormat meeting = formatAt(doc, "Meeting");
  EXPECT_EQ(meeting.fontFamilies().toStringList(), QStringList{"Helvetica"});
  EXPECT_EQ(meeting.fontPointSize(), 12.0);
  EXPECT_FALSE(meeting.hasProperty(QTextFormat::ForegroundBrush));
  EXPECT_GE(formatAt(doc, "10:00").fontWeight(), QFont::Bold);
  EXPECT_LT(formatAt(doc, ", see").fontWeight(), QFont::DemiBold);
  EXPECT_EQ(formatAt(doc, "red").foreground().color(), QColor(255, 0, 0));
  EXPECT_TRUE(formatAt(doc, "slanted").fontItalic());
  EXPECT_TRUE(formatAt(doc, "underlined").fontUnderline());
  EXPECT_FALSE(formatAt(doc, "after").fontUnderline());
  EXPECT_EQ(formatAt(doc, QString::fromUtf8("\xE3\x81\x86")).fontFamilies().toStringList(),
            QStringList{"HiraKakuProN-W3"});
  EXPECT_EQ(formatAt(doc, "big").fontPointSize(), 18.0);
  EXPECT_EQ(formatAt(doc, "mono").fontFamilies().toStringList(), QStringList{"Monaco"});
  EXPECT_EQ(formatAt(doc, "mono").fontPointSize(), 10.0);
  EXPECT_EQ(formatAt(doc, "mono").foreground().color(), QColor(0, 0, 255));

  // The old text system's default tab stops come from \deftab when a document has it.
  std::unique_ptr<QTextDocument> tabbed(readRtf("{\\rtf1\\ansi\\deftab720 a}"));
  EXPECT_DOUBLE_EQ(tabbed->defaultTextOption().tabStopDistance(), 36.0);
  QTextDocument tabbedAgain;
  pravella::rtf::read(pravella::rtf::write(*tabbed, pravella::rtf::AttachmentMode::Separate).rtf,
                      tabbedAgain);
  EXPECT_DOUBLE_EQ(tabbedAgain.defaultTextOption().tabStopDistance(), 36.0);

  // The link.
  const QTextCharFormat link = formatAt(doc, "a link");
  EXPECT_TRUE(link.isAnchor());
  EXPECT_EQ(link.anchorHref(), "http://example.org/a?b=1");
  EXPECT_TRUE(link.fontUnderline());
  EXPECT_FALSE(formatAt(doc, "after").isAnchor());

  // Paragraph formats: tab runs, indents, alignment.
  const QTextBlockFormat first = blockOf(doc, "Meeting");
  ASSERT_EQ(first.tabPositions().size(), 12);
  EXPECT_DOUBLE_EQ(first.tabPositions().at(0).position, 566 / 20.0);
  EXPECT_EQ(first.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
  const QTextBlockFormat second = blockOf(doc, "big");
  EXPECT_EQ(second.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_DOUBLE_EQ(second.leftMargin(), 72.0);
  EXPECT_DOUBLE_EQ(second.textIndent(), -36.0);
  EXPECT_DOUBLE_EQ(second.rightMargin(), 36.0);
  const QTextBlockFormat third = blockOf(doc, "mono");
  ASSERT_EQ(third.tabPositions().size(), 1);
  EXPECT_EQ(third.tabPositions().at(0).type, QTextOption::RightTab);
  EXPECT_DOUBLE_EQ(third.tabPositions().at(0).position, 252.0);
  EXPECT_EQ(blockOf(doc, "caption").alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_EQ(blockOf(doc, "end").alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);

  // The picture: shown at its size in points, its file kept byte for byte.
  const QTextCursor c = doc.find(QString(QChar::ObjectReplacementCharacter));
  ASSERT_FALSE(c.isNull());
  QTextCursor at(c);
  at.setPosition(c.selectionEnd());
  const QTextCharFormat f = at.charFormat();
  ASSERT_TRUE(f.isImageFormat());
  const QTextImageFormat img = f.toImageFormat();
  EXPECT_EQ(img.property(pravella::rtf::kAttachmentFileName).toString(), "Pasted Graphic.tiff");
  EXPECT_DOUBLE_EQ(img.width(), 120.0);
  EXPECT_DOUBLE_EQ(img.height(), 60.0);
  const QImage shown = doc.resource(QTextDocument::ImageResource, QUrl(img.name())).value<QImage>();
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(shown.pixelColor(5, 5), QColor(10, 200, 30));
  QFile tiff(folder + "/Pasted Graphic.tiff");
  ASSERT_TRUE(tiff.open(QIODevice::ReadOnly));
  EXPECT_EQ(doc.resource(pravella::rtf::kAttachmentDataResource, pravella::rtf::attachmentDataUrl(img.name()))
                .toByteArray(),
            tiff.readAll());
}

TEST(RtfReader, DecodesShiftJisUnderCodePage932) {
  QTextDocument doc;
  ASSERT_TRUE(pravella::readRichTextFile(kFixtures + "/old_shiftjis.rtf", doc));
  // A trail byte written as a plain character (\'83A) belongs to its lead byte.
  EXPECT_EQ(pravella::plainTextOf(doc),
            QString::fromUtf8("\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86 \xE3\x82\xA2\xE3\x82\xA4\xE3\x82\xA6\n"
                              "Geneva text \xE3\x80\x80\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"));
  EXPECT_EQ(formatAt(doc, "Geneva").fontFamilies().toStringList(), QStringList{"Geneva"});
}

TEST(RtfReader, CodePagesOfDocumentAndFonts) {
  struct Case {
    const char* rtf;
    const char* text;
  };
  const Case cases[] = {
      // A \fcharset128 font in a Western document: its bytes are Shift-JIS.
      {"{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\fnil\\fcharset128 Osaka;}"
       "\\f0 caf\\'e9 \\f1 \\'93\\'fa}",
       "caf\xC3\xA9 \xE6\x97\xA5"},
      // The old Macintosh character set.
      {"{\\rtf1\\mac\\deff0{\\fonttbl{\\f0 Geneva;}}\\'8a\\'9f}", "\xC3\xA4\xC3\xBC"},
      // \cpg on the font wins over its character set.
      {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0\\cpg1251 X;}}\\f0 \\'c4\\'e0}", "\xD0\x94\xD0\xB0"},
      // Unicode with the default single fallback, and a surrogate pair.
      {"{\\rtf1\\ansi \\u8364?\\u-10179?\\u-8694?!}", "\xE2\x82\xAC\xF0\x9F\x98\x8A!"},
      // \uc2 skips two fallback bytes; a group end stops the skipping.
      {"{\\rtf1\\ansi\\ansicpg932\\uc2\\u26085\\'93\\'fa{\\u26412}x}",
       "\xE6\x97\xA5\xE6\x9C\xAC"
       "x"},
      // Control symbols and special words.
      {"{\\rtf1\\ansi a\\~b\\-c\\_d\\{\\}\\\\\\emdash\\bullet\\lquote\\rquote}",
       "a\xC2\xA0"
       "b\xC2\xAD"
       "c\xE2\x80\x91"
       "d{}\\\xE2\x80\x94\xE2\x80\xA2\xE2\x80\x98\xE2\x80\x99"},
      // Ignorable destinations, \info, stylesheets and objects do not show; an object's result does.
      {"{\\rtf1\\ansi{\\info{\\title T}}{\\stylesheet{\\s0 Normal;}}A{\\*\\x B}{\\object{\\*\\objdata 00}"
       "{\\result C}}D}",
       "ACD"},
      // \bin data is jumped over even when it holds braces.
      {"{\\rtf1\\ansi x{\\*\\blob\\bin4 }}{{}y}", "xy"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<QTextDocument> doc(readRtf(c.rtf));
    EXPECT_EQ(pravella::plainTextOf(*doc), QString::fromUtf8(c.text)) << c.rtf;
  }
}

TEST(RtfReader, RefusesWhatIsNotRtfAndReadsTruncatedInputAsFarAsItGoes) {
  pravella::rtf::ReadResult r;
  std::unique_ptr<QTextDocument> doc(readRtf("plain text, not rich", &r));
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(doc->isEmpty());

  doc.reset(readRtf("{\\rtf1\\ansi {\\fonttbl\\f0 Helvetica;}\\f0\\b Hello\\b0  wor", &r));
  EXPECT_TRUE(r.ok);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(doc->toPlainText(), "Hello wor");

  doc.reset(readRtf("{\\rtf1\\ansi Hello}", &r));
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.complete);

  // A file of a missing path or a folder without TXT.rtf does not read.
  QTextDocument d;
  EXPECT_FALSE(pravella::readRichTextFile(pravella::test::home() + "/none.rtf", d));
  QDir().mkpath(pravella::test::home() + "/empty.rtfd");
  EXPECT_FALSE(pravella::readRichTextFile(pravella::test::home() + "/empty.rtfd", d));
}

TEST(RtfReader, AttachmentNamesCannotLeaveTheDocumentFolder) {
  const QString folder = pravella::test::home() + "/evil.rtfd";
  QDir().mkpath(folder);
  QFile::copy(kFixtures + "/old_shiftjis.rtf", pravella::test::home() + "/secret.rtf");
  QFile f(folder + "/TXT.rtf");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("{\\rtf1\\ansi a{{\\NeXTGraphic ../secret.rtf \\width20 \\height20}\\'ac}b}");
  f.close();
  ConsoleCapture console;
  QTextDocument doc;
  ASSERT_TRUE(pravella::readRichTextFile(folder, doc));
  EXPECT_EQ(doc.toPlainText(), "ab");
}

TEST(RtfReader, AttachmentNamesWithTheOldMarkerFindTheirFiles) {
  const QString folder = pravella::test::home() + "/marked.rtfd";
  QDir().mkpath(folder);
  QFile pic(folder + "/pic.png");
  ASSERT_TRUE(pic.open(QIODevice::WriteOnly));
  pic.write(pngBytes(4, 4, Qt::blue));
  pic.close();
  QFile f(folder + "/TXT.rtf");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("{\\rtf1\\ansi a{{\\NeXTGraphic __#$!@%!#__pic.png \\width80 \\height80\n}\\'ac}b}");
  f.close();
  QTextDocument doc;
  ASSERT_TRUE(pravella::readRichTextFile(folder, doc));
  EXPECT_TRUE(dump(doc).contains("<image pic.png 4x4 ")) << dump(doc).toStdString();
}

TEST(RtfRoundTrip, AttachedPackagesAreKeptWhenTheDocumentIsSavedAgain) {
  const QString folder = pravella::test::home() + "/with_package.rtfd";
  QDir().mkpath(folder + "/Report.rtfd/sub");
  QFile inner(folder + "/Report.rtfd/sub/TXT.rtf");
  ASSERT_TRUE(inner.open(QIODevice::WriteOnly));
  inner.write("{\\rtf1 inner}");
  inner.close();
  QFile f(folder + "/TXT.rtf");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("{\\rtf1\\ansi see {{\\NeXTGraphic Report.rtfd \\width640 \\height800\n}\\'ac} here}");
  f.close();

  QTextDocument doc;
  ASSERT_TRUE(pravella::readRichTextFile(folder, doc));
  EXPECT_TRUE(dump(doc).contains("<image Report.rtfd 32x40 0 bytes>")) << dump(doc).toStdString();
  // Saved in place and under another name: the package goes along, whole.
  ASSERT_TRUE(pravella::writeRtfdFile(folder, doc));
  const QString copy = pravella::test::home() + "/copy.rtfd";
  ASSERT_TRUE(pravella::writeRtfdFile(copy, doc));
  for (const QString& saved : {folder, copy}) {
    QFile back(saved + "/Report.rtfd/sub/TXT.rtf");
    ASSERT_TRUE(back.open(QIODevice::ReadOnly)) << saved.toStdString();
    EXPECT_EQ(back.readAll(), "{\\rtf1 inner}");
    QTextDocument again;
    ASSERT_TRUE(pravella::readRichTextFile(saved, again));
    EXPECT_EQ(pravella::plainTextOf(again), QString::fromUtf8("see \xEF\xBF\xBC here"));
  }
}

// Builds a document with every format the codec carries.
void fillRichDocument(QTextDocument& doc) {
  QTextCursor c(&doc);
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  centred.setLeftMargin(36);
  centred.setTextIndent(-18);
  centred.setRightMargin(9.5);
  centred.setTopMargin(6);
  centred.setBottomMargin(3);
  centred.setTabPositions({QTextOption::Tab(28.3, QTextOption::LeftTab),
                           QTextOption::Tab(200, QTextOption::RightTab),
                           QTextOption::Tab(300, QTextOption::CenterTab)});
  c.setBlockFormat(centred);
  QTextCharFormat plain;
  plain.setFontFamilies(QStringList{"Osaka"});
  plain.setFontPointSize(14);
  c.insertText(QString::fromUtf8("\xE6\x97\xA5\xE8\xA8\x98 diary {braces} \\ back\tslash "), plain);
  QTextCharFormat bold = plain;
  bold.setFontWeight(QFont::Bold);
  bold.setForeground(QColor(200, 10, 20));
  c.insertText("bold red", bold);
  QTextCharFormat rest;
  rest.setFontFamilies(QStringList{"Monaco"});
  rest.setFontPointSize(9);
  rest.setFontItalic(true);
  rest.setFontUnderline(true);
  rest.setFontStrikeOut(true);
  rest.setBackground(QColor(255, 255, 0));
  c.insertText(QString::fromUtf8(" all \xF0\x9F\x98\x8A"), rest);
  QTextCharFormat sup = plain;
  sup.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
  c.insertText("2", sup);
  QTextBlockFormat right;
  right.setAlignment(Qt::AlignRight);
  right.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
  c.insertBlock(right, plain);
  QTextCharFormat link = plain;
  link.setAnchor(true);
  link.setAnchorHref("https://example.org/q?x=\"1\"&y=2");
  link.setForeground(QColor(0, 0, 255));
  c.insertText("link ", link);
  link.setFontWeight(QFont::Bold);
  c.insertText("text", link);
  c.insertText(QString::fromUtf8(" then\xE2\x80\xA8 next line"), plain);
  c.insertBlock(QTextBlockFormat(), plain);
  c.insertBlock(QTextBlockFormat(), plain);
  c.setCharFormat(plain);
  pravella::rtf::insertAttachment(c, "photo.png", pngBytes(30, 20, Qt::red), QSizeF(60, 40));
  c.insertText(" and ", plain);
  pravella::rtf::insertAttachment(c, "notes.pdf", "%PDF-1.4 not a picture", {});
  c.insertText(" end", plain);
}

TEST(RtfRoundTrip, RtfdWriteReadWriteKeepsTextFormatsAndAttachments) {
  QTextDocument original;
  fillRichDocument(original);
  const QString path = pravella::test::home() + "/memo.rtfd";
  ASSERT_TRUE(pravella::writeRtfdFile(path, original));
  EXPECT_EQ(QDir(path).entryList(QDir::Files, QDir::Name),
            (QStringList{"TXT.rtf", "notes.pdf", "photo.png"}));

  QTextDocument once;
  ASSERT_TRUE(pravella::readRichTextFile(path, once));
  EXPECT_EQ(pravella::plainTextOf(once), pravella::plainTextOf(original));
  const QString first = dump(once);
  EXPECT_TRUE(first.contains("<image photo.png 60x40 ")) << first.toStdString();
  EXPECT_TRUE(first.contains("<image notes.pdf ")) << first.toStdString();
  EXPECT_TRUE(first.contains("href=https://example.org/q?x=%221%22&y=2")) << first.toStdString();
  // The formats built by hand survive (the reader makes the default size explicit).
  EXPECT_EQ(formatAt(once, "bold red").foreground().color(), QColor(200, 10, 20));
  EXPECT_TRUE(formatAt(once, "all").fontStrikeOut());
  EXPECT_EQ(formatAt(once, "all").background().color(), QColor(255, 255, 0));
  EXPECT_EQ(formatAt(once, "2").verticalAlignment(), QTextCharFormat::AlignSuperScript);
  EXPECT_EQ(blockOf(once, "diary").tabPositions().size(), 3);
  EXPECT_DOUBLE_EQ(blockOf(once, "diary").tabPositions().at(0).position, 28.3);
  EXPECT_DOUBLE_EQ(blockOf(once, "diary").rightMargin(), 9.5);
  EXPECT_DOUBLE_EQ(blockOf(once, "link").lineHeight(), 150.0);

  // Written again (over the first, atomically) and read again: the same document.
  ASSERT_TRUE(pravella::writeRtfdFile(path, once));
  QTextDocument twice;
  ASSERT_TRUE(pravella::readRichTextFile(path, twice));
  EXPECT_EQ(dump(twice).toStdString(), first.toStdString());
  EXPECT_EQ(QDir(path).entryList(QDir::Files, QDir::Name),
            (QStringList{"TXT.rtf", "notes.pdf", "photo.png"}));
  QFile pdf(path + "/notes.pdf");
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_EQ(pdf.readAll(), "%PDF-1.4 not a picture");
  // No temporary folders are left beside the document.
  EXPECT_TRUE(
      QDir(pravella::test::home()).entryList({".memo.rtfd*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

TEST(RtfWriter, TextInAPicturesFormatIsWrittenAsTextAndThePictureOnce) {
  // Text that took a picture's whole format (behind it, or on the next line), and a picture
  // copied twice in a row: each object character is one picture, the rest is text.
  QTextDocument doc;
  QTextCursor c(&doc);
  pravella::rtf::insertAttachment(c, "photo.png", pngBytes(3, 2, Qt::red), {});
  const QTextCharFormat picture = doc.begin().begin().fragment().charFormat();
  ASSERT_TRUE(picture.isImageFormat());
  c.insertText(QString(QChar::ObjectReplacementCharacter) + "hello", picture);
  c.insertBlock(QTextBlockFormat(), picture);
  c.insertText("world", picture);
  for (const pravella::rtf::AttachmentMode mode :
       {pravella::rtf::AttachmentMode::Separate, pravella::rtf::AttachmentMode::Embed}) {
    const pravella::rtf::WriteOutput out = pravella::rtf::write(doc, mode);
    const bool separate = mode == pravella::rtf::AttachmentMode::Separate;
    EXPECT_EQ(out.attachments.size(), separate ? 2u : 0u);
    EXPECT_EQ(out.rtf.count(separate ? "NeXTGraphic" : "\\pict"), 2) << out.rtf.constData();
    QTextDocument back;
    ASSERT_TRUE(pravella::rtf::read(out.rtf, back,
                                    [&](const QString& name) -> std::optional<pravella::rtf::Attachment> {
                                      for (const pravella::rtf::Attachment& a : out.attachments)
                                        if (a.fileName == name) return a;
                                      return std::nullopt;
                                    })
                    .ok);
    const QString obj(QChar::ObjectReplacementCharacter);
    EXPECT_EQ(pravella::plainTextOf(back).toStdString(), (obj + obj + "hello\nworld").toStdString());
  }
}

TEST(RtfRoundTrip, OldDocumentSurvivesRewriting) {
  const QString folder = fixtureRtfd();
  ConsoleCapture console;
  QTextDocument once;
  ASSERT_TRUE(pravella::readRichTextFile(folder, once));
  const QString copy = pravella::test::home() + "/copy.rtfd";
  ASSERT_TRUE(pravella::writeRtfdFile(copy, once));
  QTextDocument twice;
  ASSERT_TRUE(pravella::readRichTextFile(copy, twice));
  EXPECT_EQ(dump(twice).toStdString(), dump(once).toStdString());
}

TEST(RtfRoundTrip, FontNamesWithSeparatorsAndEmptyDocuments) {
  QTextDocument doc;
  QTextCharFormat f;
  f.setFontFamilies(QStringList{QString::fromUtf8("Odd;Name \xE6\x98\x8E\xE6\x9C\x9D")});
  QTextCursor(&doc).insertText("x", f);
  QTextDocument back;
  ASSERT_TRUE(
      pravella::rtf::read(pravella::rtf::write(doc, pravella::rtf::AttachmentMode::Separate).rtf, back).ok);
  EXPECT_EQ(formatAt(back, "x").fontFamilies().toStringList(),
            QStringList{QString::fromUtf8("Odd;Name \xE6\x98\x8E\xE6\x9C\x9D")});
  QTextDocument empty;
  const pravella::rtf::ReadResult r =
      pravella::rtf::read(pravella::rtf::write(empty, pravella::rtf::AttachmentMode::Separate).rtf, back);
  EXPECT_TRUE(r.ok && r.complete);
  EXPECT_TRUE(back.isEmpty());
}

TEST(RtfRoundTrip, PlainRtfEmbedsPictures) {
  QTextDocument original;
  fillRichDocument(original);
  const QString path = pravella::test::home() + "/memo.rtf";
  ConsoleCapture console;
  ASSERT_TRUE(pravella::writeRtfFile(path, original));
  QTextDocument back;
  ASSERT_TRUE(pravella::readRichTextFile(path, back));
  // The picture comes back; the file that is no picture cannot live in a plain RTF.
  const QString d = dump(back);
  EXPECT_TRUE(d.contains("<image Attachment.png 60x40 ")) << d.toStdString();
  EXPECT_FALSE(d.contains("notes.pdf"));
  EXPECT_NE(console.text().find("not a picture"), std::string::npos);
  EXPECT_TRUE(pravella::plainTextOf(back).contains(" end"));
}

TEST(RtfWriter, FailedWriteKeepsTheOldDocumentAndSaysWhy) {
  QTextDocument doc;
  doc.setPlainText("new text");
  const QString path = pravella::test::home() + "/keep.rtfd";
  QTextDocument old;
  old.setPlainText("old text");
  ASSERT_TRUE(pravella::writeRtfdFile(path, old));
  // A folder that cannot take the temporary document.
  QFile::setPermissions(pravella::test::home(), QFile::ReadOwner | QFile::ExeOwner);
  const pravella::WriteResult r = pravella::writeRtfdFile(path, doc);
  QFile::setPermissions(pravella::test::home(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.isEmpty());
  const pravella::WriteResult missing =
      pravella::writeRtfFile(pravella::test::home() + "/no/such/folder/x.rtf", doc);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(pravella::plainTextOfRichTextFile(path).toStdString(), "old text");
}

TEST(RtfWriter, FailedWriteInsideTheDocumentNamesTheDocument) {
  // A file size limit stands in for a full disk: first the text, then an attachment cannot
  // be written in full. The message names the document the user saved, and the reason.
  const QString path = pravella::test::home() + "/full.rtfd";
  QTextDocument old;
  old.setPlainText("old text");
  ASSERT_TRUE(pravella::writeRtfdFile(path, old));
  QTextDocument longText;
  longText.setPlainText(QString(8000, u'x'));
  QTextDocument bigAttachment;
  QTextCursor c(&bigAttachment);
  c.insertText("short ");
  pravella::rtf::insertAttachment(c, "big.bin", QByteArray(8000, 'b'), {});
  const QString reason = QString::fromLocal8Bit(std::strerror(EFBIG));
  const struct {
    const QTextDocument* doc;
    QString error;
  } cases[] = {{&longText, "Cannot save \"" + path + "\": " + reason},
               {&bigAttachment, "Cannot save \"" + path + "/big.bin\": " + reason}};
  for (const auto& k : cases) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const pravella::WriteResult r = pravella::writeRtfdFile(path, *k.doc);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.toStdString(), k.error.toStdString());
    EXPECT_EQ(pravella::plainTextOfRichTextFile(path).toStdString(), "old text");
  }
}

TEST(FontAliases, MapOldNamesToInstalledFamilies) {
  EXPECT_EQ(pravella::fonts::familyFor("Osaka"), "Noto Sans CJK JP");
  EXPECT_EQ(pravella::fonts::familyFor("HiraKakuStd-W8"), "Noto Sans CJK JP");
  EXPECT_EQ(pravella::fonts::familyFor("HiraMinPro-W3"), "Noto Serif CJK JP");
  EXPECT_EQ(pravella::fonts::familyFor("Geneva"), "DejaVu Sans");
  EXPECT_EQ(pravella::fonts::familyFor("Monaco"), "DejaVu Sans Mono");
  EXPECT_EQ(pravella::fonts::familyFor("Some Other"), "Some Other");
  pravella::fonts::installFontAliases();
  EXPECT_TRUE(QFont::substitutes("Osaka").contains("Noto Sans CJK JP", Qt::CaseInsensitive));
  EXPECT_TRUE(QFont::substitutes("HiraKakuStd-W8").contains("Noto Sans CJK JP", Qt::CaseInsensitive));
}

TEST(RtfRoundTrip, AttachmentsWithAwkwardNamesReadBackAndSurviveTheNextSave) {
  // Names the file system takes but the text would change: each must come back, with its data.
  const QString names[] = {
      " lead.png",
      "trail.png ",
      "tab\tin.png",
      "line\nfeed.png",
      QString::fromUtf8("sep\xE2\x80\xA8x.png"),
      QString::fromUtf8("\xC2\xA0nbsp.png"),
      QString::fromUtf8("ctl\x01x.png"),
      QString(300, u'n') + ".png",
      QString(120, QChar(0x3042)) + ".png",  // 360 bytes of kana
  };
  QTextDocument doc;
  QTextCursor c(&doc);
  int n = 0;
  for (const QString& name : names) {
    c.insertText(QStringLiteral("[%1]").arg(n++));
    pravella::rtf::insertAttachment(c, name, pngBytes(3 + n, 2, Qt::green), {});
  }
  const QString path = pravella::test::home() + "/names.rtfd";
  ASSERT_TRUE(pravella::writeRtfdFile(path, doc));
  for (const QString& file : QDir(path).entryList(QDir::Files))
    EXPECT_LE(file.toUtf8().size(), 255) << file.toStdString();
  // The widths of the attached pictures in order: each was made one pixel wider.
  auto images = [](const QTextDocument& d) {
    QList<int> widths;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next())
      for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isImageFormat()) {
          const QTextImageFormat img = it.fragment().charFormat().toImageFormat();
          const QByteArray data =
              d.resource(pravella::rtf::kAttachmentDataResource, pravella::rtf::attachmentDataUrl(img.name()))
                  .toByteArray();
          widths << QImage::fromData(data).width();
        }
    return widths;
  };
  QTextDocument once;
  ASSERT_TRUE(pravella::readRichTextFile(path, once));
  QList<int> expected;
  for (int i = 0; i < n; ++i) expected << 4 + i;
  EXPECT_EQ(images(once), expected);
  // Saved again from what was read: nothing is dropped and the files stay.
  ASSERT_TRUE(pravella::writeRtfdFile(path, once));
  QTextDocument twice;
  ASSERT_TRUE(pravella::readRichTextFile(path, twice));
  EXPECT_EQ(images(twice), expected);
  EXPECT_EQ(QDir(path).entryList(QDir::Files).size(), n + 1);
}

TEST(RtfRoundTrip, AttachmentNamesOutsideTheBasicPlaneAreKept) {
  // Characters of two UTF-16 units: at the end of the name's base, inside it, in the
  // extension, in a file that is no picture, and a long name whose shortening falls between
  // the two units of one.
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // U+1F600
  const QString names[] = {smile + ".png",         "a" + smile + "b.png",
                           "pic." + smile,         QString(60, u'x') + smile.repeated(60) + ".png",
                           smile + smile + ".txt", "lone" + smile.left(1) + ".png"};
  QTextDocument doc;
  QTextCursor c(&doc);
  for (const QString& name : names) {
    c.insertText("[x]");
    pravella::rtf::insertAttachment(
        c, name, name.endsWith(".txt") ? QByteArray("plain") : pngBytes(3, 2, Qt::red), {});
  }
  const QString path = pravella::test::home() + "/emoji.rtfd";
  ASSERT_TRUE(pravella::writeRtfdFile(path, doc));
  const QStringList files = QDir(path).entryList(QDir::Files);
  for (const QString& file : files) {
    EXPECT_FALSE(file.contains(QChar::ReplacementCharacter)) << file.toStdString();
    EXPECT_LE(file.toUtf8().size(), 255) << file.toStdString();
  }
  QTextDocument back;
  ASSERT_TRUE(pravella::readRichTextFile(path, back));
  QStringList read;
  for (QTextBlock b = back.begin(); b.isValid(); b = b.next())
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().isImageFormat())
        read << it.fragment().charFormat().property(pravella::rtf::kAttachmentFileName).toString();
  ASSERT_EQ(read.size(), 6);
  for (const QString& name : read) EXPECT_TRUE(files.contains(name)) << name.toStdString();
  // Short names are kept as they were; the long one is cut before a whole character.
  EXPECT_EQ(read.at(0), names[0]);
  EXPECT_EQ(read.at(1), names[1]);
  EXPECT_EQ(read.at(2), names[2]);
  EXPECT_TRUE(names[3].startsWith(read.at(3).chopped(4))) << read.at(3).toStdString();
  EXPECT_FALSE(read.at(3).chopped(4).back().isHighSurrogate());
  EXPECT_EQ(read.at(4), names[4]);
  // Half of a pair names no file; it is replaced like other characters a name cannot hold.
  EXPECT_EQ(read.at(5), "lone_.png");
}

TEST(RtfRoundTrip, ControlCharactersInTheTextSurvive) {
  const QString text = QString::fromUtf8(
      "a\x01"
      "b\x0c"
      "c\x1f"
      "d");
  for (const char* rtf : {"{\\rtf1\\ansi a\\u1?b\\u12?c\\u31?d}", "{\\rtf1\\ansi a\\'01b\\'0cc\\'1fd}"}) {
    QTextDocument doc;
    ASSERT_TRUE(pravella::rtf::read(rtf, doc).ok);
    ASSERT_EQ(doc.toPlainText(), text) << rtf;
    QTextDocument back;
    ASSERT_TRUE(
        pravella::rtf::read(pravella::rtf::write(doc, pravella::rtf::AttachmentMode::Embed).rtf, back).ok);
    EXPECT_EQ(back.toPlainText(), text) << rtf;
  }
}

TEST(RtfReader, AttachmentLinksLeadingOutOfThePackageAreNotFollowed) {
  const QString folder = pravella::test::home() + "/linked.rtfd";
  QDir().mkpath(folder + "/inner");
  QFile secret(pravella::test::home() + "/secret.png");
  ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
  secret.write(pngBytes(5, 5, Qt::red));
  secret.close();
  QFile own(folder + "/inner/own.png");
  ASSERT_TRUE(own.open(QIODevice::WriteOnly));
  own.write(pngBytes(6, 6, Qt::red));
  own.close();
  ASSERT_TRUE(QFile::link(pravella::test::home() + "/secret.png", folder + "/out.png"));
  ASSERT_TRUE(QFile::link("inner/own.png", folder + "/in.png"));
  QFile f(folder + "/TXT.rtf");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(
      "{\\rtf1\\ansi a{{\\NeXTGraphic out.png \\width20 \\height20}\\'ac}b"
      "{{\\NeXTGraphic in.png \\width20 \\height20}\\'ac}c}");
  f.close();
  ConsoleCapture console;
  QTextDocument doc;
  ASSERT_TRUE(pravella::readRichTextFile(folder, doc));
  const QString dumped = dump(doc);
  EXPECT_FALSE(dumped.contains("<image out.png")) << dumped.toStdString();
  EXPECT_TRUE(dumped.contains("<image in.png ")) << dumped.toStdString();
}

}  // namespace
