#pragma once
// Pictures on the system clipboard: our own picture bytes under a private type (so that a
// picture pasted back into a program is the same value) plus a PNG for other applications.

#include <QByteArray>

namespace pravella {

inline constexpr const char* kPictureMimeType = "application/x-pravella-pict";

// The picture on the clipboard: our bytes when they are there, else any image made a picture;
// empty when the clipboard holds no picture.
QByteArray pictureFromClipboard();

}  // namespace pravella

// Puts the picture on the clipboard (on the GUI thread, waiting for it). Returns 1, or 0 after
// "picture is empty." for no bytes.
int DoCopyPictureToScrap(const QByteArray& picture);
