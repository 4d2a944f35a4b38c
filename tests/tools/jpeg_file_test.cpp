#include "tools/jpeg_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

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
