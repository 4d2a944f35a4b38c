#include "tools/jpeg_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <sys/resource.h>

#include <csignal>

#include "platform/notification_center.h"
#include "support/test_home.h"

namespace {

using namespace pravella;

TEST(JpegComment, TheCommentGoesInRightAfterTheStartAndThePictureToTheMemo) {
  const QString path = test::home() + "/p.jpg";
  QImage image(4, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(saveAsJpeg(image, path, 0.9f));
  QStringList posted;
  auto& center = NotificationCenter::defaultCenter();
  const auto id = center.addObserver(
      QStringLiteral("pastePictureToDocument"), nullptr, [&](Notification& n) { posted << n.text; },
      Delivery::PostingThread);
  EXPECT_EQ(writeCommentToJPEGFile(path.toStdString(), "hello"), 1);
  EXPECT_EQ(writeCommentToJPEGFile((test::home() + "/missing.jpg").toStdString(), "x"), 0);
  center.removeObserver(id);
  EXPECT_EQ(posted, QStringList{path});
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray data = file.readAll();
  EXPECT_EQ(data.left(11), QByteArray("\xFF\xD8\xFF\xFE\x00\x07hello", 11));
  EXPECT_EQ(QImage::fromData(data).size(), QSize(4, 4));
}

}  // namespace

namespace {

using namespace pravella;

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& data) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QString smallJpeg(const QString& name) {
  const QString path = test::home() + "/" + name;
  QImage image(8, 6, QImage::Format_RGB32);
  image.fill(Qt::blue);
  return saveAsJpeg(image, path, 0.9f) ? path : QString();
}

TEST(JpegComment, SegmentBytesFollowTheStartMarker) {
  struct Case {
    std::string comment;
    QByteArray segment;
  };
  const Case cases[] = {
      {"abc", QByteArray("\xFF\xFE\x00\x05" "abc", 7)},
      {"", QByteArray("\xFF\xFE\x00\x02", 4)},
      {std::string(300, 'z'), QByteArray("\xFF\xFE\x01\x2E", 4) + QByteArray(300, 'z')},
  };
  for (const Case& c : cases) {
    const QString path = smallJpeg("seg.jpg");
    ASSERT_FALSE(path.isEmpty());
    const QByteArray before = readAll(path);
    EXPECT_EQ(writeCommentToJPEG(path, c.comment), 1) << c.comment;
    const QByteArray after = readAll(path);
    EXPECT_EQ(after.size(), before.size() + c.segment.size());
    EXPECT_EQ(after.left(2), before.left(2));
    EXPECT_EQ(after.mid(2, c.segment.size()), c.segment);
    EXPECT_EQ(after.mid(2 + c.segment.size()), before.mid(2));
    std::string back;
    EXPECT_EQ(readCommentToJPEG(path, back), 0);
    EXPECT_EQ(back, c.comment);
  }
}

TEST(JpegComment, ReadsBackUpTo2045BytesAndTheNewestComment) {
  struct Case {
    std::size_t length;
    bool read;
  };
  for (const Case c : {Case{2045, true}, Case{2046, false}, Case{65533, false}}) {
    const QString path = smallJpeg("long.jpg");
    const std::string comment(c.length, 'q');
    ASSERT_EQ(writeCommentToJPEG(path, comment), 1) << c.length;
    std::string back = "stale";
    EXPECT_EQ(readCommentToJPEG(path, back), 0);
    EXPECT_EQ(back, c.read ? comment : std::string()) << c.length;
  }
  const QString path = smallJpeg("twice.jpg");
  ASSERT_EQ(writeCommentToJPEG(path, "older"), 1);
  ASSERT_EQ(writeCommentToJPEG(path, "newer"), 1);
  std::string back;
  readCommentToJPEG(path, back);
  EXPECT_EQ(back, "newer");
  EXPECT_EQ(QImage(path).size(), QSize(8, 6));
}

TEST(JpegComment, RefusedWritesLeaveTheFileWhole) {
  const QString jpeg = smallJpeg("whole.jpg");
  const QString text = test::home() + "/plain.txt";
  ASSERT_TRUE(writeAll(text, "not a picture"));
  struct Case {
    QString path;
    std::string comment;
  };
  const Case cases[] = {
      {text, "x"},                                // no start marker
      {jpeg, std::string(65534, 'x')},            // over the segment's length field
      {test::home() + "/missing.jpg", "x"},       // nothing to read
  };
  for (const Case& c : cases) {
    const QByteArray before = readAll(c.path);
    EXPECT_EQ(writeCommentToJPEG(c.path, c.comment), 0) << c.path.toStdString();
    EXPECT_EQ(readAll(c.path), before);
  }
  EXPECT_FALSE(QFile::exists(test::home() + "/missing.jpg"));
  // A write that fails half way (the file size limit cuts it) leaves the file as it was.
  const QByteArray before = readAll(jpeg);
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = static_cast<rlim_t>(before.size());
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int written = writeCommentToJPEG(jpeg, std::string(100, 'x'));
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(written, 0);
  EXPECT_EQ(readAll(jpeg), before);
  EXPECT_EQ(QDir(test::home()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"plain.txt", "whole.jpg"}));  // no temporary file left beside it
}

TEST(JpegComment, ReadingWhatIsNoLeadingCommentGivesNothing) {
  struct Case {
    QByteArray data;
    int result;
  };
  const Case cases[] = {
      {QByteArray("plain text"), 0},
      {QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10), 0},   // first segment is no comment
      {QByteArray("\xFF\xD8\xFF\xFE\x00\x01", 6), 0},          // length below 2
      {QByteArray("\xFF\xD8\xFF\xFE\x00\x09" "ab", 8), 0},     // cut short
      {QByteArray("\xFF\xD8", 2), 0},
  };
  const QString path = test::home() + "/odd.jpg";
  for (const Case& c : cases) {
    ASSERT_TRUE(writeAll(path, c.data));
    std::string back = "stale";
    EXPECT_EQ(readCommentToJPEG(path, back), c.result);
    EXPECT_EQ(back, "");
  }
  std::string back = "stale";
  EXPECT_EQ(readCommentToJPEG(test::home() + "/missing.jpg", back), -1);
  EXPECT_EQ(back, "");
}

}  // namespace

namespace {

using namespace pravella;

TEST(FreshPictureFileName, PicturesOfOneSecondTakeTheNextFreeName) {
  const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
  const QString folder = test::home();
  struct Case {
    PictureNameForm form;
    QStringList names;  // successive names while each is taken in turn
  };
  const Case cases[] = {
      {PictureNameForm::StampThenNumber,
       {"20260304050607.jpg", "20260304050607.001.jpg", "20260304050607.002.jpg"}},
      {PictureNameForm::TwoDigitCounter,
       {"2026030405060700.jpg", "2026030405060701.jpg", "2026030405060702.jpg"}},
  };
  for (const Case& c : cases) {
    for (const QString& name : c.names) {
      const QString path = freshPictureFileName(folder, when, c.form);
      EXPECT_EQ(path, folder + "/" + name);
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
  }
}

}  // namespace
