#pragma once
// The font names of old documents ("Osaka", "Geneva", "Monaco", "HiraKakuStd-W8" ...) name
// families that a Linux desktop does not have. One table maps each to an installed family
// (fonts-noto-cjk for Japanese faces, fonts-dejavu-core for the rest). Documents keep the
// original name, so a memo saved again still says "Osaka"; Qt's font substitution draws it
// with the mapped family.

#include <QString>

namespace pravella::fonts {

// The installed family that stands in for `name`; `name` itself when the table has no entry
// (matching ignores case and the weight suffixes of PostScript names such as "-W3").
QString familyFor(const QString& name);

// Registers the whole table with QFont's substitutions. Idempotent and thread-safe; the RTF
// reader calls it before it makes its first format.
void installFontAliases();

}  // namespace pravella::fonts
