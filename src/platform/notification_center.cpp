#include "platform/notification_center.h"

#include <QMetaObject>
#include <QThread>
#include <algorithm>

namespace pravella {

NotificationCenter& NotificationCenter::defaultCenter() {
  static NotificationCenter center;
  return center;
}

ObserverId NotificationCenter::addObserver(const QString& name, QObject* context, ObserverFunction fn,
                                           Delivery delivery) {
  Q_ASSERT(context || delivery == Delivery::PostingThread);
  auto observer = std::make_shared<Observer>();
  observer->name = name;
  observer->context = context;
  observer->contextKey = context;
  observer->hasContext = context != nullptr;
  observer->fn = std::move(fn);
  observer->delivery = delivery;
  {
    std::lock_guard lock(mutex_);
    observer->id = nextId_++;
    observers_.push_back(observer);
  }
  if (context) {
    // Unregister with the context, so that no post reaches a destroyed object.
    QObject::connect(context, &QObject::destroyed, [this, context] { removeObservers(context); });
  }
  return observer->id;
}

void NotificationCenter::removeObserver(ObserverId id) {
  std::lock_guard lock(mutex_);
  std::erase_if(observers_, [id](const std::shared_ptr<Observer>& o) {
    if (o->id != id) return false;
    o->active = false;
    return true;
  });
}

void NotificationCenter::removeObservers(const QObject* context) {
  std::lock_guard lock(mutex_);
  std::erase_if(observers_, [context](const std::shared_ptr<Observer>& o) {
    if (!o->hasContext || o->contextKey != context) return false;
    o->active = false;
    return true;
  });
}

void NotificationCenter::removeObservers(const QObject* context, const QString& name) {
  std::lock_guard lock(mutex_);
  std::erase_if(observers_, [&](const std::shared_ptr<Observer>& o) {
    if (!o->hasContext || o->contextKey != context || o->name != name) return false;
    o->active = false;
    return true;
  });
}

bool NotificationCenter::hasObservers(const QString& name) const {
  std::lock_guard lock(mutex_);
  return std::any_of(observers_.begin(), observers_.end(),
                     [&](const std::shared_ptr<Observer>& o) { return o->name == name; });
}

QVariant NotificationCenter::post(Notification& notification) {
  std::vector<std::shared_ptr<Observer>> targets;
  {
    std::lock_guard lock(mutex_);
    for (const auto& o : observers_)
      if (o->name == notification.name) targets.push_back(o);
  }
  // The lock is not held while observers run: they may post, add or remove observers.
  for (const auto& o : targets) {
    if (!o->active) continue;
    if (o->delivery == Delivery::PostingThread) {
      o->fn(notification);
      continue;
    }
    QObject* context = o->context.data();
    if (!context) continue;  // its context is gone
    if (context->thread() == QThread::currentThread()) {
      o->fn(notification);
    } else {
      QMetaObject::invokeMethod(
          context,
          [o, &notification] {
            if (o->active) o->fn(notification);
          },
          Qt::BlockingQueuedConnection);
    }
  }
  return notification.reply;
}

QVariant NotificationCenter::post(const QString& name, const QString& text, const QStringList& strings) {
  Notification n{name, text, strings, {}};
  return post(n);
}

}  // namespace pravella
