#pragma once
// The graph editor's panel: the plot of the editor's rows, on which the user draws a lasso
// and keeps the rows inside (Select) or outside (Deselect) it. The editing lives in the
// editor's state (graphics/editors/gr_edit.h); the widgets map events and paint.

#include <QDialog>
#include <QWidget>

class QPushButton;

namespace pravella {

class grEditView : public QWidget {
  Q_OBJECT
 public:
  explicit grEditView(QWidget* parent = nullptr);
  QSize sizeHint() const override { return QSize(400, 300); }
  void clearLine();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void addPoint(QPointF qtPosition);
};

// Observes "showGrEditPanel" from its creation: runs the panel while the program waits and
// answers with the code it ended with (128 OK, 129 Cancel or closed).
class CalGrEdit : public QDialog {
  Q_OBJECT
 public:
  explicit CalGrEdit(QWidget* parent = nullptr);
  ~CalGrEdit() override;

  int showGrEditPanel();
  grEditView* imageView() const { return imageView_; }

  void selectAction();
  void deselectAction();
  void revertAction();
  void dialogOk();
  void dialogCancel();
  void copyImage();

  void reject() override;

 private:
  grEditView* imageView_;
};

}  // namespace pravella
