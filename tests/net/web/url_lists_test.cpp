#include "net/web/url_lists.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>

#include "platform/paths.h"
#include "platform/property_list.h"

namespace web = pravella::web;

// An empty word would reach wget or curl as an argument of its own, which they take for an
// address.
TEST(UrlLists, OptionWordsSplitAtBlanksAndLeaveNoEmptyWord) {
  const struct {
    const char* field;
    QStringList words;
  } cases[] = {
      {"", {}},         {" ", {}}, {"-N", {"-N"}}, {"-r -l 1", {"-r", "-l", "1"}}, {"-r  -N", {"-r", "-N"}},
      {" -q ", {"-q"}},
  };
  for (const auto& c : cases) EXPECT_EQ(web::optionWords(QString::fromUtf8(c.field)), c.words) << c.field;
  EXPECT_EQ(web::addressArguments(web::optionWords(""), "http://h/"), (QStringList{"--", "http://h/"}));
  EXPECT_EQ(web::addressArguments({"-q"}, "--version"), (QStringList{"-q", "--", "--version"}));
  EXPECT_EQ(web::tableDownloadArguments("http://h/a"), (QStringList{"-N", "--", "http://h/a"}));
}

TEST(UrlLists, OnlyAddressesWithADownloadSchemeAreFetched) {
  const struct {
    const char* url;
    bool fetched;
  } cases[] = {
      {"http://example.org/a", true},
      {"HTTPS://example.org/", true},
      {"ftp://ftp.example.org/pub/f", true},
      {"ftps://h/x", true},
      {"--version", false},
      {"-O/tmp/x", false},
      {"example.org/a", false},
      {"http://", false},
      {"file:///etc/passwd", false},
      {"", false},
      {" http://h/", false},
      {"javascript:x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(web::isDownloadAddress(QString::fromUtf8(c.url)), c.fetched) << c.url;
}

TEST(UrlLists, CurlTakesLinesBeginningWithHttpOrFtp) {
  const QString text = QStringLiteral(
      "http://a.example/x\nftp.example.org/pub/f\nexample.org/y\nhttps://b.example/z\n ftp://c\n\nftp://d/e");
  EXPECT_EQ(web::curlLines(text), (QStringList{"http://a.example/x", "ftp.example.org/pub/f", "https://b.example/z",
                                               "ftp://d/e"}));
}

TEST(UrlLists, FolderNamesGetThePictdExtensionAndStayInsideTheDay) {
  const struct {
    const char* typed;
    const char* folder;  // "" = refused
  } cases[] = {
      {"news", "news.pictd"},   {"news.txt", "news.pictd"}, {"a.b.jpg", "a.b.pictd"}, {"x.pictd", "x.pictd"},
      {"", ""},                 {".txt", ""},               {".", ""},                {"..", ""},
      {"../up", ""},            {"a/b", ""},                {"/tmp", ""},             {"...", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(web::pictdFolderName(QString::fromUtf8(c.typed)), c.folder) << c.typed;
  EXPECT_EQ(web::pictdFolderName(QStringLiteral("a") + QChar(0) + QStringLiteral("b")), QString());
}

TEST(UrlLists, DownloadsGoToTodaysFolder) {
  const QDate today = QDate::currentDate();
  EXPECT_EQ(web::todayFolder(), pravella::paths::dayFolder(today.year(), today.month(), today.day()));
  EXPECT_EQ(web::downloadFolder(), web::todayFolder() + "/download.pictd");
  EXPECT_EQ(web::downloadedFile("/f", "http://h:1/a/b/pic.png?x=1"), "/f/pic.png");
  EXPECT_EQ(web::downloadedFile("/f", "http://h:1/"), QString());
}

TEST(UrlLists, PictureFormSendsTheAgentOnlyWithTheMarkerFile) {
  const QStringList plain{"-r", "-A", ".gif,.JPG,.jpg", "-nd", "--", "http://h/"};
  EXPECT_EQ(web::pictureFormArguments("http://h/"), plain);
  QDir().mkpath(pravella::paths::preferences());
  QFile marker(pravella::paths::preferences() + "/xxx.txt");
  ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
  marker.close();
  EXPECT_EQ(web::pictureFormArguments("http://h/"),
            (QStringList{"-r", "-A", ".gif,.JPG,.jpg", "-nd", "-U",
                         "Mozilla/4.03 [en] (X11; I; SunOS 5.5.1 sun4u)", "--", "http://h/"}));
}

TEST(UrlLists, UnequalListsReadAsEmptyEntriesAndSavesWriteAllThree) {
  const QString prefs = pravella::paths::preferences();
  QDir().mkpath(prefs);
  ASSERT_TRUE(pravella::plist::writeStringArray(prefs + "/url1.dat", {"a", "b", "c"}).ok);
  ASSERT_TRUE(pravella::plist::writeStringArray(prefs + "/url2.dat", {"daily"}).ok);
  web::UrlTable t = web::loadUrlTable();
  EXPECT_EQ(t.rows(), 3);
  EXPECT_EQ(t.periods, (QStringList{"daily", "", ""}));
  EXPECT_EQ(t.urls, (QStringList{"", "", ""}));
  t.urls[1] = "http://h/b";
  ASSERT_TRUE(web::saveUrlTable(t));
  EXPECT_EQ(pravella::plist::readStringArray(prefs + "/url3.dat"), (QStringList{"", "http://h/b", ""}));
  EXPECT_TRUE(web::readUrlTable(prefs).holds("b", "", "http://h/b"));
}

TEST(UrlLists, DefaultRowsComeFromTheResourcesUntilTheUserHasATable) {
  const web::UrlTable t = web::loadUrlTable();
  EXPECT_GT(t.rows(), 0);
  EXPECT_EQ(t.urls.size(), t.names.size());
  for (const QString& url : t.urls) EXPECT_TRUE(url.startsWith("http")) << url.toStdString();
}

TEST(UrlLists, ShiftJisDropsWhatItCannotHold) {
  const struct {
    QString text, kept;
  } cases[] = {
      {"https://example.org/a?b=c", "https://example.org/a?b=c"},
      {QString::fromUtf8("東京 タワー"), QString::fromUtf8("東京 タワー")},
      {QString::fromUtf8("日本\U0001F600語"), QString::fromUtf8("日本語")},
      {QString::fromUtf8("한국"), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(web::shiftJisCharactersOnly(c.text), c.kept) << c.text.toStdString();
}

TEST(UrlLists, BrowserFileHoldsTheName) {
  EXPECT_EQ(web::readWebBrowser(), QString());
  ASSERT_TRUE(web::writeWebBrowser("firefox.desktop"));
  EXPECT_EQ(web::readWebBrowser(), "firefox.desktop");
}
