#pragma once
// A dictionary body's tagged text turned into styled rich text in a QTextDocument: gaiji tags
// become glyph pictures, key and bold runs get their fonts and colours, figure and picture
// tags become pictures, link tags become links to "title:text:page:offset", and tab tags
// become paragraph indents. Pictures go into the document as image resources at the tag's
// place; nothing passes through the clipboard. A tag whose picture is refused stays as text.

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>

class QTextDocument;

namespace pravella::edic {

inline constexpr double kNormalFontSize = 12.0;
inline constexpr double kKeyFontSize = 15.0;

struct BodyPictures {
  std::function<QImage(uint16_t code, int kind)> gaiji;                   // kind 0 full, 1 half
  std::function<QImage(int64_t page, int64_t offset)> figure;             // grey figures
  std::function<QImage(int kind, int64_t page, int64_t offset)> picture;  // kind 9, 0x1000
};

// Replaces the document's content by the rendered body of `title`.
void renderBody(QTextDocument& document, const QString& tagged, const QString& title,
                const BodyPictures& pictures);

}  // namespace pravella::edic
