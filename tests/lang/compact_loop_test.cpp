// Loops run in the compact register form hand their variables back however they end: at their
// exit, at a zero divisor (where the records take over and report it) and at the break test.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "lang/executor.h"
#include "lang/run_state.h"
#include "lang_fixture.h"

namespace {

using CompactLoop = LangTest;

std::string run(const char* program) { return pravella::runVkProgram(program).output(); }

TEST_F(CompactLoop, AZeroDivisorLeavesWhatTheLoopAssignedBeforeIt) {
  EXPECT_EQ(run("s = 0; for (i = -2; i <= 2; i++) s = s + 1 / i;"), "...<Error>...Divide by zero\n.NO.\n");
  EXPECT_EQ(run("s; i;"), "   -1.5000\n    0.0000\n.OK.\n");
}

TEST_F(CompactLoop, TheBreakTestStopsTheLoopWithItsVariablesSet) {
  // The button goes down (held long enough already) while the endless loop runs.
  std::thread press([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    vkButtonDownSinceMs.store(vkSteadyMillis() - 5000);
  });
  const std::string stopped = run("n = 0; s = 0; while (1) { n = n + 1; s = s + 2; }");
  press.join();
  vkButtonDownSinceMs.store(0);
  EXPECT_EQ(stopped, "...<Error>...**** BREAK *****\n.NO.\n");
  // Both assignments of a turn happen together: the break test runs only on the backward jump.
  EXPECT_EQ(run("n > 1; s == 2 * n;"), "    1.0000\n    1.0000\n.OK.\n");
}

TEST_F(CompactLoop, TheBreakTestInsideACompactBodyEndsTheBodyAndThenTheRun) {
  std::thread press([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    vkButtonDownSinceMs.store(vkSteadyMillis() - 5000);
  });
  // The body's loop is stopped (the body ends without a value), then the caller's own break
  // test after the call stops the run.
  const std::string stopped = run("module spin(n) { t = 0; while (1) t = t + n; return(t); }\nx = spin(1);");
  press.join();
  vkButtonDownSinceMs.store(0);
  EXPECT_EQ(stopped, "...<Error>...**** BREAK *****\n...<Error>...**** BREAK *****\n.NO.\n");
  EXPECT_EQ(run("x;"), "...<Error>...Undefined variable.\n.NO.\n");
}

TEST_F(CompactLoop, AVariableOfAnotherLevelIsNotTheLoops) {
  // A module's loop reads and writes its own level's variables only; the caller's stay.
  EXPECT_EQ(run("module total(n) { s = 0; for (i = 1; i <= n; i++) s = s + i; return(s); }\n"
                "s = 100; i = 7; total(10); s; i;"),
            "   55.0000\n  100.0000\n    7.0000\n.OK.\n");
}

}  // namespace
