#pragma once
// The density-plot editor's panel: the matrix's colour image, kept at the matrix's aspect
// ratio, on which the user draws one closed lasso. The lasso lives in the editor's state
// (graphics/editors/density_plot_edit.h) in matrix pixels; the widgets map events and paint.

#include <QDialog>
#include <QWidget>

namespace pravella {

class dPlotEditView : public QWidget {
  Q_OBJECT
 public:
  explicit dPlotEditView(QWidget* parent = nullptr);
  void clearArea();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void addPoint(QPointF qtPosition);
};

// Observes "showDensityPloyEditPanel" from its creation and answers with the code the panel
// ended with (128 OK, 129 Cancel or closed).
class CalDPlotEdit : public QDialog {
  Q_OBJECT
 public:
  explicit CalDPlotEdit(QWidget* parent = nullptr);
  ~CalDPlotEdit() override;

  int showDensityPloyEditPanel();
  dPlotEditView* imageView() const { return imageView_; }

  void dialogOK();
  void dialogCancel();
  void copyImage();
  void reject() override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The view across the panel's width at the matrix's aspect, the buttons below it.
  void placeView();

  dPlotEditView* imageView_;
  QWidget* buttons_;
};

}  // namespace pravella
