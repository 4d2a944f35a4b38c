#pragma once
// CalNetwork: the internet sheet (side view 6). An open-URL field for the user's web browser,
// a table of named URLs downloaded with wget into today's "download.pictd", a general wget
// form, a picture download form and a curl form, and the choice of the browser. Downloads are
// children of the child-process registry, run from argument lists; several run at once and
// each one's end is handled on the GUI thread. CalendarNet opens a memo selection in the
// browser.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

#include "net/web/url_lists.h"

class QDockWidget;
class QLabel;
class QLineEdit;
class QTableWidget;
class QTextEdit;
class QWidget;

class CalNetwork : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 6;

  struct Host {
    std::function<void()> closeAllToggleView;
    std::function<int(int)> setToggleStatus;
    std::function<void(QDockWidget*)> addSideView;
    std::function<void()> showDiaryFiles;        // relists the shown day after a folder was made
    std::function<void(const char*)> playSound;  // decides whether sounds are on
    QTextEdit* documentView = nullptr;           // the main memo
    QWidget* dialogParent = nullptr;
  };

  explicit CalNetwork(Host host, QObject* parent = nullptr);
  ~CalNetwork() override;

  // Makes the preference folders, reads the table and the browser, registers the observers
  // and gives the drawer to the host.
  void awakeFromNib();

  void reloadCalNetWorkData();
  void internetSearchOnsearch(const QString& words);
  void openURLSheetAction();
  void openInternetSheet();
  void closeInternetSheet();
  void toggleInternetSheet();
  void openURLAction();
  void openURL_str(const QString& text);
  void wgetAction();
  void wgetJPEGAction();
  void downloadAllAction();
  void downloadNowAction();
  void cURLAction();
  void openConsole();
  void setRowFieldAction();
  void clearFields();
  void urlAddAction();
  void urlSetAction();
  void urlDeleteAction();
  void selectWebBrowserAction();

  // The delete alert's answer for the row's name: 0 "???" (the default), 1 "Cancel",
  // 2 "Delete". A dialog unless a test replaces it.
  std::function<int(const QString&)> askDelete;
  // The browser chosen in the "Select Web Browser" panel; empty when cancelled.
  std::function<QString()> chooseBrowser;

  QDockWidget* urlSheetView() const { return drawer_; }
  QTableWidget* autoDownloadTableField() const { return table_; }
  QLineEdit* openURLField() const { return openURL_; }
  QLabel* statusField() const { return status_; }
  QLineEdit* URLNameField() const { return name_; }
  QLineEdit* periodField() const { return period_; }
  QLineEdit* autoDownloadURLField() const { return url_; }
  QLineEdit* wgetURLField() const { return wgetURL_; }
  QLineEdit* wgetOptionField() const { return wgetOption_; }
  QLineEdit* wgetJPEGURLfield() const { return jpegURL_; }
  QLineEdit* wgetJPEGFolderField() const { return jpegFolder_; }
  QTextEdit* cURLField() const { return curlText_; }
  QLineEdit* cURLOptionField() const { return curlOption_; }
  QLineEdit* cURLFolderField() const { return curlFolder_; }
  const pravella::web::UrlTable& table() const { return data_; }
  QString webBrowser() const { return webBrowser_; }
  int runningChildren() const { return running_; }

 signals:
  // A child of this sheet ended (exit status 0 or not).
  void childFinished(const QString& program, bool ok);

 private:
  void buildDrawer();
  void redisplay();
  void emptyFields();
  void sound(const char* name) const;
  bool makeFolder(const QString& folder);
  // Runs a child; `done` runs on the GUI thread with whether it exited with status 0.
  bool run(int kind, const QString& program, const QStringList& arguments, const QString& folder,
           std::function<void(bool)> done = {});
  void downloadInto(const QString& url, const QString& folder);
  // Opens the text in the browser; false, having said why in the status line, when it is not
  // a text to open.
  bool launchBrowserText(const QString& text);
  void searchInWebSheet(const QString& words);

  Host host_;
  pravella::web::UrlTable data_;
  QString webBrowser_;
  int running_ = 0;
  void showStatus(const QString& line);
  QPointer<QDockWidget> drawer_;
  QTableWidget* table_ = nullptr;
  QLabel* status_ = nullptr;
  QLineEdit* openURL_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLineEdit* period_ = nullptr;
  QLineEdit* url_ = nullptr;
  QLineEdit* wgetURL_ = nullptr;
  QLineEdit* wgetOption_ = nullptr;
  QLineEdit* jpegURL_ = nullptr;
  QLineEdit* jpegFolder_ = nullptr;
  QTextEdit* curlText_ = nullptr;
  QLineEdit* curlOption_ = nullptr;
  QLineEdit* curlFolder_ = nullptr;
};

// Opens the selection of a memo view in the user's web browser.
class CalendarNet {
 public:
  static void openURLonMemo(QTextEdit* toggleMemoView);
};
