// Start-up and shutdown of the calendar controller.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <utility>

#include <algorithm>
#include <cmath>
#include <vector>

#include "diary/day_documents.h"
#include "diary/diary_globals.h"
#include "diary/func_alias_file.h"
#include "diary/startup_files.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/pravella.h"
#include "diary/ui/side_view_room.h"
#include "editors/edit_journal.h"
#include "editors/open_documents.h"
#include "editors/recovered_edits.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/clicked_link.h"
#include "editors/ui/document_save.h"
#include "editors/ui/long_memo_layout.h"
#include "editors/ui/main_text_view.h"
#include "graphics/color_table.h"
#include "lang/builtins/command_bridge.h"
#include "lang/values.h"
#include "platform/console_log.h"
#include "platform/end_saves.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/progress_bar.h"
#include "platform/rich_text_file.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/package_open_panel.h"
#include "platform/ui/sound_player.h"
#include "platform/ui/window_placement.h"

Calcndar* PravellaSelf = nullptr;

namespace {

void logLine(const QString& text) { showErrMessageToConsole((text + QLatin1Char('\n')).toStdString()); }

}  // namespace

Calcndar::Calcndar(pravella::MainWindow* window, QObject* parent)
    : QObject(parent), window_(window), todaySource_([] { return QDate::currentDate(); }) {
  setObjectName(QStringLiteral("Calcndar"));
  terminator_ = [] { QCoreApplication::quit(); };
  memoSheetDocument_ = new QTextDocument(this);
  window_->setWindowTitle(QStringLiteral("Pravella[*]"));
  pravella::DocumentSlot::Hooks hooks;
  // A run still going will insert into the memo: it counts as an edit.
  hooks.edited = [this] { return window_->isWindowModified() || window_->documentView()->isRunning(); };
  hooks.reload = [this] { reloadShownDocument(); };
  hooks.changedElsewhere = [this] {
    pravella::markChangedElsewhere(window_->documentView(), nowDisplayedDocument_);
  };
  hooks.follow = [this](const QString& path) { nowDisplayedDocument_ = path; };
  hooks.moved = [this](const QString& path) { followMovedDocument(path); };
  hooks.trashed = [this] { keepTrashedDocumentAsMemo(); };
  memoSlot_ = std::make_unique<pravella::DocumentSlot>(std::move(hooks));
  // A new memo's edits are kept under the name its save would give it.
  memoJournal_ = std::make_unique<pravella::EditJournal>(
      window_->documentView()->document(), *memoSlot_, nullptr, [this] {
        QString name = window_->editingDiaryFileName()->text();
        if (name.isEmpty()) {
          QString firstLine = window_->documentView()->document()->firstBlock().text();
          firstLine = firstLine.left(firstLine.indexOf(QChar::LineSeparator));
          name = pravella::nameForNewMemo(firstLine.replace(QChar::Nbsp, QLatin1Char(' ')), clock_());
        }
        if (!name.endsWith(QLatin1String(".rtfd"))) name += QStringLiteral(".rtfd");
        return dayFolder() + QLatin1Char('/') + name;
      });
  window_->installEventFilter(this);
  window_->diaryFileField()->setDelegate(this);
  indexRefresh_.setSingleShot(true);
  indexRefresh_.setInterval(1000);
  connect(&indexRefresh_, &QTimer::timeout, this,
          [] { pravella::NotificationCenter::defaultCenter().post(QStringLiteral("showIndexAction")); });

  // The memo's keys and drops ask this controller (the day and document steps, the shown day
  // and document).
  window_->documentView()->setWindowDelegate(this);
  // A double click in the memo follows the link at the caret: a document, a table named
  // between "<" and ">", else an address.
  window_->documentView()->setDoubleClickHandler([this](Qt::KeyboardModifiers keys) {
    doubleClickOnTextView(true);
    doubleClickOnTextViewWithShiftKey(keys.testFlag(Qt::ShiftModifier));
    doubleClickOnTextViewWithOptiontKey(keys.testFlag(Qt::AltModifier));
    doubleClickOnTextViewWithCommandKey(keys.testFlag(Qt::ControlModifier));
    if (!checkDocumentLink() && !checkSheetTable()) checkURL();
  });
  pravella::followLinksOnClick(window_->documentView(),
                               [this](const QString& value) { textViewClickedOnLink(value); });

  // The controller owns the meaning of the window's controls.
  for (int tag = kLastDayCell + 1; tag < pravella::MainWindow::kDayCells; ++tag)
    window_->dayCell(tag)->setCheckable(false);
  connect(window_->dayCells(), &QButtonGroup::idClicked, this, [this](int tag) {
    if (tag <= kLastDayCell) selectDayAction(tag);
  });
  connect(window_->incMonthButton(), &QPushButton::clicked, this, [this] { incMonthAction(); });
  connect(window_->decMonthButton(), &QPushButton::clicked, this, [this] { decMonthAction(); });
  connect(window_->nextYearButton(), &QPushButton::clicked, this, [this] { nextYearAction(); });
  connect(window_->lastYearButton(), &QPushButton::clicked, this, [this] { lastYearAction(); });
  connect(window_->todayButton(), &QPushButton::clicked, this, [this] { todayAction(); });
  disconnect(window_->quitAction(), nullptr, window_, nullptr);
  connect(window_->quitAction(), &QAction::triggered, this, [this] { quitAction(); });
  connect(window_->moonAgeAction(), &QAction::triggered, this, [this] { toggleMoonAge(); });
  connect(window_->diaryFileField(), &QTableWidget::cellClicked, this, [this](int, int column) {
    clickedColumn_ = column;
    selectDiaryFileAction();
  });
  // A name edited in the list renames the document.
  connect(window_->diaryFileField(), &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (item->column() == 1) renameDiaryFileRow(item->row(), item->text());
  });
  connect(window_->documentView(), &QTextEdit::textChanged, this, [this] { textDidChange(); });
  connect(window_->editingDiaryFileName(), &QLineEdit::returnPressed, this, [this] { saveTitleAction(); });
  clock_ = [] { return QDateTime::currentDateTime(); };
  autoSaveTimer_ = std::make_unique<pravella::QtOneShotTimer>();
  playSound_ = [](const char* name) { pravella::playSound(QString::fromLatin1(name)); };
  opener_ = [](const QString& program, const QStringList& args, const QString& folder) {
    return QProcess::startDetached(program, args, folder);
  };
  savePanel_ = [this](const QString& title, const QString& folder, const QString& name) {
    return pravella::dialogs::chooseSaveFile(window_, title, folder, name);
  };
  // A sheet of the main window: the rest of the application stays usable.
  openPanel_ = [this](const QString& title, const QString& folder, bool folders) {
    return pravella::choosePathWithPackages(window_, title, folder, folders);
  };

  auto* table = window_->diaryFileField();
  table->setColumnCount(2);
  table->setHorizontalHeaderLabels({QStringLiteral("No."), QString()});
  table->horizontalHeaderItem(0)->setData(Qt::UserRole, QStringLiteral("number"));
  table->horizontalHeaderItem(1)->setData(Qt::UserRole, QStringLiteral("fileName"));
  table->setColumnWidth(0, 36);
  table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  table->setDragEnabled(true);
  buildSideViews();
  buildLinksMenu();
}

Calcndar::~Calcndar() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  if (PravellaSelf == this) PravellaSelf = nullptr;
}

void Calcndar::awakeFromNib() {
  namespace paths = pravella::paths;
  pravella::ensureDiaryFolderTree();
  vkDataCPath = paths::vkData().toStdString();
  vkPreferencesCPath = paths::vkPreferences().toStdString();
  // The shipped defaults are copied, not moved: the installed resources are read-only and
  // shared. A failed copy is reported and start-up goes on; the colour table is then empty.
  pravella::copyMissingResource(QStringLiteral("rgbColor.dat"), paths::vkPreferences());
  // The user's own template of new memos, a copy of the shipped one to change as they like.
  if (QDir().mkpath(paths::preferences()))
    pravella::copyMissingResource(QStringLiteral("template.rtf"), paths::preferences());
  vkPrefPath = vkPreferencesCPath;
  loadFuncAlias();
  pravella::ensureModulesAndSupportFolders();
  vkDataPathString = vkDataCPath;

  diaryFiles_.clear();
  startOffset_ = 0;
  selectedDay_ = today();
  refreshCalendar();
  nowDisplayedDocument_.clear();
  nowDisplayedFileOnMemoSheet_.clear();
  window_->editingDiaryFileName()->setReadOnly(false);
  showDiaryFiles();
  showFirstDiaryFile();
  setCellFont(cellOfDay(selectedDay_.day()), true);
  toggleStatus_ = 0;
  beforeSheet_ = 0;

  // The memo menu buttons: tag 1 is off; the not-dirty, back and forward functions start
  // disabled, each a separate button (negative number) or a memo menu button (tag n - 1).
  saveButtonNumber_ = 2;
  mihensyuButtonNumber_ = 8;
  beforeButtonNumber_ = 3;
  afterButtonNumber_ = 4;
  moonAgeCalculationNumber_ = 0;
  if (QAbstractButton* b = window_->memoMenuButtons()->button(1)) b->setEnabled(false);
  for (int n : {mihensyuButtonNumber_, beforeButtonNumber_, afterButtonNumber_}) {
    if (n > 0)
      if (QAbstractButton* b = window_->memoMenuButtons()->button(n - 1)) b->setEnabled(false);
  }
  menuScriptFileName_.fill(QString());

  recentMemo_.setPaths(pravella::readRecentMemo());
  setRecentMemoRejectString(QString());
  addRecentMemoToMenu();
  changeTableViewFontColor_ = 0;
  clickNumberOnDiaryFileTable_ = 0;
  moonDispStatus_ = 0;

  placeFirstFrame();

  loadMemoSheetDocument();
  registerObservers();
  PravellaSelf = this;
  rememberString_ = pravella::loadRememberString();
  tmpBackGroundColorStatus_ = false;
}

void Calcndar::registerObservers() {
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("showDiaryFiles"), this,
                     [this](pravella::Notification&) { showDiaryFiles(); });
  center.addObserver(QStringLiteral("cal_saveDocument"), this, [this](pravella::Notification&) { save(); });
  center.addObserver(QStringLiteral("cal_today"), this, [this](pravella::Notification&) { todayAction(); });
  center.addObserver(QStringLiteral("cal_refreshCalendar"), this,
                     [this](pravella::Notification&) { refreshCalendar(); });
  center.addObserver(QStringLiteral("cal_loadFuncAlias"), this,
                     [this](pravella::Notification&) { loadFuncAlias(); });
  center.addObserver(QStringLiteral("cal_moonAge"), this,
                     [this](pravella::Notification&) { toggleDispMoonAgeStatus(); });
  center.addObserver(QStringLiteral("cal_changeCalMoonAge"), this,
                     [this](pravella::Notification& n) { changeCalMoonAge(n.text); });
  // The answer goes onto the running program's stack (a row of two numbers) and, for a caller
  // outside a program, into the notification's reply.
  center.addObserver(QStringLiteral("cal_getMoonAgeStatus"), this, [this](pravella::Notification& n) {
    n.reply = getMoonAgeStatus();
    if (pv_calc) {
      const double row[2] = {static_cast<double>(moonDispStatus_),
                             static_cast<double>(moonAgeCalculationNumber_)};
      pravella::answerNumbers(row);
    }
  });
  // A program set it (and wrote its file).
  center.addObserver(QStringLiteral("rememberStringChanged"), this,
                     [this](pravella::Notification& n) { rememberString_ = n.text; });
  registerDocumentObservers();
  registerLinkObservers();
}

bool Calcndar::loadFuncAlias() { return pravella::loadFuncAlias(); }

void Calcndar::loadMemoSheetDocument() {
  if (calendarOption_) calendarOption_->loadScratchMemo();
}

bool Calcndar::saveMemoSheetDocument() { return calendarOption_ ? calendarOption_->saveDocAction() : true; }

void Calcndar::applicationDidFinishLaunching() {
  maxRecentMemo = 20;
  loadModuleFromModulesFolder();
  pravella::deleteVkDataFiles();
  primaryPreferencesBackupProcess();
  ::initUnixColor();  // the colour names of rgbColor.dat
  setMainWindowSizeAndPosition();
  // The side views are there now, and the window has its frame.
  sideViewsComeLater_ = false;
  if (openWhenLaunched_) std::exchange(openWhenLaunched_, nullptr)();
  // Asked once the window works, never inside the start; of the copies there now, since the
  // views' own copies (kept before a program runs, say) may be written before it is asked.
  QTimer::singleShot(0, this,
                     [this, atStart = pravella::recoveredEditsToOffer()] { offerRecoveredEdits(atStart); });
}

void Calcndar::loadModuleFromModulesFolder() {
  // Each module file's text is run by the main memo (module definitions load their modules).
  const QStringList files = pravella::moduleFilesToRun(pravella::paths::modules());
  setProcessIndicator(0, static_cast<double>(files.size()));
  for (qsizetype i = 0; i < files.size(); ++i) {
    const QString& file = files[i];
    setProcessIndicatorValue(static_cast<double>(i));
    bool ok = false;
    const QString text = pravella::plainTextOfRichTextFile(file, &ok);
    if (!ok) {
      logLine(QStringLiteral("The module file %1 is not read as rich text.").arg(file));
      continue;
    }
    mainWindowRef = window_;  // holding the mouse down in the main window breaks the run
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("calculationOnEditModule"), text);
  }
  setProcessIndicatorValue(0);
}

void Calcndar::primaryPreferencesBackupProcess() {
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("backupDiaryPrefernce"));
}

void Calcndar::placeFirstFrame() {
  const QScreen* screen = window_->screen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  QSize size = window_->size();
  if (area.height() >= 800) size.setHeight(800);
  size = size.boundedTo(area.size());
  window_->resize(size);
  // A move places the frame, not its inside: the window manager puts the title bar at this
  // point, within the area, where a geometry at the area's corner would put it above the screen.
  window_->move(area.x() + std::max(0, (area.width() - size.width()) / 2),
                area.y() + std::max(0, (area.height() - size.height()) / 2));
}

void Calcndar::setMainWindowSizeAndPosition() {
  pravella::SideViewRoom* room = window_->sideViews();
  for (const auto& [name, width] : pravella::readSideViewWidths(pravella::sideViewWidthsFilePath()))
    room->setWidth(name, width);
  const std::optional<pravella::WindowFrame> frame =
      pravella::readWindowFrameFile(pravella::windowFrameFilePath());
  if (!frame) {
    // No frame kept: the first one's decorations, known once it shows, may reach past the area.
    if (window_->isVisible()) pravella::keepOnScreen(window_);
    return;
  }
  for (std::size_t i = 0; i < kFrameFileSideViews.size(); ++i)
    room->setWidth(QString::fromLatin1(kFrameFileSideViews[i]), qRound(frame->sideWidths[i]));
  // A frame kept on a larger screen, or one a fault once widened, comes back wholly on this one.
  const auto pixels = [](double v) { return std::isfinite(v) ? qRound(std::clamp(v, -1e6, 1e6)) : 0; };
  window_->setGeometry(pravella::geometryOnScreen(
      window_, QRect(pixels(frame->x), pixels(frame->y), pixels(frame->width), pixels(frame->height))));
}

void Calcndar::windowWillClose() {
  pravella::WindowFrame frame;
  // The next start opens no side view: the frame is the window's without them.
  const QRect g = pravella::geometryOnScreen(window_, window_->sideViews()->geometryWithoutSideViews());
  frame.x = g.x();
  frame.y = g.y();
  frame.width = g.width();
  frame.height = g.height();
  frame.sideWidths = sideViewWidths();
  if (pravella::WriteResult written = pravella::writeWindowFrameFile(pravella::windowFrameFilePath(), frame);
      !written)
    logLine(written.error);
  // The other views' widths go beside it.
  std::map<QString, int> others = window_->sideViews()->widths();
  for (const char* name : kFrameFileSideViews) others.erase(QString::fromLatin1(name));
  const QString othersPath = pravella::sideViewWidthsFilePath();
  if (others.empty() && !QFileInfo::exists(othersPath)) return;
  if (pravella::WriteResult written = pravella::writeSideViewWidths(othersPath, others); !written)
    logLine(written.error);
}

std::array<double, 5> Calcndar::sideViewWidths() const {
  const std::map<QString, int> widths = window_->sideViews()->widths();
  std::array<double, 5> five{};
  for (std::size_t i = 0; i < kFrameFileSideViews.size(); ++i) {
    const auto it = widths.find(QString::fromLatin1(kFrameFileSideViews[i]));
    five[i] = it == widths.end() ? pravella::kSideViewDefaultWidth : it->second;
  }
  return five;
}

int Calcndar::alert(const QString& title, const QString& message, const QStringList& buttons, int safe) {
  if (endingUnattended_) {
    // No one is there to answer: the console keeps what would have been said.
    logLine(title + QStringLiteral(" ") + message);
    return 0;
  }
  if (alertPanel_) return alertPanel_(title, message, buttons);
  // The buttons in order are the default, the alternate and the other one.
  namespace dialogs = pravella::dialogs;
  const int safeAnswer = safe == 0   ? dialogs::kDefault
                         : safe == 1 ? dialogs::kAlternate
                         : safe == 2 ? dialogs::kOther
                                     : dialogs::kCancelAnswers;
  const int answer = dialogs::alert(window_, title, message, buttons.value(0), buttons.value(1),
                                    buttons.value(2), safeAnswer);
  return answer == pravella::dialogs::kAlternate ? 1 : answer == pravella::dialogs::kOther ? 2 : 0;
}

bool Calcndar::applicationShouldTerminate() {
  // A file another view or program changed meanwhile is not asked about at the end: both stay.
  const pravella::UnattendedSaves quiet;
  return saveEverything(true);
}

namespace {

// What the end saves, as the console names what a hanging save left unsaved.
const QString kEndSheet = QStringLiteral("the memo sheet");
const QString kEndDeskMemos = QStringLiteral("the launcher, bookmark and To Do memos");
const QString kEndRowMemo = QStringLiteral("the row memo view");

}  // namespace

QString Calcndar::memoNameAtEnd() const {
  return nowDisplayedDocument_.isEmpty() ? QStringLiteral("the new memo")
                                         : QStringLiteral("the memo \"%1\"").arg(nowDisplayedDocument_);
}

bool Calcndar::saveEverything(bool ask) {
  // The end never waits on the memo's layout (a long memo's takes many seconds): it is parked
  // for good, and keys still waiting for it go in at once. An end that does not happen gives
  // it back.
  // The memo sheet's the same.
  mainTextView* shown = window_->documentView();
  QTextEdit* sheet = memoSheetField();
  struct UnparkUnlessEnded {
    std::vector<QTextDocument*> docs;
    bool ended = false;
    ~UnparkUnlessEnded() {
      for (QTextDocument* doc : docs)
        if (!ended) pravella::unparkLayout(*doc);
    }
  } parked;
  for (QTextEdit* view : {static_cast<QTextEdit*>(shown), sheet}) {
    pravella::LongMemoMoves* moves = view ? pravella::LongMemoMoves::of(view) : nullptr;
    if (!moves) continue;
    const bool wasParked = pravella::layoutParked(*view->document());
    moves->finishNow(true);
    if (!wasParked) parked.docs.push_back(view->document());
  }
  const QString memo = memoNameAtEnd();
  if (!save() && ask) return false;
  pravella::endSaveDone(memo);
  // A memo sheet that cannot be written keeps the application open, with the reason on the
  // console: ending would lose it.
  if (!saveMemoSheetDocument() && ask) return false;
  pravella::endSaveDone(kEndSheet);
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.post(QStringLiteral("saveLauncherMemo"));
  center.post(QStringLiteral("saveBookMarkMemo"));
  center.post(QStringLiteral("writeToDoMemoWhenApplicationTerminate"));
  pravella::endSaveDone(kEndDeskMemos);
  if (ask && window_->isWindowModified()) {
    const int answer = alert(QStringLiteral("Quit"), QStringLiteral("Do you want to quit?"),
                             {QStringLiteral("Quit"), QStringLiteral("Cancel"), QStringLiteral("Save")});
    if (answer == 1) return false;
    // A save that fails keeps the application open: ending would lose the memo. Either
    // answer goes on to close the side views, which saves what they show.
    if (!saveAction()) return false;
  }
  // The row memo view is saved by closing the side views too; one that cannot be written
  // keeps the application open, since ending would lose it.
  if (Pravella_X && !Pravella_X->saveDocAction() && ask) return false;
  pravella::endSaveDone(kEndRowMemo);
  closeAllToggleView();
  if (pravella::WriteResult written = pravella::writeRecentMemo(recentMemo_.paths()); !written)
    logLine(written.error);
  parked.ended = true;
  return true;
}

bool Calcndar::requestTerminate(bool fromCloseEvent) {
  if (terminating_) return true;
  if (!applicationShouldTerminate()) return false;
  terminating_ = true;
  if (!fromCloseEvent) window_->close();
  terminator_();
  return true;
}

void Calcndar::quitAction() { requestTerminate(false); }

void Calcndar::terminateUnattended() {
  if (terminating_ || savingAtEnd_) return;
  mainTextView* memo = window_->documentView();
  if (!endingUnattended_) {
    // From now on no panel opens (what it would say goes to the console), and a running
    // program is asked to stop before anything else: one that keeps saving or raising alerts
    // would otherwise hold the end for good. What the end is to save is known from here on,
    // so that an end held even this early names it.
    endingUnattended_ = true;
    pravella::beginEndSaves({memoNameAtEnd(), kEndSheet, kEndDeskMemos, kEndRowMemo});
    runsStopped_ = memo->stopRuns(0);
  }
  // A panel waiting for an answer is cancelled first (nothing is decided in it); the end
  // follows once it has gone, so that no save runs inside the one the panel belongs to.
  if (QWidget* modal = QApplication::activeModalWidget()) {
    if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->reject();
    else
      modal->close();
    QTimer::singleShot(20, this, [this] { terminateUnattended(); });
    return;
  }
  savingAtEnd_ = true;
  pravella::beginEndSaves({memoNameAtEnd(), kEndSheet, kEndDeskMemos, kEndRowMemo});
  {
    // Saved at once: what ends the process may not wait long (a session's end, a second kill).
    const pravella::UnattendedSaves quiet;
    saveEverything(false);
  }
  // The run gets a little time to stop; what it asked of this thread meanwhile may have
  // changed the memo again. One that does not answer the break is left behind.
  if (!runsStopped_) {
    const int saved = memo->document()->revision();
    runsStopped_ = memo->stopRuns(kRunStopWaitMs);
    if (memo->document()->revision() != saved) {
      const pravella::UnattendedSaves quiet;
      save();
    }
  }
  terminating_ = true;
  window_->close();
  terminator_();
}

bool Calcndar::windowShouldClose() {
  if (!saveMemoSheetDocument()) return false;
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.post(QStringLiteral("saveLauncherMemo"));
  center.post(QStringLiteral("saveBookMarkMemo"));
  if (!window_->isWindowModified()) return requestTerminate(true);
  const int answer = alert(QStringLiteral("Close to Quit"),
                           QStringLiteral("Do you want to save changes to this document before closing?"),
                           {QStringLiteral("Close"), QStringLiteral("Cancel"), QStringLiteral("Save")});
  if (answer == 0) {
    if (!saveAction()) return false;
    return requestTerminate(true);
  }
  if (answer == 2) saveAction();
  return false;
}

bool Calcndar::eventFilter(QObject* watched, QEvent* event) {
  // The web sheet and the window layout tools follow the main window's moves and sizes.
  if (watched == window_ && event->type() == QEvent::Move) {
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("changeMainWindow"));
  } else if (watched == window_ && event->type() == QEvent::Resize) {
    auto& center = pravella::NotificationCenter::defaultCenter();
    center.post(QStringLiteral("changeWebSheetSize"));  // the size about to be taken
    center.post(QStringLiteral("changeMainWindow"));
    center.post(QStringLiteral("changeWebSheetSize"));
  }
  if (watched == window_ && event->type() == QEvent::Close) {
    if (!terminating_ && !windowShouldClose()) {
      event->ignore();
      return true;
    }
    windowWillClose();
  }
  return QObject::eventFilter(watched, event);
}
