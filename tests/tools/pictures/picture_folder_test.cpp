#include "tools/pictures/picture_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include "support/non_regular_files.h"
#include "support/test_home.h"

namespace {

using namespace pravella;

void writePicture(const QString& path, const char* format) {
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(Qt::green);
  ASSERT_TRUE(image.save(path, format)) << path.toStdString();
}

void writeText(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

TEST(PictureFolder, ListsOnlyVisiblePicturesWithAnExtension) {
  const QString folder = test::home() + "/pics";
  ASSERT_TRUE(QDir().mkpath(folder + "/sub.jpg"));
  writePicture(folder + "/a.jpg", "JPEG");
  writePicture(folder + "/.hidden.jpg", "JPEG");
  writePicture(folder + "/README", "PNG");
  writePicture(folder + "/b.png", "PNG");
  writeText(folder + "/fake.jpg", "no picture at all");
  writeText(folder + "/notes.txt", "text");
  QStringList listed = listPictureFiles(folder);
  listed.sort();
  EXPECT_EQ(listed, (QStringList{folder + "/a.jpg", folder + "/b.png"}));
  EXPECT_TRUE(listPictureFiles(test::home() + "/missing").isEmpty());
}

TEST(PictureFolder, ListsByNameWithNumbersByValueAndPassesSpecialFilesOver) {
  // Made in an order that is neither the name order nor its reverse.
  const QString folder = test::home() + "/ordered";
  ASSERT_TRUE(QDir().mkpath(folder));
  for (const char* name : {"p10.png", "q.png", "P1.png", "p2.png", "p02b.png"})
    writePicture(folder + "/" + name, "PNG");
  // A named pipe and a link to a device, named as pictures: never opened.
  ASSERT_TRUE(test::makeFifo(folder + "/pipe.png"));
  ASSERT_TRUE(test::makeLink("/dev/zero", folder + "/zero.png"));
  QStringList listed;
  {
    test::HangGuard guard({folder + "/pipe.png"});
    listed = listPictureFiles(folder);
  }
  EXPECT_EQ(listed, (QStringList{folder + "/P1.png", folder + "/p2.png", folder + "/p02b.png", folder + "/p10.png",
                                 folder + "/q.png"}));
}

TEST(PictureFolder, SteppingWrapsAroundAndAnEmptyListHasNoRow) {
  struct Case {
    int row, count, next, previous;
  };
  const Case cases[] = {
      {0, 3, 1, 2},    // backward on the first wraps to the last
      {2, 3, 0, 1},    // forward on the last wraps to the first
      {-1, 3, 0, 2},   // no row selected: forward goes to the first
      {1, 3, 2, 0},
      {0, 1, 0, 0},
      {-1, 0, -1, -1}, // empty list
      {0, 0, -1, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(nextPictureRow(c.row, c.count), c.next) << c.row << "/" << c.count;
    EXPECT_EQ(previousPictureRow(c.row, c.count), c.previous) << c.row << "/" << c.count;
  }
}

TEST(PictureFolder, HistoryKeepsFirstVisitsOnceAndCyclesThroughThem) {
  FolderHistory history;
  EXPECT_TRUE(history.add("/a"));
  EXPECT_TRUE(history.add("/b"));
  EXPECT_FALSE(history.add("/a"));
  EXPECT_TRUE(history.add("/c"));
  EXPECT_EQ(history.folders(), (QStringList{"/a", "/b", "/c"}));
  struct Case {
    QString folder, after, before;
  };
  const Case cases[] = {{"/a", "/b", "/c"}, {"/c", "/a", "/b"}, {"/b", "/c", "/a"}, {"/x", "", ""}};
  for (const Case& c : cases) {
    EXPECT_EQ(history.after(c.folder), c.after);
    EXPECT_EQ(history.before(c.folder), c.before);
  }
  history.clear();
  EXPECT_EQ(history.after("/a"), "");
}

TEST(PictureFolder, TheNoImagePictureShipsAndReads) {
  EXPECT_TRUE(NoImageFilePath().endsWith("/noImage.jpg"));
  EXPECT_FALSE(QImage(NoImageFilePath()).isNull());
  EXPECT_EQ(pictureFolderPath(), QDir::homePath() + "/Documents/PravellaImage");
}

}  // namespace
