#pragma once
// The twin memo views beside the main memo: the memo sheet's text view (memoTextView) and the
// month list's row memo view (subMemoTextView). Code runs in them on Enter or Escape as in the
// main memo, its result inserted into the view itself; a double click inside a bracketed link
// follows it; drops make memo content and links and a paste pastes as in the main memo,
// dragged documents named as the memo sheet's memo needs them.

#include "editors/ui/memo_edit.h"

class MemoTwinView : public pravella::MemoEdit {
  Q_OBJECT
 public:
  using pravella::MemoEdit::MemoEdit;

  // Follows the bracketed link around the caret: a web archive, a diary document (the calendar
  // moves there and the main memo opens it) or another file; a name that leads nowhere is
  // searched for in the memos. False when the caret stands in no link, for a file opened in
  // its own application and for a document outside the day folders.
  bool checkDocumentLink();

 protected:
  // The folder whose day ("YYYY/MM/DD", its last 10 characters) a bare link name is looked for in.
  virtual QString memoFolder() const = 0;
  // The memo sheet notes the main memo's document before it follows a link, and its own memo
  // after; the row memo view notes the main memo's document after the opening only.
  virtual bool isMemoSheet() const = 0;

  // Enter and Escape run the code at the caret with the main memo's engine.
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void dropEvent(QDropEvent* event) override;

 private:
  void dropString(QDropEvent* event);
};

class memoTextView : public MemoTwinView {
  Q_OBJECT
 public:
  using MemoTwinView::MemoTwinView;

 protected:
  QString memoFolder() const override;
  bool isMemoSheet() const override { return true; }
};

class subMemoTextView : public MemoTwinView {
  Q_OBJECT
 public:
  using MemoTwinView::MemoTwinView;

 protected:
  QString memoFolder() const override;
  bool isMemoSheet() const override { return false; }
};
