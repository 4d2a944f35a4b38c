#pragma once
// The module drawer (side view 18): the language modules of vkPreferences/Modules listed by
// name, one shown in an editor that is locked until the edit switch is on, saved as RTFD,
// renamed, deleted, and run one by one or all in turn with their output below. Modules whose
// names carry the inner extension "vk" (name.vk.rtfd) are the ones that run.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

#include "tools/ui/desk_tool_host.h"

class QCheckBox;
class QDockWidget;
class QLineEdit;
class QListWidget;
class QTextEdit;
class mainTextView;

class CalPreference : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleStatus = 18;

  // `runner` runs the modules (the main memo).
  CalPreference(const pravella::DeskToolHost& host, mainTextView* runner, QObject* parent = nullptr);
  ~CalPreference() override;

  // Observes "cal_openPreferencePanel".
  void awakeFromNib();

  // Opens the drawer (closing the other side views), or closes it when it is open; only while
  // side views may open.
  void openPrefAction();
  bool isOpen() const;
  // Lists the modules again, selects the first and shows it.
  void reLoadAction();
  void selectModuleAction();
  // The edit switch: the editor and the name field become editable, tinted.
  void editAction();
  // Writes the shown module when it was edited (as RTFD; a typed name saves a new file). False
  // when the write failed: the module stays marked as edited.
  bool saveAction();
  // Asks, then deletes the shown module.
  void deleteAction();
  // Runs the shown module; its output and "..... finished .....\n" go below.
  void executeAction();
  // Runs every runnable module in turn, each shown while it runs.
  void executeAllAction();

  QStringList moduleList() const { return moduleList_; }
  QString nowDisplayedDocPath() const { return nowDisplayedDocPath_; }
  bool dirty() const { return dirty_; }
  QListWidget* listView() const { return listView_; }
  QTextEdit* progView() const { return progView_; }
  QTextEdit* resultView() const { return resultView_; }
  QLineEdit* fileNameField() const { return fileNameField_; }
  QCheckBox* editSwitch() const { return editSwitch_; }
  QDockWidget* drawer() const { return drawer_; }

 private:
  void getModulFilesList();
  void adjustListNowDocument();
  void showModule(const QString& path);
  void selectRowOf(const QString& path);
  void appendResult(const QString& text);
  void runNext(QStringList modules);
  void sound(const char* name);

  pravella::DeskToolHost host_;
  QPointer<mainTextView> runner_;
  QDockWidget* drawer_ = nullptr;
  QListWidget* listView_ = nullptr;
  QTextEdit* progView_ = nullptr;
  QTextEdit* resultView_ = nullptr;
  QLineEdit* fileNameField_ = nullptr;
  QCheckBox* editSwitch_ = nullptr;
  QStringList moduleList_;  // file names with their extensions
  QString vk_modulePath_;
  QString nowDisplayedDocPath_;
  bool dirty_ = false;
  bool loading_ = false;
};
