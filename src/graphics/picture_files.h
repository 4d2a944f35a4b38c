#pragma once
// Pictures as files: PICT files (512 zero bytes, then the picture bytes) and JPEG files, and
// loading any image file Qt reads, or a PICT file, as a picture value. Program file names
// resolve against the working folder (graphics_hooks.h). Every write is atomic: a failed save
// leaves no partial file behind.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>

// JPEG quality on the old codec scale: 0 lowest, 512 normal (initial), 1,024 best.
extern std::int32_t quality;
// The JPEG quality as at start (512), for a fresh language.
void resetJpegQuality();

// 0 when written, 1 when the file cannot be written (after reporting the system's reason).
int savePICT(const QByteArray& picture, const std::string& path);
// 1, or 0 after "Picture is empty." (no bytes) or the reason and "file save" (not written).
int DoSavePicture2(const std::string& path, const QByteArray& picture);
// Sets `quality` to trunc(q) for 0 < q <= 1,024 and returns 1; else 0, leaving it.
int DoSetJpegQuality(double q);
// 0 when written; 1 for an empty path; 2 when the picture cannot be read; 3 when the file
// cannot be written (after reporting the system's reason).
int SaveJPEG_x(const std::string& path, const QByteArray& picture);
// Reads an image file as a picture: 1, or 0 after "Invalid ComponentInstance." (no reader
// knows the file, or there is none) or "Can not get Picture." (it could not be read, or not
// within the picture size limit); a file that could not be read at all has the system's
// reason reported first, one a reader knows but cannot decode (cut short, damaged) the
// decoder's ("Cannot decode "name": the file ends before its PNG picture does").
int DoLoadPicture(const std::string& path, QByteArray& out);
// Whether DoLoadPicture is to be asked for the file: it finds a reader (an image format or a
// picture file), or the file is missing, cannot be read or is no file, which it reports. False
// only for a readable file no reader knows. Reads no picture and reports nothing.
bool canImportPicture(const std::string& path);

namespace pravella {

// The picture bytes of an image file's bytes (any format Qt reads, or a PICT file, with or
// without its 512-byte header), as DoLoadPicture makes them; `name` only helps to tell a PICT
// file. Null when made, else the message DoLoadPicture reports; `why`, when given, receives
// the decoder's reason for a file a reader knows but cannot decode (else it is left).
const char* pictureFromFileData(const QByteArray& data, const QString& name, QByteArray& out,
                                QString* why = nullptr);

// The Qt JPEG quality (0..100) of a codec quality: 0 -> 0, 512 -> 75, 1,024 -> 100, linear
// in between.
int qtJpegQuality(std::int32_t codecQuality);

}  // namespace pravella
