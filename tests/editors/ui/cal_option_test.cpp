// The memo options controller in the main window: the memo sheet's history, files and
// saving, the Format and User menus, and the main-document commands programs send.

#include <unistd.h>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QTextBlock>

#include "diary/ui/day_documents_fixture.h"
#include "editors/memo_format.h"
#include "editors/paragraph_indent.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/temporary_highlights.h"
#include "lang/builtins/command_bridge.h"
#include "lang/builtins/file_chooser.h"
#include "lang/builtins/startup.h"
#include "support/command_program.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "platform/finder_info.h"
#include "platform/rtf.h"
#include "platform/text_encoding.h"

namespace {

using namespace day_documents_test;

// An application command run as a program calls it, on a freshly started language.
class Program : public CommandProgram {
 public:
  Program() { vkStartUp(); }
};

class MemoOptions : public DayDocuments {
 protected:
  void begin() {
    start();
    option->setClock([] { return QDateTime(QDate(2008, 5, 14), QTime(9, 5, 1)); });
  }
  QTextEdit* sheet() { return calendar->memoSheet()->toggleMemoField(); }
  QAction* menuAction(QMenu* menu, const char* name) {
    for (QAction* a : menu->actions())
      if (a->objectName() == name) return a;
    ADD_FAILURE() << "no menu item " << name;
    return nullptr;
  }
  void focus(QWidget* w) {
    w->setFocus();
    QApplication::setActiveWindow(window.get());
    ASSERT_EQ(window->focusWidget(), w);
  }
};

TEST_F(MemoOptions, SteppingTheHistoryDropsVanishedFilesAndEndsAtMinusOne) {
  for (const char* name : {"a", "b", "c"}) writeRtfd(day() + "/" + name + ".rtfd", name);
  begin();
  for (const char* name : {"a", "b", "c"}) calendar->openDocumentOnMemo(day() + "/" + name + ".rtfd");
  EXPECT_EQ(option->history().count(), 3);
  EXPECT_EQ(sheet()->toPlainText(), "c");
  EXPECT_EQ(calendar->memoSheet()->currentFileName()->text(), "[2008/02/28/c]");
  EXPECT_FALSE(calendar->memoSheet()->nextRirekiButton()->isEnabled());

  ASSERT_TRUE(QDir(day() + "/b.rtfd").removeRecursively());
  QTest::mouseClick(calendar->memoSheet()->beforeRirekiButton(), Qt::LeftButton);
  EXPECT_EQ(sheet()->toPlainText(), "a");  // b vanished: dropped on the way
  EXPECT_EQ(option->history().entries(), QStringList({day() + "/a.rtfd", day() + "/c.rtfd"}));
  EXPECT_EQ(option->nowMemoPath(), day() + "/a.rtfd");
  EXPECT_FALSE(calendar->memoSheet()->beforeRirekiButton()->isEnabled());

  // Ctrl+Down at the end of the sheet steps forward, Ctrl+Up at its start back.
  focus(sheet());
  QTextCursor end(sheet()->document());
  end.movePosition(QTextCursor::End);
  sheet()->setTextCursor(end);
  QTest::keyClick(sheet(), Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(sheet()->toPlainText(), "c");
  QTest::keyClick(sheet(), Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(sheet()->toPlainText(), "a");
  // Elsewhere the first press takes the caret to the end or the start, the second steps.
  QTextCursor start(sheet()->document());
  sheet()->setTextCursor(start);
  QTest::keyClick(sheet(), Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(sheet()->toPlainText(), "a");
  EXPECT_EQ(sheet()->textCursor().position(), 1);
  QTest::keyClick(sheet(), Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(sheet()->toPlainText(), "c");
  QTextCursor last(sheet()->document());
  last.movePosition(QTextCursor::End);
  sheet()->setTextCursor(last);
  QTest::keyClick(sheet(), Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(sheet()->toPlainText(), "c");
  EXPECT_EQ(sheet()->textCursor().position(), 0);
  QTest::keyClick(sheet(), Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(sheet()->toPlainText(), "a");

  ASSERT_TRUE(QDir(day() + "/a.rtfd").removeRecursively());
  ASSERT_TRUE(QDir(day() + "/c.rtfd").removeRecursively());
  option->nextRireki();
  EXPECT_EQ(option->history().now(), -1);
  EXPECT_EQ(option->history().count(), 0);
  EXPECT_EQ(option->titleLine(), "");
  // What stays on the sheet is scratch text now: it is saved to the scratch memo.
  sheet()->textCursor().insertText("kept ");
  calendar->closeAllToggleView();
  EXPECT_EQ(textOf(CalOption::scratchMemoPath()), "kept a");
  EXPECT_FALSE(QFileInfo::exists(day() + "/a.rtfd"));
}

TEST_F(MemoOptions, AMemoOnTheSheetSavesThroughALinkChainAndTheScratchTextSurvives) {
  writeRtfd(day(3) + "/target.rtfd", "linked text");
  QDir().mkpath(day());
  ASSERT_EQ(::symlink(s(day(3) + "/target.rtfd").c_str(), s(day() + "/middle.rtfd").c_str()), 0);
  ASSERT_EQ(::symlink("middle.rtfd", s(day() + "/shopping.rtfd").c_str()), 0);
  begin();
  calendar->memoSheetDocument()->setPlainText("scratch text");

  calendar->openDocumentOnMemo(day() + "/shopping.rtfd");
  EXPECT_EQ(option->titleLine(), " [2008/02/28/shopping] \n\n");
  EXPECT_EQ(sheet()->toPlainText(), "linked text");
  EXPECT_EQ(textOf(CalOption::scratchMemoPath()), "scratch text");
  EXPECT_FALSE(calendar->memoSheet()->durtyButton()->isChecked());

  sheet()->textCursor().insertText("more ");
  EXPECT_TRUE(calendar->memoSheet()->durtyButton()->isChecked());
  ASSERT_TRUE(option->saveDocAction());
  EXPECT_FALSE(calendar->memoSheet()->durtyButton()->isChecked());
  // Written at the chain's end; both links stay links.
  EXPECT_EQ(textOf(day(3) + "/target.rtfd"), "more linked text");
  EXPECT_TRUE(QFileInfo(day() + "/shopping.rtfd").isSymLink());
  EXPECT_TRUE(QFileInfo(day() + "/middle.rtfd").isSymLink());
  EXPECT_TRUE(sounds.contains("Tink"));
}

TEST_F(MemoOptions, AFailedSaveKeepsTheMarkAndTheText) {
  writeRtfd(day() + "/a.rtfd", "doc a");
  writeRtfd(day() + "/b.rtfd", "doc b");
  begin();
  calendar->openDocumentOnMemo(day() + "/a.rtfd");
  sheet()->textCursor().insertText("edit ");
  // The document becomes a link to itself: a chain that never ends, so nothing can be written.
  ASSERT_TRUE(QDir(day() + "/a.rtfd").removeRecursively());
  ASSERT_EQ(::symlink("a.rtfd", s(day() + "/a.rtfd").c_str()), 0);
  sounds.clear();
  EXPECT_FALSE(option->saveDocAction());
  EXPECT_TRUE(sounds.contains("Basso"));
  EXPECT_TRUE(calendar->memoSheet()->durtyButton()->isChecked());
  // Nothing replaces the unsaved text: not another document, not a history step, not a clear.
  EXPECT_FALSE(option->openDocumentOnMemoSheet(day() + "/b.rtfd"));
  option->beforeRireki();
  option->memoAllClearAction();
  EXPECT_EQ(sheet()->toPlainText(), "edit doc a");
  EXPECT_EQ(option->nowMemoPath(), day() + "/a.rtfd");
}

TEST_F(MemoOptions, AnAttachmentDoubleClickedOnTheSheetOpensItsFile) {
  QTextDocument doc;
  QTextCursor c(&doc);
  c.insertText("see ");
  pravella::rtf::insertAttachment(c, "notes.txt", "attached bytes");
  ASSERT_TRUE(pravella::writeRtfdFile(day() + "/a.rtfd", doc).ok);
  begin();
  QStringList opened;
  option->setOpener([&](const QString& path) {
    opened << path;
    return true;
  });
  EXPECT_FALSE(option->openAttachmentAt(0));  // the scratch memo has no folder
  calendar->openDocumentOnMemo(day() + "/a.rtfd");
  EXPECT_FALSE(option->openAttachmentAt(1));  // plain text there
  EXPECT_TRUE(option->openAttachmentAt(4));
  EXPECT_TRUE(option->openAttachmentAt(5));
  EXPECT_EQ(opened, QStringList({day() + "/a.rtfd/notes.txt", day() + "/a.rtfd/notes.txt"}));
}

TEST_F(MemoOptions, AllClearSavesThenShowsTheTemplateAsScratch) {
  writeRtfd(day() + "/a.rtfd", "doc");
  begin();
  Program p;
  calendar->openDocumentOnMemo(day() + "/a.rtfd");
  sheet()->textCursor().insertText("changed ");
  ASSERT_EQ(p.trigger("cal_memoAllClear"), 1);
  EXPECT_EQ(textOf(day() + "/a.rtfd"), "changed doc");
  EXPECT_EQ(option->history().now(), -1);
  EXPECT_EQ(option->titleLine(), "");
  EXPECT_EQ(option->memoSheetFile(), CalOption::scratchMemoPath());
}

TEST_F(MemoOptions, TheColourCycleWrapsAfterElevenUses) {
  begin();
  type("colour");
  memo()->selectAll();
  focus(memo());
  QAction* cycle = menuAction(option->formatMenu(), "changeColorAction");
  for (int i = 0; i < 11; ++i) cycle->trigger();
  EXPECT_EQ(memo()->textCursor().charFormat().foreground().color(), pravella::memo_format::colourCycle(10));
  EXPECT_EQ(option->nowColor(), 0);
  cycle->trigger();  // the twelfth: black again
  EXPECT_EQ(memo()->textCursor().charFormat().foreground().color(), QColor(Qt::black));
  // Without a memo in focus nothing happens.
  focus(table());
  cycle->trigger();
  EXPECT_EQ(option->nowColor(), 1);
}

TEST_F(MemoOptions, FontCommandsActOnTheFocusedMemoOrRefuse) {
  begin();
  Program p;
  focus(table());
  sounds.clear();
  ASSERT_EQ(p.trigger("cal_monaco"), 1);
  EXPECT_EQ(sounds, QStringList({"Basso"}));
  if (!pravella::memo_format::fontInstalled(pravella::memo_format::kHeadingFont))
    GTEST_SKIP() << "no Japanese fonts";

  QDir().mkpath(paths::preferences());
  writeFile(paths::preferences() + "/indexChar.dat", "#");
  memo()->setPlainText("#head\nbody");
  focus(memo());
  ASSERT_EQ(p.trigger("cal_stdDocument"), 1);
  QTextCursor c(memo()->document());
  c.setPosition(2);
  EXPECT_EQ(c.charFormat().fontFamilies().toStringList().value(0), pravella::memo_format::kHeadingFont);
  c.setPosition(8);
  EXPECT_EQ(c.charFormat().fontFamilies().toStringList().value(0), pravella::memo_format::kBodyFont);

  // A size below 1 is not taken.
  p.number(0);
  ASSERT_EQ(p.call("cal_changeDocFontSize", 1), 1);
  EXPECT_EQ(option->stdDocFontSize(), 12);
  p.number(20);
  ASSERT_EQ(p.call("cal_changeDocFontSize", 1), 1);
  EXPECT_EQ(option->stdDocFontSize(), 20);
}

TEST_F(MemoOptions, PasteDateFromAProgramInTheMainMemoStampsTheMainMemo) {
  ASSERT_EQ(vkStartUp(), 1);
  begin();
  memo()->awakeFromNib();
  sheet()->setPlainText("sheet");
  focus(memo());
  memo()->setPlainText("cal_pasteDate(1);");
  QTextCursor c(memo()->document());
  c.movePosition(QTextCursor::End);
  memo()->setTextCursor(c);
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  memo()->waitForRuns();
  EXPECT_TRUE(memo()->toPlainText().contains(" [2008/05/14] ")) << s(memo()->toPlainText());
  EXPECT_TRUE(memo()->toPlainText().contains(".OK.")) << s(memo()->toPlainText());
  EXPECT_EQ(sheet()->toPlainText(), "sheet");

  // The memo sheet in focus gets the date and time.
  focus(sheet());
  QTextCursor end(sheet()->document());
  end.movePosition(QTextCursor::End);
  sheet()->setTextCursor(end);
  calendar->pasteDateTimeAction();
  EXPECT_EQ(sheet()->toPlainText(), "sheet [2008/05/14 09:05:01] ");
}

TEST_F(MemoOptions, UserMenuItemsRunTheirScripts) {
  begin();
  Program p;
  QStringList posted;
  auto& center = pravella::NotificationCenter::defaultCenter();
  QObject context;  // observers without a context cannot be removed
  center.addObserver(
      "calculationOnEditModule", &context, [&](pravella::Notification& n) { posted << n.text; },
      pravella::Delivery::PostingThread);
  p.text("Sum");
  p.text("1+1");
  ASSERT_EQ(p.call("cal_addUserMenuItem", 2), 1);
  p.text("-");
  p.text("x");
  ASSERT_EQ(p.call("cal_addUserMenuItem", 2), 1);
  EXPECT_EQ(option->menuItemScript(), QStringList({"Sum", "1+1", " ", " "}));
  ASSERT_EQ(option->userMenu()->actions().size(), 2);
  EXPECT_TRUE(option->userMenu()->actions()[1]->isSeparator());
  option->userMenu()->actions()[0]->trigger();

  // Cleared and added again under the same title: the new script runs.
  ASSERT_EQ(p.trigger("cal_clearUserMenu"), 1);
  EXPECT_TRUE(option->userMenu()->actions().isEmpty());
  p.text("Sum");
  p.text("2+2");
  p.text("k");
  p.number(3);  // Shift and Alt
  ASSERT_EQ(p.call("cal_addUserMenuItem", 4), 1);
  QAction* item = option->userMenu()->actions().value(0);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_K));
  item->trigger();
  EXPECT_EQ(posted, QStringList({"1+1", "2+2"}));

  // Keys another action answers to stay with it: the item comes without keys.
  p.text("Save again");
  p.text("3+3");
  p.text("s");
  p.number(0);
  ASSERT_EQ(p.call("cal_addUserMenuItem", 4), 1);
  EXPECT_TRUE(option->userMenu()->actions().value(1)->shortcut().isEmpty());
  center.removeObservers(&context);
}

TEST_F(MemoOptions, IndentKeysAndAutoIndentInTheMemo) {
  begin();
  const QString square = QString::fromUtf8("\xE2\x96\xA0"), circle = QString::fromUtf8("\xE2\x97\x8F");
  memo()->setPlainText("a\nb");
  focus(memo());
  QTextCursor c(memo()->document());
  c.setPosition(3);
  memo()->setTextCursor(c);
  QTest::keyClick(memo(), Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier);
  QTest::keyClick(memo(), Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_DOUBLE_EQ(memo()->document()->findBlockByNumber(1).blockFormat().leftMargin(), 60);
  EXPECT_EQ(memo()->toPlainText(), "a\nb");
  EXPECT_TRUE(window->isWindowModified());  // an indent is an edit of the memo
  Program p;
  p.number(45);
  ASSERT_EQ(p.call("cal_indentWidth", 1), 1);
  QTest::keyClick(memo(), Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_DOUBLE_EQ(memo()->document()->findBlockByNumber(1).blockFormat().leftMargin(), 0);  // 60 snaps down
  QTest::keyClick(memo(), Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_DOUBLE_EQ(memo()->document()->findBlockByNumber(1).blockFormat().leftMargin(), 45);
  p.number(0);
  ASSERT_EQ(p.call("cal_indentWidth", 1), 1);
  EXPECT_FLOAT_EQ(indentNumber, 45);
  p.number(30);
  ASSERT_EQ(p.call("cal_indentWidth", 1), 1);

  memo()->setPlainText(square + "1\nx\n" + circle + "2\ny\n");
  menuAction(option->formatMenu(), "autoIndentAction")->trigger();
  std::vector<double> got;
  for (QTextBlock b = memo()->document()->begin(); b.isValid(); b = b.next())
    got.push_back(b.blockFormat().leftMargin());
  EXPECT_EQ(got, std::vector<double>({0, 30, 30, 60, 0}));
  focus(table());
  sounds.clear();
  calendar->autoIndent();
  EXPECT_EQ(sounds, QStringList({"Basso"}));
}

TEST_F(MemoOptions, TemporaryHighlightsAreNeverSavedAndCloseWithTheSideViews) {
  begin();
  type("find me");
  QTextCursor hit(memo()->document());
  hit.setPosition(5);
  hit.setPosition(7, QTextCursor::KeepAnchor);
  pravella::addTemporaryHighlights(memo(), {hit}, Qt::yellow);
  EXPECT_TRUE(pravella::hasTemporaryHighlights(memo()));
  const QByteArray rtf = pravella::rtf::write(*memo()->document(), pravella::rtf::AttachmentMode::Embed).rtf;
  EXPECT_FALSE(rtf.contains("highlight"));
  EXPECT_FALSE(rtf.contains("\\cb"));
  calendar->closeAllToggleView();
  EXPECT_FALSE(pravella::hasTemporaryHighlights(memo()));
  // Marks that the next edit removes.
  pravella::addTemporaryHighlights(memo(), {hit}, Qt::yellow);
  calendar->setTmpBackGroundColorStatus(true);
  type("!");
  EXPECT_FALSE(pravella::hasTemporaryHighlights(memo()));
}

TEST_F(MemoOptions, DocumentCommandsAnswerTheirShapeOrFail) {
  begin();
  Program p;
  EXPECT_EQ(p.trigger("cal_getDocumentLength"), 1);
  EXPECT_EQ(p.topReals(), std::vector<double>({0, 0}));
  type("hello world");
  EXPECT_EQ(p.trigger("cal_getDocumentLength"), 1);
  EXPECT_EQ(p.topReals(), std::vector<double>({0, 11}));
  EXPECT_EQ(p.trigger("cal_getAllDocument"), 1);
  EXPECT_EQ(p.topString(), "hello world");

  p.row({6, 50});  // clamped into the text
  ASSERT_EQ(p.call("cal_setDocSelectedRange", 1), 1);
  EXPECT_EQ(p.trigger("cal_getDocSelectedRange"), 1);
  EXPECT_EQ(p.topReals(), std::vector<double>({6, 5}));
  EXPECT_EQ(p.trigger("cal_getSelectedDocument"), 1);
  EXPECT_EQ(p.topString(), "world");
  p.row({2, -3});  // a negative length selects nothing
  ASSERT_EQ(p.call("cal_setDocSelectedRange", 1), 1);
  EXPECT_EQ(p.trigger("cal_getDocSelectedRange"), 1);
  EXPECT_EQ(p.topReals(), std::vector<double>({2, 0}));
  EXPECT_EQ(p.trigger("cal_setDocSelectedAll"), 1);
  EXPECT_EQ(p.trigger("cal_getDocSelectedRange"), 1);
  EXPECT_EQ(p.topReals(), std::vector<double>({0, 11}));

  EXPECT_EQ(p.trigger("cal_docCopy"), 1);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "hello world");
  p.row({0, 5});
  ASSERT_EQ(p.call("cal_setDocSelectedRange", 1), 1);
  EXPECT_EQ(p.trigger("cal_docCut"), 1);
  EXPECT_EQ(memo()->toPlainText(), " world");
  EXPECT_EQ(p.trigger("cal_docPaste"), 1);
  EXPECT_EQ(memo()->toPlainText(), "hello world");

  // Colours: only three numbers in 0 .. 1 are taken.
  p.row({0, 5});
  ASSERT_EQ(p.call("cal_setDocSelectedRange", 1), 1);
  p.row({1, 0, 0});
  ASSERT_EQ(p.call("cal_setDocFontColor", 1), 1);
  EXPECT_EQ(memo()->textCursor().charFormat().foreground().color(), QColor(Qt::red));
  p.row({2, 0, 0});
  ASSERT_EQ(p.call("cal_setDocFontColor", 1), 1);
  EXPECT_EQ(memo()->textCursor().charFormat().foreground().color(), QColor(Qt::red));
  p.number(30);
  ASSERT_EQ(p.call("cal_setDocFontSize", 1), 1);
  EXPECT_EQ(memo()->textCursor().charFormat().fontPointSize(), 30);
  p.number(0);  // below 1: not taken
  ASSERT_EQ(p.call("cal_setDocFontSize", 1), 1);
  EXPECT_EQ(memo()->textCursor().charFormat().fontPointSize(), 30);
  p.text("No Such Font Anywhere");
  ASSERT_EQ(p.call("cal_setDocFont", 1), 1);
  EXPECT_NE(memo()->textCursor().charFormat().fontFamilies().toStringList().value(0),
            "No Such Font Anywhere");
  // The memo sheet's own.
  sheet()->setPlainText("sheet");
  sheet()->selectAll();
  p.number(18);
  ASSERT_EQ(p.call("cal_setMemoFontSize", 1), 1);
  EXPECT_EQ(sheet()->textCursor().charFormat().fontPointSize(), 18);
  p.row({0, 0, 1});
  ASSERT_EQ(p.call("cal_setMemoFontColor", 1), 1);
  EXPECT_EQ(sheet()->textCursor().charFormat().foreground().color(), QColor(Qt::blue));
  if (pravella::memo_format::fontInstalled("Monaco")) {
    p.text("Monaco");
    ASSERT_EQ(p.call("cal_setMemoFont", 1), 1);
    EXPECT_EQ(sheet()->textCursor().charFormat().fontFamilies().toStringList().value(0), "Monaco");
    EXPECT_EQ(sheet()->textCursor().charFormat().fontPointSize(), 18);  // the size stays
  }

  // Sounds.
  sounds.clear();
  p.text("Pop");
  ASSERT_EQ(p.call("cal_soundBeep", 1), 1);
  EXPECT_EQ(sounds, QStringList({"Pop"}));
}

TEST_F(MemoOptions, FileCommandsAnswerTheirShapeOrFail) {
  begin();
  Program p;
  const QString folder = paths::home() + "/data";
  QDir().mkpath(folder);
  current_fullPath = s(folder);
  const QString text = QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC");  // 日本
  writeFile(folder + "/sjis.txt", pravella::encoding::encode(text, pravella::encoding::kShiftJIS));
  writeFile(folder + "/euc.txt", pravella::encoding::encode(text, pravella::encoding::kEucJP));
  writeFile(folder + "/jis.txt", pravella::encoding::encode(text, pravella::encoding::kIso2022JP));
  for (const auto& [command, file] :
       {std::pair{"cal_loadTextShiftJIS", "sjis.txt"}, std::pair{"cal_loadTextEUC", "euc.txt"},
        std::pair{"cal_loadTextJIS", "jis.txt"}}) {
    p.text(file);
    ASSERT_EQ(p.call(command, 1), 1) << command;
    EXPECT_EQ(p.topString(), s(text)) << command;
  }
  writeFile(folder + "/bad.txt", QByteArray("\x82", 1));
  p.text("bad.txt");
  EXPECT_EQ(p.call("cal_loadTextShiftJIS", 1), 0);
  p.text("missing.txt");
  EXPECT_EQ(p.call("cal_loadTextEUC", 1), 0);

  // Folder lists in name order.
  p.text(s(folder));
  ASSERT_EQ(p.call("cal_getFileList", 1), 1);
  const std::string base = s(folder) + "/";
  EXPECT_EQ(p.topString(),
            base + "bad.txt\n" + base + "euc.txt\n" + base + "jis.txt\n" + base + "sjis.txt\n");
  QDir().mkpath(folder + "/empty");
  p.text(s(folder + "/empty"));
  ASSERT_EQ(p.call("cal_getFileList", 1), 1);
  EXPECT_EQ(p.topString(), "");

  // The path panels answer the chosen path, or empty when cancelled.
  QStringList asked;
  QString answer = folder + "/euc.txt";
  option->setPathPanel([&](const QString& title, const QString& in, bool folders) {
    asked << title + "|" + in + "|" + (folders ? "folders" : "files");
    return answer;
  });
  ASSERT_EQ(p.trigger("cal_getFilePath"), 1);
  EXPECT_EQ(p.topString(), s(answer));
  EXPECT_EQ(NowLoadSaveName, s(answer));
  answer.clear();
  ASSERT_EQ(p.trigger("cal_getFolderPath"), 1);
  EXPECT_EQ(p.topString(), "");
  EXPECT_EQ(NowLoadSaveName, "");
  EXPECT_EQ(asked,
            QStringList({"Get File Path|" + folder + "|files", "Get Folder Path|" + folder + "|folders"}));

  // Type and creator codes.
  p.text(s(folder + "/euc.txt"));
  ASSERT_EQ(p.call("cal_getFileType", 1), 1);
  EXPECT_EQ(p.topString(), "");
  int error = 0;
  if (!pravella::setFinderInfo(folder + "/euc.txt", "''", "''", &error) || error != 0) return;
  p.text(s(folder + "/euc.txt"));
  p.text("TEXT");
  ASSERT_EQ(p.call("cal_setFileType", 2), 1);
  p.text(s(folder + "/euc.txt"));
  p.text("ttxt");
  ASSERT_EQ(p.call("cal_setFileCreator", 2), 1);
  QByteArray probeType;
  pravella::getFinderInfo(folder + "/euc.txt", &probeType, nullptr);
  if (probeType.isEmpty()) GTEST_SKIP() << "this file system holds no user attributes";
  p.text(s(folder + "/euc.txt"));
  ASSERT_EQ(p.call("cal_getFileType", 1), 1);
  EXPECT_EQ(p.topString(), "TEXT");
  p.text(s(folder + "/euc.txt"));
  ASSERT_EQ(p.call("cal_getFileCreator", 1), 1);
  EXPECT_EQ(p.topString(), "ttxt");
}

}  // namespace
