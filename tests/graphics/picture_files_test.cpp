#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>

#include "graphics/graphics_hooks.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "graphics/picture_files.h"
#include "support/test_home.h"

namespace pravella {
namespace {

class PictureFiles : public testing::Test {
 protected:
  void SetUp() override {
    folder = test::home() + "/work";
    QDir().mkpath(folder);
    graphics::setWorkingFolderProvider([this] { return folder.toStdString(); });
    graphics::setErrorReporter([this](const std::string& m) { errors += m + "|"; });
    quality = 512;
  }
  void TearDown() override {
    graphics::setWorkingFolderProvider(nullptr);
    graphics::setErrorReporter(nullptr);
    quality = 512;
  }
  static QByteArray sample(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, 90));
    return Picture::fromImage(image).bytes();
  }
  QString folder;
  std::string errors;
};

TEST_F(PictureFiles, PictFileIsHeaderPlusPictureAndLoadsBack) {
  const QByteArray picture = sample(30, 20);
  ASSERT_EQ(DoSavePicture2("a.pict", picture), 1);
  QFile file(folder + "/a.pict");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray data = file.readAll();
  EXPECT_EQ(data.size(), picture.size() + 512);
  EXPECT_EQ(data.left(512), QByteArray(512, '\0'));
  EXPECT_EQ(data.mid(512), picture);
  QByteArray loaded;
  ASSERT_EQ(DoLoadPicture(folder.toStdString() + "/a.pict", loaded), 1);  // absolute path
  EXPECT_EQ(loaded, picture);
}

TEST_F(PictureFiles, JpegSaveAndLoadKeepTheSize) {
  const QByteArray picture = sample(64, 48);
  ASSERT_EQ(SaveJPEG_x("b.jpg", picture), 0);
  ASSERT_EQ(SaveJPEG_x("b.jpg", picture), 0);  // replaces an existing file
  QByteArray loaded;
  ASSERT_EQ(DoLoadPicture("b.jpg", loaded), 1);
  EXPECT_EQ(Picture(loaded).frame().size(), QSize(64, 48));
  EXPECT_EQ(SaveJPEG_x("", picture), 1);
  EXPECT_EQ(SaveJPEG_x("c.jpg", QByteArray("junk")), 2);
  EXPECT_FALSE(QFile::exists(folder + "/c.jpg"));
}

TEST_F(PictureFiles, RelativeNamesJoinTheWorkingFolderWithOneSlash) {
  EXPECT_EQ(graphics::resolveProgramPath("/abs/p.jpg"), "/abs/p.jpg");
  graphics::setWorkingFolderProvider([] { return std::string("/w"); });
  EXPECT_EQ(graphics::resolveProgramPath("p.jpg"), "/w/p.jpg");
  graphics::setWorkingFolderProvider([] { return std::string("/w/"); });
  EXPECT_EQ(graphics::resolveProgramPath("p.jpg"), "/w/p.jpg");
}

TEST_F(PictureFiles, QualityLimitsAndMapping) {
  EXPECT_EQ(DoSetJpegQuality(0), 0);
  EXPECT_EQ(DoSetJpegQuality(1025), 0);
  EXPECT_EQ(quality, 512);
  EXPECT_EQ(DoSetJpegQuality(1024), 1);
  EXPECT_EQ(quality, 1024);
  EXPECT_EQ(DoSetJpegQuality(100.9), 1);
  EXPECT_EQ(quality, 100);
  EXPECT_EQ(qtJpegQuality(0), 0);
  EXPECT_EQ(qtJpegQuality(512), 75);
  EXPECT_EQ(qtJpegQuality(1024), 100);
}

TEST_F(PictureFiles, FailuresReportAndLeaveNoFile) {
  EXPECT_EQ(DoSavePicture2("x.pict", QByteArray()), 0);
  EXPECT_EQ(DoSavePicture2("no/such/folder/x.pict", sample(2, 2)), 0);
  EXPECT_EQ(errors, "Picture is empty.|file save|");
  EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
  errors.clear();
  QByteArray out;
  EXPECT_EQ(DoLoadPicture("missing.png", out), 0);
  QFile text(folder + "/notes.txt");
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("just some words, no picture");
  text.close();
  EXPECT_EQ(DoLoadPicture("notes.txt", out), 0);
  QFile broken(folder + "/broken.png");
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("\x89PNG\r\n\x1a\n broken");
  broken.close();
  EXPECT_EQ(DoLoadPicture("broken.png", out), 0);
  EXPECT_EQ(errors, "Invalid ComponentInstance.|Invalid ComponentInstance.|Can not get Picture.|");
}

TEST_F(PictureFiles, LargePngPhotoLoadsBelowTheLimit) {
  QImage photo(2400, 1800, QImage::Format_RGB32);
  for (int y = 0; y < photo.height(); ++y)
    for (int x = 0; x < photo.width(); ++x) photo.setPixel(x, y, qRgb((x * 13 + y) & 255, (y * 7) & 255, (x * y) & 255));
  ASSERT_TRUE(photo.save(folder + "/big.png"));
  QByteArray out;
  ASSERT_EQ(DoLoadPicture("big.png", out), 1);
  EXPECT_LT(static_cast<std::size_t>(out.size()), kDefaultPictureByteLimit);
  EXPECT_EQ(Picture(out).frame().size(), QSize(2400, 1800));
}

TEST(PictureClipboard, DisplayedPictureIsOnTheClipboard) {
  QImage image(5, 4, QImage::Format_RGB32);
  image.fill(qRgb(10, 200, 30));
  const QByteArray picture = Picture::fromImage(image).bytes();
  ASSERT_EQ(DoCopyPictureToScrap(picture), 1);
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_EQ(mime->data(kPictureMimeType), picture);
  const QImage png = QImage::fromData(mime->data("image/png"), "PNG");
  ASSERT_EQ(png.size(), QSize(5, 4));
  EXPECT_EQ(png.pixel(4, 3), qRgb(10, 200, 30));
  EXPECT_EQ(pictureFromClipboard(), picture);
  std::string reported;
  graphics::setErrorReporter([&](const std::string& m) { reported = m; });
  EXPECT_EQ(DoCopyPictureToScrap(QByteArray()), 0);
  EXPECT_EQ(reported, "picture is empty.");
  graphics::setErrorReporter(nullptr);
}

}  // namespace
}  // namespace pravella
