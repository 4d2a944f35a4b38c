// The side views, the memo menu buttons and the memo commands a program sends through the
// application command bridge; the classic diary import.

#include <QFileDialog>
#include <QProgressBar>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "day_documents_fixture.h"
#include "diary/classic_import.h"
#include "diary/ui/conv_classic_doc.h"
#include "lang/builtins/command_bridge.h"
#include "lang/builtins/startup.h"
#include "support/command_program.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "platform/text_encoding.h"

namespace {

using namespace day_documents_test;

// An application command run as a program calls it, on a freshly started language.
class Program : public CommandProgram {
 public:
  Program() { vkStartUp(); }
};

class SideViews : public DayDocuments {};

TEST_F(SideViews, MemoCommandsActOnTheMemoSheet) {
  start();
  Program p;
  QTextEdit* sheet = calendar->memoSheet()->toggleMemoField();
  calendar->memoSheetDocument()->setPlainText("hello");
  type("main memo");

  p.number(0);
  ASSERT_EQ(p.call("cal_getMemoLength", 1), 1);
  EXPECT_EQ(p.topReals(), std::vector<double>({0, 5}));
  p.number(0);
  ASSERT_EQ(p.call("cal_getAllMemo", 1), 1);
  EXPECT_EQ(p.topString(), "hello");

  p.row({1, 3});
  ASSERT_EQ(p.call("cal_setMemoSelectedRange", 1), 1);
  p.number(0);
  ASSERT_EQ(p.call("cal_getSelectedMemo", 1), 1);
  EXPECT_EQ(p.topString(), "ell");
  p.number(0);
  ASSERT_EQ(p.call("cal_getMemoSelectedRange", 1), 1);
  EXPECT_EQ(p.topReals(), std::vector<double>({1, 3}));
  p.text("ELL");
  ASSERT_EQ(p.call("cal_insertTextToMemo", 1), 1);
  EXPECT_EQ(sheet->toPlainText(), "hELLo");
  EXPECT_EQ(memo()->toPlainText(), "main memo");  // the main memo is not touched

  // The document path and the open side view.
  writeRtfd(day() + "/a.rtfd", "x");
  calendar->showDiaryFiles();
  clickRow(0);
  p.number(0);
  ASSERT_EQ(p.call("cal_getDocumentPath", 1), 1);
  EXPECT_EQ(p.topString(), s(day() + "/a.rtfd"));
  p.number(0);
  ASSERT_EQ(p.call("cal_openMemoSheet", 1), 1);
  EXPECT_TRUE(calendar->memoSheet()->isVisible());
  p.number(0);
  ASSERT_EQ(p.call("cal_getOpenedSheet", 1), 1);
  EXPECT_EQ(p.topReals(), std::vector<double>({1}));
  p.number(0);
  ASSERT_EQ(p.call("cal_closeSheet", 1), 1);
  EXPECT_FALSE(calendar->memoSheet()->isVisible());
  // Closing saved the sheet's memo.
  EXPECT_EQ(textOf(paths::preferences() + "/tempMemo.rtfd"), "hELLo");
}

TEST_F(SideViews, AProgramsLongTextGoesIntoTheMemoSheetInLinesOfBoundedLength) {
  start();
  Program p;
  QTextEdit* sheet = calendar->memoSheet()->toggleMemoField();
  calendar->memoSheetDocument()->setPlainText("head");
  QTextCursor end = sheet->textCursor();
  end.movePosition(QTextCursor::End);
  sheet->setTextCursor(end);
  const std::string text(250000, 'q');
  p.text(text);
  ASSERT_EQ(p.call("cal_insertTextToMemo", 1), 1);
  const QString shown = sheet->toPlainText();
  EXPECT_EQ(shown.size(), 4 + 250000 + 2);  // two line breaks, nothing else
  EXPECT_EQ(QString(shown).remove(QLatin1Char('\n')).toStdString(), "head" + text);
  for (const QString& line : shown.split(QLatin1Char('\n'))) EXPECT_LE(line.size(), 100000);
  // The caret goes on behind the text, as after typing.
  EXPECT_EQ(sheet->textCursor().position(), shown.size());
}

TEST_F(SideViews, MemoMenuButtonsRunTheirFunctionsOrScripts) {
  start();
  Program p;
  auto& center = pravella::NotificationCenter::defaultCenter();
  QStringList posted;
  for (const char* name : {"cal_beforeMemo", "calculationOnEditModule"})
    center.addObserver(
        name, nullptr, [&](pravella::Notification& n) { posted << n.name + ":" + n.text; },
        pravella::Delivery::PostingThread);

  // The back button starts disabled with an empty history; a program may enable the row.
  p.number(0);
  ASSERT_EQ(p.call("cal_setAllMemoButtonEnable", 1), 1);
  QTest::mouseClick(memoButton(2), Qt::LeftButton);
  QTextDocument script;
  script.setPlainText("1+2");
  QDir().mkpath(paths::commandScripts());
  ASSERT_TRUE(pravella::writeRtfdFile(paths::commandScripts() + "/tools.rtfd", script).ok);
  p.number(3);
  p.text("Tools");
  p.text("tools.rtfd");
  ASSERT_EQ(p.call("cal_setDocMenuButton", 3), 1);
  EXPECT_EQ(memoButton(2)->text(), "Tools");
  QTest::mouseClick(memoButton(2), Qt::LeftButton);
  // A script name that is no file runs as a one-line program.
  p.number(12);
  p.text("Plot");
  p.text("plot(1)");
  ASSERT_EQ(p.call("cal_setDocMenuButton", 3), 1);
  EXPECT_EQ(memoButton(11)->text(), "Plot");
  EXPECT_EQ(calendar->menuScriptFileName()[11], "plot(1)");
  QTest::mouseClick(memoButton(11), Qt::LeftButton);
  EXPECT_EQ(posted, QStringList({"cal_beforeMemo:", "calculationOnEditModule:1+2",
                                 "calculationOnEditModule:plot(1)"}));

  p.number(3);
  ASSERT_EQ(p.call("cal_getDocMenuTitle", 1), 1);
  EXPECT_EQ(p.topString(), "Tools");
  p.number(11);  // only buttons 1-10 answer a title
  ASSERT_EQ(p.call("cal_getDocMenuTitle", 1), 1);
  EXPECT_EQ(p.topString(), "");
  for (const char* name : {"cal_beforeMemo", "calculationOnEditModule"}) center.removeObservers(nullptr, name);
}

TEST_F(SideViews, ATableSheetNameInAngleBracketsAroundTheCursor) {
  start();
  QStringList posted;
  pravella::NotificationCenter::defaultCenter().addObserver(
      "sheetTableOpenAction", nullptr, [&](pravella::Notification& n) { posted << n.text; },
      pravella::Delivery::PostingThread);
  memo()->setPlainText("see <budget> here");
  QTextCursor c(memo()->document());
  c.setPosition(7);
  memo()->setTextCursor(c);
  EXPECT_TRUE(calendar->checkSheetTable());
  c.setPosition(14);  // in "here": no brackets around
  memo()->setTextCursor(c);
  EXPECT_FALSE(calendar->checkSheetTable());
  EXPECT_EQ(posted, QStringList{"budget"});
  pravella::NotificationCenter::defaultCenter().removeObservers(nullptr, "sheetTableOpenAction");
}

TEST_F(SideViews, TheViewOpenBeforeComesBack) {
  start();
  calendar->setToggleStatus(10);  // bookmarks
  calendar->setToggleStatus(14);  // launcher
  calendar->openBeforeSheet();
  EXPECT_EQ(calendar->toggleStatus(), 10);

  calendar->openMemoView();
  EXPECT_TRUE(calendar->memoSheet()->isVisible());
  EXPECT_EQ(calendar->toggleStatus(), 1);
  calendar->openMemoView();  // toggles off
  EXPECT_FALSE(calendar->memoSheet()->isVisible());
  EXPECT_EQ(calendar->toggleStatus(), 0);
}

TEST_F(SideViews, ADocumentOpenedOnTheMemoSheetIsSavedIntoItself) {
  writeRtfd(day() + "/a.rtfd", "on the sheet");
  start();
  calendar->memoSheetDocument()->setPlainText("scratch");
  calendar->openDocumentOnMemo(day() + "/a.rtfd");
  // The scratch memo was saved first; the sheet now edits a.rtfd.
  EXPECT_EQ(textOf(paths::preferences() + "/tempMemo.rtfd"), "scratch");
  EXPECT_EQ(calendar->memoSheet()->toggleMemoField()->toPlainText(), "on the sheet");
  calendar->memoSheet()->toggleMemoField()->textCursor().insertText("more ");
  calendar->closeAllToggleView();
  EXPECT_EQ(textOf(day() + "/a.rtfd"), "more on the sheet");
  EXPECT_EQ(textOf(paths::preferences() + "/tempMemo.rtfd"), "scratch");
}

TEST_F(SideViews, RememberedStringIsTypedIntoTheFocusedMemo) {
  start();
  calendar->DoSetRememberString("budget");
  QFile stored(paths::vkPreferences() + "/rememberString.txt");
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  EXPECT_EQ(stored.readAll(), "budget");
  memo()->setFocus();
  QApplication::setActiveWindow(window.get());
  ASSERT_EQ(QApplication::focusWidget(), memo());
  calendar->DoInsertRememberString();
  EXPECT_EQ(memo()->toPlainText(), "budget");
  EXPECT_TRUE(sounds.contains("Tink"));
}

// A small old diary by hand: Shift-JIS names, CR line ends.
TEST_F(SideViews, AnOldDiaryBecomesDayDocuments) {
  const QByteArray root = QFile::encodeName(pravella::test::home() + "/old");
  ::mkdir(root.constData(), 0755);
  auto put = [&](int y, int m, int d, int n, const QByteArray& text) {
    const QByteArray folder = root + '/' + pravella::classic::monthFolderName(y, m, true);
    ::mkdir(folder.constData(), 0755);
    FILE* f = ::fopen((folder + '/' + pravella::classic::documentName(y, m, d, n, true)).constData(), "wb");
    ASSERT_NE(f, nullptr);
    ::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), f);
    ::fclose(f);
  };
  put(2003, 4, 5, 0, pravella::encoding::encode(QStringLiteral("買い物\rお米"), pravella::encoding::kShiftJIS));
  put(2003, 4, 5, 1, "\rno title here\r");
  put(2003, 4, 6, 0, "Trip\rby train");
  // A document of that name is already in the day: it is not written over.
  writeRtfd(paths::dayFolder(2003, 4, 6) + "/Trip.rtfd", "already here");
  start();

  ConvClassicDoc import(calendar.get(), window.get());
  import.awakeFromNib();
  int bassos = 0;
  import.setSoundPlayer([&](const char* name) { bassos += QString(name) == "Basso"; });
  EXPECT_EQ(import.searchYearMonthFolder(pravella::test::home() + "/old"), 3);
  EXPECT_EQ(bassos, 21 * 12 - 1);  // every missing month beeps
  EXPECT_EQ(import.progressBar()->value(), 0);

  const QString day5 = paths::dayFolder(2003, 4, 5);
  EXPECT_EQ(textOf(day5 + QStringLiteral("/買い物.rtfd")), QStringLiteral("買い物\nお米"));
  EXPECT_EQ(textOf(day5 + "/2003_04_05_00.rtfd"), "\nno title here\n");
  const QString day6 = paths::dayFolder(2003, 4, 6);
  EXPECT_EQ(textOf(day6 + "/Trip.rtfd"), "already here");
  EXPECT_EQ(textOf(day6 + "/Trip_1.rtfd"), "Trip\nby train");
  EXPECT_FALSE(window->isWindowModified());

  // Through the folder sheet, as the menu item runs it: nothing new there now, and no
  // document is written twice.
  import.convClassicDoc();
  QFileDialog* sheet = import.sheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->windowTitle(), "Set Old vk Diary Folder");
  EXPECT_EQ(sheet->fileMode(), QFileDialog::Directory);
  auto* name = sheet->findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(name, nullptr);
  name->setText(pravella::test::home() + "/old");
  QTest::keyClick(name, Qt::Key_Return);
  if (import.sheet()) {
    EXPECT_FALSE(import.sheet()->isVisible());  // closed, deleted later
  }
  EXPECT_EQ(textOf(day6 + "/Trip_2.rtfd"), "Trip\nby train");
  EXPECT_EQ(textOf(day5 + "/2003_04_05_01.rtfd"), "\nno title here\n");  // the counter goes on
  // Names that are not UTF-8 are beyond the temporary home's own clean-up.
  std::filesystem::remove_all(root.toStdString());
}

// An old title too long for a file name here (the old system counted characters, this one
// counts bytes) must not stop the import at that document and all after it.
TEST_F(SideViews, AnOldTitleTooLongForAFileNameIsImportedUntitled) {
  const QByteArray root = QFile::encodeName(pravella::test::home() + "/old");
  ::mkdir(root.constData(), 0755);
  auto put = [&](int y, int m, int d, int n, const QByteArray& text) {
    const QByteArray folder = root + '/' + pravella::classic::monthFolderName(y, m, true);
    ::mkdir(folder.constData(), 0755);
    FILE* f = ::fopen((folder + '/' + pravella::classic::documentName(y, m, d, n, true)).constData(), "wb");
    ASSERT_NE(f, nullptr);
    ::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), f);
    ::fclose(f);
  };
  const QString longTitle = QString(100, QChar(0x65E5));  // 100 characters, 300 bytes in UTF-8
  put(2003, 4, 5, 0, pravella::encoding::encode(longTitle + "\rbody", pravella::encoding::kShiftJIS));
  // 240 bytes: the package's name would fit, the name of the folder it is written in first not.
  const QString nearlyTooLong = QString(80, QChar(0x6708));
  put(2003, 4, 5, 1, pravella::encoding::encode(nearlyTooLong + "\rmore", pravella::encoding::kShiftJIS));
  put(2003, 4, 6, 0, "Trip\rby train");
  start();
  ConvClassicDoc import(calendar.get(), window.get());
  import.awakeFromNib();
  import.setSoundPlayer([](const char*) {});
  EXPECT_EQ(import.searchYearMonthFolder(pravella::test::home() + "/old"), 3);
  EXPECT_EQ(textOf(paths::dayFolder(2003, 4, 5) + "/2003_04_05_00.rtfd"), longTitle + "\nbody");
  EXPECT_EQ(textOf(paths::dayFolder(2003, 4, 5) + "/2003_04_05_01.rtfd"), nearlyTooLong + "\nmore");
  EXPECT_EQ(textOf(paths::dayFolder(2003, 4, 6) + "/Trip.rtfd"), "Trip\nby train");
  EXPECT_FALSE(window->isWindowModified());
  std::filesystem::remove_all(root.toStdString());
}

}  // namespace
