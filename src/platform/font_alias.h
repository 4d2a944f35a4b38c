#pragma once
// Font names stored in old documents and programs ("Osaka", "Geneva", "Monaco", ...) name fonts
// of another system. One table maps them to families installed here; any other name is used
// as it stands (fontconfig substitutes what it does not know).

#include <QFont>
#include <QString>

namespace pravella {

QString fontFamilyFor(const QString& name);

// A font of `family` (mapped) at `pointSize`; a size of 0 or less means 12, as old drawing code
// treats a text size of 0.
QFont fontFor(const QString& name, int pointSize);

}  // namespace pravella
