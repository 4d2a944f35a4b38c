#pragma once
// Whether a folder that wget fetched came whole. wget ends with status 0 after a file the
// server refused and after a connection cut halfway, and it gives a cut file the server's time,
// so that it looks whole. What it leaves says more: the listings it keeps (wgetrc
// "remove_listing = off") name every entry with its size, and its log (in the C locale) names
// each failure.

#include <QString>

namespace pravella::ftp {

struct FetchCheck {
  QString path;  // the first entry that failed, relative to the staging folder ("" when whole)
  QString why;
  bool whole() const { return path.isEmpty() && why.isEmpty(); }
};

// Checks the tree wget fetched into `staged` for the remote folder `name` against its log,
// then removes the listings it left there (they are wget's, not the user's).
FetchCheck checkFetchedFolder(const QString& staged, const QString& name, const QString& log);

}  // namespace pravella::ftp
