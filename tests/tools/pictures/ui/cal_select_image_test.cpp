// The thumbnail command memos run on a chosen or dropped folder, the working-folder drop
// button and the clipboard picture window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QTextDocument>

#include <memory>
#include <string>
#include <vector>

#include "diary/working_folder.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/rich_text_file.h"
#include "support/test_home.h"
#include "support/wait_for.h"
#include "tools/pictures/ui/cal_select_image.h"
#include "tools/pictures/ui/graph_controll.h"

namespace {

using pravella::NotificationCenter;
using pravella::test::becomesEqual;

class SelectImage : public testing::Test {
 protected:
  void SetUp() override {
    CalSelectImage::Host host;
    host.selectCellSelectedDay = [this] { ++daySelected; };
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    host.chooseFolder = [this](const QString& start) {
      starts << start;
      return chosen;
    };
    tool = std::make_unique<CalSelectImage>(host);
    tool->awakeFromNib();
    run = NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("calculationOnEditModule"), nullptr,
        [this](pravella::Notification& n) { programs << n.text + "|" + QString::fromStdString(NowLoadSaveName); },
        pravella::Delivery::PostingThread);
    savedFolder = pravella::workingFolder();
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().removeObserver(run);
    pravella::setWorkingFolder(savedFolder);
    NowLoadSaveName.clear();
  }
  void commandMemo(const QString& name, const QString& program) {
    const QString path = CalSelectImage::commandMemoPath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QTextDocument doc;
    doc.setPlainText(program);
    ASSERT_TRUE(pravella::writeRtfFile(path, doc));
  }
  QString folder(const QString& name) {
    const QString path = pravella::test::home() + "/" + name;
    QDir().mkpath(path);
    return path;
  }

  std::unique_ptr<CalSelectImage> tool;
  std::vector<std::string> sounds;
  QStringList programs, starts;
  QString chosen, savedFolder;
  int daySelected = 0;
  pravella::ObserverId run = 0;
};

TEST_F(SelectImage, CommandMemosRunWithTheFolderAsLoadSaveName) {
  commandMemo("makeThumbnailAndPasteToDoc.rtf", "a=getNowFileName()");
  commandMemo("makeThumbnailAndMakeHTML.rtf", "b=1");
  const QString dropped = folder("dropped");
  // Drops act 0.1 s later, with the first dropped path.
  tool->makeDocThumbnailButton()->takeDroppedPaths({dropped, folder("other")});
  EXPECT_TRUE(programs.isEmpty());
  ASSERT_TRUE(becomesEqual([&] { return programs; }, QStringList{"a=getNowFileName()|" + dropped}));
  tool->makeThumbnailButton()->takeDroppedPaths({dropped});
  ASSERT_TRUE(becomesEqual([&] { return programs.size(); }, 2));
  EXPECT_EQ(programs[1], "b=1|" + dropped);
  // The drawer's button and the open panel reach the same memos.
  NotificationCenter::defaultCenter().post("makeThumbnailToDocumentNotif", "/pics");
  EXPECT_EQ(programs.last(), "a=getNowFileName()|/pics");
  chosen = folder("chosen");
  tool->showThumbnailImageAction();
  EXPECT_EQ(programs.last(), "b=1|" + chosen);
  EXPECT_EQ(starts, QStringList{QDir::homePath()});
  chosen.clear();  // cancelled: nothing runs, the last choice stays
  tool->makeThumbnailToDocumentAction();
  EXPECT_EQ(programs.size(), 4);
  EXPECT_EQ(starts.last(), pravella::test::home() + "/chosen");
  EXPECT_EQ(tool->selectedFullPath(), pravella::test::home() + "/chosen");
}

TEST_F(SelectImage, AMissingCommandMemoDoesNothing) {
  NotificationCenter::defaultCenter().post("makeThumbnailAndHTML", folder("x"));
  EXPECT_TRUE(programs.isEmpty());
  EXPECT_TRUE(sounds.empty());
}

TEST_F(SelectImage, WorkingFolderDropTakesAFolderOrTheFoldersOfOtherThings) {
  const QString plain = folder("plain");
  const QString rtfd = folder("plain/memo.rtfd");
  QFile file(plain + "/a.txt");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  struct Case {
    QString dropped, working;
  };
  const Case cases[] = {
      {plain, plain},
      {plain + "/a.txt", plain},
      {rtfd, plain},
      {plain + "/missing.txt", plain},
  };
  for (const Case& c : cases) {
    pravella::setWorkingFolder("/");
    sounds.clear();
    tool->setCurrentDirButton()->takeDroppedPaths({c.dropped});
    EXPECT_EQ(QString::fromStdString(current_fullPath), c.working) << c.dropped.toStdString();
    EXPECT_EQ(sounds, std::vector<std::string>{"Tink"});
  }
  // Too long for the path buffer: refused, the folder stays.
  const QString deep = plain + "/" + QString(1100, 'd') + "/x.txt";
  sounds.clear();
  EXPECT_FALSE(tool->setCurrentDir(deep));
  EXPECT_EQ(QString::fromStdString(current_fullPath), plain);
  EXPECT_EQ(sounds, std::vector<std::string>{"Basso"});
}

TEST_F(SelectImage, ClipboardPictureOpensInAPictureWindow) {
  QApplication::clipboard()->clear();
  tool->showCBImageAction();
  EXPECT_TRUE(sounds.empty());
  EXPECT_EQ(daySelected, 1);
  QImage picture(64, 32, QImage::Format_RGB32);
  picture.fill(Qt::yellow);
  QApplication::clipboard()->setImage(picture);
  NotificationCenter::defaultCenter().post("cal_showClipImage");
  EXPECT_EQ(sounds, std::vector<std::string>{"Tink"});
  graphControll* window = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* g = qobject_cast<graphControll*>(w); g && g->isVisible()) window = g;
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->imageSize(), QSizeF(64, 32));
  EXPECT_FALSE(window->pasteStatus());
  window->close();
  EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(64, 32));
}

}  // namespace
