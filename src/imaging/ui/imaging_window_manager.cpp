#include "imaging/ui/imaging_window_manager.h"

#include <QAction>
#include <QMenu>
#include <QStringList>
#include <QVariantList>
#include <QWidget>

#include "graphics/picture.h"
#include "imaging/motion_tracking.h"
#include "imaging/movie_builder.h"
#include "imaging/movie_windows.h"
#include "imaging/picture_windows.h"
#include "imaging/ui/cal_motion_analyser_image_window.h"
#include "imaging/ui/cal_motion_analyzer.h"
#include "imaging/ui/program_window_anchor.h"
#include "imaging/ui/sub_window_list.h"
#include "imaging/ui/vk_movie.h"
#include "platform/notification_center.h"

namespace pravella::imaging {

namespace {

std::pair<double, double> pairOf(const Notification& n) {
  const QVariantList v = n.payload.toList();
  return {v.value(0).toDouble(), v.value(1).toDouble()};
}

}  // namespace

ImagingWindowManager::ImagingWindowManager(QWidget* mainWindow, QObject* parent) : QObject(parent) {
  setProgramWindowAnchor(mainWindow);
  NotificationCenter& center = NotificationCenter::defaultCenter();
  namespace pw = picturewindows;
  center.addObserver(QString::fromLatin1(pw::kOpenNotification), this,
                     [](Notification& n) { openSubWindowWithImage(n.payload.toByteArray(), n.text); });
  center.addObserver(QString::fromLatin1(pw::kCloseNotification), this,
                     [](Notification& n) { closePictWindow(n.text); });
  center.addObserver(QString::fromLatin1(pw::kCloseAllNotification), this,
                     [](Notification&) { closeAllPictWindow(); });
  center.addObserver(QString::fromLatin1(pw::kMoveNotification), this, [](Notification& n) {
    const auto [x, y] = pairOf(n);
    movePictWindow(n.text, x, y);
  });
  center.addObserver(QString::fromLatin1(pw::kSizeNotification), this, [](Notification& n) {
    const auto [w, h] = pairOf(n);
    sizePictWindow(n.text, w, h);
  });
  center.addObserver(QString::fromLatin1(motion::kOpenMovieWindowNotification), this, [](Notification& n) {
    n.reply = openMovieWindowWithMovie_NSString(n.strings.value(0), n.strings.value(1));
  });

  center.addObserver(QString::fromLatin1(motion::kOpenMovieImageWindowNotification), this,
                     [](Notification& n) { n.reply = openMovieImageWindowWithMovie(n.text); });

  namespace mb = moviebuilder;
  center.addObserver(QString::fromLatin1(mb::kOpenNotification), this,
                     [this](Notification& n) { n.reply = builder()->openVkMovieWindow(); });
  center.addObserver(QString::fromLatin1(mb::kPasteNotification), this, [this](Notification& n) {
    const QVariantList v = n.payload.toList();
    const QByteArray bytes = v.value(0).toByteArray();
    const QImage image =
        Picture::fromBytes(bytes.constData(), static_cast<std::size_t>(bytes.size())).toImage();
    n.reply = builder()->pasteImage(image, v.value(1).toLongLong());
  });
  // A refused save gives the program its reason back, to report in the run's result.
  center.addObserver(QString::fromLatin1(mb::kSaveNotification), this, [this](Notification& n) {
    QString why;
    n.reply = builder()->saveMovie(n.text, &why);
    n.strings = QStringList{why};
  });
  center.addObserver(QString::fromLatin1(mb::kSaveAsNotification), this, [this](Notification& n) {
    QString why;
    n.reply = builder()->saveAsMovie(&why);
    n.strings = QStringList{why};
  });
  center.addObserver(QString::fromLatin1(mb::kCommandNotification), this,
                     [this](Notification& n) { builder()->command(n.text, n.payload.toDouble()); });

  if (!mainWindow) return;
  if (auto* file = mainWindow->findChild<QMenu*>(QStringLiteral("fileMenu"))) {
    auto* newMovie = new QAction(tr("New Movie Window"), file);
    newMovie->setObjectName(QStringLiteral("newMovieWindowAction"));
    connect(newMovie, &QAction::triggered, this, [] { openNulMovieWindow(); });
    file->insertAction(file->actions().value(0), newMovie);
    auto* newTracking = new QAction(tr("New Movie Tracking Window"), file);
    newTracking->setObjectName(QStringLiteral("newMovieTrackingWindowAction"));
    connect(newTracking, &QAction::triggered, this, [] { openNulMovieImageWindow(); });
    file->insertAction(file->actions().value(1), newTracking);
  }
}

ImagingWindowManager::~ImagingWindowManager() { NotificationCenter::defaultCenter().removeObservers(this); }

vkMovie* ImagingWindowManager::builder() {
  if (!builder_) builder_ = new vkMovie(this);
  return builder_;
}

}  // namespace pravella::imaging
