#pragma once
// The picture drawer's model: one folder's picture files, the position in them and the history
// of visited folders. No widgets; the drawer (tools/pictures/ui) shows it.

#include <QString>
#include <QStringList>

namespace pravella {

// Full paths of the picture files of `folder`, in the day list's name order (naturalNameLess):
// names that begin with "." and names without an extension are skipped, only regular files are
// opened (never a named pipe or a device), and a file is kept only when its header says it is a
// picture (nothing is decoded). A folder that cannot be read lists nothing.
QStringList listPictureFiles(const QString& folder);

// The row after `row` in a list of `count` rows, wrapping past the last (and from no row, -1,
// to the first); -1 when the list is empty.
int nextPictureRow(int row, int count);
// The row before `row`, wrapping below the first to the last; -1 when the list is empty.
int previousPictureRow(int row, int count);

// The folder history: in order of first visit, never the same path twice.
class FolderHistory {
 public:
  // Appends `folder` unless it is already there; true when it was added.
  bool add(const QString& folder);
  void clear() { folders_.clear(); }
  const QStringList& folders() const { return folders_; }
  // The entry after (or before) `folder`, wrapping around; "" when `folder` is not in it.
  QString after(const QString& folder) const;
  QString before(const QString& folder) const;

 private:
  QStringList folders_;
};

// The picture folder of the drawer: home + "/Documents/PravellaImage".
QString pictureFolderPath();

// The picture shown when a file cannot be read.
QString NoImageFilePath();

}  // namespace pravella
