// Application commands called from program text, through the executor and the built-in call
// frame, with recording observers standing in for the windows.

#include <string>

#include "lang/builtins/bridge_fixture.h"
#include "lang/executor.h"
#include "support/console_capture.h"

namespace {

class CommandPrograms : public BridgeTest {
 protected:
  // Runs the program with the console log captured.
  pravella::VkRunResult runProgram(const std::string& program) {
    pravella::test::ConsoleCapture capture;
    pravella::VkRunResult result = pravella::runVkProgram(program);
    console = capture.text();
    return result;
  }
  std::string console;
};

TEST_F(CommandPrograms, AnswersBecomeTheValuesOfTheCallsInAProgram) {
  observe("cal_getAllMemo", [](const pravella::Notification&) { pravella::answerString("first line"); });
  observe("cal_getMemoSelectedRange", [](const pravella::Notification&) {
    pravella::answerNumbers(std::vector<double>{4, 2});
  });
  observe("cal_setMemoFontSize");
  observe("cal_setAmModeButtonFrame");
  const auto result = runProgram(
      "a$ = cal_getAllMemo(0); a$; r = cal_getMemoSelectedRange(0); r; cal_setMemoFontSize(12.9);"
      "cal_setAmModeButtonFrame(\"b1\", |10, 20, 30.5, 40|);");
  EXPECT_EQ(result.output(), "first line\n    4.0000     2.0000\n.OK.\n");
  EXPECT_EQ(posted, (std::vector<Posted>{{"cal_getAllMemo", " ", {}},
                                         {"cal_getMemoSelectedRange", " ", {}},
                                         {"cal_setMemoFontSize", "12", {}},
                                         {"cal_setAmModeButtonFrame", "b1\t10\t20\t30.5\t40", {}}}));
}

TEST_F(CommandPrograms, AFailingCommandEndsTheRunAndNamesItselfOnTheConsole) {
  observe("cal_getDocumentPath", [](const pravella::Notification&) { pravella::failCommand(); });
  const auto failed = runProgram("\"before\"; p$ = cal_getDocumentPath(0); \"after\";");
  EXPECT_EQ(failed.output(), "before\n.NO.\n");  // the observer's failure has no message of its own
  EXPECT_NE(console.find("\tError occurred on [cal_getDocumentPath]!\n"), std::string::npos) << console;

  // An unknown name: the report, then the line that names what was not found.
  const auto unknown = runProgram("cal_getDocumentPath(0, 1);");
  EXPECT_EQ(unknown.output(), "...<Error>...Unknown function.\n.NO.\n");
  EXPECT_NE(console.find("\tCould not be found the [cal_getDocumentPath] function.\n"), std::string::npos) << console;

  // A command that gives its reason: that line alone.
  const auto invalid = runProgram("cal_setDocMenuTitle(11, \"x\");");
  EXPECT_EQ(invalid.output(), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_NE(console.find("\tInvalid arguments.\n"), std::string::npos) << console;
  EXPECT_EQ(console.find("[cal_setDocMenuTitle]"), std::string::npos) << console;
}

}  // namespace
