#include "diary/ui/cal_matrix.h"

#include <QKeyEvent>

CalMatrix::CalMatrix(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CalMatrix"));
  setFocusPolicy(Qt::ClickFocus);
}

void CalMatrix::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}
