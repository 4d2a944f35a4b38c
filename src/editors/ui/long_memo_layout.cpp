#include "editors/ui/long_memo_layout.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

namespace pravella {

namespace {

// Lays nothing out and answers every question about places with nothing: the caret, drawing
// and edits all cost nothing while it is in place.
class ParkedLayout : public QAbstractTextDocumentLayout {
 public:
  using QAbstractTextDocumentLayout::QAbstractTextDocumentLayout;
  void draw(QPainter*, const PaintContext&) override {}
  int hitTest(const QPointF&, Qt::HitTestAccuracy) const override { return -1; }
  int pageCount() const override { return 1; }
  QSizeF documentSize() const override { return {}; }
  QRectF frameBoundingRect(QTextFrame*) const override { return {}; }
  QRectF blockBoundingRect(const QTextBlock&) const override { return {}; }

 protected:
  void documentChanged(int, int, int) override {}
};

QStatusBar* statusBarOf(QWidget* widget) {
  auto* main = qobject_cast<QMainWindow*>(widget->window());
  return main ? main->statusBar() : nullptr;
}

std::unique_ptr<QEvent> copyOf(const QEvent* event) { return std::unique_ptr<QEvent>(event->clone()); }

}  // namespace

void parkLayout(QTextDocument& doc) {
  if (!layoutParked(doc)) doc.setDocumentLayout(new ParkedLayout(&doc));
}

void unparkLayout(QTextDocument& doc) {
  // Without a layout of its own the document makes Qt's (the editor asks for it at once).
  if (layoutParked(doc)) doc.setDocumentLayout(nullptr);
}

bool layoutParked(const QTextDocument& doc) {
  return dynamic_cast<const ParkedLayout*>(doc.documentLayout()) != nullptr;
}

ParkedWhileLoading::ParkedWhileLoading(QTextEdit* edit)
    : edit_(edit), parkedHere_(!layoutParked(*edit->document())) {
  parkLayout(*edit_->document());
}

ParkedWhileLoading::~ParkedWhileLoading() {
  if (!parkedHere_) return;
  // The caret would have followed the text in to its end; at the start, drawing it needs only
  // the first lines laid out.
  edit_->setTextCursor(QTextCursor(edit_->document()));
  unparkLayout(*edit_->document());
}

namespace {
const char kWalkName[] = "longMemoMoves";
}

LongMemoMoves::LongMemoMoves(QTextEdit* edit) : QObject(edit), edit_(edit) {
  setObjectName(QLatin1String(kWalkName));
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, [this] { step(); });
  edit_->installEventFilter(this);
  edit_->viewport()->installEventFilter(this);
}

LongMemoMoves::~LongMemoMoves() = default;

LongMemoMoves* LongMemoMoves::of(const QTextEdit* edit) {
  // Without a meta-object of its own it is found by its name among the editor's children.
  for (QObject* child : edit->children())
    if (child->objectName() == QLatin1String(kWalkName)) return static_cast<LongMemoMoves*>(child);
  return nullptr;
}

QString LongMemoMoves::walkingMessage() {
  return QCoreApplication::translate(
      "LongMemoMoves", "Laying out the long memo down to its end: what you type goes in there then.");
}

bool LongMemoMoves::isMoveToEnd(const QKeyEvent* key) const {
  return key->matches(QKeySequence::MoveToEndOfDocument) || key->matches(QKeySequence::SelectEndOfDocument);
}

bool LongMemoMoves::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      if (watched != edit_) break;
      auto* key = static_cast<QKeyEvent*>(event);
      if (!walking()) {
        if (replaying_ || event->type() != QEvent::KeyPress || !isMoveToEnd(key) || endLaidOut()) break;
        nextBlock_ = 0;
        held_.push_back(copyOf(event));
        showStatus(true);
        timer_.start();
        return true;
      }
      // Every key the editor takes waits for the move, its own shortcuts (undo, paste)
      // included; the window's shortcuts (save, quit) act at once, and their save takes what
      // waits here first.
      if (event->type() == QEvent::KeyPress) held_.push_back(copyOf(event));
      return true;
    }
    case QEvent::InputMethod:
      if (watched != edit_ || !walking()) break;
      held_.push_back(copyOf(event));
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
      if (watched != edit_->viewport() || !walking()) break;
      held_.push_back(copyOf(event));
      return true;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

bool LongMemoMoves::endLaidOut() const {
  const QTextDocument& doc = *edit_->document();
  if (layoutParked(doc) || doc.characterCount() < kWalkFromChars) return true;
  // Qt lays a document out from the top and clears a block's lines when it has to lay it out
  // again (an edit, a new width): lines in the last block mean that all of it is laid out.
  const QTextLayout* last = doc.lastBlock().layout();
  return last && last->lineCount() > 0;
}

void LongMemoMoves::step() {
  QTextDocument* doc = edit_->document();
  QAbstractTextDocumentLayout* layout = doc->documentLayout();
  QElapsedTimer clock;
  clock.start();
  // Asking for a block's place lays out the blocks above it that are not yet laid out: one
  // block at a time keeps each step short (a line of 100,000 characters takes a few tens of
  // milliseconds).
  QTextBlock block = doc->findBlockByNumber(nextBlock_);
  do {
    if (!block.isValid()) {
      timer_.stop();
      replay();
      return;
    }
    layout->blockBoundingRect(block);
    block = block.next();
    ++nextBlock_;
  } while (clock.elapsed() < kStepMs);
}

void LongMemoMoves::replay() {
  timer_.stop();
  std::vector<std::unique_ptr<QEvent>> events = std::move(held_);
  held_.clear();
  showStatus(false);
  // Each goes to the editor as it came, on the layout now done.
  replaying_ = true;
  for (const std::unique_ptr<QEvent>& event : events) {
    const bool mouse = event->type() == QEvent::MouseButtonPress ||
                       event->type() == QEvent::MouseButtonRelease ||
                       event->type() == QEvent::MouseButtonDblClick;
    QObject* target = mouse ? edit_->viewport() : static_cast<QObject*>(edit_);
    QCoreApplication::sendEvent(target, event.get());
  }
  replaying_ = false;
}

void LongMemoMoves::finishNow(bool forEnd) {
  if (forEnd) parkLayout(*edit_->document());
  if (walking()) replay();
}

void LongMemoMoves::showStatus(bool on) {
  QStatusBar* bar = statusBarOf(edit_);
  if (!bar) return;
  if (on)
    bar->showMessage(walkingMessage());
  else if (bar->currentMessage() == walkingMessage())
    bar->clearMessage();
}

}  // namespace pravella
