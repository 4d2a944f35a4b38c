#include "tools/text/ui/cal_index.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

#include "diary/diary_globals.h"
#include "diary/program_settings.h"
#include "editors/memo_format.h"
#include "editors/paragraph_indent.h"
#include "editors/ui/temporary_highlights.h"
#include "platform/atomic_file.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "tools/text/find_replace.h"

namespace {

QString indexCharFile() { return pravella::paths::preferences() + QStringLiteral("/indexChar.dat"); }

QColor tableColour(int which) {
  const TableColors12 c = indexTableColor();
  return QColor::fromRgbF(c[static_cast<std::size_t>(which * 3)], c[static_cast<std::size_t>(which * 3 + 1)],
                          c[static_cast<std::size_t>(which * 3 + 2)]);
}

}  // namespace

CalIndex::CalIndex(QTextEdit* documentField, Host host, QObject* parent)
    : QObject(parent), documentField_(documentField), host_(std::move(host)) {
  drawer_ = new QDockWidget(tr("Outline"));
  drawer_->setObjectName(QStringLiteral("docIndexDrawer"));
  auto* content = new QWidget(drawer_);
  table_ = new pravella::IndexTable(this, content);
  table_->setObjectName(QStringLiteral("docIndexField"));
  indexCharField_ = new QLineEdit(content);
  indexCharField_->setObjectName(QStringLiteral("indexCharField"));
  allLineSwitch_ = new QCheckBox(tr("All lines"), content);
  emphasisSwitch_ = new QCheckBox(tr("Tint"), content);
  auto* rebuild = new QPushButton(tr("Rebuild"), content);
  auto* close = new QPushButton(tr("Close"), content);
  auto* controls = new QHBoxLayout;
  controls->addWidget(indexCharField_, 1);
  controls->addWidget(allLineSwitch_);
  controls->addWidget(emphasisSwitch_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(rebuild);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(content);
  layout->addWidget(table_, 1);
  layout->addLayout(controls);
  layout->addLayout(buttons);
  drawer_->setWidget(content);
  connect(rebuild, &QPushButton::clicked, this, [this] { reIndexAction(); });
  connect(close, &QPushButton::clicked, this, [this] { closeIndexAction(); });
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { selectIndexTable(); });
}

CalIndex::~CalIndex() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  delete drawer_;
}

QTableWidget* CalIndex::docIndexField() const { return table_; }

void CalIndex::awakeFromNib() {
  indexCharField_->setText(pravella::memo_format::indexCharacters());
  if (!QFile::exists(indexCharFile()))
    pravella::writeFileAtomically(indexCharFile(), indexCharField_->text().toUtf8());
  indexCharString_ = indexCharField_->text();
  changeTableViewFontColor_ = 0;
  rows_.clear();
  if (host_.addSideView) host_.addSideView(drawer_);

  auto& center = pravella::NotificationCenter::defaultCenter();
  using pravella::Notification;
  center.addObserver(QStringLiteral("jumpToIndexAction"), this, [this](Notification&) { jumpToIndexAction(); });
  center.addObserver(QStringLiteral("cal_closeIndexSheet"), this, [this](Notification&) { closeIndexSheet(); });
  center.addObserver(QStringLiteral("cal_openIndexSheet"), this, [this](Notification&) { showIndexAction(); });
  center.addObserver(QStringLiteral("cal_changeIndexTableForeColor"), this,
                     [this](Notification& n) { changeTableFontForeColor(n.text.trimmed().toLong()); });
  center.addObserver(QStringLiteral("cal_toggleIndexTableForeColor"), this,
                     [this](Notification&) { toggleTableFontForeColor(); });
  // The calendar's rebuild request counts only while the drawer shows.
  center.addObserver(QStringLiteral("showIndexAction"), this, [this](Notification&) {
    if (drawer_->isVisible()) showIndexAction();
  });
}

void CalIndex::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

void CalIndex::posted(const char* name) { pravella::NotificationCenter::defaultCenter().post(QString::fromLatin1(name)); }

void CalIndex::showIndexAction() {
  if (allLineSwitch_->isChecked()) return allLineAction();
  showIndexAction_B();
}

void CalIndex::showIndexAction_B() { build(false, false); }
void CalIndex::allLineAction() { build(true, false); }
void CalIndex::reIndexAction() { build(false, true); }

void CalIndex::build(bool allLines, bool quiet) {
  if (!documentField_) return;
  QTextDocument* doc = documentField_->document();
  if (!quiet && host_.selectCellSelectedDay) host_.selectCellSelectedDay();
  if (SheetCanOpen.load() == 0) return;
  // Looking at the outline changes nothing in the memo: a last line without its line end
  // gets one only when a section is moved or copied.
  const QString text = pravella::findtext::documentText(*doc);
  if (text.size() <= 1) return;
  if (!quiet && host_.closeAllToggleView) host_.closeAllToggleView();
  rows_ = pravella::outline::build(*doc, indexCharField_->text(), allLines);
  reloadTable();
  table_->clearSelection();
  if (table_->rowCount() > 0) table_->scrollToItem(table_->item(0, 0));
  drawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
  if (quiet) sound("Tink");
}

void CalIndex::reloadTable() {
  const QSignalBlocker block(table_);
  table_->setRowCount(static_cast<int>(rows_.size()));
  const bool coloured = changeTableViewFontColor_ == 1 || changeTableViewFontColor_ == 3;
  const bool striped = changeTableViewFontColor_ == 2 || changeTableViewFontColor_ == 3;
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
    const pravella::outline::Row& row = rows_[static_cast<std::size_t>(r)];
    auto* pos = new QTableWidgetItem(QString::number(row.line));
    auto* index = new QTableWidgetItem(pravella::outline::displayText(row, indentNumber));
    for (QTableWidgetItem* item : {pos, index}) {
      item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
      if (coloured) item->setForeground(tableColour(r % 2 == 0 ? 0 : 1));
      if (striped) item->setBackground(tableColour(r % 2 == 1 ? 2 : 3));
    }
    if (coloured) pos->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table_->setItem(r, 0, pos);
    table_->setItem(r, 1, index);
  }
}

void CalIndex::selectRow(int row) {
  if (row < 0 || row >= table_->rowCount()) return;
  table_->clearSelection();
  table_->selectRow(row);
  table_->scrollToItem(table_->item(row, 0));
}

void CalIndex::selectIndexTable() {
  if (selecting_ || !documentField_) return;
  pravella::clearTemporaryHighlights(documentField_);
  const QModelIndexList selected = table_->selectionModel()->selectedRows();
  if (selected.isEmpty()) return;
  int first = table_->rowCount(), last = -1;
  for (const QModelIndex& i : selected) {
    first = std::min(first, i.row());
    last = std::max(last, i.row());
  }
  // The selection widens to whole sections.
  const int end = pravella::outline::sectionEnd(rows_, last, indentNumber);
  selecting_ = true;
  table_->setRangeSelected(QTableWidgetSelectionRange(first, 0, end - 1, table_->columnCount() - 1), true);
  selecting_ = false;
  jumpToIndexAction();
}

void CalIndex::jumpToIndexAction() {
  if (!documentField_) return;
  const QModelIndexList selected = table_->selectionModel()->selectedRows();
  pravella::clearTemporaryHighlights(documentField_);
  if (selected.isEmpty() || rows_.empty()) return;
  int first = table_->rowCount(), last = -1;
  for (const QModelIndex& i : selected) {
    first = std::min(first, i.row());
    last = std::max(last, i.row());
  }
  const int length = documentField_->document()->characterCount() - 1;
  const int start = std::min(rows_[static_cast<std::size_t>(first)].start, length);
  const int end = std::min(pravella::outline::sectionEndPosition(rows_, last, length), length);
  if (emphasisSwitch_->isChecked()) {
    QTextCursor range(documentField_->document());
    range.setPosition(start);
    range.setPosition(end, QTextCursor::KeepAnchor);
    pravella::addTemporaryHighlights(documentField_, {range}, QColor::fromRgbF(1.0f, 0.95f, 0.8f));
  }
  QTextCursor caret(documentField_->document());
  caret.setPosition(start);
  documentField_->setTextCursor(caret);
  documentField_->ensureCursorVisible();
}

void CalIndex::duplicateIndex() {
  if (!documentField_) return;
  const QModelIndexList selected = table_->selectionModel()->selectedRows();
  if (selected.isEmpty()) return;
  const int k = selected.first().row();
  if (!pravella::outline::duplicateSection(*documentField_->document(), rows_, k)) return;
  showIndexAction();
  selectRow(k);
  jumpToIndexAction();
  documentField_->setFocus();
}

bool CalIndex::acceptDrop(const QMimeData* data, int row) {
  if (!data || !data->hasFormat(QString::fromLatin1(kPboardType))) {
    posted("showNumOfTextSize");
    return true;
  }
  const QModelIndexList selected = table_->selectionModel()->selectedRows();
  int first = table_->rowCount(), last = -1;
  for (const QModelIndex& i : selected) {
    first = std::min(first, i.row());
    last = std::max(last, i.row());
  }
  const int dragged = QString::fromLatin1(data->data(QString::fromLatin1(kPboardType))).toInt();
  const auto refuse = [this] {
    sound("Basso");
    jumpToIndexAction();
    posted("showNumOfTextSize");
    return false;
  };
  if (selected.isEmpty() || first != dragged || !documentField_) return refuse();
  if (row < 0 || row > table_->rowCount()) row = table_->rowCount();
  if (first == row) {
    posted("showNumOfTextSize");
    return true;
  }
  if (!pravella::outline::moveSection(*documentField_->document(), rows_, first, last, row)) return refuse();
  showIndexAction();
  selectRow(first < row ? row - 1 : row);
  jumpToIndexAction();
  posted("showNumOfTextSize");
  return true;
}

void CalIndex::editIndexCharAction() {
  pravella::writeFileAtomically(indexCharFile(), indexCharField_->text().toUtf8());
  showIndexAction_B();
}

void CalIndex::closeIndexAction() {
  if (indexCharField_->text() != indexCharString_) {
    editIndexCharAction();
    indexCharString_ = indexCharField_->text();
  }
  if (host_.closeAllToggleView) host_.closeAllToggleView();
}

void CalIndex::closeIndexSheet() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
}

void CalIndex::indexListUp() {
  const int count = table_->rowCount();
  if (count == 0) return;
  const int row = table_->currentRow() - 1;
  selectRow(row < 0 ? count - 1 : row);
}

void CalIndex::indexListDown() {
  const int count = table_->rowCount();
  if (count == 0) return;
  const int row = table_->currentRow() + 1;
  selectRow(row >= count ? 0 : row);
}

void CalIndex::changeTableFontForeColor(long mode) {
  // Taken unsigned: a negative mode is out of range too.
  changeTableViewFontColor_ = static_cast<unsigned long>(mode) > 3 ? 0 : static_cast<int>(mode);
  reloadTable();
}

void CalIndex::toggleTableFontForeColor() {
  changeTableViewFontColor_ = changeTableViewFontColor_ >= 3 ? 0 : changeTableViewFontColor_ + 1;
  reloadTable();
}

namespace pravella {

IndexTable::IndexTable(CalIndex* controller, QWidget* parent) : QTableWidget(parent), controller_(controller) {
  setColumnCount(2);
  setHorizontalHeaderLabels({QStringLiteral("Pos"), QStringLiteral("Index")});
  horizontalHeader()->setStretchLastSection(true);
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
}

QStringList IndexTable::mimeTypes() const {
  return {QString::fromLatin1(CalIndex::kPboardType), QStringLiteral("text/plain"), QStringLiteral("text/uri-list")};
}

QMimeData* IndexTable::mimeData(const QList<QTableWidgetItem*>& items) const {
  if (items.isEmpty()) return nullptr;
  int row = items.first()->row();
  for (const QTableWidgetItem* i : items) row = std::min(row, i->row());
  const auto& rows = controller_->rows();
  if (row < 0 || row >= static_cast<int>(rows.size())) return nullptr;
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(CalIndex::kPboardType), QByteArray::number(row));
  // Dropped into a text, the row becomes a bracketed reference to its heading.
  data->setText(QStringLiteral(" [") + rows[static_cast<std::size_t>(row)].text + QStringLiteral("] "));
  return data;
}

bool IndexTable::dropMimeData(int row, int, const QMimeData* data, Qt::DropAction) {
  // Drops of other kinds (a text, file names): the section drop is dropEvent's.
  return controller_->acceptDrop(data, row);
}

int IndexTable::dropRow(const QPoint& at) const {
  const int row = rowAt(at.y());
  if (row < 0) return rowCount();
  // The lower edge of a row, where the indicator shows a drop below it, is the next row's place.
  const QRect rect = visualRect(model()->index(row, 0));
  const int margin = std::clamp(qRound(rect.height() / 5.5), 2, 12);
  return rect.bottom() - at.y() < margin ? row + 1 : row;
}

void IndexTable::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasFormat(QString::fromLatin1(CalIndex::kPboardType))) {
    QTableWidget::dropEvent(event);
    return;
  }
  // A dragged row moves its section in the document, above the row it is dropped on, and the
  // table is rebuilt from the document. Left to Qt, a drop from this table would move the
  // cells themselves and never reach the document.
  controller_->acceptDrop(event->mimeData(), dropRow(event->position().toPoint()));
  // Taken as a copy: a move would have the drag's end remove the dragged rows from the new table.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  stopAutoScroll();
  setState(NoState);
  viewport()->update();
}

void IndexTable::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up && event->modifiers() == Qt::NoModifier) return controller_->indexListUp();
  if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier) return controller_->indexListDown();
  if (event->key() == Qt::Key_D && event->modifiers() == Qt::AltModifier) return controller_->duplicateIndex();
  QTableWidget::keyPressEvent(event);
}

}  // namespace pravella
