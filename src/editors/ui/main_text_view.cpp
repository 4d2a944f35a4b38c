#include "editors/ui/main_text_view.h"

mainTextView::mainTextView(QWidget* parent) : QTextEdit(parent) {
  setObjectName(QStringLiteral("DocumentView"));
  setAcceptRichText(true);
}
