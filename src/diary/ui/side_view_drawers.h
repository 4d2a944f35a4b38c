#pragma once
// The side views of the main window that the calendar controller opens itself: the memo
// sheet (a text view of its own, where the language's memo commands act, under the title line
// of the memo it shows, a check box that marks unsaved changes and the back and forward
// buttons of its history) and the picture view
// of a day's picture files. Both are dock widgets on the right of the main window, hidden
// until opened.

#include <QDockWidget>
#include <QImage>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSlider;
class QTextDocument;
class QTextEdit;

namespace pravella {

class MemoSheetDrawer : public QDockWidget {
  Q_OBJECT
 public:
  explicit MemoSheetDrawer(QWidget* parent = nullptr);
  QTextEdit* toggleMemoField() const { return field_; }
  QLabel* currentFileName() const { return title_; }
  QCheckBox* durtyButton() const { return durty_; }
  QPushButton* beforeRirekiButton() const { return before_; }
  QPushButton* nextRirekiButton() const { return next_; }

 private:
  QTextEdit* field_ = nullptr;
  QLabel* title_ = nullptr;
  QCheckBox* durty_ = nullptr;
  QPushButton* before_ = nullptr;
  QPushButton* next_ = nullptr;
};

// The picture at a magnification of 0.1 to 3.0, set on the scale bar or typed in the value
// field.
class PictureDrawer : public QDockWidget {
  Q_OBJECT
 public:
  explicit PictureDrawer(QWidget* parent = nullptr);
  void showImage(const QImage& image);
  // Shows the picture at the scale bar's magnification (at least 0.1).
  void changePictSizeAction();
  // Takes the value field's magnification, within 0.1-3.0.
  void pictMagAction();
  double magnification() const;
  QLabel* pictureView() const { return picture_; }
  QSlider* pictScaleBar() const { return scaleBar_; }
  QDoubleSpinBox* pictMagField() const { return magField_; }

 private:
  QLabel* picture_ = nullptr;
  QSlider* scaleBar_ = nullptr;  // hundredths
  QDoubleSpinBox* magField_ = nullptr;
  QImage image_;
};

}  // namespace pravella
