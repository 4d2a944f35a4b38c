#pragma once
// The calendar's grid of day cells. The up and down arrows do nothing here: the day changes
// only by a click, the step buttons or the document list's left and right arrows.

#include <QWidget>

class CalMatrix : public QWidget {
  Q_OBJECT
 public:
  explicit CalMatrix(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};
