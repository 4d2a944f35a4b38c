// Built-ins of the letter S whose effect is a file or a setting read elsewhere rather than a
// result.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstring>
#include <string>

#include "diary/diary_globals.h"
#include "diary/program_settings.h"
#include "editors/dropped_files_path.h"
#include "editors/memo_run_settings.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/stdlib/file_slots.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "support/test_home.h"

namespace {

class LetterS : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    folder = pravella::test::home() + QStringLiteral("/work");
    ASSERT_TRUE(QDir().mkpath(folder));
    current_fullPath = folder.toStdString();
  }
  void TearDown() override {
    current_fullPath.clear();
    vkPreferencesCPath.clear();
  }
  static std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }
  QByteArray file(const char* name) const {
    QFile f(folder + QLatin1Char('/') + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  QString folder;
};

TEST_F(LetterS, SaveWritesNumbersWithTheSaveFormatAndStringsAsText) {
  ASSERT_EQ(run("save(|1.5, 2| |3, 4|, \"m.txt\"); save(\"hello\", \"s.txt\");"), ".OK.\n");
  EXPECT_EQ(file("m.txt"), QByteArray("1.5\t2\n3\t4\n"));
  EXPECT_TRUE(file("s.txt").startsWith("hello"));
  ASSERT_EQ(run("setSaveFormat(\"%.2f\"); save(|1.5, 2|, \"f.txt\");"), ".OK.\n");
  EXPECT_EQ(file("f.txt"), QByteArray("1.50\t2.00\n"));
}

TEST_F(LetterS, SaveBWritesTheDoubleBinaryFileAndRawTypedElements) {
  ASSERT_EQ(run("saveB(|1.5, 2|, \"b.dat\");"), ".OK.\n");
  const QByteArray binary = file("b.dat");
  ASSERT_TRUE(binary.startsWith(kDoubleBinaryHeader));
  double last = 0;
  ASSERT_GE(binary.size(), 16);
  std::memcpy(&last, binary.constData() + binary.size() - 8, 8);
  EXPECT_EQ(last, 2.0);

  ASSERT_EQ(run("saveB(|1, -2|, \"r.dat\", \"short\"); saveB(|7|, \"p.dat\", \"short\", 4);"), ".OK.\n");
  EXPECT_EQ(file("r.dat"), QByteArray::fromHex("0100feff"));
  EXPECT_EQ(file("p.dat"), QByteArray::fromHex("000000000700"));

  ASSERT_EQ(run("a% = |1, -2|; saveB(a%, \"i.dat\", \"long\");"), ".OK.\n");
  EXPECT_EQ(file("i.dat"), QByteArray::fromHex("01000000feffffff"));
}

// A far byte position is a hole in the file: nothing the size of the file is built in memory,
// and the elements read back from there.
TEST_F(LetterS, SaveBAtAFarBytePositionWritesOnlyTheElements) {
  EXPECT_EQ(
      run("saveB(|1, 2|, \"far.bin\", \"double\", 2147483646); fileLength(\"far.bin\"); "
          "loadB(\"far.bin\", \"double\", |1, 2, 2147483646|); loadB(\"far.bin\", \"double\", |1, 2, 0|);"),
      "2147483662.0000\n    1.0000     2.0000\n    0.0000     0.0000\n.OK.\n");
  EXPECT_EQ(
      run("saveB(|1, 2|, \"far.bin\", \"double\", 1e+300);"),
      "...<Error>...Cannot save \"far.bin\": File too large\n...<Error>...Can't open the save file.\n.NO.\n");
  EXPECT_EQ(run("saveB(|1, 2|, \"far.bin\", \"double\", -3);"),
            "...<Error>...invalid form structure\n.NO.\n");
  // The refused saves left the file as it was.
  EXPECT_EQ(QFile(folder + QStringLiteral("/far.bin")).size(), 2147483662);
}

TEST_F(LetterS, SaveShiftJISWritesShiftJISBytes) {
  ASSERT_EQ(run("saveShiftJIS(\"日本a\", \"j.txt\");"), ".OK.\n");
  EXPECT_EQ(file("j.txt"), QByteArray::fromHex("93fa967b61"));
  EXPECT_EQ(run("saveShiftJIS(\"x\", \"no/such/folder/j.txt\");"),
            "...<Error>...Can not write TEXT(ShiftJIS)\n.NO.\n");
}

TEST_F(LetterS, SystemRunsTheCommandLineWithoutAShell) {
  // The words reach the program as they stand: "> file" is two arguments for echo, not a
  // redirection, and the exit status does not fail the built-in.
  ASSERT_EQ(run("system(\"touch made.txt '>' \\\"two words\\\"\"); system(\"sh -c 'exit 3'\");"), ".OK.\n");
  EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/made.txt")));
  EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/>")));
  EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/two words")));
  EXPECT_EQ(run("system(\"no-such-program-of-pravella\");"),
            "...<Error>...Can not execute [no-such-program-of-pravella]: execvp: No such file or "
            "directory.\n.NO.\n");
}

TEST_F(LetterS, SettingsReachTheirReaders) {
  ASSERT_EQ(
      run("setGnuplotGraphWidth(2.5); setInternetWordSearch(0.5); setDropedFilesPathOnAmMode(\"/a/b\");"),
      ".OK.\n");
  EXPECT_EQ(gnuplotGraphWidth.load(), 2.5);
  EXPECT_EQ(internetWordSearchStatus(), 1);
  EXPECT_EQ(dragedFilePathString(), "/a/b");
  ASSERT_EQ(run("setInternetWordSearch(0);"), ".OK.\n");
  EXPECT_EQ(internetWordSearchStatus(), 0);

  // Fewer colours than the table holds replace only the first ones.
  const TableColors15 before = monthTableColor();
  ASSERT_EQ(run("setMonthTableColor(|0.1, 0.2, 0.3| |0.4, 0.5, 0.6|);"), ".OK.\n");
  const TableColors15 after = monthTableColor();
  EXPECT_FLOAT_EQ(after[0], 0.1f);
  EXPECT_FLOAT_EQ(after[5], 0.6f);
  for (int i = 6; i < 15; ++i) EXPECT_EQ(after[i], before[i]) << i;
}

TEST_F(LetterS, SetRememberStringKeepsTheTextAndWritesItsFile) {
  vkPreferencesCPath = folder.toStdString();
  ASSERT_EQ(run("setRememberString(\"note 日本\");"), ".OK.\n");
  EXPECT_EQ(rememberString(), "note 日本");
  EXPECT_EQ(file("rememberString.txt"), QByteArray("note 日本"));
}

TEST_F(LetterS, SetDocBGColorAsksTheDocumentViewToRedraw) {
  // Without a document view the request fails instead of pretending.
  EXPECT_NE(run("setDocBGColor(|1, 1, 1| |1, 1, 1| |1, 1, 1|);").find(".NO."), std::string::npos);
  QStringList seen;
  auto& center = pravella::NotificationCenter::defaultCenter();
  const auto id = center.addObserver(
      QStringLiteral("cal_dispDocumentView"), nullptr, [&](pravella::Notification& n) { seen << n.text; },
      pravella::Delivery::PostingThread);
  EXPECT_EQ(run("setDocBGColor(|0.5, 1, 1| |1, 1, 1| |1, 1, 0.25|);"), ".OK.\n");
  center.removeObserver(id);
  EXPECT_EQ(seen, QStringList{QStringLiteral(" ")});
  EXPECT_FLOAT_EQ(DocBGColor()[0], 0.5f);
  EXPECT_FLOAT_EQ(DocBGColor()[8], 0.25f);
}

TEST_F(LetterS, ProcessIndicatorPostsItsRangeAndValue) {
  QStringList seen;
  auto& center = pravella::NotificationCenter::defaultCenter();
  const auto id = center.addObserver(
      QString::fromLatin1(kProcessIndicator), nullptr, [&](pravella::Notification& n) { seen << n.text; },
      pravella::Delivery::PostingThread);
  EXPECT_EQ(run("setProcessIndicator(|0, 100|); setProcessIndicatorValue(0);"), ".OK.\n");
  center.removeObserver(id);
  // The range alone, then the value.
  EXPECT_EQ(seen, (QStringList{QStringLiteral("0\t100"), QStringLiteral("0\t100\t0")}));
}

}  // namespace
