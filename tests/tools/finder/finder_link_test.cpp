#include "tools/finder/finder_link.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/paths.h"
#include "support/test_home.h"

namespace {

using pravella::FinderLinkTarget;
using Kind = FinderLinkTarget::Kind;

void writeFile(const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write("x");
}

TEST(FinderLink, LinksLeadToDiaryMemosFilesArchivesOrASearch) {
  const QString diary = pravella::paths::diary() + "/";
  QDir().mkpath(diary + "2026/03/14/Plan.rtfd");
  writeFile(diary + "2026/03/14/Plan.rtfd/TXT.rtf");
  writeFile(diary + "2025/11/02/Old.rtf");
  writeFile(diary + "2026/03/14/photo.jpg");
  writeFile(diary + "2026/03/14/page.webarchive");
  writeFile(diary + "Loose.rtf");
  const QString finderFolder = diary + "2026/03/14";

  struct Case {
    const char* link;
    QString folder;
    Kind kind;
    QString path;
    int year, month, day;
  };
  const Case cases[] = {
      {"2026/03/14/Plan", {}, Kind::Document, diary + "2026/03/14/Plan.rtfd", 2026, 3, 14},
      {"2025/11/02/Old.rtf", {}, Kind::Document, diary + "2025/11/02/Old.rtf", 2025, 11, 2},
      {"Plan", finderFolder, Kind::Document, diary + "2026/03/14/Plan.rtfd", 2026, 3, 14},
      {"Plan", {}, Kind::Nowhere, {}, 0, 0, 0},
      {"photo.jpg", finderFolder, Kind::OtherFile, diary + "2026/03/14/photo.jpg", 0, 0, 0},
      {"Loose.rtf", {}, Kind::NoDay, diary + "Loose.rtf", 0, 0, 0},
      {"page.webarchive", finderFolder, Kind::WebArchive, diary + "2026/03/14/page.webarchive", 0, 0, 0},
      {"2026/03/14/page.webarchive", {}, Kind::WebArchive, diary + "2026/03/14/page.webarchive", 0, 0, 0},
      {"gone.webarchive", {}, Kind::WebArchive, {}, 0, 0, 0},
      {"nothing of that name", finderFolder, Kind::Nowhere, {}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const FinderLinkTarget t = pravella::resolveFinderLink(QString::fromUtf8(c.link), c.folder);
    EXPECT_EQ(t.kind, c.kind) << c.link;
    EXPECT_EQ(t.path, c.path) << c.link;
    EXPECT_EQ(t.year * 10000 + t.month * 100 + t.day, c.year * 10000 + c.month * 100 + c.day) << c.link;
  }
}

TEST(FinderLink, TheDayComesFromThePathBelowTheDiaryWhateverTheHomesDepth) {
  const QByteArray home = qgetenv("HOME");
  for (const QString& below : {QString("/h"), QString("/one/two/three/home")}) {
    qputenv("HOME", (pravella::test::home() + below).toUtf8());
    const QString diary = pravella::paths::diary() + "/";
    writeFile(diary + "2009/03/04/plan.rtfd/TXT.rtf");
    const FinderLinkTarget t = pravella::resolveFinderLink("2009/03/04/plan", QString());
    EXPECT_EQ(t.kind, Kind::Document) << below.toStdString();
    EXPECT_EQ(t.year * 10000 + t.month * 100 + t.day, 20090304) << below.toStdString();
  }
  qputenv("HOME", home);
}

}  // namespace
