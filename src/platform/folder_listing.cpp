#include "platform/folder_listing.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

namespace pravella {

std::vector<FolderEntry> listFolder(const QString& folder) {
  std::vector<FolderEntry> entries;
  const QByteArray path = QFile::encodeName(folder);
  DIR* dir = ::opendir(path.constData());
  if (!dir) return entries;
  while (const dirent* e = ::readdir(dir)) {
    const char* name = e->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    unsigned char type = e->d_type;
    if (type == DT_UNKNOWN) {
      // Some file systems do not say: ask for the entry itself, not what a link leads to.
      struct stat info {};
      const QByteArray full = path + '/' + name;
      if (::lstat(full.constData(), &info) == 0)
        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
    }
    const FolderEntry::Type t = type == DT_DIR   ? FolderEntry::Type::Folder
                                : type == DT_LNK ? FolderEntry::Type::Link
                                                 : FolderEntry::Type::Other;
    entries.push_back({QFile::decodeName(name), t});
  }
  ::closedir(dir);
  return entries;
}

}  // namespace pravella
