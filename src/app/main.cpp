// The Pravella desktop application.

#include <QApplication>

#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "imaging/volume_data.h"
#include "lang/startup.h"

int main(int argc, char** argv) {
  if (vkStartUp() != 1) return -1;
  DoInitVolumeData();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pravella"));
  QApplication::setOrganizationName(QStringLiteral("Pravella"));
  // The main window is closed by the calendar controller, which saves before the end.
  QApplication::setQuitOnLastWindowClosed(false);

  pravella::MainWindow window;
  // The memo takes the program texts the calendar posts at launch (the user's modules).
  window.documentView()->awakeFromNib();
  Calcndar calendar(&window);
  calendar.awakeFromNib();
  window.show();
  calendar.applicationDidFinishLaunching();
  return QApplication::exec();
}
