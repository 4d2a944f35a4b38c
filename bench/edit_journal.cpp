// What keeping unsaved edits against a crash costs in a memo of 10 MB: a keystroke with and
// without the journal watching the view, the GUI thread's part of a copy at a pause (the clone
// of the document), and a whole copy written to the recovery folder (on its own thread in
// the application). The copies go to the recovery folder of a temporary home.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <cstdlib>
#include <memory>

#include "editors/edit_journal.h"
#include "platform/rich_text_file.h"

namespace {

constexpr int kMemoBytes = 10 * 1000 * 1000;

// Diary lines of about 60 characters, a bold word in every tenth one.
void fill(QTextDocument& doc) {
  QTextCursor cursor(&doc);
  QTextCharFormat plain, bold;
  bold.setFontWeight(QFont::Bold);
  const QString line = QStringLiteral("Measured at the bench: 12.5, 13.25 and 14.0 ms; more text.\n");
  QString block;
  for (int i = 0; i < 100; ++i) block += line;
  for (int written = 0; written < kMemoBytes; written += static_cast<int>(block.size()) + 4) {
    cursor.insertText(block, plain);
    cursor.insertText(QStringLiteral("note"), bold);
  }
}

struct Memo {
  QTextEdit view;
  std::unique_ptr<pravella::EditJournal> journal;
  Memo() {
    fill(*view.document());
    view.resize(800, 600);
    view.show();
    (void)QTest::qWaitForWindowExposed(&view);
    view.setFocus();
    view.moveCursor(QTextCursor::End);
  }
  void watch(const QString& intended) {
    journal = std::make_unique<pravella::EditJournal>(
        view.document(), pravella::EditJournal::Source{[] { return true; }, [intended] { return intended; }},
        nullptr);
  }
};

Memo& memo() {
  static Memo m;
  return m;
}

void BM_Keystroke(benchmark::State& state) {
  Memo& m = memo();
  if (state.range(0))
    m.watch(QDir::homePath() + QStringLiteral("/Big.rtfd"));
  else
    m.journal.reset();
  for (auto _ : state) {
    QTest::keyClick(&m.view, Qt::Key_A);
    QApplication::processEvents();
  }
  m.journal.reset();
}
BENCHMARK(BM_Keystroke)->ArgName("journal")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The GUI thread's part at a pause: the text is cloned, the write starts on its own thread.
void BM_PauseOnGuiThread(benchmark::State& state) {
  Memo& m = memo();
  m.watch(QDir::homePath() + QStringLiteral("/Big.rtfd"));
  for (auto _ : state) {
    state.PauseTiming();
    QTest::keyClick(&m.view, Qt::Key_B);
    state.ResumeTiming();
    m.journal->keepNow();
    state.PauseTiming();
    (void)m.journal->copy();  // waits for the write
    state.ResumeTiming();
  }
  m.journal->covered();
  m.journal.reset();
}
BENCHMARK(BM_PauseOnGuiThread)->Unit(benchmark::kMillisecond)->Iterations(5);

// A whole copy, clone and write, as the writing thread adds it to the pause.
void BM_WholeCopy(benchmark::State& state) {
  Memo& m = memo();
  m.watch(QDir::homePath() + QStringLiteral("/Big.rtfd"));
  for (auto _ : state) {
    QTest::keyClick(&m.view, Qt::Key_C);
    m.journal->keepNow();
    benchmark::DoNotOptimize(m.journal->copy());
  }
  m.journal->covered();
  m.journal.reset();
}
BENCHMARK(BM_WholeCopy)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // A home of its own, so that the copies never land in the user's recovery folder.
  QTemporaryDir home;
  ::setenv("HOME", QFile::encodeName(home.path()).constData(), 1);
  ::setenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/.local/share").constData(), 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
