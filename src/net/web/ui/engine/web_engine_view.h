#pragma once
// The web-engine module's browser view (see net/web/ui/web_engine_module.h).

#include "net/web/ui/web_engine_module.h"

namespace pravella::web {

std::unique_ptr<EngineView> newBrowser(QWidget* parent, const QString& defaultEncoding, EngineEvents events);

}  // namespace pravella::web
