#include "editors/ui/format_panels.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QPointer>
#include <QTextEdit>

namespace pravella {

namespace {

QPointer<QFontDialog> gFontPanel;
QPointer<QColorDialog> gColorPanel;
QPointer<QTextEdit> gFontTarget;
QPointer<QTextEdit> gColorTarget;

}  // namespace

void showFontPanel(QTextEdit* view) {
  if (!view) return;
  gFontTarget = view;
  if (!gFontPanel) {
    gFontPanel = new QFontDialog(view->currentFont(), view->window());
    gFontPanel->setAttribute(Qt::WA_DeleteOnClose, false);
    gFontPanel->setWindowTitle(QStringLiteral("Fonts"));
    gFontPanel->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    QObject::connect(gFontPanel, &QFontDialog::currentFontChanged, gFontPanel, [](const QFont& font) {
      if (gFontTarget) gFontTarget->setCurrentFont(font);
    });
  }
  gFontPanel->show();
  gFontPanel->raise();
}

void showColorPanel(QTextEdit* view) {
  if (!view) return;
  gColorTarget = view;
  if (!gColorPanel) {
    gColorPanel = new QColorDialog(view->textColor(), view->window());
    gColorPanel->setWindowTitle(QStringLiteral("Colors"));
    gColorPanel->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
    QObject::connect(gColorPanel, &QColorDialog::currentColorChanged, gColorPanel, [](const QColor& color) {
      if (gColorTarget && color.isValid()) gColorTarget->setTextColor(color);
    });
  }
  gColorPanel->show();
  gColorPanel->raise();
}

QFontDialog* fontPanel() { return gFontPanel; }
QColorDialog* colorPanel() { return gColorPanel; }

}  // namespace pravella
