#pragma once
// Copies a file, a symbolic link (as a link) or a whole folder tree.

#include <QString>

namespace pravella {

// False when anything could not be copied; what was copied so far stays at `to`.
bool copyRecursively(const QString& from, const QString& to);

}  // namespace pravella
