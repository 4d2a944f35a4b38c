#include "net/web/ui/web_engine_module.h"

#include <QtGlobal>

#include "platform/loadable_module.h"

namespace pravella::web {

namespace {

QtMessageHandler previousHandler = nullptr;

// Opened after the application object, the engine says that it was set up late; the module
// sets it up as it would have itself, so those two notes tell the user nothing.
void withoutLateSetUpNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("Qt WebEngine seems to be initialized from a plugin")) ||
      message.startsWith(QLatin1String("Attribute Qt::AA_ShareOpenGLContexts must be set before")))
    return;
  if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

const WebEngineFunctions* webEngineFunctions(QString* why) {
  previousHandler = qInstallMessageHandler(withoutLateSetUpNotes);
  const WebEngineFunctions* table = loadableModuleTable<WebEngineFunctions>(
      "libpravella_web_engine.so", "pravella_web_engine_functions", kWebEngineModuleVersion, why);
  qInstallMessageHandler(previousHandler);
  return table;
}

}  // namespace pravella::web
