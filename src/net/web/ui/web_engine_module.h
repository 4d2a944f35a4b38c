#pragma once
// The seam to the web-engine module (libpravella_web_engine.so, built from src/net/web/ui/engine):
// the browser of the web drawer. The engine's libraries take some hundred more with them and
// start helper processes, so the module is opened when the drawer first opens, never at start.
//
// Everything crosses the seam as Qt and standard types or as the abstract classes below that
// the module implements; the module calls nothing of ours.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace pravella::web {

// A download the page started. It stays valid until its `finished` call has returned.
class EngineDownload {
 public:
  virtual ~EngineDownload() = default;
  // A "save page" the sheet asked for (a web archive), not a file the page offered.
  virtual bool isSavePage() const = 0;
  virtual QString suggestedFileName() const = 0;
  // Where the file goes (known once accepted).
  virtual QString filePath() const = 0;
  virtual QUrl url() const = 0;
  // The expected length, 0 or less when the server gives none.
  virtual qint64 totalBytes() const = 0;
  virtual qint64 receivedBytes() const = 0;
  virtual bool completed() const = 0;
  virtual QString interruptReason() const = 0;
  // Starts the download into `folder`/`name` (a save page keeps the path it was given: both
  // empty); `progress` is told of every change of the lengths, `finished` once at the end.
  virtual void accept(const QString& folder, const QString& name, std::function<void()> progress,
                      std::function<void()> finished) = 0;
  // Refuses the download before it was accepted; nothing is written.
  virtual void cancel() = 0;
};

// What the view tells its owner, always on the GUI thread.
struct EngineEvents {
  std::function<void()> loadStarted;
  // A load ended: `ok` is false when it failed (a load stopped on purpose did not fail).
  std::function<void(bool ok, const QString& error)> loadFinished;
  // After loadFinished, when the load showed its page (not stopped, failed or turned into a
  // download).
  std::function<void()> pageShown;
  std::function<void(int percent)> loadProgress;
  std::function<void(const QString& title)> titleChanged;
  std::function<void(const QUrl& url)> urlChanged;
  std::function<void(const QString& url)> linkHovered;
  std::function<void(EngineDownload& download)> downloadRequested;
  // The page's own context menu, without its new-window items, before it pops up.
  std::function<void(QMenu* menu)> contextMenu;
};

// The bytes of a page as the engine received them (see EngineView::pageBytes).
struct PageBytes {
  // NotKept: the browser holds no copy of the page (its server forbade keeping it).
  enum class Outcome { Bytes, TooLarge, NotKept, Failed };
  Outcome outcome = Outcome::Failed;
  QByteArray bytes;
  QString error;  // why, when Failed
};

// A browser view with its own off-the-record profile: nothing of the browsing stays on disk.
class EngineView {
 public:
  virtual ~EngineView() = default;
  // The view's widget, a child of the parent it was made with.
  virtual QWidget* widget() const = 0;
  virtual void load(const QUrl& url) = 0;
  // Shows `html` as a page whose links and resources resolve against `baseUrl`.
  virtual void setHtml(const QString& html, const QUrl& baseUrl) = 0;
  virtual void stop() = 0;
  virtual void reload() = 0;
  virtual QUrl url() const = 0;
  virtual QUrl requestedUrl() const = 0;
  virtual QString selectedText() const = 0;
  // Finds the next (or previous) match; `done` gets the number of matches in the page.
  virtual void findText(const QString& text, bool backward, std::function<void(int matches)> done) = 0;
  virtual void setZoomFactor(double factor) = 0;
  virtual double zoomFactor() const = 0;
  // The encoding of pages that name none.
  virtual void setDefaultTextEncoding(const QString& name) = 0;
  // The engine's name of the encoding the shown page was decoded with ("Shift_JIS",
  // "windows-1252"); empty when it cannot be told.
  virtual void pageEncoding(std::function<void(const QString& name)> done) = 0;
  // Whether the page at `url` was had by a plain GET of the main frame, the only kind of page
  // that may be asked for again without doing again what brought it (a form's answer was not).
  virtual bool fetchedByGet(const QUrl& url) const = 0;
  // The bytes of the page at `url` (a page had by GET), as the engine keeps them in its cache
  // (with its own profile and cookies), never asked for again: a page the engine kept no copy
  // of is NotKept. More than `limit` bytes are not read. `done` is called once, unless a newer page is loaded
  // first.
  virtual void pageBytes(const QUrl& url, qint64 limit, std::function<void(const PageBytes&)> done) = 0;
  // Saves the shown page as one MHTML file; a download with isSavePage() reports it.
  virtual void savePage(const QString& path) = 0;
  // The page's new-window items, which the sheet never shows (it has one page).
  virtual QList<QAction*> newWindowActions() const = 0;
  // The page's own Back and Forward items, which the sheet puts its own in place of.
  virtual QList<QAction*> historyActions() const = 0;
  // The browser's history of this view: the entry on show, how many there are, an entry's
  // address, and a move to an entry.
  virtual int historyIndex() const = 0;
  virtual int historyCount() const = 0;
  virtual QUrl historyUrl(int index) const = 0;
  virtual void goToHistoryIndex(int index) = 0;
};

// Bumped whenever this table or the classes above change, so that a stale module is refused
// instead of called through the wrong layout.
inline constexpr int kWebEngineModuleVersion = 4;

struct WebEngineFunctions {
  int version = 0;
  // Font sizes 12 and the default encoding are set; `events` are called for the view's life.
  std::unique_ptr<EngineView> (*newView)(QWidget* parent, const QString& defaultEncoding,
                                         EngineEvents events) = nullptr;
};

// The module's table, loaded on first use; null when the module cannot be loaded, with the
// reason in `why`. GUI thread only.
const WebEngineFunctions* webEngineFunctions(QString* why = nullptr);

}  // namespace pravella::web
