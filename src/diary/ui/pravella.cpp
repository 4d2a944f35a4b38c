#include "diary/ui/pravella.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QUrl>

#include <algorithm>
#include <cmath>

#include "diary/day_documents.h"
#include "diary/diary_globals.h"
#include "diary/memo_search_text.h"
#include "diary/month_list_requests.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/edit_journal.h"
#include "editors/open_documents.h"
#include "editors/ui/document_save.h"
#include "editors/ui/main_text_view.h"
#include "editors/web_launch.h"
#include "lang/builtins/command_bridge.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/progress_bar.h"
#include "platform/ui/sound_player.h"

Pravella* Pravella_X = nullptr;

namespace {

// The bar holds integers; the shared indicator's range is any pair of doubles.
constexpr int kBarSteps = 10000;

int intValue(const QString& text) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  if (ok) return n;
  const double d = text.trimmed().toDouble(&ok);
  return ok && std::isfinite(d) && std::abs(d) < 1e9 ? static_cast<int>(d) : 0;
}

}  // namespace

Pravella::Pravella(Calcndar* calcndar, pravella::MainWindow* window, QObject* parent)
    : QObject(parent), calcndar_(calcndar), window_(window) {
  playSound_ = [](const char* name) { pravella::playSound(QString::fromLatin1(name)); };
  tickClock_ = [timer = std::make_shared<QElapsedTimer>()] {
    if (!timer->isValid()) timer->start();
    return static_cast<quint64>(timer->elapsed() * 60 / 1000);
  };
  launchURL_ = [](const QString& text) { pravella::webLaunchURL(text.toUtf8().toStdString()); };
  clock_ = [] { return QDateTime::currentDateTime(); };
  pravella::DocumentSlot::Hooks hooks;
  hooks.edited = [this] { return drawer_ && drawer_->durtyButton()->isChecked(); };
  hooks.reload = [this] { reloadSubTextView(); };
  hooks.changedElsewhere = [this] { pravella::markChangedElsewhere(subTextView(), nowDisplayedDocPath_); };
  hooks.follow = [this](const QString& path) { nowDisplayedDocPath_ = path; };
  hooks.trashed = [this] { letGoOfTrashedDocument(); };
  rowSlot_ = std::make_unique<pravella::DocumentSlot>(std::move(hooks));
  opener_ = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
}

Pravella::~Pravella() {
  query_.reset();  // joins the scan before the controller goes
  if (Pravella_X == this) Pravella_X = nullptr;
}

void Pravella::awakeFromNib() {
  drawer_ = new pravella::MonthDiaryDrawer(window_);
  calcndar_->addSideView(drawer_);
  rowJournal_ = std::make_unique<pravella::EditJournal>(subTextView()->document(), *rowSlot_, nullptr);
  // Its close button saves the row memo view as every other way of closing it does.
  pravella::saveBeforeClosing(drawer_, this, [this] { return saveDocAction(); });
  query_ = std::make_unique<pravella::MemoScanner>(
      this, [this](const pravella::MemoSearchBatch& b) { updateData(b); }, [this] { queryDone(); });

  connect(drawer_->searchButton(), &QPushButton::clicked, this, [this] { goSearchAction(); });
  connect(drawer_->searchTextField()->lineEdit(), &QLineEdit::returnPressed, this, [this] { goSearchAction(); });
  connect(drawer_->oneMonthButton(), &QRadioButton::clicked, this, [this] { oneMonthAction(); });
  connect(drawer_->twoMonthButton(), &QRadioButton::clicked, this, [this] { twoMonthAction(); });
  connect(drawer_->allMemoButton(), &QRadioButton::clicked, this, [this] { findAllMemoAction(); });
  connect(drawer_->searchCategoryButton(), &QButtonGroup::idClicked, this, [this](int tag) { categoryAction(tag); });

  if (QMenu* view = window_->findChild<QMenu*>(QStringLiteral("viewMenu"))) {
    auto* show = view->addAction(tr("Month &Diary"));
    show->setObjectName(QStringLiteral("showMonthDiaryAction"));
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    connect(show, &QAction::triggered, this, [this] { showMonthDiaryAction(); });
  }

  searchIsRunning_ = false;
  nowSearchMode_ = 1;
  spotlightStatus_ = 1;
  setScopeButtons(false, false, true);
  wireRowMemoView();
  registerObservers();
  Pravella_X = this;
}

// ---------------------------------------------------------------- small helpers

void Pravella::sound(const char* name) {
  if (pvSoundStatus != 0 && playSound_) playSound_(name);
}

void Pravella::nowSearchingAlert() {
  sound("Basso");
  const QString title = QStringLiteral("Now Searching !");
  const QString message = QStringLiteral("Sorry, I can not accept your request");
  if (alertPanel_) {
    alertPanel_(title, message, {QStringLiteral("Ok")});
    return;
  }
  QMessageBox::warning(window_, title, message);
}

QString Pravella::searchText() const { return drawer_->searchTextField()->currentText(); }

void Pravella::setSearchText(const QString& text) {
  drawer_->searchTextField()->setEditText(text);
  drawer_->searchTextField()->repaint();
}

void Pravella::setScopeButtons(bool one, bool two, bool all) {
  drawer_->oneMonthButton()->setChecked(one);
  drawer_->twoMonthButton()->setChecked(two);
  drawer_->allMemoButton()->setChecked(all);
}

bool Pravella::oneMonth() const { return drawer_->oneMonthButton()->isChecked(); }
bool Pravella::twoMonth() const { return drawer_->twoMonthButton()->isChecked(); }
bool Pravella::allMemo() const { return drawer_->allMemoButton()->isChecked(); }

bool Pravella::drawerIsOpen() const { return drawer_->isVisible(); }

void Pravella::openDrawer() {
  calcndar_->closeAllToggleView();
  drawer_->show();
  calcndar_->setToggleStatus(kToggleStatus);
}

QTextEdit* Pravella::focusedTextView() const {
  QWidget* focus = QApplication::focusWidget();
  if (!focus) return nullptr;
  if (focus == window_->documentView()) return window_->documentView();
  if (calcndar_->memoSheet() && focus == calcndar_->memoSheet()->toggleMemoField())
    return calcndar_->memoSheet()->toggleMemoField();
  return nullptr;
}

void Pravella::takeMainMemoSelection() {
  QTextEdit* memo = window_->documentView();
  QTextCursor c = memo->textCursor();
  if (!c.hasSelection()) return;
  setSearchText(c.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char(' ')));
  c.setPosition(c.selectionStart());
  memo->setTextCursor(c);
}

void Pravella::showHitMemoNumber() {
  drawer_->numOfFilesField()->setText(QString::number(static_cast<int>(tableArray_.size())));
}

void Pravella::reloadTable() {
  QTableWidget* table = drawer_->monthDiaryField();
  table->setRowCount(static_cast<int>(tableArray_.size()));
  for (int row = 0; row < static_cast<int>(tableArray_.size()); ++row) {
    const pravella::MonthListEntry& e = tableArray_[static_cast<size_t>(row)];
    // A manual row has no day to show, and a package is shown by its name alone.
    const QString day = pravella::leadingInteger(e.day.section(QLatin1Char('/'), 0, 0)) > 0 ? e.day : QString();
    const QString name = pravella::documentDisplayName(e.diaryFiles.section(QLatin1Char('/'), -1));
    for (int column = 0; column < 2; ++column) {
      QTableWidgetItem* item = table->item(row, column);
      if (!item) {
        item = new QTableWidgetItem;
        table->setItem(row, column, item);
      }
      item->setText(column == 0 ? day : name);
    }
    colourRow(row);
  }
  table->viewport()->update();
}

void Pravella::finishListing() {
  drawer_->monthDiaryField()->clearSelection();
  reloadTable();
  drawer_->spinningIndicator()->hide();
  showHitMemoNumber();
  drawer_->monthDiaryField()->scrollToTop();
  drawer_->searchProcessIndicator()->setValue(0);
  indicatorValue_ = 0;
}

// ---------------------------------------------------------------- opening the drawer

void Pravella::showMonthDiaryAction(const QString& posted) {
  QTextEdit* view = focusedTextView();
  setScopeButtons(false, false, true);
  // A view the drawer cannot see into (a link in the finder's text, the web sheet's memo)
  // posts the text to search for.
  if (!posted.isEmpty()) {
    searchWithTextView(nullptr, QString(posted).replace(QChar::ParagraphSeparator, QLatin1Char(' ')));
    return;
  }
  if (!view) {
    if (SheetCanOpen.load() == 0) return;
    if (!drawerIsOpen()) {
      openDrawer();
      showHitMemoNumber();
    } else {
      calcndar_->closeAllToggleView();
    }
    return;
  }
  searchWithTextView(view, view->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char(' ')));
}

void Pravella::searchWithTextView(QTextEdit*, const QString& selected) {
  const QString path = calcndar_->nowDisplayedDocument();
  if (SheetCanOpen.load() == 0) return;
  if (selected.isEmpty() && drawerIsOpen()) {
    calcndar_->closeAllToggleView();
    return;
  }
  openDrawer();
  showHitMemoNumber();
  if (selected.isEmpty()) return;
  tableArray_.clear();
  setSearchText(selected);
  goSearchAction();
  // The shown document's row is selected as soon as the search lists it.
  pendingSelection_ = path;
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("selectDocumentListOnMonthTable"), path);
  applyPendingSelection();
}

void Pravella::DoSearchMemoInSearchSheet(const QString& text) {
  if (text.isNull()) return;
  searchWithTextView(nullptr, text);
}

void Pravella::findMemoDatabaseToMonthSheet(const QString& text) { searchWithTextView(nullptr, text); }

void Pravella::openMonthSheet() {
  if (!drawerIsOpen()) showMonthDiaryAction();
}

void Pravella::closeMonthSheet() {
  stopQuery();
  calcndar_->closeAllToggleView();
}

void Pravella::DoSpotlightSearch(const QString& text, bool) {
  if (!drawerIsOpen()) showMonthDiaryAction();
  setSearchText(text);
  setScopeButtons(false, false, true);
  goSearchAction();
}

// ---------------------------------------------------------------- searches

void Pravella::goSearchAction() {
  stopQuery();
  if (searchIsRunning_) {
    nowSearchingAlert();
    return;
  }
  if (oneMonth() || twoMonth()) {
    searchThisMonthAction();
    return;
  }
  const QString text = searchText();
  if (!pravella::hasSearchText(text)) {
    sound("Basso");
    return;
  }
  startSearch(pravella::allMemoScopes(drawer_->manualSWbutton()->isChecked()), text);
  sound("Tink");
  addStringToSearchList(text);
}

void Pravella::searchThisMonthAction() {
  takeMainMemoSelection();
  const QString text = searchText();
  if (text.isEmpty()) spotlightStatus_ = 0;
  if (spotlightStatus_ == 1) {
    drawer_->allMemoButton()->setChecked(false);
    stopQuery();
    if (searchIsRunning_) {
      nowSearchingAlert();
      return;
    }
    if (!pravella::hasSearchText(text)) {
      sound("Basso");
      return;
    }
    if (oneMonth() || twoMonth()) {
      const QDate day = calcndar_->selectedDay();
      QStringList scopes{pravella::monthFolder(day.year(), day.month())};
      if (twoMonth()) {
        int y = day.year(), m = day.month();
        pravella::previousMonth(y, m);
        scopes << pravella::monthFolder(y, m);
      }
      startSearch(scopes, text);
    }
    sound("Tink");
    return;
  }
  if (allMemo()) setScopeButtons(true, false, false);
  tableArray_.clear();
  showHitMemoNumber();
  reloadTable();
  goSearchAction_X();
  nowSearchMode_ = 1;
  if (twoMonth()) goSearchAction_beforeMonth();
  sound("Tink");
  spotlightStatus_ = 1;
}

void Pravella::walkMonth(int year, int month) {
  calcndar_->setToggleStatus(kToggleStatus);
  searchIsRunning_ = true;
  QProgressBar* bar = drawer_->searchProcessIndicator();
  bar->setRange(0, pravella::daysOfMonth(year, month));
  drawer_->nowSearchFileNameField()->clear();
  const pravella::MonthList rows = pravella::walkMonthFolders(year, month, searchText());
  tableArray_.insert(tableArray_.end(), rows.rbegin(), rows.rend());
  finishListing();
  drawer_->nowSearchFileNameField()->clear();
  sound("Purr");
  searchIsRunning_ = false;
}

void Pravella::goSearchAction_X() {
  const QDate day = calcndar_->selectedDay();
  walkMonth(day.year(), day.month());
}

void Pravella::goSearchAction_beforeMonth() {
  const QDate day = calcndar_->selectedDay();
  int y = day.year(), m = day.month();
  pravella::previousMonth(y, m);
  walkMonth(y, m);
}

void Pravella::goAllSearchAction() {
  takeMainMemoSelection();
  setScopeButtons(false, false, true);
  if (spotlightStatus_ == 1) {
    goSearchAction();
    return;
  }
  const QString text = searchText();
  if (!text.isEmpty())
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("findAllMemoDatabase_X"), text);
}

void Pravella::oneMonthAction() {
  setScopeButtons(true, false, false);
  searchThisMonthAction();
}

void Pravella::twoMonthAction() {
  setScopeButtons(false, true, false);
  searchThisMonthAction();
}

void Pravella::findAllMemoAction() {
  setScopeButtons(false, false, true);
  goAllSearchAction();
}

void Pravella::goSearchWithString(const QString& text) {
  if (SheetCanOpen.load() == 0) return;
  stopQuery();
  if (searchIsRunning_) {
    nowSearchingAlert();
    return;
  }
  openDrawer();
  setSearchText(text);
  if (!pravella::hasSearchText(text)) {
    sound("Basso");
  } else {
    const QDate day = calcndar_->selectedDay();
    startSearch({pravella::monthFolder(day.year(), day.month())}, text);
    sound("Tink");
  }
  nowSearchMode_ = 1;
}

void Pravella::startSearch(const QStringList& scopes, const QString& text) {
  const QStringList words = pravella::searchWords(text);
  if (words.isEmpty()) {
    sound("Basso");
    return;
  }
  stopQuery();
  tableArray_.clear();
  showHitMemoNumber();
  reloadTable();
  const auto kind = drawer_->searchFileNamebutton()->isChecked() ? pravella::MemoSearchKind::Name
                                                                  : pravella::MemoSearchKind::Content;
  if (!query_->start(scopes, words, kind)) return;
  drawer_->spinningIndicator()->show();
}

bool Pravella::queryIsRunning() const { return query_ && query_->isRunning(); }

void Pravella::stopQuery() {
  if (!query_ || !query_->isRunning()) return;
  query_->stop();
  drawer_->spinningIndicator()->hide();
}

void Pravella::updateData(const pravella::MemoSearchBatch& batch) {
  tableArray_.insert(tableArray_.end(), batch.rows.begin(), batch.rows.end());
  drawer_->nowSearchFileNameField()->setText(batch.lastLookedAt);
  showHitMemoNumber();
  reloadTable();
  applyPendingSelection();
}

void Pravella::queryDone() {
  sound("Purr");
  drawer_->spinningIndicator()->hide();
  drawer_->nowSearchFileNameField()->clear();
  showHitMemoNumber();
  reloadTable();
  applyPendingSelection();
  pendingSelection_.clear();
}

void Pravella::selectDocumentListOnMonthTable(const QString& path) {
  QTableWidget* table = drawer_->monthDiaryField();
  const QStringList parts = path.split(QLatin1Char('/'));
  const qsizetype n = parts.size();
  if (n < 5) return;
  const long long y = pravella::leadingInteger(parts[n - 4]);
  const long long m = pravella::leadingInteger(parts[n - 3]);
  const long long d = pravella::leadingInteger(parts[n - 2]);
  for (int row = 0; row < static_cast<int>(tableArray_.size()); ++row) {
    const pravella::MonthListEntry& e = tableArray_[static_cast<size_t>(row)];
    const QStringList day = e.day.split(QLatin1Char('/'));
    if (day.size() != 3 || e.diaryFiles != parts[n - 1]) continue;
    if (pravella::leadingInteger(day[0]) == y && pravella::leadingInteger(day[1]) == m &&
        pravella::leadingInteger(day[2]) == d) {
      table->selectRow(row);
      table->scrollToItem(table->item(row, 0));
      return;
    }
  }
  table->clearSelection();
}

void Pravella::applyPendingSelection() {
  if (pendingSelection_.isEmpty()) return;
  QTableWidget* table = drawer_->monthDiaryField();
  selectDocumentListOnMonthTable(pendingSelection_);
  if (!table->selectionModel()->selectedRows().isEmpty()) pendingSelection_.clear();
}

// ---------------------------------------------------------------- categories and database hits

void Pravella::categoryAction(int tag) {
  QAbstractButton* cell = drawer_->searchCategoryButton()->button(tag);
  const QString title = cell ? cell->text() : QString();
  setSearchText(title);
  if (!oneMonth() && !twoMonth()) drawer_->twoMonthButton()->setChecked(true);
  drawer_->allMemoButton()->setChecked(false);
  stopQuery();
  spotlightStatus_ = 0;
  if (nowSearchMode_ == 0) {
    tableArray_ = pravella::filterByCategory(tmpRows_, title);
    finishListing();
    drawer_->monthDiaryField()->repaint();
    if (playSound_) playSound_("Pop");  // whatever the sound switch
  } else if (calcndar_->toggleStatus() == 13) {
    goAllSearchAction();
  } else {
    goSearchAction();
  }
  spotlightStatus_ = 1;
}

void Pravella::resultFromTextViewSearch(const QString& text, const QStringList& paths) {
  if (SheetCanOpen.load() == 0) return;
  stopQuery();
  tmpRows_ = pravella::entriesFromDatabaseHits(paths);
  tableArray_.assign(tmpRows_.rbegin(), tmpRows_.rend());
  openDrawer();
  setSearchText(text);
  drawer_->nowSearchFileNameField()->clear();
  finishListing();
  drawer_->monthDiaryField()->repaint();
  nowSearchMode_ = 0;
}

// ---------------------------------------------------------------- what programs ask

void Pravella::cal_setSearchCellTitle(const QString& payload) {
  const int tab = static_cast<int>(payload.indexOf(QLatin1Char('\t')));
  if (tab < 0) return;
  const int n = intValue(payload.left(tab));
  if (n < 1 || n > pravella::MonthDiaryDrawer::kCategoryCells) return;
  if (QAbstractButton* cell = drawer_->searchCategoryButton()->button(n - 1)) cell->setText(payload.mid(tab + 1));
}

void Pravella::setFindStringForMonthList(const QString& text) { setSearchText(text); }

QString Pravella::getFindStringForMonthList() const { return searchText(); }

QString Pravella::getMonthList() const { return pravella::monthListText(tableArray_); }

void Pravella::addStringToSearchList(const QString& text) {
  pravella::addStringToSearchList(searchList_, text);
  QComboBox* field = drawer_->searchTextField();
  const QString shown = field->currentText();
  field->clear();
  field->addItems(searchList_);
  field->setEditText(shown);
}

void Pravella::showProcessIndicator(const QString& payload) {
  const QStringList f = payload.split(QLatin1Char('\t'));
  if (f.size() < 2) return;
  indicatorMin_ = f[0].toDouble();
  indicatorMax_ = f[1].toDouble();
  if (f.size() >= 3) indicatorValue_ = f[2].toDouble();
  QProgressBar* bar = drawer_->searchProcessIndicator();
  const double span = indicatorMax_ - indicatorMin_;
  const double share = span > 0 && std::isfinite(span) ? (indicatorValue_ - indicatorMin_) / span : 0.0;
  bar->setRange(0, kBarSteps);
  bar->setValue(static_cast<int>(std::clamp(share, 0.0, 1.0) * kBarSteps));
  bar->repaint();  // at once: the work that reports it keeps the event loop from drawing
}

void Pravella::registerObservers() {
  using pravella::Notification;
  auto& center = pravella::NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void(Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  on("goSearchWithString", [this](Notification& n) { goSearchWithString(n.text); });
  on("resultFromTextViewSearch", [this](Notification& n) {
    // The search text, then the paths of the hits.
    QStringList paths = n.strings;
    const QString text = paths.isEmpty() ? n.text : paths.takeFirst();
    resultFromTextViewSearch(text, paths);
  });
  on("findAllMemoDatabase", [this](Notification& n) { findMemoDatabaseToMonthSheet(n.text); });
  on(pravella::kDoSpotlightSearch, [this](Notification& n) {
    DoSpotlightSearch(n.text, n.strings.value(0) == QLatin1String("1"));
  });
  on("cal_setSearchCellTitle", [this](Notification& n) { cal_setSearchCellTitle(n.text); });
  on("cal_openMonthListSheet", [this](Notification&) { openMonthSheet(); });
  on("cal_closeMonthListSheet", [this](Notification&) { closeMonthSheet(); });
  on("cal_toggleMonthListSheet", [this](Notification& n) { showMonthDiaryAction(n.text); });
  on("cal_setFindStringForMonthList", [this](Notification& n) { setFindStringForMonthList(n.text); });
  on("cal_getFindStringForMonthList", [this](Notification&) { pravella::answerString(getFindStringForMonthList()); });
  on("cal_goSearchMonth", [this](Notification&) { goSearchAction(); });
  on("cal_goSearchAllMonth", [this](Notification&) { goAllSearchAction(); });
  on("cal_searchKindStateForMonthList", [](Notification&) {});
  on("cal_getMonthList", [this](Notification&) { pravella::answerString(getMonthList()); });
  on(kProcessIndicator, [this](Notification& n) { showProcessIndicator(n.text); });
  on("cal_changeMonthTableForeColor", [this](Notification& n) { changeTableFontForeColor(n.text); });
  on("cal_toggleMonthTableForeColor", [this](Notification&) { toggleTableFontForeColor(); });
  on("selectMonthDiaryAction", [this](Notification&) { selectMonthDiaryAction(); });
  on("selectDocumentListOnMonthTable", [this](Notification& n) { selectDocumentListOnMonthTable(n.text); });
}
