#pragma once
// A long memo (millions of characters) without long waits on the GUI thread. Qt lays a text
// editor's document out lazily, in short steps from the top, but anything that needs a place
// far down (the caret put at the end, an edit there) first lays out everything above it in one
// go: tens of seconds for tens of millions of characters, with the window and the end of the
// application held meanwhile.
//
// - While a document is read in, its layout is parked (a layout that does nothing): the text
//   goes in without being laid out piece by piece, and Qt's lazy layout starts once it is in.
// - A move to the end of the document (Ctrl+End, with or without Shift) walks the layout down
//   in short steps on the event loop before the caret goes there; the keys typed, the input
//   method's text and the clicks made into the memo meanwhile wait and follow in order. The
//   status line says so. Other jumps far down (a find's match) walk the same way first.
// - A long memo's lines keep the width they had when it was read in: a wider or narrower
//   memo (the window resized, a side view or the search sheet opened) would lay all of it out
//   again at once. The status line says so; a short memo read in next wraps to the view again.
// - Qt lays a document out in fixed-point coordinates (a page of 8,388,607 pixels at most), and
//   a memo laid out deeper than some 12 million pixels never finishes: the layout turns in its
//   look for a next page, holding the GUI thread for good. A long memo's lines are made wide
//   enough that it stays well above that depth, wider than the view if need be; the status
//   line says so then.
// - A document taller than a memo can show (see memo_height.h) stays parked once read in,
//   however it is made up (many short lines or few long ones), and the status line says that
//   it is not shown.
// - The end of the application parks the layout for good, so that nothing of the end (the
//   keys still waiting, the save) waits on the layout.

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QKeyEvent;
class QTextDocument;
class QTextEdit;

namespace pravella {

// The document's layout is replaced by one that lays nothing out; `unparkLayout` gives it
// Qt's own layout again, which lays the document out anew, lazily from the top, unless the
// document is too tall for it: then it stays parked (`parkedForHeight`).
void parkLayout(QTextDocument& doc);
void unparkLayout(QTextDocument& doc);
bool layoutParked(const QTextDocument& doc);
bool parkedForHeight(const QTextDocument& doc);

// The layout of `edit`'s document parked for the life of this object (a document being read
// in). At the end the caret is at the start, where the lazy layout begins.
class ParkedWhileLoading {
 public:
  explicit ParkedWhileLoading(QTextEdit* edit);
  ~ParkedWhileLoading();
  ParkedWhileLoading(const ParkedWhileLoading&) = delete;
  ParkedWhileLoading& operator=(const ParkedWhileLoading&) = delete;

 private:
  QTextEdit* edit_;
  bool parkedHere_;
};

// The walk down a long memo's layout before a move to its end, for one text editor.
class LongMemoMoves : public QObject {
 public:
  explicit LongMemoMoves(QTextEdit* edit);
  ~LongMemoMoves() override;
  // The walk of `edit` (one made for it), or none.
  static LongMemoMoves* of(const QTextEdit* edit);

  // A move is waiting for the layout.
  bool walking() const { return static_cast<bool>(pending_); }
  // `then` (a move to `position`) runs once the layout is laid out down to the block holding
  // it: at once when it is, else after a walk, and before the keys and clicks made meanwhile.
  // A second request while walking follows the first, the walk going on to the further place.
  void walkThen(int position, std::function<void()> then);
  // The same for `edit` when it has a walk of its own; otherwise `then` runs at once.
  static void walkThen(QTextEdit* edit, int position, std::function<void()> then);
  // The move and what waits behind it, done now: on the layout as it stands (which may lay
  // out the rest at once), or, with `forEnd`, with the layout parked for good (the
  // application's end, which must not wait on it).
  void finishNow(bool forEnd);

  // The form the memo just read in is shown in: fixed line width when it is long, the view's
  // width otherwise. Called while its layout is parked, so that it costs nothing.
  void fitForm();
  static QString fixedWidthMessage();
  static QString widerLinesMessage();
  // The width of a long memo's lines in a view `viewWidth` wide: the view's, or wider where the
  // document laid out that wide would come near the layout's deepest place.
  static int lineWidthFor(const QTextDocument& doc, int viewWidth);
  // A long memo is laid out no deeper than this many pixels by its estimate: half a page of
  // Qt's layout, a third of the depth it has been seen to hang at, for lines not filled and
  // larger text in its middle.
  static constexpr double kTallestLayout = 4194304;
  static constexpr int kNarrowestLines = 400;
  static constexpr int kWidestLines = 1000000;

  // Documents up to this many characters are laid out at once: that takes well under a second.
  static constexpr int kWalkFromChars = 500000;
  // One step of the walk lays out blocks for about this long (at least one block).
  static constexpr int kStepMs = 30;
  static QString walkingMessage();
  // The status line's text while a walk goes down to a place other than the end.
  static QString walkingToPlaceMessage();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool isMoveToEnd(const QKeyEvent* key) const;
  // Nothing to walk: a short or parked document, or one laid out down to `blockNumber`.
  bool laidOutTo(int blockNumber) const;
  // The key moving to the end sent once the layout is there.
  void walkToEndThen(std::unique_ptr<QEvent> move);
  void startWalk(int blockNumber, std::function<void()> then, const QString& status);
  void step();
  void replay();
  void showStatus(const QString& message);

  QTextEdit* edit_;
  QTimer timer_;
  bool fixedWidth_ = false;
  int nextBlock_ = 0;
  int targetBlock_ = 0;
  bool replaying_ = false;
  QString status_;
  // The move the walk is for, then the keys and clicks that came while the layout was walked.
  std::function<void()> pending_;
  std::vector<std::unique_ptr<QEvent>> held_;
};

}  // namespace pravella
