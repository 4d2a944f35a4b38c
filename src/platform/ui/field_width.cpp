#include "platform/ui/field_width.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace pravella {

namespace {

// The blank a line edit keeps on each side of its text inside the contents rectangle, and the
// caret after the last character.
constexpr int kTextSideMargin = 2;
constexpr int kCaret = 1;

}  // namespace

int lineEditWidthFor(const QLineEdit* field, const QString& text) {
  const QFontMetrics metrics(field->font());
  const QMargins around = field->textMargins(), contents = field->contentsMargins();
  const int inner = metrics.horizontalAdvance(text) + 2 * kTextSideMargin + kCaret + around.left() +
                    around.right() + contents.left() + contents.right();
  QStyleOptionFrame option;
  option.initFrom(field);
  option.rect = field->rect();
  option.lineWidth =
      field->hasFrame() ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field) : 0;
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  return field->style()
      ->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(inner, metrics.height()), field)
      .width();
}

void fitLineEditTo(QLineEdit* field, const QString& widest) {
  field->setMaximumWidth(QWIDGETSIZE_MAX);
  field->setMinimumWidth(lineEditWidthFor(field, widest));
}

}  // namespace pravella
