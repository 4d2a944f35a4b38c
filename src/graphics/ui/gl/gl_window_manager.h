#pragma once
// Opens the OpenGL plot windows on the GUI thread and carries the commands programs send them
// by title. A program builds its plot into the hand-off area on its own thread and posts the
// title; the manager opens a window of that title or makes the open one reload, while the
// program waits for the answer. Commands for a title no window has do nothing.

#include <QObject>

class QWidget;

namespace pravella::gl {

class GLWindowManager : public QObject {
  Q_OBJECT
 public:
  // `mainWindow` is what "moveGLWindow" measures from (may be null).
  explicit GLWindowManager(QWidget* mainWindow, QObject* parent = nullptr);
  ~GLWindowManager() override;

  // Opens or reloads the window of `title` from the hand-off area. An empty string on success,
  // else the reason.
  QString open(const QString& title);
  // Closes every window of the list; the list is empty afterwards.
  static void closeAll();
};

}  // namespace pravella::gl
