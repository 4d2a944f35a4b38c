#pragma once
// A folder's entries with the types its listing already tells, so that walking a large tree
// (ten years of day folders) costs no look-up per entry.

#include <QString>

#include <vector>

namespace pravella {

struct FolderEntry {
  enum class Type { Folder, Link, Other };
  QString name;
  Type type = Type::Other;
};

// Every entry but "." and "..", hidden ones too, in the order the system lists them; a link is
// a Link whatever it leads to. Nothing when the folder cannot be read.
std::vector<FolderEntry> listFolder(const QString& folder);

}  // namespace pravella
