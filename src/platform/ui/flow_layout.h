#pragma once
// A row of widgets that wraps onto further lines where the width given is less than the row
// needs, left to right, each widget at its own size hint: none is ever squeezed below it or
// laid over its neighbour. The layout is as narrow as its widest widget and, that narrow, as
// high as all of them stacked, so that a column holding it never leaves them less.

#include <QLayout>
#include <QList>

namespace pravella {

class FlowLayout : public QLayout {
 public:
  explicit FlowLayout(QWidget* parent, int spacing);
  ~FlowLayout() override;

  void addItem(QLayoutItem* item) override;
  int count() const override { return static_cast<int>(items_.size()); }
  QLayoutItem* itemAt(int index) const override { return items_.value(index); }
  QLayoutItem* takeAt(int index) override;
  int spacing() const { return spacing_; }

  Qt::Orientations expandingDirections() const override { return {}; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize minimumSize() const override;
  QSize sizeHint() const override;
  void setGeometry(const QRect& rect) override;

 private:
  // Places the shown items in `rect` (only measures when `apply` is false); the height used.
  int lay(const QRect& rect, bool apply) const;

  QList<QLayoutItem*> items_;
  int spacing_;
};

}  // namespace pravella
