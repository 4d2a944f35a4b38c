#pragma once
// How wide a one-line field must be to show a text whole, by the field's own font, margins and
// style: for fields whose values have a known widest form, so that a layout never squeezes them
// below it.

#include <QString>

class QLineEdit;

namespace pravella {

// The field's outer width that shows `text` without scrolling it.
int lineEditWidthFor(const QLineEdit* field, const QString& text);

// Keeps `field` at least wide enough for `widest`, and lets it grow past that.
void fitLineEditTo(QLineEdit* field, const QString& widest);

}  // namespace pravella
