#include "tools/finder/ui/fs_browser.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFont>
#include <QHBoxLayout>
#include <QListView>
#include <QPainter>
#include <QPalette>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <utility>

#include "platform/paths.h"

namespace {

constexpr int kIconSize = 10;

QPixmap namedImage(const char* name) {
  return QPixmap(pravella::paths::resource(QString::fromLatin1(name) + QStringLiteral(".png")));
}

QPixmap iconOfKind(bool isDirectory) {
  const QFileIconProvider provider;
  const QIcon icon = provider.icon(isDirectory ? QFileIconProvider::Folder : QFileIconProvider::File);
  QPixmap pixmap = icon.isNull() ? QPixmap() : icon.pixmap(kIconSize, kIconSize);
  if (pixmap.isNull()) pixmap = namedImage("FSIconImage-Default");
  if (pixmap.isNull()) return pixmap;
  return pixmap.scaled(kIconSize, kIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QPixmap withLinkArrow(const QPixmap& icon) {
  QPixmap out(kIconSize, kIconSize);
  out.fill(Qt::transparent);
  QPainter painter(&out);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  if (!icon.isNull()) painter.drawPixmap(0, 0, icon);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QPixmap arrow = namedImage("FSIconImage-LinkArrow");
  if (!arrow.isNull()) painter.drawPixmap(QRect(0, 0, kIconSize, kIconSize), arrow);
  return out;
}

}  // namespace

QIcon fsIconImage(bool isDirectory, bool isLink) {
  // Four icons in all; made once, as every row of a large folder asks.
  static const QIcon icons[4] = {QIcon(iconOfKind(false)), QIcon(iconOfKind(true)),
                                 QIcon(withLinkArrow(iconOfKind(false))),
                                 QIcon(withLinkArrow(iconOfKind(true)))};
  return icons[(isLink ? 2 : 0) + (isDirectory ? 1 : 0)];
}

// ---------------------------------------------------------------- a column

FSColumnModel::FSColumnModel(QString folder, QObject* parent)
    : QAbstractListModel(parent), folder_(std::move(folder)) {
  entries_ = pravella::listVisibleEntries(folder_);
}

void FSColumnModel::reload() {
  beginResetModel();
  entries_ = pravella::listVisibleEntries(folder_);
  endResetModel();
}

int FSColumnModel::rowOf(const QString& name) const {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].name == name) return int(i);
  return -1;
}

int FSColumnModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(entries_.size());
}

QVariant FSColumnModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= int(entries_.size())) return {};
  const pravella::FSEntry& e = entries_[std::size_t(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return e.name;
    case Qt::DecorationRole:
      return fsIconImage(e.isDirectory, e.isLink);
    case Qt::FontRole: {
      QFont font = QApplication::font();
      font.setPointSize(11);
      font.setUnderline(e.isLink);
      return font;
    }
    case Qt::ToolTipRole:
      return e.name;
    default:
      return {};
  }
}

Qt::ItemFlags FSColumnModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= int(entries_.size())) return Qt::NoItemFlags;
  // Greyed and not choosable when it cannot be read.
  if (!entries_[std::size_t(index.row())].isReadable) return Qt::ItemNeverHasChildren;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

// ---------------------------------------------------------------- the browser

FSBrowser::FSBrowser(QWidget* parent) : QScrollArea(parent) {
  strip_ = new QWidget;
  layout_ = new QHBoxLayout(strip_);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(1);
  setWidget(strip_);
  setWidgetResizable(false);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  watcher_ = new QFileSystemWatcher(this);
  relist_.setSingleShot(true);
  relist_.setInterval(100);
  connect(&relist_, &QTimer::timeout, this, [this] { relistChangedColumns(); });
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this](const QString& folder) {
    changedFolders_.insert(folder);
    // Started once, not again on each change: a shown folder that never stops changing (/tmp on
    // a busy machine) would otherwise hold back every column's relist for good.
    if (!relist_.isActive()) relist_.start();
  });
}

void FSBrowser::relistChangedColumns() {
  const QSet<QString> changed = std::exchange(changedFolders_, {});
  for (int c = 0; c < int(columns_.size()); ++c) {
    FSColumnModel* model = columns_[std::size_t(c)].model;
    if (!changed.contains(model->folder())) continue;
    QListView* view = columns_[std::size_t(c)].view;
    const QModelIndex current = view->currentIndex();
    const bool chosen = current.isValid() && view->selectionModel()->isSelected(current);
    const QString name = chosen ? model->entry(current.row()).name : QString();
    const int scroll = view->verticalScrollBar()->value();
    const QScopedValueRollback<bool> guard(choosing_, true);
    // A folder removed and made again at its path lost its watch with the old folder: the new
    // one is watched from here on.
    if (!watcher_->directories().contains(model->folder()) && QFileInfo(model->folder()).isDir())
      watcher_->addPath(model->folder());
    model->reload();
    if (chosen) {
      const int row = model->rowOf(name);
      // The chosen entry went away: the columns below it went with it.
      if (row >= 0)
        selectRow(c, row);
      else
        dropColumnsAfter(c);
    }
    view->verticalScrollBar()->setValue(scroll);
  }
  layoutColumns();
}

void FSBrowser::ensureColumns(bool toStart) const {
  if (!columns_.empty()) return;
  // Listing is no change the browser's users can see: its readers may ask for it.
  auto* self = const_cast<FSBrowser*>(this);
  self->addColumn(QStringLiteral("/"));
  if (toStart && !startPath_.isEmpty()) self->setPath(startPath_);
}

int FSBrowser::columnCount() const {
  ensureColumns(true);
  return int(columns_.size());
}

void FSBrowser::showEvent(QShowEvent* event) {
  ensureColumns(true);
  QScrollArea::showEvent(event);
}

FSColumnModel* FSBrowser::columnModel(int column) const {
  return column >= 0 && column < columnCount() ? columns_[std::size_t(column)].model : nullptr;
}

QListView* FSBrowser::columnView(int column) const {
  return column >= 0 && column < columnCount() ? columns_[std::size_t(column)].view : nullptr;
}

QString FSBrowser::pathToColumn(int column) const {
  if (column <= 0 || column >= columnCount()) return QStringLiteral("/");
  return columns_[std::size_t(column)].model->folder();
}

int FSBrowser::columnOf(const QListView* view) const {
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].view == view) return int(i);
  return -1;
}

void FSBrowser::addColumn(const QString& folder) {
  Column c;
  c.view = new QListView(strip_);
  c.model = new FSColumnModel(folder, c.view);
  c.view->setModel(c.model);
  c.view->setSelectionMode(QAbstractItemView::SingleSelection);
  c.view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  c.view->setUniformItemSizes(true);  // one row height: a large folder lays out at once
  c.view->setIconSize(QSize(kIconSize, kIconSize));
  QListView* view = c.view;
  connect(view, &QListView::clicked, this, [this, view](const QModelIndex& index) {
    const int column = columnOf(view);
    if (column < 0) return;
    chooseRow(column, index.row());
    emit singleClicked();
  });
  connect(view, &QListView::doubleClicked, this, [this] { emit doubleClicked(); });
  // The arrow keys choose as a click does.
  connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this, view](const QModelIndex& current) {
            if (choosing_ || !current.isValid() || !view->hasFocus()) return;
            const int column = columnOf(view);
            if (column < 0) return;
            chooseRow(column, current.row());
            emit singleClicked();
          });
  layout_->addWidget(c.view);
  columns_.push_back(c);
  watcher_->addPath(folder);
  layoutColumns();
}

void FSBrowser::dropColumnsAfter(int column) {
  while (int(columns_.size()) > column + 1) {
    Column c = columns_.back();
    columns_.pop_back();
    watcher_->removePath(c.model->folder());
    layout_->removeWidget(c.view);
    // Later: the column may be the one whose click is being handled.
    c.view->hide();
    c.view->deleteLater();
  }
}

void FSBrowser::selectRow(int column, int row) {
  QListView* view = columnView(column);
  if (!view) return;
  const QModelIndex index = view->model()->index(row, 0);
  view->setCurrentIndex(index);
  view->scrollTo(index);
}

void FSBrowser::chooseRow(int column, int row) {
  FSColumnModel* model = columnModel(column);
  if (!model || row < 0 || row >= model->rowCount()) return;
  const QScopedValueRollback<bool> guard(choosing_, true);
  dropColumnsAfter(column);
  selectRow(column, row);
  const pravella::FSEntry& e = model->entry(row);
  if (e.isDirectory && e.isReadable) {
    const QString base = model->folder() == QLatin1String("/") ? QString() : model->folder();
    addColumn(base + QLatin1Char('/') + e.name);
  }
  layoutColumns();
}

void FSBrowser::clickRow(int column, int row) {
  chooseRow(column, row);
  emit singleClicked();
}

QString FSBrowser::path() const {
  ensureColumns(true);
  for (int c = columnCount() - 1; c >= 0; --c) {
    const QListView* view = columns_[std::size_t(c)].view;
    const QModelIndex current = view->currentIndex();
    if (!current.isValid() || !view->selectionModel()->isSelected(current)) continue;
    const QString folder = columns_[std::size_t(c)].model->folder();
    return (folder == QLatin1String("/") ? QString() : folder) + QLatin1Char('/') +
           columns_[std::size_t(c)].model->entry(current.row()).name;
  }
  return QStringLiteral("/");
}

bool FSBrowser::setPath(const QString& path) {
  ensureColumns(false);
  dropColumnsAfter(0);
  columns_[0].view->clearSelection();
  columns_[0].view->setCurrentIndex(QModelIndex());
  columns_[0].model->reload();
  const QStringList parts = QDir::cleanPath(path).split(QLatin1Char('/'), Qt::SkipEmptyParts);
  for (int i = 0; i < parts.size(); ++i) {
    const int column = columnCount() - 1;
    FSColumnModel* model = columnModel(column);
    const int row = model->rowOf(parts[i]);
    if (row < 0) {
      layoutColumns();
      return false;
    }
    chooseRow(column, row);
    // A component that opened no column (a file, a package) ends the path.
    if (i + 1 < parts.size() && columnCount() - 1 == column) {
      layoutColumns();
      return false;
    }
  }
  layoutColumns();
  return true;
}

void FSBrowser::loadColumnZero() {
  ensureColumns(false);
  dropColumnsAfter(0);
  columns_[0].view->setCurrentIndex(QModelIndex());
  columns_[0].model->reload();
  layoutColumns();
}

void FSBrowser::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  layoutColumns();
}

void FSBrowser::layoutColumns() {
  // A third of the width each; the last columns in sight.
  const int width = std::max(60, viewport()->width() / kMaxVisibleColumns);
  const int height = viewport()->height();
  for (const Column& c : columns_) c.view->setFixedWidth(width - layout_->spacing());
  strip_->resize(width * int(columns_.size()), height);
  horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
}
