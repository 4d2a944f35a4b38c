// The floor of any Qt window on this machine: a main window holding a text edit, nothing else.
// bench/app_startup.py times its first paint, resident memory and libraries beside the
// application's. It links Qt Widgets alone.

#include <QApplication>
#include <QMainWindow>
#include <QTextEdit>

#include "platform/ui/first_paint.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setCentralWidget(new QTextEdit);
  window.resize(800, 600);
  window.show();
  pravella::afterFirstPaint(&window, [](bool painted) {
    if (painted) pravella::reportFirstPaintWhenAsked();
  });
  return QApplication::exec();
}
