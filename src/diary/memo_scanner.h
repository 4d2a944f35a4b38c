#pragma once
// The memo search of the month list: a scan of the diary's ".rtfd" packages for documents that
// hold every search word, in their text or in their name, on a thread of its own. Hits come
// back to the owner's thread by queued calls in batches (the first hit at once, then at most
// every 100 ms); stop() or a new start() cancels the running scan, and batches of an old scan
// that arrive late are dropped, so a new search never shows the old one's hits.
//
// Scopes are folders, walked in name order: a package is listed, not descended; a linked
// package is read through its link; a linked folder is not descended (a link back up the tree
// would loop). A package whose text cannot be read is passed over.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "diary/month_list.h"

namespace pravella {

enum class MemoSearchKind { Content, Name };

struct MemoSearchBatch {
  MonthList rows;
  QString lastLookedAt;  // the file name the scan was looking at
};

class MemoScanner {
 public:
  // Batches and the end are delivered on `owner`'s thread, and only while it lives.
  using BatchHandler = std::function<void(const MemoSearchBatch&)>;
  using DoneHandler = std::function<void()>;
  MemoScanner(QObject* owner, BatchHandler onBatch, DoneHandler onDone);
  ~MemoScanner();
  MemoScanner(const MemoScanner&) = delete;
  MemoScanner& operator=(const MemoScanner&) = delete;

  // Stops a running scan and starts one for the words (every non-empty one must occur). No
  // words start nothing and return false.
  bool start(const QStringList& scopes, const QStringList& words, MemoSearchKind kind);
  void stop();
  bool isRunning() const;

  // The whole scan on the calling thread, for tests and benchmarks.
  static MonthList scanNow(const QStringList& scopes, const QStringList& words, MemoSearchKind kind);

 private:
  struct Shared;
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished;
  };
  // Joins the workers that have ended (all of them when asked): a stopped scan is never
  // waited for, so a new search starts at once even while the old one finishes its package.
  void reapWorkers(bool all);

  QPointer<QObject> owner_;
  BatchHandler onBatch_;
  DoneHandler onDone_;
  std::shared_ptr<Shared> shared_;
  std::vector<Worker> workers_;
};

// The plain text of an RTFD package's TXT.rtf, attachments left out; nullopt when unreadable.
std::optional<QString> memoPackageText(const QString& packagePath);

}  // namespace pravella
