#pragma once
// Pictures in a memo's text: finding the attachment at the caret, reading its picture and
// replacing it by a JPEG file's attachment, so that a resized picture takes the old one's place
// with the same character format.

#include <QImage>
#include <QString>
#include <QTextCursor>

#include <functional>

namespace pravella {

// The picture of the attachment that `selection` (one character) holds; null when it holds no
// attachment or its picture is unknown.
QImage attachmentPicture(const QTextCursor& selection);

// Looks for the picture at the caret as a picture action does: a one-character selection is
// examined as it is; with no selection the character before the caret is examined first, then
// the one after it, when another character follows that one. `examine` gets each candidate
// selected and answers whether it acted. True when one examine answered true; the cursor keeps
// the last selection tried.
bool findPictureAtCaret(QTextCursor& cursor, const std::function<bool(QTextCursor&)>& examine);

// Replaces the selected attachment by an attachment of the JPEG file at `path`, keeping the
// character's format (font, colour, ...). False, with the text unchanged, when the file cannot
// be read.
bool replaceAttachmentWithFile(QTextCursor& selection, const QString& path);

// Inserts the picture file at `path` at the cursor as an attachment; false when it cannot be
// read.
bool insertPictureFile(QTextCursor& cursor, const QString& path);

// Pastes the picture file at `path` as paste does: over a selected picture it takes that one's
// place (and format), otherwise it replaces the selection. False when it cannot be read.
bool pastePictureFile(QTextCursor& cursor, const QString& path);

// `picture` drawn at `size` over white with smooth scaling.
QImage redrawnPicture(const QImage& picture, const QSize& size);

}  // namespace pravella
