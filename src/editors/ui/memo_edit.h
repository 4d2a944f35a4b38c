#pragma once
// MemoEdit: the text editor under every memo view (the main memo, the memo sheet, the row memo
// view, the finder's text, the bookmark and launcher memos). Its copy carries the selection's
// attachments and its paste is the memo's: copied attachments come with their files, a picture
// alone on the clipboard goes in as a dropped picture does, and text pasted behind a picture
// takes the picture's font, never the picture.
// Its vertical scroll bar is always shown: a bar that comes and goes changes the width of the
// text, and every change of width lays the whole memo out again. A memo grown past some twenty
// million pixels (a million short lines a program printed) had the bar flip at each edit, and
// each edit then took a layout of everything.

#include <QTextEdit>

namespace pravella {

class MemoEdit : public QTextEdit {
  Q_OBJECT
 public:
  explicit MemoEdit(QWidget* parent = nullptr);
  explicit MemoEdit(const QString& text, QWidget* parent = nullptr);

 protected:
  QMimeData* createMimeDataFromSelection() const override;
  void insertFromMimeData(const QMimeData* source) override;
  // A picture alone is something to paste, which the text editor alone would refuse.
  bool canInsertFromMimeData(const QMimeData* source) const override;
};

}  // namespace pravella
