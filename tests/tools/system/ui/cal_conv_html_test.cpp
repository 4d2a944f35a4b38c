// The export window: the shown memo to HTML (opened in the web sheet) and to files on the
// Desktop, failures heard and shown, the programs' converter saving the shown memo first, and
// the clipboard's picture saved as a JPEG by a program.

#include "tools/system/ui/cal_conv_html.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/ui/dialogs.h"
#include "support/test_home.h"
#include "tools/system/japanese_memo.h"

namespace {

using pravella::NotificationCenter;

QByteArray slurp(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A program runs on a thread of its own while this one serves the windows it waits for.
std::string runProgram(const std::string& program) {
  std::string out;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    out = pravella::runVkProgram(program).output();
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  worker.join();
  return out;
}

class Export : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    memo = pravella::test::writeJapaneseMemo(pravella::test::home() + "/Documents/diary/2026/12/10");
    dialogs = std::make_shared<pravella::dialogs::Scripted>();
    pravella::dialogs::setHandler(dialogs);
    pravella::DeskToolHost host;
    host.save = [this] {
      ++saves;
      return saveAnswer;
    };
    host.nowDisplayedDocument = [this] { return memo; };
    host.playSound = [this](const char* name) { sounds << QString::fromLatin1(name); };
    host.toolsMenu = &tools;
    tool = std::make_unique<CalConvHTML>(host);
    tool->awakeFromNib();
    NotificationCenter::defaultCenter().addObserver(QStringLiteral("openWebSheetAndConnectURL"), &observer,
                                                    [this](pravella::Notification& n) { opened << n.text; });
  }
  void TearDown() override {
    tool.reset();
    pravella::dialogs::setHandler(nullptr);
  }
  void trigger(const QString& title) {
    for (QAction* action : tool->exportMenu()->actions())
      if (action->text() == title) return action->trigger();
    ADD_FAILURE() << "no menu item " << title.toStdString();
  }

  QString memo;
  QMenu tools;
  QObject observer;
  std::shared_ptr<pravella::dialogs::Scripted> dialogs;
  std::unique_ptr<CalConvHTML> tool;
  int saves = 0;
  bool saveAnswer = true;
  QStringList sounds, opened;
};

TEST_F(Export, TheHtmlExportOpensInTheWebSheetAndLeavesTheMemoAsItWas) {
  const QByteArray before = slurp(memo + "/TXT.rtf") + slurp(memo + "/picture.png");
  trigger(QStringLiteral("HTML to Web Sheet"));
  const QString page = pravella::paths::desktop() + "/vkHTML_folder/Memo.htmld/index.html";
  EXPECT_EQ(opened, QStringList{"file://" + page});
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(sounds, QStringList{"Ping"});
  EXPECT_TRUE(QString::fromUtf8(slurp(page)).contains(pravella::test::kJapaneseLine));
  EXPECT_EQ(slurp(memo + "/TXT.rtf") + slurp(memo + "/picture.png"), before);
  EXPECT_TRUE(dialogs->asked.isEmpty()) << dialogs->asked.join("; ").toStdString();

  // A program's export is the same, without an alert.
  opened.clear();
  EXPECT_EQ(runProgram("cal_makeHTML(1);"), ".OK.\n");
  EXPECT_EQ(opened, QStringList{"file://" + page});
}

TEST_F(Export, AFormatGoesToTheDesktopAndAFailureIsHeardAndShown) {
  trigger(QStringLiteral("RTF"));
  EXPECT_EQ(pravella::plainTextOfRichTextFile(pravella::paths::desktop() + "/Memo.rtf").left(7),
            pravella::test::kJapaneseLine);
  EXPECT_EQ(sounds, QStringList{"Ping"});

  sounds.clear();
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", "/nonexistent-folder");
  trigger(QStringLiteral("Word (docx)"));
  qputenv("PATH", path);
  EXPECT_EQ(sounds, QStringList({"Ping", "Basso"}));
  ASSERT_EQ(dialogs->asked.size(), 1);
  EXPECT_TRUE(dialogs->asked[0].contains("pandoc")) << dialogs->asked[0].toStdString();
  EXPECT_FALSE(QFileInfo::exists(pravella::paths::desktop() + "/Memo.docx"));
}

TEST_F(Export, ARefusedSaveEndsTheConversion) {
  saveAnswer = false;
  trigger(QStringLiteral("Text"));
  trigger(QStringLiteral("HTML to Web Sheet"));
  EXPECT_EQ(saves, 2);
  EXPECT_FALSE(QFileInfo::exists(pravella::paths::desktop() + "/Memo.txt"));
  EXPECT_FALSE(QFileInfo::exists(pravella::paths::desktop() + "/vkHTML_folder/Memo.htmld"));
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_TRUE(sounds.isEmpty());
}

TEST_F(Export, ProgramsConvertAfterTheShownMemoIsSaved) {
  const std::string file = (memo + "/../Other.txt").toStdString();
  QFile other(QString::fromStdString(file));
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.write("other\n");
  other.close();
  EXPECT_EQ(runProgram("convertDocument(\"txt\", \"" + file + "\");"), ".OK.\n");
  EXPECT_EQ(saves, 1);  // the shown memo, though another file was converted
  EXPECT_EQ(slurp(pravella::paths::desktop() + "/Other.txt"), "other\n");
  EXPECT_EQ(sounds, QStringList{"Ping"});

  // Refused: nothing converted, the program goes on, no alert.
  saveAnswer = false;
  sounds.clear();
  EXPECT_EQ(runProgram("textutil(\"rtf\", \"" + file + "\"); 1;"), "    1.0000\n.OK.\n");
  EXPECT_FALSE(QFileInfo::exists(pravella::paths::desktop() + "/Other.rtf"));
  EXPECT_EQ(sounds, QStringList{"Basso"});
  EXPECT_TRUE(dialogs->asked.isEmpty());
}

TEST_F(Export, TheClipboardPictureBecomesAJpegOrTheCommandFails) {
  const QString shot = pravella::test::home() + "/shot.jpg";
  const std::string make = "a# = text2Pict(\"Hi\", 4, \"Osaka\", 12, |0, 0, 0|, |255, 0, 0|);";
  EXPECT_EQ(runProgram(make + "cal_saveToSTJ(a#, \"" + shot.toStdString() + "\", 0.8);"), ".OK.\n");
  const QImage saved(shot);
  ASSERT_FALSE(saved.isNull());
  EXPECT_GT(qRed(saved.pixel(0, 0)), 200);
  EXPECT_LT(qGreen(saved.pixel(0, 0)), 60);

  // A refused write fails the command with the system's reason.
  const std::string out = runProgram(make + "cal_saveToSTJ(a#, \"/nonexistent-folder/shot.jpg\", 0.8);");
  EXPECT_EQ(out.substr(out.size() - 5), ".NO.\n") << out;
  EXPECT_NE(
      out.find("...<Error>...Cannot save \"/nonexistent-folder/shot.jpg\": No such file or directory\n"),
      std::string::npos)
      << out;
}

}  // namespace
