#pragma once
// The dictionary reader is shared: the dictionary window reads books on the GUI thread and
// programs read them on their worker thread, through one book table and one compressed-book
// state. Every entry of the reader holds this lock; a caller that runs several steps on one
// book (open, search, close) holds it across them. It is recursive, so the steps may take it
// again.
//
// Notifications that the reader wants to post (the table was rebuilt) wait until the
// outermost lock is released: an observer on another thread may itself need the lock.

#include <QString>
#include <QStringList>

namespace pravella::edic {

class ReaderLock {
 public:
  ReaderLock();
  ~ReaderLock();
  ReaderLock(const ReaderLock&) = delete;
  ReaderLock& operator=(const ReaderLock&) = delete;
};

// Posts the notification once the outermost lock of this thread is released (at once when
// the thread holds none).
void postAfterUnlock(const QString& name, const QStringList& strings);

}  // namespace pravella::edic
