#pragma once
// MemoEdit: the text editor under every memo view (the main memo, the memo sheet, the row memo
// view, the finder's text, the bookmark and launcher memos). Its copy carries the selection's
// attachments and its paste is the memo's: copied attachments come with their files, a picture
// alone on the clipboard goes in as a dropped picture does, and text pasted behind a picture
// takes the picture's font, never the picture.

#include <QTextEdit>

namespace pravella {

class MemoEdit : public QTextEdit {
  Q_OBJECT
 public:
  using QTextEdit::QTextEdit;

 protected:
  QMimeData* createMimeDataFromSelection() const override;
  void insertFromMimeData(const QMimeData* source) override;
  // A picture alone is something to paste, which the text editor alone would refuse.
  bool canInsertFromMimeData(const QMimeData* source) const override;
};

}  // namespace pravella
