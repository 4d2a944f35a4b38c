#pragma once
// Hands a file to the desktop's opener (xdg-open), which shows it with the application the
// user associated with its type.

#include <QString>

namespace pravella {

// Runs the opener with the path as its one argument. It waits up to 2 s for the opener to
// return (a desktop's opener returns as soon as the application has started); an opener still
// running then is left to run. False when the opener could not be started or crashed.
bool openWithDesktop(const QString& path);

}  // namespace pravella
