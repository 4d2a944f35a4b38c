// A memo never grows taller than it can show (past it the view's scroll bar loses its range,
// and further down Qt's layout never finishes). A program that prints past the limit ends .NO.
// with the reason, the text up to the limit and the word the user typed stay, in the memo and
// in the memo sheet; the run beside the limit comes out whole and .OK.; a signal after the
// limit saves it all and ends with 0. A document already too tall is opened without a layout
// and the status line says so; the next one is shown again. The limit is set small through its
// environment variable, in lines of the same line height the memo measures, so that nothing
// here depends on the fonts.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include <QClipboard>
#include <QDirIterator>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTextDocument>

#include "app_fixture.h"
#include "child_app.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/ui/long_memo_layout.h"
#include "editors/ui/main_text_view.h"
#include "editors/ui/memo_height.h"
#include "platform/rich_text_file.h"
#include "support/folder_snapshot.h"

namespace {

using namespace app_test;

const QString kWord = QStringLiteral("typedword");
const QString kLine = QStringLiteral(" q\n");
const QString kReason = QStringLiteral("...<Error>...Output too tall: ");

QString loopOf(int lines) { return QStringLiteral("for (i = 1; i <= %1; i++) { \" q\"; }").arg(lines); }
QString headOf(int lines) { return kWord + QLatin1Char('\n') + loopOf(lines) + QLatin1Char('\n'); }

// The line height the memo's estimate uses for text typed at the caret.
double lineHeightAt(const QTextEdit* view) {
  return std::max(pravella::lineHeightOf(view->textCursor().charFormat().font()),
                  pravella::lineHeightOf(view->document()->defaultFont()));
}

// The limit, in pixels, for as long as it lives.
struct HeightLimit {
  explicit HeightLimit(double pixels) {
    qputenv(pravella::kMemoHeightLimitVariable, QByteArray::number(static_cast<qint64>(pixels)));
  }
  ~HeightLimit() { qunsetenv(pravella::kMemoHeightLimitVariable); }
};

void typeWordAndRun(QTextEdit* view, int lines) {
  QTest::keyClicks(view, kWord);
  QTest::keyClick(view, Qt::Key_Return);
  QTest::keyClicks(view, loopOf(lines));
  QTest::keyClick(view, Qt::Key_Escape);
}

// What the program printed behind the head: whole lines, then the reason (when given).
int printedLines(const QString& printed) {
  int n = 0;
  while (printed.mid(n * kLine.size(), kLine.size()) == kLine) ++n;
  return n;
}

enum class View { Memo, Sheet };

class TallOutput : public App, public testing::WithParamInterface<View> {
 protected:
  QTextEdit* view() {
    if (GetParam() == View::Memo) return memo();
    QTest::keySequence(memo(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    QTextEdit* sheet = calendar().memoSheet()->toggleMemoField();
    EXPECT_TRUE(pravella::test::becomesTrue([sheet] { return sheet->isVisible(); }));
    sheet->setFocus();
    return sheet;
  }
};

// Past the limit: the lines that fit, the reason naming the limit, ".NO."; the status line
// says why; the window takes a key at once afterwards.
TEST_P(TallOutput, StopsAtTheLimitWithTheReasonAndEndsNO) {
  QTextEdit* v = view();
  const double lineHeight = lineHeightAt(v);
  const HeightLimit limit(400 * lineHeight);
  typeWordAndRun(v, 5000);
  ASSERT_TRUE(pravella::test::becomesTrue([this] { return !memo()->isRunning(); }, 60000));
  ASSERT_TRUE(pravella::test::queuedWorkDone());
  const QString text = v->toPlainText();
  ASSERT_TRUE(text.startsWith(headOf(5000))) << s(text.left(200));
  const QString printed = text.mid(headOf(5000).size());
  const int lines = printedLines(printed);
  EXPECT_GT(lines, 300);
  EXPECT_LT(lines, 400);
  const QString rest = printed.mid(lines * kLine.size());
  EXPECT_TRUE(rest.startsWith(kReason)) << s(rest.left(300));
  EXPECT_TRUE(rest.contains(QStringLiteral("%L1 pixels").arg(static_cast<qint64>(400 * lineHeight))))
      << s(rest.left(300));
  EXPECT_TRUE(rest.endsWith(QStringLiteral("\n.NO.\n"))) << s(rest);
  EXPECT_EQ(rest.count(QLatin1Char('\n')), 2) << s(rest);
  EXPECT_LE(v->document()->blockCount() * lineHeight, 400 * lineHeight);
  EXPECT_EQ(sounds().value(sounds().size() - 1), QStringLiteral("Basso"));
  EXPECT_TRUE(window().statusBar()->currentMessage().startsWith(QStringLiteral("Output too tall: ")))
      << s(window().statusBar()->currentMessage());
  QTest::keyClick(v, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(v, Qt::Key_Z);
  EXPECT_TRUE(v->toPlainText().endsWith(QStringLiteral(".NO.\nz")));
}

INSTANTIATE_TEST_SUITE_P(Views, TallOutput, testing::Values(View::Memo, View::Sheet),
                         [](const testing::TestParamInfo<View>& info) {
                           return std::string(info.param == View::Memo ? "Memo" : "MemoSheet");
                         });

class TallSheetCommand : public App {};

// A program in the memo that inserts lines into the memo sheet with cal_insertTextToMemo: the
// sheet takes what fits, and the command fails with the reason in the run's result.
TEST_F(TallSheetCommand, TakesWhatFitsAndTheRunEndsNOWithTheReason) {
  QTest::keySequence(memo(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
  QTextEdit* sheet = calendar().memoSheet()->toggleMemoField();
  ASSERT_TRUE(pravella::test::becomesTrue([sheet] { return sheet->isVisible(); }));
  const double lineHeight = lineHeightAt(sheet);
  const HeightLimit limit(400 * lineHeight);
  memo()->setFocus();
  QTest::keyClicks(
      memo(), QStringLiteral("for (i = 1; i <= 5000; i++) { cal_insertTextToMemo(changeLF(\" q\\n\")); }"));
  QTest::keyClick(memo(), Qt::Key_Escape);
  ASSERT_TRUE(pravella::test::becomesTrue([this] { return !memo()->isRunning(); }, 60000));
  ASSERT_TRUE(pravella::test::queuedWorkDone());
  const QString inSheet = sheet->toPlainText();
  const int lines = printedLines(inSheet);
  EXPECT_GT(lines, 300);
  EXPECT_LT(lines, 400);
  EXPECT_EQ(inSheet.size(), lines * kLine.size()) << s(inSheet.right(100));
  const QString result = memo()->toPlainText();
  EXPECT_EQ(result.count(kReason), 1) << s(result.right(300));
  EXPECT_TRUE(result.endsWith(QStringLiteral(".NO.\n"))) << s(result.right(300));
}

class OutputBesideTheLimit : public App, public testing::WithParamInterface<int> {};

// 300 lines, with the room for them and the memo's other lines (the word, the code, the status
// line, the last empty line) give or take a few lines: with two to spare they come out whole
// and .OK.; three short, the run ends .NO. with the reason.
TEST_P(OutputBesideTheLimit, FitsWholeOrEndsNO) {
  const int spare = GetParam();
  const int lines = 300;
  const HeightLimit limit((lines + 4 + spare) * lineHeightAt(memo()));
  typeWordAndRun(memo(), lines);
  ASSERT_TRUE(pravella::test::becomesTrue([this] { return !memo()->isRunning(); }, 60000));
  ASSERT_TRUE(pravella::test::queuedWorkDone());
  const QString printed = memo()->toPlainText().mid(headOf(lines).size());
  if (spare > 0) {
    EXPECT_TRUE(printed == kLine.repeated(lines) + QStringLiteral(".OK.\n")) << s(printed.right(200));
    EXPECT_EQ(sounds().value(sounds().size() - 1), QStringLiteral("Tink"));
  } else {
    EXPECT_LT(printedLines(printed), lines);
    EXPECT_TRUE(printed.mid(printedLines(printed) * kLine.size()).startsWith(kReason))
        << s(printed.right(300));
    EXPECT_TRUE(printed.endsWith(QStringLiteral(".NO.\n"))) << s(printed.right(200));
  }
}

INSTANTIATE_TEST_SUITE_P(Spare, OutputBesideTheLimit, testing::Values(2, -3),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param > 0 ? "TwoLinesToSpare" : "ThreeLinesShort");
                         });

// The child: the limit at 2,000 lines, a run of a million, SIGTERM once the reason is in.
[[noreturn]] void printPastTheLimitAndSignal() {
  takeParentsHome();
  const std::unique_ptr<pravella::Application> application = startEndingOnSignals();
  application->window().activateWindow();
  (void)QTest::qWaitForWindowActive(&application->window(), 2000);
  mainTextView* memo = application->window().documentView();
  memo->setFocus();
  qputenv(pravella::kMemoHeightLimitVariable,
          QByteArray::number(static_cast<qint64>(2000 * lineHeightAt(memo))));
  typeWordAndRun(memo, 1000000);
  if (!pravella::test::becomesTrue([memo] { return memo->toPlainText().contains(kReason); }, 120000))
    std::_Exit(5);
  ::raise(SIGTERM);
  std::_Exit(application->exec());
}

TEST(EndAfterTheLimit, SavesTheWordTheLinesAndTheReason) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  passHomeToChild();
  EXPECT_EXIT(printPastTheLimitAndSignal(), testing::ExitedWithCode(0), "");
  forgetChildHome();
  QDirIterator it(pravella::test::home() + "/Documents/diary", {kWord + ".rtfd"}, QDir::Dirs,
                  QDirIterator::Subdirectories);
  ASSERT_TRUE(it.hasNext());
  QTextDocument saved;
  ASSERT_TRUE(pravella::readRichTextFile(it.next(), saved));
  const QString text = saved.toPlainText();
  ASSERT_TRUE(text.startsWith(headOf(1000000))) << s(text.left(200));
  const QString printed = text.mid(headOf(1000000).size());
  const int lines = printedLines(printed);
  EXPECT_GT(lines, 1500);
  EXPECT_LT(lines, 2000);
  EXPECT_TRUE(printed.mid(lines * kLine.size()).startsWith(kReason)) << s(printed.right(300));
}

// Documents of today read in with a click on their row: a text taller than the limit (many
// short lines, or few lines so long that they wrap into many) and one beside it.
class TallDocument : public App {
 protected:
  void SetUp() override {}
  void start() { App::SetUp(); }
  QString today() const {
    const QDate date = QDate::currentDate();
    return pravella::paths::dayFolder(date.year(), date.month(), date.day());
  }
  void write(const QString& name, const QString& text) {
    QDir().mkpath(today());
    QFile file(today() + "/" + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << s(name);
    file.write(text.toUtf8());
  }
  void open(const QString& name) {
    const int row = static_cast<int>(calendar().diaryFiles().indexOf(name));
    ASSERT_GE(row, 0) << s(name);
    QTableWidget* table = window().diaryFileField();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualItemRect(table->item(row, 1)).center());
    ASSERT_TRUE(pravella::test::becomesTrue(
        [this, name] { return calendar().nowDisplayedDocument() == today() + "/" + name; }, 60000));
  }
};

TEST_F(TallDocument, OpensWithoutALayoutAndSaysSoThenTheNextOneIsShown) {
  const int limitLines = 1000;
  const QString shortLines = kLine.repeated(3 * limitLines);
  QStringList longLines;
  for (int i = 0; i < 10; ++i) longLines << QStringLiteral("q ").repeated(50000);
  write("ManyShort.txt", shortLines);
  write("FewLong.txt", longLines.join(QLatin1Char('\n')));
  write("Beside.txt", kLine.repeated(limitLines - 100));
  start();
  const HeightLimit limit(limitLines * lineHeightAt(memo()));
  QStatusBar* status = window().statusBar();
  for (const auto& [name, text] :
       {std::pair{QStringLiteral("ManyShort.txt"), shortLines},
        std::pair{QStringLiteral("FewLong.txt"), longLines.join(QLatin1Char('\n'))}}) {
    open(name);
    EXPECT_TRUE(pravella::parkedForHeight(*memo()->document())) << s(name);
    EXPECT_TRUE(memo()->toPlainText() == text) << s(name);
    EXPECT_TRUE(status->currentMessage().startsWith(QStringLiteral("Too tall to show: "))) << s(name);
    // The window answers: what waits behind the opening is done at once.
    EXPECT_TRUE(pravella::test::queuedWorkDone());
    // The next document read in is laid out and shown again.
    open(QStringLiteral("Beside.txt"));
    EXPECT_FALSE(pravella::layoutParked(*memo()->document()));
    EXPECT_FALSE(status->currentMessage().startsWith(QStringLiteral("Too tall to show: ")));
    EXPECT_EQ(memo()->document()->blockCount(), limitLines - 99);
  }
}

// An editable document too tall to show takes no keys, paste or drop (they would go where the
// user cannot see), and says why at each try; its file is left as it was.
TEST_F(TallDocument, TakesNoTypingPasteOrDropAndSaysWhy) {
  const int limitLines = 1000;
  const QString name = QStringLiteral("Tall.rtfd");
  QDir().mkpath(today());
  {
    QTextDocument text;
    text.setPlainText(kLine.repeated(3 * limitLines));
    ASSERT_TRUE(pravella::writeRtfdFile(today() + "/" + name, text));
  }
  write("Other.txt", kLine);
  const auto before = pravella::test::FolderSnapshot::of(today());
  start();
  const HeightLimit limit(limitLines * lineHeightAt(memo()));
  // Read in under the limit (whichever the start showed).
  open(QStringLiteral("Other.txt"));
  open(name);
  ASSERT_TRUE(pravella::parkedForHeight(*memo()->document()));
  const QString shown = memo()->toPlainText();
  const bool modifiedBefore = memo()->document()->isModified();
  QStatusBar* status = window().statusBar();
  memo()->setFocus();
  status->clearMessage();
  QTest::keyClicks(memo(), QStringLiteral("zz"));
  EXPECT_TRUE(status->currentMessage().startsWith(QStringLiteral("Too tall to show: ")));
  QTest::keyClick(memo(), Qt::Key_Return);
  auto* mime = new QMimeData;
  mime->setText(QStringLiteral("dropped"));
  QGuiApplication::clipboard()->setMimeData(mime);
  QTest::keySequence(memo(), QKeySequence::Paste);
  QMimeData dropped;
  dropped.setText(QStringLiteral("dropped"));
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(memo()->viewport(), &enter);
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(memo()->viewport(), &drop);
  EXPECT_TRUE(memo()->toPlainText() == shown);
  EXPECT_EQ(memo()->document()->isModified(), modifiedBefore);
  // Ctrl+S goes through (the window's shortcut) and leaves the folder as it was.
  QTest::keyClick(memo(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_TRUE(before.unchanged());
}

}  // namespace
