#include "graphics/editors/hand_editor_panels.h"

#include <QString>

#include "lang/report.h"
#include "platform/cformat.h"
#include "platform/notification_center.h"

namespace pravella {

bool handEditorPanelReady(const char* name) {
  if (NotificationCenter::defaultCenter().hasObservers(QString::fromLatin1(name))) return true;
  error_disp(cformat("No window receives [%s].", name));
  return false;
}

int runHandEditorPanel(const char* name) {
  const QVariant reply = NotificationCenter::defaultCenter().post(QString::fromLatin1(name));
  bool ok = false;
  const int code = reply.toInt(&ok);
  return ok ? code : 0;
}

}  // namespace pravella
