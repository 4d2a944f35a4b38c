#include "diary/month_list_requests.h"

#include <QString>
#include <QStringList>

#include "platform/notification_center.h"

bool DoSpotlightSearchOnVK(const char* utf8, int state) {
  pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
  const QString name = QString::fromLatin1(pravella::kDoSpotlightSearch);
  if (!center.hasObservers(name)) return false;
  center.post(name, QString::fromUtf8(utf8), {QString::fromLatin1(state ? "1" : "0")});
  return true;
}
