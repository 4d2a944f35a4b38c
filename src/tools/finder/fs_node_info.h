#pragma once
// FSNodeInfo: one entry of the file system as the finder sheet's browser (and the image
// segmentation sheet's) sees it. A node is made on demand and answers every question from the
// file system at the moment it is asked; only a column's listing keeps what it read (see
// FSListing), so a column is listed once each time it is shown, reloaded or clicked.

#include <QString>

#include <memory>
#include <vector>

namespace pravella {

class FSNodeInfo {
 public:
  // With no parent, `relativePath` is an absolute path.
  static std::shared_ptr<const FSNodeInfo> nodeWithParent(std::shared_ptr<const FSNodeInfo> parent,
                                                          const QString& relativePath);
  FSNodeInfo(std::shared_ptr<const FSNodeInfo> parent, QString relativePath);

  const QString& relativePath() const { return relativePath_; }
  const std::shared_ptr<const FSNodeInfo>& parentNode() const { return parentNode_; }

  // The parent's absolute path ("" for the root "/"), "/" and the relative path.
  QString absolutePath() const;
  QString lastPathComponent() const;
  // One node per name the folder lists (an unreadable folder gives none).
  std::vector<std::shared_ptr<const FSNodeInfo>> subNodes() const;
  // None for an RTFD package; else the visible sub-nodes.
  std::vector<std::shared_ptr<const FSNodeInfo>> visibleSubNodes() const;

  bool isVisible() const;    // a name that is not empty and does not begin with "."
  bool isDirectory() const;  // an existing folder whose extension is not "rtfd"
  bool isReadable() const;
  bool isLink() const;       // the entry itself, not followed, is a symbolic link
  QString fsType() const;    // "Directory" or "Non-Directory"

 private:
  QString relativePath_;
  std::shared_ptr<const FSNodeInfo> parentNode_;
};

// True when `path` exists, is a folder (a link to one counts) and its extension is not "rtfd":
// an RTFD document is a package the user sees as one file.
bool isBrowsableFolder(const QString& path);

// What a browser column shows of one entry, read once when the column is listed.
struct FSEntry {
  QString name;
  bool isDirectory = false;
  bool isReadable = false;
  bool isLink = false;
};

// The visible entries of a folder in name order; none for an unreadable folder or a package.
std::vector<FSEntry> listVisibleEntries(const QString& folder);

}  // namespace pravella
