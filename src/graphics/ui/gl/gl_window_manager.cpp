#include "graphics/ui/gl/gl_window_manager.h"

#include <QString>

#include "graphics/gl/gl_plot_data.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "graphics/ui/gl/vk_opengl_window.h"
#include "platform/notification_center.h"

namespace pravella::gl {

GLWindowManager::GLWindowManager(QWidget* mainWindow, QObject* parent) : QObject(parent) {
  setGLMainWindow(mainWindow);
  NotificationCenter::defaultCenter().addObserver(
      QString::fromLatin1(kOpenGLWindowNotification), this,
      [this](Notification& n) { n.reply = open(n.text); });
}

GLWindowManager::~GLWindowManager() { NotificationCenter::defaultCenter().removeObservers(this); }

QString GLWindowManager::open(const QString& requested) {
  QString why;
  if (!openGLWindowsAvailable(&why)) return why;
  const QString title = glWindowTitle(requested);
  if (vkOpenGLWindow* found = findWindowFromGLWindowList(title)) {
    found->reloadGLData();
    return {};
  }
  new vkOpenGLWindow;  // lives as a child of its window
  vkOpenGLWindow* created = glwindowID().data();
  created->setWindowTitle(title);
  addWindowToGLWindowList(title, created);
  return {};
}

}  // namespace pravella::gl
