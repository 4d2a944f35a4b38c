#include "editors/ui/menu_script.h"

#include <QFileInfo>

#include "editors/plain_text_export.h"
#include "lang/values.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/ui/sound_player.h"

namespace pravella {

namespace {

// A file's text goes out under `fileNotification`; a text that names no file runs as itself.
void postScript(const QString& script, const QString& fileNotification) {
  auto& center = NotificationCenter::defaultCenter();
  const QString path = paths::commandScripts() + QLatin1Char('/') + script;
  if (QFileInfo::exists(path)) {
    bool ok = false;
    QString text = plainTextOfRichTextFile(path, &ok);
    // A command file may as well be plain text, in any of the encodings a text file is read in.
    if (!ok && QFileInfo(path).isFile()) {
      if (std::optional<QString> plain = readTextFileForImport(path)) {
        text = *plain;
        ok = true;
      }
    }
    if (ok) {
      center.post(fileNotification, text);
    } else {
      showErrMessageToConsole(
          ("The command file " + path + " cannot be read; nothing was run.\n").toStdString());
      playFeedbackSound(QStringLiteral("Basso"));
    }
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
