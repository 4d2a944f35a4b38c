#include "tools/text/ui/cal_sheet_table.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "diary/diary_globals.h"
#include "diary/document_companions.h"
#include "editors/ui/document_save.h"
#include "editors/ui/trashed_document.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/ui/elided_label.h"
#include "tools/bookmarks/document_moves.h"

using pravella::sheet::Column;

CalSheetTable::CalSheetTable(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {
  drawer_ = new QDockWidget(tr("Table"));
  drawer_->setObjectName(QStringLiteral("sheetTableDrawer"));
  auto* content = new QWidget(drawer_);
  tableName_ = new pravella::ElidedLabel(content);
  tableName_->setObjectName(QStringLiteral("tableName"));
  view_ = new QTableWidget(content);
  view_->setObjectName(QStringLiteral("sheetTableView"));
  view_->verticalHeader()->hide();
  view_->horizontalHeader()->setSectionsMovable(true);
  view_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  view_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  columnNameField_ = new QLineEdit(content);
  columnNameField_->setObjectName(QStringLiteral("columnNameField"));
  columnNameField_->setReadOnly(true);
  auto* buttons = new QHBoxLayout;
  auto button = [&](const QString& title, void (CalSheetTable::*action)()) {
    auto* b = new QPushButton(title, content);
    connect(b, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
    buttons->addWidget(b);
  };
  button(tr("Save"), &CalSheetTable::saveAction);
  button(tr("Revert"), &CalSheetTable::revertAction);
  button(tr("+Row"), &CalSheetTable::addRowAction);
  button(tr("-Row"), &CalSheetTable::deleteRowAction);
  button(tr("+Col"), &CalSheetTable::addColumnAction);
  button(tr("-Col"), &CalSheetTable::deleteColumnAction);
  button(tr("Close"), &CalSheetTable::sheetCloseAction);
  auto* titleRow = new QHBoxLayout;
  titleRow->addWidget(columnNameField_, 1);
  auto* retitle = new QPushButton(tr("Title"), content);
  titleRow->addWidget(retitle);
  auto* layout = new QVBoxLayout(content);
  layout->addWidget(tableName_);
  layout->addWidget(view_, 1);
  layout->addLayout(titleRow);
  layout->addLayout(buttons);
  drawer_->setWidget(content);
  // The drawer's own close button saves the table as its Close button does; a table that
  // cannot be written keeps the drawer open with the edits in it.
  pravella::saveBeforeClosing(drawer_, this, [this] { return saveTable(); });

  connect(retitle, &QPushButton::clicked, this, [this] { changeColumnTitleAction(); });
  connect(columnNameField_, &QLineEdit::returnPressed, this, [this] { changeColumnTitleAction(); });
  connect(view_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (reloading_) return;
    const int id = view_->horizontalHeaderItem(item->column())->data(Qt::UserRole).toInt();
    table_.setCell(item->row(), id, item->text());
  });
  // A row chosen: no column title to edit; a column chosen: its title in the field.
  connect(view_->verticalHeader(), &QHeaderView::sectionClicked, this, [this](int) {
    columnNameField_->clear();
    columnNameField_->setReadOnly(true);
  });
  connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int logical) {
    const int position = view_->horizontalHeader()->visualIndex(logical);
    view_->selectColumn(logical);
    if (position < 1) {
      columnNameField_->clear();
      columnNameField_->setReadOnly(true);
      return;
    }
    columnNameField_->setText(table_.columns().at(position).title);
    columnNameField_->setReadOnly(false);
  });
  connect(view_->horizontalHeader(), &QHeaderView::sectionMoved, this, [this] {
    if (reloading_) return;
    QHeaderView* header = view_->horizontalHeader();
    QList<int> ids;
    for (int visual = 0; visual < header->count(); ++visual)
      ids << view_->horizontalHeaderItem(header->logicalIndex(visual))->data(Qt::UserRole).toInt();
    table_.reorder(ids);
    reload();
  });
}

CalSheetTable::~CalSheetTable() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  delete drawer_;
}

void CalSheetTable::awakeFromNib() {
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("sheetTableOpenAction"), this,
                     [this](pravella::Notification& n) { sheetOpenAction(n.text); });
  center.addObserver(QStringLiteral("sheetTableSaveAction"), this, [this](pravella::Notification&) { saveAction(); });
  center.addObserver(QString::fromLatin1(pravella::kDocumentMovedNotification), this,
                     [this](pravella::Notification& n) {
                       if (n.strings.size() >= 2) memoMoved(n.strings.at(0), n.strings.at(1));
                     });
  center.addObserver(QString::fromLatin1(pravella::kDocumentTrashedNotification), this,
                     [this](pravella::Notification&) { memoTrashed(); });
  if (host_.addSideView) host_.addSideView(drawer_);
  reload();
}

void CalSheetTable::forget() {
  sheetName_.clear();
  folder_.clear();
}

bool CalSheetTable::folderHasMemo() const {
  // The folder "Name.tbld" belongs to every document "Name.*" beside it.
  return !folder_.isEmpty() && !pravella::documentsUsingCompanion(folder_).isEmpty();
}

void CalSheetTable::memoMoved(const QString& from, const QString& to) {
  if (sheetName_.isEmpty()) return;
  // A folder above the memo moved: everything in it with it.
  if (folder_.startsWith(from + u'/')) {
    folder_ = to + folder_.mid(from.size());
    return;
  }
  if (pravella::sheet::tableFolderFor(from) != folder_) return;
  // The tables went with their memo; or they stayed with another document of its name and
  // the memo took a copy: the drawer goes with the memo shown, and stays with the others.
  const QString shown = host_.nowDisplayedDocument ? host_.nowDisplayedDocument() : QString();
  const bool tablesMoved = !QFileInfo(folder_).exists() && !QFileInfo(folder_).isSymLink();
  if (tablesMoved || shown == from || shown == to) folder_ = pravella::sheet::tableFolderFor(to);
}

void CalSheetTable::memoTrashed() {
  if (sheetName_.isEmpty()) return;
  // Tables that stayed (another document of the name uses them) stay open; each save asks
  // again whether a memo of theirs is left.
  const QFileInfo folder(folder_);
  if (folder.exists() || folder.isSymLink()) return;
  // They went to the Trash with their memo, as the user asked: nothing writes the tables back.
  // Unsaved edits of them belong to no file now; the recovery folder keeps them, and the
  // status line says so. Kept nowhere, they stay shown to be copied.
  const QString name = sheetName_;
  const pravella::TrashedDocumentEdits edits = pravella::keepEditsOfTrashedDocument(
      drawer_, folder_, !(table_ == saved_),
      [this, name](const QString& path) { return table_.save(path, name); });
  if (!edits.kept) return;
  forget();
  drawer_->hide();
}

void CalSheetTable::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

void CalSheetTable::reload() {
  reloading_ = true;
  // Built afresh in display order, so that logical and shown positions agree.
  const QList<Column>& columns = table_.columns();
  view_->clear();
  view_->horizontalHeader()->reset();
  view_->setColumnCount(static_cast<int>(columns.size()));
  view_->setRowCount(table_.rows());
  for (int c = 0; c < columns.size(); ++c) {
    auto* header = new QTableWidgetItem(columns.at(c).title);
    header->setData(Qt::UserRole, columns.at(c).id);
    header->setTextAlignment(Qt::AlignCenter);
    view_->setHorizontalHeaderItem(c, header);
    for (int r = 0; r < table_.rows(); ++r) {
      auto* item = new QTableWidgetItem(columns.at(c).id == 0 ? QString::number(r + 1) : table_.cell(r, columns.at(c).id));
      if (columns.at(c).id == 0) item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      view_->setItem(r, c, item);
    }
  }
  reloading_ = false;
}

int CalSheetTable::selectedColumnPosition() const {
  const QList<QModelIndex> columns = view_->selectionModel()->selectedColumns();
  if (columns.isEmpty()) return -1;
  return view_->horizontalHeader()->visualIndex(columns.first().column());
}

int CalSheetTable::selectedRow() const {
  const QList<QModelIndex> rows = view_->selectionModel()->selectedRows();
  if (!rows.isEmpty()) return rows.first().row();
  // A click on a row's number chooses the row.
  const QList<QModelIndex> cells = view_->selectionModel()->selectedIndexes();
  if (cells.size() == 1 && view_->horizontalHeader()->visualIndex(cells.first().column()) == 0) return cells.first().row();
  return -1;
}

void CalSheetTable::sheetOpenAction(const QString& name) {
  if (!SheetCanOpen) return;
  const QString document = host_.nowDisplayedDocument ? host_.nowDisplayedDocument() : QString();
  const QString folder = pravella::sheet::tableFolderFor(document);
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  if (document.isEmpty() || !QFileInfo::exists(document)) return;
  // A name that would lead out of the table folder is no table.
  if (!pravella::sheet::validName(name)) {
    if (!name.isEmpty()) sound("Basso");
    return;
  }
  // The folder is made, never entered: programs resolve their paths against the process's
  // current folder.
  QDir().mkpath(folder);
  table_.clear();
  folder_ = folder;
  sheetName_ = name;
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
  drawer_->show();
  tableName_->setText(name);
  revertAction();
  sound("Tink");
}

void CalSheetTable::saveAction() { saveTable(); }

bool CalSheetTable::saveTable() {
  // A closed drawer holds no open table: saves asked for after it closed write nothing.
  if (sheetName_.isEmpty() || drawer_->isHidden()) return true;
  // Tables whose memo is gone (moved or deleted by another program) would only be taken up
  // by the next memo of that name.
  if (!folderHasMemo()) {
    showErrMessageToConsole(QStringLiteral("Table \"%1\" is not saved: no memo of \"%2\" is left.\n")
                                .arg(sheetName_, QFileInfo(folder_).fileName())
                                .toStdString());
    sound("Basso");
    forget();
    drawer_->hide();
    return true;
  }
  if (const pravella::WriteResult r = table_.save(folder_, sheetName_); !r) {
    showErrMessageToConsole(("Table: " + r.error + u'\n').toStdString());
    sound("Basso");
    return false;
  }
  saved_ = table_;
  return true;
}

void CalSheetTable::revertAction() {
  if (!sheetName_.isEmpty()) table_.load(folder_, sheetName_);
  saved_ = table_;
  reload();
}

void CalSheetTable::sheetCloseAction() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  saveAction();
  drawer_->hide();
  sheetName_.clear();
  sound("Tink");
}

void CalSheetTable::addRowAction() {
  table_.addRow(selectedRow());
  reload();
  sound("Tink");
}

void CalSheetTable::deleteRowAction() {
  if (!table_.deleteRow(selectedRow())) return;
  reload();
  sound("Basso");
}

void CalSheetTable::addColumnAction() {
  table_.addColumn(selectedColumnPosition());
  reload();
  sound("Tink");
}

void CalSheetTable::deleteColumnAction() {
  if (!table_.deleteColumn(selectedColumnPosition())) {
    sound("Basso");  // the row numbers stay
    return;
  }
  reload();
  sound("Basso");
}

void CalSheetTable::changeColumnTitleAction() {
  const int position = selectedColumnPosition();
  if (position == 0) {
    sound("Basso");
    return;
  }
  if (table_.retitle(position, columnNameField_->text())) reload();
  columnNameField_->setReadOnly(true);
  sound("Tink");
}
