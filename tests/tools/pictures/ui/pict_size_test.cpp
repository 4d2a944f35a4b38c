// Memo pictures resized in place by a percentage and through a picture window, the picture
// window's geometry, and what its closing leaves behind.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <memory>
#include <string>
#include <vector>

#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rtf.h"
#include "support/test_home.h"
#include "tools/pictures/memo_picture.h"
#include "tools/pictures/ui/cal_change_pict_size.h"
#include "tools/pictures/ui/graph_controll.h"

namespace {

using pravella::NotificationCenter;

QByteArray jpegOf(const QSize& size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", 90);
  return bytes;
}

QList<graphControll*> pictureWindows() {
  QList<graphControll*> windows;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* g = qobject_cast<graphControll*>(w); g && g->isVisible()) windows << g;
  return windows;
}

class PictSize : public testing::Test {
 protected:
  void SetUp() override {
    main.setGeometry(100, 50, 800, 600);
    CalChangePictSize::Host host;
    host.textView = [this] { return &memo; };
    host.mainWindow = &main;
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    resizer = std::make_unique<CalChangePictSize>(host);
    paste = NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("pasteImageToDocument"), nullptr, [this](pravella::Notification& n) { pasted << n.text; },
        pravella::Delivery::PostingThread);
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().removeObserver(paste);
    for (graphControll* g : pictureWindows()) delete g;
  }

  // "ab", a picture of `size` in bold, "cd"; the caret at `caret`.
  void memoWithPicture(const QSize& size, int caret, bool textAfter = true) {
    memo.clear();
    QTextCursor c(memo.document());
    QTextCharFormat plain;
    plain.setFontItalic(true);
    c.insertText("ab", plain);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.setCharFormat(bold);
    pravella::rtf::insertAttachment(c, "old.jpg", jpegOf(size));
    if (textAfter) c.insertText("cd", plain);
    c.setPosition(caret);
    memo.setTextCursor(c);
  }
  QImage pictureAt(int position) {
    QTextCursor c(memo.document());
    c.setPosition(position);
    c.setPosition(position + 1, QTextCursor::KeepAnchor);
    return pravella::attachmentPicture(c);
  }
  QTextCharFormat formatAt(int position) {
    QTextCursor c(memo.document());
    c.setPosition(position + 1);
    return c.charFormat();
  }

  QMainWindow main;
  QTextEdit memo;
  std::unique_ptr<CalChangePictSize> resizer;
  std::vector<std::string> sounds;
  QStringList pasted;
  pravella::ObserverId paste = 0;
};

TEST_F(PictSize, HalfSizeReplacesThePictureInPlaceAndLeavesItOnTheClipboard) {
  memoWithPicture({333, 200}, 3);
  const QString textBefore = memo.toPlainText();
  ASSERT_TRUE(resizer->changePictSizeAction(50));
  EXPECT_EQ(sounds, std::vector<std::string>{"Tink"});
  EXPECT_EQ(memo.toPlainText(), textBefore);
  EXPECT_EQ(pictureAt(2).size(), QSize(166, 100));
  EXPECT_EQ(formatAt(2).fontWeight(), QFont::Bold);
  EXPECT_EQ(formatAt(2).toImageFormat().property(pravella::rtf::kAttachmentFileName).toString().size(),
            QStringLiteral("20260101000000.jpg").size());
  for (int at : {0, 1, 3, 4}) {
    EXPECT_TRUE(formatAt(at).fontItalic()) << at;
    EXPECT_FALSE(formatAt(at).isImageFormat()) << at;
  }
  const QStringList files = QDir(pravella::paths::vkData()).entryList({"*.jpg"}, QDir::Files);
  ASSERT_EQ(files.size(), 1);
  EXPECT_EQ(QImage(pravella::paths::vkData() + "/" + files[0]).size(), QSize(166, 100));
  EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(166, 100));
  // A second picture of the same second gets a name of its own.
  ASSERT_TRUE(resizer->changePictSizeAction(200));
  EXPECT_EQ(pictureAt(2).size(), QSize(332, 200));
  EXPECT_EQ(QDir(pravella::paths::vkData()).entryList({"*.jpg"}, QDir::Files).size(), 2);
}

TEST_F(PictSize, ThePictureIsFoundJustBeforeOrAfterTheCaret) {
  struct Case {
    int caret, anchor;  // selection from anchor to caret
    bool textAfter;
    bool found;
  };
  const Case cases[] = {
      {3, 3, true, true},    // right after the picture
      {2, 2, true, true},    // right before it, text follows
      {2, 2, false, false},  // right before it, the last character: not examined
      {3, 2, true, true},    // the picture selected
      {4, 2, true, false},   // two characters selected
      {0, 0, true, false},   // no picture near
  };
  for (const Case& c : cases) {
    memoWithPicture({40, 20}, c.anchor, c.textAfter);
    QTextCursor cursor = memo.textCursor();
    cursor.setPosition(c.caret, QTextCursor::KeepAnchor);
    memo.setTextCursor(cursor);
    sounds.clear();
    EXPECT_EQ(resizer->changePictSizeAction(50), c.found) << c.caret << "," << c.anchor;
    EXPECT_EQ(sounds, std::vector<std::string>{c.found ? "Tink" : "Basso"});
    EXPECT_EQ(pictureAt(2).size(), c.found ? QSize(20, 10) : QSize(40, 20));
  }
}

// Tools > Picture Size > 50 with the caret at the end of the line above a picture that starts a
// line: that picture is neither at the caret nor right behind it. The line break passed for the
// picture: it was deleted, a half-size copy put in its place and the original kept.
TEST_F(PictSize, ThroughTheMenuOnlyThePictureAtTheCaretIsResized) {
  memo.clear();
  QTextCursor c(memo.document());
  c.insertText("line one");
  c.insertBlock();
  pravella::rtf::insertAttachment(c, "old.jpg", jpegOf({40, 20}));
  c.insertText(" and text");
  QMenu tools;
  QMenu* sizes = resizer->addMenu(&tools);
  QAction* half = nullptr;
  for (QAction* a : sizes->actions())
    if (a->text() == "50") half = a;
  ASSERT_NE(half, nullptr);
  auto choose = [&] {
    sizes->popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sizes));
    QTest::mouseClick(sizes, Qt::LeftButton, {}, sizes->actionGeometry(half).center());
  };
  const QString before = memo.toHtml();
  c.setPosition(8);  // the end of "line one"
  memo.setTextCursor(c);
  choose();
  EXPECT_EQ(sounds, std::vector<std::string>{"Basso"});
  EXPECT_EQ(memo.toHtml(), before);
  EXPECT_EQ(pictureAt(9).size(), QSize(40, 20));

  // Right before the picture, and right behind it: that picture, in place.
  for (int caret : {9, 10}) {
    sounds.clear();
    c.setPosition(caret);
    memo.setTextCursor(c);
    choose();
    EXPECT_EQ(sounds, std::vector<std::string>{"Tink"}) << caret;
    EXPECT_EQ(memo.document()->blockCount(), 2) << caret;
    EXPECT_EQ(memo.document()->firstBlock().text(), "line one");
  }
  EXPECT_EQ(pictureAt(9).size(), QSize(10, 5));
  EXPECT_EQ(memo.toPlainText(), QString("line one\n") + QChar::ObjectReplacementCharacter + " and text");
}

TEST_F(PictSize, AFailedWriteKeepsTheOldPicture) {
  memoWithPicture({60, 40}, 3);
  // The work folder is a file: nothing can be written there.
  QDir().mkpath(QFileInfo(pravella::paths::vkData()).absolutePath());
  QFile blocker(pravella::paths::vkData());
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_TRUE(resizer->changePictSizeAction(50));
  EXPECT_EQ(sounds, std::vector<std::string>{"Basso"});
  EXPECT_EQ(pictureAt(2).size(), QSize(60, 40));
}

TEST_F(PictSize, PictureWindowStaysOnTheScreenBesideTheMainWindowAndKeepsTheAspect) {
  main.show();  // its frame tells what the new window's will be
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  auto* window = new graphControll(&main);
  pravella::Notification take;
  take.name = "setImageToGraph";
  take.payload = QImage(1200, 600, QImage::Format_RGB32);
  NotificationCenter::defaultCenter().post(take);
  EXPECT_TRUE(window->done());
  EXPECT_EQ(window->size(), QSize(500, 292));
  // The main window leaves no room beside it on the test screen: the window stands on the
  // screen where it hides least of the main window, no more than at the screen's right edge
  // with the tops level.
  const QRect available = main.screen()->availableGeometry(), frame = window->frameGeometry();
  const QRect mainFrame = main.frameGeometry();
  EXPECT_TRUE(available.contains(frame));
  const auto hidden = [&](const QRect& r) {
    const QRect common = r.intersected(mainFrame);
    return common.isEmpty() ? 0 : common.width() * common.height();
  };
  EXPECT_LE(hidden(frame),
            hidden(QRect(QPoint(available.right() + 1 - frame.width(), mainFrame.top()), frame.size())));
  // A window that has its picture takes no other.
  take.payload = QImage(10, 10, QImage::Format_RGB32);
  NotificationCenter::defaultCenter().post(take);
  EXPECT_EQ(window->imageSize(), QSizeF(1200, 600));
  window->resize(250, 400);
  EXPECT_EQ(window->size(), QSize(250, 167));
  EXPECT_EQ(window->shownPicture().size(), QSize(250, 125));
  // Closed without "need paste": what it shows goes to the clipboard, nothing is pasted.
  window->close();
  EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(250, 125));
  EXPECT_TRUE(pasted.isEmpty());
}

TEST_F(PictSize, FreeSizeWindowPastesItsPictureBackWhenClosed) {
  memoWithPicture({300, 150}, 3);
  ASSERT_TRUE(resizer->changePictFreeSizeAction());
  const QList<graphControll*> windows = pictureWindows();
  ASSERT_EQ(windows.size(), 1);
  graphControll* window = windows.first();
  EXPECT_TRUE(window->pasteStatus());
  EXPECT_EQ(window->size(), QSize(300, 192));
  window->resize(150, 300);
  window->close();
  ASSERT_EQ(pasted.size(), 1);
  EXPECT_TRUE(pasted[0].startsWith(pravella::paths::vkData() + "/"));
  EXPECT_EQ(QImage(pasted[0]).size(), QSize(150, 75));
  // What the calendar does with it: the selected old picture gives way to the new one.
  QTextCursor c = memo.textCursor();
  ASSERT_TRUE(pravella::pastePictureFile(c, pasted[0]));
  EXPECT_EQ(pictureAt(2).size(), QSize(150, 75));
  EXPECT_EQ(memo.toPlainText().size(), 5);
}

}  // namespace
