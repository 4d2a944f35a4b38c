#pragma once
// CalWebView: the web browser drawer beside the calendar. The URL field loads addresses and
// sends other text to a web search; the drawer shows progress and a status line, finds text
// in the page, changes the text encoding and the zoom, translates the page, downloads linked
// files to the Desktop and keeps a page as a web archive in the selected day. Its menus reach
// pages through five own bookmark buttons, a browser's bookmarks, the user's search sites, the
// history of this run and the page's context menu. Other windows and programs reach it
// through notifications (see net/web/web_sheet_requests.h).

#include <QDate>
#include <QDockWidget>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "net/web/ui/web_engine_module.h"
#include "net/web/web_menus.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;
class QTextEdit;
class QToolButton;
class QVBoxLayout;
class CalEditBookMark;

class CalWebView : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 23;
  static constexpr double kStartScale = 0.6;

  struct Host {
    std::function<void()> closeAllToggleView;
    std::function<int(int)> setToggleStatus;
    std::function<void(QDockWidget*)> addSideView;
    std::function<void(const char*)> playSound;  // decides whether sounds are on
    std::function<QDate()> selectedDay;
    std::function<void()> showDiaryFiles;
    QMainWindow* mainWindow = nullptr;
    QTextEdit* subMemoView = nullptr;  // the "FromSubMemo" actions take its selection
  };

  explicit CalWebView(Host host, QObject* parent = nullptr);
  ~CalWebView() override;

  // Reads the translation template, the bookmarks and the search sites, builds the drawer and
  // registers the observers. The browser itself is made when the drawer first opens or a page
  // is first loaded: its engine loads many libraries and starts helper processes.
  void awakeFromNib();

  void openWebViewSheet();
  void closeWebViewSheet();
  void toggleWebViewSheet();
  void toggleWebViewWithWikiSearchSheet();
  void openWebSheetAndConnectURL_X(const QString& text);
  void openWebSheetAndConnectURL_Y(const QString& text) { openWebSheetAndConnectURL_X(text); }
  void openWebSheetAndConnectURL_Wiki(const QString& word);
  void openURLAction();
  void connectURLString(const QString& text);
  void StopReload();
  void goSearch();
  void goSearchBack();
  // A chosen encoding shows the page, and those opened after it, decoded with it whatever
  // they declare, from the bytes the browser received; "Default" (0) goes back to their own.
  // A page that cannot be shown so (a form's answer, a page too large) is kept as it is, the
  // status line says why, and the pop-up shows the encoding the page is shown in.
  void changeEncoding(int index);
  void ZoomWebBrowserSheet(int percent);
  void ZoomWebBrowserSheetWithTextField();
  void honyakuJikkou();
  void saveAsWebarchiveAction();
  void openPravellaPage();
  void GoogleSearchFromSubMemo();
  void WikiSearchFromSubMemo();
  void MemoSearchFromSubMemo();
  void searchStringToURL();
  void changeWebViewScale();

  // Menus.
  void webBookMarkAction(int tag);
  void setupWebSerchMenuItem();
  void searchListSelected(const QString& line);
  void goToHistroyItem(const QString& url);
  void clearHistory();
  // Fills a menu with a browser's bookmarks ($XDG_CONFIG_HOME/Pravella/Bookmarks.plist).
  void makeBookmarkMenu(QMenu* menu);
  // Turns the page's default context menu into the sheet's: new-window items go, the find,
  // bookmark, search-site and history submenus, text size and archive items come.
  void buildContextMenu(QMenu* menu);

  // Shows a message in the status line for 2 seconds, then puts the old text back.
  void showStatusBriefly(const QString& message);

  QDockWidget* webNSDrawer() const { return webNSDrawer_; }
  bool isOpen() const;
  QLineEdit* urlTextField() const { return urlTextField_; }
  QLineEdit* searchText() const { return searchText_; }
  QLabel* tempTextField() const { return tempTextField_; }
  QProgressBar* progressBar() const { return progressBar_; }
  QComboBox* encodingPopup() const { return encodingPopup_; }
  QSlider* zoomSlider() const { return ZoomSlider_; }
  QLineEdit* zoomTextField() const { return ZoomTextField_; }
  QMenu* searchListMenu() const { return searchListMenu_; }
  QMenu* historyMenu() const { return historyMenu_; }
  QMenu* bookmarkMenu() const { return bookmarkMenu_; }
  QPushButton* webBookMarkButton(int tag) const;
  // The browser; null until the drawer first opened (or the engine could not be loaded).
  pravella::web::EngineView* webViewField() const { return engine_.get(); }
  CalEditBookMark* editor() const { return EditBookMarkX_; }
  const QString& translateSite() const { return translateSite_; }
  double webScale() const { return webScale_; }
  bool idle() const { return srStat_ == 1; }
  const pravella::web::WebHistoryMenu& history() const { return history_; }
  // The file the last download went to (empty before one started).
  QString lastDownloadPath() const { return lastDownloadPath_; }

 signals:
  // A download or archive save ended: true when the file was written.
  void downloadFinished(bool ok);
  void archiveSaved(bool ok);

 private:
  void buildDrawer();
  void readTranslateSite();
  void fillEncodingPopup();
  void makeBookmarkButtons();
  void refreshHistoryMenu();
  // Makes the browser on first use; false (said in the status line) when it cannot be loaded.
  bool ensureBrowser();
  pravella::web::EngineEvents browserEvents();
  void loadStarted();
  void loadFinished(bool ok, const QString& error);
  void downloadRequested(pravella::web::EngineDownload& download);
  void saveWebArchiveTo(const QString& path);
  // A save of the page ended: the status line, the sound and archiveSaved.
  void pageSaveEnded(bool ok, const QString& status);
  void applyZoom(double scale);
  QString zoomInForceText() const;
  // The address of the page shown, also while it is shown in a chosen encoding.
  QUrl pageAddress() const;
  // Makes the pop-up's item `index` the encoding in force, for the page and the browser.
  void setEncodingInForce(int index);
  // Shows `page` in the pop-up's item `index`; a refusal puts `fallback` back in force.
  void showPageIn(const QUrl& page, int index, int fallback);
  void showPageBytesIn(const QUrl& page, int index, int fallback, int ask);
  void showBytesIn(const QUrl& page, const QByteArray& bytes, int index, int fallback);
  void showInOwnEncoding(const QUrl& page, int fallback);
  void refuseEncoding(int fallback, const QString& why);
  // Back (-1) and Forward (1) through the pages as they were shown; -1 when there is none.
  int historyNeighbour(int step) const;
  void goThroughHistory(int step);
  bool stepsOver(int index) const;
  QUrl historyPageUrl(int index) const;
  void addSearchSiteItems(QMenu* menu, const QString& plainText);
  QString selectedTextOfFocusedView(bool* focused) const;
  void sound(const char* name);

  Host host_;
  QPointer<QDockWidget> webNSDrawer_;
  std::unique_ptr<pravella::web::EngineView> engine_;
  QVBoxLayout* browserPlace_ = nullptr;  // where the browser goes once made
  QString textEncoding_;                 // of pages that name none
  QByteArray customEncoding_;            // the decoder's name of the chosen one; empty: none
  int encodingInForce_ = 0;              // the pop-up's item the page is shown in
  int recodeRequest_ = 0;                // numbers the asks for a page's bytes: the last one counts
  int choiceUnderWay_ = -1;              // the pop-up's item chosen, not yet in force
  QUrl recodedUrl_;                      // the page shown in the chosen encoding
  QByteArray recodedBytes_;              // its bytes as the browser received them
  bool recodePending_ = false;           // its text went to the browser, which has not started on it
  bool recodedLoad_ = false;             // the browser is showing it
  bool showingRecoded_ = false;          // it is shown
  // The browser's history entries that hold a page shown in a chosen encoding, by index: the
  // page's address, the bytes it came as and the pop-up's item it was shown in.
  struct RecodedEntry {
    QUrl url;
    QByteArray bytes;
    int encoding = 0;
  };
  std::map<int, RecodedEntry> recodedEntries_;
  int historyMoveTo_ = -1;  // the entry a move through the history is going to
  QToolButton* stopReloadButton_ = nullptr;
  QLineEdit* urlTextField_ = nullptr;
  QLineEdit* searchText_ = nullptr;
  QLabel* tempTextField_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QComboBox* encodingPopup_ = nullptr;
  QSlider* ZoomSlider_ = nullptr;
  QLineEdit* ZoomTextField_ = nullptr;
  std::vector<QPushButton*> webBookMarkButtons_;
  QMenu* bookmarkMenu_ = nullptr;
  QMenu* searchListMenu_ = nullptr;
  QMenu* historyMenu_ = nullptr;
  CalEditBookMark* EditBookMarkX_ = nullptr;
  std::vector<pravella::web::WebBookmark> webBookMarkData_;
  pravella::web::WebHistoryMenu history_;
  QString translateSite_;
  double webScale_ = kStartScale;
  unsigned char srStat_ = 1;
  qint64 lExLength_ = -1;
  QString lastDownloadPath_;
  bool downloadsMadeByEngine_ = false;  // no Downloads folder when the browser was made
  QSet<QUrl> downloadsUnderWay_;
  QHash<QString, QString> exportsUnderWay_;  // where the browser writes an export: where it goes
  int statusGeneration_ = 0;
  bool statusTimerRunning_ = false;
  QString statusBeforeMessage_;
};

// The controller, once made (null before).
extern CalWebView* CalWebView_X;
