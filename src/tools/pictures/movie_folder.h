#pragma once
// The movie drawer's model: the files of one folder it lists. Whether a file plays is found out
// only when it is shown, so nothing here opens a file.

#include <QString>
#include <QStringList>

namespace pravella {

// Full paths of the entries of `folder` that may be movies, by name: names that begin with "."
// and names without an extension are skipped, any extension is kept. A folder that cannot be
// read lists nothing.
QStringList listMovieFiles(const QString& folder);

}  // namespace pravella
