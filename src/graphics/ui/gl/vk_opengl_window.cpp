#include "graphics/ui/gl/vk_opengl_window.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include <cmath>
#include <utility>

#include "graphics/ui/gl/basic_opengl_view.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "platform/ui/window_placement.h"

namespace pravella::gl {

vkOpenGLWindow::vkOpenGLWindow() {
  auto* window = new QWidget(nullptr, Qt::Window);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setAttribute(Qt::WA_ShowWithoutActivating);
  window->setWindowTitle(QStringLiteral("GL_Window"));
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  imageView_ = new BasicOpenGLView(this, window);
  layout->addWidget(imageView_);
  window->resize(400, 300);
  // Beside the main window like the other windows programs open, and not over the memo the
  // program runs in.
  placeBesideMainWindow(window, glMainWindow());
  window->installEventFilter(this);
  window_ = window;
  setParent(window);
  imageView_->awakeFromNib();
  awakeFromNib();
}

void vkOpenGLWindow::awakeFromNib() { glwindowID() = this; }

void vkOpenGLWindow::orderFront() {
  if (!window_) return;
  if (!window_->isVisible()) window_->show();
  window_->raise();
}

void vkOpenGLWindow::setWindowTitle(const QString& title) {
  if (!window_) return;
  window_->setWindowTitle(title);
  orderFront();
  imageView_->update();
}

void vkOpenGLWindow::setImageToSubWindowNoTitle() {
  orderFront();
  imageView_->update();
}

bool vkOpenGLWindow::windowShouldClose() {
  if (window_) {
    const QString title = window_->windowTitle();
    // Only this window's own pair: a program's close has taken it out already.
    if (glWindowList().find(title) == this) deleteGLWindowListForKey(title);
  }
  imageView_->dealloc_GLMemory();
  return true;
}

void vkOpenGLWindow::closeGLWindow() {
  if (!window_) return;
  deleteGLWindowListForKey(window_->windowTitle());
  window_->close();
}

bool vkOpenGLWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
    imageView_->contextUpdate();
  if (watched == window_ && event->type() == QEvent::Close) {
    if (!windowShouldClose()) {
      event->ignore();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void vkOpenGLWindow::moveGLWindow(double x, double y) {
  orderFront();
  if (!window_ || std::isnan(x) || std::isnan(y)) return;
  const QWidget* main = glMainWindow();
  const int top = main ? main->frameGeometry().top() : 0;
  pravella::moveOnScreen(window_, x, top + y);
}

void vkOpenGLWindow::sizeGLWindow(double w, double h) {
  orderFront();
  // The size goes on in single precision; one below a pixel would hide the window.
  const float width = static_cast<float>(w), height = static_cast<float>(h);
  if (!window_ || !(width >= 1 && height >= 1)) return;
  pravella::resizeOnScreen(window_, width, height);
  imageView_->update();
}

void vkOpenGLWindow::getGLData(GLPlotData& out) { out = takeGLPlotData(); }

void vkOpenGLWindow::getTexturePicture(QByteArray& picture) { picture = takeTexturePicture(); }

#define PRAVELLA_RELAY3(name)                               \
  void vkOpenGLWindow::name(double a, double b, double c) { \
    orderFront();                                           \
    imageView_->name(a, b, c);                              \
  }
#define PRAVELLA_RELAY1(name)           \
  void vkOpenGLWindow::name(double v) { \
    orderFront();                       \
    imageView_->name(v);                \
  }
#define PRAVELLA_RELAY4(name)                                         \
  void vkOpenGLWindow::name(double a, double x, double y, double z) { \
    orderFront();                                                     \
    imageView_->name(a, x, y, z);                                     \
  }

PRAVELLA_RELAY3(setBackColor)
PRAVELLA_RELAY3(setLineColor)
PRAVELLA_RELAY3(setPointColor)
PRAVELLA_RELAY3(setPlaneColor)
PRAVELLA_RELAY1(setObjectSize)
PRAVELLA_RELAY1(setPointSize)
PRAVELLA_RELAY1(setLineWidth_gl)
PRAVELLA_RELAY1(setPointSwitch)
PRAVELLA_RELAY1(setLineSwitch)
PRAVELLA_RELAY1(setPlaneSwitch)
PRAVELLA_RELAY1(setColorSwitch)
PRAVELLA_RELAY1(setBoxSwitch)
PRAVELLA_RELAY4(setWorldRotation)
PRAVELLA_RELAY4(setObjectRotation)

void vkOpenGLWindow::reloadGLData() {
  orderFront();
  imageView_->reloadGLData();
}

QImage vkOpenGLWindow::DoGetGLPictureToClip() { return imageView_->DoGetGLPictureToClip(); }

}  // namespace pravella::gl
