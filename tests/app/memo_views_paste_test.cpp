// Ctrl+V of a picture alone on the clipboard in every memo view beside the main memo (the memo
// sheet, the month list's row memo, the finder's text, the bookmark and launcher memos) pastes
// it as the main memo does: an attachment at the caret, the text around it kept.

#include <QBuffer>
#include <QClipboard>
#include <QDockWidget>
#include <QMimeData>
#include <QTextEdit>

#include "app_fixture.h"
#include "diary/ui/pravella.h"
#include "editors/ui/memo_text_view.h"
#include "support/wait_for.h"
#include "tools/finder/ui/finder_text_view.h"

namespace {

using namespace app_test;

const QChar kAttachment = QChar::ObjectReplacementCharacter;

struct View {
  const char* dock;
  QStringList menu;
  QTextEdit* (*find)(QWidget* dock);
};

template <typename T>
QTextEdit* childOf(QWidget* dock) {
  return dock->findChild<T*>();
}
QTextEdit* named(QWidget* dock, const char* name) { return dock->findChild<QTextEdit*>(name); }

const View kViews[] = {
    {"toggleMemo", {"&View", "Memo &Sheet"}, childOf<memoTextView>},
    {"monthDiaryView", {"&View", "Month &Diary"}, childOf<subMemoTextView>},
    {"finderDrawer", {"&Tools", "&Finder"}, childOf<FinderTextView>},
    {"bookMarkDrawer", {"&Tools", "&Bookmarks"}, [](QWidget* d) { return named(d, "bookMarkMemoField"); }},
    {"launcherDrawer", {"&Tools", "&Launcher"}, [](QWidget* d) { return named(d, "launcherMemoField"); }},
};

class MemoViewsPaste : public App {
 protected:
  static QMimeData* pictureData() {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/png"), png);
    return mime;
  }
};

TEST_F(MemoViewsPaste, APictureOnTheClipboardIsPastedInEveryMemoView) {
  waitLaunched();
  for (const View& view : kViews) {
    SCOPED_TRACE(view.dock);
    clickMenuItem(menuEntry(view.menu));
    auto* dock = window().findChild<QDockWidget*>(view.dock);
    ASSERT_NE(dock, nullptr);
    ASSERT_TRUE(pravella::test::becomesTrue([&] { return shown(dock); }));
    QTextEdit* edit = view.find(dock);
    ASSERT_NE(edit, nullptr);
    // The view as it is when it shows a memo: editable, with text around the caret.
    edit->setReadOnly(false);
    edit->setPlainText(QStringLiteral("before after"));
    QTextCursor caret = edit->textCursor();
    caret.setPosition(7);
    edit->setTextCursor(caret);
    edit->setFocus();
    QGuiApplication::clipboard()->setMimeData(pictureData());
    QTest::keySequence(edit, QKeySequence::Paste);
    const QString shown = edit->toPlainText();
    EXPECT_EQ(s(shown), s(QStringLiteral("before ") + kAttachment + QStringLiteral("after")));
  }
}

}  // namespace
