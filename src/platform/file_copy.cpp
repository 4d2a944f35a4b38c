#include "platform/file_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pravella {

bool copyRecursively(const QString& from, const QString& to) {
  const QFileInfo info(from);
  if (info.isSymLink()) return QFile::link(info.symLinkTarget(), to);
  if (!info.isDir()) return QFile::copy(from, to);
  if (!QDir().mkdir(to)) return false;
  const QStringList entries =
      QDir(from).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  for (const QString& e : entries)
    if (!copyRecursively(from + u'/' + e, to + u'/' + e)) return false;
  return true;
}

}  // namespace pravella
