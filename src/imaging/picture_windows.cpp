#include "imaging/picture_windows.h"

#include <QVariant>
#include <QVariantList>

#include "platform/notification_center.h"

namespace pravella::picturewindows {

namespace {

bool post(const char* name, const QString& title, const QVariant& payload = {}) {
  NotificationCenter& center = NotificationCenter::defaultCenter();
  const QString n = QString::fromLatin1(name);
  if (!center.hasObservers(n)) return false;
  Notification note;
  note.name = n;
  note.text = title;
  note.payload = payload;
  center.post(note);
  return true;
}

}  // namespace

bool openSubWindowWithImage(const QByteArray& picture, const QString& title) {
  return post(kOpenNotification, title, picture);
}

void closePictWindow(const QString& title) { post(kCloseNotification, title); }

void closeAllPictWindow() { post(kCloseAllNotification, QString()); }

void movePictWindow(const QString& title, double x, double y) {
  post(kMoveNotification, title, QVariantList{x, y});
}

void sizePictWindow(const QString& title, double width, double height) {
  post(kSizeNotification, title, QVariantList{width, height});
}

}  // namespace pravella::picturewindows
