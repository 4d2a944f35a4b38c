// A tagged body rendered into rich text: base style, key and bold runs, indents, links and
// pictures.

#include <gtest/gtest.h>

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>

#include "net/edic/body_rendering.h"
#include "platform/font_aliases.h"

namespace {

using pravella::edic::BodyPictures;

QImage square(int side) {
  QImage image(side, side, QImage::Format_ARGB32);
  image.fill(Qt::black);
  return image;
}

BodyPictures glyphsOnly() {
  BodyPictures p;
  p.gaiji = [](uint16_t code, int) { return code == 0xA121 ? square(14) : QImage(); };
  return p;
}

// The format of the character at a position of the rendered text.
QTextCharFormat formatAt(QTextDocument& doc, int position) {
  QTextCursor c(&doc);
  c.setPosition(position + 1);
  return c.charFormat();
}

int imagesIn(QTextDocument& doc) {
  int images = 0;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().isImageFormat()) images += it.fragment().length();
  return images;
}

TEST(BodyRendering, BaseStyleKeyAndBoldRuns) {
  QTextDocument doc;
  pravella::edic::renderBody(doc, "ab<key_start>cd<key_end>e<bold_start>fg<bold_end>h", "B", {});
  EXPECT_EQ(doc.toPlainText(), "abcdefgh");
  const struct {
    int position;
    double size;
    QColor colour;
    const char* font;
  } cases[] = {
      {0, 12.0, Qt::black, "HiraMaruPro-W4"},
      {2, 15.0, QColor::fromRgbF(0.26f, 0.32f, 0.08f), "HiraMaruPro-W4"},
      {4, 12.0, Qt::black, "HiraMaruPro-W4"},
      {5, 12.0, Qt::red, "HiraKakuStd-W8"},
      {7, 12.0, Qt::black, "HiraMaruPro-W4"},
  };
  for (const auto& c : cases) {
    const QTextCharFormat f = formatAt(doc, c.position);
    EXPECT_EQ(f.fontPointSize(), c.size) << c.position;
    EXPECT_EQ(f.foreground().color(), c.colour) << c.position;
    EXPECT_EQ(f.fontFamilies().toStringList(), QStringList{pravella::fonts::familyFor(c.font)}) << c.position;
  }
}

TEST(BodyRendering, UnclosedRunsLoseOnlyTheirTags) {
  QTextDocument doc;
  pravella::edic::renderBody(doc, "a<key_start>b<bold_start>c", "B", {});
  EXPECT_EQ(doc.toPlainText(), "abc");
  EXPECT_EQ(formatAt(doc, 1).fontPointSize(), 12.0);
}

TEST(BodyRendering, TabsIndentTheWholeParagraph) {
  QTextDocument doc;
  pravella::edic::renderBody(doc, "<Tab:000>first\n<Tab:002>second line\nthird", "B", {});
  EXPECT_EQ(doc.toPlainText(), "first\nsecond line\nthird");
  const QTextBlock second = doc.findBlockByNumber(1);
  EXPECT_EQ(second.blockFormat().leftMargin(), 20.0);
  EXPECT_EQ(second.blockFormat().textIndent(), 0.0);
  EXPECT_EQ(doc.findBlockByNumber(0).blockFormat().leftMargin(), 0.0);
  EXPECT_EQ(doc.findBlockByNumber(2).blockFormat().leftMargin(), 0.0);
}

TEST(BodyRendering, LinksCarryTheirTargetAndPictures) {
  QTextDocument doc;
  pravella::edic::renderBody(doc, "x <[Link]see<GF[161:033]>[Link:12,80]> y", "B", glyphsOnly());
  const QString text = doc.toPlainText();
  EXPECT_EQ(text, QString("x see") + QChar(QChar::ObjectReplacementCharacter) + " y");
  const QTextCharFormat link = formatAt(doc, 2);
  EXPECT_TRUE(link.isAnchor());
  EXPECT_EQ(link.anchorHref(), QString("B:see") + QChar(QChar::ObjectReplacementCharacter) + ":12:80");
  EXPECT_EQ(link.foreground().color(), QColor(Qt::blue));
  EXPECT_TRUE(link.fontUnderline());
  const QTextCharFormat picture = formatAt(doc, 5);
  EXPECT_TRUE(picture.isImageFormat());
  EXPECT_TRUE(picture.isAnchor());  // the glyph stays inside the link
  EXPECT_FALSE(formatAt(doc, 7).isAnchor());
}

TEST(BodyRendering, RefusedPicturesLeaveTheirTags) {
  BodyPictures refusing = glyphsOnly();
  refusing.figure = [](int64_t, int64_t) { return QImage(); };
  refusing.picture = [](int, int64_t, int64_t) { return square(3); };
  const struct {
    QString tagged, text;
    int images;
  } cases[] = {
      {"<GF[161:034]>", "<GF[161:034]>", 0},  // a glyph the book lacks
      {"<GH[161:033]>", QChar(QChar::ObjectReplacementCharacter), 1},
      {"<Fig-[3,16]>", "<Fig-[3,16]>", 0},
      {"<Fig-[0,16]>", "<Fig-[0,16]>", 0},
      {"<Pict[9:2:0]>", QChar(QChar::ObjectReplacementCharacter), 1},
      {"<Pict[4096:2:0]>", QChar(QChar::ObjectReplacementCharacter), 1},
      {"<Pict[5:2:0]>", "<Pict[5:2:0]>", 0},
      {"<Pict[9:2:0", "<Pict[9:2:0", 0},
      {"<[Link]see", "<[Link]see", 0},
      {"GraphSelect_[1:2]_< Movie_start >", "GraphSelect_[1:2]_< Movie_start >", 0},
  };
  for (const auto& c : cases) {
    QTextDocument doc;
    pravella::edic::renderBody(doc, c.tagged, "B", refusing);
    EXPECT_EQ(doc.toPlainText(), c.text) << c.tagged.toStdString();
    EXPECT_EQ(imagesIn(doc), c.images) << c.tagged.toStdString();
  }
}

}  // namespace
