#pragma once
// Opens and drives the windows that programs address by title (picture sub-windows, movie
// windows) on the GUI thread: observes the requests the built-ins post and carries them out
// while the program waits. Also gives the main window's File menu "New Movie Window".

#include <QObject>

class QWidget;

namespace pravella::imaging {

class vkMovie;

class ImagingWindowManager : public QObject {
  Q_OBJECT
 public:
  // `mainWindow` is what new windows are placed against (may be null).
  explicit ImagingWindowManager(QWidget* mainWindow, QObject* parent = nullptr);
  ~ImagingWindowManager() override;

  // The one movie builder, made when first asked for: its window is not needed before.
  vkMovie* builder();

 private:
  vkMovie* builder_ = nullptr;
};

}  // namespace pravella::imaging
