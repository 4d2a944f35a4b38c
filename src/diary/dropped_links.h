#pragma once
// Files dropped on a day's document list become symbolic links in the day's folder, so the
// diary refers to them where they are instead of holding copies. A memo's tables and HTML
// pages are linked with it, so that the memo shows them from its new day too.

#include <QString>
#include <QStringList>

namespace pravella {

struct DroppedLinks {
  int made = 0;         // documents linked
  QStringList refused;  // a sentence for each one whose companions could not follow it
};

// For each path in order, links `folder`/<its last component> to it, and its companions
// beside it, unless something exists under that name already (a dangling link counts: skipped
// without a word). A document whose companion's name is taken in `folder` is not linked at
// all, and said in `refused`. A missing folder or a link that cannot be made gives none.
DroppedLinks linkDroppedFiles(const QString& folder, const QStringList& paths);

}  // namespace pravella
