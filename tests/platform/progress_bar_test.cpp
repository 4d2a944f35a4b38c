#include "platform/progress_bar.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QThread>

#include "platform/notification_center.h"

namespace {

using namespace pravella;

TEST(ProcessIndicator, ValuesAreThinnedButZeroAlwaysShows) {
  QStringList seen;
  auto& center = NotificationCenter::defaultCenter();
  const ObserverId id = center.addObserver(
      QString::fromLatin1(kProcessIndicator), nullptr, [&](Notification& n) { seen << n.text; },
      Delivery::PostingThread);
  setProcessIndicator(0, 50);
  for (int i = 1; i <= 40; ++i) setProcessIndicatorValue(i);  // within 21 ticks of the range
  setProcessIndicatorValue(0);
  QThread::msleep(400);
  setProcessIndicatorValue(7);  // 21 ticks later: shown
  setProcessIndicatorValue(8);
  center.removeObserver(id);
  EXPECT_EQ(seen, (QStringList{"0\t50", "0\t50\t0", "0\t50\t7"}));
}

TEST(ProcessIndicator, IsNotTheMainWindowsBar) {
  int mainBar = 0;
  auto& center = NotificationCenter::defaultCenter();
  const ObserverId id = center.addObserver(
      QStringLiteral("setProgressBar"), nullptr, [&](Notification&) { ++mainBar; }, Delivery::PostingThread);
  setProcessIndicator(0, 1);
  setProcessIndicatorValue(0);
  setProgressBar(0, 1, 0.5);
  center.removeObserver(id);
  EXPECT_EQ(mainBar, 1);
}

}  // namespace
