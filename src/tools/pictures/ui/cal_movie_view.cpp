#include "tools/pictures/ui/cal_movie_view.h"

#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "diary/day_documents.h"
#include "diary/diary_globals.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/ui/dialogs.h"
#include "tools/pictures/movie_folder.h"
#include "tools/pictures/picture_folder.h"
#include "tools/ui/media_movie_view.h"

using pravella::NotificationCenter;

void getKeyOnMovieTable::keyPressEvent(QKeyEvent* event) {
  const auto post = [](const char* name) { NotificationCenter::defaultCenter().post(QString::fromLatin1(name)); };
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return post("playMovie");
    case Qt::Key_Up: return post("movieListUp");
    case Qt::Key_Down: return post("movieListDown");
    default: QTableWidget::keyPressEvent(event);
  }
}

CalMovieView::CalMovieView(pravella::DeskToolHost host, QObject* parent) : QObject(parent), host_(std::move(host)) {}

CalMovieView::~CalMovieView() {
  NotificationCenter::defaultCenter().removeObservers(this);
  delete drawer_;
}

void CalMovieView::awakeFromNib() {
  buildDrawer();
  observe();
  if (host_.addSideView) host_.addSideView(drawer_);
}

void CalMovieView::buildDrawer() {
  drawer_ = new QDockWidget(tr("Movies"));
  drawer_->setObjectName(QStringLiteral("movieDrawer"));
  auto* body = new QWidget;
  auto* column = new QVBoxLayout(body);

  auto* split = new QSplitter(Qt::Vertical);
  list_ = new getKeyOnMovieTable(0, 1);
  list_->setHorizontalHeaderLabels({QStringLiteral("list")});
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->verticalHeader()->hide();
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(list_, &QTableWidget::itemSelectionChanged, this, [this] {
    if (!list_->signalsBlocked()) selectMovieAction();
  });
  movieView_ = new pravella::tools::MediaMovieView;
  // The backend keeps the last movie's state after an error: a file that does not play is
  // taken out of the view, once the backend is done reporting it.
  connect(movieView_, &pravella::tools::MediaMovieView::failed, this, [this](const QString& reason) {
    showErrMessageToConsole(("Movie: " + reason + "\n").toStdString());
    QMetaObject::invokeMethod(
        this, [this, failed = movieView_->file()] { if (movieView_->file() == failed) movieView_->clear(); },
        Qt::QueuedConnection);
  });
  split->addWidget(list_);
  split->addWidget(movieView_);
  split->setStretchFactor(1, 1);
  column->addWidget(split, 1);

  auto* buttons = new QHBoxLayout;
  const std::pair<QString, void (CalMovieView::*)()> actions[] = {
      {tr("Folder..."), &CalMovieView::selectFolderAction},
      {tr("Reload"), &CalMovieView::reLoadAction},
      {tr("Remove"), &CalMovieView::reMoveAction},
      {tr("Delete"), &CalMovieView::deleteAction},
  };
  for (const auto& [title, action] : actions) {
    auto* button = new QPushButton(title);
    connect(button, &QPushButton::clicked, this, [this, a = action] { (this->*a)(); });
    buttons->addWidget(button);
  }
  column->addLayout(buttons);
  drawer_->setWidget(body);
  drawer_->hide();
}

void CalMovieView::observe() {
  auto& center = NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void()> fn) {
    center.addObserver(QString::fromLatin1(name), this, [fn = std::move(fn)](pravella::Notification&) { fn(); });
  };
  on("openMovieSheet", [this] { openMovieSheet(); });
  on("cal_openMovieView", [this] { openMovieSheet(); });
  on("cal_toggleMovieView", [this] { toggleMovieViewAction(); });
  on("movieListUp", [this] { movieListUp(); });
  on("movieListDown", [this] { movieListDown(); });
  on("playMovie", [this] { playMovie(); });
}

void CalMovieView::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

int CalMovieView::selectedRow() const {
  const QList<QTableWidgetItem*> items = list_->selectedItems();
  return items.isEmpty() ? -1 : items.first()->row();
}

void CalMovieView::getMovieFilesList() { movieListArray_ = pravella::listMovieFiles(nowMovieFilePath_); }

void CalMovieView::reloadList() {
  list_->blockSignals(true);
  list_->clearSelection();
  list_->setRowCount(static_cast<int>(movieListArray_.size()));
  for (int i = 0; i < movieListArray_.size(); ++i)
    list_->setItem(i, 0, new QTableWidgetItem(QFileInfo(movieListArray_[i]).fileName()));
  list_->blockSignals(false);
  // A list without the shown movie shows none.
  if (!movieListArray_.contains(movieView_->file())) movieView_->clear();
}

void CalMovieView::selectRow(int row) {
  list_->blockSignals(true);
  list_->clearSelection();
  if (row >= 0 && row < list_->rowCount()) {
    list_->selectRow(row);
    list_->scrollToItem(list_->item(row, 0));
  }
  list_->blockSignals(false);
}

void CalMovieView::closeAll() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
}

void CalMovieView::openDrawer() {
  drawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
}

void CalMovieView::openMovieSheet() {
  if (!SheetCanOpen) return;
  const QString shown = host_.nowDisplayedFileOnMemoSheet ? host_.nowDisplayedFileOnMemoSheet() : QString();
  const QString ext = QFileInfo(shown).suffix();
  if (ext == QLatin1String("movd") || ext == QLatin1String("MOVD"))
    nowMovieFilePath_ = shown;
  else if (nowMovieFilePath_.isEmpty())
    nowMovieFilePath_ = QDir::homePath();
  getMovieFilesList();
  closeAll();
  reloadList();
  selectRow(0);
  openDrawer();
  selectMovieAction();
  sound("Tink");
}

void CalMovieView::toggleMovieViewAction() {
  if (drawer_->isVisible()) {
    movieView_->stop();
    closeAll();
    drawer_->hide();
    return;
  }
  openMovieSheet();
}

void CalMovieView::selectFolderAction() {
  QWidget* parent = host_.mainWindow;
  const QString folder = pravella::dialogs::chooseFolder(parent, QStringLiteral("Select Movie Folder !"), nowMovieFilePath_);
  if (folder.isEmpty() || !SheetCanOpen) return;
  nowMovieFilePath_ = folder;
  listAndShowFirst();
}

void CalMovieView::reLoadAction() {
  if (SheetCanOpen) listAndShowFirst();
}

void CalMovieView::listAndShowFirst() {
  getMovieFilesList();
  reloadList();
  // A folder without files leaves the drawer as it was.
  if (movieListArray_.isEmpty()) return;
  closeAll();
  selectRow(0);
  openDrawer();
  selectMovieAction();
  sound("Tink");
}

void CalMovieView::selectMovieAction() {
  const int row = selectedRow();
  if (row < 0 || row >= movieListArray_.size()) return;
  // A file that does not play is reported by the view and shows nothing.
  movieView_->setFile(movieListArray_[row]);
  movieView_->play();
}

void CalMovieView::playMovie() { movieView_->play(); }

void CalMovieView::stepTo(int row) {
  if (row < 0) return;
  selectRow(row);
  selectMovieAction();
}

void CalMovieView::movieListUp() {
  stepTo(pravella::previousPictureRow(selectedRow(), static_cast<int>(movieListArray_.size())));
}

void CalMovieView::movieListDown() {
  stepTo(pravella::nextPictureRow(selectedRow(), static_cast<int>(movieListArray_.size())));
}

void CalMovieView::dropSelected() {
  const int row = selectedRow();
  movieListArray_.removeAt(row);
  reloadList();
  selectRow(std::min(row, static_cast<int>(movieListArray_.size()) - 1));
  selectMovieAction();
}

void CalMovieView::reMoveAction() {
  const int row = selectedRow();
  if (row < 0 || row >= movieListArray_.size()) return;
  dropSelected();
}

void CalMovieView::deleteAction() {
  const int row = selectedRow();
  if (row < 0 || row >= movieListArray_.size()) return;
  // To the Trash, as every other delete of the application: a movie deleted by a slip of the
  // key can be put back.
  if (movieView_->file() == movieListArray_[row]) movieView_->clear();
  const pravella::TrashResult trashed = pravella::moveToTrash(movieListArray_[row]);
  if (!trashed.ok) {
    showErrMessageToConsole(trashed.error.toStdString() + "\n");
    sound("Basso");
    return;
  }
  dropSelected();
}
