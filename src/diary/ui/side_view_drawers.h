#pragma once
// The side views of the main window that the calendar controller opens itself: the memo
// sheet (a text view of its own, where the language's memo commands act) and the picture view
// of a day's picture files. Both are dock widgets on the right of the main window, hidden
// until opened.

#include <QDockWidget>

class QLabel;
class QTextDocument;
class QTextEdit;

namespace pravella {

class MemoSheetDrawer : public QDockWidget {
  Q_OBJECT
 public:
  explicit MemoSheetDrawer(QWidget* parent = nullptr);
  QTextEdit* toggleMemoField() const { return field_; }

 private:
  QTextEdit* field_ = nullptr;
};

class PictureDrawer : public QDockWidget {
  Q_OBJECT
 public:
  explicit PictureDrawer(QWidget* parent = nullptr);
  void showImage(const QImage& image);
  QLabel* pictureView() const { return picture_; }

 private:
  QLabel* picture_ = nullptr;
};

}  // namespace pravella
