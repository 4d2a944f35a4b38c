#pragma once
// Waits that report to gtest. Qt's own waiting macros report to QtTest, which a gtest test
// never hears from: a failed wait there only returns from the test body, and the test passes.
// Use them as ASSERT_TRUE(becomesTrue(...)) where the test cannot go on without the state, and
// EXPECT_TRUE where it can.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <string>

namespace pravella::test {

// As long as Qt's waits take unless told otherwise: a deadline, never a measure.
inline constexpr int kDefaultWaitMs = 5000;

inline std::string shownValue(const QString& text) { return '"' + text.toStdString() + '"'; }
inline std::string shownValue(const QByteArray& bytes) { return '"' + bytes.toStdString() + '"'; }
inline std::string shownValue(const QStringList& list) {
  std::string all = "[";
  for (qsizetype i = 0; i < list.size(); ++i) all += (i ? ", " : "") + shownValue(list[i]);
  return all + "]";
}
template <class T>
std::string shownValue(const T& value) {
  return testing::PrintToString(value);
}

// Runs the event loop until `condition()` holds, for at most `timeoutMs`.
template <class Condition>
testing::AssertionResult becomesTrue(Condition condition, int timeoutMs = kDefaultWaitMs) {
  if (QTest::qWaitFor(condition, timeoutMs)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "still false after " << timeoutMs << " ms";
}

// Runs the event loop until `value()` equals `expected`, for at most `timeoutMs`; a failure
// names the last value seen.
template <class Value, class Expected>
testing::AssertionResult becomesEqual(Value value, const Expected& expected, int timeoutMs = kDefaultWaitMs) {
  if (QTest::qWaitFor([&] { return value() == expected; }, timeoutMs)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "after " << timeoutMs << " ms still " << shownValue(value())
                                     << ", not " << shownValue(expected);
}

// Runs the event loop until what was queued before the call is done: the events posted till
// now are handled before any timer fires, and zero-time timers fire in the order they were
// started. A sync point for work the application leaves for "right after".
inline testing::AssertionResult queuedWorkDone(int timeoutMs = kDefaultWaitMs) {
  QTimer marker;
  marker.setSingleShot(true);
  bool fired = false;
  QObject::connect(&marker, &QTimer::timeout, [&] { fired = true; });
  marker.start(0);
  if (QTest::qWaitFor([&] { return fired; }, timeoutMs)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "the queued work was not done after " << timeoutMs << " ms";
}

}  // namespace pravella::test
