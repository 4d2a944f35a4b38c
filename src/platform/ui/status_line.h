#pragma once
// The main window's status bar. A message too long for it is cut with "…" where it is cut:
// its quoted part (a path or a name, "like this") loses its middle first, so that the words
// that say what happened stay readable, and then the message its end; the whole message stays
// currentMessage().

#include <QStatusBar>

namespace pravella {

class StatusLine : public QStatusBar {
  Q_OBJECT
 public:
  explicit StatusLine(QWidget* parent = nullptr);

  // The message as it is drawn in the present width.
  QString shownMessage() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect messageArea() const;
};

}  // namespace pravella
