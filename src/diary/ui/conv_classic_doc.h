#pragma once
// The import of the old diary format: the user picks the old diary's folder, and every old
// document found there becomes a new document in the day folder of its date, made and saved
// through the calendar controller (classic_import.h reads the old tree).

#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class Calcndar;
namespace pravella {
class MainWindow;
}
class QProgressBar;

class ConvClassicDoc : public QObject {
  Q_OBJECT
 public:
  ConvClassicDoc(Calcndar* calendar, pravella::MainWindow* calendarWindow, QObject* parent = nullptr);

  void awakeFromNib() { xnum_ = 0; }
  // Opens the folder sheet "Set Old vk Diary Folder" on the calendar window.
  void convClassicDoc();
  // The sheet's end: with a chosen folder (code 1) the import runs.
  void didEndSelectOldVkDiaryFolder(int returnCode, const QString& folder);
  // Imports every old document below `folder`; returns how many were saved.
  int searchYearMonthFolder(const QString& folder);

  QFileDialog* sheet() const { return sheet_; }
  QProgressBar* progressBar() const { return progBar_; }
  void setSoundPlayer(std::function<void(const char*)> play) { playSound_ = std::move(play); }

 private:
  bool saveDocuments(const QByteArray& path, int year, int month, int day);

  Calcndar* calendar_;
  pravella::MainWindow* calendarWindow_;
  QProgressBar* progBar_;
  QPointer<QFileDialog> sheet_;
  long xnum_ = 0;  // counts untitled imports; never reset while the program runs
  std::function<void(const char*)> playSound_;
};
