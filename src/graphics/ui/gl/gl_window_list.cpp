#include "graphics/ui/gl/gl_window_list.h"

#include <QWidget>

#include "graphics/ui/gl/vk_opengl_window.h"

namespace pravella::gl {

namespace {
QPointer<QWidget> gMainWindow;
}

WindowList<GLWindowPointer>& glWindowList() {
  static WindowList<GLWindowPointer> list;
  return list;
}

GLWindowPointer& glwindowID() {
  static GLWindowPointer id;
  return id;
}

vkOpenGLWindow* findWindowFromGLWindowList(const QString& title) {
  return glWindowList().find(title).data();
}

vkOpenGLWindow* findFirstWindowFromGLWindowList() { return glWindowList().first().data(); }

QString findTitleFromGLWindowList(vkOpenGLWindow* controller) {
  return glWindowList().titleOf(GLWindowPointer(controller));
}

void addWindowToGLWindowList(const QString& title, vkOpenGLWindow* controller) {
  glWindowList().add(title, GLWindowPointer(controller));
}

void deleteGLWindowListForKey(const QString& title) { glWindowList().remove(title); }

void setGLMainWindow(QWidget* window) { gMainWindow = window; }

QWidget* glMainWindow() { return gMainWindow.data(); }

}  // namespace pravella::gl
