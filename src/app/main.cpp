// The Pravella desktop application.

#include <unistd.h>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QThreadPool>

#include "app/application.h"
#include "diary/day_folders.h"
#include "lang/builtins/startup.h"
#include "platform/ui/deferred_icon_style.h"
#include "platform/ui/media_backend.h"

int main(int argc, char** argv) {
  if (vkStartUp() != 1) return -1;
  // The web drawer's engine refuses to start as root inside its sandbox and takes the whole
  // application with it; root gets the browser without the sandbox, and is told so.
  if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    std::fputs("Pravella: running as root; the web drawer runs without its sandbox.\n", stderr);
  }
  pravella::chooseMediaBackend();
  QApplication app(argc, argv);
  pravella::useDeferredIconStyle();
  // Qt adopts the user's locale; numbers in results and files must keep the C decimal point.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Pravella"));
  QApplication::setOrganizationName(QStringLiteral("Pravella"));
  // The main window is closed by the calendar controller, which saves before the end.
  QApplication::setQuitOnLastWindowClosed(false);

  // Saves killed by a crash or power cut may have left documents aside: put them back
  // without holding up the window.
  QThreadPool::globalInstance()->start([] { pravella::recoverInterruptedDiarySaves(); });

  pravella::Application application;
  application.endOnSignalsAndSessionEnd();
  application.showAndFinishLaunching();
  return application.exec();
}
