#pragma once
// The OpenGL plot windows that programs opened, by title, and the one made last.

#include <QPointer>
#include <QString>

#include "graphics/window_list.h"

class QWidget;

namespace pravella::gl {

class vkOpenGLWindow;
using GLWindowPointer = QPointer<vkOpenGLWindow>;

WindowList<GLWindowPointer>& glWindowList();
// The controller most recently created: every new one stores itself here.
GLWindowPointer& glwindowID();

vkOpenGLWindow* findWindowFromGLWindowList(const QString& title);
vkOpenGLWindow* findFirstWindowFromGLWindowList();
QString findTitleFromGLWindowList(vkOpenGLWindow* controller);
void addWindowToGLWindowList(const QString& title, vkOpenGLWindow* controller);
void deleteGLWindowListForKey(const QString& title);

// The application's main window, which "moveGLWindow" measures from; none in the tests.
void setGLMainWindow(QWidget* window);
QWidget* glMainWindow();

}  // namespace pravella::gl
