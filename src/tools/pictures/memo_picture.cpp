#include "tools/pictures/memo_picture.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include "platform/rtf.h"

namespace pravella {

namespace {

QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The format of the character at `position` itself. A cursor's charFormat() is that of the
// character before it, except at the start of a block, where it is that of the character
// after: a line break before a picture would pass for the picture.
QTextCharFormat formatOfCharacterAt(const QTextDocument& doc, int position) {
  const QTextBlock block = doc.findBlock(position);
  for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment fragment = it.fragment();
    if (fragment.contains(position)) return fragment.charFormat();
  }
  return {};  // the block's end: a line break
}

}  // namespace

QImage attachmentPicture(const QTextCursor& selection) {
  const QTextDocument* doc = selection.document();
  if (!doc || selection.selectionEnd() - selection.selectionStart() != 1) return {};
  const int at = selection.selectionStart();
  if (doc->characterAt(at) != QChar::ObjectReplacementCharacter) return {};
  const QTextCharFormat format = formatOfCharacterAt(*doc, at);
  if (!format.isImageFormat()) return {};
  const QVariant resource = doc->resource(QTextDocument::ImageResource, QUrl(format.toImageFormat().name()));
  if (resource.canConvert<QImage>()) {
    const QImage image = resource.value<QImage>();
    if (!image.isNull()) return image;
  }
  return resource.value<QPixmap>().toImage();
}

bool findPictureAtCaret(QTextCursor& cursor, const std::function<bool(QTextCursor&)>& examine) {
  const int p = cursor.selectionStart();
  const int n = cursor.selectionEnd() - p;
  const int length = cursor.document() ? cursor.document()->characterCount() - 1 : 0;
  const auto select = [&](int at) {
    cursor.setPosition(at);
    cursor.setPosition(at + 1, QTextCursor::KeepAnchor);
  };
  if (n == 1) return examine(cursor);
  if (n != 0) return false;
  if (p > 0) {
    select(p - 1);
    if (examine(cursor)) return true;
  }
  if (p + 1 < length) {
    select(p);
    return examine(cursor);
  }
  return false;
}

bool replaceAttachmentWithFile(QTextCursor& selection, const QString& path) {
  const QByteArray data = fileBytes(path);
  if (data.isEmpty()) return false;
  if (!selection.document()) return false;
  QTextCharFormat keep = formatOfCharacterAt(*selection.document(), selection.selectionStart());
  // The character's own look stays; what made it the old picture goes.
  for (int property : {int(QTextFormat::ImageName), int(QTextFormat::ImageWidth), int(QTextFormat::ImageHeight),
                       rtf::kAttachmentFileName, rtf::kAttachmentSourceFolder})
    keep.clearProperty(property);
  keep.setObjectType(QTextFormat::NoObject);
  selection.beginEditBlock();
  selection.removeSelectedText();
  selection.setCharFormat(keep);
  rtf::insertAttachment(selection, QFileInfo(path).fileName(), data);
  selection.endEditBlock();
  return true;
}

bool insertPictureFile(QTextCursor& cursor, const QString& path) {
  const QByteArray data = fileBytes(path);
  if (data.isEmpty()) return false;
  const QTextCharFormat format = cursor.charFormat();
  rtf::insertAttachment(cursor, QFileInfo(path).fileName(), data);
  cursor.setCharFormat(format);
  return true;
}

bool pastePictureFile(QTextCursor& cursor, const QString& path) {
  if (!attachmentPicture(cursor).isNull()) return replaceAttachmentWithFile(cursor, path);
  return insertPictureFile(cursor, path);
}

QImage redrawnPicture(const QImage& picture, const QSize& size) {
  if (size.isEmpty()) return {};
  QImage out(size, QImage::Format_RGB32);
  out.fill(Qt::white);
  QPainter painter(&out);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.drawImage(QRect(QPoint(0, 0), size), picture);
  return out;
}

}  // namespace pravella
