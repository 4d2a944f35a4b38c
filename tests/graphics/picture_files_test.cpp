#include <gtest/gtest.h>

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>

#include <cstdint>
#include <vector>

#include "graphics/graphics_hooks.h"
#include "graphics/packbits.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "graphics/picture_files.h"
#include "support/folder_snapshot.h"
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
  // No working folder: no file, rather than one at the filesystem's root.
  graphics::setWorkingFolderProvider([] { return std::string(); });
  EXPECT_EQ(graphics::resolveProgramPath("p.jpg"), "");
  EXPECT_EQ(graphics::resolveProgramPath("/abs/p.jpg"), "/abs/p.jpg");
  EXPECT_EQ(DoSavePicture2("p.pict", sample(2, 2)), 0);
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
  // A refused write gives the system's reason, naming the file as the program named it.
  EXPECT_EQ(DoSavePicture2("x.pict", QByteArray()), 0);
  EXPECT_EQ(DoSavePicture2("no/such/folder/x.pict", sample(2, 2)), 0);
  EXPECT_EQ(SaveJPEG_x("no/such/folder/x.jpg", sample(2, 2)), 3);
  EXPECT_EQ(errors,
            "Picture is empty.|Cannot save \"no/such/folder/x.pict\": No such file or directory|file save|"
            "Cannot save \"no/such/folder/x.jpg\": No such file or directory|");
  EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
  errors.clear();
  QByteArray out;
  // So does a read: the file that is not there, then the loader's own word.
  EXPECT_EQ(DoLoadPicture("missing.png", out), 0);
  EXPECT_EQ(errors, "Cannot read \"" + folder.toStdString() +
                        "/missing.png\": No such file or directory|Invalid ComponentInstance.|");
  errors.clear();
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
  EXPECT_EQ(errors,
            "Invalid ComponentInstance.|Cannot decode \"broken.png\": the file ends before its PNG picture "
            "does|Can not get Picture.|");
}

// A file a reader knows but that is cut short, at its header or midway, fails with the
// decoder's reason; several readers would otherwise fill the missing rows (GIF, BMP, a JPEG cut
// inside its scan) and load a picture that is not the file's. The whole file beside it loads.
TEST_F(PictureFiles, CutPictureFilesSayWhyAndTheWholeOnesLoad) {
  QImage image(40, 30, QImage::Format_RGB32);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) image.setPixel(x, y, qRgb(x * 6, y * 8, (x * y) % 256));
  // Qt writes no GIF: a 2 x 1 one by hand (screen, two-colour table, one image, trailer).
  const QByteArray gif(
      "GIF89a\x02\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\xff"
      "\x2c\x00\x00\x00\x00\x02\x00\x01\x00\x00\x02\x02\x44\x0a\x00\x3b",
      35);
  struct Kind {
    const char* format;
    const char* reason;  // what follows "Cannot decode "cut.x": "
  };
  const QString endsEarly = QStringLiteral("the file ends before its %1 picture does");
  const QString readerSays = QStringLiteral("the %1 reader says \"Unable to read image data\"");
  for (const Kind& kind : {Kind{"png", "PNG"}, Kind{"jpeg", "JPEG"}, Kind{"bmp", "BMP"}, Kind{"gif", "GIF"},
                           Kind{"tiff", nullptr}, Kind{"webp", nullptr}}) {
    const QByteArray format(kind.format);
    QByteArray whole = gif;
    if (format != "gif") {
      QBuffer buffer(&whole);
      buffer.open(QIODevice::WriteOnly);
      ASSERT_TRUE(QImageWriter(&buffer, format).write(image)) << kind.format;
    }
    const QString reason =
        kind.reason ? endsEarly.arg(kind.reason) : readerSays.arg(QString::fromLatin1(format).toUpper());
    // A PNG short of its end chunk's checksum, or a GIF of its trailer, has lost nothing of its
    // picture, and loads.
    const bool endIsSpare = format == "png" || format == "gif";
    for (const qsizetype length :
         {qsizetype{24}, whole.size() / 2, whole.size() - 4, whole.size() - 1, whole.size()}) {
      if (length == whole.size() - 1 && !endIsSpare) continue;
      const std::string name = "cut." + format.toStdString();
      QFile file(folder + "/" + QString::fromStdString(name));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(whole.left(length));
      file.close();
      QByteArray out;
      errors.clear();
      if (length == whole.size() || (endIsSpare && length == whole.size() - 1) ||
          (format == "png" && length == whole.size() - 4)) {
        EXPECT_EQ(DoLoadPicture(name, out), 1) << name << " at " << length;
        EXPECT_EQ(errors, "") << name << " at " << length;
        continue;
      }
      EXPECT_TRUE(canImportPicture(name)) << name << " at " << length;
      EXPECT_EQ(DoLoadPicture(name, out), 0) << name << " at " << length;
      EXPECT_EQ(errors, "Cannot decode \"" + name + "\": " + reason.toStdString() + "|Can not get Picture.|")
          << name << " at " << length;
    }
  }
}

// A save through a file as if it were a folder is refused with the system's reason, and the
// file in the way and everything beside it stay as they were.
TEST_F(PictureFiles, ASaveThroughAFileSaysWhyAndChangesNothing) {
  QFile notes(folder + "/notes.txt");
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.write("words");
  notes.close();
  const auto before = test::FolderSnapshot::of(folder);
  EXPECT_EQ(DoSavePicture2("notes.txt/x.pict", sample(2, 2)), 0);
  EXPECT_EQ(SaveJPEG_x("notes.txt/x.jpg", sample(2, 2)), 3);
  EXPECT_EQ(errors,
            "Cannot save \"notes.txt/x.pict\": Not a directory|file save|"
            "Cannot save \"notes.txt/x.jpg\": Not a directory|");
  EXPECT_TRUE(before.unchanged());
}

// A file that is a PICT by its name or its header but does not decode fails as the picture
// it is, instead of passing for a file that is no picture.
TEST_F(PictureFiles, BrokenPictFilesCannotGetAPicture) {
  QByteArray header(512, '\0');
  header += QByteArray("\x00\x40\x00\x00\x00\x00\x00\x10\x00\x10\x00\x11\x02\xFF\x77\x77", 16);
  for (const char* name : {"broken.pict", "broken.pct", "headed.dat"}) {
    QFile file(folder + "/" + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(std::string(name) == "headed.dat" ? header : QByteArray("not really a picture"));
    file.close();
    EXPECT_TRUE(canImportPicture(name)) << name;
    QByteArray out;
    errors.clear();
    EXPECT_EQ(DoLoadPicture(name, out), 0) << name;
    EXPECT_EQ(errors, "Cannot decode \"" + std::string(name) +
                          "\": its PICT picture is damaged or cut short|Can not get Picture.|")
        << name;
  }
}

// ImageMagick writes the compressed-image opcode two bytes short of its data; the JPEG's own
// end marker shows where it ends.
TEST_F(PictureFiles, JpegOpcodeDeclaredTwoBytesShortIsRead) {
  QImage photo(40, 30, QImage::Format_RGB32);
  photo.fill(qRgb(20, 120, 220));
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(photo.save(&buffer, "JPEG"));
  QByteArray picture = Picture::fromJpeg(jpeg, photo.size()).bytes();
  const qsizetype op = picture.indexOf(QByteArray("\x82\x00", 2));
  ASSERT_GT(op, 0);
  auto* length = reinterpret_cast<unsigned char*>(picture.data()) + op + 2;
  const std::uint32_t declared = (std::uint32_t(length[0]) << 24 | std::uint32_t(length[1]) << 16 |
                                  std::uint32_t(length[2]) << 8 | length[3]) -
                                 2;
  for (int i = 0; i < 4; ++i) length[i] = static_cast<unsigned char>(declared >> (24 - 8 * i));
  const QImage image = Picture(picture).toImage();
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(40, 30));
  EXPECT_LT(std::abs(qBlue(image.pixel(20, 15)) - 220), 8);
}

// The pixels of the first direct-bits row of a picture, plane by plane (alpha, red, green,
// blue), as a reader sees them that takes the stored components at their word.
std::vector<std::uint8_t> firstRowPlanes(const QByteArray& picture, int width) {
  const qsizetype op = picture.indexOf(QByteArray("\x00\x9A\x00\x00\x00\xFF", 6));
  if (op < 0) return {};
  const qsizetype rowAt = op + 2 + 68;
  const auto* d = reinterpret_cast<const std::uint8_t*>(picture.constData());
  const std::size_t count = d[rowAt];
  std::vector<std::uint8_t> planes(static_cast<std::size_t>(width) * 4);
  if (!unpackBits(d + rowAt + 1, count, planes.data(), planes.size())) return {};
  return planes;
}

// A plot or drawing leaves clear what it did not paint; those pixels are stored white, so
// that a reader ignoring the alpha shows white paper instead of black.
TEST_F(PictureFiles, ClearPixelsAreStoredWhite) {
  QImage drawing(10, 3, QImage::Format_ARGB32);
  drawing.fill(Qt::transparent);
  drawing.setPixel(4, 0, qRgba(200, 0, 0, 255));
  const QByteArray picture = Picture::fromImage(drawing).bytes();
  const std::vector<std::uint8_t> planes = firstRowPlanes(picture, 10);
  ASSERT_EQ(planes.size(), 40u);
  for (int x = 0; x < 10; ++x) {
    SCOPED_TRACE(x);
    const bool painted = x == 4;
    EXPECT_EQ(planes[x], painted ? 255 : 0);         // alpha
    EXPECT_EQ(planes[10 + x], painted ? 200 : 255);  // red
    EXPECT_EQ(planes[20 + x], painted ? 0 : 255);    // green
    EXPECT_EQ(planes[30 + x], painted ? 0 : 255);    // blue
  }
  // Our own reader still sees a clear pixel as clear.
  const QImage back = Picture(picture).toImage();
  EXPECT_EQ(back.pixel(0, 0), qRgba(0, 0, 0, 0));
  EXPECT_EQ(back.pixel(4, 0), qRgba(200, 0, 0, 255));
}

// ImageMagick, where it is installed, shows a saved plot as the application does.
TEST_F(PictureFiles, SavedPictureReadsTheSameInImageMagick) {
  QImage drawing(10, 3, QImage::Format_ARGB32);
  drawing.fill(Qt::transparent);
  drawing.setPixel(4, 0, qRgba(200, 0, 0, 255));
  const QByteArray picture = Picture::fromImage(drawing).bytes();
  const QString magick = QStandardPaths::findExecutable("convert");
  QProcess version;
  if (!magick.isEmpty()) {
    version.start(magick, {"-version"});
    version.waitForFinished(30000);
  }
  if (magick.isEmpty() || !version.readAllStandardOutput().contains("Version: ImageMagick"))
    GTEST_SKIP() << "ImageMagick is not installed";
  ASSERT_EQ(DoSavePicture2("plot.pict", picture), 1);
  QProcess convert;
  convert.start(magick, {folder + "/plot.pict", folder + "/plot.png"});
  ASSERT_TRUE(convert.waitForFinished(60000));
  const QImage seen = flattenOnWhite(QImage(folder + "/plot.png"));
  ASSERT_EQ(seen.size(), QSize(10, 3));
  EXPECT_EQ(seen.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(seen.pixel(4, 0), qRgb(200, 0, 0));
}

TEST_F(PictureFiles, LargePngPhotoLoadsBelowTheLimit) {
  QImage photo(2400, 1800, QImage::Format_RGB32);
  for (int y = 0; y < photo.height(); ++y)
    for (int x = 0; x < photo.width(); ++x)
      photo.setPixel(x, y, qRgb((x * 13 + y) & 255, (y * 7) & 255, (x * y) & 255));
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
