#pragma once
// The download table's fetches (wget -N) without replacing a file the user changed. wget runs
// in a hidden staging folder beside the download folder's files, holding a copy of the file
// of that name (with its time, so that -N still skips what is not newer); what it fetched is
// put in place afterwards: over the local file only while that is as this application last
// put it there, else under a free name beside it. A fetch that fails changes nothing.

#include <QString>

#include <memory>

#include "platform/held_paths.h"

namespace pravella::web {

// The application's cache folder of the table downloads: the record of the files they placed.
QString downloadRecords();

class TableDownload {
 public:
  // Makes the staging folder in `folder` for a fetch of `url`; `ok()` false when it could not.
  TableDownload(const QString& folder, const QString& url);
  ~TableDownload();
  TableDownload(const TableDownload&) = delete;
  TableDownload& operator=(const TableDownload&) = delete;
  bool ok() const { return !staging_.isEmpty(); }
  // Where wget runs.
  const QString& staging() const { return staging_; }

  struct Outcome {
    bool ok = false;
    QString path;    // the file fetched, where it now is ("" when nothing new came)
    QString status;  // a sentence for the status line; "" when there is nothing to say
  };
  // After wget ended with status 0: puts what it fetched in place.
  Outcome place();

 private:
  QString folder_;
  QString name_;
  QString staging_;
  qint64 copySize_ = -1;
  qint64 copyTime_ = -1;
  std::unique_ptr<HeldPath> held_;
};

}  // namespace pravella::web
