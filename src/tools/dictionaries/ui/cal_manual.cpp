#include "tools/dictionaries/ui/cal_manual.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "diary/diary_globals.h"
#include "editors/memo_format.h"
#include "editors/text_services.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/rich_text_file.h"

using pravella::NotificationCenter;
namespace manual = pravella::manual;

namespace {

QString postName(const char* name) { return QString::fromLatin1(name); }

}  // namespace

getKeyOnManualTable::getKeyOnManualTable(QWidget* parent) : QTableWidget(0, 1, parent) {
  auto timer = std::make_shared<QElapsedTimer>();
  timer->start();
  clock_ = [timer] { return timer->elapsed(); };
  NotificationCenter::defaultCenter().addObserver(QStringLiteral("clearManualKeyFindString"), this,
                                                  [this](pravella::Notification&) { clearManualKeyFindString(); });
}

getKeyOnManualTable::~getKeyOnManualTable() { NotificationCenter::defaultCenter().removeObservers(this); }

void getKeyOnManualTable::keyPressEvent(QKeyEvent* event) {
  auto& center = NotificationCenter::defaultCenter();
  const qint64 now = clock_();
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      findString_.touch(now);
      center.post(postName("manualEditOpen"));
      return;
    case Qt::Key_Up:
      findString_.touch(now);
      center.post(postName("manualListUp"));
      return;
    case Qt::Key_Down:
      findString_.touch(now);
      center.post(postName("manualListDown"));
      return;
    case Qt::Key_Escape:
      findString_.touch(now);
      findString_.clear();
      return;
    default:
      break;
  }
  const QString text = event->text();
  if (text.isEmpty() || !text.at(0).isPrint()) return;
  center.post(postName("searchManual"), findString_.type(text.at(0), now));
}

CalManual::CalManual(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {
  drawer_ = new QDockWidget(QStringLiteral("Manual"));
  drawer_->setObjectName(QStringLiteral("manualDrawer"));
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);

  auto* cells = new QGridLayout;
  categorySW_ = new QButtonGroup(this);
  categorySW_->setExclusive(true);
  const char* titles[manual::kCategories] = {"Introduction", "Language", "Functions", "Applications", "Other", "cal_"};
  for (int tag = 0; tag < manual::kCategories; ++tag) {
    auto* cell = new QToolButton;
    cell->setText(QString::fromLatin1(titles[tag]));
    cell->setCheckable(true);
    categorySW_->addButton(cell, tag);
    cells->addWidget(cell, tag / 3, tag % 3);
    cells_[std::size_t(tag)] = cell;
  }
  cells_[0]->setChecked(true);
  layout->addLayout(cells);

  auto* filterRow = new QHBoxLayout;
  findString_ = new QLineEdit;
  findString_->setPlaceholderText(QStringLiteral("Filter"));
  progress_ = new QProgressBar;
  progress_->setTextVisible(false);
  progress_->setRange(0, 1);
  progress_->setValue(0);
  filterRow->addWidget(findString_, 1);
  filterRow->addWidget(progress_);
  layout->addLayout(filterRow);

  list_ = new getKeyOnManualTable;
  list_->setHorizontalHeaderLabels({QStringLiteral("manual")});
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->verticalHeader()->hide();
  list_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(list_, 1);

  auto* buttons = new QHBoxLayout;
  before_ = new QPushButton(QStringLiteral("<"));
  next_ = new QPushButton(QStringLiteral(">"));
  editSwitch_ = new QCheckBox(QStringLiteral("Edit"));
  buttons->addWidget(before_);
  buttons->addWidget(next_);
  buttons->addStretch(1);
  buttons->addWidget(editSwitch_);
  layout->addLayout(buttons);

  doc_ = new QTextEdit;
  layout->addWidget(doc_, 2);
  drawer_->setWidget(body);
  drawer_->hide();
  editSwitchAction();

  connect(categorySW_, &QButtonGroup::idClicked, this, [this](int) { selectCategoryAction(); });
  connect(findString_, &QLineEdit::returnPressed, this, &CalManual::selectCategoryAction);
  connect(list_, &QTableWidget::cellClicked, this, [this](int, int) { selectManualAction(); });
  connect(before_, &QPushButton::clicked, this, &CalManual::beforeAction);
  connect(next_, &QPushButton::clicked, this, &CalManual::nextAction);
  connect(editSwitch_, &QCheckBox::clicked, this, [this](bool) { editSwitchAction(); });
  connect(doc_, &QTextEdit::textChanged, this, [this] {
    if (!loading_) dirty_ = true;
  });
}

CalManual::~CalManual() {
  NotificationCenter::defaultCenter().removeObservers(this);
  delete drawer_;
}

void CalManual::awakeFromNib() {
  auto& center = NotificationCenter::defaultCenter();
  const auto on = [this, &center](const char* name, std::function<void(pravella::Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  on("cal_openManualSheet", [this](pravella::Notification&) { openManualActionOpen(); });
  on("cal_closeManualSheet", [this](pravella::Notification&) { closeManualSheetAction(); });
  on("cal_toggleManualSheet", [this](pravella::Notification&) { openManualAction(); });
  on("cal_editStateOfManualSheet", [this](pravella::Notification& n) { editState(n.text); });
  on("cal_setFindStringForManualSheet", [this](pravella::Notification& n) { setFindString(n.text); });
  on("optionSearchManual", [this](pravella::Notification& n) { optionSearchManual(n.text); });
  on("searchManual", [this](pravella::Notification& n) { searchManual(n.text); });
  on("manualListUp", [this](pravella::Notification&) { manualListUp(); });
  on("manualListDown", [this](pravella::Notification&) { manualListDown(); });
  on("manualEditOpen", [this](pravella::Notification&) { manualEditOpen(); });
  adjustRireki();
  if (host_.registerTextView) host_.registerTextView(doc_);
  if (host_.addSideView) host_.addSideView(drawer_);
}

void CalManual::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

int CalManual::category() const { return std::max(0, categorySW_->checkedId()); }

void CalManual::selectCategory(int category) {
  if (category >= 0 && category < manual::kCategories) cells_[std::size_t(category)]->setChecked(true);
}

bool CalManual::drawerOpen() const {
  return drawer_->isVisible() && (!host_.toggleStatus || host_.toggleStatus() == kToggleNumber);
}

bool CalManual::saveChangedDocument() {
  if (!dirty_ || nowPath_.isEmpty()) return true;
  const pravella::WriteResult r = manual::saveDocument(nowPath_, *doc_->document());
  if (r) return true;
  showErrMessageToConsole(("Manual: " + nowPath_ + ": " + r.error + u'\n').toStdString());
  sound("Basso");
  return false;
}

void CalManual::openManualAction() {
  if (host_.selectCellSelectedDay) host_.selectCellSelectedDay();
  if (!SheetCanOpen) return;
  saveChangedDocument();
  if (drawerOpen()) {
    closeManualSheetAction();
    return;
  }
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
  findString_->clear();
  if (manualList_.isEmpty()) selectCategoryAction();
  adjustRireki();
}

void CalManual::openManualActionOpen() {
  saveChangedDocument();
  if (!drawerOpen()) openManualAction();
}

void CalManual::closeManualSheetAction() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->hide();
}

void CalManual::getManualFilesList() {
  manualList_ = manual::listDocuments(manual::categoryFolder(category()), findString_->text(),
                                      [this](int index, int last) {
                                        progress_->setRange(0, std::max(last, 0));
                                        progress_->setValue(index);
                                      });
  progress_->setValue(0);
}

void CalManual::reloadTable() {
  list_->setRowCount(int(manualList_.size()));
  for (int row = 0; row < manualList_.size(); ++row)
    list_->setItem(row, 0, new QTableWidgetItem(manual::titleOf(manualList_.at(row))));
}

void CalManual::selectRow(int row) {
  list_->selectRow(row);
  list_->setCurrentCell(row, 0);
}

QString CalManual::selectedPath() const {
  const int row = list_->currentRow();
  if (row < 0 || row >= manualList_.size()) return {};
  return manual::categoryFolder(category()) + u'/' + manualList_.at(row);
}

void CalManual::selectCategoryAction() {
  getManualFilesList();
  reloadTable();
  if (manualList_.isEmpty()) {
    // Edits to the instruction must not land in the last document shown.
    saveChangedDocument();
    loading_ = true;
    pravella::readRichTextFile(manual::instructionDocument(), *doc_->document());
    loading_ = false;
    nowPath_.clear();
    dirty_ = false;
    sound("Basso");
    return;
  }
  sound("Tink");
  const manual::History& history = rireki_.at(std::size_t(category()));
  selectRow(0);
  if (!history.entries().isEmpty() && history.current() >= 0)
    selectManualTitle(history.entries().at(history.current()));
  list_->scrollToItem(list_->item(list_->currentRow(), 0));
  selectManualAction();
}

void CalManual::selectManualTitle(const QString& path) {
  const QString title = manual::titleOf(QFileInfo(path).fileName());
  for (int row = 0; row < manualList_.size(); ++row) {
    if (manual::titleOf(manualList_.at(row)) == title) {
      selectRow(row);
      return;
    }
  }
}

void CalManual::readDocument(const QString& path) {
  loading_ = true;
  if (!pravella::readRichTextFile(path, *doc_->document()))
    showErrMessageToConsole(("Manual: cannot read " + path + u'\n').toStdString());
  loading_ = false;
  nowPath_ = path;
  dirty_ = false;
  editSwitch_->setChecked(false);
  editSwitchAction();
  doc_->moveCursor(QTextCursor::Start);
  doc_->ensureCursorVisible();
}

void CalManual::dispManual() {
  const QString path = selectedPath();
  if (path.isEmpty()) return;
  // A document that could not be written stays shown, so its edits are not lost.
  if (!saveChangedDocument()) return;
  readDocument(path);
}

void CalManual::selectManualAction() {
  const QString path = selectedPath();
  if (path.isEmpty()) return;
  if (!saveChangedDocument()) return;
  readDocument(path);
  rireki_[std::size_t(category())].add(path);
  adjustRireki();
}

void CalManual::adjustRireki() {
  const manual::History& history = rireki_.at(std::size_t(category()));
  before_->setEnabled(history.canGoBack());
  next_->setEnabled(history.canGoForward());
}

void CalManual::stepHistory(int delta) {
  manual::History& history = rireki_[std::size_t(category())];
  const QString path = delta < 0 ? history.back() : history.forward();
  if (path.isEmpty()) return;
  selectManualTitle(path);
  sound("Tink");
  selectManualAction();
}

void CalManual::beforeAction() { stepHistory(-1); }
void CalManual::nextAction() { stepHistory(1); }

void CalManual::editSwitchAction() {
  const bool on = editSwitch_->isChecked();
  QPalette palette = doc_->palette();
  palette.setColor(QPalette::Base, on ? QColor::fromRgbF(1.0f, 1.0f, 0.95f) : QColor(Qt::white));
  doc_->setPalette(palette);
  doc_->setReadOnly(!on);
  saveChangedDocument();
  doc_->viewport()->update();
}

void CalManual::editState(const QString& state) {
  editSwitch_->setChecked(state != QStringLiteral("0"));
  editSwitchAction();
}

void CalManual::setFindString(const QString& filter) {
  findString_->setText(filter);
  selectCategoryAction();
}

void CalManual::searchManual(const QString& typed) {
  if (manualList_.isEmpty()) return;
  const int row = manual::findTitle(manualList_, typed, category());
  if (row < 0) return;
  const int previous = list_->currentRow();
  selectRow(row);
  list_->scrollToItem(list_->item(manual::scrollTarget(row, previous, int(manualList_.size())), 0));
  dispManual();
}

void CalManual::optionSearchManual(const QString& name) {
  openManualActionOpen();
  if (name.startsWith(QStringLiteral("cal_"))) {
    selectCategory(manual::kCalFunctionCategory);
    selectCategoryAction();
    NotificationCenter::defaultCenter().post(postName("searchManual"), name.mid(4));
  } else {
    selectCategory(manual::kFunctionCategory);
    selectCategoryAction();
    searchManual(name);
  }
}

void CalManual::manualListUp() {
  if (manualList_.isEmpty()) return;
  const int row = list_->currentRow();
  selectRow(row <= 0 ? int(manualList_.size()) - 1 : row - 1);
  selectManualAction();
}

void CalManual::manualListDown() {
  if (manualList_.isEmpty()) return;
  const int row = list_->currentRow();
  selectRow(row < 0 || row >= manualList_.size() - 1 ? 0 : row + 1);
  selectManualAction();
}

void CalManual::manualEditOpen() {
  const QString path = selectedPath();
  if (path.isEmpty()) return;
  sound("Tink");
  saveChangedDocument();
  if (host_.open && !host_.open(path)) {
    showErrMessageToConsole(("Manual: cannot open " + path + u'\n').toStdString());
    sound("Basso");
  }
}

void CalManual::pasteStamp(bool withTime) {
  QTextCursor cursor = doc_->textCursor();
  const QColor colour = QColor::fromRgbF(dateFontColor[0], dateFontColor[1], dateFontColor[2]);
  pravella::memo_format::insertDateStamp(cursor, QDateTime::currentDateTime(), withTime, colour);
  doc_->setTextCursor(cursor);
  sound("Tink");
}

void CalManual::pasteDateAction() { pasteStamp(false); }
void CalManual::pasteDateTimeAction() { pasteStamp(true); }
