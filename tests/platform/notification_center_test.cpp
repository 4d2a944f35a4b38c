#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <memory>
#include <thread>

#include "platform/notification_center.h"

namespace {

using pravella::Delivery;
using pravella::Notification;
using pravella::NotificationCenter;

TEST(NotificationCenter, DeliversInRegistrationOrderWithPayload) {
  NotificationCenter center;
  QObject a, b;
  QStringList calls;
  center.addObserver("cal_test", &a, [&](Notification& n) { calls << "a:" + n.text + ":" + n.strings.join(","); });
  center.addObserver("other", &a, [&](Notification&) { calls << "other"; });
  center.addObserver("cal_test", &b, [&](Notification& n) {
    calls << "b";
    n.reply = 42;
  });
  const QVariant reply = center.post("cal_test", "1,2", {"x", "y"});
  EXPECT_EQ(calls, (QStringList{"a:1,2:x,y", "b"}));
  EXPECT_EQ(reply.toInt(), 42);
  EXPECT_FALSE(center.post("nobody listens").isValid());
}

TEST(NotificationCenter, RemovedObserversAreNotCalled) {
  NotificationCenter center;
  QObject a;
  int first = 0, second = 0, third = 0;
  const auto id = center.addObserver("n", &a, [&](Notification&) { ++first; });
  center.addObserver("n", &a, [&](Notification&) { ++second; });
  {
    QObject shortLived;
    center.addObserver("n", &shortLived, [&](Notification&) { ++third; });
  }  // destroyed: unregistered with it
  center.removeObserver(id);
  center.post("n");
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(third, 0);

  center.removeObservers(&a);
  center.post("n");
  EXPECT_EQ(second, 1);
  EXPECT_FALSE(center.hasObservers("n"));
}

TEST(NotificationCenter, ObserverRemovedDuringAPostIsSkipped) {
  NotificationCenter center;
  QObject a;
  int late = 0;
  pravella::ObserverId lateId = 0;
  center.addObserver("n", &a, [&](Notification&) { center.removeObserver(lateId); });
  lateId = center.addObserver("n", &a, [&](Notification&) { ++late; });
  center.post("n");
  EXPECT_EQ(late, 0);
}

TEST(NotificationCenter, WorkerPostWaitsForTheGuiThreadObserversAnswer) {
  NotificationCenter center;
  QObject guiSide;  // lives on this (the GUI) thread
  std::atomic<bool> ranOnGui{false};
  const auto guiThread = QThread::currentThread();
  center.addObserver("cal_question", &guiSide, [&](Notification& n) {
    ranOnGui = QThread::currentThread() == guiThread;
    QThread::msleep(50);  // the poster must still be waiting after this
    n.reply = n.text + " answered";
  });
  std::atomic<bool> postingThreadObserverRanOnWorker{false};
  center.addObserver(
      "cal_question", nullptr,
      [&](Notification&) { postingThreadObserverRanOnWorker = QThread::currentThread() != guiThread; },
      Delivery::PostingThread);

  std::atomic<bool> done{false};
  QString answer;
  std::thread worker([&] {
    answer = center.post("cal_question", "question").toString();
    done = true;
  });
  // The GUI thread runs its event loop until the worker's post has returned.
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  worker.join();
  EXPECT_TRUE(ranOnGui);
  EXPECT_TRUE(postingThreadObserverRanOnWorker);
  EXPECT_EQ(answer, "question answered");
}

}  // namespace
