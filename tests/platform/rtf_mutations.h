#pragma once
// Random edits of RTF documents for the reader's robustness and agreement tests: deterministic
// for a given generator seed, so that a failure repeats.

#include <QByteArray>
#include <QRandomGenerator>

#include <iterator>

namespace pravella::test {

// A document with lists and a table, as other editors write them.
inline QByteArray listsAndTableRtf() {
  return "{\\rtf1\\ansi intro\\par\\pard\\ls1\\ilvl0{\\listtext 1.\\tab}one\\par{\\listtext 2.\\tab}two\\par"
         "\\pard\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\par c\\cell\\row"
         "\\trowd\\cellx1000\\cellx2000\\pard\\intbl\\cell d\\nestcell e\\nestrow\\cell\\row\\pard after}";
}

// Pieces that steer the reader into its less travelled paths.
inline constexpr const char* kRtfTokens[] = {"{",
                                             "}",
                                             "\\",
                                             "\\'",
                                             "\\'8",
                                             "\\'zz",
                                             "\\u",
                                             "\\u-1",
                                             "\\u65535",
                                             "\\u-32768",
                                             "\\uc9",
                                             "\\uc-3",
                                             "\\bin",
                                             "\\bin999999",
                                             "\\bin-5 ",
                                             "\\*",
                                             "\\*\\fldinst",
                                             "{\\field",
                                             "\\fldrslt",
                                             "\\fldinst ",
                                             "HYPERLINK \"",
                                             "{\\pict\\pngblip ",
                                             "89504e47",
                                             "\\NeXTGraphic ",
                                             "\\NeXTGraphic p.png",
                                             "\\width99999999999",
                                             "\\fonttbl",
                                             "\\colortbl",
                                             ";",
                                             "\\red300",
                                             "\\f99999",
                                             "\\fs0",
                                             "\\fs99999999",
                                             "\\li-9999999",
                                             "\\tx",
                                             "\\tqr",
                                             "\\par",
                                             "\\pard",
                                             "\\plain",
                                             "\\ansicpg932",
                                             "\\ansicpg0",
                                             "\\cpg65001",
                                             "\\fcharset128",
                                             "\\'82",
                                             "\\'ff",
                                             "\xff",
                                             "\x82",
                                             "\\object",
                                             "\\result",
                                             "\\line",
                                             "\\cf-1",
                                             "\\cb99",
                                             "\\sl-240",
                                             "\\slmult1",
                                             "\\~",
                                             "\\-",
                                             "\n",
                                             "\\\n",
                                             "{\\*\\x",
                                             "}}}}",
                                             "{{{{",
                                             "\\trowd",
                                             "\\cellx1000",
                                             "\\cellx-5",
                                             "\\intbl",
                                             "\\cell",
                                             "\\row",
                                             "\\nestcell",
                                             "\\nestrow",
                                             "{\\listtext 1.\\tab}",
                                             "{\\pntext \\'b7\\tab}",
                                             "\\ls1",
                                             "\\ilvl9"};

// `input` after one to eight random edits: a token inserted, bytes removed or changed, the rest
// cut off.
inline QByteArray mutateRtf(QByteArray input, QRandomGenerator& rng) {
  const int edits = 1 + static_cast<int>(rng.bounded(8));
  for (int e = 0; e < edits; ++e) {
    const qsizetype at = rng.bounded(static_cast<int>(input.size()) + 1);
    switch (rng.bounded(4)) {
      case 0:
        input.insert(at, kRtfTokens[rng.bounded(static_cast<int>(std::size(kRtfTokens)))]);
        break;
      case 1:
        input.remove(at, rng.bounded(20));
        break;
      case 2:
        if (at < input.size()) input[at] = static_cast<char>(rng.bounded(256));
        break;
      default:
        input.truncate(at);
        break;
    }
  }
  return input;
}

}  // namespace pravella::test
