// The plot view's mouse, wheel, keys and menu.

#include <QAction>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QWheelEvent>

#include "graphics/gl/gl_clock.h"
#include "graphics/gl/trackball.h"
#include "graphics/ui/gl/basic_opengl_view.h"
#include "platform/cformat.h"
#include "platform/console_log.h"

namespace pravella::gl {

namespace {

// How far a right press may move and still count as a click that opens the menu.
constexpr int kClickSlop = 3;

void toggle(std::int8_t& sw) { sw = sw == 1 ? 0 : 1; }

}  // namespace

void BasicOpenGLView::buildMenu() {
  menu_ = new QMenu(this);
  animateMenuItem = menu_->addAction(QStringLiteral("Animate"));
  animateMenuItem->setCheckable(true);
  animateMenuItem->setChecked(fAnimate);
  animateMenuItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  connect(animateMenuItem, &QAction::triggered, this, [this] { animate(); });
  infoMenuItem = menu_->addAction(QStringLiteral("Info"));
  infoMenuItem->setCheckable(true);
  infoMenuItem->setChecked(fInfo);
  infoMenuItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  connect(infoMenuItem, &QAction::triggered, this, [this] { info(); });
  menu_->addSeparator();
  copyMenuItem_ = menu_->addAction(QStringLiteral("Copy"));
  copyMenuItem_->setShortcut(QKeySequence::Copy);
  connect(copyMenuItem_, &QAction::triggered, this, [this] { copy(); });
  saveMenuItem_ = menu_->addAction(QStringLiteral("Save Image As…"));
  connect(saveMenuItem_, &QAction::triggered, this, [this] { saveImageAsAction(); });
  // The shortcuts work while the view has the focus, the menu closed.
  for (QAction* action : {animateMenuItem, infoMenuItem, copyMenuItem_}) {
    action->setShortcutContext(Qt::WidgetShortcut);
    addAction(action);
  }
}

void BasicOpenGLView::saveImageAsAction() {
  QString filter;
  const QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("Save Image As"), QStringLiteral("GL_Picture.tiff"),
      QStringLiteral("TIFF image (*.tiff *.tif);;RTFD document (*.rtfd)"), &filter);
  if (path.isEmpty()) return;
  QString target = path;
  if (filter.startsWith(QLatin1String("RTFD")) && !target.endsWith(QLatin1String(".rtfd")))
    target += QStringLiteral(".rtfd");
  const WriteResult written = saveImageAs(target);
  if (!written) QMessageBox::warning(this, QStringLiteral("Save Image As"), written.error);
}

void BasicOpenGLView::contextMenuEvent(QContextMenuEvent* event) {
  // The right button pans; a right click opens the menu at its release (mouseReleaseEvent).
  if (event->reason() == QContextMenuEvent::Mouse) {
    event->accept();
    return;
  }
  menu_->popup(event->globalPos());
}

void BasicOpenGLView::startTrackballDrag(const QPointF& p) {
  gDolly = gPan = false;
  gTrackball = true;
  startTrackball(static_cast<std::int32_t>(p.x()), static_cast<std::int32_t>(p.y()), 0, 0, camera_.viewWidth,
                 camera_.viewHeight);
  tracking_ = true;
}

void BasicOpenGLView::endTrackballDrag() {
  if (gTrackball && gTrackBallRotation[0] != 0.0f)
    addToRotationTrackball(gTrackBallRotation.data(), worldRotation_.data());
  gTrackBallRotation = {0, 0, 0, 0};
}

void BasicOpenGLView::startDollyOrPan(const QPointF& p, bool dolly) {
  endTrackballDrag();
  gDolly = dolly;
  gPan = !dolly;
  gTrackball = false;
  gDollyPanStartPoint[0] = static_cast<std::int32_t>(p.x());
  gDollyPanStartPoint[1] = static_cast<std::int32_t>(p.y());
  tracking_ = true;
}

// Positions are in view pixels, y counted down from the top, as the camera rules take them.
void BasicOpenGLView::mousePressEvent(QMouseEvent* event) {
  const QPointF p = event->position();
  switch (event->button()) {
    case Qt::LeftButton:
      if (event->modifiers() & Qt::MetaModifier)
        startDollyOrPan(p, false);
      else if (event->modifiers() & Qt::AltModifier)
        startDollyOrPan(p, true);
      else
        startTrackballDrag(p);
      break;
    case Qt::RightButton:
      startDollyOrPan(p, false);
      rightClick_ = true;
      rightPress_ = event->globalPosition().toPoint();
      break;
    case Qt::MiddleButton:
      startDollyOrPan(p, true);
      break;
    default:
      return QOpenGLWidget::mousePressEvent(event);
  }
  tickTime = glTickCount();
  event->accept();
}

void BasicOpenGLView::mouseMoveEvent(QMouseEvent* event) {
  if (!tracking_) return QOpenGLWidget::mouseMoveEvent(event);
  const QPointF p = event->position();
  if (rightClick_ && (event->globalPosition().toPoint() - rightPress_).manhattanLength() > kClickSlop)
    rightClick_ = false;
  if (gTrackball) {
    rollToTrackball(static_cast<std::int32_t>(p.x()), static_cast<std::int32_t>(p.y()),
                    gTrackBallRotation.data());
    update();
  } else if (gDolly) {
    mouseDolly(camera_, gDollyPanStartPoint, p.x(), p.y());
    update();
  } else if (gPan) {
    mousePan(camera_, gDollyPanStartPoint, p.x(), p.y());
    update();
  }
  tickTime = glTickCount();
  event->accept();
}

void BasicOpenGLView::mouseUp() {
  if (gDolly) {
    gDolly = false;
  } else if (gPan) {
    gPan = false;
  } else if (gTrackball) {
    gTrackball = false;
    if (gTrackBallRotation[0] != 0.0f)
      addToRotationTrackball(gTrackBallRotation.data(), worldRotation_.data());
    if (isFling(glTickCount(), tickTime))
      gTrackBallRotationX = gTrackBallRotation;
    else
      gTrackBallRotationX = {0, 0, 0, 0};
    gTrackBallRotation = {0, 0, 0, 0};
  }
  tracking_ = false;
  wakeTimer();
}

void BasicOpenGLView::mouseReleaseEvent(QMouseEvent* event) {
  if (!tracking_) return QOpenGLWidget::mouseReleaseEvent(event);
  const bool openMenu = event->button() == Qt::RightButton && rightClick_;
  rightClick_ = false;
  mouseUp();
  update();
  event->accept();
  if (openMenu) menu_->popup(event->globalPosition().toPoint());
}

void BasicOpenGLView::wheelEvent(QWheelEvent* event) {
  // One notch is 120; turning the wheel away from the user is positive.
  const QPoint delta = event->angleDelta();
  const float w = static_cast<float>(delta.x() + delta.y()) / 120.0f;
  event->accept();
  if (w == 0.0f) return;
  zoomAperture(camera_, w);
  update();
}

void BasicOpenGLView::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  if (text.isEmpty()) return QOpenGLWidget::keyPressEvent(event);
  switch (text.at(0).unicode()) {
    case 'a':
      gTrackBallRotation = {0, 0, 0, 0};
      gTrackBallRotationX = {0, 0, 0, 0};
      animate();
      break;
    case '1':
    case 's':
      toggle(planeSwitch);
      break;
    case '2':
    case 'l':
      toggle(lineSwitch);
      break;
    case '3':
    case 'c':
      toggle(colorSwitch);
      break;
    case '4':
    case 'p':
      toggle(pointSwitch);
      break;
    case '0':
      toggle(lightSwitch);
      break;
    case ' ':
    case 'b':
      toggle(boxSwitch);
      break;
    case 'h':
      fDrawHelp = !fDrawHelp;
      break;
    case '9': {
      const auto line = [](const char* label, const std::array<float, 4>& r) {
        showErrMessageToConsole(cformat("%s: %g, %g, %g, %g\n", label, r[0], r[1], r[2], r[3]));
      };
      line("WR", worldRotation_);
      line("OR", objectRotation_);
      line("TB", gTrackBallRotation);
      break;
    }
    default:
      return QOpenGLWidget::keyPressEvent(event);
  }
  update();
  event->accept();
}

}  // namespace pravella::gl
