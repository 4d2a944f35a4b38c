#pragma once
// The movie builder: one window in which programs build a movie frame by frame from pictures
// (JPEG frames at 1/600 s), play and edit it, and save it as one QuickTime file. Closing it
// with frames not yet saved offers the save panel first.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

#include "imaging/movie/movie_document.h"

namespace pravella::imaging {

class MovieView;

class vkMovie : public QObject {
  Q_OBJECT
 public:
  // The JPEG quality of the frames: 768 of 1024, the mapping of the picture files.
  static constexpr int kJpegQuality = 75;

  explicit vkMovie(QObject* parent = nullptr);
  ~vkMovie() override;

  QWidget* window() const { return window_; }
  MovieView* movieView() const { return movieView_; }
  movie::MovieDocument* movie() const { return movie_.get(); }
  // True while the movie holds nothing unsaved.
  bool firstTime() const { return firstTime_; }

  // Shows the window beside the main window with a new, empty movie.
  bool openVkMovieWindow();
  // Appends the picture as a frame of `units` (1/600 s); false when no movie is open.
  bool pasteImage(const QImage& image, std::int64_t units);
  // False when writing fails, with the reason (naming the file) in `why`.
  bool saveMovie(const QString& path, QString* why = nullptr);
  // The save panel, then saveMovie; false when cancelled (`why` left empty) or when writing
  // fails.
  bool saveAsMovie(QString* why = nullptr);
  void closeWindow();
  bool windowShouldClose();
  // The movie_ commands by name (see moviebuilder::command).
  void command(const QString& name, double value);

  // Where the save panel asks for a file; empty when cancelled. Tests replace it.
  std::function<QString()> askSavePath;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString runSavePanel();

  QPointer<QWidget> window_;
  MovieView* movieView_ = nullptr;
  std::shared_ptr<movie::MovieDocument> movie_;
  std::unique_ptr<QTemporaryDir> storage_;
  int stored_ = 0;
  bool firstTime_ = true;
};

// The one builder.
QPointer<vkMovie>& vkMovie_x();

}  // namespace pravella::imaging
