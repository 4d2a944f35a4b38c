// A picture window's saved picture pasted into the main memo through "pasteImageToDocument".

#include <QImage>
#include <QTextCursor>

#include "day_documents_fixture.h"
#include "platform/notification_center.h"
#include "tools/pictures/memo_picture.h"

namespace {

using namespace day_documents_test;

class PasteImage : public DayDocuments {};

TEST_F(PasteImage, TheSavedPictureGoesInAtTheCaretOrOverTheSelectedPicture) {
  start();
  type("ab");
  const QString path = pravella::test::home() + "/p.jpg";
  QImage picture(30, 20, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  ASSERT_TRUE(picture.save(path, "JPEG"));
  sounds.clear();
  pravella::NotificationCenter::defaultCenter().post("pasteImageToDocument", path);
  EXPECT_EQ(memo()->toPlainText(), QString("ab") + QChar::ObjectReplacementCharacter);
  EXPECT_EQ(sounds, QStringList{"Tink"});
  // Selected, the picture gives way to the next one.
  QImage larger(60, 40, QImage::Format_RGB32);
  larger.fill(Qt::red);
  ASSERT_TRUE(larger.save(path, "JPEG"));
  QTextCursor c = memo()->textCursor();
  c.setPosition(2);
  c.setPosition(3, QTextCursor::KeepAnchor);
  memo()->setTextCursor(c);
  pravella::NotificationCenter::defaultCenter().post("pasteImageToDocument", path);
  EXPECT_EQ(memo()->toPlainText().size(), 3);
  c.setPosition(2);
  c.setPosition(3, QTextCursor::KeepAnchor);
  EXPECT_EQ(pravella::attachmentPicture(c).size(), QSize(60, 40));
  // A missing file changes nothing.
  pravella::NotificationCenter::defaultCenter().post("pasteImageToDocument", path + ".missing");
  EXPECT_EQ(memo()->toPlainText().size(), 3);
}

}  // namespace
