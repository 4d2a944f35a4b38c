#pragma once
// The day-documents fixture with the application's end signals wired as main() wires them: a
// signal ends through `terminateUnattended`, and `ended` says that the end came.

#include <csignal>
#include <memory>

#include "day_documents_fixture.h"
#include "lang/builtins/startup.h"
#include "platform/end_signals.h"
#include "support/wait_for.h"

namespace day_documents_test {

class EndBySignal : public DayDocuments {
 protected:
  void SetUp() override { ASSERT_EQ(vkStartUp(), 1); }
  void TearDown() override {
    endSignals.reset();
    DayDocuments::TearDown();
  }
  void openWithSignals() {
    start();
    memo()->awakeFromNib();
    calendar->setTerminator([this] { ended = true; });
    endSignals = std::make_unique<pravella::EndSignals>([this](int) { calendar->terminateUnattended(); });
  }
  void endBy(int signal) {
    ASSERT_EQ(::raise(signal), 0);
    ASSERT_TRUE(pravella::test::becomesTrue([this] { return ended; }, 20000));
  }

  std::unique_ptr<pravella::EndSignals> endSignals;
  bool ended = false;
};

}  // namespace day_documents_test
