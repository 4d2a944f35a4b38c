#include "tools/bookmarks/ui/cal_launcher.h"

#include <QApplication>
#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "diary/diary_globals.h"
#include "editors/edit_journal.h"
#include "editors/open_documents.h"
#include "editors/ui/document_save.h"
#include "editors/ui/memo_edit.h"
#include "editors/ui/paragraph_keys.h"
#include "editors/ui/refused_input.h"
#include "platform/console_log.h"
#include "platform/desktop_open.h"
#include "platform/file_copy.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/reveal_file.h"
#include "platform/rich_text_file.h"
#include "tools/bookmarks/document_moves.h"
#include "tools/bookmarks/ui/category_selector.h"

using pravella::NotificationCenter;
using pravella::launcher::Item;
using pravella::launcher::kCategories;

namespace {

constexpr int kPathRole = Qt::UserRole;

void post(const char* name) { NotificationCenter::defaultCenter().post(QString::fromLatin1(name)); }

}  // namespace

// ---- the table ----

launcherFiledView::launcherFiledView(CalLauncher* launcher, QWidget* parent) : QTableWidget(parent), launcher_(launcher) {
  setColumnCount(1);
  setHorizontalHeaderLabels({QStringLiteral("launcher")});
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeader()->hide();
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setItemDelegateForColumn(0, new IconedCell(this));
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DragDrop);
}

void launcherFiledView::mouseDoubleClickEvent(QMouseEvent*) { post("launchFileAtLaunchFileList"); }

void launcherFiledView::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    post("launchFileAtLaunchFileList");
    QTableWidget::keyPressEvent(event);
    return;
  }
  if (key == Qt::Key_Backspace && (event->modifiers() & Qt::ShiftModifier)) {
    post("deleteAtLaunchFileList");
    return;
  }
  QTableWidget::keyPressEvent(event);
}

void launcherFiledView::contextMenuEvent(QContextMenuEvent* event) {
  if (launcher_->selectedRow() < 0) return;
  launcher_->launcherContextMenu()->popup(event->globalPos());
}

QStringList launcherFiledView::mimeTypes() const {
  return {QString::fromLatin1(CalLauncher::kPboardType), QStringLiteral("text/uri-list"), QStringLiteral("text/plain")};
}

QMimeData* launcherFiledView::mimeData(const QList<QTableWidgetItem*>& items) const {
  if (items.isEmpty()) return nullptr;
  const int row = items.first()->row();
  if (row < 0 || row >= launcher_->viewItems().size()) return nullptr;
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(CalLauncher::kPboardType), QByteArray::number(row));
  data->setText(pravella::launcher::dragTextFor(launcher_->viewItems().at(row)));
  return data;
}

namespace {

void acceptOurs(QDragMoveEvent* event) {
  if (event->mimeData()->hasFormat(QString::fromLatin1(CalLauncher::kPboardType)) || event->mimeData()->hasUrls())
    event->acceptProposedAction();
  else
    event->ignore();
}

}  // namespace

void launcherFiledView::dragEnterEvent(QDragEnterEvent* event) { acceptOurs(event); }

void launcherFiledView::dragMoveEvent(QDragMoveEvent* event) { acceptOurs(event); }

void launcherFiledView::dropEvent(QDropEvent* event) {
  const QMimeData* data = event->mimeData();
  bool taken = false;
  if (data->hasFormat(QString::fromLatin1(CalLauncher::kPboardType))) {
    const int source = QString::fromUtf8(data->data(QString::fromLatin1(CalLauncher::kPboardType))).toInt();
    taken = launcher_->reorder(source, rowAt(event->position().toPoint().y()));
  } else if (data->hasUrls()) {
    QStringList paths;
    for (const QUrl& url : data->urls())
      if (url.isLocalFile()) paths.append(url.toLocalFile());
    taken = !paths.isEmpty() && launcher_->addByDrop(paths);
  }
  // The table is rebuilt from the store: Qt must not move or remove rows itself.
  if (taken) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void IconedCell::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem base = option;
  initStyleOption(&base, index);
  // The selection and focus background as the style draws it, without its own icon and text.
  base.text.clear();
  base.icon = QIcon();
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &base, painter, widget);

  const QRect frame = option.rect;
  const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
  const QPixmap image = icon.isNull() ? QPixmap() : icon.pixmap(kIconSize, kIconSize);
  int left = frame.x() + kMarginX;
  if (!image.isNull()) {
    painter->drawPixmap(QRect(left, frame.y(), kIconSize, kIconSize), image);
    left += kMarginX + kIconSize;
  }
  const QString text = index.data(Qt::DisplayRole).toString();
  if (text.isEmpty()) return;
  painter->save();
  painter->setPen(option.state & QStyle::State_Selected ? option.palette.highlightedText().color()
                                                        : option.palette.text().color());
  painter->drawText(QRect(left, frame.y(), frame.right() - left + 1, frame.height()),
                    Qt::AlignLeft | Qt::AlignVCenter, text);
  painter->restore();
}

// ---- the controller ----

CalLauncher::CalLauncher(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {
  if (!host_.open) host_.open = pravella::openWithDesktop;
  if (!host_.reveal) host_.reveal = pravella::revealInFileManager;

  drawer_ = new QDockWidget(tr("Launcher"));
  drawer_->setObjectName(QStringLiteral("launcherDrawer"));
  auto* content = new QWidget(drawer_);
  selector_ = new CategorySelector(content);
  QStringList defaults;
  for (int tag = 0; tag < kCategories; ++tag) defaults << tr("Category %1").arg(tag + 1);
  selector_->setTitles(defaults);
  table_ = new launcherFiledView(this, content);
  table_->setObjectName(QStringLiteral("launcherField"));
  memoField_ = new pravella::MemoEdit(content);  // pastes as every memo does
  pravella::keepFormatsOnReturn(memoField_);
  memoField_->setObjectName(QStringLiteral("launcherMemoField"));
  memoField_->setReadOnly(true);
  // With no item chosen the memo belongs to no file: typing, pastes and drops are refused
  // where they are heard, not taken in to be lost.
  memoField_->setPlaceholderText(tr("Choose an item to write its memo here."));
  pravella::refuseInputWhileReadOnly(memoField_, [this] {
    sound("Basso");
    if (auto* window = qobject_cast<QMainWindow*>(memoField_->window()); window && window->statusBar())
      window->statusBar()->showMessage(
          tr("The launcher memo shows no item's memo: choose an item first. Nothing was typed, pasted or "
             "dropped."));
  });
  auto* titles = new QPushButton(tr("Titles..."), content);
  auto* close = new QPushButton(tr("Close"), content);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(titles);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(content);
  layout->addWidget(selector_);
  layout->addWidget(table_, 2);
  layout->addWidget(memoField_, 1);
  layout->addLayout(buttons);
  drawer_->setWidget(content);

  contextMenu_ = new QMenu(table_);
  for (int tag = 0; tag < kCategories; ++tag) {
    QAction* action = contextMenu_->addAction(selector_->cell(tag)->text());
    connect(action, &QAction::triggered, this, [this, action] { changeCategory(action->text()); });
  }
  contextMenu_->addSeparator();
  connect(contextMenu_->addAction(tr("Show in File Manager")), &QAction::triggered, this,
          [this] { showFileOnFinderAction(); });
  connect(contextMenu_->addAction(tr("Delete")), &QAction::triggered, this, [this] { deleteAction(); });

  editDrawer_ = new QDockWidget(tr("Launcher Categories"));
  editDrawer_->setObjectName(QStringLiteral("launcherEditDrawer"));
  auto* editContent = new QWidget(editDrawer_);
  auto* editGrid = new QGridLayout;
  for (int tag = 0; tag < kCategories; ++tag) {
    auto* field = new QLineEdit(editContent);
    titleEdits_[static_cast<std::size_t>(tag)] = field;
    editGrid->addWidget(field, tag / 5, tag % 5);
  }
  auto* done = new QPushButton(tr("Done"), editContent);
  auto* editLayout = new QVBoxLayout(editContent);
  editLayout->addLayout(editGrid);
  editLayout->addWidget(done, 0, Qt::AlignRight);
  editDrawer_->setWidget(editContent);

  connect(selector_, &CategorySelector::chosen, this, [this] { launcherCategoryAction(); });
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { selectFieldAction(); });
  connect(memoField_, &QTextEdit::textChanged, this, [this] {
    if (!loadingMemo_) memoDidChange_ = true;
  });
  pravella::DocumentSlot::Hooks hooks;
  hooks.edited = [this] { return memoDidChange_; };
  hooks.reload = [this] {
    nowMemoFile_.clear();  // read again, not kept as it is
    loadLauncherMemo();
  };
  hooks.changedElsewhere = [this] { pravella::markChangedElsewhere(memoField_, memoSlot_->path()); };
  memoSlot_ = std::make_unique<pravella::DocumentSlot>(std::move(hooks));
  memoJournal_ = std::make_unique<pravella::EditJournal>(memoField_->document(), *memoSlot_, nullptr,
                                                         [this] { return nowMemoFile_; });
  // The close button saves the memo as closing the drawer any other way does.
  pravella::saveBeforeClosing(drawer_, this, [this] {
    saveLauncherMemo();
    return !memoDidChange_;
  });
  connect(titles, &QPushButton::clicked, this, [this] { editLanuncherCategoryAction(); });
  connect(close, &QPushButton::clicked, this, [this] { closeAction(); });
  connect(done, &QPushButton::clicked, this, [this] { closeLauncherEditCatAction(); });
}

CalLauncher::~CalLauncher() {
  NotificationCenter::defaultCenter().removeObservers(this);
  delete drawer_;
  delete editDrawer_;
}

QTableWidget* CalLauncher::launcherField() const { return table_; }

void CalLauncher::awakeFromNib() {
  loadLancherData();
  QDir().mkpath(pravella::launcher::memoFolder());
  memoDidChange_ = false;
  nowCategory_ = -1;
  nowMemoFile_.clear();
  auto& center = NotificationCenter::defaultCenter();
  const auto on = [this, &center](const char* name, std::function<void(pravella::Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  on("launchFileAtLaunchFileList", [this](pravella::Notification&) { launchFileAtLaunchFileList(); });
  on("deleteAtLaunchFileList", [this](pravella::Notification&) { deleteAction(); });
  on("saveLauncherMemo", [this](pravella::Notification&) { saveLauncherMemo(); });
  on("loadLancherData", [this](pravella::Notification&) { loadLancherData(); });
  on("cal_openLauncherSheet", [this](pravella::Notification&) { openLauncherAction(); });
  on("cal_closeLauncherSheet", [this](pravella::Notification&) { closeAction(); });
  on("cal_toggleLauncherSheet", [this](pravella::Notification&) { showLauncherAction(); });
  on("cal_showFileOnFinder", [this](pravella::Notification&) { showFileOnFinderAction(); });
  on("cal_loadLauncherMemo", [this](pravella::Notification&) { loadLauncherMemo(); });
  on("cal_saveLauncherMemo", [this](pravella::Notification&) { saveLauncherMemo(); });
  on("cal_editLanuncherCategory", [this](pravella::Notification&) { editLanuncherCategoryAction(); });
  on("cal_closeEditLanuncherCategory", [this](pravella::Notification&) { closeLauncherEditCatAction(); });
  on("cal_saveLauncherData", [this](pravella::Notification&) { saveLauncherData(); });
  on(pravella::kDocumentMovedNotification, [this](pravella::Notification& n) {
    if (n.strings.size() >= 2) renamePathName(n.strings.at(0), n.strings.at(1));
  });
  on("cal_selectLauncherCategory", [this](pravella::Notification& n) { selectLauncherCategory(n.text); });
  if (host_.addSideView) {
    host_.addSideView(drawer_);
    host_.addSideView(editDrawer_);
  }
}

void CalLauncher::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

int CalLauncher::selectedCategory() const { return selector_->selected(); }

QToolButton* CalLauncher::categoryCell(int tag) const { return selector_->cell(tag); }

int CalLauncher::selectedRow() const {
  const QList<QModelIndex> rows = table_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void CalLauncher::applyTitles(const QStringList& titles) {
  selector_->setTitles(titles);
  const QList<QAction*> actions = contextMenu_->actions();
  for (int tag = 0; tag < kCategories; ++tag) actions.at(tag)->setText(selector_->cell(tag)->text());
}

void CalLauncher::loadLancherData() {
  store_.load();
  applyTitles(pravella::launcher::LauncherStore::loadTitles());
  reloadTable();
}

void CalLauncher::saveLauncherData() {
  if (const pravella::WriteResult r = store_.save(); !r) {
    showErrMessageToConsole(("Launcher: " + r.error + u'\n').toStdString());
    sound("Basso");
  }
}

void CalLauncher::reloadTable() {
  const QSignalBlocker quiet(table_);
  table_->setRowCount(static_cast<int>(view_.size()));
  QFileIconProvider icons;
  for (int row = 0; row < view_.size(); ++row) {
    const QString& path = view_.at(row).path;
    auto* item = new QTableWidgetItem(QFileInfo(path).fileName());
    item->setData(kPathRole, path);
    item->setIcon(icons.icon(QFileInfo(path)));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
    table_->setItem(row, 0, item);
  }
}

void CalLauncher::selectRow(int row) {
  if (row < 0 || row >= table_->rowCount()) return;
  table_->selectRow(row);
  table_->scrollToItem(table_->item(row, 0));
}

void CalLauncher::launcherCategoryAction() {
  const int tag = selectedCategory();
  view_ = store_.view(tag);
  {
    const QSignalBlocker quiet(table_);
    table_->clearSelection();
  }
  reloadTable();
  table_->scrollToTop();
  nowCategory_ = tag;
  saveLauncherMemo();
  loadLauncherMemo();
}

void CalLauncher::selectLauncherCategory(const QString& number) {
  bool ok = false;
  const int n = number.trimmed().toInt(&ok);
  if (!ok || n < 0 || n >= kCategories) return;
  selector_->select(n);
  launcherCategoryAction();
}

bool CalLauncher::addByDrop(const QStringList& paths) {
  const int tag = selectedCategory();
  for (const QString& path : paths) {
    if (!store_.add(path, tag)) continue;
    launcherCategoryAction();
    selectRow(0);
    sound("Tink");
    saveLauncherData();
  }
  saveLauncherData();
  return true;
}

bool CalLauncher::reorder(int sourceRow, int row) {
  if (row < 0 || row >= view_.size() || sourceRow < 0 || sourceRow >= view_.size()) return false;
  if (!store_.reorder(view_.at(sourceRow), view_.at(row))) return false;
  launcherCategoryAction();
  selectRow(row);
  sound("Tink");
  saveLauncherData();
  return true;
}

void CalLauncher::changeCategory(const QString& title) {
  const int row = selectedRow();
  if (row < 0) return;
  const Item item = view_.at(row);
  for (int t = 0; t < kCategories; ++t) {
    if (selector_->cell(t)->text() != title) continue;
    const auto moved = store_.moveToCategory(item, t);
    if (moved == pravella::launcher::LauncherStore::Move::Missing) continue;
    if (moved == pravella::launcher::LauncherStore::Move::AlreadyThere) {
      sound("Basso");
      return;
    }
    // The memo goes along with the item, unless another item still shows it where it was.
    if (!nowMemoFile_.isEmpty() && QFileInfo::exists(nowMemoFile_)) {
      const QString target = pravella::launcher::memoFileFor(item.path, t);
      if (!QFileInfo::exists(target)) {
        if (store_.memoInUse(item.path, item.category.toInt()))
          pravella::copyRecursively(nowMemoFile_, target);
        else
          QDir().rename(nowMemoFile_, target);
      }
      nowMemoFile_ = target;
    }
    saveLauncherData();
    selector_->select(t);
    launcherCategoryAction();
    sound("Tink");
    return;
  }
}

void CalLauncher::renamePathName(const QString& oldPath, const QString& newPath) {
  const auto renamed = store_.renamePath(oldPath, newPath);
  if (renamed.isEmpty()) return;
  // What was typed into the shown memo is written under its old name before that name moves.
  saveLauncherMemo();
  const bool memoWritten = !memoDidChange_;
  for (const auto& [item, path] : renamed) {
    const int category = item.category.toInt();
    const QString from = pravella::launcher::memoFileFor(item.path, category);
    const QString to = pravella::launcher::memoFileFor(path, category);
    if (!memoWritten || from == to || !QFileInfo::exists(from) || QFileInfo::exists(to)) continue;
    // Another item of the old file name in this category keeps the memo it shares.
    if (store_.memoInUse(item.path, category))
      pravella::copyRecursively(from, to);
    else
      QDir().rename(from, to);
  }
  const int row = selectedRow();
  view_ = store_.view(selectedCategory());
  reloadTable();
  {
    const QSignalBlocker quiet(table_);
    selectRow(row);
  }
  if (memoWritten) loadLauncherMemo();
  saveLauncherData();
}

void CalLauncher::deleteAction() {
  const int row = selectedRow();
  if (row < 0) return;
  const Item item = view_.at(row);
  store_.remove(item);
  // The memo is another item's too while one of the same file name stays in the category.
  if (!nowMemoFile_.isEmpty() && QFileInfo::exists(nowMemoFile_) && !store_.memoInUse(item.path, item.category.toInt()))
    QDir(nowMemoFile_).removeRecursively();
  nowMemoFile_.clear();
  memoSlot_->clear();
  memoDidChange_ = false;
  sound("Basso");
  saveLauncherData();
  launcherCategoryAction();
}

void CalLauncher::launchFileAtLaunchFileList() {
  const int row = selectedRow();
  if (row < 0) return;
  sound("Tink");
  host_.open(pravella::launcher::launchTargetFor(view_.at(row).path));
}

void CalLauncher::showFileOnFinderAction() {
  const int row = selectedRow();
  if (row < 0) return;
  if (host_.reveal(view_.at(row).path)) sound("Tink");
}

void CalLauncher::loadLauncherMemo() {
  if (nowCategory_ < 0) return;
  const int row = selectedRow();
  const QString tpl = pravella::paths::resource(QStringLiteral("template.rtf"));
  loadingMemo_ = true;
  if (row < 0) {
    pravella::readRichTextFile(tpl, *memoField_->document());
    nowMemoFile_.clear();
    memoSlot_->clear();
    memoField_->setReadOnly(true);
  } else {
    const QString file = pravella::launcher::memoFileFor(view_.at(row).path, selectedCategory());
    if (!QFileInfo::exists(file))
      pravella::readRichTextFile(tpl, *memoField_->document());
    else if (file != nowMemoFile_)
      pravella::readRichTextFile(file, *memoField_->document());
    if (file != nowMemoFile_) memoSlot_->shown(file);
    memoField_->setReadOnly(false);
    nowMemoFile_ = file;
  }
  loadingMemo_ = false;
  memoDidChange_ = false;
}

void CalLauncher::saveLauncherMemo() {
  if (nowCategory_ < 0 || nowMemoFile_.isEmpty()) return;
  if (memoDidChange_) {
    const pravella::DocumentSave saved = pravella::saveDocumentGuarded(
        *memoSlot_, nowMemoFile_,
        [this](const QString& path) { return pravella::writeRtfdFile(path, *memoField_->document()); },
        drawer_);
    if (!saved.ok()) {
      // Kept as changed, so that the next save tries again and nothing typed is lost.
      showErrMessageToConsole(("Launcher memo: " + saved.error + u'\n').toStdString());
      sound("Basso");
      return;
    }
    memoDidChange_ = false;
  }
  // The memo stays shown, and what is typed next is its file's still.
}

void CalLauncher::selectFieldAction() {
  saveLauncherMemo();
  loadLauncherMemo();
}

bool CalLauncher::drawerOpen() const {
  return drawer_->isVisible() && (!host_.toggleStatus || host_.toggleStatus() == kToggleNumber);
}

void CalLauncher::editLanuncherCategoryAction() {
  if (!SheetCanOpen) return;
  for (int tag = 0; tag < kCategories; ++tag)
    titleEdits_[static_cast<std::size_t>(tag)]->setText(selector_->cell(tag)->text());
  drawer_->hide();
  editDrawer_->show();
}

void CalLauncher::closeLauncherEditCatAction() {
  if (!SheetCanOpen) return;
  QStringList titles;
  for (int tag = 0; tag < kCategories; ++tag) titles.append(titleEdits_[static_cast<std::size_t>(tag)]->text());
  applyTitles(titles);
  if (const pravella::WriteResult r = pravella::launcher::LauncherStore::saveTitles(titles); !r) {
    showErrMessageToConsole(("Launcher: " + r.error + u'\n').toStdString());
    sound("Basso");
  }
  editDrawer_->hide();
  drawer_->show();
}

void CalLauncher::showLauncherAction() {
  if (host_.selectCellSelectedDay) host_.selectCellSelectedDay();
  if (!SheetCanOpen) return;
  if (drawerOpen()) return closeAction();
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
  loadLancherData();
  launcherCategoryAction();
}

void CalLauncher::openLauncherAction() {
  if (!drawerOpen()) showLauncherAction();
}

void CalLauncher::closeAction() {
  saveLauncherMemo();
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->hide();
  editDrawer_->hide();
}
