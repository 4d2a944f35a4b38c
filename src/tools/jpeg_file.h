#pragma once
// Pictures written as JPEG files (the desk tools' bitmap service).

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

#include <string>

namespace pravella {

// Writes `image` without its alpha channel (drawn over white) as a JPEG file of `quality`
// (0 to 1) at `path`, atomically. True when the file was written.
bool saveAsJpeg(const QImage& image, const QString& path, float quality);

// A file name in `folder` made from `when` as "%04d%02d%02d%02d%02d%02d%02d.jpg" (year, month,
// day, hour, minute, second, then a counter from 0), the counter raised until no file of
// that name exists.
QString freshPictureFileName(const QString& folder, const QDateTime& when);

// Writes `comment` into a JPEG file's data as a comment segment right after the start marker;
// data that is no JPEG comes back unchanged.
QByteArray withJpegComment(const QByteArray& jpeg, const std::string& comment);

// Writes `comment` into the JPEG file at `path` (UTF-8), atomically, then posts
// "pastePictureToDocument" with the path, which puts the picture into the memo that ran the
// program. 1, or 0 without the post when the file cannot be read or written.
int writeCommentToJPEGFile(const std::string& path, const std::string& comment);

}  // namespace pravella
