#pragma once
// Putting a fetched folder tree into the local folder without replacing anything unasked. The
// tree is fetched into a hidden staging folder inside the local folder first (so that its
// entries move into place by rename, whole); then what it would replace is known before
// anything local changes, and the user decides.

#include <QString>
#include <QStringList>

#include <memory>

#include "platform/held_paths.h"

namespace pravella::ftp {

// ".ftp-dir-XXXXXX" in `parent`, made private; removed with what is left in it on destruction.
// It lies beside the files it is to join, so that each of its entries goes into place by one
// rename; the day list never shows a dotted name, and a record of it in `records` lets the next
// start remove it should this process be killed before it could.
class StagingFolder {
 public:
  StagingFolder(const QString& parent, const QString& records);
  ~StagingFolder();
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;
  bool ok() const { return !path_.isEmpty(); }
  const QString& path() const { return path_; }

 private:
  QString path_;
  std::unique_ptr<HeldPath> held_;
};

// What moving the tree `from` into `into` would do. Paths are relative to `into`.
struct MergePlan {
  int added = 0;            // files (and links) that are new there
  int same = 0;             // files there already with the same contents: left as they are
  QStringList replaceable;  // local files whose contents differ
  QStringList blocking;     // local entries of another kind in the way (a file where a folder
                            // comes, a folder or a link where a file comes): never replaced
  bool clashes() const { return !replaceable.isEmpty() || !blocking.isEmpty(); }
};
MergePlan planMerge(const QString& from, const QString& into);

struct MergeOutcome {
  int added = 0;
  QStringList replaced;
  int same = 0;
  QStringList kept;  // local entries left as they were: nobody agreed to replace them
  QString error;     // the first move the system refused
};
// Moves what is new into `into` (never over an entry that appeared meanwhile) and, of the
// local files that differ, replaces only those `agreed` names (each keeps its permissions).
// Identical files are not touched.
MergeOutcome mergeInto(const QString& from, const QString& into, const QStringList& agreed);

// Moves each entry at the top of `from` into `into` under its own name, or the first free one
// of "name-2", "name-3" ...; the names it took, or an error.
QStringList placeUnderFreeNames(const QString& from, const QString& into, QString* error);

// The name `placeUnderFreeNames` would give `name` in `into` now.
QString freeNameIn(const QString& into, const QString& name);

}  // namespace pravella::ftp
