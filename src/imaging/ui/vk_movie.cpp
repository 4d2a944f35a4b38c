#include "imaging/ui/vk_movie.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QFileDialog>
#include <QImageWriter>
#include <QVBoxLayout>

#include <cmath>

#include "graphics/picture.h"
#include "imaging/movie/movie_writer.h"
#include "imaging/ui/movie_view.h"
#include "imaging/ui/program_window_anchor.h"
#include "platform/console_log.h"
#include "platform/ui/window_placement.h"

namespace pravella::imaging {

QPointer<vkMovie>& vkMovie_x() {
  static QPointer<vkMovie> builder;
  return builder;
}

vkMovie::vkMovie(QObject* parent) : QObject(parent) {
  window_ = new QWidget(nullptr, Qt::Window);
  window_->setWindowTitle(tr("Movie"));
  auto* layout = new QVBoxLayout(window_);
  layout->setContentsMargins(0, 0, 0, 0);
  movieView_ = new MovieView(window_);
  layout->addWidget(movieView_);
  window_->resize(320, 240 + MovieView::kControllerHeight);
  window_->installEventFilter(this);
  askSavePath = [this] { return runSavePanel(); };
  vkMovie_x() = this;
}

vkMovie::~vkMovie() {
  if (window_) {
    window_->removeEventFilter(this);
    delete window_.data();
  }
}

bool vkMovie::openVkMovieWindow() {
  placeBesideMainWindow(window_, programWindowAnchor());
  window_->show();
  window_->raise();
  // A new movie each time; its frames are kept in a private temporary folder.
  storage_ = std::make_unique<QTemporaryDir>();
  stored_ = 0;
  movie_ = std::make_shared<movie::MovieDocument>();
  movieView_->setMovie(movie_);
  movieView_->setEditable(true);
  firstTime_ = true;
  return true;
}

bool vkMovie::pasteImage(const QImage& image, std::int64_t units) {
  if (!movie_ || !storage_ || !storage_->isValid() || image.isNull() || units < 1) return false;
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(kJpegQuality);
  // A plot paints only what it draws; the rest is clear and shows white, as in picture files.
  if (!writer.write(flattenOnWhite(image))) return false;
  const QString file =
      storage_->filePath(QStringLiteral("frame%1.jpg").arg(++stored_, 6, 10, QLatin1Char('0')));
  if (!movie_->appendStill(jpeg, units, file)) return false;
  if (firstTime_) {
    // The window takes the size of the first frame since opening or saving, as much of it as
    // the screen shows, in the frame's proportions.
    const QSize size =
        pravella::pictureSizeOnScreen(window_, image.width(), image.height(), MovieView::kControllerHeight);
    pravella::requestGeometry(window_, QRect(pravella::requestedGeometry(window_).topLeft(), size));
    keepBesideMainWindowOnScreen(window_, programWindowAnchor());
    pravella::keepOnScreen(window_);
    firstTime_ = false;
  }
  movieView_->stepForward();
  return true;
}

bool vkMovie::saveMovie(const QString& path, QString* why) {
  if (!movie_ || movie_->isEmpty()) return false;
  movieView_->gotoBeginning();
  QString reason;
  if (!movie::writeJpegMovie(*movie_, path, kJpegQuality, &reason)) {
    // The reason names the file and says why ("Cannot save "…": File too large").
    showErrMessageToConsole((reason + "\n").toStdString());
    if (why) *why = reason;
    return false;
  }
  movie_->setEdited(false);
  firstTime_ = true;
  return true;
}

QString vkMovie::runSavePanel() {
  QFileDialog panel(window_, tr("Save Movie"));
  panel.setAcceptMode(QFileDialog::AcceptSave);
  panel.setWindowModality(Qt::WindowModal);
  if (panel.exec() != QDialog::Accepted) return {};
  return panel.selectedFiles().value(0);
}

bool vkMovie::saveAsMovie(QString* why) {
  const QString path = askSavePath ? askSavePath() : QString();
  if (path.isEmpty()) return false;
  return saveMovie(path, why);
}

void vkMovie::closeWindow() {
  if (window_) window_->close();
}

bool vkMovie::windowShouldClose() {
  if (!firstTime_) saveAsMovie();
  movieView_->stop();
  movieView_->setMovie(nullptr);
  movie_.reset();
  storage_.reset();
  firstTime_ = true;
  return true;
}

bool vkMovie::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Close && window_->isVisible()) {
    if (!windowShouldClose()) {
      event->ignore();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void vkMovie::command(const QString& name, double value) {
  MovieView* v = movieView_;
  if (name == QLatin1String("gotoBeginning")) {
    v->gotoBeginning();
  } else if (name == QLatin1String("gotoEnd")) {
    v->gotoEnd();
  } else if (name == QLatin1String("start")) {
    v->play();
  } else if (name == QLatin1String("stop")) {
    v->stop();
  } else if (name == QLatin1String("stepBack")) {
    v->stepBackward();
  } else if (name == QLatin1String("stepForward")) {
    v->stepForward();
  } else if (name == QLatin1String("clear") || name == QLatin1String("delete")) {
    v->deleteSelection();
  } else if (name == QLatin1String("copy")) {
    v->copy();
  } else if (name == QLatin1String("cut")) {
    v->cut();
  } else if (name == QLatin1String("paste")) {
    v->paste();
  } else if (name == QLatin1String("selectAll")) {
    v->selectAll();
  } else if (name == QLatin1String("close")) {
    closeWindow();
  } else if (name == QLatin1String("setRate")) {
    v->setRate(value);
  } else if (name == QLatin1String("resizeWithMagnification")) {
    // However large or small the factor: at least a pixel each way, at most the screen, as
    // every size a program gives; both sides by one factor, so the movie keeps its proportions.
    if (value > 0 && v->movie() && !v->movie()->isEmpty()) {
      const QSize natural = v->movie()->naturalSize();
      pravella::resizePictureOnScreen(window_, natural.width() * value, natural.height() * value,
                                      MovieView::kControllerHeight);
    }
  } else if (name == QLatin1String("setLoopMode")) {
    v->setLoopMode(value >= 0 && value <= 2 ? static_cast<int>(value) : -1);
  } else if (name == QLatin1String("playsSelectionOnly")) {
    v->setPlaysSelectionOnly(value != 0);
  } else if (name == QLatin1String("setPlaysEveryFrame")) {
    v->setPlaysEveryFrame(value != 0);
  }
}

}  // namespace pravella::imaging
