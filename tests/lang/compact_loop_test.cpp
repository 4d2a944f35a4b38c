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

// Runs an endless program while the button goes down (held long enough already) after 50 ms.
std::string runUntilTheButton(const char* program) {
  std::thread press([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    vkButtonDownSinceMs.store(vkSteadyMillis() - 5000);
  });
  const std::string stopped = run(program);
  press.join();
  vkButtonDownSinceMs.store(0);
  return stopped;
}

TEST_F(CompactLoop, AZeroDivisorLeavesWhatTheLoopAssignedBeforeIt) {
  EXPECT_EQ(run("s = 0; for (i = -2; i <= 2; i++) s = s + 1 / i;"), "...<Error>...Divide by zero\n.NO.\n");
  EXPECT_EQ(run("s; i;"), "   -1.5000\n    0.0000\n.OK.\n");
}

TEST_F(CompactLoop, TheBreakTestStopsTheLoopWithItsVariablesSet) {
  const std::string stopped = runUntilTheButton("n = 0; s = 0; while (1) { n = n + 1; s = s + 2; }");
  EXPECT_EQ(stopped, "...<Error>...**** BREAK *****\n.NO.\n");
  // Both assignments of a turn happen together: the break test runs only on the backward jump.
  EXPECT_EQ(run("n > 1; s == 2 * n;"), "    1.0000\n    1.0000\n.OK.\n");
}

TEST_F(CompactLoop, TheBreakTestInsideACompactBodyEndsTheBodyAndThenTheRun) {
  // The body's loop is stopped (the body ends without a value), then the caller's own break
  // test after the call stops the run.
  const std::string stopped =
      runUntilTheButton("module spin(n) { t = 0; while (1) t = t + n; return(t); }\nx = spin(1);");
  EXPECT_EQ(stopped, "...<Error>...**** BREAK *****\n...<Error>...**** BREAK *****\n.NO.\n");
  EXPECT_EQ(run("x;"), "...<Error>...Undefined variable.\n.NO.\n");
}

TEST_F(CompactLoop, AVariableOfAnotherLevelIsNotTheLoops) {
  // A module's loop reads and writes its own level's variables only; the caller's stay.
  EXPECT_EQ(run("module total(n) { s = 0; for (i = 1; i <= n; i++) s = s + i; return(s); }\n"
                "s = 100; i = 7; total(10); s; i;"),
            "   55.0000\n  100.0000\n    7.0000\n.OK.\n");
}

TEST_F(CompactLoop, BuiltinsOfOneNumberGiveWhatTheirRecordsGive) {
  // Each value from a loop's later turns against the built-in called once by its record, and a
  // compact module body against one that goes the long way.
  const char* calls[] = {"sin(v)",  "cos(v)",  "tan(v)",  "sinh(v)", "cosh(v)", "tanh(v)",
                         "asin(v)", "acos(v)", "atan(v)", "abs(v)",  "exp(v)",  "log(v)",
                         "ln(v)",   "sqrt(v)", "int(v)",  "intL(v)", "intH(v)"};
  const char* values[] = {"0.5", "-0.5", "0", "-2.5", "1e+308", "ln(-1)"};
  for (const char* call : calls) {
    for (const char* value : values) {
      SCOPED_TRACE(std::string(call) + " of " + value);
      const std::string v = std::string("v = ") + value + "; ";
      const std::string once = run((v + call + ";").c_str());
      EXPECT_EQ(run((v + "y = 0; for (k = 1; k <= 3; k++) y = " + call + "; y;").c_str()), once);
      // A string variable keeps the second body out of the compact form.
      const std::string calls = v + "fz(v); fz(v);";
      const std::string longWay =
          run((std::string("module fz(v) { t$ = \"a\"; return(") + call + "); }\n" + calls).c_str());
      EXPECT_EQ(run((std::string("module fz(v) { return(") + call + "); }\n" + calls).c_str()), longWay);
    }
  }
}

TEST_F(CompactLoop, ABuiltinThatFailsReportsItselfWithTheLoopsVariablesSet) {
  EXPECT_EQ(run("s = 0; for (i = 2; i >= -2; i--) s = s + sqrt(i);"),
            "...<Error>...Invalid number.(sqrt)\n.NO.\n");
  EXPECT_EQ(run("s == sqrt(2) + 1; i;"), "    1.0000\n   -1.0000\n.OK.\n");
}

TEST_F(CompactLoop, AModuleNamedLikeABuiltinTakesTheCallsOfALoopCompiledBefore) {
  ASSERT_EQ(run("module total(n) { s = 0; for (i = 1; i <= n; i++) s = s + abs(i); return(s); }\ntotal(4);"),
            "   10.0000\n.OK.\n");
  ASSERT_TRUE(pravella::runVkProgram("module abs(x) { return(x * 100); }").ok);
  EXPECT_EQ(run("total(4);"), " 1000.0000\n.OK.\n");
  ASSERT_TRUE(pravella::runVkProgram("deleteModule(\"abs\");").ok);
  EXPECT_EQ(run("total(4);"), "   10.0000\n.OK.\n");
}

TEST_F(CompactLoop, TheBreakTestStopsALoopOfBuiltins) {
  const std::string stopped = runUntilTheButton("x = 1; n = 0; while (1) { x = cos(x); n = n + 1; }");
  EXPECT_EQ(stopped, "...<Error>...**** BREAK *****\n.NO.\n");
  EXPECT_EQ(run("n > 1; abs(x - cos(x)) < 1e-9;"), "    1.0000\n    1.0000\n.OK.\n");
}

}  // namespace
