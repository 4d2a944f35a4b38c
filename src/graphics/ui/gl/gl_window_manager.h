#pragma once
// Opens the OpenGL plot windows on the GUI thread. A program builds its plot into the
// hand-off area on its own thread and posts the title; the manager opens a window of that
// title or makes the open one reload, while the program waits for the answer.

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
};

}  // namespace pravella::gl
