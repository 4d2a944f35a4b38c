#pragma once
// A movie view: the frame at the current time above a 20-point controller bar (play/stop, a
// slider over the movie's duration, the time). It plays on a timer at the frames' own times,
// edits its movie (when editable) and opens a movie file dropped on it.

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

#include "imaging/movie/movie_document.h"

class QLabel;
class QSlider;
class QToolButton;

namespace pravella::imaging {

class MovieView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kControllerHeight = 20;

  explicit MovieView(QWidget* parent = nullptr);
  ~MovieView() override;

  void setMovie(std::shared_ptr<movie::MovieDocument> movie);
  movie::MovieDocument* movie() const { return movie_.get(); }
  std::shared_ptr<movie::MovieDocument> movieHandle() const { return movie_; }
  void setEditable(bool editable) { editable_ = editable; }
  bool isEditable() const { return editable_; }

  void play();
  void stop();
  bool isPlaying() const { return timer_.isActive(); }
  void gotoBeginning();
  void gotoEnd();
  void stepForward();
  void stepBackward();
  void setCurrentTime(std::int64_t units);

  void copy();
  void cut();
  void paste();
  void deleteSelection();
  void selectAll();
  void selectNone();

  // Playing: rate (1 normal; negative plays backwards), loop mode (0 normal, 1 loop,
  // 2 back and forth), the selection only, every frame.
  void setRate(double rate);
  double rate() const { return rate_; }
  void setLoopMode(int mode);
  int loopMode() const { return loopMode_; }
  void setPlaysSelectionOnly(bool only) { selectionOnly_ = only; }
  bool playsSelectionOnly() const { return selectionOnly_; }
  void setPlaysEveryFrame(bool every) { everyFrame_ = every; }
  bool playsEveryFrame() const { return everyFrame_; }

  // What a drop of a file does: the movie in the file replaces the shown one; a file that is
  // no movie changes nothing (false).
  bool openDroppedFile(const QString& path);

  // The size that shows the movie at natural size with the bar.
  QSize movieSizeWithBar() const;

 signals:
  // A dropped file replaced the movie.
  void movieDropped(const QString& path);
  void currentTimeChanged(qint64 units);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void tick();
  void scheduleTick();
  void refresh();
  std::pair<std::int64_t, std::int64_t> playRange() const;

  std::shared_ptr<movie::MovieDocument> movie_;
  bool editable_ = false;
  QTimer timer_;
  double rate_ = 1.0;
  int loopMode_ = 0;
  bool selectionOnly_ = false;
  bool everyFrame_ = false;
  int direction_ = 1;
  QWidget* bar_ = nullptr;
  QToolButton* playButton_ = nullptr;
  QSlider* slider_ = nullptr;
  QLabel* timeLabel_ = nullptr;
};

}  // namespace pravella::imaging
