// A row of buttons that wraps: at any width each shown button keeps its size hint, none shares
// a pixel with another, all lie within the height the layout asks for that width, and the
// layout is never narrower than its widest button. Hidden buttons take no room.

#include <gtest/gtest.h>

#include <QToolButton>
#include <QWidget>

#include "platform/ui/flow_layout.h"

namespace {

TEST(FlowLayout, WrapsWithoutSqueezingOrOverlapping) {
  QWidget row;
  auto* flow = new pravella::FlowLayout(&row, 2);
  flow->setContentsMargins(3, 4, 5, 6);
  std::vector<QToolButton*> buttons;
  for (const char* title : {"New", "Save", "A much longer title", "x", "Folder", "hidden", "Tool"}) {
    auto* b = new QToolButton(&row);
    b->setText(title);
    flow->addWidget(b);
    buttons.push_back(b);
  }
  buttons[5]->hide();
  row.show();
  int widest = 0;
  for (QToolButton* b : buttons)
    if (!b->isHidden()) widest = std::max(widest, b->sizeHint().width());
  EXPECT_EQ(flow->minimumSize().width(), widest + 3 + 5);
  EXPECT_EQ(flow->minimumSize().height(), flow->heightForWidth(widest + 8));

  for (const int width : {1, widest + 8, widest + 40, 200, flow->sizeHint().width(), 5000}) {
    SCOPED_TRACE(width);
    const int height = flow->heightForWidth(width);
    flow->setGeometry(QRect(0, 0, width, height));
    int lines = 0;
    int lastTop = -1;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      QToolButton* b = buttons[i];
      if (b->isHidden()) continue;
      EXPECT_EQ(b->size(), b->sizeHint()) << b->text().toStdString();
      EXPECT_GE(b->x(), 3);
      EXPECT_GE(b->y(), 4);
      EXPECT_LE(b->geometry().bottom() + 1, height - 6) << b->text().toStdString();
      // Within the width wherever the button fits in it.
      if (width - 8 >= b->width()) {
        EXPECT_LE(b->geometry().right() + 1, width - 5) << b->text().toStdString();
      }
      if (b->y() != lastTop) ++lines, lastTop = b->y();
      for (std::size_t j = i + 1; j < buttons.size(); ++j)
        if (!buttons[j]->isHidden()) {
          EXPECT_FALSE(b->geometry().intersects(buttons[j]->geometry()))
              << b->text().toStdString() << " " << buttons[j]->text().toStdString();
        }
    }
    // Wide enough for the row, one line; narrower than any button, one button a line.
    if (width >= flow->sizeHint().width()) {
      EXPECT_EQ(lines, 1);
      EXPECT_EQ(height, flow->sizeHint().height());
    }
    if (width == 1) {
      EXPECT_EQ(lines, 6);
    }
  }
}

}  // namespace
