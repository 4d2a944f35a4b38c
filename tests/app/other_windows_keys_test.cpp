// Keys and commands that must answer wherever the user gives them: Save and Quit in the To Do
// window, Picture Size with no picture at the caret, and a text file a program asks for.

#include <QFileDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStatusBar>

#include "app_fixture.h"
#include "tools/bookmarks/ui/cal_todo.h"

namespace {

using namespace app_test;

class OtherWindows : public App {
 protected:
  QString statusLine() { return window().statusBar()->currentMessage(); }
  static QString textOf(const QString& path) {
    QTextDocument doc;
    return pravella::readRichTextFile(path, doc) ? doc.toPlainText() : QStringLiteral("(unreadable)");
  }
};

TEST_F(OtherWindows, SaveAndQuitWorkInTheToDoWindow) {
  memo()->setFocus();
  QTest::keyClicks(memo(), QStringLiteral("shown memo words"));
  window().editingDiaryFileName()->setText(QStringLiteral("Shown"));
  clickMenuItem(menuEntry({"&Tools", "&To Do"}));
  QWidget* toDo = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String("toDoWindow")) toDo = w;
  ASSERT_TRUE(shown(toDo));
  toDo->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(toDo));
  auto* list = toDo->findChild<QTextEdit*>(QStringLiteral("toDoMemoView"));
  ASSERT_NE(list, nullptr);
  list->setFocus();
  QTest::keyClicks(list, QStringLiteral("buy milk"));

  QTest::keySequence(list, QKeySequence::Save);
  EXPECT_TRUE(textOf(CalToDo::memoFile()).contains(QStringLiteral("buy milk")))
      << s(textOf(CalToDo::memoFile()));
  EXPECT_FALSE(toDo->isWindowModified());
  const QString shownPath = calendar().nowDisplayedDocument();
  ASSERT_FALSE(shownPath.isEmpty());
  EXPECT_EQ(s(textOf(shownPath)), "shown memo words");

  ASSERT_EQ(terminations, 0);
  QSignalSpy spy(action("quitAction"), &QAction::triggered);
  QTest::keyClick(list, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(spy.count(), 1);
  EXPECT_EQ(terminations, 1);
}

TEST_F(OtherWindows, PictureSizeWithNoPictureAtTheCaretSaysWhy) {
  memo()->setFocus();
  QTest::keyClicks(memo(), QStringLiteral("no picture here"));
  ASSERT_EQ(statusLine(), "");
  clickMenuItem(menuEntry({"&Tools", "Picture &Size", "50"}));
  EXPECT_TRUE(statusLine().startsWith("Picture Size: no picture at the caret")) << s(statusLine());
  EXPECT_EQ(s(memo()->toPlainText()), "no picture here");
}

class LoadText : public OtherWindows {
 protected:
  // The file panel is answered here, once the program's result is in.
  LoadText() { closesDialogsItself = true; }
};

TEST_F(LoadText, TheFileGoesInBehindTheOutputOfTheProgramThatAskedForIt) {
  const QString file = pravella::test::home() + QStringLiteral("/note.txt");
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write("FILE TEXT");
  out.close();
  memo()->setFocus();
  QTest::keyClicks(memo(), QStringLiteral("cal_loadText(0);"));
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(waitIdle());
  ASSERT_TRUE(waitFor([this] { return memo()->toPlainText().contains(QStringLiteral(".OK.")); }))
      << s(memo()->toPlainText());
  ASSERT_TRUE(memo()->textCursor().hasSelection());  // the result stands selected
  QFileDialog* panel = nullptr;
  ASSERT_TRUE(waitFor([&] {
    panel = window().findChild<QFileDialog*>();
    return panel && panel->isVisible();
  }));
  auto* name = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  name->setText(file);
  QTest::keyClick(name, Qt::Key_Return);
  ASSERT_TRUE(waitFor([this] { return memo()->toPlainText().contains(QStringLiteral("FILE TEXT")); }));
  EXPECT_EQ(s(memo()->toPlainText()), "cal_loadText(0);\n.OK.\nFILE TEXT");
}

}  // namespace
