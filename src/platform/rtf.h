#pragma once
// Our RTF codec: rich text to and from a QTextDocument (Qt reads and writes no RTF).
//
// The reader takes the dialect the old platform's text system wrote (the \cocoartf header
// family, font and colour tables, \pard\tx... tab runs, \uN with fallback characters, code-
// page bytes such as Shift-JIS under \ansicpg932 or a \fcharset128 font, HYPERLINK fields,
// \NeXTGraphic attachments of RTFD documents) as well as ordinary RTF (\pict pictures).
// Destinations it does not know are skipped, unknown control words ignored. Input that is
// cut off or broken is read as far as it is sound; nothing in it can crash the reader or make
// it loop.
//
// Attachments (pictures and other files of an RTFD document) are image characters of the
// document: the picture is an image resource (a drawn file icon for files that are not
// pictures), and the attachment's original bytes and file name travel with it, so that saving
// writes the same file back.

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <QTextDocument>
#include <QTextFormat>
#include <QUrl>

#include <functional>
#include <optional>
#include <vector>

class QTextCursor;
class QTextImageFormat;

namespace pravella::rtf {

// Properties of an attachment's QTextImageFormat: the file name it has in the RTFD folder, and
// for a package the folder it is copied from.
inline constexpr int kAttachmentFileName = QTextFormat::UserProperty + 0x5201;
inline constexpr int kAttachmentSourceFolder = QTextFormat::UserProperty + 0x5202;
// Resource type under which a document keeps an attachment's original bytes, at the URL that
// attachmentDataUrl gives for the name of its image format (a document keys its resources by
// URL alone, so the bytes cannot share the picture's URL).
inline constexpr int kAttachmentDataResource = QTextDocument::UserResource + 0x52;
QUrl attachmentDataUrl(const QString& imageName);

// An attachment file. A package (a folder, such as an attached RTFD) has no bytes: it is
// copied from its folder when the document is written.
struct Attachment {
  QString fileName;
  QByteArray data;
  QString sourceFolder;
};

// Gives an attachment named in the text (its data or its folder), or nothing when it is missing.
using AttachmentLoader = std::function<std::optional<Attachment>(const QString& fileName)>;

struct ReadResult {
  bool ok = false;        // false: the input is no RTF at all and the document was left empty
  bool complete = false;  // false: the input ended early or broke off; what came before was read
};

// Replaces the content of `doc` with the RTF text `rtf`.
ReadResult read(const QByteArray& rtf, QTextDocument& doc, const AttachmentLoader& loader = {});

// Says whether an attachment named in the text is there (its bytes are not needed).
using AttachmentPresence = std::function<bool(const QString& fileName)>;

struct PlainText {
  ReadResult read;
  QString text;  // empty when the input is no RTF
};

// The plain text of the RTF text `rtf`, without building a document: exactly what plainTextOf
// gives for the document that read() makes of the same input (paragraphs and lines end in
// "\n", each attachment that is there stands as U+FFFC; a missing one is left out, as read()
// leaves it out). Without `present`, no attachment is there. For searches and listings, which
// read many documents only for their words.
PlainText readPlainText(const QByteArray& rtf, const AttachmentPresence& present = {});

enum class AttachmentMode {
  Embed,     // pictures go into the RTF as \pict groups (plain .rtf files)
  Separate,  // attachments are files beside the text, named by \NeXTGraphic groups (RTFD)
};

struct WriteOutput {
  QByteArray rtf;
  std::vector<Attachment> attachments;  // Separate mode: the files and packages to put beside TXT.rtf
};

WriteOutput write(const QTextDocument& doc, AttachmentMode mode);

// Whether a plain .rtf (Embed) keeps an image character of `doc`: pictures stay; a file that
// is no picture, a package and an attachment without data live only in an RTFD document.
bool keptInPlainRtf(const QTextDocument& doc, const QTextImageFormat& f);

// The format text takes beside an attachment: the attachment's font, colour and the like
// without its picture. Text typed, pasted or carried to a new line after a picture inherits its
// format, and would otherwise be taken for more copies of that picture.
QTextCharFormat textFormatOf(const QTextCharFormat& format);

// Inserts an attachment at the cursor with the cursor's character format. `size` is the shown
// size in points (empty: the picture's own size). A package gives its folder instead of data.
void insertAttachment(QTextCursor& cursor, const QString& fileName, const QByteArray& data, QSizeF size = {},
                      const QString& sourceFolder = {});

}  // namespace pravella::rtf
