// The Pravella desktop application.

#include <QApplication>

#include "diary/ui/main_window.h"
#include "lang/startup.h"

int main(int argc, char** argv) {
  if (vkStartUp() != 1) return -1;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pravella"));
  QApplication::setOrganizationName(QStringLiteral("Pravella"));

  pravella::MainWindow window;
  window.show();
  return QApplication::exec();
}
