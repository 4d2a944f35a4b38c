// The script texts, the check of the fields and the names that may be transferred.

#include <gtest/gtest.h>

#include "net/ftp/ftp_scripts.h"

#include <QDir>

using namespace pravella::ftp;

namespace {

Connection conn() { return {"ftp.example.org", "ann", "secret", "/pub", "/home/ann/day"}; }

const char* kHead = "open\tftp.example.org\nuser\tann\tsecret\nbinary\nglob\toff\n";

TEST(FtpScripts, TextsOfEveryKind) {
  const Connection c = conn();
  struct Case {
    QString script;
    QString expected;
  } cases[] = {
      {listScript(c), QString(kHead) + "cd\t/pub\nnlist\t-al\nquit\n"},
      {listScript(c, ListCommand::Ls), QString(kHead) + "cd\t/pub\nls\t-la\nquit\n"},
      {namesScript(c), QString(kHead) + "cd\t/pub\nnlist\t-a\npwd\nquit\n"},
      {namesScript(c, false), QString(kHead) + "cd\t/pub\nnlist\npwd\nquit\n"},
      {getScript(c, "a.txt", ".ftp-get-x1", false),
       QString(kHead) + "lcd\t/home/ann/day\ncd\t/pub\nget\ta.txt\t./.ftp-get-x1\nquit\n"},
      {getScript(c, "a.txt", "a.txt", true),
       QString(kHead) + "lcd\t/home/ann/day\ncd\t/pub\nreget\ta.txt\t./a.txt\nquit\n"},
      {getScript(c, "a b.txt", "a b.txt", false),
       QString(kHead) + "lcd\t/home/ann/day\ncd\t/pub\nget\ta\\ b.txt\t./a\\ b.txt\nquit\n"},
      {putScript(c, "/tmp/up/x.dat"), QString(kHead) + "lcd\t/tmp/up\ncd\t/pub\nput\t./x.dat\tx.dat\nquit\n"},
      {deleteScript(c, "old"), QString(kHead) + "cd\t/pub\ndelete\told\nquit\n"},
  };
  for (const Case& k : cases) EXPECT_EQ(k.script, k.expected);
}

// tnftp reads a leading "|" of a file name as a shell command, a lone "-" as standard input or
// output, a backslash as an escape and blanks and quotes as word ends: every name reaches it
// escaped, local names behind "./".
TEST(FtpScripts, NamesReachTnftpAsFileNamesOnly) {
  const struct {
    const char* name;
    const char* word;   // as a remote name
    const char* local;  // as a local name
  } cases[] = {
      {"a.txt", "a.txt", "./a.txt"},
      {"|touch x", "|touch\\ x", "./|touch\\ x"},
      {"-", "-", "./-"},
      {"say \"hi\".txt", "say\\ \\\"hi\\\".txt", "./say\\ \\\"hi\\\".txt"},
      {"back\\slash", "back\\\\slash", "./back\\\\slash"},
      {"[m]emo.txt", "[m]emo.txt", "./[m]emo.txt"},
      {"*.rtf", "*.rtf", "./*.rtf"},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(scriptWord(k.name), QString(k.word)) << k.name;
    EXPECT_EQ(scriptWord(localName(k.name)), QString(k.local)) << k.name;
  }
  Connection c = conn();
  c.user = "a b";
  c.password = "p\"w\\";
  EXPECT_TRUE(scriptHead(c).contains("user\ta\\ b\tp\\\"w\\\\\n"));
  EXPECT_TRUE(maskedScript(scriptHead(c), c).contains("user\ta\\ b\t********\n"));
  c.localFolder = "/home/ann/my \"day\"";
  EXPECT_TRUE(getScript(c, "f", "f", false).contains("lcd\t/home/ann/my\\ \\\"day\\\"\n"));
}

TEST(FtpScripts, TheLocalFolderIsAbsolute) {
  const QString home = QDir::homePath();
  EXPECT_EQ(localFolderPath("/data/day"), "/data/day");
  EXPECT_EQ(localFolderPath("~"), home);
  EXPECT_EQ(localFolderPath("~/Documents"), home + "/Documents");
  EXPECT_EQ(localFolderPath("Downloads"), home + "/Downloads");
  EXPECT_EQ(localFolderPath("~x"), home + "/~x");
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
  const QString shown = maskedScript(getScript(c, "f", "f", false), c);
  EXPECT_FALSE(shown.contains("secret"));
  EXPECT_TRUE(shown.contains("user\tann\t********\n"));
}

TEST(FtpScripts, TransferableNames) {
  const struct {
    const char* name;
    bool ok;
  } cases[] = {
      {"a.txt", true},  {"a b", true},  {".hidden", true}, {"|x", true},     {"a\"b", true},
      {"[m]emo", true}, {"-", true},    {"", false},       {".", false},     {"..", false},
      {"../x", false},  {"a/b", false}, {"a\rb", false},   {"a\x7f", false}, {"a\tb", false},
  };
  for (const auto& k : cases) EXPECT_EQ(isTransferableName(k.name), k.ok) << k.name;
}

// A name is refused with the reason it cannot go, never cut or changed on its way.
TEST(FtpScripts, RefusedNamesSayWhy) {
  const QString control = "The ftp program can not take a name with a line break or control character !\n";
  const struct {
    QString name;
    QString why;
  } cases[] = {
      {" lead.txt", ""},
      {"tail ", ""},
      {"a\nquit", control},
      {"x\n!touch pwned", control},
      {"a\tb", control},
      {"..", "It is not a Normal File !\n"},
      {"a/b", "It is not a Normal File !\n"},
  };
  for (const auto& k : cases) EXPECT_EQ(nameRefusal(k.name), k.why) << k.name.toStdString();
  EXPECT_EQ(scriptWord(" lead.txt"), "\\ lead.txt");
}

}  // namespace
