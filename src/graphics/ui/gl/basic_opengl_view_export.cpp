// The plot view's image as TIFF data, as an RTFD with the TIFF attached, and on the
// clipboard. Every form starts from the frame the view draws for it, made opaque.

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QTextCursor>

#include <atomic>

#include "graphics/ui/gl/basic_opengl_view.h"
#include "platform/rich_text_file.h"

namespace pravella::gl {

namespace {

// Numbers the attachments of the RTFD exports of this process, from 1.
std::atomic<std::int32_t> generationCounter{1};

// The colour bytes as drawn with every alpha 255, whatever alpha the frame buffer kept.
QImage opaque(QImage image) {
  switch (image.format()) {
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
      image.reinterpretAsFormat(QImage::Format_RGBX8888);
      break;
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
      image.reinterpretAsFormat(QImage::Format_RGB32);
      break;
    default:
      break;
  }
  return image.convertToFormat(QImage::Format_RGB32);
}

QByteArray tiffData(const QImage& image) {
  if (image.isNull()) return {};
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "tiff");
  if (!writer.write(image)) return {};
  return data;
}

}  // namespace

QImage BasicOpenGLView::bitmapInsideRect(const QRect& rect) {
  QImage frame = grabFramebuffer();
  if (frame.isNull()) return {};
  if (!rect.isEmpty()) frame = frame.copy(rect);
  return opaque(frame);
}

QByteArray BasicOpenGLView::dataWithTIFFOfContentView() { return tiffData(bitmapInsideRect({})); }

bool BasicOpenGLView::rtfdDocumentOfContentView(QTextDocument& document) {
  const QByteArray tiff = dataWithTIFFOfContentView();
  if (tiff.isEmpty()) return false;
  const QString name = QString::asprintf("GLSL Parser %d.tiff", generationCounter.fetch_add(1));
  document.clear();
  QTextCursor cursor(&document);
  rtf::insertAttachment(cursor, name, tiff);
  return true;
}

std::optional<rtf::WriteOutput> BasicOpenGLView::dataWithRTFDOfContentView() {
  QTextDocument document;
  if (!rtfdDocumentOfContentView(document)) return std::nullopt;
  return rtf::write(document, rtf::AttachmentMode::Separate);
}

std::variant<std::monostate, QByteArray, rtf::WriteOutput> BasicOpenGLView::contentsAsDataOfType(
    const QString& type) {
  if (type == QLatin1String(kTIFFType)) {
    QByteArray tiff = dataWithTIFFOfContentView();
    if (!tiff.isEmpty()) return tiff;
  } else if (type == QLatin1String(kRTFDType)) {
    if (auto rtfd = dataWithRTFDOfContentView()) return std::move(*rtfd);
  }
  return std::monostate{};
}

QImage BasicOpenGLView::copy() {
  const QImage image = bitmapInsideRect({});
  const QByteArray tiff = tiffData(image);
  if (tiff.isEmpty()) return {};
  auto* mime = new QMimeData;
  mime->setData(QString::fromLatin1(kTIFFType), tiff);
  mime->setImageData(image);
  QGuiApplication::clipboard()->setMimeData(mime);
  return image;
}

WriteResult BasicOpenGLView::saveImageAs(const QString& path) {
  if (path.endsWith(QLatin1String(".rtfd"))) {
    QTextDocument document;
    if (!rtfdDocumentOfContentView(document))
      return {false, QStringLiteral("The view has no image to save.")};
    return writeRtfdFile(path, document);
  }
  const QByteArray tiff = dataWithTIFFOfContentView();
  if (tiff.isEmpty()) return {false, QStringLiteral("The view has no image to save.")};
  return writeFileAtomically(path, tiff);
}

}  // namespace pravella::gl
