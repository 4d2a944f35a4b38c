#pragma once
// The main memo: the rich-text editor of the shown day document, where code runs on Enter or
// Escape.

#include <QTextEdit>

class mainTextView : public QTextEdit {
  Q_OBJECT
 public:
  explicit mainTextView(QWidget* parent = nullptr);
};
