#include "diary/working_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <cstdio>
#include <mutex>
#include <thread>

#include "lang/executor.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "platform/paths.h"

namespace {

TEST(WorkingFolder, StartsOnTheDesktopWhereBareNamesAreFound) {
  current_fullPath.clear();
  pravella::initWorkingFolder();
  EXPECT_EQ(pravella::workingFolder(), pravella::paths::desktop());
  QDir().mkpath(pravella::paths::desktop());
  QFile f(pravella::paths::desktop() + "/data.txt");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("1 2 3");
  f.close();
  std::FILE* opened = vk_fopen("data.txt", "r");
  ASSERT_NE(opened, nullptr);
  std::fclose(opened);
  EXPECT_EQ(NowLoadSaveName, (pravella::paths::desktop() + "/data.txt").toStdString());
}

TEST(WorkingFolder, ChangesOnlyToPathsThatFitTheBuffer) {
  ASSERT_TRUE(pravella::setWorkingFolder("/tmp/some/folder/"));
  EXPECT_EQ(current_fullPath, "/tmp/some/folder");  // no trailing "/"
  ASSERT_TRUE(pravella::setWorkingFolder("/"));
  EXPECT_EQ(current_fullPath, "/");
  // 1,023 bytes fit with the terminator; 1,024 do not.
  const QString fits = "/" + QString(1022, u'a');
  ASSERT_TRUE(pravella::setWorkingFolder(fits));
  EXPECT_EQ(current_fullPath.size(), 1023u);
  EXPECT_FALSE(pravella::setWorkingFolder("/" + QString(1023, u'b')));
  EXPECT_EQ(pravella::workingFolder(), fits);
  // Bytes count, not characters: 341 three-byte characters and "/" make 1,024 bytes.
  EXPECT_FALSE(pravella::setWorkingFolder("/" + QString(341, QChar(0x65E5))));
}

TEST(WorkingFolder, IsNotChangedUnderARunningProgram) {
  ASSERT_TRUE(pravella::setWorkingFolder("/tmp/before"));
  {
    // A run holds the run lock on its thread: its built-ins may change the folder, a window on
    // another thread may not.
    std::lock_guard lock(pravella::vkRunLock());
    EXPECT_TRUE(pravella::setWorkingFolder("/tmp/by-the-program"));
    std::thread window([] { EXPECT_FALSE(pravella::setWorkingFolder("/tmp/from-a-window")); });
    window.join();
  }
  EXPECT_EQ(current_fullPath, "/tmp/by-the-program");
}

// With no working folder a relative name is refused, instead of landing at the root.
TEST(WorkingFolder, UnsetFolderResolvesNoRelativeName) {
  current_fullPath.clear();
  ResultString.clear();
  EXPECT_EQ(vk_fopen("nowhere.txt", "w"), nullptr);
  EXPECT_FALSE(QFile::exists("/nowhere.txt"));
  ResultString.clear();
}

}  // namespace
