#pragma once
// A picture value: the bytes of a QuickDraw version 2 picture of our own writing. This class is
// the only code that knows the byte format. It makes pictures from pixels (32-bit direct
// pixels, PackBits rows, an alpha plane when only part of the frame was drawn) or from a photo
// (embedded JPEG, so that a large photo stays below the picture size limit), and renders any
// picture it accepts to an ARGB32 image of its frame: what a picture does not paint stays
// transparent. The reader also accepts the common bitmap opcodes of old picture files.

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstddef>

class QPainter;

namespace pravella {

// The largest picture a value may hold at the language's initial element capacity
// (1,000,000 x 8); graphics::pictureByteLimit() gives the one in force.
inline constexpr std::size_t kDefaultPictureByteLimit = 8'000'000;

// QuickDraw transfer modes that pixel copies of our pictures use.
enum class PixelTransfer : int {
  Copy = 0,          // srcCopy: every pixel covers what lies beneath
  Transparent = 36,  // pixels of the background colour (white) are not copied
};

class Picture {
 public:
  Picture() = default;
  explicit Picture(QByteArray bytes) : bytes_(std::move(bytes)) {}
  static Picture fromBytes(const void* data, std::size_t size);

  // One pixel copy of `image` with frame (0, 0, width, height). With Copy, an image that has
  // any pixel not fully opaque keeps its alpha plane, so that only what was drawn covers
  // what lies beneath. Returns an empty picture for a null image or one over 32,767 pixels.
  static Picture fromImage(const QImage& image, PixelTransfer mode = PixelTransfer::Copy);
  // The pixels of `world` copied with `mode`, then `overlay` (which may be null) drawn over
  // it with its alpha: the graph titles stamped on a pixel recording.
  static Picture fromLayers(const QImage& world, PixelTransfer mode, const QImage& overlay);
  // A photo: `jpeg` is a JPEG file's data of `size` pixels, embedded unchanged.
  static Picture fromJpeg(const QByteArray& jpeg, QSize size);
  // Encodes `image` as JPEG (Qt quality 0..100) and embeds it.
  static Picture fromPhoto(const QImage& image, int qtQuality);

  const QByteArray& bytes() const { return bytes_; }
  std::size_t size() const { return static_cast<std::size_t>(bytes_.size()); }
  bool isEmpty() const { return bytes_.isEmpty(); }

  // The frame as the header gives it (an empty rectangle when the bytes are too short).
  QRect frame() const;
  int width() const { return frame().width(); }
  int height() const { return frame().height(); }

  // Renders the picture to an ARGB32 image of its frame size, transparent where nothing was
  // drawn. A picture the reader refuses gives a null image and, when asked, the reason.
  QImage toImage(QString* error = nullptr) const;
  // The picture drawn over a white background (an erased off-screen world): opaque RGB32.
  QImage toImageOnWhite(QString* error = nullptr) const;
  // Draws the picture scaled into `target`; false when the bytes are refused.
  bool draw(QPainter& painter, const QRect& target) const;

 private:
  QByteArray bytes_;
};

// The image drawn over white, as a world erased before drawing a picture into it.
QImage flattenOnWhite(const QImage& image);

// The fewest bytes a pixel copy of width x height can take (every row of one colour): a size
// whose copy passes the picture limit even so is refused before its world is drawn.
std::size_t smallestPixelCopyBytes(int width, int height);

}  // namespace pravella
