// The script texts, the check of the fields and the names that may be transferred.

#include <gtest/gtest.h>

#include "net/ftp/ftp_scripts.h"

using namespace pravella::ftp;

namespace {

Connection conn() { return {"ftp.example.org", "ann", "secret", "/pub", "/home/ann/day"}; }

const char* kHead = "open\tftp.example.org\nuser\tann\tsecret\nbinary\n";

TEST(FtpScripts, TextsOfEveryKind) {
  const Connection c = conn();
  struct Case {
    QString script;
    QString expected;
  } cases[] = {
      {listScript(c), QString(kHead) + "cd\t/pub\nnlist\t-al\nquit\n"},
      {namesScript(c), QString(kHead) + "cd\t/pub\nnlist\t-a\npwd\nquit\n"},
      {getScript(c, "a.txt", false), QString(kHead) + "lcd\t/home/ann/day\ncd\t/pub\nget\ta.txt\nquit\n"},
      {getScript(c, "a.txt", true), QString(kHead) + "lcd\t/home/ann/day\ncd\t/pub\nreget\ta.txt\nquit\n"},
      {getScript(c, "a b.txt", false), QString(kHead) + "lcd\t/home/ann/day\ncd\t/pub\nget\t\"a b.txt\"\nquit\n"},
      {putScript(c, "/tmp/up/x.dat"), QString(kHead) + "lcd\t/tmp/up\ncd\t/pub\nput\tx.dat\nquit\n"},
      {deleteScript(c, "old"), QString(kHead) + "cd\t/pub\ndelete\told\nquit\n"},
  };
  for (const Case& k : cases) EXPECT_EQ(k.script, k.expected);
}

TEST(FtpScripts, OpenLineFromTheHostText) {
  const struct {
    const char* host;
    const char* open;
  } cases[] = {
      {"h x", "open\th\n"},
      {"127.0.0.1:2121", "open\t127.0.0.1\t2121\n"},
      {"host:21 office", "open\thost\t21\n"},
      {"host:ftp", "open\thost:ftp\n"},
      {"host:", "open\thost:\n"},
      {":21", "open\t:21\n"},
      {"fe80::1", "open\tfe80::1\n"},
  };
  for (const auto& k : cases) {
    Connection c = conn();
    c.host = k.host;
    EXPECT_TRUE(scriptHead(c).startsWith(QString(k.open) + "user\t")) << k.host;
  }
}

TEST(FtpScripts, CheckOrderAndMessages) {
  const struct {
    Connection c;
    const char* message;
  } cases[] = {
      {{"", "", "", "", ""}, "Need Domain Name !\n"},
      {{"h", "", "", "/", ""}, "Need User Account !\n"},
      {{"h", "u", "", "/", ""}, "Enter Passwd !\n"},
      {{"h", "u", "p", "", ""}, "Need Directory Path !\n"},
      {{"h", "u", "p", "/x\n!sh", ""}, "Invalid character in a field !\n"},
      {{"h", "u", "p\tq", "/", ""}, "Invalid character in a field !\n"},
      {{"h\r", "u", "p", "/", ""}, "Invalid character in a field !\n"},
      {{"h", QString("u") + QChar(0), "p", "/", ""}, "Invalid character in a field !\n"},
      {{"h", "u", "p", "/", "/tmp/a\nb"}, "Invalid character in a field !\n"},
      {{"h", "u", "p", "/", ""}, ""},
  };
  for (const auto& k : cases) EXPECT_EQ(checkFields(k.c), QString(k.message)) << k.message;
}

TEST(FtpScripts, MonitorNeverShowsThePassword) {
  const Connection c = conn();
  const QString shown = maskedScript(getScript(c, "f", false), c);
  EXPECT_FALSE(shown.contains("secret"));
  EXPECT_TRUE(shown.contains("user\tann\t********\n"));
}

TEST(FtpScripts, TransferableNames) {
  const struct {
    const char* name;
    bool ok;
  } cases[] = {
      {"a.txt", true}, {"a b", true},  {".hidden", true}, {"", false},     {".", false},
      {"..", false},   {"|x", false},  {"../x", false},   {"a/b", false},  {"a\"b", false},
      {"a\rb", false}, {"a\x7f", false},
  };
  for (const auto& k : cases) EXPECT_EQ(isTransferableName(k.name), k.ok) << k.name;
}

}  // namespace
