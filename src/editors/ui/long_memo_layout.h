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
//   status line says so.
// - The end of the application parks the layout for good, so that nothing of the end (the
//   keys still waiting, the save) waits on the layout.

#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

class QEvent;
class QKeyEvent;
class QTextDocument;
class QTextEdit;

namespace pravella {

// The document's layout is replaced by one that lays nothing out; `unparkLayout` gives it
// Qt's own layout again, which lays the document out anew, lazily from the top.
void parkLayout(QTextDocument& doc);
void unparkLayout(QTextDocument& doc);
bool layoutParked(const QTextDocument& doc);

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

  // A move to the end is waiting for the layout.
  bool walking() const { return !held_.empty(); }
  // The move and what waits behind it, done now: on the layout as it stands (which may lay
  // out the rest at once), or, with `forEnd`, with the layout parked for good (the
  // application's end, which must not wait on it).
  void finishNow(bool forEnd);

  // Documents up to this many characters are laid out at once: that takes well under a second.
  static constexpr int kWalkFromChars = 500000;
  // One step of the walk lays out blocks for about this long (at least one block).
  static constexpr int kStepMs = 30;
  static QString walkingMessage();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool isMoveToEnd(const QKeyEvent* key) const;
  // Nothing to walk: a short or parked document, or one laid out to its end.
  bool endLaidOut() const;
  void step();
  void replay();
  void showStatus(bool on);

  QTextEdit* edit_;
  QTimer timer_;
  int nextBlock_ = 0;
  bool replaying_ = false;
  // The move to the end first, then the keys and clicks that came while the layout was walked.
  std::vector<std::unique_ptr<QEvent>> held_;
};

}  // namespace pravella
