// The handheld exports from the memo, the day and the memo search, and the numbered schedule
// and memo texts, with their alerts; programs reach them by their commands.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>
#include <string>
#include <vector>

#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/rich_text_file.h"
#include "platform/ui/dialogs.h"
#include "support/test_home.h"
#include "tools/text/ui/calendar_set_param.h"

namespace {

using pravella::NotificationCenter;

class Handheld : public testing::Test {
 protected:
  void SetUp() override {
    dialogs = std::make_shared<pravella::dialogs::Scripted>();
    pravella::dialogs::setHandler(dialogs);
    CalendarSetParam::Host host;
    host.documentField = &memo;
    host.title = [this] { return title; };
    host.selectedDay = [] { return QDate(2008, 3, 5); };
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    palm = std::make_unique<CalendarSetParam>(host);
    palm->awakeFromNib();
    install = pravella::test::home() + "/Palm/Install";
    QDir().mkpath(install);
  }
  void TearDown() override { pravella::dialogs::setHandler(nullptr); }
  void chooseInstallFolder() {
    dialogs->paths.push_back(install);
    NotificationCenter::defaultCenter().post("cal_setPalmHotSyncFolder", " ");
  }
  QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  void saveMemo(const QString& path, const QString& text) {
    QTextDocument doc;
    doc.setPlainText(text);
    ASSERT_TRUE(pravella::writeRtfdFile(path, doc));
  }

  QTextEdit memo;
  QString title = "Shopping.rtfd";
  std::shared_ptr<pravella::dialogs::Scripted> dialogs;
  std::unique_ptr<CalendarSetParam> palm;
  std::vector<std::string> sounds;
  QString install;
};

TEST_F(Handheld, TheShownMemoGoesOutUnderItsTitleOrTheSelection) {
  memo.setPlainText("milk\neggs");
  NotificationCenter::defaultCenter().post("cal_saveMeDocFile", " ");
  EXPECT_EQ(dialogs->asked.last(), "Installation Folder is not Exist!: You have to set a location of its Folder.");
  EXPECT_EQ(sounds, std::vector<std::string>{"Sosumi"});

  chooseInstallFolder();
  NotificationCenter::defaultCenter().post("cal_saveMeDocFile", " ");
  EXPECT_EQ(dialogs->asked.last(), "Success! Convert To MeDoc and Save to the Install Folder: Shopping");
  const QByteArray file = read(install + "/Shopping.pdb");
  EXPECT_TRUE(file.endsWith("#!Medoc index 0\nmilk\neggs")) << file.toStdString();

  // A selection of 16 kanji (32 bytes) is passed over for the title; a short one names it;
  // a name holding "/" stays in the folder.
  memo.setPlainText(QString(16, QChar(0x65E5)) + "\nmore");
  QTextCursor c(memo.document());
  c.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
  memo.setTextCursor(c);
  palm->saveMeDocFileAction();
  EXPECT_TRUE(dialogs->asked.last().endsWith(": Shopping"));
  memo.setPlainText("a/b");
  memo.selectAll();
  palm->saveMeDocFileAction();
  EXPECT_TRUE(QFile::exists(install + "/a_b.pdb"));
  title.clear();
  memo.setPlainText("text");
  palm->saveMeDocFileAction();
  EXPECT_EQ(dialogs->asked.last(), "Title is too long or None!: needs valid Title !");
}

TEST_F(Handheld, TheDayAndTheSearchResultsGoOutAsOneFile) {
  chooseInstallFolder();
  const QString day = pravella::paths::dayFolder(2008, 3, 5);
  saveMemo(day + "/a.rtfd", "first");
  saveMemo(day + "/b.rtfd", "second");
  QFile plain(day + "/c.txt");
  plain.open(QIODevice::WriteOnly);
  plain.write("not rich text");
  plain.close();
  NotificationCenter::defaultCenter().post("cal_saveAllDocToPalm", " ");
  EXPECT_TRUE(read(install + "/20080305.pdb").endsWith("#!Medoc index 0\nfirst\nsecond\n"));

  QDir().mkpath(pravella::paths::vkData());
  pravella::plist::writeStringArray(pravella::paths::vkData() + "/fa01.dat", {"2008/3/5", "2008/3/5"});
  pravella::plist::writeStringArray(pravella::paths::vkData() + "/fa02.dat", {"b.rtfd", "missing.rtfd"});
  NotificationCenter::defaultCenter().post("toPalmBelowAction_A", "seco");
  EXPECT_TRUE(read(install + "/find_seco.pdb").endsWith("#!Medoc index 0\nsecond\n"));
}

TEST_F(Handheld, ScheduleAndMemoTextsTakeTheNextFreeNumberAndTheirLimits) {
  chooseInstallFolder();
  memo.setPlainText("Dentist\nat 3");
  palm->addScheduleAction();
  EXPECT_EQ(dialogs->asked.last(), "AddSchedule folder is not Exist!: You have to create an AddSchedule folder.");
  const QString schedules = pravella::test::home() + "/Palm/AddSchedule folder";
  const QString memos = pravella::test::home() + "/Palm/AddMemo folder";
  QDir().mkpath(schedules);
  QDir().mkpath(memos);
  QFile taken(schedules + "/addSchedule000.txt");
  taken.open(QIODevice::WriteOnly);
  taken.write("theirs");
  taken.close();
  NotificationCenter::defaultCenter().post("cal_addSchedule", " ");
  EXPECT_EQ(dialogs->asked.last(), "Success! Convert To Schedule and Save to the AddSchedule folder: addSchedule001.txt");
  EXPECT_EQ(read(schedules + "/addSchedule001.txt"), "[start]\r[description]Dentist\r[date]2008-3-5\r[comment]Dentist\nat 3\r");
  EXPECT_EQ(read(schedules + "/addSchedule000.txt"), "theirs");

  memo.setPlainText(QString(2049, u'x'));
  palm->addScheduleAction();
  EXPECT_EQ(dialogs->asked.last(), "Comment is too big!: less than the number of 2048-letters");
  memo.setPlainText(QString(2048, QChar(0x3042)));  // 4,096 bytes
  NotificationCenter::defaultCenter().post("cal_addMemo", " ");
  EXPECT_EQ(dialogs->asked.last(), "Success! Convert To Memo and Save to the AddMemo folderr: addMemo000.txt");
  EXPECT_EQ(read(memos + "/addMemo000.txt").size(), 4096);
  memo.setPlainText(QString(2049, QChar(0x3042)));
  palm->addMemoAction();
  EXPECT_EQ(dialogs->asked.last(), "Document is too big!: less than the number of 4096-letters");
}

}  // namespace
