#pragma once
// The main memo: the rich-text editor of the shown day document, where code runs on Enter (the
// keypad key) or Escape and its result is inserted behind it, followed by ".OK." or ".NO.".
// It also runs the program texts other windows post ("calculationOnEditModule" and the like).
//
// Every run goes to one worker thread (RunWorker), one after another, so the window stays
// responsive; the run observers are called on the posting thread, so a nested run (the
// built-in "run") executes on the program's own worker and only its text insertion is handed to
// the GUI thread. The inserted text lands where the code was even when the user edits
// elsewhere meanwhile, and a run's insertions form one undo step.

#include <QPointer>
#include <QProgressBar>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "editors/run_worker.h"
#include "editors/ui/memo_edit.h"

class CalOption;
class Calcndar;

namespace pravella {
struct MemoInsertion;
struct Notification;
}  // namespace pravella

class mainTextView : public pravella::MemoEdit {
  Q_OBJECT
 public:
  explicit mainTextView(QWidget* parent = nullptr);
  // Breaks a run still going and waits for it.
  ~mainTextView() override;

  // Registers the run observers and the break filter; the application's start-up calls it once.
  void awakeFromNib();

  // The selected text (the caret then goes to the selection's end), or the caret's line (the
  // caret goes to its end); "" for an empty line or one of 32,000 characters or more.
  QString findExpression();
  // The same for another memo view.
  static QString findExpressionIn(QTextEdit* view);
  // Runs the code in the view: its result goes in behind the selection's end.
  void calculationUsingBC(const QString& code);
  // Runs a selected gnuplot block and inserts its messages and picture behind it (in
  // `otherView` when given).
  void DoGnuPlotCommand(const QString& script, QTextEdit* otherView = nullptr);
  // The run key (Enter, Escape) in another memo view (the memo sheet, the row memo view): its
  // code runs on this view's worker, one run at a time, and the result and what the run
  // displays go into that view. False while a run goes: the key is a plain key then.
  bool runKeyInView(QTextEdit* view);

  // The notification entries (also callable directly).
  void calculationOfCalcButton();
  void calculationOnRunFunction(const QString& text);
  void calculationOnCommandScript(const QString& text);
  void calculationOnEditModule(const QString& text);
  void calculationOnMemoMenu(const QString& text);
  // Runs a program for a window that shows its output itself (the module drawer): as a posted
  // program (console mode, one variable level up, refused as "calculationOnEditModule" is),
  // then `done` is called on the GUI thread with everything the run wrote and its success. A
  // refused run answers at once with no output.
  using RunOutput = std::function<void(const QString& output, bool ok)>;
  void runForOutput(const QString& text, RunOutput done);
  void pastePictureToDocument(const QString& path);
  void insertTextToDoc(const QString& text);
  // The shared colour and font panels, brought to the front; they act on the memo's selection.
  void useColorPanel();
  void useFontPanel();
  // "Now, vk is running !" / "Sorry, I can not accept your request", with "Basso".
  void vkCannotRunAlertPanel();

  // The window's progress bar (`progressBar`): the window puts it in its status bar. Long work
  // reports to it through "setProgressBar" as often as it likes; the bar changes at most once a
  // second (60 ticks), counted from the view's start, so reporting never slows the work.
  QProgressBar* progressBar() const { return progressBar_; }
  void setProgressBar(double minimum, double maximum, double value);
  // Seam for tests: the tick count (1/60 s) that times the bar; setting it restarts the count.
  using TickClock = std::function<std::uint64_t()>;
  void setTickClock(TickClock clock);

  // The memo is about to show another document: what runs still going would insert belongs to
  // the document they started in, never to the next one. It goes into a copy of that document,
  // written to `documentPath` when each run ends; without a path the user is told it is lost.
  void abandonPendingOutput(const QString& documentPath = QString());

  // A run is queued or going.
  bool isRunning() const { return worker_.busy(); }
  // The end of the application: breaks the runs going, as the held mouse button does, shows
  // the text they handed to this thread before it (so that the end's save keeps it), drops all
  // they hand over later, and waits at most `waitMs` for them to end. True when none is left
  // going (a run that does not answer the break is left to the end of the process).
  bool stopRuns(int waitMs);
  // A memo-menu run is queued or going (its requests and those of other windows are refused).
  bool nowExecStatus() const { return memoMenuRun_.load(); }
  // Waits until every queued run has ended, keeping the GUI thread working (tests).
  void waitForRuns();

  // The window's delegate (the calendar controller: the day and document steps, the shown
  // day and document for drops) and the memo options controller (the indent steps).
  void setWindowDelegate(Calcndar* calendar);
  void setCalendarOption(CalOption* option);

  // The window's answer to a double click, after the word is selected: it gets the keys held
  // (Shift, Option as Alt, Command as Ctrl) and follows the link at the caret.
  using DoubleClickHandler = std::function<void(Qt::KeyboardModifiers)>;
  void setDoubleClickHandler(DoubleClickHandler handler) { doubleClickHandler_ = std::move(handler); }
  // A double click with Ctrl (Command) on a selection outside a bracketed link looks the
  // selected text up (Shift: for insertion) and ends there; it is tried with the selection
  // before the click, then with the word the click selected.
  using LookUpHandler = std::function<void(const QString& text, bool shift, const QPoint& globalPos)>;
  void setLookUpHandler(LookUpHandler handler) { lookUpHandler_ = std::move(handler); }

  // The find command: a non-empty selection becomes the program-wide find text, which the find
  // tool starts from.
  void performFindPanelAction();

  // Seams for tests: the refusal alert, and where console-mode runs write (standard output).
  using AlertPanel = std::function<void(const QString& title, const QString& message)>;
  void setAlertPanel(AlertPanel panel) { alertPanel_ = std::move(panel); }
  void setConsoleOutput(std::function<void(const std::string&)> out) { consoleOutput_ = std::move(out); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Copy and paste are every memo's (MemoEdit); files as well as pictures may be dropped here.
  bool canInsertFromMimeData(const QMimeData* source) const override;
  // Pictures, files, diary documents and dictionary hits dropped into the memo.
  void dropEvent(QDropEvent* event) override;

 private:
  enum class RunMode { View, Console };
  struct RunContext {
    RunMode mode;
    std::shared_ptr<pravella::MemoInsertion> insertion;  // null in console mode
    // Console mode: where the texts the program inserts go (made with its first one).
    std::shared_ptr<pravella::MemoInsertion> textPlace;
  };
  using InsertionPtr = std::shared_ptr<pravella::MemoInsertion>;

  // On the GUI thread: an insertion point at `position`.
  InsertionPtr makeInsertion(int position, bool newlineFirst, QTextEdit* otherView = nullptr);
  // Queues a run; `interactive` runs (keys, the calculator button, gnuplot) make other
  // windows' requests wait for a refusal instead of queueing. The held mouse button breaks it
  // in `runWindow` (this view's window when null).
  void queueRun(const QString& text, RunMode mode, bool raiseLevel, InsertionPtr insertion, bool interactive,
                const QWidget* runWindow = nullptr);
  // On the worker: one run with its output.
  bool runOnWorker(const std::string& code, RunMode mode, bool raiseLevel, const InsertionPtr& insertion);
  // The run context when called from inside a run of this view (on its worker).
  RunContext* currentRun();
  // Runs posted by a running program nest at most this deep (each costs worker stack).
  static constexpr std::size_t kMaxNestedRuns = 100;
  void runNestedOrQueue(const QString& text, bool console, bool raiseLevel);

  // GUI-thread edits at an insertion point, joined into one undo step per run.
  void editAt(const InsertionPtr& insertion, const std::function<void(QTextCursor&)>& edit);
  void selectInsertion(pravella::MemoInsertion& insertion);
  void insertPictureAt(const InsertionPtr& insertion, const QByteArray& pictureBytes);
  // A run's last edit: output of a document no longer shown is written to its file.
  void finishRun(pravella::MemoInsertion& root);
  void showAlert(const QString& title, const QString& message);
  // Breaks the runs going and waits for their thread to end.
  void breakRuns();
  void postToGui(std::function<void()> fn);
  // A program's text for the memo, joined with the texts it gives next until the GUI thread
  // takes them (a program may give thousands a second).
  // `toPlace`: the run's own output (its result, what it displays), which goes to the run's
  // place even when the memo shows another document now.
  struct InsertBatch;
  // `endsRun`: the text ends with the run's status line (".OK." or ".NO."), which goes in even
  // when the memo could hold no more of the run's text (as ".NO." then).
  void postInsert(const InsertionPtr& insertion, const QString& text, bool toPlace = false,
                  bool endsRun = false);
  // Puts as much of `text` as fits into the open batch (or a new one); returns how much it took.
  qsizetype postBatch(const InsertionPtr& insertion, QStringView text, bool toPlace, bool endsRun);
  // Worker: the place of the text the running program inserts (null outside this view's runs).
  InsertionPtr textPlaceOfRun();
  // A full batch makes the program wait until the GUI thread took it, at most this long.
  static constexpr int kBatchWaitMs = 1000;
  // What a batch may hold, in cost units (a character is one, a line end kLineEndCost more:
  // each new line is a text layout of its own). The GUI thread measures what its batches took
  // and sizes the next ones to take about kBatchStepMs, so that no batch holds the window long
  // whatever the shape of the text.
  static constexpr qsizetype kBatchCostLimit = 65536;
  static constexpr qsizetype kBatchCostFloor = 256;
  static constexpr qsizetype kLineEndCost = 32;
  static constexpr int kBatchStepMs = 40;
  std::atomic<qsizetype> batchCost_{4096};
  // GUI thread: sizes the next batches after one of `cost` took `nanoseconds`.
  void measureBatch(qsizetype cost, qint64 nanoseconds);
  // GUI thread: a batch of a program's text into the memo (at the caret when it has no place).
  // Text that would make the memo taller than it can show is cut at the limit, with the
  // reason, and the run's later text is dropped (see memo_height.h).
  void deliverText(const InsertionPtr& insertion, const QString& text, bool toPlace, bool endsRun = false);
  // GUI thread: a program's text at its place. The user's caret at a place taken from the caret
  // stays where it is: what the user is typing there goes on before the program's text.
  void insertProgramText(const InsertionPtr& insertion, const QString& text, bool endsRun = false);

  void onDisplay(pravella::Notification& n);
  void writeConsole(const std::string& text);
  void refuse();
  // The modifier keys' commands; false for a key they do not take.
  bool modifierKeyCommand(QKeyEvent* event);

  // The bar shows values as steps of its integer range.
  static constexpr int kProgressSteps = 10000;
  QPointer<QProgressBar> progressBar_;
  TickClock tickClock_;
  std::atomic<std::uint64_t> beforeTick_{0};

  pravella::RunWorker worker_;
  // Once the end stopped the runs, nothing a program handed to the GUI thread is shown (their
  // break reports included).
  std::atomic<bool> outputStopped_{false};
  std::mutex batchMutex_;
  std::shared_ptr<InsertBatch> openBatch_;                   // the batch still taking text, under batchMutex_
  std::vector<std::shared_ptr<InsertBatch>> postedBatches_;  // handed over, not yet taken; under batchMutex_
  std::condition_variable batchTaken_;
  std::vector<RunContext> runs_;  // worker thread only: the runs in progress, innermost last
  std::vector<std::weak_ptr<pravella::MemoInsertion>> insertions_;  // GUI thread: the runs' output places
  std::atomic<bool> memoMenuRun_{false};
  std::atomic<int> interactiveRuns_{0};
  const void* windowRef_ = nullptr;
  bool buttonDownSet_ = false;
  bool awake_ = false;
  AlertPanel alertPanel_;
  QPointer<Calcndar> windowDelegate_;
  QPointer<CalOption> calendarOption_;
  DoubleClickHandler doubleClickHandler_;
  LookUpHandler lookUpHandler_;
  std::function<void(const std::string&)> consoleOutput_;
  std::string* capturedOutput_ = nullptr;  // worker thread only: a runForOutput run's output
};
