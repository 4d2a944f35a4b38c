#pragma once
// CalSetDirectory: gives the working folder its start value and lets the user (through the
// menu) or a program (the notification "cal_chageCurrentDirectory") choose another folder in
// a sheet on the main window.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include <QFileDialog>
class QWidget;

class CalSetDirectory : public QObject {
  Q_OBJECT
 public:
  explicit CalSetDirectory(QWidget* mainWindow, QObject* parent = nullptr);
  ~CalSetDirectory() override;

  // The start value of the working folder; registers the observer.
  void awakeFromNib();
  // Opens the folder sheet; it returns at once, the choice arrives in the sheet's end.
  void setCurrentDirectoryAction();
  void didEndSetCurrentDirectoryAction(int returnCode);

  // The sheet while it is open (tests answer it).
  QFileDialog* sheet() const { return sheet_; }
  // Plays a feedback sound ("Tink"); the owner decides whether sounds are on.
  void setSoundPlayer(std::function<void(const char*)> play) { playSound_ = std::move(play); }

 private:
  QWidget* mainWindow_;
  QPointer<QFileDialog> sheet_;
  QString chosen_;  // the folder the sheet ended with
  std::function<void(const char*)> playSound_;
};
