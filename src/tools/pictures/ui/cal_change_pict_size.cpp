#include "tools/pictures/ui/cal_change_pict_size.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTextEdit>

#include "platform/notification_center.h"
#include "platform/paths.h"
#include "tools/jpeg_file.h"
#include "tools/pictures/memo_picture.h"
#include "tools/pictures/picture_geometry.h"
#include "tools/pictures/ui/graph_controll.h"

CalChangePictSize::CalChangePictSize(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {}

void CalChangePictSize::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

bool CalChangePictSize::onPicture(const std::function<bool(QTextEdit*, QTextCursor&)>& action) {
  QTextEdit* view = host_.textView ? host_.textView() : nullptr;
  if (!view) {
    sound("Basso");
    return false;
  }
  QTextCursor cursor = view->textCursor();
  const bool found =
      pravella::findPictureAtCaret(cursor, [&](QTextCursor& sel) { return action(view, sel); });
  view->setTextCursor(cursor);
  if (!found) {
    sound("Basso");
    // The sound alone does not say what was missing.
    for (QWidget* w = host_.mainWindow; w; w = w->parentWidget()) {
      if (auto* main = qobject_cast<QMainWindow*>(w)) {
        main->statusBar()->showMessage(tr("Picture Size: no picture at the caret. Click on a picture in the "
                                          "memo, or just behind it, first."),
                                       8000);
        break;
      }
    }
  }
  return found;
}

QMenu* CalChangePictSize::addMenu(QMenu* menu) {
  QMenu* picture = menu->addMenu(tr("Picture &Size"));
  for (int percent : {25, 50, 75, 150, 200})
    connect(picture->addAction(QStringLiteral("%1").arg(percent)), &QAction::triggered, this,
            [this, percent] { changePictSizeAction(percent); });
  connect(picture->addAction(tr("Free Size...")), &QAction::triggered, this,
          [this] { changePictFreeSizeAction(); });
  return picture;
}

bool CalChangePictSize::changePictSizeAction(int percent) {
  return onPicture(
      [&](QTextEdit* view, QTextCursor& sel) { return changePictSizeAction_A(view, sel, percent); });
}

bool CalChangePictSize::changePictFreeSizeAction() {
  return onPicture([&](QTextEdit*, QTextCursor& sel) { return changePictFreeSizeAction_A(sel); });
}

bool CalChangePictSize::changePictSizeAction_A(QTextEdit* view, QTextCursor& selection, int percent) {
  const QImage old = pravella::attachmentPicture(selection);
  if (old.isNull()) return false;
  const QImage resized = pravella::redrawnPicture(old, pravella::scaledPictureSize(old.size(), percent));
  const QString folder = pravella::paths::vkData();
  QDir().mkpath(folder);
  const QString path = pravella::freshPictureFileName(folder, QDateTime::currentDateTime(),
                                                      pravella::PictureNameForm::StampThenNumber);
  // A picture that cannot be stored leaves the old one in place.
  if (resized.isNull() || !pravella::saveAsJpeg(resized, path, 0.9f) ||
      !pravella::replaceAttachmentWithFile(selection, path)) {
    sound("Basso");
    return true;
  }
  view->viewport()->update();
  sound("Tink");
  QGuiApplication::clipboard()->setImage(resized);
  return true;
}

bool CalChangePictSize::changePictFreeSizeAction_A(QTextCursor& selection) {
  const QImage picture = pravella::attachmentPicture(selection);
  if (picture.isNull()) return false;
  // A fresh window takes the picture of the next post.
  new graphControll(host_.mainWindow, host_.playSound);
  auto& center = pravella::NotificationCenter::defaultCenter();
  pravella::Notification take;
  take.name = QStringLiteral("setImageToGraph");
  take.payload = picture;
  center.post(take);
  center.post(QStringLiteral("pasteImageStatus"), QStringLiteral("need paste"));
  sound("Tink");
  return true;
}
