// Day documents named with bytes that are no UTF-8: the escaped name each is listed with, the
// way back to its bytes, and its renaming.

#include "diary/undecodable_names.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <unistd.h>

#include "diary/day_folders.h"
#include "support/test_home.h"

namespace {

using namespace pravella;

std::string s(const QString& q) { return q.toStdString(); }

QString folder() { return test::home() + "/day"; }

// Makes a file of `folder()` by its bytes, as another program would.
void makeRaw(const QByteArray& raw, const QByteArray& content) {
  QDir().mkpath(folder());
  const QByteArray path = QFile::encodeName(folder()) + '/' + raw;
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  ASSERT_GE(fd, 0) << path.toStdString();
  ASSERT_EQ(::write(fd, content.constData(), content.size()), content.size());
  ::close(fd);
}

QByteArray rawContent(const QByteArray& raw) {
  const int fd = ::open((QFile::encodeName(folder()) + '/' + raw).constData(), O_RDONLY);
  if (fd < 0) return "<missing>";
  char buffer[256];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  return QByteArray(buffer, n < 0 ? 0 : static_cast<qsizetype>(n));
}

TEST(UndecodableNames, EachByteThatStartsNoCharacterShowsAsHex) {
  const struct {
    QByteArray raw;
    const char* shown;
  } cases[] = {
      {"memo.rtf", "memo.rtf"},                                  // UTF-8: as it stands
      {"a\\b.txt", "a\\b.txt"},                                  // a backslash of a UTF-8 name too
      {"memo\xE9.rtf", "memo\\xE9.rtf"},                         // Latin-1
      {"\xE6\x97\xA5\xFF", "\xE6\x97\xA5\\xFF"},                 // a whole character stays
      {"a\\\xFF", "a\\x5C\\xFF"},                                // a backslash beside a bad byte
      {"\xE6\x97.txt", "\\xE6\\x97.txt"},                        // a character cut short
      {"\xC0\xAF", "\\xC0\\xAF"},                                // an overlong "/"
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},                       // a surrogate
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},              // past U+10FFFF
      {QByteArray("\x82\xA0.txt"), "\\x82\\xA0.txt"},            // Shift JIS
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.raw.toStdString());
    EXPECT_EQ(s(escapedFileName(c.raw)), c.shown);
  }
}

TEST(UndecodableNames, AShownNameLeadsBackOnlyToTheBytesOnDisk) {
  makeRaw("memo\xE9.rtf", "one");
  makeRaw("a\\\xFF", "two");
  makeRaw("plain\\xE9", "three");  // a UTF-8 name that looks escaped
  EXPECT_EQ(undecodableNameBytes(folder(), "memo\\xE9.rtf"), QByteArray("memo\xE9.rtf"));
  EXPECT_EQ(undecodableNameBytes(folder(), "a\\x5C\\xFF"), QByteArray("a\\\xFF"));
  for (const char* shown : {"memo.rtf", "memo\\xe9.rtf", "memo\\xE.rtf", "memo\\xE9", "plain\\xE9", "a\\\\xFF",
                            "memo\\x41.rtf", "memo\\xE9.rtf\\"})
    EXPECT_EQ(undecodableNameBytes(folder(), shown), std::nullopt) << shown;
  EXPECT_EQ(undecodableNameBytes(test::home() + "/none", "memo\\xE9.rtf"), std::nullopt);
}

TEST(UndecodableNames, TheDayListShowsEachOnceUnderANameThatIsFree) {
  makeRaw("memo\xE9.rtf", "one");
  makeRaw("b.txt", "b");
  makeRaw(".hidden\xFF", "hidden");
  EXPECT_EQ(listDiaryFiles(folder()), QStringList({"b.txt", "memo\\xE9.rtf"}));
  // A file that bears the escaped name itself keeps it; the other is listed numbered.
  makeRaw("memo\\xE9.rtf", "real");
  EXPECT_EQ(listDiaryFiles(folder()), QStringList({"b.txt", "memo\\xE9.001.rtf", "memo\\xE9.rtf"}));
  EXPECT_EQ(claimShownName(folder(), "memo\\xE9.rtf").name, "memo\\xE9.rtf");
  EXPECT_EQ(rawContent("memo\xE9.rtf"), "one");
  EXPECT_EQ(rawContent("memo\\xE9.rtf"), "real");
  const ClaimedName claimed = claimShownName(folder(), "memo\\xE9.001.rtf");
  EXPECT_EQ(claimed.name, "memo\\xE9.001.rtf");
  EXPECT_EQ(claimed.error, "");
  EXPECT_EQ(rawContent("memo\\xE9.001.rtf"), "one");
  EXPECT_EQ(rawContent("memo\\xE9.rtf"), "real");
}

TEST(UndecodableNames, ANameTooLongOnceEscapedIsListedShortenedAndCanTakeIt) {
  // 120 bytes that start no character: 480 bytes escaped, past what a name may hold.
  const QByteArray bad(120, '\xFF');
  makeRaw(bad + "A.rtf", "first");
  makeRaw(bad + "B.rtf", "second");
  const QStringList listed = listDiaryFiles(folder());
  ASSERT_EQ(listed.size(), 2);
  // Cut at a whole "\xHH", the extension kept; the second of the same opening numbered.
  const QString stem = QString("\\xFF").repeated(62), numbered = QString("\\xFF").repeated(61) + ".001";
  EXPECT_EQ(listed, QStringList({numbered + ".rtf", stem + ".rtf"}));
  for (const QString& name : listed) {
    EXPECT_LE(name.toUtf8().size(), 255);
    const ClaimedName claimed = claimShownName(folder(), name);
    EXPECT_EQ(claimed.error, "") << s(name);
  }
  EXPECT_EQ(rawContent(QFile::encodeName(stem + ".rtf")), "first");
  EXPECT_EQ(rawContent(QFile::encodeName(numbered + ".rtf")), "second");
  EXPECT_EQ(listDiaryFiles(folder()), listed);
}

TEST(UndecodableNames, ClaimingGivesTheShownNameAndRenamingNeverWritesOver) {
  makeRaw("memo\xE9.rtf", "one");
  makeRaw("x\xFF", "two");
  makeRaw("taken", "mine");
  EXPECT_EQ(claimShownName(folder(), "memo\\xE9.rtf").name, "memo\\xE9.rtf");
  EXPECT_EQ(rawContent("memo\\xE9.rtf"), "one");
  EXPECT_EQ(rawContent("memo\xE9.rtf"), "<missing>");

  EXPECT_FALSE(renameUndecodable(folder(), "x\xFF", "taken"));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(rawContent("taken"), "mine");
  EXPECT_TRUE(renameUndecodable(folder(), "x\xFF", "y"));
  EXPECT_EQ(rawContent("y"), "two");
  EXPECT_EQ(rawContent("x\xFF"), "<missing>");
  EXPECT_TRUE(undecodableEntries(folder()).isEmpty());
}

}  // namespace
