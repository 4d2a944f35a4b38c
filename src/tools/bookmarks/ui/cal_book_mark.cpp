#include "tools/bookmarks/ui/cal_book_mark.h"

#include <QCheckBox>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "diary/diary_globals.h"
#include "diary/document_links.h"
#include "diary/program_settings.h"
#include "diary/word_separation.h"
#include "editors/edit_journal.h"
#include "editors/open_documents.h"
#include "editors/ui/document_save.h"
#include "editors/ui/memo_edit.h"
#include "editors/ui/paragraph_keys.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/rich_text_file.h"
#include "tools/bookmarks/document_moves.h"
#include "tools/bookmarks/ui/category_selector.h"

using pravella::NotificationCenter;
using pravella::bookmarks::Bookmark;
namespace bm = pravella::bookmarks;

namespace {

void post(const char* name, const QString& text = {}) {
  NotificationCenter::defaultCenter().post(QString::fromLatin1(name), text);
}

QColor tableColour(int which) {
  const TableColors12 c = bookMarkTableColor();
  return QColor::fromRgbF(c[static_cast<std::size_t>(which * 3)], c[static_cast<std::size_t>(which * 3 + 1)],
                          c[static_cast<std::size_t>(which * 3 + 2)]);
}

}  // namespace

// ---- the table ----

getKeyOnBMTable::getKeyOnBMTable(CalBookMark* owner, QWidget* parent) : QTableWidget(parent), owner_(owner) {
  setColumnCount(4);
  setHorizontalHeaderLabels({QStringLiteral("create"), QStringLiteral("markdate"), QStringLiteral("category"),
                             QStringLiteral("bookmark")});
  horizontalHeader()->setStretchLastSection(true);
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
}

void getKeyOnBMTable::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up) return post("bookMarkListUp");
  if (event->key() == Qt::Key_Down) return post("bookMarkListDown");
  if (event->key() == Qt::Key_Backspace && (event->modifiers() & Qt::ShiftModifier)) return post("deleteBookMarkAction");
  QTableWidget::keyPressEvent(event);
}

void getKeyOnBMTable::mousePressEvent(QMouseEvent* event) {
  const int row = rowAt(event->position().toPoint().y());
  pressedSelectedRow_ =
      event->button() == Qt::LeftButton && row >= 0 && row == owner_->selectedRow() ? row : -1;
  QTableWidget::mousePressEvent(event);
}

void getKeyOnBMTable::mouseReleaseEvent(QMouseEvent* event) {
  const int pressed = std::exchange(pressedSelectedRow_, -1);
  QTableWidget::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && pressed >= 0 &&
      rowAt(event->position().toPoint().y()) == pressed && owner_->selectedRow() == pressed)
    owner_->openSelectedDocument(true);
}

QStringList getKeyOnBMTable::mimeTypes() const {
  return {QString::fromLatin1(CalBookMark::kPboardType), QString::fromLatin1(pravella::kBookmarkDragType),
          QStringLiteral("text/plain")};
}

QMimeData* getKeyOnBMTable::mimeData(const QList<QTableWidgetItem*>& items) const {
  if (items.isEmpty()) return nullptr;
  const int row = items.first()->row();
  if (row < 0 || row >= owner_->viewItems().size()) return nullptr;
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(CalBookMark::kPboardType), QByteArray::number(row));
  data->setText(bm::dragText(owner_->viewItems().at(row), owner_->selectedDay()));
  return data;
}

namespace {

bool ours(const QMimeData* data) {
  return data->hasFormat(QString::fromLatin1(CalBookMark::kPboardType)) ||
         data->hasFormat(QString::fromLatin1(pravella::kBookmarkDragType));
}

}  // namespace

void getKeyOnBMTable::dragEnterEvent(QDragEnterEvent* event) {
  if (ours(event->mimeData())) event->acceptProposedAction();
  else event->ignore();
}

void getKeyOnBMTable::dragMoveEvent(QDragMoveEvent* event) {
  if (ours(event->mimeData())) event->acceptProposedAction();
  else event->ignore();
}

void getKeyOnBMTable::dropEvent(QDropEvent* event) {
  const QMimeData* data = event->mimeData();
  if (data->hasFormat(QString::fromLatin1(pravella::kBookmarkDragType))) {
    owner_->addBookMarkFromDiaryFileAction(QString::fromUtf8(data->data(QString::fromLatin1(pravella::kBookmarkDragType))));
  } else if (data->hasFormat(QString::fromLatin1(CalBookMark::kPboardType))) {
    owner_->moveRow(QString::fromUtf8(data->data(QString::fromLatin1(CalBookMark::kPboardType))).toInt(),
                    rowAt(event->position().toPoint().y()));
  }
  // The table is rebuilt from the store: Qt must not move rows itself.
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void getKeyOnBMTable::startDrag(Qt::DropActions) {
  QMimeData* data = mimeData(selectedItems());
  if (!data) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

// ---- the controller ----

CalBookMark::CalBookMark(const pravella::DeskToolHost& host, QObject* parent) : QObject(parent), host_(host) {
  drawer_ = new QDockWidget(tr("Bookmarks"));
  drawer_->setObjectName(QStringLiteral("bookMarkDrawer"));
  auto* content = new QWidget(drawer_);
  selector_ = new CategorySelector(content);
  table_ = new getKeyOnBMTable(this, content);
  table_->setObjectName(QStringLiteral("bookMarkField"));
  memoField_ = new pravella::MemoEdit(content);  // pastes as every memo does
  pravella::keepFormatsOnReturn(memoField_);
  memoField_->setObjectName(QStringLiteral("bookMarkMemoField"));
  auto* split = new QSplitter(Qt::Vertical, content);
  split->addWidget(table_);
  split->addWidget(memoField_);
  split->setSizes({300, 100});
  previewSwitch_ = new QCheckBox(tr("Preview"), content);
  auto* add = new QPushButton(tr("Mark"), content);
  auto* titles = new QPushButton(tr("Titles..."), content);
  auto* web = new QPushButton(tr("Web"), content);
  auto* dic = new QPushButton(tr("Dic"), content);
  // The memo's selection searched in the memo database; the text dictionary's controller
  // answers it (the application connects it).
  memoDatabaseButton_ = new QPushButton(tr("Memos"), content);
  auto* close = new QPushButton(tr("Close"), content);
  auto* buttons = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{add, previewSwitch_, web, dic, memoDatabaseButton_, titles}) buttons->addWidget(w);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(content);
  layout->addWidget(selector_);
  layout->addWidget(split, 1);
  layout->addLayout(buttons);
  drawer_->setWidget(content);

  editDrawer_ = new QDockWidget(tr("Bookmark Categories"));
  editDrawer_->setObjectName(QStringLiteral("editBookMarkTitleDrawer"));
  auto* editContent = new QWidget(editDrawer_);
  auto* grid = new QGridLayout;
  for (int tag = 0; tag < bm::kCategories; ++tag) {
    auto* field = new QLineEdit(editContent);
    titleEdits_[static_cast<std::size_t>(tag)] = field;
    grid->addWidget(field, tag / 5, tag % 5);
  }
  auto* done = new QPushButton(tr("Done"), editContent);
  auto* editLayout = new QVBoxLayout(editContent);
  editLayout->addLayout(grid);
  editLayout->addWidget(done, 0, Qt::AlignRight);
  editDrawer_->setWidget(editContent);

  connect(selector_, &CategorySelector::chosen, this, [this] { categoryAction(); });
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
    if (!selecting_) openSelectedDocument();
  });
  connect(memoField_, &QTextEdit::textChanged, this, [this] {
    if (!loadingMemo_ && !previewSwitch_->isChecked()) memoDidChange_ = true;
  });
  pravella::DocumentSlot::Hooks hooks;
  hooks.edited = [this] { return memoDidChange_; };
  hooks.reload = [this] { loadBookMarkMemo(); };
  hooks.changedElsewhere = [this] { pravella::markChangedElsewhere(memoField_, memoSlot_->path()); };
  memoSlot_ = std::make_unique<pravella::DocumentSlot>(std::move(hooks));
  memoJournal_ = std::make_unique<pravella::EditJournal>(memoField_->document(), *memoSlot_, nullptr, [this] {
    return nowCategory_ >= 0 ? bm::memoFile(nowCategory_) : QString();
  });
  // The close button saves the memo as closing the drawer any other way does.
  pravella::saveBeforeClosing(drawer_, this, [this] {
    saveBookMarkMemo();
    return !memoDidChange_;
  });
  connect(previewSwitch_, &QCheckBox::toggled, this, [this] { changeDispModeAction(); });
  connect(add, &QPushButton::clicked, this, [this] { addBookMarkAction(); });
  connect(titles, &QPushButton::clicked, this, [this] { editCategoryAction(); });
  connect(web, &QPushButton::clicked, this, [this] { searchInternetAction(); });
  connect(dic, &QPushButton::clicked, this, [this] { searchDicAction(); });
  connect(close, &QPushButton::clicked, this, [this] { closeBookMarkAction(); });
  connect(done, &QPushButton::clicked, this, [this] { editBookMarkCloseAction(); });
}

CalBookMark::~CalBookMark() {
  NotificationCenter::defaultCenter().removeObservers(this);
  delete drawer_;
  delete editDrawer_;
}

QTableWidget* CalBookMark::bookMarkField() const { return table_; }

void CalBookMark::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

QDate CalBookMark::selectedDay() const { return host_.selectedDay ? host_.selectedDay() : QDate::currentDate(); }

void CalBookMark::awakeFromNib() {
  for (const auto& [path, message] :
       {std::pair{pravella::paths::documents(), "Can not Create Documents Folder folder(0)!\n"},
        std::pair{pravella::paths::diary(), "Can not Create Diary Folder folder(0)!\n"},
        std::pair{pravella::paths::preferences(), "Can not Create Documents folder(3)!\n"}})
    if (!QDir().mkpath(path)) showErrMessageToConsole(message);
  selector_->select(0);
  colorMode_ = 0;
  loadBookMarkData();
  auto& center = NotificationCenter::defaultCenter();
  const auto on = [this, &center](const char* name, std::function<void(pravella::Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  on("loadBookMarkData", [this](pravella::Notification&) { loadBookMarkData(); });
  on("saveBookMarkMemo", [this](pravella::Notification&) { saveBookMarkMemo(); });
  on("cal_saveBookMarkMemo", [this](pravella::Notification&) { saveBookMarkMemo(); });
  on("cal_loadBookMarkMemo", [this](pravella::Notification&) { loadBookMarkMemo(); });
  on("cal_saveBookMarkData", [this](pravella::Notification&) { saveBookMarkData(); });
  on(pravella::kDocumentMovedNotification, [this](pravella::Notification& n) {
    if (n.strings.size() >= 2) renameBookMarkPathName(n.strings.at(0), n.strings.at(1));
  });
  on("selectDocumentListOnBMTable", [this](pravella::Notification& n) { selectDocumentListOnBMTable(n.text); });
  on("deleteBookMarkAction", [this](pravella::Notification&) { deleteBookMarkAction(); });
  on("bookMarkListUp", [this](pravella::Notification&) { bookMarkListUp(); });
  on("bookMarkListDown", [this](pravella::Notification&) { bookMarkListDown(); });
  on("cal_toggleBookMarkSheet", [this](pravella::Notification&) { openBookMarkAction(); });
  on("cal_openBookMarkSheet", [this](pravella::Notification&) { openBookMarkActionOpen(); });
  on("cal_closeBookMarkSheet", [this](pravella::Notification&) { closeBookMarkAction(); });
  on("cal_editBookMarkCategory", [this](pravella::Notification&) { editCategoryAction(); });
  on("cal_closeEditBookMarkCategory", [this](pravella::Notification&) { editBookMarkCloseAction(); });
  on("cal_changeBookMarkTableForeColor", [this](pravella::Notification& n) { changeTableFontForeColor(n.text); });
  on("cal_changeBookMarkTableColor", [this](pravella::Notification& n) { changeTableFontForeColor(n.text); });
  on("cal_toggleBookMarkTableForeColor", [this](pravella::Notification&) { toggleTableFontForeColor(); });
  on("cal_toggleBookMarkTableColor", [this](pravella::Notification&) { toggleTableFontForeColor(); });
  memoDidChange_ = false;
  nowCategory_ = -1;
  if (host_.addSideView) {
    host_.addSideView(drawer_);
    host_.addSideView(editDrawer_);
  }
}

void CalBookMark::loadBookMarkData() {
  store_.load();
  if (!QFileInfo::exists(bm::titlesFile())) {
    pravella::plist::writeStringArray(bm::titlesFile(), selector_->titles());
  } else {
    selector_->setTitles(pravella::plist::readStringArray(bm::titlesFile()).value_or(QStringList()));
  }
  reloadTable();
}

void CalBookMark::saveBookMarkData() {
  if (const pravella::WriteResult r = store_.save(); !r) {
    showErrMessageToConsole(("Bookmarks: " + r.error + u'\n').toStdString());
    sound("Basso");
  }
}

void CalBookMark::reloadTable() {
  const QSignalBlocker quiet(table_);
  selecting_ = true;
  table_->setRowCount(static_cast<int>(view_.size()));
  for (int row = 0; row < view_.size(); ++row) {
    const Bookmark& b = view_.at(row);
    QString name = b.name();
    if (name.endsWith(QLatin1String(".rtfd"))) name.chop(5);
    const auto day = bm::dayOfPath(b.path);
    const QStringList values{day ? day->toString(QStringLiteral("yyyy/MM/dd")) : QString(), b.markDate, b.category, name};
    for (int c = 0; c < 4; ++c) {
      auto* item = new QTableWidgetItem(values.at(c));
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
      const bool even = row % 2 == 0;
      if (colorMode_ == 1 || colorMode_ == 3) {
        item->setForeground(tableColour(even ? 0 : 1));
        item->setTextAlignment(c == 3 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
      }
      if (colorMode_ == 2 || colorMode_ == 3) item->setBackground(tableColour(even ? 3 : 2));
      table_->setItem(row, c, item);
    }
  }
  selecting_ = false;
}

int CalBookMark::selectedRow() const {
  const QList<QModelIndex> rows = table_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void CalBookMark::selectRow(int row) {
  if (row < 0 || row >= table_->rowCount()) return;
  table_->selectRow(row);
  table_->scrollToItem(table_->item(row, 0));
}

void CalBookMark::postSelectDisplayed() {
  post("selectDocumentListOnBMTable", host_.nowDisplayedDocument ? host_.nowDisplayedDocument() : QString());
}

void CalBookMark::categoryAction() {
  const int tag = selector_->selected();
  view_ = store_.view(tag);
  selecting_ = true;
  table_->clearSelection();
  selecting_ = false;
  reloadTable();
  table_->scrollToTop();
  if (!previewSwitch_->isChecked()) saveBookMarkMemo();
  nowCategory_ = tag;
  if (!previewSwitch_->isChecked()) loadBookMarkMemo();
  postSelectDisplayed();
}

void CalBookMark::addBookMarkAction() {
  const QString path = host_.nowDisplayedDocument ? host_.nowDisplayedDocument() : QString();
  if (path.isEmpty()) return;
  QString position = QStringLiteral("0 0");
  if (host_.documentView) {
    const QTextCursor c = host_.documentView->textCursor();
    position = QStringLiteral("%1 %2").arg(c.selectionStart()).arg(c.selectionEnd() - c.selectionStart());
  }
  store_.add(path, position, selector_->selected(), QDate::currentDate());
  categoryAction();
  saveBookMarkData();
  post("selectDocumentListOnBMTable", path);
  sound("Tink");
}

void CalBookMark::addBookMarkFromDiaryFileAction(const QString& path) {
  if (path.isEmpty()) return;
  const bool added = store_.add(path, QStringLiteral("0 0"), selector_->selected(), QDate::currentDate());
  categoryAction();
  saveBookMarkData();
  if (!added) post("selectDocumentListOnBMTable", path);
  sound("Tink");
}

void CalBookMark::deleteBookMarkAction() {
  const int row = selectedRow();
  if (row < 0) return;
  store_.remove(view_.at(row));
  categoryAction();
  saveBookMarkData();
  sound("Basso");
}

bool CalBookMark::moveRow(int source, int row) {
  if (source < 0 || row < 0 || row >= view_.size() || source >= view_.size()) return false;
  if (!store_.move(view_.at(source).path, view_.at(row).path)) return false;
  categoryAction();
  postSelectDisplayed();
  saveBookMarkData();
  return true;
}

void CalBookMark::renameBookMarkPathName(const QString& oldPath, const QString& newPath) {
  if (!store_.rename(oldPath, newPath)) return;
  if (host_.toggleStatus && host_.toggleStatus() == kToggleNumber) categoryAction();
  saveBookMarkData();
}

void CalBookMark::selectDocumentListOnBMTable(const QString& path) {
  const int row = bm::rowOf(view_, path);
  selecting_ = true;
  if (row >= 0) selectRow(row);
  else table_->clearSelection();
  selecting_ = false;
  // A new selection opens its bookmark; the shown document's own row asks nothing more.
  if (row >= 0) openSelectedDocument();
}

void CalBookMark::openSelectedDocument(bool clicked) {
  const int row = selectedRow();
  if (row < 0) return;
  const Bookmark b = view_.at(row);
  const bool preview = previewSwitch_->isChecked();
  const QString shown = host_.nowDisplayedDocument ? host_.nowDisplayedDocument() : QString();
  if (!preview && b.path == shown && !clicked) return;
  const auto day = bm::dayOfPath(b.path);
  if (!day) return;
  const QStringList numbers = b.position.split(u' ');
  const int location = numbers.value(0).toInt(), length = numbers.value(1).toInt();
  if (host_.save && !host_.save()) return;
  if (!preview) {
    if (host_.beforeDayToPlain) host_.beforeDayToPlain();
    if (host_.setSelectedDay) host_.setSelectedDay(*day);
    if (host_.refreshCalendar) host_.refreshCalendar();
    if (host_.selectDayAction2) host_.selectDayAction2(day->day());
    if (host_.selectDiaryFileFromNameAction) host_.selectDiaryFileFromNameAction(b.name());
    if (host_.addDocumentToRireki && host_.nowDisplayedDocument) host_.addDocumentToRireki(host_.nowDisplayedDocument());
    if (QTextEdit* memo = host_.documentView) {
      // A range beyond today's text is cut to it.
      const int end = std::max(0, memo->document()->characterCount() - 1);
      QTextCursor c(memo->document());
      c.setPosition(std::clamp(location, 0, end));
      c.setPosition(std::clamp(location + length, 0, end), QTextCursor::KeepAnchor);
      memo->setTextCursor(c);
      memo->ensureCursorVisible();
    }
    return;
  }
  loadingMemo_ = true;
  memoField_->setReadOnly(false);
  pravella::readRichTextFile(pravella::paths::dayFolder(day->year(), day->month(), day->day()) + u'/' + b.name(),
                             *memoField_->document());
  memoField_->setReadOnly(true);
  memoField_->moveCursor(QTextCursor::Start);
  loadingMemo_ = false;
  memoSlot_->clear();  // a preview is never written
  sound("Pop");
}

void CalBookMark::loadBookMarkMemo() {
  if (nowCategory_ < 0) return;
  const QString file = bm::memoFile(selector_->selected());
  loadingMemo_ = true;
  pravella::readRichTextFile(QFileInfo::exists(file) ? file : pravella::paths::resource(QStringLiteral("template.rtf")),
                             *memoField_->document());
  loadingMemo_ = false;
  memoDidChange_ = false;
  memoSlot_->shown(file);
}

void CalBookMark::saveBookMarkMemo() {
  if (nowCategory_ < 0 || !memoDidChange_ || previewSwitch_->isChecked()) return;
  const pravella::DocumentSave saved = pravella::saveDocumentGuarded(
      *memoSlot_, bm::memoFile(nowCategory_),
      [this](const QString& path) { return pravella::writeRtfdFile(path, *memoField_->document()); },
      host_.mainWindow);
  if (!saved.ok()) {
    // Kept as changed, so that the next save tries again.
    showErrMessageToConsole(("Bookmark memo: " + saved.error + u'\n').toStdString());
    sound("Basso");
    return;
  }
  memoDidChange_ = false;
}

bool CalBookMark::drawerOpen() const {
  return drawer_->isVisible() && (!host_.toggleStatus || host_.toggleStatus() == kToggleNumber);
}

void CalBookMark::openBookMarkAction() {
  if (host_.selectCellSelectedDay) host_.selectCellSelectedDay();
  if (!SheetCanOpen) return;
  if (drawerOpen()) {
    saveBookMarkData();
    saveBookMarkMemo();
    if (host_.closeAllToggleView) host_.closeAllToggleView();
    drawer_->hide();
    return;
  }
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
  loadBookMarkData();
  categoryAction();
}

void CalBookMark::openBookMarkActionOpen() {
  if (!drawerOpen()) openBookMarkAction();
}

void CalBookMark::closeBookMarkAction() {
  saveBookMarkMemo();
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->hide();
}

void CalBookMark::toDoBookMarkAction() {
  if (host_.selectCellSelectedDay) host_.selectCellSelectedDay();
  if (!SheetCanOpen) return;
  selector_->select(8);
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
  categoryAction();
}

void CalBookMark::changeTableFontForeColor(const QString& mode) {
  bool ok = false;
  const int m = mode.trimmed().toInt(&ok);
  colorMode_ = ok && m >= 0 && m <= 3 ? m : 0;
  reloadTable();
}

void CalBookMark::toggleTableFontForeColor() {
  colorMode_ = (colorMode_ + 1) % 4;
  reloadTable();
}

void CalBookMark::bookMarkListUp() {
  const int rows = table_->rowCount();
  if (rows == 0) return;
  const int row = selectedRow();
  selectRow(row <= 0 ? rows - 1 : row - 1);
}

void CalBookMark::bookMarkListDown() {
  const int rows = table_->rowCount();
  if (rows == 0) return;
  const int row = selectedRow();
  selectRow(row < 0 || row >= rows - 1 ? 0 : row + 1);
}

void CalBookMark::changeDispModeAction() {
  if (previewSwitch_->isChecked()) {
    loadingMemo_ = true;
    memoField_->clear();
    loadingMemo_ = false;
    memoSlot_->clear();
    memoField_->setReadOnly(true);
    selecting_ = true;
    table_->clearSelection();
    selecting_ = false;
    return;
  }
  memoField_->setReadOnly(false);
  loadBookMarkMemo();
  categoryAction();
}

void CalBookMark::editCategoryAction() {
  if (!SheetCanOpen) return;
  const QStringList titles = selector_->titles();
  const QStringList saved = pravella::plist::readStringArray(bm::titlesFile()).value_or(QStringList());
  for (int tag = 0; tag < bm::kCategories; ++tag)
    titleEdits_[static_cast<std::size_t>(tag)]->setText(tag < saved.size() ? saved.at(tag) : titles.at(tag));
  drawer_->hide();
  editDrawer_->show();
}

void CalBookMark::editBookMarkCloseAction() {
  if (!SheetCanOpen) return;
  QStringList titles;
  for (int tag = 0; tag < bm::kCategories; ++tag) titles << titleEdits_[static_cast<std::size_t>(tag)]->text();
  selector_->setTitles(titles);
  if (const pravella::WriteResult r = pravella::plist::writeStringArray(bm::titlesFile(), titles); !r)
    showErrMessageToConsole(("Bookmarks: " + r.error + u'\n').toStdString());
  editDrawer_->hide();
  drawer_->show();
}

void CalBookMark::searchInternetAction() {
  const QString selected = memoField_->textCursor().selectedText();
  const QString text = internetWordSearchStatus() == 1 ? pravella::makeWordSeparetedString(selected) : selected;
  if (!text.isEmpty()) post("openWebSheetAndConnectURL_X", text);
}

void CalBookMark::searchDicAction() {
  const QString selected = memoField_->textCursor().selectedText();
  if (!selected.isEmpty()) post("dictionarySearch", selected);
}
