// The finder sheet's rules without windows: the preview a file gets, the dump, the character
// codes and their size limit, refused renames, new document names, the buttons' folders, and
// the file-system nodes of the browser.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/finder_info.h"
#include "platform/text_encoding.h"
#include "support/test_home.h"
#include "support/unprivileged_run.h"
#include "tools/finder/finder_files.h"
#include "tools/finder/fs_node_info.h"

namespace {

using pravella::test::home;
namespace finder = pravella::finder;
using Kind = finder::PreviewKind;

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

TEST(FinderPreviewKind, ChoosesByExtensionAndTypeInTheSheetsOrder) {
  QDir().mkpath(home() + "/doc.rtfd");
  QDir().mkpath(home() + "/folder");
  QDir().mkpath(home() + "/folder.PNG");  // a folder named like a picture is still a picture
  const struct {
    const char* name;
    QByteArray type;
    Kind kind;
  } cases[] = {
      {"doc.rtfd", "", Kind::Rtfd},   {"a.rtf", "", Kind::Rtf},          {"a.RTF", "", Kind::Other},
      {"a.JPG", "", Kind::Picture},   {"a.Tiff", "", Kind::Picture},     {"a.bin", "JPEG", Kind::Picture},
      {"a.AVI", "", Kind::Movie},     {"a.bin", "MooV", Kind::Movie},    {"a.mp3", "", Kind::Movie},
      {"a.txt", "", Kind::PlainText}, {"a.TXT", "", Kind::PlainText},    {"a.text", "", Kind::PlainText},
      {"a.DAT", "", Kind::PlainText}, {"a.Txt", "", Kind::Other},        {"a.tExt", "", Kind::Other},
      {"folder", "", Kind::Folder},   {"folder.PNG", "", Kind::Picture}, {"noext", "", Kind::Other},
  };
  for (const auto& c : cases)
    EXPECT_EQ(finder::previewKindOf(home() + "/" + c.name, c.type), c.kind)
        << c.name << " " << c.type.constData();
}

TEST(FinderPreviewKind, ReadsTheKeptTypeCode) {
  writeFile(home() + "/picture.bin", "x");
  if (!pravella::setFinderInfo(home() + "/picture.bin", "'JPEG'", QByteArray()))
    GTEST_SKIP() << "this file system keeps no user attributes";
  EXPECT_EQ(finder::typeCodeOf(home() + "/picture.bin"), "JPEG");
  EXPECT_EQ(finder::typeCodeOf(home() + "/missing"), "");
}

TEST(FinderHexDump, LinesOfSixteenWithTheLineUnderWayAlwaysWritten) {
  QByteArray sixteen;
  for (int i = 0; i < 16; ++i) sixteen.append(char(i == 15 ? 0xAB : i));
  EXPECT_EQ(finder::hexDump(QByteArray()), "0000\t\n");
  EXPECT_EQ(finder::hexDump("\x01\x02\xff"), "0000\t01\t02\tFF\t\n");
  EXPECT_EQ(finder::hexDump(sixteen),
            "0000\t00\t01\t02\t03\t04\t05\t06\t07\t08\t09\t0A\t0B\t0C\t0D\t0E\tAB\n0010\t\n");

  // 5,000 bytes: the first 2,048 in 128 full lines, then the offset of the next.
  const QStringList lines = finder::hexDump(QByteArray(5000, 'A')).split('\n');
  ASSERT_EQ(lines.size(), 130);  // 129 lines and the empty tail after the last line feed
  EXPECT_EQ(lines[127].left(5), "07F0\t");
  EXPECT_EQ(lines[127].count('\t'), 16);
  EXPECT_EQ(lines[128], "0800\t");
  EXPECT_EQ(lines[129], "");
}

TEST(FinderCharCode, DecodesStrictlyByTheSwitchsTag) {
  const QString text = QString::fromUtf8("日本語のテキスト");
  const QByteArray sjis = pravella::encoding::encode(text, pravella::encoding::kShiftJIS);
  const QByteArray euc = pravella::encoding::encode(text, pravella::encoding::kEucJP);
  const QByteArray jis = pravella::encoding::encode(text, pravella::encoding::kIso2022JP);
  EXPECT_EQ(finder::decodeForPreview(text.toUtf8(), 0), text);
  EXPECT_EQ(finder::decodeForPreview(euc, 1), text);
  EXPECT_EQ(finder::decodeForPreview(sjis, 2), text);
  EXPECT_EQ(finder::decodeForPreview(jis, 3), text);
  EXPECT_EQ(finder::decodeForPreview(text.toUtf8(), 7), text);  // any other tag is UTF-8
  EXPECT_EQ(finder::decodeForPreview(sjis, 0), "< Could not encord this file ! >");
}

TEST(FinderCharCode, SizeLimitIsInclusiveAndAMissingFileFails) {
  writeFile(home() + "/at.txt", QByteArray(102400, 'a'));
  writeFile(home() + "/over.txt", QByteArray(102401, 'a'));
  EXPECT_TRUE(finder::checkTextFileSize(home() + "/at.txt"));
  EXPECT_FALSE(finder::checkTextFileSize(home() + "/over.txt"));
  EXPECT_FALSE(finder::checkTextFileSize(home() + "/missing.txt"));
}

TEST(FinderProtectedFolders, HomeTheDiarysTreeAndTheStandardFoldersInAnyCase) {
  for (const char* name : {"Documents", "documents", "LIBRARY", "DeskTop", "desktop", "Sites", "Music",
                           "Documents/diary/2026", "Documents/diary/2026/02", "Documents/diary/Preferences",
                           "Documents/diary/vkPreferences", "Downloads", "Templates", "Public"})
    EXPECT_TRUE(finder::isProtectedFolder(home() + "/" + name)) << name;
  for (const char* name : {"Documents/x", "Notes", "Desktops", "Documents/diary/2026/02/28",
                           "Documents/diary/2026/02/28/memo.rtfd", "Documents/diary/206", "Music/song.ogg"})
    EXPECT_FALSE(finder::isProtectedFolder(home() + "/" + name)) << name;
  // Gone, these would take every document away from the application.
  EXPECT_TRUE(finder::isProtectedFolder(home()));
  EXPECT_TRUE(finder::isProtectedFolder(home() + "/Documents/Diary/"));
  EXPECT_TRUE(finder::isProtectedFolder("/"));
  EXPECT_TRUE(finder::isProtectedFolder(QFileInfo(home()).path()));
  // A link to home is only a link; home reached through a link is home.
  ASSERT_TRUE(QDir().mkpath(home() + "/docs") && QDir().mkpath(home() + "/Documents/diary"));
  ASSERT_TRUE(QFile::link(home(), home() + "/docs/home-link"));
  EXPECT_FALSE(finder::isProtectedFolder(home() + "/docs/home-link"));
  EXPECT_TRUE(finder::isProtectedFolder(home() + "/docs/home-link/Documents/diary"));

  // A desktop folder under another name (a translated one) is refused too.
  QDir().mkpath(home() + "/Schreibtisch");
  QDir().mkpath(home() + "/.config");
  writeFile(home() + "/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
  EXPECT_TRUE(finder::isProtectedFolder(home() + "/schreibtisch"));
}

TEST(FinderNewDocument, TakesTheFirstFreeUntitledName) {
  const QString folder = home() + "/docs";
  QDir().mkpath(folder);
  EXPECT_EQ(finder::newDocumentPath(folder), folder + "/untitled.rtfd");
  QDir().mkpath(folder + "/untitled.rtfd");
  EXPECT_EQ(finder::newDocumentPath(folder), folder + "/untitled.001.rtfd");
  ASSERT_EQ(::symlink("/nowhere", QFile::encodeName(folder + "/untitled.001.rtfd").constData()), 0);
  EXPECT_EQ(finder::newDocumentPath(folder + "/"), folder + "/untitled.002.rtfd");
}

TEST(FinderButtons, FoldersByTagAndTildePaths) {
  EXPECT_EQ(finder::folderOfButton(1), home());
  EXPECT_EQ(finder::folderOfButton(2), home() + "/Documents");
  EXPECT_EQ(finder::folderOfButton(3), home() + "/Pictures");
  EXPECT_EQ(finder::folderOfButton(4), home() + "/Documents/diary");
  EXPECT_EQ(finder::folderOfButton(7), home());
  const QString media = "/media/" + qEnvironmentVariable("USER");
  EXPECT_EQ(finder::folderOfButton(0),
            QFileInfo(media).isDir() && !qEnvironmentVariable("USER").isEmpty() ? media : "/");

  EXPECT_EQ(finder::expandTilde("~/Documents"), home() + "/Documents");
  EXPECT_EQ(finder::expandTilde("~"), home());
  EXPECT_EQ(finder::expandTilde("/tmp/~x"), "/tmp/~x");
}

TEST(FinderDateStamp, DateAndDateTimeForms) {
  const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
  EXPECT_EQ(finder::dateStamp(when, false), " [2026/03/04] ");
  EXPECT_EQ(finder::dateStamp(when, true), " [2026/03/04 05:06:07] ");
}

TEST(FSNodeInfo, PathsAndTheKindOfAnEntry) {
  const auto root = pravella::FSNodeInfo::nodeWithParent(nullptr, "/");
  const auto tmp = pravella::FSNodeInfo::nodeWithParent(root, "tmp");
  EXPECT_EQ(tmp->absolutePath(), "/tmp");
  EXPECT_EQ(tmp->lastPathComponent(), "tmp");
  EXPECT_EQ(tmp->fsType(), "Directory");

  QDir().mkpath(home() + "/f/doc.rtfd");
  writeFile(home() + "/f/doc.rtfd/TXT.rtf", "{\\rtf1 x}");
  writeFile(home() + "/f/plain.txt", "x");
  writeFile(home() + "/f/.hidden", "x");
  ASSERT_EQ(::symlink(QFile::encodeName(home() + "/f/plain.txt").constData(),
                      QFile::encodeName(home() + "/f/link.txt").constData()),
            0);
  const auto folder = pravella::FSNodeInfo::nodeWithParent(nullptr, home() + "/f");
  QStringList names;
  for (const auto& node : folder->visibleSubNodes()) names << node->lastPathComponent();
  EXPECT_EQ(names, QStringList({"doc.rtfd", "link.txt", "plain.txt"}));
  EXPECT_EQ(folder->subNodes().size(), 4u);

  const auto package = folder->visibleSubNodes()[0];
  EXPECT_EQ(package->absolutePath(), home() + "/f/doc.rtfd");
  EXPECT_FALSE(package->isDirectory());  // a package is a leaf
  EXPECT_TRUE(package->visibleSubNodes().empty());
  EXPECT_TRUE(folder->visibleSubNodes()[1]->isLink());
  EXPECT_FALSE(folder->visibleSubNodes()[2]->isLink());

  const auto entries = pravella::listVisibleEntries(home() + "/f");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_FALSE(entries[0].isDirectory);
  EXPECT_TRUE(entries[1].isLink);
  EXPECT_TRUE(entries[2].isReadable);
}

TEST(FSNodeInfo, HiddenOnlyAndUnreadableFoldersShowNoRows) {
  QDir().mkpath(home() + "/hidden-only/.a");
  writeFile(home() + "/hidden-only/.b", "x");
  EXPECT_TRUE(pravella::listVisibleEntries(home() + "/hidden-only").empty());
  EXPECT_TRUE(pravella::listVisibleEntries(home() + "/missing").empty());
  if (pravella::test::runningAsRoot()) {
    EXPECT_EQ(pravella::test::rerunAsNobody("FSNodeInfo.HiddenOnlyAndUnreadableFoldersShowNoRows"), 0);
    return;
  }
  QDir().mkpath(home() + "/locked/inside");
  QFile::setPermissions(home() + "/locked", QFileDevice::Permissions());
  EXPECT_TRUE(pravella::listVisibleEntries(home() + "/locked").empty());
  EXPECT_FALSE(pravella::FSNodeInfo(nullptr, home() + "/locked").isReadable());
  QFile::setPermissions(home() + "/locked",
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

}  // namespace
