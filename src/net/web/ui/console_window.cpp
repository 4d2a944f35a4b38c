#include "net/web/ui/console_window.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPointer>

#include "platform/ui/window_placement.h"

namespace pravella::web {

namespace {
// Long wget runs print a great deal; the oldest lines go first.
constexpr int kMaximumLines = 5000;
}  // namespace

QPlainTextEdit* consoleWindow() {
  static QPointer<QPlainTextEdit> window;
  if (!window) {
    window = new QPlainTextEdit;
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setReadOnly(true);
    window->setMaximumBlockCount(kMaximumLines);
    window->setWindowTitle(QObject::tr("Console"));
    window->resize(640, 360);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QObject::deleteLater);
  }
  return window;
}

void openConsole(const QWidget* mainWindow) {
  QPlainTextEdit* w = consoleWindow();
  // Where the main window leaves no side free, a smaller console rather than a hidden control.
  if (!w->isVisible()) placeBesideMainWindow(w, mainWindow, BesideSize::MayShrink);
  w->show();
  w->raise();
}

void appendToConsole(const QString& text) {
  if (text.isEmpty()) return;
  QString line = text;
  if (line.endsWith(QLatin1Char('\n'))) line.chop(1);
  consoleWindow()->appendPlainText(line);
}

}  // namespace pravella::web
