#pragma once
// A one-line label for text that comes from outside: a name, an address, a message. However
// long the text, the label asks its layout for no more width than a short message needs, so it
// never widens the window that holds it; what does not fit is elided in the middle, and the
// whole text stays its text() and shows as its tooltip.

#include <QLabel>

class QFontMetrics;

namespace pravella {

// `text` on one line, fitted into `width`. When it does not fit, `cutFirst` (a path or a name
// within it) loses its middle first, so that the words around it, which say what happened,
// stay whole; when even that is not enough, `cutFirst` shrinks to "…" and the line is cut by
// `rest` (a message puts its point first and is cut at its end). A cut shows as "…".
QString elidedToWidth(const QString& text, const QFontMetrics& metrics, int width,
                      const QString& cutFirst = {}, Qt::TextElideMode rest = Qt::ElideMiddle);

class ElidedLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ElidedLabel(QWidget* parent = nullptr);

  // Sets a message: where it must be cut, `cutFirst` within it is cut before the rest, and
  // then the message's end.
  void showText(const QString& text, const QString& cutFirst);

  // The text as it is drawn in the label's present width.
  QString shownText() const;
  bool isElided() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QString cutFirst_;
  Qt::TextElideMode rest_ = Qt::ElideMiddle;
};

}  // namespace pravella
