#pragma once
// Hands a file to the desktop's opener (xdg-open), which shows it with the application the
// user associated with its type.

#include <QString>

namespace pravella {

// Runs the opener with the path as its one argument and waits (up to 30 s) for it to return;
// the opener itself returns as soon as the application was started. False when the opener
// could not be started or did not return.
bool openWithDesktop(const QString& path);

}  // namespace pravella
