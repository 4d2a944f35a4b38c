#pragma once
// CalText: plain text into and out of the main memo, reached through the notifications
// "cal_saveText" (export beside the shown document), "cal_saveAsText" (export under a chosen
// name) and "cal_loadText" (insert a text file behind the selection). The dialogs are sheets on the
// main window; what they need of the calendar controller comes through Host.

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include <QFileDialog>
class QTextEdit;
class QWidget;

class CalText : public QObject {
  Q_OBJECT
 public:
  struct Host {
    std::function<bool()> save;                     // saves the shown document; false: it failed
    std::function<QString()> nowDisplayedDocument;  // full path of the shown document
    std::function<QDate()> selectedDay;
    std::function<void()> showDiaryFiles;               // lists the selected day's documents again
    std::function<void(const char*)> playSound;         // "Tink", "Basso"; decides whether sounds are on
    std::function<void(const QString&)> reportFailure;  // a failed export, for the user
  };

  CalText(QTextEdit* documentView, QWidget* calendarWindow, Host host, QObject* parent = nullptr);
  ~CalText() override;

  void awakeFromNib();  // registers the three observers
  void saveTextAction();
  void saveAsTextAction();
  void loadTextAction();
  void didEndSelectTextFile(int returnCode, const QString& path);
  void didEndSaveTextSheet(int returnCode, const QString& path);

  QFileDialog* sheet() const { return sheet_; }  // the open sheet (tests answer it)

 private:
  bool exportTo(const QString& path);
  void sound(const char* name);
  QFileDialog* makeSheet(const QString& title, const QString& folder);

  QTextEdit* documentView_;
  QWidget* calendarWindow_;
  Host host_;
  QPointer<QFileDialog> sheet_;
};
