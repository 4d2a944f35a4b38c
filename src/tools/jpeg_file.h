#pragma once
// Pictures written as JPEG files (the desk tools' bitmap service).

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

#include <cstddef>
#include <string>

namespace pravella {

// Writes `image` without its alpha channel (drawn over white) as a JPEG file of `quality`
// (0 to 1) at `path`, atomically. True when the file was written; else `why`, when given,
// says why (the system's reason for a refused write).
bool saveAsJpeg(const QImage& image, const QString& path, float quality, QString* why = nullptr);

// How freshPictureFileName tells apart pictures of the same second.
enum class PictureNameForm {
  TwoDigitCounter,  // "%04d%02d%02d%02d%02d%02d%02d.jpg", the counter from 0 always present
  StampThenNumber,  // "%4d%02d%02d%02d%02d%02d.jpg", then ".%03d" from 001 before ".jpg"
};

// A file name in `folder` made from `when` (year, month, day, hour, minute, second) in `form`,
// the counter raised until no file of that name exists.
QString freshPictureFileName(const QString& folder, const QDateTime& when,
                             PictureNameForm form = PictureNameForm::TwoDigitCounter);

// The longest comment a segment holds (its 16-bit length counts itself too).
inline constexpr std::size_t kMaxJpegComment = 65533;
// The longest comment readCommentToJPEG gives back.
inline constexpr std::size_t kMaxReadJpegComment = 2045;

// A JPEG file's data with `comment` as a comment segment right after the start marker (any
// older comment stays behind it); empty when the data has no start marker or the comment is
// longer than kMaxJpegComment.
QByteArray withJpegComment(const QByteArray& jpeg, const std::string& comment);

// Writes `comment` into the JPEG file at `path` through a temporary file beside it, so a
// failure leaves the file whole. 1, or 0 when the file cannot be read or written, has no start
// marker or the comment does not fit.
int writeCommentToJPEG(const QString& path, const std::string& comment);

// The comment segment that directly follows the start marker of the JPEG file at `path`, into
// `comment`; "" when there is none or it is longer than kMaxReadJpegComment. 0, or -1 when the
// file cannot be opened.
int readCommentToJPEG(const QString& path, std::string& comment);

// Writes `comment` into the JPEG file at `path` (UTF-8), atomically, then posts
// "pastePictureToDocument" with the path, which puts the picture into the memo that ran the
// program. 1, or 0 without the post when the file cannot be read or written.
int writeCommentToJPEGFile(const std::string& path, const std::string& comment);

}  // namespace pravella
