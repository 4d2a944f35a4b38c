#include "net/edic/reader_lock.h"

#include <mutex>
#include <utility>
#include <vector>

#include "platform/notification_center.h"

namespace pravella::edic {
namespace {

std::recursive_mutex& readerMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

struct PendingPost {
  QString name;
  QStringList strings;
};

thread_local int lockDepth = 0;
thread_local std::vector<PendingPost> pending;

void deliver(std::vector<PendingPost> posts) {
  for (const PendingPost& post : posts) NotificationCenter::defaultCenter().post(post.name, {}, post.strings);
}

}  // namespace

ReaderLock::ReaderLock() {
  readerMutex().lock();
  ++lockDepth;
}

ReaderLock::~ReaderLock() {
  std::vector<PendingPost> posts;
  if (--lockDepth == 0) posts.swap(pending);
  readerMutex().unlock();
  deliver(std::move(posts));
}

void postAfterUnlock(const QString& name, const QStringList& strings) {
  if (lockDepth == 0) {
    deliver({{name, strings}});
    return;
  }
  pending.push_back({name, strings});
}

}  // namespace pravella::edic
