// The one symbol the web-engine module exports: its table of functions.

#include "net/web/ui/engine/web_engine_view.h"

// The engine's own set-up: the GL context that its views share, made and set as the
// application's shared context. The engine runs it by itself only when its library is loaded
// before the application object is made; this module is opened later, and the first profile
// fails without it.
namespace QtWebEngineCore {
Q_DECL_IMPORT void initialize();
}

extern "C" __attribute__((visibility("default"))) const pravella::web::WebEngineFunctions*
pravella_web_engine_functions() {
  using namespace pravella::web;
  static const WebEngineFunctions table = [] {
    QtWebEngineCore::initialize();
    WebEngineFunctions t;
    t.version = kWebEngineModuleVersion;
    t.newView = &newBrowser;
    return t;
  }();
  return &table;
}
