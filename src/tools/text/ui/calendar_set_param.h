#pragma once
// CalendarSetParam: carries diary text to a Palm handheld. PalmDOC files of the shown memo, of
// every memo of the selected day, or of the memos the month list's search found go into the
// install folder the user chose (Preferences/palmInstallFolder.string); the shown memo also
// becomes a numbered schedule or memo text in the "AddSchedule folder" or "AddMemo folder"
// beside it. Every result is told in an alert; nothing is ever overwritten but a .pdb of the
// same name.

#include <QDate>
#include <QObject>
#include <QString>

#include <functional>

class QTextEdit;
class QWidget;

class CalendarSetParam : public QObject {
  Q_OBJECT
 public:
  struct Host {
    QTextEdit* documentField = nullptr;
    std::function<QString()> title;  // the document's title field
    std::function<QDate()> selectedDay;
    QWidget* window = nullptr;  // parent of the alerts and the folder chooser
    std::function<void(const char*)> playSound;
  };

  explicit CalendarSetParam(Host host, QObject* parent = nullptr);
  ~CalendarSetParam() override;

  static QString installFolderFile();  // Preferences/palmInstallFolder.string

  void awakeFromNib();

  void saveMeDocFileAction();
  void saveAllDocToPalmAction();
  void toPalmBelowAction_A(const QString& searchText);
  void setPalmHotSyncFolderAction();
  void addScheduleAction();
  void addMemoAction();

  // The writers: the name from the selection or the title, or the name given.
  void saveMeDocFileString(const QString& text, const QString& title);
  void saveMeDocFileString_2(const QString& text, const QString& name);

 private:
  bool installFolder(QString* folder);
  void writeMeDoc(const QString& folder, const QString& text, const QString& name);
  void showAlert(const QString& title, const QString& message);
  void sound(const char* name);
  void writeNumbered(const QByteArray& bytes, const QString& folderName, const QString& prefix, const char* kind);

  Host host_;
};
