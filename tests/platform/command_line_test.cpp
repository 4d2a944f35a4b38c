#include <gtest/gtest.h>

#include "platform/command_line.h"

namespace {

TEST(CommandLine, SplitsWordsAsAShellDoesWithoutInterpretingAnything) {
  struct Case {
    const char* text;
    QStringList words;
  } cases[] = {
      {"ls -l  /tmp ", {"ls", "-l", "/tmp"}},
      {"touch 'a b' \"c d\" e\\ f", {"touch", "a b", "c d", "e f"}},
      {"echo 'it''s' \"say \\\"hi\\\" \\n\"", {"echo", "its", "say \"hi\" \\n"}},
      {"a ; b && c | d > e $HOME", {"a", ";", "b", "&&", "c", "|", "d", ">", "e", "$HOME"}},
      {"x '' \"\"", {"x", "", ""}},
      {"", {}},
  };
  for (const Case& c : cases) {
    QStringList words;
    EXPECT_TRUE(pravella::splitCommandLine(QString::fromUtf8(c.text), &words)) << c.text;
    EXPECT_EQ(words, c.words) << c.text;
  }
  QStringList words;
  for (const char* bad : {"echo 'open", "echo \"open", "echo \\"})
    EXPECT_FALSE(pravella::splitCommandLine(QString::fromUtf8(bad), &words)) << bad;
}

TEST(CommandLine, ReportsWhatCannotStartAndStopsOnRequest) {
  EXPECT_FALSE(pravella::runCommandLine("").started);
  EXPECT_FALSE(pravella::runCommandLine("echo 'open").started);
  const pravella::CommandLineResult missing = pravella::runCommandLine("no-such-program-of-pravella");
  EXPECT_FALSE(missing.started);
  EXPECT_FALSE(missing.error.isEmpty());

  EXPECT_EQ(pravella::runCommandLine("sh -c 'exit 3'").exitCode, 3);
  const pravella::CommandLineResult stopped = pravella::runCommandLine("sleep 30", {}, [] { return true; });
  EXPECT_TRUE(stopped.started);
  EXPECT_TRUE(stopped.stopped);
}

}  // namespace
