// Text that goes in after a picture (pasted, dropped, on the next line) is text: the memo as
// saved holds the picture once, in its package, and reopened shows what the screen showed.

#include <QBuffer>
#include <QClipboard>
#include <QDirIterator>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTextBlock>

#include "app_fixture.h"

namespace {

using namespace app_test;

const QChar kAttachment = QChar::ObjectReplacementCharacter;

class TextAfterPicture : public App {
 protected:
  static QImage picture() {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
  }
  static QMimeData* pictureData() {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture().save(&buffer, "PNG");
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/png"), png);
    return mime;
  }
  static QMimeData* textData(const QString& text) {
    auto* mime = new QMimeData;
    mime->setText(text);
    return mime;
  }
  void paste(QMimeData* mime) {
    QGuiApplication::clipboard()->setMimeData(mime);
    QTest::keySequence(memo(), QKeySequence::Paste);
  }
  // Drops `mime` behind the memo's last character, where the user lets it go.
  void dropAtEnd(QMimeData* mime) {
    QTextCursor c(memo()->document());
    c.movePosition(QTextCursor::End);
    const QPointF at = memo()->cursorRect(c).center() + QPointF(1, 0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(memo()->viewport(), &enter);
    QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(memo()->viewport(), &drop);
    delete mime;
  }
  // The files of the saved package beside its text.
  static QStringList attachmentsOf(const QString& package) {
    QStringList names = QDir(package).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    names.removeAll(QStringLiteral("TXT.rtf"));
    return names;
  }
  static QByteArray textFileOf(const QString& package) {
    QFile f(package + QStringLiteral("/TXT.rtf"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
};

struct Steps {
  const char* name;
  std::function<void()> run;
};

TEST_F(TextAfterPicture, IsSavedAsTextAndTheMemoReopensAsItWasShown) {
  const std::vector<Steps> cases = {
      {"paste on the next line",
       [this] {
         paste(pictureData());
         QTest::keyClick(memo(), Qt::Key_Left);
         QTest::keyClick(memo(), Qt::Key_Right);
         QTest::keyClick(memo(), Qt::Key_Return);
         paste(textData(QStringLiteral("hello")));
       }},
      {"paste on the same line",
       [this] {
         paste(pictureData());
         paste(textData(QStringLiteral("hello")));
       }},
      {"drop behind a dropped picture",
       [this] {
         auto* mime = new QMimeData;
         mime->setImageData(picture());
         dropAtEnd(mime);
         dropAtEnd(textData(QStringLiteral("hello")));
       }},
      {"drop on the line after a dropped picture",
       [this] {
         auto* mime = new QMimeData;
         mime->setImageData(picture());
         dropAtEnd(mime);
         QTest::keyClick(memo(), Qt::Key_End, Qt::ControlModifier);
         QTest::keyClick(memo(), Qt::Key_Return);
         dropAtEnd(textData(QStringLiteral(" [hello] ")));
         QTest::keyClicks(memo(), QStringLiteral("typed"));
       }},
  };
  int n = 0;
  for (const Steps& steps : cases) {
    SCOPED_TRACE(steps.name);
    memo()->setFocus();
    typeShortcut(QKeySequence::New);
    memo()->setFocus();
    steps.run();
    const QString shown = memo()->toPlainText();
    ASSERT_EQ(shown.count(kAttachment), 1) << s(shown);
    ASSERT_TRUE(shown.contains(QStringLiteral("hello"))) << s(shown);
    window().editingDiaryFileName()->setText(QStringLiteral("pictured %1").arg(++n));
    typeShortcut(QKeySequence::Save);
    const QString package = calendar().nowDisplayedDocument();
    ASSERT_TRUE(package.endsWith(".rtfd")) << s(package);
    EXPECT_EQ(attachmentsOf(package).size(), 1) << s(attachmentsOf(package).join(", "));
    const QByteArray rtf = textFileOf(package);
    EXPECT_EQ(rtf.count("NeXTGraphic"), 1) << rtf.constData();
    EXPECT_TRUE(rtf.contains("hello")) << rtf.constData();

    // Reopened, the memo shows what was on the screen.
    typeShortcut(QKeySequence::New);
    ASSERT_EQ(s(memo()->toPlainText()), "");
    calendar().selectDiaryFileFromNameAction(QFileInfo(package).fileName());
    EXPECT_EQ(s(memo()->toPlainText()), s(shown));
  }
}

TEST_F(TextAfterPicture, ReturnAfterAPictureStartsALineOfText) {
  paste(pictureData());
  QTest::keyClick(memo(), Qt::Key_Left);
  QTest::keyClick(memo(), Qt::Key_Right);
  QTest::keyClick(memo(), Qt::Key_Return);
  // What goes in next takes the picture's font, not the picture.
  EXPECT_FALSE(memo()->textCursor().charFormat().isImageFormat());
  EXPECT_FALSE(memo()->document()->lastBlock().charFormat().isImageFormat());
}

}  // namespace
