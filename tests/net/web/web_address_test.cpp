// The web sheet's address rules: what the URL field loads, address escaping and its limit,
// zoom refusals, the resource ratio, archive and download names.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "net/web/web_address.h"
#include "net/web/web_sites.h"

namespace {

using namespace pravella::web;

const QString kSearch = QStringLiteral("http://") + QLatin1String(kSearchHost) + QStringLiteral("/search?q=");

TEST(WebAddress, UrlFieldLoadsAddressesAndSearchesEverythingElse) {
  struct Case {
    const char* typed;
    bool search;
    const char* loaded;  // after the search prefix when searching
  };
  const Case cases[] = {
      {"abc", true, "%61%62%63"},
      {"http://example.org/a", false, "http://example.org/a"},
      {"https://example.org/", false, "https://example.org/"},
      {"ftp://host/file", false, "ftp://host/file"},
      {"file:///tmp/x.html", false, "file:///tmp/x.html"},
      {"mailto:someone@example.org", true, "%6D%61%69%6C%74%6F%3A%73%6F%6D%65%6F%6E%65%40%65%78%61%6D%70%6C%65%2E%6F%72%67"},
      {"HTTP://upper", true, "%48%54%54%50%3A%2F%2F%75%70%70%65%72"},
      {"a b", true, "%61%20%62"},
      {"\xC3\xA9", true, "%C3%A9"},
      {"", true, ""},
  };
  for (const Case& c : cases) {
    const UrlFieldTarget t = urlFieldTarget(QString::fromUtf8(c.typed));
    EXPECT_EQ(t.isSearch, c.search) << c.typed;
    const QString expected = (c.search ? kSearch : QString()) + QLatin1String(c.loaded);
    EXPECT_EQ(t.address, expected) << c.typed;
  }
}

TEST(WebAddress, SearchDropsLoneSurrogatesAndStopsAtAWholeCharacterWithinTheLimit) {
  const QChar lone(0xD800);
  EXPECT_EQ(searchUrl(QStringLiteral("a") + lone + QStringLiteral("b")), (kSearch + "%61%62").toLatin1());

  // Each "é" is 2 bytes, 6 encoded: the URL never passes the limit nor splits a character.
  const QByteArray url = searchUrl(QString(1000, QChar(0xE9)));
  EXPECT_LE(url.size(), kMaxSearchUrlBytes);
  EXPECT_GT(url.size(), kMaxSearchUrlBytes - 6);
  EXPECT_TRUE(url.endsWith("%C3%A9"));
  EXPECT_EQ((url.size() - kSearch.size()) % 6, 0);
}

TEST(WebAddress, EscapingKeepsPrintableBytesAndRefusesOverlongAddresses) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"http://h/a b", "http://h/a%20b"},
      {"http://h/%41", "http://h/%41"},
      {"http://h/~!\"#", "http://h/~!\"#"},
      {"http://h/\t\x7F", "http://h/%09%7F"},
      {"http://h/\xE6\x97\xA5", "http://h/%E6%97%A5"},
  };
  for (const Case& c : cases) {
    const std::optional<QByteArray> e = escapeAddress(QString::fromUtf8(c.in));
    ASSERT_TRUE(e) << c.in;
    EXPECT_EQ(*e, QByteArray(c.out)) << c.in;
  }
  const QString base = QStringLiteral("http://h/");
  EXPECT_TRUE(escapeAddress(base + QString(kMaxAddressBytes - base.size(), QLatin1Char('a'))));
  EXPECT_FALSE(escapeAddress(base + QString(kMaxAddressBytes - base.size() + 1, QLatin1Char('a'))));
  // A space is three bytes once escaped.
  EXPECT_FALSE(escapeAddress(base + QString(kMaxAddressBytes / 3, QLatin1Char(' '))));
}

TEST(WebAddress, ZoomBelowTenAndNonNumbersAreRefused) {
  struct Case {
    const char* text;
    std::optional<double> value;
  };
  const Case cases[] = {{"9", std::nullopt}, {"9.99", std::nullopt}, {"10", 10.0}, {"250", 250.0},
                        {"100000", 100000.0}, {"abc", std::nullopt}, {"", std::nullopt},
                        {"-50", std::nullopt}, {"nan", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(zoomPercentFromText(QLatin1String(c.text)), c.value) << c.text;
  EXPECT_EQ(viewZoomFactor(0.1), 0.25);
  EXPECT_EQ(viewZoomFactor(0.6), 0.6);
  EXPECT_EQ(viewZoomFactor(1000.0), 5.0);
}

TEST(WebAddress, ResourceBarTurnsDeterminateOnlyAboveFivePercent) {
  struct Case {
    int requested, completed, failed;
    bool determinate;
    double value;
  };
  const Case cases[] = {
      {0, 0, 0, false, 0.0},  {20, 1, 0, false, 0.05}, {20, 1, 1, true, 0.1},
      {10, 5, 0, true, 0.5},  {4, 2, 2, true, 0.0},    {4, 0, 4, true, 0.0},
  };
  for (const Case& c : cases) {
    const ResourceProgress p = resourceProgress(c.requested, c.completed, c.failed);
    EXPECT_EQ(p.makeDeterminate, c.determinate) << c.requested << " " << c.completed;
    EXPECT_DOUBLE_EQ(p.value, c.value) << c.requested << " " << c.completed;
  }
}

TEST(WebAddress, ArchiveNameFromTheTitle) {
  struct Case {
    const char* title;
    const char* name;
  };
  const Case cases[] = {{"a/b:c", "a_b_c.webarchive"},
                        {"Report.html", "Report.webarchive"},
                        {"v1.2 notes", "v1.webarchive"},
                        {"plain", "plain.webarchive"},
                        {"", "Untitled.webarchive"}};
  for (const Case& c : cases) EXPECT_EQ(webArchiveName(QString::fromUtf8(c.title)), QLatin1String(c.name)) << c.title;
}

TEST(WebAddress, DownloadsTakeAFreeName) {
  const QString dir = QDir::home().filePath(QStringLiteral("Desktop"));
  QDir().mkpath(dir);
  const auto touch = [&](const char* name) {
    QFile f(QDir(dir).filePath(QLatin1String(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  };
  EXPECT_EQ(freeDownloadPath(dir, QStringLiteral("a.zip")), dir + QStringLiteral("/a.zip"));
  touch("a.zip");
  EXPECT_EQ(freeDownloadPath(dir, QStringLiteral("a.zip")), dir + QStringLiteral("/a-2.zip"));
  touch("a-2.zip");
  EXPECT_EQ(freeDownloadPath(dir, QStringLiteral("a.zip")), dir + QStringLiteral("/a-3.zip"));
  EXPECT_EQ(freeDownloadPath(dir, QStringLiteral("../../etc/passwd")), dir + QStringLiteral("/passwd"));
  EXPECT_EQ(freeDownloadPath(dir, QString()), dir + QStringLiteral("/download"));
}

TEST(WebAddress, TranslationAndEncyclopediaAddresses) {
  EXPECT_EQ(defaultTranslateTemplate(),
            QStringLiteral("http://") + QLatin1String(kTranslateHost) + QStringLiteral("/translate?hl=ja&sl=en&u=%@"));
  EXPECT_EQ(translateUrl(QStringLiteral("http://t/?u=%@&x"), QStringLiteral("http://p/a b")),
            QStringLiteral("http://t/?u=http://p/a b&x"));
  EXPECT_EQ(wikiUrl(QStringLiteral("Tokyo")),
            QStringLiteral("http://") + QLatin1String(kEncyclopediaHost) + QStringLiteral("/wiki/Tokyo"));
}

}  // namespace
