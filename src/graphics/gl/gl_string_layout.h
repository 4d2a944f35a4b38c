#pragma once
// The look of a text label of the OpenGL plot views, apart from its texture: a styled text,
// an optional rounded box and border behind it, margins and a frame that is either fixed by
// the caller or follows the text. Every change of look marks the label for a rebuild; the
// image of the label is drawn here and uploaded by graphics/ui/gl/gl_string.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSizeF>
#include <QString>

#include <vector>

namespace pravella::gl {

// One run of a styled text; '\n' in a run starts a new line. An invalid colour draws the run
// in the label's text colour.
struct GLTextRun {
  QString text;
  QFont font;
  QColor color;
};
using GLText = std::vector<GLTextRun>;

// "Helvetica" at `size` points, through the font aliases.
QFont labelFont(qreal size, bool bold = false);

// The size the runs take when drawn.
QSizeF textSize(const GLText& text);

class GLStringLayout {
 public:
  // Text white, box and border white with alpha 0 (no box, no border).
  explicit GLStringLayout(GLText text);
  GLStringLayout(GLText text, QColor textColor, QColor boxColor, QColor borderColor);

  const GLText& string() const { return string_; }
  void setString(GLText text);
  void setString(const QString& text, const QFont& font);

  QColor textColor() const { return textColor_; }
  QColor boxColor() const { return boxColor_; }
  QColor borderColor() const { return borderColor_; }
  void setTextColor(QColor c);
  void setBoxColor(QColor c);
  void setBorderColor(QColor c);

  QSizeF marginSize() const { return marginSize_; }
  void setMargins(QSizeF margins);
  bool antialias() const { return antialias_; }
  void setAntialias(bool on);

  // A dynamic frame that is (0, 0) is first computed as the text's size plus twice the margins.
  QSizeF frameSize();
  bool staticFrame() const { return staticFrame_; }
  void useStaticFrame(QSizeF size);
  void useDynamicFrame();

  float cornerRadius() const { return cRadius_; }
  bool requiresUpdate() const { return requiresUpdate_; }

  // The label's image at its frame size (rounded up to whole pixels), premultiplied RGBA, top
  // row first. Clears requiresUpdate.
  QImage render();


 private:
  GLText string_;
  QColor textColor_, boxColor_, borderColor_;
  bool staticFrame_ = false;
  bool antialias_ = true;
  QSizeF marginSize_{4.0, 2.0};
  QSizeF frameSize_{0.0, 0.0};
  float cRadius_ = 4.0f;
  bool requiresUpdate_ = true;
};

}  // namespace pravella::gl
