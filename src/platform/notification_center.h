#pragma once
// The notification centre: how the language and the windows talk. Observers register for a
// name; a post calls every observer of that name, in registration order, and returns only
// after all have run (delivery is synchronous). An observer that lives on another thread (a
// window controller on the GUI thread, say) is called there through a blocking queued call,
// so a program posting from its worker thread waits for the answer. An observer registered
// with Delivery::PostingThread runs on whatever thread posts.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace pravella {

struct Notification {
  QString name;
  QString text;          // the payload text (a cal_ command's formatted arguments)
  QStringList strings;   // a payload of several strings, where a notification needs one
  QVariant reply;        // an observer may leave an answer here; post() returns it
  QObject* object = nullptr;  // the window object the notification is about (a control), if any
  QVariant payload{};         // binary or structured data travelling with it (picture bytes, frames)
};

enum class Delivery {
  ContextThread,  // on the thread of the context object (blocking queued when that differs)
  PostingThread,  // directly on the thread that posts
};

using ObserverId = quint64;
using ObserverFunction = std::function<void(Notification&)>;

class NotificationCenter {
 public:
  static NotificationCenter& defaultCenter();

  // `context` decides the thread and the lifetime: the observer goes away with it. It may be
  // null only with Delivery::PostingThread.
  ObserverId addObserver(const QString& name, QObject* context, ObserverFunction fn,
                         Delivery delivery = Delivery::ContextThread);
  void removeObserver(ObserverId id);
  void removeObservers(const QObject* context);                       // all of one context
  void removeObservers(const QObject* context, const QString& name);  // one name of one context

  // Delivers to the observers of the name as they stand when the post begins; one removed
  // meanwhile is skipped. Returns the reply the observers left (invalid when none did).
  QVariant post(Notification& notification);
  QVariant post(const QString& name, const QString& text = {}, const QStringList& strings = {});

  bool hasObservers(const QString& name) const;

 private:
  struct Observer {
    ObserverId id;
    QString name;
    QPointer<QObject> context;
    const QObject* contextKey;  // for removal by context, valid even after destruction began
    bool hasContext;
    ObserverFunction fn;
    Delivery delivery;
    std::atomic<bool> active{true};
  };

  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Observer>> observers_;
  ObserverId nextId_ = 1;
};

}  // namespace pravella
