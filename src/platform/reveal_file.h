#pragma once
// Shows a file or folder selected in the desktop's file manager (the freedesktop FileManager1
// interface over D-Bus); without one, its folder opens with the desktop's opener.

#include <QString>

namespace pravella {

// False when neither could be done.
bool revealInFileManager(const QString& path);

}  // namespace pravella
