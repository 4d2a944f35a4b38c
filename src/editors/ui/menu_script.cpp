#include "editors/ui/menu_script.h"

#include <QFileInfo>

#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"

namespace pravella {

void runMenuScript(const QString& script, const QWidget* window) {
  auto& center = NotificationCenter::defaultCenter();
  mainWindowRef = window;
  const QString path = paths::commandScripts() + QLatin1Char('/') + script;
  if (QFileInfo::exists(path)) {
    bool ok = false;
    const QString text = plainTextOfRichTextFile(path, &ok);
    // A script file that does not read runs nothing.
    if (ok) center.post(QStringLiteral("calculationOnEditModule"), text);
    return;
  }
  center.post(QStringLiteral("calculationOnEditModule"), script);
}

}  // namespace pravella
