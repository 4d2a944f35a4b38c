#include "imaging/ui/cal_motion_analyzer.h"

#include <QCloseEvent>
#include <QMetaObject>
#include <QResizeEvent>
#include <QThread>
#include <QVBoxLayout>

#include <type_traits>

#include "imaging/ui/movie_view.h"
#include "imaging/ui/program_window_anchor.h"
#include "platform/paths.h"
#include "platform/ui/window_placement.h"

namespace pravella::imaging {

using motion::MovieEdit;
using motion::MovieTime;
using motion::MovieTransport;

namespace {

// The title bar that programs count in a window's frame.
constexpr int kTitleBar = 22;

// Runs `f` on the controller's thread and returns its answer; programs ask from their worker
// thread and wait. A window that has gone answers the default.
template <class F>
auto onWindowThread(const QPointer<CalMotionAnalyzer>& c, F f) {
  using R = std::invoke_result_t<F, CalMotionAnalyzer*>;
  auto run = [c, &f]() -> R {
    if constexpr (std::is_void_v<R>) {
      if (c) f(c.data());
    } else {
      if (!c) return R{};
      return f(c.data());
    }
  };
  if (!c || QThread::currentThread() == c->thread()) return run();
  if constexpr (std::is_void_v<R>) {
    QMetaObject::invokeMethod(c.data(), run, Qt::BlockingQueuedConnection);
  } else {
    R result{};
    QMetaObject::invokeMethod(
        c.data(), [&] { result = run(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

MovieTime unitsToTime(std::int64_t units) { return {units, movie::kMovieTimeScale, 0}; }

class MovieWindowAdapter : public motion::MovieWindow {
 public:
  explicit MovieWindowAdapter(CalMotionAnalyzer* c) : c_(c) {}
  CalMotionAnalyzer* controller() const { return c_.data(); }

  void transport(MovieTransport what) override {
    onWindowThread(c_, [what](CalMotionAnalyzer* c) {
      MovieView* v = c->movieView();
      switch (what) {
        case MovieTransport::GotoBeginning:
          v->gotoBeginning();
          break;
        case MovieTransport::GotoEnd:
          v->gotoEnd();
          break;
        case MovieTransport::Play:
          v->play();
          break;
        case MovieTransport::Stop:
          v->stop();
          break;
        case MovieTransport::StepForward:
          v->stepForward();
          break;
        case MovieTransport::StepBackward:
          v->stepBackward();
          break;
      }
    });
  }
  void edit(MovieEdit what) override {
    onWindowThread(c_, [what](CalMotionAnalyzer* c) {
      MovieView* v = c->movieView();
      switch (what) {
        case MovieEdit::Copy:
          v->copy();
          break;
        case MovieEdit::Cut:
          v->cut();
          break;
        case MovieEdit::Paste:
          v->paste();
          break;
        case MovieEdit::Delete:
          v->deleteSelection();
          break;
        case MovieEdit::SelectAll:
          v->selectAll();
          break;
        case MovieEdit::SelectNone:
          v->selectNone();
          break;
      }
    });
  }
  MovieTime currentTime() override {
    return onWindowThread(c_, [](CalMotionAnalyzer* c) {
      auto* m = c->movieView()->movie();
      return unitsToTime(m ? m->currentTime() : 0);
    });
  }
  void setCurrentTime(MovieTime time) override {
    onWindowThread(c_, [time](CalMotionAnalyzer* c) {
      if (time.scale > 0) c->movieView()->setCurrentTime(movie::toMovieUnits(time.value, time.scale));
    });
  }
  MovieTime duration() override {
    return onWindowThread(c_, [](CalMotionAnalyzer* c) {
      auto* m = c->movieView()->movie();
      return unitsToTime(m ? m->duration() : 0);
    });
  }
  QSize naturalSize() override {
    return onWindowThread(c_, [](CalMotionAnalyzer* c) {
      auto* m = c->movieView()->movie();
      return m ? m->naturalSize() : QSize(0, 0);
    });
  }
  QSize windowFrameSize() override {
    return onWindowThread(c_, [](CalMotionAnalyzer* c) { return c->windowFrameSize(); });
  }
  bool frameAt(MovieTime time, QImage* frame) override {
    if (time.scale <= 0 || time.value < 0) return false;
    *frame = onWindowThread(c_, [time](CalMotionAnalyzer* c) {
      auto* m = c->movieView()->movie();
      return m ? m->frameAt(movie::toMovieUnits(time.value, time.scale)) : QImage();
    });
    return !frame->isNull();
  }
  void closeWindow() override {
    onWindowThread(c_, [](CalMotionAnalyzer* c) {
      if (c->window()) c->window()->close();
    });
  }

 private:
  QPointer<CalMotionAnalyzer> c_;
};

}  // namespace

QPointer<CalMotionAnalyzer>& movieWindowID() {
  static QPointer<CalMotionAnalyzer> id;
  return id;
}

CalMotionAnalyzer* controllerOf(const motion::MovieWindowHandle& handle) {
  auto* adapter = dynamic_cast<MovieWindowAdapter*>(handle.get());
  return adapter ? adapter->controller() : nullptr;
}

CalMotionAnalyzer::CalMotionAnalyzer() {
  window_ = new QWidget(nullptr, Qt::Window);
  window_->setAttribute(Qt::WA_DeleteOnClose);
  setParent(window_);
  auto* layout = new QVBoxLayout(window_);
  layout->setContentsMargins(0, 0, 0, 0);
  movieView_ = new MovieView(window_);
  layout->addWidget(movieView_);
  connect(movieView_, &MovieView::movieDropped, this, [this] {
    fitToMovie();
    movieView_->setEditable(true);
  });
  window_->installEventFilter(this);
  handle_ = std::make_shared<MovieWindowAdapter>(this);
  movieWindowID() = this;
}

CalMotionAnalyzer::~CalMotionAnalyzer() {
  movieView_->stop();
  // However the window went, its title must not find it again.
  if (motion::movieWindowList().contains(handle_))
    motion::deleteMovieWindowListForKey(motion::findTitleFromMovieWindowList(handle_));
}

QSize CalMotionAnalyzer::windowFrameSize() const {
  if (!window_) return {};
  // The size last given, which the window system may not have shown yet.
  const QSize size = pravella::requestedGeometry(window_).size();
  return {size.width(), size.height() + kTitleBar};
}

void CalMotionAnalyzer::fitToMovie() {
  // The movie at its natural size, or as much of it as the screen shows in its proportions.
  const QSize natural = movieView_->movieSizeWithBar() - QSize(0, MovieView::kControllerHeight);
  aspect_ = natural.expandedTo(QSize(1, 1));
  const QSize content =
      pravella::pictureSizeOnScreen(window_, natural.width(), natural.height(), MovieView::kControllerHeight);
  resizing_ = true;
  pravella::requestGeometry(window_, QRect(pravella::requestedGeometry(window_).topLeft(), content));
  resizing_ = false;
  // A larger movie must not push the window's right part off the screen.
  keepBesideMainWindowOnScreen(window_, programWindowAnchor());
  pravella::keepOnScreen(window_);
}

void CalMotionAnalyzer::setMovieToMovieWindow(std::shared_ptr<movie::MovieDocument> movie,
                                              const QString& title) {
  movieView_->setMovie(std::move(movie));
  fitToMovie();
  placeBesideMainWindow(window_, programWindowAnchor());
  window_->setWindowTitle(title);
  window_->show();
  window_->raise();
  movieView_->setEditable(true);
}

void CalMotionAnalyzer::setMovieToMovieWindowNoTitle(std::shared_ptr<movie::MovieDocument> movie) {
  movieView_->setMovie(std::move(movie));
  fitToMovie();
  window_->show();
  window_->raise();
  movieView_->setEditable(true);
}

bool CalMotionAnalyzer::windowShouldClose() {
  if (motion::movieWindowList().contains(handle_))
    motion::deleteMovieWindowListForKey(motion::findTitleFromMovieWindowList(handle_));
  return true;
}

void CalMotionAnalyzer::closeMovieWindow() {
  windowShouldClose();
  if (window_) window_->close();
}

bool CalMotionAnalyzer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_) {
    if (event->type() == QEvent::Close) {
      movieView_->stop();
      windowShouldClose();
    }
    // A resize by hand keeps the movie's proportions (the controller bar below keeps its height).
    if (event->type() == QEvent::Resize && event->spontaneous() && !resizing_ && !aspect_.isEmpty() &&
        !pravella::answersRequest(window_, static_cast<QResizeEvent*>(event)->size())) {
      const int wanted =
          static_cast<int>(window_->width() * static_cast<double>(aspect_.height()) / aspect_.width() + 0.5) +
          MovieView::kControllerHeight;
      if (std::abs(wanted - window_->height()) > 1) {
        resizing_ = true;
        window_->resize(window_->width(), wanted);
        resizing_ = false;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

namespace {

bool showMovie(std::unique_ptr<movie::MovieDocument> doc, const QString& title) {
  if (!doc) return false;
  std::shared_ptr<movie::MovieDocument> shared(std::move(doc));
  if (CalMotionAnalyzer* found = controllerOf(motion::findWindowFromMovieWindowList(title))) {
    found->setMovieToMovieWindowNoTitle(shared);
    return true;
  }
  new CalMotionAnalyzer;  // lives as a child of its window
  CalMotionAnalyzer* created = movieWindowID().data();
  created->setMovieToMovieWindow(shared, title);
  motion::addWindowToMovieWindowList(title, created->handle());
  return true;
}

}  // namespace

bool openMovieWindowWithMovie_NSString(const QString& path, const QString& title) {
  return showMovie(movie::MovieDocument::open(path), title);
}

bool openNulMovieWindow() {
  return showMovie(movie::MovieDocument::fromPictureFile(paths::resource(QStringLiteral("pvIcon128.png")),
                                                         movie::kMovieTimeScale),
                   QStringLiteral("_Movie_"));
}

}  // namespace pravella::imaging
