#include "platform/progress_bar.h"

#include <QString>

#include "platform/cformat.h"
#include "platform/notification_center.h"

void setProgressBar(double minimum, double maximum, double value) {
  pravella::NotificationCenter::defaultCenter().post(
      QStringLiteral("setProgressBar"),
      QString::fromStdString(pravella::cformat("%g\t%g\t%g", minimum, maximum, value)));
}
