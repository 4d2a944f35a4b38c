#include "tools/pictures/ui/graph_controll.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/ui/window_placement.h"
#include "tools/jpeg_file.h"
#include "tools/pictures/memo_picture.h"
#include "tools/pictures/picture_geometry.h"

using pravella::NotificationCenter;
using pravella::Notification;

class graphControll::View : public QWidget {
 public:
  explicit View(graphControll* owner) : QWidget(owner), owner_(owner) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QImage shown = owner_->shownPicture();
    if (!shown.isNull()) painter.drawImage(0, 0, shown);
  }

 private:
  graphControll* owner_;
};

graphControll::graphControll(QWidget* mainWindow, std::function<void(const char*)> playSound)
    : QWidget(nullptr, Qt::Window), mainWindow_(mainWindow), playSound_(std::move(playSound)),
      view_(new View(this)), sizeLabel_(new QLabel(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(tr("Picture"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view_, 1);
  sizeLabel_->setFixedHeight(pravella::kPictureWindowExtraHeight);
  sizeLabel_->setAlignment(Qt::AlignCenter);
  layout->addWidget(sizeLabel_);
  auto& center = NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("setImageToGraph"), this, [this](Notification& n) {
    if (n.payload.canConvert<QImage>()) setImageToGraph(n.payload.value<QImage>());
  });
  center.addObserver(QStringLiteral("pasteImageStatus"), this,
                     [this](Notification& n) { pasteStatus_ = n.text == QLatin1String("need paste"); });
}

graphControll::~graphControll() { NotificationCenter::defaultCenter().removeObservers(this); }

void graphControll::setImageToGraph(const QImage& picture) {
  if (done_ || picture.isNull()) return;
  picture_ = picture;
  imageSize_ = picture.size();
  adjusting_ = true;
  resize(pravella::pictureWindowSize(imageSize_));
  pravella::placeBesideMainWindow(this, mainWindow_);
  adjusting_ = false;
  done_ = true;
  show();
  update();
}

QImage graphControll::shownPicture() const {
  if (picture_.isNull() || view_->width() <= 0) return {};
  const QSize size(view_->width(), static_cast<int>(imageSize_.height() * view_->width() / imageSize_.width()));
  return pravella::redrawnPicture(picture_, size);
}

void graphControll::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!done_ || adjusting_) return;
  // The width is the user's; the height follows the picture's aspect.
  const int height = pravella::pictureWindowHeight(imageSize_, width());
  if (height != this->height()) {
    adjusting_ = true;
    resize(width(), height);
    adjusting_ = false;
  }
  sizeLabel_->setText(QStringLiteral("%1 x %2").arg(view_->width()).arg(view_->height()));
  view_->update();
}

void graphControll::closeEvent(QCloseEvent* event) {
  const QImage shown = shownPicture();
  event->accept();
  if (shown.isNull()) return;
  if (!pasteStatus_) {
    QGuiApplication::clipboard()->setImage(shown);
    return;
  }
  const QString folder = pravella::paths::vkData();
  QDir().mkpath(folder);
  const QString path = pravella::freshPictureFileName(folder, QDateTime::currentDateTime(),
                                                      pravella::PictureNameForm::StampThenNumber);
  if (!pravella::saveAsJpeg(shown, path, 0.9f)) {
    // The memo keeps its old picture.
    if (playSound_) playSound_("Basso");
    return;
  }
  savedPath_ = path;
  NotificationCenter::defaultCenter().post(QStringLiteral("pasteImageToDocument"), path);
}
