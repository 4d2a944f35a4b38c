#include "diary/ui/cal_set_directory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "support/test_home.h"

namespace {

class SetDirectory : public testing::Test {
 protected:
  void SetUp() override {
    QDir().mkpath(pravella::paths::desktop());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    controller.setSoundPlayer([this](const char* name) { sounds += name; });
    controller.awakeFromNib();
  }
  QMainWindow window;
  CalSetDirectory controller{&window};
  QStringList sounds;
};

TEST_F(SetDirectory, AProgramOpensTheSheetAndTheChosenFolderIsTaken) {
  EXPECT_EQ(QString::fromStdString(current_fullPath), pravella::paths::desktop());
  const QString target = pravella::test::home() + "/projects";
  QDir().mkpath(target);
  pravella::NotificationCenter::defaultCenter().post("cal_chageCurrentDirectory");
  QFileDialog* sheet = controller.sheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->windowTitle(), "Set Preferences Folder");
  EXPECT_EQ(sheet->fileMode(), QFileDialog::Directory);
  EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
  EXPECT_EQ(sheet->directory().absolutePath(), pravella::paths::desktop());
  // Typed into the sheet's name field and confirmed with Return, as a user does
  auto* name = sheet->findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(name, nullptr);
  // (typed whole: key by key, the completer's popup would take the Return)
  name->setText(target);
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_EQ(QString::fromStdString(current_fullPath), target);
  EXPECT_EQ(sounds, QStringList{"Tink"});
  EXPECT_EQ(controller.sheet(), nullptr);
}

TEST_F(SetDirectory, CancelKeepsTheFolder) {
  const std::string before = current_fullPath;
  controller.setCurrentDirectoryAction();
  ASSERT_NE(controller.sheet(), nullptr);
  controller.sheet()->setDirectory(pravella::test::home());
  controller.sheet()->reject();
  EXPECT_EQ(current_fullPath, before);
  EXPECT_TRUE(sounds.isEmpty());
}

}  // namespace
