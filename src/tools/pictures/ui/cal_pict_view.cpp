#include "tools/pictures/ui/cal_pict_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QVBoxLayout>

#include "diary/day_documents.h"
#include "diary/diary_globals.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "tools/pictures/ui/full_screen_window.h"
#include "tools/pictures/ui/pict_image_view.h"

using pravella::NotificationCenter;

namespace {

void post(const QString& name, const QString& text = {}) {
  NotificationCenter::defaultCenter().post(name, text);
}

}  // namespace

void getKeyOnPictTable::keyPressEvent(QKeyEvent* event) {
  const QString shift = event->modifiers() & Qt::ShiftModifier ? QStringLiteral("shift") : QStringLiteral("none");
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return void(post(QStringLiteral("openWithViewerAction"), shift));
    case Qt::Key_Escape: return void(post(QStringLiteral("cal_closeSheet"), shift));
    case Qt::Key_Up: return void(post(QStringLiteral("pictListUp")));
    case Qt::Key_Down: return void(post(QStringLiteral("pictListDown")));
    case Qt::Key_Left: return void(post(QStringLiteral("slideShowActionBack")));
    case Qt::Key_Right: return void(post(QStringLiteral("slideShowAction")));
    default: QTableWidget::keyPressEvent(event);
  }
}

CalPictView::CalPictView(pravella::DeskToolHost host, QObject* parent) : QObject(parent), host_(std::move(host)) {
  tmSlideShow_.setSingleShot(false);
  connect(&tmSlideShow_, &QTimer::timeout, this, [this] { slideStep(forward_); });
}

CalPictView::~CalPictView() {
  NotificationCenter::defaultCenter().removeObservers(this);
  delete drawer_;
}

void CalPictView::awakeFromNib() {
  // The picture folder is made, never entered: programs on the worker thread resolve paths
  // against the process's folder, which must not move under them.
  const QString folder = pravella::pictureFolderPath();
  if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
    showErrMessageToConsole("Can not Create Image Folder folder(0)!\n");
  nowPictFilePath_ = folder;
  buildDrawer();
  observe();
  if (host_.addSideView) host_.addSideView(drawer_);
}

void CalPictView::buildDrawer() {
  drawer_ = new QDockWidget(tr("Pictures"));
  drawer_->setObjectName(QStringLiteral("pictDrawer"));
  auto* body = new QWidget;
  auto* column = new QVBoxLayout(body);

  auto* folderRow = new QHBoxLayout;
  auto* before = new QPushButton(QStringLiteral("<"));
  auto* next = new QPushButton(QStringLiteral(">"));
  folderPathField_ = new QComboBox;
  folderPathField_->setEditable(true);
  folderPathField_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  auto* clear = new QPushButton(tr("Clear"));
  folderRow->addWidget(before);
  folderRow->addWidget(folderPathField_);
  folderRow->addWidget(next);
  folderRow->addWidget(clear);
  column->addLayout(folderRow);
  connect(before, &QPushButton::clicked, this, [this] { beforeAction(); });
  connect(next, &QPushButton::clicked, this, [this] { nextAction(); });
  connect(clear, &QPushButton::clicked, this, [this] { rirekiClearAction(); });
  connect(folderPathField_, &QComboBox::activated, this, [this] { rirekiAction(); });
  connect(folderPathField_->lineEdit(), &QLineEdit::returnPressed, this, [this] { rirekiAction(); });

  auto* split = new QSplitter(Qt::Vertical);
  list_ = new getKeyOnPictTable(0, 1);
  list_->setHorizontalHeaderLabels({QStringLiteral("list")});
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->verticalHeader()->hide();
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(list_, &QTableWidget::itemSelectionChanged, this, [this] {
    if (!list_->signalsBlocked()) selectPictFileAction();
  });
  pictView_ = new PictImageView;
  split->addWidget(list_);
  split->addWidget(pictView_);
  column->addWidget(split, 1);

  auto* viewRow = new QHBoxLayout;
  auto* scaling = new QCheckBox(tr("Actual size"));
  auto* mag = new QSlider(Qt::Horizontal);
  mag->setRange(1, 80);  // tenths: 0.1 to 8 times
  mag->setValue(10);
  connect(scaling, &QCheckBox::toggled, pictView_, &PictImageView::setActualSize);
  connect(mag, &QSlider::valueChanged, pictView_, [this](int v) { pictView_->setMagnification(v / 10.0); });
  viewRow->addWidget(scaling);
  viewRow->addWidget(mag);
  column->addLayout(viewRow);

  pictSlider_ = new QSlider(Qt::Horizontal);
  pictSlider_->setTickPosition(QSlider::TicksBelow);
  connect(pictSlider_, &QSlider::sliderReleased, this, [this] { pictSliderAction(); });
  column->addWidget(pictSlider_);

  auto* showRow = new QHBoxLayout;
  auto* slide = new QPushButton(tr("Slide Show"));
  timeSlider_ = new QSlider(Qt::Horizontal);
  timeSlider_->setRange(1, 30);  // seconds
  timeSlider_->setValue(3);
  timeSlider_->setToolTip(tr("Interval (s)"));
  fullScreenSwitch_ = new QCheckBox(tr("Full Screen"));
  connect(slide, &QPushButton::clicked, this, [this] { slideShowAction(); });
  connect(timeSlider_, &QSlider::sliderReleased, this, [this] { timeSliderAction(); });
  showRow->addWidget(slide);
  showRow->addWidget(timeSlider_);
  showRow->addWidget(fullScreenSwitch_);
  column->addLayout(showRow);

  auto* fileRow = new QHBoxLayout;
  const std::pair<QString, void (CalPictView::*)()> buttons[] = {
      {tr("Reload"), &CalPictView::reLoadAction},       {tr("Folder..."), &CalPictView::selectFolderAction},
      {tr("Thumbnails"), &CalPictView::makeThumbnailAction}, {tr("Remove"), &CalPictView::removeAction},
      {tr("Delete"), &CalPictView::deleteAction},       {tr("Delete All"), &CalPictView::deleteAllAction},
  };
  for (const auto& [title, action] : buttons) {
    auto* button = new QPushButton(title);
    connect(button, &QPushButton::clicked, this, [this, a = action] { (this->*a)(); });
    fileRow->addWidget(button);
  }
  column->addLayout(fileRow);
  toolRow_ = new QHBoxLayout;
  column->addLayout(toolRow_);
  drawer_->setWidget(body);
  drawer_->hide();

  fullScreen_ = std::make_unique<FullScreenWindow>();
}

void CalPictView::observe() {
  auto& center = NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void(pravella::Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  on("pictFolderPathFromFinderSheet", [this](auto& n) { pictFolderPathFromFinderSheet(n.text); });
  on("openPictViewAction", [this](auto&) { openPictViewAction(); });
  on("cal_openPictView", [this](auto&) { openPictViewAction(); });
  on("openPictViewAction2", [this](auto&) { openPictViewAction2(); });
  on("pictListUp", [this](auto&) { pictListUp(); });
  on("pictListDown", [this](auto&) { pictListDown(); });
  on("stopSlideShow", [this](auto&) { stopSlideShow(); });
  on("EndSlideShow", [this](auto&) { EndSlideShow(); });
  on("slideShowAction", [this](auto&) { slideShowAction(); });
  on("slideShowActionBack", [this](auto&) { slideShowActionBack(); });
  on("openWithViewerAction", [this](auto&) { openWithViewerAction(); });
  on("openPictImageFolder", [this](auto& n) { openPictImageFolder(n.text); });
  on("openPictImageFolder2", [this](auto& n) { openPictImageFolder_2(n.text); });
  on("cal_togglePictView", [this](auto&) { togglePictViewAction(); });
}

void CalPictView::addDrawerButton(QWidget* button) {
  if (button) toolRow_->addWidget(button);
}

void CalPictView::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

int CalPictView::selectedRow() const {
  const QList<QTableWidgetItem*> items = list_->selectedItems();
  return items.isEmpty() ? -1 : items.first()->row();
}

void CalPictView::getPictFilesList() {
  pictListArray_ = pravella::listPictureFiles(nowPictFilePath_);
  resetSlider();
}

void CalPictView::resetSlider() {
  const int count = static_cast<int>(pictListArray_.size());
  pictSlider_->setRange(1, std::max(count, 1));
  pictSlider_->setTickInterval(1);
  pictSlider_->setValue(1);
}

void CalPictView::reloadList(int row) {
  list_->blockSignals(true);
  list_->clearSelection();
  list_->setRowCount(static_cast<int>(pictListArray_.size()));
  for (int i = 0; i < pictListArray_.size(); ++i)
    list_->setItem(i, 0, new QTableWidgetItem(QFileInfo(pictListArray_[i]).fileName()));
  list_->blockSignals(false);
  selectRow(row);
}

void CalPictView::selectRow(int row) {
  list_->blockSignals(true);
  list_->clearSelection();
  if (row >= 0 && row < list_->rowCount()) {
    list_->selectRow(row);
    list_->scrollToItem(list_->item(row, 0));
  }
  list_->blockSignals(false);
}

QImage CalPictView::loadOrNoImage(int row) const {
  QImage image;
  if (row >= 0 && row < pictListArray_.size()) image.load(pictListArray_[row]);
  if (image.isNull()) image.load(pravella::NoImageFilePath());
  return image;
}

void CalPictView::display(const QImage& image) {
  if (fullScreenSwitch_->isChecked()) {
    fullScreen_->view()->setImage(image);
    fullScreen_->fillScreenAndShow();
  } else {
    pictView_->setImage(image);
  }
}

void CalPictView::selectPictFileAction() {
  const int row = selectedRow();
  stopSlideShow();
  const QImage image = loadOrNoImage(row);
  if (image.isNull()) return;
  display(image);
  pictSlider_->setValue(row + 1);
}

void CalPictView::stepTo(int row) {
  if (row < 0) return;
  stopSlideShow();
  selectRow(row);
  selectPictFileAction();
}

void CalPictView::pictListUp() {
  stopSlideShow();
  stepTo(pravella::previousPictureRow(selectedRow(), static_cast<int>(pictListArray_.size())));
}

void CalPictView::pictListDown() {
  stopSlideShow();
  stepTo(pravella::nextPictureRow(selectedRow(), static_cast<int>(pictListArray_.size())));
}

void CalPictView::pictSliderAction() { stepTo(pictSlider_->value() - 1); }

void CalPictView::startSlideShow(bool forward) {
  tmSlideShow_.stop();
  forward_ = forward;
  tmSlideShow_.start(timeSlider_->value() * 1000);
}

void CalPictView::slideShowAction() { startSlideShow(true); }
void CalPictView::slideShowActionBack() { startSlideShow(false); }
// A new interval restarts the show forward, whichever way it ran.
void CalPictView::timeSliderAction() { startSlideShow(true); }

void CalPictView::slideShow() { slideStep(true); }
void CalPictView::slideShowBack() { slideStep(false); }

void CalPictView::slideStep(bool forward) {
  const int count = static_cast<int>(pictListArray_.size());
  const int row = forward ? pravella::nextPictureRow(selectedRow(), count)
                          : pravella::previousPictureRow(selectedRow(), count);
  if (row < 0) return;  // nothing listed: nothing to show
  selectRow(row);
  const QImage image = loadOrNoImage(row);
  if (image.isNull()) return;
  display(image);
  pictSlider_->setValue(row + 1);
}

void CalPictView::stopSlideShow() { tmSlideShow_.stop(); }

void CalPictView::EndSlideShow() {
  stopSlideShow();
  fullScreenSwitch_->setChecked(false);
  fullScreen_->hide();
  selectPictFileAction();
}

void CalPictView::showFolder(const QString& folder) {
  nowPictFilePath_ = folder;
  showFolderSub();
}

void CalPictView::showFolderSub() {
  folderPathField_->setEditText(nowPictFilePath_);
  if (history_.add(nowPictFilePath_)) folderPathField_->addItem(nowPictFilePath_);
  folderPathField_->setEditText(nowPictFilePath_);
  EndSlideShow();
  getPictFilesList();
  reloadList(0);
  selectPictFileAction();
  sound("Tink");
}

void CalPictView::showFolderSubAndLastImage() {
  folderPathField_->setEditText(nowPictFilePath_);
  if (history_.add(nowPictFilePath_)) folderPathField_->addItem(nowPictFilePath_);
  folderPathField_->setEditText(nowPictFilePath_);
  EndSlideShow();
  getPictFilesList();
  reloadList(static_cast<int>(pictListArray_.size()) - 1);
  selectPictFileAction();
}

void CalPictView::openDrawer() {
  folderPathField_->setEditText(nowPictFilePath_);
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
  EndSlideShow();
}

void CalPictView::openPictViewAction() {
  if (!SheetCanOpen) return;
  const QString shown = host_.nowDisplayedFileOnMemoSheet ? host_.nowDisplayedFileOnMemoSheet() : QString();
  const QString ext = QFileInfo(shown).suffix();
  if (ext == QLatin1String("pictd") || ext == QLatin1String("PICTD"))
    nowPictFilePath_ = shown;
  else if (nowPictFilePath_.isEmpty())
    nowPictFilePath_ = QDir::homePath();
  openDrawer();
  showFolderSub();
}

void CalPictView::openPictViewAction2() {
  if (!SheetCanOpen) return;
  openDrawer();
}

void CalPictView::reLoadAction() {
  if (!SheetCanOpen) return;
  openDrawer();
  showFolderSub();
}

void CalPictView::togglePictViewAction() {
  if (drawer_->isVisible()) {
    if (host_.closeAllToggleView) host_.closeAllToggleView();
    drawer_->hide();
    return;
  }
  openPictViewAction();
}

void CalPictView::closePictViewAction() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->hide();
}

void CalPictView::pictFolderPathFromFinderSheet(const QString& folder) {
  if (folder.isEmpty()) return;
  nowPictFilePath_ = folder;
  if (!SheetCanOpen) return;
  openDrawer();
  showFolderSub();
}

void CalPictView::openPictImageFolder(const QString& folder) {
  if (folder.isEmpty()) return;
  nowPictFilePath_ = folder;
  showFolderSub();
}

void CalPictView::openPictImageFolder_2(const QString& folder) {
  if (folder.isEmpty()) return;
  nowPictFilePath_ = folder;
  showFolderSubAndLastImage();
}

void CalPictView::selectFolderAction() { post(QStringLiteral("openFinderSheetWithPath"), nowPictFilePath_); }

void CalPictView::makeThumbnailAction() { post(QStringLiteral("makeThumbnailToDocumentNotif"), nowPictFilePath_); }

void CalPictView::rirekiAction() {
  const QString folder = folderPathField_->currentText();
  if (folder.isEmpty()) return;
  EndSlideShow();
  showFolder(folder);
}

void CalPictView::nextAction() {
  const QString folder = history_.after(folderPathField_->currentText());
  if (folder.isEmpty()) return;
  folderPathField_->setEditText(folder);
  rirekiAction();
}

void CalPictView::beforeAction() {
  const QString folder = history_.before(folderPathField_->currentText());
  if (folder.isEmpty()) return;
  folderPathField_->setEditText(folder);
  rirekiAction();
}

void CalPictView::rirekiClearAction() {
  history_.clear();
  folderPathField_->clear();
  showFolder(QDir::homePath());
}

void CalPictView::openWithViewerAction() {
  const int row = selectedRow();
  if (row < 0 || row >= pictListArray_.size() || pictListArray_[row].isEmpty()) return;
  const QFileInfo file(pictListArray_[row]);
  // Not waited for: the viewer lives on its own.
  QProcess::startDetached(QStringLiteral("xdg-open"), {file.absoluteFilePath()}, file.absolutePath());
}

void CalPictView::dropSelected() {
  const int row = selectedRow();
  pictListArray_.removeAt(row);
  reloadList(std::min(row, static_cast<int>(pictListArray_.size()) - 1));
  selectPictFileAction();
  resetSlider();
}

void CalPictView::removeAction() {
  const int row = selectedRow();
  if (row < 0 || row >= pictListArray_.size()) return;
  EndSlideShow();
  dropSelected();
}

void CalPictView::deleteAction() {
  const int row = selectedRow();
  if (row < 0 || row >= pictListArray_.size()) return;
  const pravella::TrashResult trashed = pravella::moveToTrash(pictListArray_[row]);
  if (!trashed.ok) {
    showErrMessageToConsole(trashed.error.toStdString() + "\n");
    sound("Basso");
    return;
  }
  dropSelected();
}

void CalPictView::deleteAllAction() {
  bool yes = false;
  if (askDeleteAll_) {
    yes = askDeleteAll_();
  } else {
    // The question names what goes (the first 15, then how many more): a folder's pictures are
    // easily more than the user thinks.
    QStringList names;
    for (qsizetype i = 0; i < pictListArray_.size() && i < 15; ++i)
      names << QFileInfo(pictListArray_[i]).fileName();
    if (pictListArray_.size() > 15) names << tr("... and %1 more").arg(pictListArray_.size() - 15);
    QMessageBox box(QMessageBox::Question, tr("Delete"),
                    tr("Do you want to delete All Picture Files?") + QLatin1Char('\n') + names.join(u'\n'),
                    QMessageBox::NoButton,
                    host_.mainWindow ? static_cast<QWidget*>(host_.mainWindow) : nullptr);
    box.setTextFormat(Qt::PlainText);
    QPushButton* cancel = box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    QPushButton* remove = box.addButton(tr("Delete"), QMessageBox::DestructiveRole);
    box.setDefaultButton(cancel);
    box.exec();
    yes = box.clickedButton() == remove;
  }
  if (!yes || pictListArray_.isEmpty()) return;
  QStringList kept;
  for (const QString& path : std::as_const(pictListArray_)) {
    const pravella::TrashResult trashed = pravella::moveToTrash(path);
    if (!trashed.ok) {
      // What could not be moved stays listed.
      showErrMessageToConsole(trashed.error.toStdString() + "\n");
      kept << path;
    }
  }
  pictListArray_ = kept;
  reloadList(-1);
  selectPictFileAction();
  resetSlider();
}
