#pragma once
// Text drawn as a picture value: one line in a named font on a filled background.

#include <string>

#include "graphics/color_table.h"
#include "graphics/picture.h"

// The picture is as wide as the text plus twice |margin| plus 2 pixels and as high as the
// font's ascent plus twice its descent plus its leading. The background fills the whole
// frame, with 9 x 9 rounded corners when the margin is negative; the text (UTF-8) is drawn
// from x = |margin| + 1 on the baseline ascent + descent / 2. The font name goes through the
// font alias table. Returns 1, or 0 when no picture can be made.
int DoText2Picture(const std::string& text, const std::string& fontName, int margin, int size, RGBColor textColor,
                   RGBColor background, pravella::Picture* out);
