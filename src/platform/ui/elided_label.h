#pragma once
// A one-line label for text that comes from outside: a name, an address, a message. However
// long the text, the label asks its layout for no more width than a short message needs, so it
// never widens the window that holds it; what does not fit is elided in the middle, and the
// whole text stays its text() and shows as its tooltip.

#include <QLabel>

namespace pravella {

class ElidedLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ElidedLabel(QWidget* parent = nullptr);

  // The text as it is drawn in the label's present width.
  QString shownText() const;
  bool isElided() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace pravella
