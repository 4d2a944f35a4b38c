#pragma once
// Unsaved edits kept against a kill, a crash or a power cut. While a view holds edits not yet
// saved, a copy of its text waits in the recovery folder (editors/recovered_edits.h), written
// about two seconds after typing pauses (at the latest ten seconds after it began) and before
// every program run, and replaced whole by each newer one; the view's own file is never
// touched. A save that covers the edits takes the copy away, and so does the end for a view
// that holds nothing unsaved; whatever is left there is offered at the next start.
//
// A keystroke costs only the note that the text changed. At the pause the text is cloned on
// the GUI thread (its plain text only, when it is long) and written on a thread of its own; nothing is
// written while the text stays as it was, and a change made during a write waits for it to end.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <future>

#include "editors/recovered_edits.h"

class QTextDocument;

namespace pravella {

class DocumentSlot;

class EditJournal : public QObject {
 public:
  struct Source {
    std::function<bool()> edited;       // the view holds edits not yet saved
    std::function<QString()> intended;  // the file its text belongs in
  };

  // A view that shows its file through `slot`: its edited mark and its file are the slot's;
  // `unnamed` names where a text that shows no file would go (a new memo).
  EditJournal(QTextDocument* document, const DocumentSlot& slot, QObject* parent,
              std::function<QString()> unnamed = {});
  EditJournal(QTextDocument* document, Source source, QObject* parent);
  // Waits for its write; the copy stays (the view may still have held edits). A view's
  // controller holds its journal as a member after the slot, so that it goes first.
  ~EditJournal() override;

  // Writes the copy now when the text changed since the last one.
  void keepNow();
  // Everything the view held was saved (or kept by the save's own way): the copy goes.
  void covered();
  // The copy in the recovery folder, once written (waits for a write going on).
  QString copy();

  // The journal of `slot`'s view, told that a save covered it.
  static void covered(const DocumentSlot& slot);
  // Before a program runs: every view's changed text is cloned now; the function returned
  // waits (on any thread) until those copies are written.
  static std::function<void()> keepAllNow();
  // The end, after its saves: writes still going are finished, and a view that holds nothing
  // unsaved leaves no copy.
  static void settleAll();

  static constexpr int kPauseMs = 2000;
  static constexpr int kLongestWaitMs = 10000;
  // Cloning a rich text costs about 0.13 s per million characters on the GUI thread: a longer
  // text is kept as plain text (its formats are lost from the copy, never its characters).
  static constexpr int kLongestRichCopy = 1000000;

 private:
  void changed();
  // Takes the write's result once it ended (waits for it).
  void finishWrite();
  void dropCopy();

  QTextDocument* document_;
  Source source_;
  const DocumentSlot* slot_ = nullptr;
  QTimer pause_;
  QElapsedTimer firstChange_;
  bool changed_ = false;  // the text changed since the last copy
  bool again_ = false;    // changed during the write going on
  quint64 coveredCount_ = 0;
  struct Write {
    std::shared_future<Recovery> result;
    quint64 coveredCount = 0;
    QString intended;
  };
  Write write_;
  QString copy_;
  bool failedBefore_ = false;  // the last write failed (said once on the console)
};

}  // namespace pravella
