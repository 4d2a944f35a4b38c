// The drop rules of the memo views, the first that matches applies:
//  1. a picture (ours or any image): written as JPEG to vkData/tmpPicture.jpg and attached;
//  2. a diary document (rtfd): its bracketed link text, the target dark blue;
//  3. an image file, unless only linking was offered: attached as a picture;
//  4. any other file: " name ", the name an orange underlined link to the file;
//  5. a dictionary hit ("eDicSearchData" and four fields): " [headword] ", a blue link;
//  6. any other text, a document from the application's lists as the view's bracketed link;
//     a bracketed text gets its target coloured;
//  7./8. anything else: the view's inherited drop.

#include "editors/ui/memo_drop.h"

#include <QColor>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QTextCursor>
#include <QTextEdit>
#include <QUrl>
#include <algorithm>

#include "diary/day_documents.h"
#include "diary/document_links.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "platform/bounded_read.h"
#include "platform/console_log.h"
#include "platform/paths.h"
#include "platform/rtf.h"
#include "platform/ui/sound_player.h"
#include "tools/jpeg_file.h"

namespace pravella {

namespace {

const QColor kLinkTargetColour = QColor::fromRgbF(0.1f, 0.1f, 0.5f);
const QColor kLinkedLinkColour = QColor::fromRgbF(0.8f, 0.0f, 0.1f);
const QColor kOrange = QColor::fromRgbF(1.0f, 0.5f, 0.0f);
const QColor kBlue = QColor::fromRgbF(0.0f, 0.0f, 1.0f);

void tink() { playFeedbackSound(QStringLiteral("Tink")); }

// The picture the drag carries: ours, or any image.
QImage draggedPicture(const QMimeData& mime) {
  if (mime.hasFormat(QLatin1String(kPictureMimeType))) {
    const QImage image = Picture(mime.data(QLatin1String(kPictureMimeType))).toImage();
    if (!image.isNull()) return image;
  }
  if (mime.hasImage()) {
    const QImage image = qvariant_cast<QImage>(mime.imageData());
    if (!image.isNull()) return image;
  }
  for (const QString& format : mime.formats()) {
    if (!format.startsWith(QLatin1String("image/"))) continue;
    const QImage image = QImage::fromData(mime.data(format));
    if (!image.isNull()) return image;
  }
  return {};
}

// Writes the picture as the dropped picture's JPEG and attaches that file at `position`; the
// paragraph and character format there stay for what is typed after it.
bool insertPicture(QTextEdit* view, int position, const QImage& image) {
  const QString path = droppedPicturePath();
  if (!saveAsJpeg(image, path, 0.9f)) {
    showErrMessageToConsole(("The dropped picture could not be written to " + path + ".\n").toStdString());
    return false;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray jpeg = file.readAll();
  QTextCursor cursor(view->document());
  cursor.setPosition(position);
  const QTextBlockFormat block = cursor.blockFormat();
  const QTextCharFormat format = cursor.charFormat();
  rtf::insertAttachment(cursor, QFileInfo(path).fileName(), jpeg);
  cursor.setBlockFormat(block);
  cursor.setCharFormat(rtf::textFormatOf(format));
  view->setTextCursor(cursor);
  tink();
  return true;
}

}  // namespace

QColor linkTargetColour() { return kLinkTargetColour; }
QColor linkedLinkTargetColour() { return kLinkedLinkColour; }

InsertedRange dropText(QTextEdit* view, QDropEvent* event, const QString& text,
                       const MemoDropContext& context, bool replace) {
  if (replace) {
    QMimeData mime;
    mime.setText(text);
    QDropEvent drop(event->position(), event->possibleActions(), &mime, event->buttons(), event->modifiers());
    drop.setDropAction(event->proposedAction());
    context.inheritedDrop(&drop);
    event->setDropAction(drop.dropAction());
  } else {
    context.inheritedDrop(event);
  }
  const int end = view->textCursor().position();
  const int start = end - static_cast<int>(text.size());
  if (start < 0 || view->document()->toPlainText().mid(start, text.size()) != text) return {};
  return {start, end};
}

void colourRange(QTextEdit* view, int from, int to, const QColor& colour) {
  if (to <= from) return;
  QTextCursor cursor(view->document());
  cursor.setPosition(from);
  cursor.setPosition(to, QTextCursor::KeepAnchor);
  QTextCharFormat format;
  format.setForeground(colour);
  cursor.mergeCharFormat(format);
}

namespace {

QTextCharFormat linkFormat(const QString& value, const QColor& colour) {
  QTextCharFormat format;
  format.setAnchor(true);
  format.setAnchorHref(value);
  format.setForeground(colour);
  format.setFontUnderline(true);
  return format;
}

// Rules 2 to 4: the first dropped file.
void dropFile(QTextEdit* view, QDropEvent* event, const QString& path, int position,
              const MemoDropContext& context) {
  if (fileExtension(path) == QLatin1String("rtfd") && QFileInfo::exists(path)) {
    const QString link = diaryDocumentLinkText(path, context.selectedDay);
    if (!link.isEmpty()) {
      tink();
      const InsertedRange in = dropText(view, event, link, context, true);
      if (in.start >= 0) colourRange(view, in.start + 2, in.end - 2, kLinkTargetColour);
      return;
    }
  }
  // Only a file is read as a picture: a dropped named pipe would hold the window.
  if (event->proposedAction() != Qt::LinkAction && isRegularFile(path)) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (!image.isNull() && insertPicture(view, position, image)) return;
  }
  const QString name = QFileInfo(path).fileName();
  const InsertedRange in = dropText(view, event, QLatin1Char(' ') + name + QLatin1Char(' '), context, true);
  if (in.start < 0) return;
  QTextCursor cursor(view->document());
  cursor.setPosition(in.start + 1);
  cursor.setPosition(in.end - 1, QTextCursor::KeepAnchor);
  cursor.setCharFormat(linkFormat(QUrl::fromLocalFile(path).toString(), kOrange));
  QTextCursor caret(view->document());
  caret.setPosition(in.end);
  view->setTextCursor(caret);
  tink();
}

// Rule 5; false for another text.
bool dropDictionaryHit(QTextEdit* view, QDropEvent* event, const QString& text,
                       const MemoDropContext& context) {
  const QStringList fields = text.split(QLatin1Char(':'));
  if (fields.size() != 5) return false;
  if (fields[0] != QLatin1String("eDicSearchData")) {
    context.inheritedDrop(event);
    return true;
  }
  const QString value = fields.mid(1).join(QLatin1Char(':'));
  const InsertedRange in = dropText(view, event, QStringLiteral(" [] "), context, true);
  if (in.start < 0) return true;
  QTextCursor cursor(view->document());
  cursor.setPosition(in.start + 2);
  const QTextCharFormat around = cursor.charFormat();
  cursor.insertText(fields[2], linkFormat(value, kBlue));
  // Typing goes on outside the link.
  cursor.setCharFormat(around);
  view->setTextCursor(cursor);
  return true;
}

// Rule 6.
void dropString(QTextEdit* view, QDropEvent* event, const QMimeData& mime, const MemoDropContext& context) {
  const QString bookmark = QString::fromUtf8(mime.data(QLatin1String(kBookmarkDragType)));
  QString text = mime.text();
  bool replace = false;
  if (!bookmark.isEmpty() && context.bookmarkLinkText) {
    const QString link = context.bookmarkLinkText(bookmark);
    if (!link.isEmpty()) {
      text = link;
      replace = true;
    }
  }
  const InsertedRange in = dropText(view, event, text, context, replace);
  if (in.start < 0 || text.size() <= 2 || !text.startsWith(QLatin1String(" [")) ||
      !text.endsWith(QLatin1String("] ")))
    return;
  const bool linked = !bookmark.isEmpty() && QFileInfo(bookmark).isSymLink();
  colourRange(view, in.start + 2, in.end - 2, linked ? kLinkedLinkColour : kLinkTargetColour);
}

}  // namespace

bool carriesPicture(const QMimeData& mime) {
  const QStringList formats = mime.formats();
  return mime.hasImage() || mime.hasFormat(QLatin1String(kPictureMimeType)) ||
         std::any_of(formats.cbegin(), formats.cend(),
                     [](const QString& f) { return f.startsWith(QLatin1String("image/")); });
}

QString droppedPicturePath() { return paths::vkData() + QStringLiteral("/tmpPicture.jpg"); }

bool pastePicture(QTextEdit* view, const QMimeData& mime) {
  if (!carriesPicture(mime)) return false;
  const QImage picture = draggedPicture(mime);
  if (picture.isNull()) return false;
  QTextCursor cursor = view->textCursor();
  // The selection goes with the same step as the picture comes in.
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  const bool pasted = insertPicture(view, cursor.position(), picture);
  cursor.endEditBlock();
  return pasted;
}

void memoDropEvent(QTextEdit* view, QDropEvent* event, const MemoDropContext& context) {
  const QMimeData* mime = event->mimeData();
  const int position = view->cursorForPosition(event->position().toPoint()).position();
  // What the rules make from files and pictures is a copy: the source must never take the
  // drop for a move and delete its file.
  const auto copied = [event] {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  };
  if (!mime) {
    context.inheritedDrop(event);
  } else if (carriesPicture(*mime)) {
    // A picture that does not read, or cannot be written, is left to the editor.
    const QImage picture = draggedPicture(*mime);
    if (!picture.isNull() && insertPicture(view, position, picture))
      copied();
    else
      context.inheritedDrop(event);
  } else if (mime->hasUrls() && mime->urls().constFirst().isLocalFile()) {
    dropFile(view, event, mime->urls().constFirst().toLocalFile(), position, context);
    copied();
  } else if (mime->hasText() && dropDictionaryHit(view, event, mime->text(), context)) {
  } else if (mime->hasText() && context.stringDrop) {
    context.stringDrop(event);
  } else if (mime->hasText()) {
    dropString(view, event, *mime, context);
  } else {
    context.inheritedDrop(event);
  }
  view->setFocus();
}

bool canDropIntoMemo(const QMimeData& mime) { return mime.hasUrls() || carriesPicture(mime); }

}  // namespace pravella
