#pragma once
// The shared font and colour panels: one of each for the application, non-modal, acting on
// the text view they were last shown for (the focused memo when the Format menu shows them).

class QColorDialog;
class QFontDialog;
class QTextEdit;

namespace pravella {

// Brings the panel to the front; its choices go to `view`'s selection.
void showFontPanel(QTextEdit* view);
void showColorPanel(QTextEdit* view);
// The panels as they are now (null before the first show), for tests.
QFontDialog* fontPanel();
QColorDialog* colorPanel();

}  // namespace pravella
