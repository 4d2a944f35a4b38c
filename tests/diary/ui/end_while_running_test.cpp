// A signal while a program runs: the run is asked to stop, what it queued for the memo is
// dropped, the memo is saved, and the end comes whether or not the run stopped. A program's
// many inserts reach the memo in batches, so that neither the window nor the end waits
// behind them.

#include <QElapsedTimer>
#include <chrono>
#include <csignal>
#include <thread>

#include "end_by_signal_fixture.h"
#include "platform/end_saves.h"
#include "support/wait_for.h"

namespace {

using namespace day_documents_test;
using pravella::test::becomesTrue;

class EndWhileRunning : public EndBySignal {
 protected:
  void TearDown() override {
    endSignals.reset();
    if (window) memo()->waitForRuns();
    EndBySignal::TearDown();
  }
  // A new memo named `name` holding `code`, run with keypad Enter.
  void run(const QString& name, const QString& code) {
    memo()->selectAll();
    type(name);
    QTest::keyClick(memo(), Qt::Key_Return);
    type(code);
    QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_TRUE(memo()->isRunning());
  }
};

TEST_F(EndWhileRunning, AProgramsManyInsertsAllArriveInOrderBeforeItsResult) {
  start();
  memo()->awakeFromNib();
  run("many", "for (i = 0; i < 20000; i++) { cal_insertTextToDoc(\"ab\"); } 7;");
  memo()->waitForRuns();
  const QString text = memo()->toPlainText();
  EXPECT_EQ(text.count("ab"), 20000 + 1);  // and the code's own
  EXPECT_TRUE(text.contains(QString("ab").repeated(20000))) << s(text.right(80));
  EXPECT_LT(text.lastIndexOf("ab"), text.indexOf(".OK.")) << s(text.right(80));
}

TEST_F(EndWhileRunning, AFloodOfInsertsDoesNotHoldTheEnd) {
  openWithSignals();
  run("flood", "for (i = 0; i < 100000; i++) { cal_insertTextToDoc(\"x\"); }");
  ASSERT_TRUE(becomesTrue([this] { return memo()->toPlainText().contains("xxxx"); }));
  endBy(SIGTERM);
  EXPECT_FALSE(memo()->isRunning());
  EXPECT_TRUE(textOf(day() + "/flood.rtfd").startsWith("flood\nfor (i = 0;"))
      << s(textOf(day() + "/flood.rtfd").left(80));
}

// The last limit: when the end itself cannot finish (here a save that never returns), the
// process ends on its own a little later and names what the end had not saved yet.
TEST(EndSignalsLastLimit, EndsTheProcessWhenTheEndDoesNotFinish) {
  EXPECT_EXIT(
      {
        pravella::EndSignals ends(
            [](int) {
              pravella::beginEndSaves({"the memo \"Plans\"", "the memo sheet"});
              pravella::endSaveDone("the memo \"Plans\"");
              for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
            },
            nullptr, 300);
        ::raise(SIGTERM);
        QCoreApplication::processEvents();
        QTest::qWait(100);
        std::_Exit(0);  // not reached: the handler never returns
      },
      testing::ExitedWithCode(1), "did not finish in time; not saved: the memo sheet; ending now");
}

// The GUI thread never comes back to read the signal at all: the limit counts all the same.
TEST(EndSignalsLastLimit, EndsTheProcessWhileTheGuiThreadIsHeld) {
  EXPECT_EXIT(
      {
        pravella::EndSignals ends([](int) {}, nullptr, 300);
        ::raise(SIGTERM);
        for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
      },
      testing::ExitedWithCode(1), "did not finish in time; not saved: every edit since the last save");
}

}  // namespace
