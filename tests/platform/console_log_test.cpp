#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/console_log.h"

namespace {

std::tm at(int y, int mo, int d, int h, int mi, int s) {
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  return t;
}

std::string readAll(std::FILE* f) {
  std::rewind(f);
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  return out;
}

TEST(ConsoleLog, StampPadsFieldsAndYear) {
  EXPECT_EQ(pravella::consoleStamp(at(2026, 3, 4, 5, 6, 7)), "2026/03/04 05:06:07");
  // The year is padded with blanks, not zeros.
  EXPECT_EQ(pravella::consoleStamp(at(987, 12, 31, 23, 59, 58)), " 987/12/31 23:59:58");
  EXPECT_EQ(pravella::consoleLine(at(2026, 1, 2, 3, 4, 5), "Hello\n"), "[vk]:2026/01/02 03:04:05\tHello\n");
}

TEST(ConsoleLog, MessagesAreDataAndAreNotCutOrJoinedWithLineEnds) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  std::FILE* previous = pravella::setConsoleLogStream(f);
  const std::string longText(2000, 'x');
  showErrMessageToConsole("100% %s %n %d");  // a format would crash or change here
  showErrMessageToConsole(longText);
  showErrMessageToConsole("end\n");
  pravella::setConsoleLogStream(previous);
  const std::string all = readAll(f);
  std::fclose(f);

  ASSERT_EQ(all.rfind("[vk]:", 0), 0u);
  const size_t tab1 = all.find('\t');
  EXPECT_EQ(all.compare(tab1 + 1, 13, "100% %s %n %d"), 0);
  // No line end is added: the next line's "[vk]:" follows the message directly.
  EXPECT_EQ(all.compare(tab1 + 14, 5, "[vk]:"), 0);
  EXPECT_NE(all.find(longText + "[vk]:"), std::string::npos);
  EXPECT_EQ(all.substr(all.size() - 4), "end\n");
}

}  // namespace
