#include "editors/ui/menu_script.h"

#include <QFileInfo>

#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"

namespace pravella {

namespace {

// A file's text goes out under `fileNotification`; a text that names no file runs as itself.
void postScript(const QString& script, const QString& fileNotification) {
  auto& center = NotificationCenter::defaultCenter();
  const QString path = paths::commandScripts() + QLatin1Char('/') + script;
  if (QFileInfo::exists(path)) {
    bool ok = false;
    const QString text = plainTextOfRichTextFile(path, &ok);
    // A script file that does not read runs nothing.
    if (ok) center.post(fileNotification, text);
    return;
  }
  center.post(QStringLiteral("calculationOnEditModule"), script);
}

}  // namespace

void runMenuScript(const QString& script, const QWidget* window) {
  mainWindowRef = window;
  postScript(script, QStringLiteral("calculationOnEditModule"));
}

void runScriptButton(const QString& script) { postScript(script, QStringLiteral("calculationOnMemoMenu")); }

}  // namespace pravella
