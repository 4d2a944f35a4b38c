#include "graphics/ui/gl/gl_window_manager.h"

#include <QString>
#include <QVariant>

#include <vector>

#include "graphics/gl/gl_commands.h"
#include "graphics/gl/gl_plot_data.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "graphics/ui/gl/vk_opengl_window.h"
#include "platform/notification_center.h"

namespace pravella::gl {

namespace {

// Hands a command's values to the controller's relay of the same name.
void relay(vkOpenGLWindow& w, const QString& name, const std::vector<double>& v) {
  const auto is = [&name](const char* command) { return name == QLatin1String(command); };
  if (is(kMoveGLWindow)) return w.moveGLWindow(v[0], v[1]);
  if (is(kSizeGLWindow)) return w.sizeGLWindow(v[0], v[1]);
  if (is(kSetBackColor)) return w.setBackColor(v[0], v[1], v[2]);
  if (is(kSetLineColor)) return w.setLineColor(v[0], v[1], v[2]);
  if (is(kSetPointColor)) return w.setPointColor(v[0], v[1], v[2]);
  if (is(kSetPlaneColor)) return w.setPlaneColor(v[0], v[1], v[2]);
  if (is(kSetObjectSize)) return w.setObjectSize(v[0]);
  if (is(kSetPointSize)) return w.setPointSize(v[0]);
  if (is(kSetLineWidth)) return w.setLineWidth_gl(v[0]);
  if (is(kSetPointSwitch)) return w.setPointSwitch(v[0]);
  if (is(kSetLineSwitch)) return w.setLineSwitch(v[0]);
  if (is(kSetPlaneSwitch)) return w.setPlaneSwitch(v[0]);
  if (is(kSetColorSwitch)) return w.setColorSwitch(v[0]);
  if (is(kSetBoxSwitch)) return w.setBoxSwitch(v[0]);
  if (is(kSetWorldRotation)) return w.setWorldRotation(v[0], v[1], v[2], v[3]);
  if (is(kSetObjectRotation)) return w.setObjectRotation(v[0], v[1], v[2], v[3]);
}

}  // namespace

GLWindowManager::GLWindowManager(QWidget* mainWindow, QObject* parent) : QObject(parent) {
  setGLMainWindow(mainWindow);
  NotificationCenter& center = NotificationCenter::defaultCenter();
  center.addObserver(QString::fromLatin1(kOpenGLWindowNotification), this,
                     [this](Notification& n) { n.reply = open(n.text); });
  for (const GLWindowCommand& command : glWindowCommands()) {
    const QString name = QString::fromLatin1(command.name);
    const int count = command.values;
    center.addObserver(name, this, [name, count](Notification& n) {
      const std::vector<double> values = glCommandValues(n.strings);
      if (static_cast<int>(values.size()) != count) return;
      if (vkOpenGLWindow* window = findWindowFromGLWindowList(n.text)) relay(*window, name, values);
    });
  }
  center.addObserver(QString::fromLatin1(kCloseGLWindow), this, [](Notification& n) {
    if (vkOpenGLWindow* window = findWindowFromGLWindowList(n.text)) window->closeGLWindow();
  });
  center.addObserver(QString::fromLatin1(kCloseAllGLWindow), this, [](Notification&) { closeAll(); });
  center.addObserver(QString::fromLatin1(kDoGetGLPicture), this, [](Notification& n) {
    if (vkOpenGLWindow* window = findWindowFromGLWindowList(n.text))
      n.reply = QVariant::fromValue(window->DoGetGLPictureToClip());
  });
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

void GLWindowManager::closeAll() {
  while (glWindowList().size() > 0) {
    const GLWindowPointer first = glWindowList().first();
    const QString title = glWindowList().titleOf(first);
    if (first) first->closeGLWindow();
    // A pair whose window went already stays behind its close: take it out, so the loop ends.
    if (glWindowList().size() > 0 && glWindowList().first() == first &&
        glWindowList().titleOf(first) == title)
      glWindowList().remove(title);
  }
}

}  // namespace pravella::gl
