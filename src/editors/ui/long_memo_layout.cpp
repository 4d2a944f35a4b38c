#include "editors/ui/long_memo_layout.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "editors/ui/memo_height.h"

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

  // Kept for good: the document is taller than a memo can show.
  bool forHeight = false;

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
  auto* parked = dynamic_cast<ParkedLayout*>(doc.documentLayout());
  if (!parked) return;
  // Qt's layout would never reach the end of a document this tall: it stays parked.
  if (tooTallForMemo(doc)) {
    parked->forHeight = true;
    return;
  }
  // Without a layout of its own the document makes Qt's (the editor asks for it at once).
  doc.setDocumentLayout(nullptr);
}

bool layoutParked(const QTextDocument& doc) {
  return dynamic_cast<const ParkedLayout*>(doc.documentLayout()) != nullptr;
}

bool parkedForHeight(const QTextDocument& doc) {
  const auto* parked = dynamic_cast<const ParkedLayout*>(doc.documentLayout());
  return parked && parked->forHeight;
}

ParkedWhileLoading::ParkedWhileLoading(QTextEdit* edit)
    : edit_(edit), parkedHere_(!layoutParked(*edit->document()) || parkedForHeight(*edit->document())) {
  parkLayout(*edit_->document());
}

ParkedWhileLoading::~ParkedWhileLoading() {
  if (!parkedHere_) return;
  // The caret would have followed the text in to its end; at the start, drawing it needs only
  // the first lines laid out.
  edit_->setTextCursor(QTextCursor(edit_->document()));
  if (LongMemoMoves* moves = LongMemoMoves::of(edit_)) moves->fitForm();
  unparkLayout(*edit_->document());
  QStatusBar* bar = statusBarOf(edit_);
  if (!bar) return;
  if (parkedForHeight(*edit_->document()))
    bar->showMessage(tooTallDocumentMessage(*edit_->document()));
  else if (bar->currentMessage().startsWith(QLatin1String("Too tall to show:")))
    bar->clearMessage();
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

QString LongMemoMoves::walkingToPlaceMessage() {
  return QCoreApplication::translate(
      "LongMemoMoves",
      "Laying out the long memo down to the place asked for: what you type goes in there then.");
}

QString LongMemoMoves::widerLinesMessage() {
  return QCoreApplication::translate(
      "LongMemoMoves",
      "A very long memo: its lines are wider than the view, so that it can be shown "
      "whole; they keep their width when the window or its views change size.");
}

QString LongMemoMoves::fixedWidthMessage() {
  return QCoreApplication::translate(
      "LongMemoMoves", "A long memo: its lines keep their width when the window or its views change size.");
}

int LongMemoMoves::lineWidthFor(const QTextDocument& doc, int viewWidth) {
  // A view not yet given its size is narrow: the lines get a width worth reading at least.
  const int readable = std::max(viewWidth, kNarrowestLines);
  // The text's room per character and per line, from the fonts of its start and its end (a
  // long memo is mostly of one kind of text) and the document's own.
  QFontMetricsF metrics(doc.defaultFont());
  qreal charWidth = metrics.averageCharWidth();
  qreal lineHeight = metrics.lineSpacing();
  for (const QTextBlock& block : {doc.firstBlock(), doc.lastBlock()}) {
    int fragments = 0;
    for (auto it = block.begin(); !it.atEnd() && fragments < 16; ++it, ++fragments) {
      const QFontMetricsF m(it.fragment().charFormat().font());
      charWidth = std::max(charWidth, m.averageCharWidth());
      lineHeight = std::max(lineHeight, m.lineSpacing());
    }
  }
  // Every paragraph takes a line at least; the characters share the rest of the height.
  const qreal room = kTallestLayout - lineHeight * doc.blockCount();
  if (room <= 0) return kWidestLines;
  const qreal needed = std::ceil(charWidth * lineHeight * doc.characterCount() / room);
  return static_cast<int>(std::clamp<qreal>(needed, readable, kWidestLines));
}

void LongMemoMoves::fitForm() {
  const bool wasFixed = fixedWidth_;
  fixedWidth_ = edit_->document()->characterCount() >= kWalkFromChars;
  if (fixedWidth_) {
    const int width = lineWidthFor(*edit_->document(), edit_->viewport()->width());
    edit_->setLineWrapColumnOrWidth(width);
    edit_->setLineWrapMode(QTextEdit::FixedPixelWidth);
    if (QStatusBar* bar = statusBarOf(edit_))
      bar->showMessage(width > std::max(edit_->viewport()->width(), kNarrowestLines) ? widerLinesMessage()
                                                                                     : fixedWidthMessage());
    return;
  }
  if (!wasFixed) return;
  edit_->setLineWrapMode(QTextEdit::WidgetWidth);
  if (QStatusBar* bar = statusBarOf(edit_);
      bar && (bar->currentMessage() == fixedWidthMessage() || bar->currentMessage() == widerLinesMessage()))
    bar->clearMessage();
}

bool LongMemoMoves::isMoveToEnd(const QKeyEvent* key) const {
  return key->matches(QKeySequence::MoveToEndOfDocument) || key->matches(QKeySequence::SelectEndOfDocument);
}

bool LongMemoMoves::eventFilter(QObject* watched, QEvent* event) {
  // A memo too tall to show takes no typing, pasting or dropping: the user could not see what
  // went in, nor where. The window's own shortcuts (save, quit) still act; the status line
  // says why at each try.
  if (parkedForHeight(*edit_->document())) {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::InputMethod:
      case QEvent::ContextMenu:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
      case QEvent::FocusIn:
        if (QStatusBar* bar = statusBarOf(edit_))
          bar->showMessage(tooTallDocumentMessage(*edit_->document()));
        if (event->type() == QEvent::FocusIn) break;
        event->ignore();
        return true;
      default:
        break;
    }
  }
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      if (watched != edit_) break;
      auto* key = static_cast<QKeyEvent*>(event);
      if (!walking()) {
        const int last = edit_->document()->blockCount() - 1;
        if (replaying_ || event->type() != QEvent::KeyPress || !isMoveToEnd(key) || laidOutTo(last)) break;
        walkToEndThen(copyOf(event));
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

bool LongMemoMoves::laidOutTo(int blockNumber) const {
  const QTextDocument& doc = *edit_->document();
  if (layoutParked(doc) || doc.characterCount() < kWalkFromChars) return true;
  // Qt lays a document out from the top and clears a block's lines when it has to lay it out
  // again (an edit): lines in a block mean that all above it is laid out.
  const QTextBlock block = doc.findBlockByNumber(blockNumber);
  const QTextLayout* layout = block.isValid() ? block.layout() : nullptr;
  return !layout || layout->lineCount() > 0;
}

void LongMemoMoves::walkThen(int position, std::function<void()> then) {
  const int block = edit_->document()->findBlock(position).blockNumber();
  if (!walking() && laidOutTo(block)) return then();
  startWalk(block, std::move(then), walkingToPlaceMessage());
}

void LongMemoMoves::walkThen(QTextEdit* edit, int position, std::function<void()> then) {
  if (LongMemoMoves* moves = of(edit)) return moves->walkThen(position, std::move(then));
  then();
}

void LongMemoMoves::walkToEndThen(std::unique_ptr<QEvent> move) {
  startWalk(
      edit_->document()->blockCount() - 1,
      [this, key = std::shared_ptr<QEvent>(std::move(move))] {
        replaying_ = true;
        QCoreApplication::sendEvent(edit_, key.get());
        replaying_ = false;
      },
      walkingMessage());
}

void LongMemoMoves::startWalk(int blockNumber, std::function<void()> then, const QString& status) {
  if (walking()) {
    // Behind the move already waiting, and as far down as either needs.
    pending_ = [first = std::move(pending_), second = std::move(then)] {
      first();
      second();
    };
    targetBlock_ = std::max(targetBlock_, blockNumber);
    return;
  }
  pending_ = std::move(then);
  nextBlock_ = 0;
  targetBlock_ = blockNumber;
  showStatus(status);
  timer_.start();
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
    if (!block.isValid() || nextBlock_ > targetBlock_) {
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
  const std::function<void()> move = std::move(pending_);
  pending_ = nullptr;
  std::vector<std::unique_ptr<QEvent>> events = std::move(held_);
  held_.clear();
  showStatus(QString());
  if (move) move();
  // Each goes to the editor as it came, on the layout now done; a move to the end among them
  // walks on first, the rest held behind it again.
  replaying_ = true;
  const int last = edit_->document()->blockCount() - 1;
  for (auto event = events.begin(); event != events.end(); ++event) {
    const QEvent::Type type = (*event)->type();
    if (type == QEvent::KeyPress && isMoveToEnd(static_cast<QKeyEvent*>(event->get())) && !laidOutTo(last)) {
      replaying_ = false;
      walkToEndThen(std::move(*event));
      std::move(event + 1, events.end(), std::back_inserter(held_));
      return;
    }
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                       type == QEvent::MouseButtonDblClick;
    QObject* target = mouse ? edit_->viewport() : static_cast<QObject*>(edit_);
    QCoreApplication::sendEvent(target, event->get());
  }
  replaying_ = false;
}

void LongMemoMoves::finishNow(bool forEnd) {
  if (forEnd) parkLayout(*edit_->document());
  if (walking()) replay();
}

void LongMemoMoves::showStatus(const QString& message) {
  QStatusBar* bar = statusBarOf(edit_);
  if (!bar) return;
  if (!message.isEmpty())
    bar->showMessage(message);
  else if (bar->currentMessage() == status_)
    bar->clearMessage();
  status_ = message;
}

}  // namespace pravella
