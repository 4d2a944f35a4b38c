#pragma once
// Files dropped on a day's document list become symbolic links in the day's folder, so the
// diary refers to them where they are instead of holding copies.

#include <QString>
#include <QStringList>

namespace pravella {

// For each path in order, links `folder`/<its last component> to it unless something exists
// under that name already (a dangling link counts). Answers how many links were made; a
// missing folder or a link that cannot be made gives none and no message.
int linkDroppedFiles(const QString& folder, const QStringList& paths);

}  // namespace pravella
