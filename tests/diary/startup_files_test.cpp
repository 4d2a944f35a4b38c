#include "diary/startup_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <string>

#include "diary/day_folders.h"
#include "diary/func_alias_file.h"
#include "lang/values.h"
#include "platform/console_log.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "support/console_capture.h"
#include "support/test_home.h"

namespace {

namespace paths = pravella::paths;
using pravella::test::ConsoleCapture;

void writeFile(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(data);
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A resources folder of the test's own, so that tests can leave files out of it.
QString useOwnResources() {
  const QString dir = pravella::test::home() + QStringLiteral("/resources");
  QDir().mkpath(dir);
  qputenv("PRAVELLA_RESOURCES", QFile::encodeName(dir));
  return dir;
}

struct ResourcesGuard {
  ~ResourcesGuard() { qunsetenv("PRAVELLA_RESOURCES"); }
};

TEST(StartupFiles, FirstStartBuildsTheFolderTreeAndCopiesTheDefaults) {
  pravella::ensureDiaryFolderTree();
  ASSERT_TRUE(pravella::copyMissingResource(QStringLiteral("rgbColor.dat"), paths::vkPreferences()));
  ASSERT_TRUE(pravella::copyMissingResource(QStringLiteral("FuncAlias.rtf"), paths::vkPreferences()));
  pravella::ensureModulesAndSupportFolders();

  for (const QString& dir : {paths::documents(), paths::diary(), paths::vkData(), paths::vkPreferences(),
                             paths::modules(), paths::applicationSupport()})
    EXPECT_TRUE(QFileInfo(dir).isDir()) << dir.toStdString();
  EXPECT_TRUE(paths::applicationSupport().startsWith(pravella::test::home() + QStringLiteral("/.config/")));

  // Copied, not moved: the shipped files stay, the copies are the user's to change.
  for (const char* name : {"rgbColor.dat", "FuncAlias.rtf"}) {
    const QString shipped = paths::resource(QString::fromLatin1(name));
    const QString copy = paths::vkPreferences() + QLatin1Char('/') + QString::fromLatin1(name);
    EXPECT_TRUE(QFileInfo::exists(shipped)) << name;
    EXPECT_EQ(readFile(copy), readFile(shipped)) << name;
    EXPECT_TRUE(QFileInfo(copy).isWritable()) << name;
  }
  EXPECT_TRUE(readFile(paths::vkPreferences() + "/rgbColor.dat").startsWith("snow 255 250 250\n"));
  // The shipped alias file reads as rich text and holds only comments.
  pravella::installFuncAliases({{"old", "table"}});
  EXPECT_TRUE(pravella::loadFuncAlias());
  EXPECT_TRUE(pravella::installedFuncAliases().empty());

  // Remembered string: created holding " ♻ " as UTF-8.
  EXPECT_EQ(pravella::loadRememberString(), QStringLiteral(" \u267B "));
  EXPECT_EQ(readFile(paths::vkPreferences() + "/rememberString.txt"), QByteArray(" \xE2\x99\xBB "));
}

TEST(StartupFiles, TheUsersOwnFilesAreNeverReplaced) {
  pravella::ensureDiaryFolderTree();
  writeFile(paths::vkPreferences() + "/rgbColor.dat", "mine 1 2 3\n");
  writeFile(paths::vkPreferences() + "/rememberString.txt", "kept");
  EXPECT_TRUE(pravella::copyMissingResource(QStringLiteral("rgbColor.dat"), paths::vkPreferences()));
  EXPECT_EQ(readFile(paths::vkPreferences() + "/rgbColor.dat"), "mine 1 2 3\n");
  EXPECT_EQ(pravella::loadRememberString(), "kept");
  EXPECT_EQ(readFile(paths::vkPreferences() + "/rememberString.txt"), "kept");
}

TEST(StartupFiles, AMissingResourceIsReportedAndNothingIsWritten) {
  ResourcesGuard guard;
  useOwnResources();
  pravella::ensureDiaryFolderTree();
  ConsoleCapture console;
  EXPECT_FALSE(pravella::copyMissingResource(QStringLiteral("rgbColor.dat"), paths::vkPreferences()));
  EXPECT_FALSE(QFileInfo::exists(paths::vkPreferences() + "/rgbColor.dat"));
  EXPECT_NE(console.text().find("Can not copy rgbColor.dat"), std::string::npos) << console.text();
}

TEST(StartupFiles, AFolderThatCannotBeMadeIsReportedAndStartUpGoesOn) {
  // A file where the work folder should be.
  writeFile(paths::vkData(), "in the way");
  ConsoleCapture console;
  pravella::ensureDiaryFolderTree();
  EXPECT_NE(console.text().find("Can not Create vkData Folder folder(0)!\n"), std::string::npos);
  EXPECT_TRUE(QFileInfo(paths::vkPreferences()).isDir());
}

TEST(StartupFiles, RecentMemoListRoundTripsAndABadFileGivesAnEmptyList) {
  EXPECT_TRUE(pravella::readRecentMemo().isEmpty());
  const QStringList list = {"/h/Documents/diary/2008/03/05/a.rtfd", "/h/Documents/diary/2008/03/06/b.rtf"};
  ASSERT_TRUE(pravella::writeRecentMemo(list));  // the Preferences folder is made when missing
  EXPECT_EQ(pravella::readRecentMemo(), list);
  EXPECT_TRUE(readFile(paths::preferences() + "/recentMemo.dat").contains("<array>"));

  writeFile(paths::preferences() + "/recentMemo.dat", "not a property list");
  ConsoleCapture console;
  EXPECT_TRUE(pravella::readRecentMemo().isEmpty());
  EXPECT_NE(console.text().find("recentMemo.dat"), std::string::npos);
}

TEST(StartupFiles, TheWorkFolderIsEmptiedWithoutFollowingLinks) {
  const QString outside = pravella::test::home() + "/outside";
  writeFile(outside + "/keep.txt", "keep");
  writeFile(paths::vkData() + "/plot.gp", "x");
  writeFile(paths::vkData() + "/.hidden", "x");
  writeFile(paths::vkData() + "/sub/deep/file.png", "x");
  ASSERT_TRUE(QFile::link(outside, paths::vkData() + "/link"));

  pravella::deleteVkDataFiles();
  EXPECT_TRUE(
      QDir(paths::vkData()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
  EXPECT_TRUE(QFileInfo(paths::vkData()).isDir());
  EXPECT_EQ(readFile(outside + "/keep.txt"), "keep");
}

TEST(StartupFiles, OnlyModuleFilesWithTheInnerVkExtensionRunAtLaunch) {
  for (const char* name :
       {"x.rtf", "x.vk.rtf", "matrix.vk.rtfd/TXT.rtf", "b.vk.txt", "vk.rtf", "c.VK.rtf", "a.vk.rtf"})
    writeFile(paths::modules() + "/" + name, "m");
  EXPECT_EQ(pravella::moduleFilesToRun(paths::modules()),
            QStringList({paths::modules() + "/a.vk.rtf", paths::modules() + "/matrix.vk.rtfd",
                         paths::modules() + "/x.vk.rtf"}));
}

TEST(StartupFiles, WindowFrameFile) {
  const QString path = pravella::windowFrameFilePath();
  EXPECT_EQ(path, paths::applicationSupport() + "/windowPositionAndSize.dat");
  EXPECT_FALSE(pravella::readWindowFrameFile(path));  // no file: nothing changes

  pravella::WindowFrame frame{10, 20, 900, 700, {1, 2, 3, 4, 5.5}};
  ASSERT_TRUE(pravella::writeWindowFrameFile(path, frame));
  EXPECT_EQ(pravella::plist::readStringArray(path),
            QStringList({"10.000000", "20.000000", "900.000000", "700.000000", "1.000000", "2.000000",
                         "3.000000", "4.000000", "5.500000"}));
  std::optional<pravella::WindowFrame> back = pravella::readWindowFrameFile(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->x, 10);
  EXPECT_EQ(back->height, 700);
  EXPECT_EQ(back->sideWidths[4], 5.5);

  // Four items keep the frame; every side view gets the width 500.
  ConsoleCapture console;
  ASSERT_TRUE(pravella::plist::writeStringArray(path, {"1", "2", "300", "400"}));
  back = pravella::readWindowFrameFile(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 300);
  for (double w : back->sideWidths) EXPECT_EQ(w, 500);
  EXPECT_NE(console.text().find("holds 4 items"), std::string::npos);

  // Too few items, an empty frame or no property list: the file is not used.
  ASSERT_TRUE(pravella::plist::writeStringArray(path, {"1", "2", "300"}));
  EXPECT_FALSE(pravella::readWindowFrameFile(path));
  ASSERT_TRUE(pravella::plist::writeStringArray(path, {"1", "2", "abc", "400"}));
  EXPECT_FALSE(pravella::readWindowFrameFile(path));
  writeFile(path, "garbage");
  EXPECT_FALSE(pravella::readWindowFrameFile(path));
}

TEST(StartupFiles, SideViewWidthsBesideTheWindowFrame) {
  const QString path = pravella::sideViewWidthsFilePath();
  EXPECT_EQ(path, paths::applicationSupport() + "/sideViewWidths.dat");
  EXPECT_TRUE(pravella::readSideViewWidths(path).empty());  // no file: none remembered

  const std::map<QString, int> widths{{"finderDrawer", 420}, {"toolDrawer", 615}};
  ASSERT_TRUE(pravella::writeSideViewWidths(path, widths));
  EXPECT_EQ(pravella::readSideViewWidths(path), widths);

  // Entries that are no positive width are left out; a file that is no dictionary gives none.
  ConsoleCapture console;
  ASSERT_TRUE(pravella::plist::writeFile(
      path, QVariantMap{{"a", 300.0}, {"b", "wide"}, {"c", -4.0}, {"d", 0.0}, {"e", QVariantList{1}}}));
  EXPECT_EQ(pravella::readSideViewWidths(path), (std::map<QString, int>{{"a", 300}}));
  ASSERT_TRUE(pravella::plist::writeStringArray(path, {"300"}));
  EXPECT_TRUE(pravella::readSideViewWidths(path).empty());
  writeFile(path, "garbage");
  EXPECT_TRUE(pravella::readSideViewWidths(path).empty());
  EXPECT_NE(console.text().find("is not used"), std::string::npos);
}

TEST(FuncAliasFile, LinesOfTheAliasFile) {
  struct Case {
    const char* text;
    std::vector<std::pair<std::string, std::string>> aliases;
  };
  const std::string alias255(255, 'a');
  const std::string alias256(256, 'a');
  const Case cases[] = {
      {"#sin\tsine\n", {}},                       // a comment
      {"abs\tfabs\textra\n", {{"abs", "fabs"}}},  // fields after the second ignored
      {"", {}},                                   // an empty file empties the table
      {"\tsin\n", {}},                            // empty alias
      {"abs\t\n", {}},                            // empty target
      {"lonely\n", {}},                           // one field
      {"a\tb\nc\td\n#e\tf\ng\th", {{"a", "b"}, {"c", "d"}, {"g", "h"}}},
      {"x\ty\nx\tz\n", {{"x", "y"}, {"x", "z"}}},  // file order: the first wins at lookup
      {"\xE6\xAD\xA3\xE5\xBC\xA6\tsin\n", {{"\xE6\xAD\xA3\xE5\xBC\xA6", "sin"}}},  // UTF-8 names
  };
  for (const Case& c : cases) {
    std::vector<pravella::FuncAlias> parsed = pravella::parseFuncAliasText(QString::fromUtf8(c.text));
    ASSERT_EQ(parsed.size(), c.aliases.size()) << c.text;
    for (size_t i = 0; i < parsed.size(); ++i) {
      EXPECT_EQ(parsed[i].alias, c.aliases[i].first) << c.text;
      EXPECT_EQ(parsed[i].target, c.aliases[i].second) << c.text;
    }
  }
  // Names must fit 255 bytes.
  const QString lengths =
      QString::fromStdString(alias256 + "\tf\n" + alias255 + "\tf\nf\t" + alias256 + "\n");
  std::vector<pravella::FuncAlias> parsed = pravella::parseFuncAliasText(lengths);
  ASSERT_EQ(parsed.size(), 1u);
  EXPECT_EQ(parsed[0].alias, alias255);

  // The table holds 500; the rest is ignored.
  QString many;
  for (int i = 0; i < 600; ++i) many += QStringLiteral("a%1\tb\n").arg(i);
  parsed = pravella::parseFuncAliasText(many);
  ASSERT_EQ(parsed.size(), 500u);
  EXPECT_EQ(parsed.back().alias, "a499");
}

TEST(FuncAliasFile, LoadingKeepsTheTableWhenTheFileCannotBeHad) {
  ResourcesGuard guard;
  pravella::ensureDiaryFolderTree();
  pravella::installFuncAliases({{"old", "table"}});

  // No user file and nothing to copy: the table stays.
  useOwnResources();
  EXPECT_FALSE(pravella::loadFuncAlias());
  ASSERT_EQ(pravella::installedFuncAliases().size(), 1u);

  // The user's file, as the old text system wrote it: lines are paragraphs, fields TABs.
  writeFile(paths::vkPreferences() + "/FuncAlias.rtf",
            "{\\rtf1\\ansi\\ansicpg1252\\cocoartf949\n{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
            "\\pard\\tx560\\tx1120\\ql\\qnatural\n\n\\f0\\fs24 \\cf0 #sin\tsine\\\n"
            "abs\tfabs\textra\\\n\\u27491 \\'3f\\u24358 \\'3f\tsin}");
  EXPECT_TRUE(pravella::loadFuncAlias());
  const std::vector<pravella::FuncAlias> loaded = pravella::installedFuncAliases();
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded[0].alias, "abs");
  EXPECT_EQ(loaded[0].target, "fabs");
  EXPECT_EQ(loaded[1].alias, "\xE6\xAD\xA3\xE5\xBC\xA6");
  EXPECT_EQ(loaded[1].target, "sin");
  EXPECT_EQ(fncAliasTable[2].alias, "");  // the rest of the table is cleared

  // A file that is no rich text leaves the table; an empty document empties it.
  writeFile(paths::vkPreferences() + "/FuncAlias.rtf", "not rich text");
  EXPECT_FALSE(pravella::loadFuncAlias());
  EXPECT_EQ(pravella::installedFuncAliases().size(), 2u);
  writeFile(paths::vkPreferences() + "/FuncAlias.rtf", "{\\rtf1\\ansi }");
  EXPECT_TRUE(pravella::loadFuncAlias());
  EXPECT_TRUE(pravella::installedFuncAliases().empty());
}

TEST(DayFolders, MakingADayFolderLevelByLevel) {
  // On a fresh home every level is created and none entered.
  ASSERT_TRUE(pravella::makeDayFolder(2007, 1, 2));
  EXPECT_TRUE(QFileInfo(paths::dayFolder(2007, 1, 2)).isDir());

  QDir().mkpath(paths::diary() + "/2008/03");
  ASSERT_TRUE(pravella::makeDayFolder(2008, 3, 5));
  EXPECT_TRUE(QFileInfo(pravella::test::home() + "/Documents/diary/2008/03/05").isDir());
  // Created, not entered: the process stays in the month folder.
  EXPECT_EQ(QDir::currentPath().toStdString(),
            QFileInfo(pravella::test::home() + "/Documents/diary/2008/03").canonicalFilePath().toStdString());
  // Called again, it finds the day folder and enters it.
  ASSERT_TRUE(pravella::makeDayFolder(2008, 3, 5));
  EXPECT_EQ(
      QDir::currentPath().toStdString(),
      QFileInfo(pravella::test::home() + "/Documents/diary/2008/03/05").canonicalFilePath().toStdString());

  // A level that cannot be made ends the walk with its message.
  writeFile(paths::diary() + "/2009", "a file in the way");
  ConsoleCapture console;
  EXPECT_FALSE(pravella::makeDayFolder(2009, 1, 1));
  EXPECT_NE(console.text().find("\tCan not Create year folder!\n"), std::string::npos) << console.text();
  EXPECT_EQ(console.text().find("month folder"), std::string::npos);
}

TEST(DayFolders, MarksListingAndDaysOfPaths) {
  const QString day5 = paths::dayFolder(2008, 3, 5);
  EXPECT_FALSE(pravella::folderHoldsRichText(day5));  // missing folder: empty
  writeFile(day5 + "/notes.txt", "x");
  EXPECT_FALSE(pravella::folderHoldsRichText(day5));
  QDir().mkpath(day5 + "/a.rtfd");
  EXPECT_TRUE(pravella::folderHoldsRichText(day5));
  const QString day6 = paths::dayFolder(2008, 3, 6);
  writeFile(day6 + "/.x.rtf", "x");  // hidden ones count for the mark
  EXPECT_TRUE(pravella::folderHoldsRichText(day6));
  EXPECT_TRUE(pravella::listDiaryFiles(day6).isEmpty());

  for (const char* name : {"b.ROIData", "c.htmld", "d.tbld", "e.TBLD", "f.rtf", "link"})
    writeFile(day6 + "/" + name, "x");
  QStringList listed = pravella::listDiaryFiles(day6);
  listed.sort();
  EXPECT_EQ(listed, QStringList({"e.TBLD", "f.rtf", "link"}));

  // The list is in name order, numbers within names by their value, whatever order the
  // folder gives (a rename must not move the others around).
  const QString day7 = paths::dayFolder(2008, 3, 7);
  for (const char* name : {"note 10.rtfd", "Beta.rtf", "note 2.rtfd", "alpha.txt", "note 02b.rtf", "2.png",
                           "10.png", "Alpha.txt"})
    writeFile(day7 + "/" + name, "x");
  QDir(day7).rename("alpha.txt", "zeta.txt");
  EXPECT_EQ(pravella::listDiaryFiles(day7),
            QStringList({"2.png", "10.png", "Alpha.txt", "Beta.rtf", "note 2.rtfd", "note 02b.rtf",
                         "note 10.rtfd", "zeta.txt"}));
  EXPECT_TRUE(pravella::naturalNameLess("a9", "a10"));
  EXPECT_FALSE(pravella::naturalNameLess("a10", "a9"));
  EXPECT_TRUE(pravella::naturalNameLess("a", "a1"));
  EXPECT_FALSE(pravella::naturalNameLess("x", "x"));

  const std::optional<pravella::DayOfPath> d =
      pravella::dayOfDocumentPath("/h/Documents/diary/2008/03/05/a.rtfd");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->year, 2008);
  EXPECT_EQ(d->month, 3);
  EXPECT_EQ(d->day, 5);
  EXPECT_FALSE(pravella::dayOfDocumentPath("a/b.rtfd"));
  EXPECT_EQ(pravella::dayOfDocumentPath("x/y/z/w.rtf")->year, 0);

  EXPECT_EQ(pravella::compareDayKeys(pravella::dayKey(2008, 3, 5), pravella::dayKey(2008, 3, 4)), -1);
  EXPECT_EQ(pravella::compareDayKeys(pravella::dayKey(2008, 3, 5), pravella::dayKey(2008, 3, 5)), 0);
  EXPECT_EQ(pravella::compareDayKeys(pravella::dayKey(2008, 3, 5), pravella::dayKey(2009, 1, 1)), 1);
  EXPECT_EQ(paths::dayFolder(2008, 3, 5), pravella::test::home() + "/Documents/diary/2008/03/05");
}

TEST(DayFolders, ADiaryDocumentIsANameInADayFolderWhateverTheHomesDepth) {
  const QString d = paths::diary();
  const std::optional<pravella::DayOfPath> day = pravella::dayOfDiaryDocument(d + "/2008/03/05/a.rtfd");
  ASSERT_TRUE(day);
  EXPECT_EQ(day->year * 10000 + day->month * 100 + day->day, 20080305);
  for (const QString& path :
       QStringList{d + "/top.rtfd", d + "/2008/03/a.rtfd", d + "/2008/03/05/", d + "/2008/3/05/a.rtfd",
                   d + "/2008/02/30/a.rtfd", d + "/2008/03/05/x/a.rtfd",
                   QStringLiteral("/elsewhere/2008/03/05/a.rtfd")})
    EXPECT_FALSE(pravella::dayOfDiaryDocument(path)) << path.toStdString();
}

}  // namespace
