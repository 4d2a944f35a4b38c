// The export window: the shown memo to HTML (opened in the web sheet) and to files on the
// Desktop, failures heard and shown, the programs' converter saving the shown memo first, and
// the clipboard's picture saved as a JPEG by a program. An export from the window runs beside
// it: the window answers meanwhile, the progress shows, and a second export waits its turn.

#include "tools/system/ui/cal_conv_html.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/progress_bar.h"
#include "platform/rich_text_file.h"
#include "platform/ui/dialogs.h"
#include "support/folder_snapshot.h"
#include "support/programs_on_path.h"
#include "support/test_home.h"
#include "support/wait_for.h"
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
    host.mainWindow = &window;
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
  // A window's export runs on a worker: the menu item, then the export's end.
  void exportBy(const QString& title) {
    trigger(title);
    EXPECT_TRUE(pravella::test::becomesTrue([this] { return !tool->exporting(); }, 60000));
  }

  QString statusLine() const { return window.statusBar()->currentMessage(); }

  QString memo;
  QMainWindow window;
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
  exportBy(QStringLiteral("HTML to Web Sheet"));
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
  exportBy(QStringLiteral("RTF"));
  EXPECT_EQ(pravella::plainTextOfRichTextFile(pravella::paths::desktop() + "/Memo.rtf").left(7),
            pravella::test::kJapaneseLine);
  EXPECT_EQ(sounds, QStringList{"Ping"});

  sounds.clear();
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", "/nonexistent-folder");
  exportBy(QStringLiteral("Word (docx)"));
  qputenv("PATH", path);
  EXPECT_EQ(sounds, QStringList({"Ping", "Basso"}));
  ASSERT_EQ(dialogs->asked.size(), 1);
  EXPECT_TRUE(dialogs->asked[0].contains("pandoc")) << dialogs->asked[0].toStdString();
  EXPECT_TRUE(statusLine().startsWith("Export of \"Memo\" as DOCX failed: ")) << statusLine().toStdString();
  EXPECT_FALSE(QFileInfo::exists(pravella::paths::desktop() + "/Memo.docx"));
}

// LibreOffice stands in: it notes its start, then waits until the test lets it go (or a minute
// has passed, so that an export that held the window fails this test instead of hanging it).
TEST_F(Export, AnOfficeExportLeavesTheWindowAnsweringShowsItsProgressAndRunsOnceAtATime) {
  pravella::test::ProgramsOnPath programs;
  const QString home = pravella::test::home();
  const QString runs = home + "/soffice-runs", release = home + "/release-soffice";
  programs.add(
      "soffice",
      QStringLiteral("echo \"$@\" >> '%1'\n"
                     "n=0; while [ ! -e '%2' ] && [ $n -lt 1200 ]; do sleep 0.05; n=$((n+1)); done\n"
                     "out=; prev=; for a in \"$@\"; do [ \"$prev\" = --outdir ] && out=$a; prev=$a; done\n"
                     "mkdir -p \"$out\" && printf 'converted\\n' > \"$out/document.doc\"\n")
          .arg(runs, release));
  QStringList progress;
  NotificationCenter::defaultCenter().addObserver(
      QString::fromLatin1(kProcessIndicator), &observer,
      [&progress](pravella::Notification& n) { progress << n.text; });
  QWidget window;
  QPushButton other(QStringLiteral("Other"), &window);
  int clicks = 0;
  QObject::connect(&other, &QPushButton::clicked, [&clicks] { ++clicks; });
  window.show();
  const QString desktop = pravella::paths::desktop();
  ASSERT_TRUE(QDir().mkpath(desktop));
  const auto before = pravella::test::FolderSnapshot::of(desktop);

  trigger(QStringLiteral("Word 97 (doc)"));
  ASSERT_TRUE(pravella::test::becomesTrue([&] { return QFileInfo::exists(runs); }, 30000));
  EXPECT_TRUE(tool->exporting());
  EXPECT_EQ(progress.value(progress.size() - 1), "0\t2\t1");
  // The status line says so, whatever drawer is open, and then what came of it.
  EXPECT_EQ(statusLine(), "Exporting \"Memo\" as DOC\u2026");
  // The window answers while LibreOffice runs.
  QTest::mouseClick(&other, Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(pravella::test::queuedWorkDone());
  EXPECT_FALSE(QFileInfo::exists(desktop + "/Memo.doc"));
  // A second request while it runs is refused with the reason, not run beside it.
  trigger(QStringLiteral("Word 97 (doc)"));
  trigger(QStringLiteral("HTML to Web Sheet"));
  ASSERT_EQ(dialogs->asked.size(), 2);
  EXPECT_TRUE(dialogs->asked[0].contains("running")) << dialogs->asked[0].toStdString();
  const std::string refused = runProgram("cal_makeHTML(1);");
  EXPECT_EQ(refused.substr(refused.size() - 5), ".NO.\n") << refused;
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_TRUE(tool->exporting());

  QFile(release).open(QIODevice::WriteOnly);
  ASSERT_TRUE(pravella::test::becomesTrue([this] { return !tool->exporting(); }, 60000));
  EXPECT_EQ(slurp(desktop + "/Memo.doc"), "converted\n");
  EXPECT_EQ(slurp(runs).count('\n'), 1);
  EXPECT_EQ(progress.value(progress.size() - 1), "0\t1\t0");
  EXPECT_EQ(statusLine(), "Exported \"Memo\" as DOC: " + desktop + "/Memo.doc");
  EXPECT_EQ(sounds.value(0), "Ping");
  EXPECT_EQ(sounds.count("Basso"), 3);
  EXPECT_EQ(dialogs->asked.size(), 2);
  EXPECT_TRUE(before.changedOnly({"Memo.doc"}));
  QFile::remove(release);
}

TEST_F(Export, ARefusedSaveEndsTheConversion) {
  saveAnswer = false;
  exportBy(QStringLiteral("Text"));
  exportBy(QStringLiteral("HTML to Web Sheet"));
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
