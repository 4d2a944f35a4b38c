// Drops into the main memo: pictures, files, diary documents, dictionary hits and documents
// dragged from the day list.

#include "day_documents_fixture.h"

#include <QDropEvent>
#include <QImage>
#include <QTextBlock>
#include <QTextImageFormat>
#include <QUrl>

#include "diary/diary_globals.h"
#include "diary/document_links.h"
#include "editors/ui/memo_drop.h"
#include "platform/ui/sound_player.h"

namespace {

using namespace day_documents_test;

const QChar kAttachment = QChar::ObjectReplacementCharacter;
const QColor kOrange = QColor::fromRgbF(1, 0.5, 0);
const QColor kBlue = QColor::fromRgbF(0, 0, 1);
const QColor kTarget = QColor::fromRgbF(0.1f, 0.1f, 0.5f);
const QColor kLinkedTarget = QColor::fromRgbF(0.8f, 0.0f, 0.1f);

class MemoDrop : public DayDocuments {
 protected:
  void SetUp() override {
    openDocumentOnMemoStatus = 0;
    pravella::setSoundRecorder([this](const QString& name) { heard << name; });
  }
  void TearDown() override {
    pravella::setSoundRecorder(nullptr);
    DayDocuments::TearDown();
    openDocumentOnMemoStatus = 1;
  }
  void showMemo(const QString& text, const QString& name = "A.rtfd") {
    if (!QFileInfo::exists(day() + "/" + name)) writeRtfd(day() + "/" + name, text);
    start();
    calendar->selectDiaryFileFromNameAction(name);
    heard.clear();
  }
  // Drops `mime` on the memo's character `position`.
  // The action the drop was taken with.
  Qt::DropAction drop(QMimeData* mime, int position, Qt::DropActions actions = Qt::CopyAction) {
    QTextCursor c(memo()->document());
    c.setPosition(position);
    const QPointF at = memo()->cursorRect(c).center() + QPointF(1, 0);
    // The drop goes to the widget that took the drag's entry.
    QDragEnterEvent enter(at.toPoint(), actions, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(memo()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent event(at, actions, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(memo()->viewport(), &event);
    delete mime;
    return event.dropAction();
  }
  QMimeData* files(const QString& path) {
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(path)});
    return mime;
  }
  QMimeData* text(const QString& t, const QString& bookmark = {}) {
    auto* mime = new QMimeData;
    mime->setText(t);
    if (!bookmark.isEmpty()) mime->setData(pravella::kBookmarkDragType, bookmark.toUtf8());
    return mime;
  }
  QTextCharFormat formatAt(int position) {
    QTextCursor c(memo()->document());
    c.setPosition(position + 1);
    return c.charFormat();
  }
  QColor colourAt(int position) { return formatAt(position).foreground().color(); }
  int caret() { return memo()->textCursor().position(); }
  QImage picture() {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    return image;
  }

  QStringList heard;
};

TEST_F(MemoDrop, ADiaryDocumentBecomesABracketedLink) {
  writeRtfd(day() + "/B.rtfd", "bee");
  writeRtfd(paths::dayFolder(2008, 5, 1) + "/N.rtfd", "en");
  writeFile(day() + "/C.rtf", "{\\rtf1 c}");
  showMemo("0123");
  struct Case {
    QString path;
    QString text;
  } cases[] = {
      {day() + "/B.rtfd", "01 [B] 23"},  // of the day selected in the calendar
      {paths::dayFolder(2008, 5, 1) + "/N.rtfd", "01 [2008/05/01/N] 23"},
  };
  for (const Case& c : cases) {
    memo()->setPlainText("0123");
    heard.clear();
    drop(files(c.path), 2);
    EXPECT_EQ(memo()->toPlainText(), c.text) << s(c.path);
    EXPECT_NE(colourAt(3), kTarget);
    for (int i = 4; i < c.text.size() - 4; ++i) EXPECT_EQ(colourAt(i), kTarget) << s(c.path) << " " << i;
    EXPECT_NE(colourAt(static_cast<int>(c.text.size()) - 4), kTarget);
    EXPECT_EQ(heard, QStringList{"Tink"});
    EXPECT_TRUE(memo()->hasFocus());
  }
}

TEST_F(MemoDrop, AnyOtherFileBecomesAnOrangeLinkToIt) {
  const QString file = paths::home() + "/docs/a #b.pdf";
  writeFile(file, "pdf");
  writeFile(day() + "/C.rtf", "{\\rtf1 c}");  // a diary document, but no package
  showMemo("0123");
  for (const QString& path : {file, day() + "/C.rtf"}) {
    memo()->setPlainText("0123");
    heard.clear();
    // Offered as a move, taken as a copy: the source keeps its file.
    EXPECT_EQ(drop(files(path), 2, Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
    const QString name = QFileInfo(path).fileName();
    EXPECT_EQ(memo()->toPlainText(), "01 " + name + " 23");
    const QTextCharFormat link = formatAt(3);
    EXPECT_EQ(link.anchorHref(), QUrl::fromLocalFile(path).toString());
    EXPECT_EQ(link.foreground().color(), kOrange);
    EXPECT_TRUE(link.fontUnderline());
    EXPECT_EQ(formatAt(3 + static_cast<int>(name.size())).anchorHref(), "");  // the blanks are no link
    EXPECT_EQ(formatAt(2).anchorHref(), "");
    EXPECT_EQ(caret(), 4 + name.size());
    EXPECT_EQ(heard, QStringList{"Tink"});
  }
}

TEST_F(MemoDrop, PicturesGoInAsAJpegAttachmentUnlessOnlyLinkingIsOffered) {
  const QString png = paths::home() + "/pics/p.png";
  QDir().mkpath(QFileInfo(png).absolutePath());
  ASSERT_TRUE(picture().save(png));
  showMemo("0123");
  auto* image = new QMimeData;
  image->setImageData(picture());
  struct Case {
    QMimeData* mime;
    Qt::DropActions actions;
    QString text;
  } cases[] = {
      {image, Qt::CopyAction, QString("01") + kAttachment + "23"},
      {files(png), Qt::CopyAction | Qt::LinkAction, QString("01") + kAttachment + "23"},
      {files(png), Qt::LinkAction, "01 p.png 23"},  // a file link, not the picture
  };
  for (const Case& c : cases) {
    memo()->setPlainText("0123");
    QFile::remove(pravella::droppedPicturePath());
    heard.clear();
    drop(c.mime, 2, c.actions);
    EXPECT_EQ(memo()->toPlainText(), c.text);
    EXPECT_EQ(heard, QStringList{"Tink"});
    if (c.text.contains(kAttachment)) {
      QFile jpeg(pravella::droppedPicturePath());
      ASSERT_TRUE(jpeg.open(QIODevice::ReadOnly));
      EXPECT_TRUE(jpeg.read(2) == QByteArray("\xFF\xD8", 2));
      EXPECT_EQ(caret(), 3);
    }
  }
}

TEST_F(MemoDrop, APictureThatDoesNotReadIsLeftToTheEditor) {
  showMemo("0123");
  auto* broken = new QMimeData;
  broken->setData("image/png", "not a picture");
  broken->setText(" [x] ");
  drop(broken, 2);
  EXPECT_EQ(memo()->toPlainText(), "01 [x] 23");
  EXPECT_NE(colourAt(4), kTarget);  // as the editor inserts it: no bracket colouring
  EXPECT_TRUE(heard.isEmpty());
  EXPECT_FALSE(QFile::exists(pravella::droppedPicturePath()));
}

TEST_F(MemoDrop, TypingAfterADroppedPictureKeepsTheFontAndParagraph) {
  showMemo("ab");
  QTextCursor c(memo()->document());
  c.select(QTextCursor::Document);
  QTextCharFormat big;
  big.setFontPointSize(21);
  big.setFontWeight(QFont::Bold);
  c.mergeCharFormat(big);
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  c.mergeBlockFormat(centred);
  auto* image = new QMimeData;
  image->setImageData(picture());
  drop(image, 1);
  QTest::keyClicks(memo(), "z");
  EXPECT_EQ(memo()->toPlainText(), QString("a") + kAttachment + "zb");
  EXPECT_EQ(formatAt(2).fontPointSize(), 21);
  EXPECT_EQ(formatAt(2).fontWeight(), QFont::Bold);
  EXPECT_FALSE(formatAt(2).isImageFormat());
  EXPECT_EQ(memo()->document()->firstBlock().blockFormat().alignment(), Qt::AlignHCenter);
}

TEST_F(MemoDrop, ADictionaryHitBecomesABlueLinkBetweenBrackets) {
  showMemo("0123");
  drop(text("eDicSearchData:dic:word:12:34"), 2);
  EXPECT_EQ(memo()->toPlainText(), "01 [word] 23");
  const QTextCharFormat link = formatAt(4);
  EXPECT_EQ(link.anchorHref(), "dic:word:12:34");
  EXPECT_EQ(link.foreground().color(), kBlue);
  EXPECT_TRUE(link.fontUnderline());
  EXPECT_EQ(formatAt(3).anchorHref(), "");
  EXPECT_EQ(caret(), 8);
  QTest::keyClicks(memo(), "z");  // typed behind the link, not into it
  EXPECT_EQ(memo()->toPlainText(), "01 [wordz] 23");
  EXPECT_EQ(formatAt(8).anchorHref(), "");
  // Five fields of another kind, four fields: the text as it is.
  for (const QString& other : {QString("x:dic:word:12:34"), QString("eDicSearchData:dic:word:12")}) {
    memo()->setPlainText("0123");
    drop(text(other), 2);
    EXPECT_EQ(memo()->toPlainText(), "01" + other + "23");
    EXPECT_EQ(formatAt(4).anchorHref(), "");
  }
}

TEST_F(MemoDrop, BracketedTextsAreColouredAndDocumentsOfTheListNamedByTheirDay) {
  const QString other = paths::dayFolder(2008, 5, 1) + "/N.rtfd";
  writeRtfd(other, "en");
  writeRtfd(paths::dayFolder(2008, 1, 5) + "/Trip.rtfd", "trip");
  QDir().mkpath(day());
  ASSERT_TRUE(QFile::link(paths::dayFolder(2008, 1, 5) + "/Trip.rtfd", day() + "/L.rtfd"));
  ASSERT_TRUE(QFile::link(other, day() + "/M.rtfd"));
  writeRtfd(day() + "/A.rtfd", "0123");
  struct Case {
    QString shown;     // the document the memo shows
    QString dragged;   // the text dragged
    QString bookmark;  // the document dragged from a list
    QString text;      // what goes in
    QColor colour;     // of the target; invalid: not coloured
  } cases[] = {
      {"A.rtfd", " [N] ", other, " [N] ", kTarget},
      {"L.rtfd", " [N] ", other, " [2008/05/01/N] ", kTarget},  // the memo shows a link
      {"L.rtfd", " [M] ", day() + "/M.rtfd", " [2008/02/28/M] ", kLinkedTarget},
      {"A.rtfd", " [x] ", "", " [x] ", kTarget},
      {"A.rtfd", "plain", "", "plain", QColor()},
      {"A.rtfd", "[x]", "", "[x]", QColor()},
  };
  start();
  for (const Case& c : cases) {
    calendar->selectDiaryFileFromNameAction(c.shown);
    memo()->setPlainText("0123");
    drop(text(c.dragged, c.bookmark), 2);
    EXPECT_EQ(memo()->toPlainText(), "01" + c.text + "23") << s(c.dragged) << " on " << s(c.shown);
    for (int i = 2; i < 2 + c.text.size(); ++i) {
      const bool inside = c.colour.isValid() && i >= 4 && i < c.text.size();
      EXPECT_EQ(colourAt(i) == c.colour, inside) << s(c.text) << " at " << i;
    }
    calendar->noDurtyAction();
  }
}

}  // namespace
