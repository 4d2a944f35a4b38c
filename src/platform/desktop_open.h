#pragma once
// Hands a file to the desktop's opener (xdg-open), which shows it with the application the
// user associated with its type; opens the desktop's terminal in a folder.

#include <QString>

namespace pravella {

// What the opener is given for `target`: a file as an absolute path, and any text beginning
// with "-" too, so that a name like "--version" or "-x.odt" is never read as an option; an
// address ("https://…", "mailto:…") as it stands.
QString desktopOpenerArgument(const QString& target);

// Runs the opener with the path (desktopOpenerArgument) as its one argument. It waits up to 2 s for the opener to
// return (a desktop's opener returns as soon as the application has started); an opener still
// running then is left to run. False when the opener could not be started or crashed.
bool openWithDesktop(const QString& path);

// Starts the terminal the system names its default (x-terminal-emulator) with `folder` as its
// working folder, and leaves it running. False when it could not be started; then `why`, when
// given, says why in a line for the user.
bool openTerminalAt(const QString& folder, QString* why = nullptr);

}  // namespace pravella
