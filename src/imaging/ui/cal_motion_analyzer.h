#pragma once
// A motion-analyser movie window: one movie in a movie view, opened by title by programs and
// the calendar, registered in the movie window list so that the "ma" built-ins reach it. The
// controller lives as a child of its window and goes with it.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

#include "imaging/movie/movie_document.h"
#include "imaging/movie_windows.h"

namespace pravella::imaging {

class MovieView;

class CalMotionAnalyzer : public QObject {
  Q_OBJECT
 public:
  CalMotionAnalyzer();
  ~CalMotionAnalyzer() override;

  QWidget* window() const { return window_; }
  MovieView* movieView() const { return movieView_; }
  // What the movie window list holds for this window.
  motion::MovieWindowHandle handle() const { return handle_; }

  // A new window: placed beside the main window, sized to the movie, shown in front.
  void setMovieToMovieWindow(std::shared_ptr<movie::MovieDocument> movie, const QString& title);
  // Another movie in this window: resized to it, title and place kept.
  void setMovieToMovieWindowNoTitle(std::shared_ptr<movie::MovieDocument> movie);
  void closeMovieWindow();
  bool windowShouldClose();

  // Window frame size with a nominal 22-point title bar, as programs measure it.
  QSize windowFrameSize() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fitToMovie();

  QPointer<QWidget> window_;
  MovieView* movieView_ = nullptr;
  motion::MovieWindowHandle handle_;
  QSize aspect_;
  bool resizing_ = false;
};

// The most recently made movie window.
QPointer<CalMotionAnalyzer>& movieWindowID();
CalMotionAnalyzer* controllerOf(const motion::MovieWindowHandle& handle);

// Opening by title, on the GUI thread: false when the file is no movie (nothing changes).
bool openMovieWindowWithMovie_NSString(const QString& path, const QString& title);
// The placeholder movie (the application icon) under "_Movie_".
bool openNulMovieWindow();

}  // namespace pravella::imaging
