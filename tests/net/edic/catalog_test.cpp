// The book table read from the catalogs of the dictionary folder.

#include <QFile>

#include <string>

#include "edic_fixture.h"
#include "net/edic/dictionary_table.h"
#include "platform/notification_center.h"

namespace {

using namespace pravella::test::edic;

class Catalogs : public EdicTest {};

const Bytes kBody = standardBook().bytes;

TEST_F(Catalogs, EpwingAndEbRecordsInFolderOrder) {
  const QString folder = dictionaryFolder();
  writeFile(
      folder + "/A/CATALOGS",
      catalog(true, {{"広辞", "ONE", "ZEN16", "HAN16"}, {"", "NONE"}, {"英和", "TWO"}, {"無い", "MISSING"}}));
  writeFile(folder + "/A/ONE/DATA/HONMON", kBody);
  writeFile(folder + "/A/TWO/DATA/HONMON2", kBody);
  writeFile(folder + "/B/CATALOG", catalog(false, {{"古書", "OLD"}, {"無", "GONE"}}));
  writeFile(folder + "/B/OLD/START", kBody);
  writeFile(folder + "/C/README", {});  // no catalog: not a book
  EXPECT_EQ(reload(), "広辞\n英和\n古書\n");
  const auto rows = pravella::edic::bookTable();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].bodyPath, (folder + "/A/ONE/DATA/HONMON").toStdString());
  EXPECT_EQ(rows[0].zenGaijiPath, (folder + "/A/ONE/GAIJI/ZEN16").toStdString());
  EXPECT_EQ(rows[0].hanGaijiPath, (folder + "/A/ONE/GAIJI/HAN16").toStdString());
  EXPECT_EQ(rows[1].bodyPath, (folder + "/A/TWO/DATA/HONMON2").toStdString());
  EXPECT_EQ(rows[2].bodyPath, (folder + "/B/OLD/START").toStdString());
  EXPECT_TRUE(rows[2].zenGaijiPath.empty());
  const struct {
    const char* title;
    int compressed;
  } kinds[] = {{"広辞", 0}, {"英和", 1}, {"古書", 0}, {"知らない", 0}};
  for (const auto& k : kinds) EXPECT_EQ(is_That_HONMON2_EPWING_V6(k.title), k.compressed) << k.title;
}

TEST_F(Catalogs, CatalogIsPreferredOverCatalogsAndTitlesAreCutAtASpace) {
  const QString folder = dictionaryFolder();
  writeFile(folder + "/A/CATALOG", catalog(true, {{"", "ONE", "", "", jis("三文字") + " " + jis("後")}}));
  writeFile(folder + "/A/CATALOGS", catalog(true, {{"別の", "ONE"}}));
  writeFile(folder + "/A/ONE/DATA/HONMON", kBody);
  EXPECT_EQ(reload(), "三文字\n");
}

TEST_F(Catalogs, TheHundredAndFirstBookIsIgnored) {
  std::vector<CatalogBook> books;
  // Titles 本000 to 本100, the digits full-width.
  auto title = [](int i) {
    std::string t = jis("本");
    for (int d : {i / 100, i / 10 % 10, i % 10}) t += std::string{'\x23', static_cast<char>(0x30 + d)};
    return t;
  };
  for (int i = 0; i < 101; ++i) books.push_back({"", "ONE", "", "", title(i)});
  writeFile(dictionaryFolder() + "/A/CATALOGS", catalog(true, books));
  writeFile(dictionaryFolder() + "/A/ONE/DATA/HONMON", kBody);
  reload();
  const auto rows = pravella::edic::bookTable();
  ASSERT_EQ(rows.size(), 100u);
  EXPECT_EQ(rows.back().name, "本０９９");
}

TEST_F(Catalogs, NamesThatLeaveTheBookFolderAreRefused) {
  const QString folder = dictionaryFolder();
  writeFile(folder + "/ONE/DATA/HONMON", kBody);  // what "../ONE" would reach
  writeFile(folder + "/A/CATALOGS", catalog(true, {{"上", "../ONE"},
                                                   {"横", "a/b"},
                                                   {"零", std::string("ON\0E", 4)},
                                                   {"良", "ONE", "../../x", "ok"}}));
  writeFile(folder + "/A/ONE/DATA/HONMON", kBody);
  EXPECT_EQ(reload(), "良\n");
  const auto rows = pravella::edic::bookTable();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(rows[0].zenGaijiPath.empty());
  EXPECT_EQ(rows[0].hanGaijiPath, (folder + "/A/ONE/GAIJI/ok").toStdString());
}

TEST_F(Catalogs, BookCountsBeyondTheFileReadWhatIsThere) {
  writeFile(dictionaryFolder() + "/A/CATALOGS", catalog(true, {{"一", "ONE"}}, 65535));
  writeFile(dictionaryFolder() + "/A/ONE/DATA/HONMON", kBody);
  EXPECT_EQ(reload(), "一\n");
}

TEST_F(Catalogs, TheStoredFolderAndTheReloadNotice) {
  const QString elsewhere = pravella::paths::home() + "/books";
  writeBook("X", "辞書", kBody, false, elsewhere);
  EXPECT_EQ(reload(), "");  // the default folder is empty
  writeFile(pravella::paths::preferences() + "/eDicPathData.txt", Bytes{});
  QFile file(pravella::paths::preferences() + "/eDicPathData.txt");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write((elsewhere + "/\n").toUtf8());
  file.close();
  QStringList announced;
  QObject context;
  pravella::NotificationCenter::defaultCenter().addObserver(
      pravella::edic::kEDicCatalogReloaded, &context,
      [&](pravella::Notification& n) { announced = n.strings; }, pravella::Delivery::PostingThread);
  EXPECT_EQ(reload(), "辞書\n");
  EXPECT_EQ(announced, QStringList{"辞書"});
  EXPECT_EQ(getEDicPath(), (elsewhere + "/").toStdString());
  // A set folder wins over the stored one.
  setEDicPath((pravella::paths::home() + "/none/").toStdString());
  EXPECT_EQ(reload(), "");
}

TEST_F(Catalogs, LookUpsRebuildAnEmptyTable) {
  writeBook("A", "辞書", kBody, false);
  std::string ignored;
  pravella::edic::getEDictionaryPath("/nonexistent", &ignored);  // empties the table
  EXPECT_NE(EBDictionaryFile("辞書"), nullptr);
  EXPECT_EQ(EBDictionaryFile("辞"), nullptr);
  std::string graph;
  EXPECT_EQ(EBDictionaryGraphFileSpec("辞書", graph), 1);
  EXPECT_EQ(graph, (dictionaryFolder() + "/A/MAIN/DATA/HONMONG").toStdString());
}

}  // namespace
