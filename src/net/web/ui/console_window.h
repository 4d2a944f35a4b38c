#pragma once
// The console of the internet tools: one small window that shows what the child programs of
// the internet sheet printed (wget's progress and errors, curl's output), newest at the end.

#include <QString>

class QPlainTextEdit;
class QWidget;

namespace pravella::web {

// The one console window, made on first use (on the GUI thread).
QPlainTextEdit* consoleWindow();
// Shows and raises it; hidden, it first goes beside `mainWindow` (when given).
void openConsole(const QWidget* mainWindow = nullptr);
// Appends the text (as printed, any encoding read as UTF-8) to the console.
void appendToConsole(const QString& text);

}  // namespace pravella::web
