#include "platform/ui/button_focus.h"

#include <QApplication>
#include <QDockWidget>
#include <QEvent>
#include <QPointer>
#include <QPushButton>

namespace pravella {
namespace {

class ButtonFocus : public QObject {
 public:
  explicit ButtonFocus(QWidget* window) : QObject(window), window_(window) {
    for (QPushButton* b : window->findChildren<QPushButton*>()) adjust(b);
    // Buttons made later (drawers build their parts when first shown) are caught as they show:
    // by then they have their place in the window, which they may not have had when made.
    qApp->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show)
      if (auto* b = qobject_cast<QPushButton*>(watched)) adjust(b);
    return QObject::eventFilter(watched, event);
  }

 private:
  bool inWindow(const QWidget* w) const {
    const QWidget* top = w->window();
    if (top == window_) return true;
    const auto* dock = qobject_cast<const QDockWidget*>(top);
    return dock && dock->parentWidget() == window_;
  }

  void adjust(QPushButton* b) const {
    const Qt::FocusPolicy policy = b->focusPolicy();
    if ((policy & Qt::ClickFocus) && inWindow(b))
      b->setFocusPolicy(Qt::FocusPolicy(policy & ~Qt::ClickFocus));
  }

  QPointer<QWidget> window_;
};

}  // namespace

void clickedButtonsTakeNoFocus(QWidget* window) { new ButtonFocus(window); }

}  // namespace pravella
