#pragma once
// graphControll: a picture window. Takes the picture of the next "setImageToGraph" post (one
// window, one picture), stands beside the main window and keeps the picture's aspect when
// resized. Closed, it leaves what it shows on the clipboard, or, after "pasteImageStatus" with
// "need paste", saves it as a JPEG in the work folder and posts "pasteImageToDocument" with
// the file's path, which puts it into the memo.

#include <QImage>
#include <QSizeF>
#include <QWidget>

#include <functional>

class QLabel;

class graphControll : public QWidget {
  Q_OBJECT
 public:
  // `mainWindow` places the window; `playSound` is the feedback sound (may be empty).
  explicit graphControll(QWidget* mainWindow = nullptr, std::function<void(const char*)> playSound = {});
  ~graphControll() override;

  void setImageToGraph(const QImage& picture);
  bool done() const { return done_; }
  bool pasteStatus() const { return pasteStatus_; }
  QSizeF imageSize() const { return imageSize_; }
  // What the window shows: the picture at the view's width, its aspect kept.
  QImage shownPicture() const;
  // The JPEG written when a "need paste" window closed ("" before or when the write failed).
  QString savedPath() const { return savedPath_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  class View;
  QWidget* mainWindow_;
  std::function<void(const char*)> playSound_;
  View* view_;
  QLabel* sizeLabel_;
  QImage picture_;
  QSizeF imageSize_;
  bool done_ = false;
  bool pasteStatus_ = false;
  bool adjusting_ = false;
  QString savedPath_;
};
