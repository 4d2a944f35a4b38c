#pragma once
// CalFTP: the FTP sheet (side view 16). Host, user, password and remote directory fields, the
// remote listing and the local folder, a monitor of what tnftp printed, and get, reget, put,
// delete and whole-folder download. Every run of tnftp or wget happens on a worker thread of
// its own; workers never touch a widget: their monitor text, sounds and listings come back to
// the GUI thread, which alone rebuilds `ftpList` and `ftpNameList` (under `theLock`, which
// workers hold to copy them).

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "net/ftp/ftp_host_list.h"
#include "net/ftp/ftp_runner.h"

class QComboBox;
class QDockWidget;
class QLabel;
class QLineEdit;
class QListWidget;
class QTextEdit;
class QWidget;
class ftpFileTable;

class CalFTP : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 16;

  struct Host {
    std::function<void()> closeAllToggleView;
    std::function<int(int)> setToggleStatus;
    std::function<void(QDockWidget*)> addSideView;
    std::function<void()> selectCellSelectedDay;
    std::function<void()> showDiaryFiles;        // relists the day after a download
    std::function<void(const char*)> playSound;  // decides whether sounds are on
    QWidget* dialogParent = nullptr;
  };

  explicit CalFTP(Host host, QObject* parent = nullptr);
  // Stops this sheet's transfers and waits for its workers.
  ~CalFTP() override;

  // Today's diary folder as the local folder, the host list, the observers; gives the drawer
  // to the host.
  void awakeFromNib();

  // The sheet.
  void toggleFTPSheet();
  void openFTPAction();      // the Terminal button: a terminal in the work folder vkData
  void openFTPActionOpen();  // opens the sheet, unless it is open
  void closeFTPAction();

  // Listing.
  void connectAction();
  void listFTP();
  void ftpChangeDirectory();
  // Takes a listing's result on the GUI thread: the monitor text, the tables, the directory
  // field and the host list. `c` is the connection it listed. `keepStatus` leaves the status
  // line to the failure the listing follows.
  void applyListing(const pravella::ftp::Listing& listing, const pravella::ftp::Connection& c,
                    bool keepStatus = false);

  // Transfers.
  void getFileAction();
  void getDirectoryAction();
  void putFileAction();
  void deleteFileAction();
  void disConnectAction();  // Stop
  void setDownloadFolderAction();

  // Host list.
  void reloadHostList();
  void changeHostAction(int index);
  void deleteHostAction();

  // The fields as they stand; a check's message goes into the monitor.
  pravella::ftp::Connection connection() const;
  bool checkHostIdAndPasswd();

  QStringList ftpList() const;
  QStringList ftpNameList() const;
  bool ftpRunning() const { return ftpRunning_; }
  int runningOperations() const { return int(workers_.size()); }
  const pravella::ftp::HostList& hostList() const { return hostList_; }

  QDockWidget* ftpDrawer() const;
  QComboBox* hostNameField() const { return hostField_; }
  QLineEdit* idField() const { return idField_; }
  QLineEdit* pwField() const { return pwField_; }
  QLineEdit* directoryField() const { return directoryField_; }
  QLineEdit* downloadFolderField() const { return localField_; }
  ftpFileTable* filesTableView() const { return table_; }
  QListWidget* localFilesView() const { return localFiles_; }
  QTextEdit* monitorField() const { return monitor_; }
  // One line: how the last operation ended, failures with their reason.
  QLabel* statusField() const { return status_; }

 signals:
  // A worker's results have all been taken on the GUI thread.
  void operationEnded();

 private:
  void buildDrawer();
  void sound(const QString& name) const;
  void insertMonitor(const QString& text);
  void report(const pravella::ftp::Report& r);
  void clearListing();
  void onGui(std::function<void()> fn);
  void startWorker(std::function<void()> work);
  pravella::ftp::StopAsk stopAsk() const;
  void refreshLocalFiles();
  bool makeLocalFolder();
  // The name at `row` of the current lists; false when the row lies outside them.
  bool entryAt(int row, QString* line, QString* name) const;
  void invalidRow();
  void showHosts();  // the combo box's items from the list in memory
  void checkHost(const pravella::ftp::Connection& c);
  void getFileAction_X(QList<int> rows, pravella::ftp::Connection c);
  // Asks before a get replaces local files; true when it may go on.
  bool replacingAgreed(const QList<int>& rows, const pravella::ftp::Connection& c);
  // A fetched directory that would replace or meet local entries: the user decides how it is
  // put in place.
  void placeDownloadAfterAsking(std::shared_ptr<pravella::ftp::FolderDownload> download);
  void placeDownload(std::shared_ptr<pravella::ftp::FolderDownload> download, pravella::ftp::Placement how,
                     const QStringList& agreed);
  void downloadPlaced(const pravella::ftp::Report& r);
  void transferThenList(const pravella::ftp::Connection& c,
                        std::function<pravella::ftp::Report(const pravella::ftp::StopAsk&)> transfer);

  Host host_;
  QPointer<QDockWidget> drawer_;
  QComboBox* hostField_ = nullptr;
  QLineEdit* idField_ = nullptr;
  QLineEdit* pwField_ = nullptr;
  QLineEdit* directoryField_ = nullptr;
  QLineEdit* localField_ = nullptr;
  ftpFileTable* table_ = nullptr;
  QListWidget* localFiles_ = nullptr;
  QTextEdit* monitor_ = nullptr;
  QLabel* status_ = nullptr;

  mutable std::mutex theLock;
  QStringList ftpList_;
  QStringList ftpNameList_;
  pravella::ftp::HostList hostList_;

  std::atomic<bool> ftpRunning_{false};
  std::atomic<int> stopGeneration_{0};
  std::list<std::thread> workers_;
};
