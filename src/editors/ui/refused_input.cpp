#include "editors/ui/refused_input.h"

#include <QDropEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QTextEdit>

namespace pravella {

namespace {

class InputRefusal : public QObject {
 public:
  InputRefusal(QTextEdit* view, std::function<void()> refuse)
      : QObject(view), view_(view), refuse_(std::move(refuse)) {
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!view_->isReadOnly()) return false;
    switch (event->type()) {
      case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool typed = !text.isEmpty() && text.at(0).isPrint() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier));
        if (typed || key->matches(QKeySequence::Paste)) refuse_();
        return false;
      }
      case QEvent::DragEnter:
      case QEvent::DragMove:
        // Taken in so that the drop is heard of at all; the drop itself is refused.
        if (watched != view_->viewport()) return false;
        static_cast<QDropEvent*>(event)->acceptProposedAction();
        return true;
      case QEvent::Drop:
        if (watched != view_->viewport()) return false;
        static_cast<QDropEvent*>(event)->setDropAction(Qt::IgnoreAction);
        event->ignore();
        refuse_();
        return true;
      default:
        return false;
    }
  }

 private:
  QTextEdit* view_;
  std::function<void()> refuse_;
};

}  // namespace

void refuseInputWhileReadOnly(QTextEdit* view, std::function<void()> refuse) {
  new InputRefusal(view, std::move(refuse));
}

}  // namespace pravella
