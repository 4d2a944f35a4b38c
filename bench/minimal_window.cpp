// The floor of any Qt window on this machine: a main window holding a text edit, nothing else,
// as large as the application's main window at its first start (1100 x 800), so that both
// paint and send as many pixels. bench/app_startup.py times its first paint, resident memory
// and libraries beside the application's. It links Qt Widgets alone.

#include <QApplication>
#include <QMainWindow>
#include <QTextEdit>

#include "platform/ui/first_paint.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setCentralWidget(new QTextEdit);
  window.resize(1100, 800);
  window.show();
  pravella::afterFirstPaint(&window, [](bool painted) {
    if (painted) pravella::reportFirstPaintWhenAsked();
  });
  return QApplication::exec();
}
