#pragma once
// A language state, a run stack and recording observers for the application command tests.
// A recording observer notes every notification it receives (name and payload) and may answer
// through the bridge; all observers are removed after each test.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "lang/builtins/command_bridge.h"
#include "lang/builtins/startup.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "platform/notification_center.h"

struct Posted {
  std::string name;
  std::string text;
  std::vector<std::string> strings;
  bool operator==(const Posted&) const = default;
};

inline void PrintTo(const Posted& p, std::ostream* os) { *os << "{" << p.name << ", \"" << p.text << "\"}"; }

class BridgeTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    stack.resize(kCalcStackSize);
    ResultString.clear();
    pv_ErrorCheck = 0;
  }
  void TearDown() override {
    for (pravella::ObserverId id : observers_)
      pravella::NotificationCenter::defaultCenter().removeObserver(id);
  }

  // Records every post of `name`; `answer` (if any) runs as the observer's work.
  void observe(const std::string& name, std::function<void(const pravella::Notification&)> answer = {}) {
    observers_.push_back(pravella::NotificationCenter::defaultCenter().addObserver(
        QString::fromStdString(name), nullptr,
        [this, answer](pravella::Notification& n) {
          Posted p{n.name.toStdString(), n.text.toStdString(), {}};
          for (const QString& s : n.strings) p.strings.push_back(s.toStdString());
          posted.push_back(p);
          if (answer) answer(n);
        },
        pravella::Delivery::PostingThread));
  }
  void observeAll(std::initializer_list<const char*> names) {
    for (const char* n : names) observe(n);
  }

  void pushNumber(double v) { ASSERT_EQ(vkPushScalar(stack.data(), &sp, v), 1); }
  void pushString(const std::string& s) {
    ASSERT_EQ(PushToStack(stack.data(), &sp, s.c_str(), kValueString, static_cast<int>(s.size()), 0), 1);
  }
  void pushRow(std::vector<double> row, int rows = 1) {
    const int cols = static_cast<int>(row.size()) / rows;
    ASSERT_EQ(PushToStack(stack.data(), &sp, row.data(), kValueReal, rows, cols), 1);
  }
  void pushInts(std::vector<int32_t> v) {
    ASSERT_EQ(PushToStack(stack.data(), &sp, v.data(), kValueInt, 1, static_cast<int>(v.size())), 1);
  }
  void pushPicture(const QByteArray& bytes) {
    ASSERT_EQ(
        PushToStack(stack.data(), &sp, bytes.constData(), kValuePicture, static_cast<int>(bytes.size()), 0),
        1);
  }

  // Calls the command with the given number of arguments (already pushed).
  int call(const std::string& name, int argc) {
    vk_Code record;
    record.kind = kCodeFunction;
    record.name = name;
    record.argc = argc;
    int pc = 0;
    return DoFunctionPravellaCommand(1, &record, &pc, stack.data(), &sp);
  }

  const CalcStackEntry& top() const { return stack[sp - 1]; }
  std::string topString() const {
    return top().type == kValueString ? std::string(top().data.chars()) : "<not a string>";
  }
  std::vector<double> topReals() const {
    const double* d = top().data.doubles();
    return std::vector<double>(d, d + top().msize * top().nsize);
  }

  VkCalcStack stack;
  int sp = 0;
  std::vector<Posted> posted;

 private:
  std::vector<pravella::ObserverId> observers_;
};
