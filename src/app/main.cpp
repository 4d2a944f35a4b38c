// The Pravella desktop application.

#include <QApplication>

#include "diary/ui/main_window.h"
#include "graphics/color_table.h"
#include "lang/startup.h"

int main(int argc, char** argv) {
  if (vkStartUp() != 1) return -1;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pravella"));
  QApplication::setOrganizationName(QStringLiteral("Pravella"));

  // The colour names: the shipped file goes into the preferences folder the first time.
  pravella::installDefaultColorFile();
  initUnixColor();

  pravella::MainWindow window;
  window.show();
  return QApplication::exec();
}
