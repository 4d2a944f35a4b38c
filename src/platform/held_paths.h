#pragma once
// Files and folders of work in progress (a download's staging tree, a script's private folder,
// a file being fetched) that a process killed halfway would leave behind. Each is named by a record file in a
// records folder, locked (flock) for as long as its owner lives: the system drops the lock when the process
// dies, however it dies, so a record that another process can lock names a leftover.

#include <QString>
#include <QStringList>

namespace pravella {

class HeldPath {
 public:
  // Records `path` in `records` (made when missing); `ok()` false when that failed.
  HeldPath(const QString& records, const QString& path);
  // Removes the record (what it names is its owner's to remove).
  ~HeldPath();
  HeldPath(const HeldPath&) = delete;
  HeldPath& operator=(const HeldPath&) = delete;
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  QString record_;
};

// The records folder of one kind of work ("ftp", "downloads") in the application's cache.
QString heldRecordsFolder(const QString& kind);

// Removes what each record of a dead owner names, with the record. Only a real folder (with
// what it holds) or a plain file, never a link, whose name begins with one of `prefixes` is
// removed; a record that names anything else is dropped alone. The number of entries removed.
int sweepLeftovers(const QString& records, const QStringList& prefixes);

}  // namespace pravella
