#include "net/web/ui/cal_web_view.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <utility>

#include <sys/stat.h>

#include "diary/day_documents.h"
#include "diary/diary_globals.h"
#include "net/web/page_in_encoding.h"
#include "net/web/saved_pages.h"
#include "net/web/ui/cal_edit_book_mark.h"
#include "net/web/web_address.h"
#include "net/web/web_sheet_requests.h"
#include "net/web/web_sites.h"
#include "platform/atomic_file.h"
#include "platform/bounded_read.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/elided_label.h"
#include "platform/ui/selected_text.h"

CalWebView* CalWebView_X = nullptr;

using namespace pravella::web;

namespace {

// The pop-up's encodings after "Default": display name, character-set name, the name our
// decoder knows it by and the browser's name of what it reads a page with in that choice
// (it reads Latin 1 as its Windows superset).
struct Encoding {
  const char* title;
  const char* name;
  const char* decoderName;
  const char* browserName;
};
constexpr Encoding kEncodings[] = {
    {"Japanese (Shift JIS)", "Shift_JIS", "CP932", "Shift_JIS"},
    {"Japanese (EUC)", "EUC-JP", "EUC-JP", "EUC-JP"},
    {"Japanese (ISO 2022-JP)", "ISO-2022-JP", "ISO-2022-JP", "ISO-2022-JP"},
    {"Unicode (UTF-8)", "UTF-8", "UTF-8", "UTF-8"},
    {"Western (ISO Latin 1)", "ISO-8859-1", "ISO-8859-1", "windows-1252"},
    {"Western (Mac OS Roman)", "macintosh", "MACINTOSH", "macintosh"},
};

const Encoding* popupEncoding(int index) {
  return index > 0 && index <= int(std::size(kEncodings)) ? &kEncodings[index - 1] : nullptr;
}

// Pages whose bytes can be had to be shown in a chosen encoding (a saved archive cannot).
bool recodable(const QUrl& url) {
  const QString scheme = url.scheme();
  if (scheme == QLatin1String("file")) return !url.path().endsWith(QLatin1String(".mhtml"));
  return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}
constexpr const char* kDefaultEncoding = "Shift_JIS";
constexpr int kStatusMessageMs = 2000;
constexpr int kBarSteps = 1000;

// A server's name for a download, shortened as a memo's name is, with its extension kept, so
// that it fits the file system with room for the number that keeps it apart from a file
// already there ("name-2.ext") and for the ".crdownload" the browser writes it under first.
QString fittingDownloadName(const QString& suggested) {
  constexpr int kNumberRoom = 20;
  constexpr int kLongestExtension = 32;
  const QString name = QFileInfo(suggested).fileName();
  const int limit = pravella::kLongestFileName - kNumberRoom;
  if (name.toUtf8().size() <= limit) return name;
  const QString ext = pravella::fileExtension(name);
  if (ext.isEmpty() || ext.toUtf8().size() > kLongestExtension)
    return pravella::fitFileName(name, QString(), limit);
  return pravella::fitFileName(pravella::withoutExtension(name), QLatin1Char('.') + ext, limit);
}

// A path the browser was given to save to, as it may give it back (its folder's links resolved).
QString savePathKey(const QString& path) {
  const QFileInfo info(path);
  const QString folder = QFileInfo(info.path()).canonicalFilePath();
  return (folder.isEmpty() ? info.path() : folder) + QLatin1Char('/') + info.fileName();
}

QString preferencesFile(const char* name) {
  return QDir(pravella::paths::preferences()).filePath(QLatin1String(name));
}

}  // namespace

// --- controller ----------------------------------------------------------------------------

namespace {

// Where the page's own "Save page" puts a page: the user's Downloads folder, made by us with
// the usual mode when it is missing.
QString downloadsFolder() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  return folder.isEmpty() ? QDir::home().filePath(QStringLiteral("Downloads")) : folder;
}

// The engine makes the Downloads folder itself, private to the user, whenever it is missing as
// a page is saved: a folder it made for that (missing when the browser was made, or made just
// now), still empty, gets the mode any other new folder of the user gets.
void giveUsualModeToEnginesDownloads(bool missingAtStart) {
  constexpr time_t kJustNow = 60;  // seconds
  const QString folder = downloadsFolder();
  if (!QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) return;
  struct stat info {};
  if (::lstat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
      (info.st_mode & 07777) != 0700)
    return;
  if (!missingAtStart && std::abs(std::time(nullptr) - info.st_ctime) > kJustNow) return;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::chmod(QFile::encodeName(folder).constData(), 0777 & ~mask);
}

}  // namespace

CalWebView::CalWebView(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {}

CalWebView::~CalWebView() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  if (CalWebView_X == this) CalWebView_X = nullptr;
  // The browser goes before the drawer that holds it.
  engine_.reset();
  delete webNSDrawer_.data();
}

void CalWebView::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

void CalWebView::awakeFromNib() {
  readTranslateSite();
  buildDrawer();
  fillEncodingPopup();
  makeBookmarkMenu(bookmarkMenu_);
  makeBookmarkButtons();
  if (!QFileInfo::exists(CalEditBookMark::listPath())) {
    QDir().mkpath(pravella::paths::preferences());
    QTextDocument text;
    text.setPlainText(defaultSearchSiteText());
    pravella::writeRtfdFile(CalEditBookMark::listPath(), text);
  }
  setupWebSerchMenuItem();
  applyZoom(kStartScale);

  auto& center = pravella::NotificationCenter::defaultCenter();
  using pravella::Notification;
  center.addObserver(QLatin1String(pravella::kOpenWebViewSheet), this,
                     [this](Notification&) { openWebViewSheet(); });
  center.addObserver(QLatin1String(pravella::kOpenWebSheetAndConnectURL_Y), this,
                     [this](Notification& n) { openWebSheetAndConnectURL_Y(n.text); });
  center.addObserver(QLatin1String(pravella::kOpenWebSheetAndConnectURL_Wiki), this,
                     [this](Notification& n) { openWebSheetAndConnectURL_Wiki(n.text); });
  center.addObserver(QStringLiteral("openWebSheetAndConnectURL"), this,
                     [this](Notification& n) { connectURLString(n.text); });
  center.addObserver(QStringLiteral("openWebSheetAndConnectURL_X"), this,
                     [this](Notification& n) { openWebSheetAndConnectURL_X(n.text); });
  center.addObserver(QStringLiteral("changeWebSheetSize"), this,
                     [this](Notification&) { changeWebViewScale(); });
  CalWebView_X = this;
}

void CalWebView::readTranslateSite() {
  const QString path = preferencesFile("translateSite.txt");
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) {
    translateSite_ = QString::fromUtf8(file.readAll());
    return;
  }
  translateSite_ = defaultTranslateTemplate();
  if (!QFileInfo::exists(path)) {
    QDir().mkpath(pravella::paths::preferences());
    pravella::writeFileAtomically(path, translateSite_.toUtf8());
  }
}

void CalWebView::buildDrawer() {
  webNSDrawer_ = new QDockWidget(tr("Web"));
  webNSDrawer_->setObjectName(QStringLiteral("webNSDrawer"));
  auto* content = new QWidget(webNSDrawer_);
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(2, 2, 2, 2);

  auto* addressRow = new QHBoxLayout;
  stopReloadButton_ = new QToolButton(content);  // its icon comes with the browser
  connect(stopReloadButton_, &QToolButton::clicked, this, &CalWebView::StopReload);
  urlTextField_ = new QLineEdit(content);
  urlTextField_->setPlaceholderText(tr("Address or search words"));
  connect(urlTextField_, &QLineEdit::returnPressed, this, &CalWebView::openURLAction);
  addressRow->addWidget(stopReloadButton_);
  addressRow->addWidget(urlTextField_, 1);
  column->addLayout(addressRow);

  auto* marksRow = new QHBoxLayout;
  for (int tag = 0; tag < kBookmarkButtons; ++tag) {
    auto* button = new QPushButton(content);
    connect(button, &QPushButton::clicked, this, [this, tag] { webBookMarkAction(tag); });
    webBookMarkButtons_.push_back(button);
    marksRow->addWidget(button);
  }
  const auto menuButton = [&](const QString& title, QMenu*& menu) {
    auto* button = new QToolButton(content);
    button->setText(title);
    button->setPopupMode(QToolButton::InstantPopup);
    menu = new QMenu(button);
    button->setMenu(menu);
    marksRow->addWidget(button);
  };
  menuButton(tr("Bookmarks"), bookmarkMenu_);
  menuButton(tr("Search"), searchListMenu_);
  menuButton(tr("History"), historyMenu_);
  // The history menu's fixed items; history entries follow the separator (the second item).
  historyMenu_->addAction(QStringLiteral("clear"), this, &CalWebView::clearHistory);
  historyMenu_->addSeparator();
  column->addLayout(marksRow);

  browserPlace_ = new QVBoxLayout;
  browserPlace_->setContentsMargins(0, 0, 0, 0);
  column->addLayout(browserPlace_, 1);

  auto* findRow = new QHBoxLayout;
  searchText_ = new QLineEdit(content);
  searchText_->setPlaceholderText(tr("Find in page"));
  connect(searchText_, &QLineEdit::returnPressed, this, &CalWebView::goSearch);
  auto* back = new QToolButton(content);
  back->setArrowType(Qt::LeftArrow);
  connect(back, &QToolButton::clicked, this, &CalWebView::goSearchBack);
  auto* forward = new QToolButton(content);
  forward->setArrowType(Qt::RightArrow);
  connect(forward, &QToolButton::clicked, this, &CalWebView::goSearch);
  encodingPopup_ = new QComboBox(content);
  encodingPopup_->setFrame(false);
  findRow->addWidget(searchText_, 1);
  findRow->addWidget(back);
  findRow->addWidget(forward);
  findRow->addWidget(encodingPopup_);
  column->addLayout(findRow);

  auto* zoomRow = new QHBoxLayout;
  ZoomSlider_ = new QSlider(Qt::Horizontal, content);
  // The browser's whole range, so that the slider can show every zoom in force.
  ZoomSlider_->setRange(static_cast<int>(kSmallestZoom * 100), static_cast<int>(kLargestZoom * 100));
  connect(ZoomSlider_, &QSlider::valueChanged, this, &CalWebView::ZoomWebBrowserSheet);
  ZoomTextField_ = new QLineEdit(content);
  ZoomTextField_->setMaximumWidth(60);
  connect(ZoomTextField_, &QLineEdit::returnPressed, this, &CalWebView::ZoomWebBrowserSheetWithTextField);
  auto* translate = new QPushButton(tr("Translate"), content);
  connect(translate, &QPushButton::clicked, this, &CalWebView::honyakuJikkou);
  auto* archive = new QPushButton(tr("Webarchive"), content);
  connect(archive, &QPushButton::clicked, this, &CalWebView::saveAsWebarchiveAction);
  zoomRow->addWidget(ZoomSlider_, 1);
  zoomRow->addWidget(ZoomTextField_);
  zoomRow->addWidget(translate);
  zoomRow->addWidget(archive);
  column->addLayout(zoomRow);

  auto* statusRow = new QHBoxLayout;
  progressBar_ = new QProgressBar(content);
  progressBar_->setRange(0, kBarSteps);
  progressBar_->setValue(0);
  progressBar_->setTextVisible(false);
  progressBar_->setMaximumWidth(120);
  tempTextField_ = new pravella::ElidedLabel(content);
  tempTextField_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  statusRow->addWidget(progressBar_);
  statusRow->addWidget(tempTextField_, 1);
  column->addLayout(statusRow);

  webNSDrawer_->setWidget(content);
  connect(webNSDrawer_, &QDockWidget::topLevelChanged, this, &CalWebView::changeWebViewScale);
  connect(webNSDrawer_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) ensureBrowser();
  });
  if (host_.addSideView) host_.addSideView(webNSDrawer_);
  webNSDrawer_->hide();

  EditBookMarkX_ = new CalEditBookMark(
      host_.mainWindow, [this] { setupWebSerchMenuItem(); }, this);
}

bool CalWebView::ensureBrowser() {
  if (engine_) return true;
  // The style reads its icons from image files: not at start.
  if (stopReloadButton_->icon().isNull())
    stopReloadButton_->setIcon(stopReloadButton_->style()->standardIcon(QStyle::SP_BrowserReload));
  QString why;
  const pravella::web::WebEngineFunctions* engine = pravella::web::webEngineFunctions(&why);
  if (!engine) {
    showErrMessageToConsole(("The web drawer has no browser: " + why + "\n").toStdString());
    tempTextField_->setText(tr("No browser: %1").arg(why));
    return false;
  }
  downloadsMadeByEngine_ = !QFileInfo::exists(downloadsFolder());
  engine_ = engine->newView(webNSDrawer_->widget(),
                            textEncoding_.isEmpty() ? QLatin1String(kDefaultEncoding) : textEncoding_,
                            browserEvents());
  browserPlace_->addWidget(engine_->widget());
  engine_->setZoomFactor(viewZoomFactor(webScale_));
  return true;
}

pravella::web::EngineEvents CalWebView::browserEvents() {
  pravella::web::EngineEvents e;
  e.loadStarted = [this] { loadStarted(); };
  e.loadFinished = [this](bool ok, const QString& error) { loadFinished(ok, error); };
  e.pageShown = [this] {
    // A page opened while an encoding is chosen is shown in it too, or in its own, said so.
    const QUrl page = engine_->url();
    if (customEncoding_.isEmpty() || showingRecoded_ || !page.isValid() ||
        page.scheme() == QLatin1String("about"))
      return;
    showPageIn(page, encodingInForce_, 0);
  };
  e.loadProgress = [this](int percent) {
    const ResourceProgress p = resourceProgress(100, percent, 0);
    if (p.makeDeterminate) progressBar_->setRange(0, kBarSteps);
    if (progressBar_->maximum() > 0) progressBar_->setValue(static_cast<int>(p.value * kBarSteps));
  };
  e.titleChanged = [this](const QString& title) {
    webNSDrawer_->setWindowTitle(title);
    history_.titleReceived(pageAddress().toString(), title);
  };
  e.urlChanged = [this](const QUrl& url) {
    if (url.isEmpty() || url.scheme() == QLatin1String("about") || recodedLoad_ || recodePending_) return;
    history_.visited(url.toString(), QString(), QDateTime::currentDateTime());
    refreshHistoryMenu();
  };
  e.linkHovered = [this](const QString& url) { tempTextField_->setText(url); };
  e.downloadRequested = [this](pravella::web::EngineDownload& download) { downloadRequested(download); };
  e.contextMenu = [this](QMenu* menu) { buildContextMenu(menu); };
  return e;
}

void CalWebView::fillEncodingPopup() {
  encodingPopup_->clear();
  encodingPopup_->addItem(QStringLiteral("Default"), QString());
  for (const Encoding& e : kEncodings) encodingPopup_->addItem(QLatin1String(e.title), QLatin1String(e.name));
  connect(encodingPopup_, &QComboBox::activated, this, &CalWebView::changeEncoding);
}

void CalWebView::makeBookmarkButtons() {
  webBookMarkData_ = loadWebBookmarks(preferencesFile("webBookmark.plist"));
  for (int tag = 0; tag < kBookmarkButtons; ++tag) {
    const bool has = tag < static_cast<int>(webBookMarkData_.size());
    webBookMarkButtons_[tag]->setText(has ? webBookMarkData_[tag].name : QString());
    webBookMarkButtons_[tag]->setEnabled(has);
  }
}

QPushButton* CalWebView::webBookMarkButton(int tag) const {
  return tag >= 0 && tag < static_cast<int>(webBookMarkButtons_.size()) ? webBookMarkButtons_[tag] : nullptr;
}

bool CalWebView::isOpen() const { return webNSDrawer_ && webNSDrawer_->isVisible(); }

// --- opening -------------------------------------------------------------------------------

void CalWebView::openWebViewSheet() {
  if (isOpen() || SheetCanOpen.load() == 0) return;
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  webNSDrawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
  changeWebViewScale();
}

void CalWebView::closeWebViewSheet() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
}

void CalWebView::openWebSheetAndConnectURL_X(const QString& text) {
  if (isOpen() && text.isEmpty()) return closeWebViewSheet();
  if (!isOpen()) {
    openWebViewSheet();
    if (text.isEmpty()) return;
  }
  urlTextField_->setText(text);
  openURLAction();
}

void CalWebView::openWebSheetAndConnectURL_Wiki(const QString& word) {
  openWebSheetAndConnectURL_X(word.isEmpty() ? QString() : wikiUrl(word));
}

QString CalWebView::selectedTextOfFocusedView(bool* focused) const {
  auto* view = qobject_cast<QTextEdit*>(QApplication::focusWidget());
  *focused = view && host_.mainWindow && host_.mainWindow->isAncestorOf(view) &&
             !(webNSDrawer_ && webNSDrawer_->isAncestorOf(view));
  return *focused ? pravella::selectedPlainText(view) : QString();
}

void CalWebView::toggleWebViewSheet() {
  bool focused = false;
  const QString selected = selectedTextOfFocusedView(&focused);
  if (focused) return openWebSheetAndConnectURL_X(selected);
  if (isOpen()) return searchStringToURL();
  openWebViewSheet();
}

void CalWebView::toggleWebViewWithWikiSearchSheet() {
  bool focused = false;
  const QString selected = selectedTextOfFocusedView(&focused);
  if (focused) return openWebSheetAndConnectURL_Wiki(selected);
  if (isOpen()) {
    const QString pageSelection = engine_ ? engine_->selectedText() : QString();
    if (pageSelection.isEmpty()) return;
    QApplication::clipboard()->setText(pageSelection);
    urlTextField_->setText(wikiUrl(pageSelection));
    return openURLAction();
  }
  openWebViewSheet();
}

void CalWebView::searchStringToURL() {
  const QString pageSelection = engine_ ? engine_->selectedText() : QString();
  if (pageSelection.isEmpty()) return;
  QApplication::clipboard()->setText(pageSelection);
  urlTextField_->setText(pageSelection);
  openURLAction();
}

void CalWebView::GoogleSearchFromSubMemo() {
  if (host_.subMemoView) openWebSheetAndConnectURL_Y(pravella::selectedPlainText(host_.subMemoView));
}

void CalWebView::WikiSearchFromSubMemo() {
  if (host_.subMemoView) openWebSheetAndConnectURL_Wiki(pravella::selectedPlainText(host_.subMemoView));
}

void CalWebView::MemoSearchFromSubMemo() {
  if (!host_.subMemoView) return;
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("cal_toggleMonthListSheet"),
                                                     pravella::selectedPlainText(host_.subMemoView));
}

// --- loading -------------------------------------------------------------------------------

void CalWebView::openURLAction() {
  const QString text = urlTextField_->text();
  if (text.isEmpty()) return;
  const UrlFieldTarget target = urlFieldTarget(text);
  if (target.isSearch) searchText_->setText(text);
  connectURLString(target.address);
}

void CalWebView::connectURLString(const QString& text) {
  if (text.isEmpty()) return;
  const std::optional<QByteArray> escaped = escapeAddress(text);
  if (!escaped) {
    sound("Basso");
    showStatusBriefly(tr("The address is too long to load."));
    return;
  }
  QUrl url = QUrl::fromEncoded(*escaped);
  // Chromium tells saved pages by their extension and follows symbolic links to the real
  // name: an archive is shown through a copy with the extension it knows, in the work folder.
  if (url.isLocalFile() && url.path().endsWith(QLatin1String(".") + QLatin1String(kWebArchiveExtension))) {
    const QFileInfo archive(url.toLocalFile());
    QDir().mkpath(pravella::paths::vkData());
    const QString link =
        QDir(pravella::paths::vkData()).filePath(archive.completeBaseName() + QStringLiteral(".mhtml"));
    QFile::remove(link);
    if (QFile::copy(archive.absoluteFilePath(), link)) url = QUrl::fromLocalFile(link);
  }
  openWebViewSheet();
  if (!ensureBrowser()) {
    sound("Basso");
    return;
  }
  changeWebViewScale();
  progressBar_->setRange(0, 0);
  engine_->load(url);
}

void CalWebView::loadStarted() {
  // A page shown again in a chosen encoding keeps its own address.
  recodedLoad_ = std::exchange(recodePending_, false);
  if (!recodedLoad_) {
    showingRecoded_ = false;
    recodedBytes_.clear();
    ++recodeRequest_;  // an answer for the page before comes too late
    // A choice the page before did not get to is the new page's.
    if (const int chosen = choiceUnderWay_; chosen >= 0) setEncodingInForce(chosen);
  }
  urlTextField_->setText((recodedLoad_ ? recodedUrl_ : engine_->requestedUrl()).toString(QUrl::FullyEncoded));
  stopReloadButton_->setIcon(stopReloadButton_->style()->standardIcon(QStyle::SP_BrowserStop));
  srStat_ = 0;
  webNSDrawer_->setWindowTitle(QString());
}

void CalWebView::loadFinished(bool ok, const QString& error) {
  progressBar_->setRange(0, kBarSteps);
  progressBar_->setValue(0);
  stopReloadButton_->setIcon(stopReloadButton_->style()->standardIcon(QStyle::SP_BrowserReload));
  srStat_ = 1;
  const int at = engine_->historyIndex();
  const bool moved = std::exchange(historyMoveTo_, -1) == at;
  if (std::exchange(recodedLoad_, false)) {
    showingRecoded_ = true;
    urlTextField_->setText(recodedUrl_.toString(QUrl::FullyEncoded));
    // A page shown anew is an entry after which the browser dropped the ones that were there.
    if (!moved) recodedEntries_.erase(recodedEntries_.upper_bound(at), recodedEntries_.end());
    recodedEntries_[at] = {recodedUrl_, recodedBytes_, encodingInForce_};
  } else {
    if (!moved) recodedEntries_.erase(at);
    recodedEntries_.erase(recodedEntries_.lower_bound(engine_->historyCount()), recodedEntries_.end());
    if (engine_->url().isValid()) urlTextField_->setText(engine_->url().toString(QUrl::FullyEncoded));
    history_.loadFinished();
    refreshHistoryMenu();
  }
  if (ok) return;
  showErrMessageToConsole((error + QLatin1Char('\n')).toStdString());
  showStatusBriefly(error);
  sound("Basso");
}

void CalWebView::StopReload() {
  if (!engine_) return;
  if (srStat_ == 0) return engine_->stop();
  // The page comes again through the browser, and is shown in the chosen encoding once it is there.
  if (showingRecoded_) return engine_->load(recodedUrl_);
  engine_->reload();
}

// A page shown in a chosen encoding is an entry of the browser's history of its own, right
// after the page as it came: Back and Forward step over the page as it came, and go to the
// page as it was shown, in its encoding, from the bytes it came as (never asked for again).
QUrl CalWebView::historyPageUrl(int index) const {
  const auto it = recodedEntries_.find(index);
  return (it != recodedEntries_.end() ? it->second.url : engine_->historyUrl(index))
      .adjusted(QUrl::RemoveFragment);
}

bool CalWebView::stepsOver(int index) const {
  const auto next = recodedEntries_.find(index + 1);
  return next != recodedEntries_.end() &&
         historyPageUrl(index) == next->second.url.adjusted(QUrl::RemoveFragment);
}

int CalWebView::historyNeighbour(int step) const {
  if (!engine_) return -1;
  const int count = engine_->historyCount();
  for (int i = engine_->historyIndex() + step; i >= 0 && i < count; i += step)
    if (!stepsOver(i)) return i;
  return -1;
}

void CalWebView::goThroughHistory(int step) {
  const int to = historyNeighbour(step);
  if (to < 0) return sound("Basso");
  ++recodeRequest_;  // an answer for the page on show comes too late
  choiceUnderWay_ = -1;
  historyMoveTo_ = to;
  if (const auto it = recodedEntries_.find(to); it != recodedEntries_.end()) {
    setEncodingInForce(it->second.encoding);
    recodedUrl_ = it->second.url;
    recodedBytes_ = it->second.bytes;
    recodePending_ = true;
  }
  progressBar_->setRange(0, 0);
  engine_->goToHistoryIndex(to);
}

void CalWebView::showStatusBriefly(const QString& message) {
  // Overlapping messages put back the text from before the first of them.
  if (!statusTimerRunning_) statusBeforeMessage_ = tempTextField_->text();
  statusTimerRunning_ = true;
  const int generation = ++statusGeneration_;
  tempTextField_->setText(message);
  QTimer::singleShot(kStatusMessageMs, this, [this, generation] {
    if (generation != statusGeneration_) return;
    tempTextField_->setText(statusBeforeMessage_);
    statusTimerRunning_ = false;
  });
}

// --- find, encoding, zoom, translation -----------------------------------------------------

void CalWebView::goSearch() {
  if (!engine_) return sound("Basso");
  engine_->findText(searchText_->text(), false,
                    [this](int matches) { sound(matches > 0 ? "Pop" : "Basso"); });
}

void CalWebView::goSearchBack() {
  if (!engine_) return sound("Basso");
  engine_->findText(searchText_->text(), true, [this](int matches) { sound(matches > 0 ? "Pop" : "Basso"); });
}

QUrl CalWebView::pageAddress() const {
  if (!engine_) return {};
  return showingRecoded_ || recodedLoad_ || recodePending_ ? recodedUrl_ : engine_->url();
}

void CalWebView::setEncodingInForce(int index) {
  choiceUnderWay_ = -1;
  encodingInForce_ = index;
  const Encoding* e = popupEncoding(index);
  textEncoding_ = QLatin1String(e ? e->name : kDefaultEncoding);
  customEncoding_ = e ? QByteArray(e->decoderName) : QByteArray();
  encodingPopup_->setCurrentIndex(index);
  if (engine_) engine_->setDefaultTextEncoding(textEncoding_);
}

void CalWebView::changeEncoding(int index) {
  const int before = encodingInForce_;
  const QUrl page = pageAddress();
  const bool pageOnShow = srStat_ == 1 || recodedLoad_ || recodePending_;
  // With no page on show, the choice holds for the next one, shown in it when it comes.
  if (!engine_ || !pageOnShow || page.isEmpty() || !page.isValid() || index == before)
    return setEncodingInForce(index);
  if (index == 0) return showInOwnEncoding(page, before);
  showPageIn(page, index, before);
}

void CalWebView::showInOwnEncoding(const QUrl& page, int fallback) {
  ++recodeRequest_;
  // The browser reads the page again as it declares itself. A form's answer cannot be had
  // again without sending the form again: it stays as it is.
  const bool recoded = showingRecoded_ || recodedLoad_ || recodePending_;
  if (!recoded && !page.isLocalFile() && !engine_->fetchedByGet(page))
    return refuseEncoding(fallback, tr("This page is the answer to a form: it is kept as it came, since it "
                                       "cannot be read in another encoding without sending the form again."));
  setEncodingInForce(0);
  engine_->load(page);
}

void CalWebView::showPageIn(const QUrl& page, int index, int fallback) {
  const int ask = ++recodeRequest_;
  choiceUnderWay_ = index;
  // The page on show in a chosen encoding is shown in another from the bytes it came from.
  if ((showingRecoded_ || recodedLoad_ || recodePending_) && page == recodedUrl_ && !recodedBytes_.isEmpty())
    return showBytesIn(page, recodedBytes_, index, fallback);
  const QString browserName = QLatin1String(popupEncoding(index) ? popupEncoding(index)->browserName : "");
  engine_->pageEncoding([this, page, index, fallback, ask, browserName](const QString& shownIn) {
    if (!engine_ || ask != recodeRequest_) return;
    // A page that names no encoding, read by the browser with the chosen one, needs nothing.
    if (!browserName.isEmpty() && shownIn.compare(browserName, Qt::CaseInsensitive) == 0)
      return setEncodingInForce(index);
    showPageBytesIn(page, index, fallback, ask);
  });
}

void CalWebView::showPageBytesIn(const QUrl& page, int index, int fallback, int ask) {
  if (!recodable(page)) return refuseEncoding(fallback, tr("This page cannot be shown in another encoding."));
  if (page.isLocalFile()) {
    const pravella::BoundedRead read = pravella::readRegularFile(page.toLocalFile(), kLargestRecodedPage);
    if (!read)
      return refuseEncoding(
          fallback, read.refusal == pravella::ReadRefusal::TooLarge ? tooLargeToRecode() : read.error);
    return showBytesIn(page, read.data, index, fallback);
  }
  // Asking the server again would send a form again, or bring another resource in its place.
  if (!engine_->fetchedByGet(page))
    return refuseEncoding(fallback, tr("This page is the answer to a form: it is kept as it came, since it "
                                       "cannot be read in another encoding without sending the form again."));
  engine_->pageBytes(page, kLargestRecodedPage, [this, page, index, fallback, ask](const PageBytes& got) {
    if (!engine_ || ask != recodeRequest_) return;
    switch (got.outcome) {
      case PageBytes::Outcome::Bytes:
        return showBytesIn(page, got.bytes, index, fallback);
      case PageBytes::Outcome::TooLarge:
        return refuseEncoding(fallback, tooLargeToRecode());
      case PageBytes::Outcome::NotKept:
        return refuseEncoding(fallback, tr("The page is kept as it came: its server forbade keeping a copy, "
                                           "and asking for it again could bring another page."));
      case PageBytes::Outcome::Failed:
        return refuseEncoding(fallback,
                              tr("The page cannot be shown in another encoding: %1").arg(got.error));
    }
  });
}

void CalWebView::showBytesIn(const QUrl& page, const QByteArray& bytes, int index, int fallback) {
  const Encoding* e = popupEncoding(index);
  const RecodedPage recoded = recodedPage(bytes, e ? QByteArray(e->decoderName) : QByteArray());
  if (!recoded.refusal.isEmpty()) return refuseEncoding(fallback, recoded.refusal);
  setEncodingInForce(index);
  recodedUrl_ = page;
  recodedBytes_ = bytes;
  recodePending_ = true;
  progressBar_->setRange(0, 0);
  engine_->setHtml(recoded.html, page);
}

void CalWebView::refuseEncoding(int fallback, const QString& why) {
  // The pop-up goes back to the encoding the page is shown in, and the status line keeps the
  // reason (a brief message still running does not put its old text back over it).
  setEncodingInForce(fallback);
  showErrMessageToConsole((why + QLatin1Char('\n')).toStdString());
  ++statusGeneration_;
  statusTimerRunning_ = false;
  tempTextField_->setText(why);
  sound("Basso");
}

void CalWebView::applyZoom(double scale) {
  // The browser zooms only so far either way: the field shows the zoom in force.
  webScale_ = viewZoomFactor(scale);
  if (engine_) engine_->setZoomFactor(webScale_);
  const QSignalBlocker block(ZoomSlider_);
  ZoomSlider_->setValue(static_cast<int>(webScale_ * 100 + 0.5));
  ZoomTextField_->setText(zoomInForceText());
}

QString CalWebView::zoomInForceText() const { return QString::number(webScale_ * 100, 'g', 6); }

void CalWebView::ZoomWebBrowserSheet(int percent) { applyZoom(percent / 100.0); }

void CalWebView::ZoomWebBrowserSheetWithTextField() {
  const std::optional<double> percent = zoomPercentFromText(ZoomTextField_->text());
  if (!percent) {
    ZoomTextField_->setText(zoomInForceText());
    return;
  }
  applyZoom(*percent / 100.0);
}

void CalWebView::changeWebViewScale() {
  if (engine_) engine_->setZoomFactor(viewZoomFactor(webScale_));
}

void CalWebView::honyakuJikkou() { connectURLString(translateUrl(translateSite_, urlTextField_->text())); }

void CalWebView::openPravellaPage() { connectURLString(QLatin1String(kProductPage)); }

// --- archives and downloads ----------------------------------------------------------------

void CalWebView::saveAsWebarchiveAction() {
  if (!engine_) return sound("Basso");  // no page was ever shown
  const QDate day = host_.selectedDay ? host_.selectedDay() : QDate::currentDate();
  const QString folder = pravella::paths::dayFolder(day.year(), day.month(), day.day());
  QDir().mkpath(folder);
  const QString path = pravella::dialogs::chooseSaveFile(host_.mainWindow, tr("Export webarchive"), folder,
                                                         webArchiveName(webNSDrawer_->windowTitle()));
  if (path.isEmpty()) {
    sound("Basso");
    return;
  }
  saveWebArchiveTo(path);
}

void CalWebView::saveWebArchiveTo(const QString& chosen) {
  QString path = chosen;
  if (QFileInfo(path).suffix() != QLatin1String(kWebArchiveExtension))
    path += QLatin1Char('.') + QLatin1String(kWebArchiveExtension);
  // The browser writes into a work folder of its own; the archive takes the chosen name from there.
  const QString work = newPageSaveFolder();
  if (work.isEmpty())
    return pageSaveEnded(false, tr("The page could not be saved: no work folder could be made."));
  const QString saved = QDir(work).filePath(QStringLiteral("page.mhtml"));
  exportsUnderWay_.insert(savePathKey(saved), path);
  engine_->savePage(saved);
}

void CalWebView::pageSaveEnded(bool ok, const QString& status) {
  if (ok && host_.showDiaryFiles) host_.showDiaryFiles();
  tempTextField_->setText(status);
  if (!ok) showErrMessageToConsole((status + QLatin1Char('\n')).toStdString());
  sound(ok ? "Tink" : "Basso");
  emit archiveSaved(ok);
}

void CalWebView::downloadRequested(pravella::web::EngineDownload& download) {
  if (download.isSavePage()) {
    // An export goes to the file the user chose, replacing it; the page's own "Save page" to
    // the Downloads folder, beside what is there under a free name. Either is written
    // by the browser into a work folder first, and placed from there.
    const QString picked = download.filePath();
    const QString chosen = exportsUnderWay_.take(savePathKey(picked));
    QString work = QFileInfo(picked).path();
    if (chosen.isEmpty()) {
      work = newPageSaveFolder();
      if (work.isEmpty()) {
        download.cancel();
        return pageSaveEnded(false, tr("The page could not be saved: no work folder could be made."));
      }
    }
    const QString name = QFileInfo(picked).fileName();
    if (chosen.isEmpty()) giveUsualModeToEnginesDownloads(std::exchange(downloadsMadeByEngine_, false));
    download.accept(
        chosen.isEmpty() ? work : QString(), chosen.isEmpty() ? name : QString(), {},
        [this, d = &download, work, picked, chosen, name] {
          const QString saved = d->filePath();
          pravella::WriteResult placed(false, d->interruptReason().isEmpty()
                                                  ? tr("the browser did not finish it.")
                                                  : d->interruptReason());
          QString path = chosen;
          if (d->completed())
            placed = chosen.isEmpty() ? placeSavedPageFree(saved, downloadsFolder(), name, &path)
                                      : placeSavedPage(saved, chosen);
          QDir(work).removeRecursively();
          if (path.isEmpty()) path = chosen.isEmpty() ? downloadsFolder() + QLatin1Char('/') + name : picked;
          // The page's own "Save page" picks the folder itself: the user learns where it went.
          pageSaveEnded(placed.ok, placed.ok
                                       ? tr("The page was saved as %1").arg(path)
                                       : tr("The page could not be saved as %1: %2").arg(path, placed.error));
        });
    return;
  }
  const QString desktop = pravella::paths::desktop();
  QDir().mkpath(desktop);
  lastDownloadPath_ = freeDownloadPath(desktop, fittingDownloadName(download.suggestedFileName()));
  lExLength_ = download.totalBytes() > 0 ? download.totalBytes() : -1;
  progressBar_->setRange(0, lExLength_ > 0 ? kBarSteps : 0);
  progressBar_->setValue(0);
  // The browser tries a download that was cut off again by itself, as a new download of the
  // same address: the start sound is the user's click, heard once.
  if (!downloadsUnderWay_.contains(download.url())) sound("Tink");
  downloadsUnderWay_.insert(download.url());
  const auto progress = [this, d = &download] {
    lExLength_ = d->totalBytes() > 0 ? d->totalBytes() : -1;
    if (lExLength_ <= 0) return;
    progressBar_->setRange(0, kBarSteps);
    progressBar_->setValue(static_cast<int>(double(d->receivedBytes()) / lExLength_ * kBarSteps));
  };
  const auto finished = [this, d = &download] {
    progressBar_->setRange(0, kBarSteps);
    progressBar_->setValue(0);
    downloadsUnderWay_.remove(d->url());
    if (d->completed()) {
      showErrMessageToConsole("downloadDidFinish\n");
      sound("Purr");
      emit downloadFinished(true);
      return;
    }
    QString reason = d->interruptReason();
    if (reason.isEmpty()) reason = tr("The download was cancelled.");
    showStatusBriefly(reason);
    showErrMessageToConsole(
        QStringLiteral("Download failed! Error - %1 %2\n").arg(reason, d->url().toString()).toStdString());
    sound("Basso");
    emit downloadFinished(false);
  };
  download.accept(desktop, QFileInfo(lastDownloadPath_).fileName(), progress, finished);
}

// --- menus ---------------------------------------------------------------------------------

void CalWebView::webBookMarkAction(int tag) {
  if (tag >= 0 && tag < static_cast<int>(webBookMarkData_.size()))
    connectURLString(webBookMarkData_[tag].url);
}

namespace {

void addBrowserBookmarks(CalWebView* controller, QMenu* menu, const std::vector<BrowserBookmark>& nodes) {
  for (const BrowserBookmark& node : nodes) {
    if (node.folder) {
      addBrowserBookmarks(controller, menu->addMenu(node.title), node.children);
      continue;
    }
    const QString url = node.url;
    menu->addAction(node.title, controller, [controller, url] { controller->connectURLString(url); });
  }
}

}  // namespace

void CalWebView::makeBookmarkMenu(QMenu* menu) {
  const QString path =
      QDir(pravella::paths::applicationSupport()).filePath(QStringLiteral("Bookmarks.plist"));
  addBrowserBookmarks(this, menu, readBrowserBookmarks(path));
}

void CalWebView::addSearchSiteItems(QMenu* menu, const QString& plainText) {
  for (const SearchSiteItem& item : searchSiteMenu(plainText)) {
    switch (item.kind) {
      case SearchSiteItem::Kind::EditBookmark:
        menu->addAction(item.text, EditBookMarkX_, &CalEditBookMark::openBookMarkEditor);
        break;
      case SearchSiteItem::Kind::Separator:
        menu->addSeparator();
        break;
      case SearchSiteItem::Kind::Entry: {
        const QString line = item.text;
        menu->addAction(line, this, [this, line] { searchListSelected(line); });
        break;
      }
    }
  }
}

void CalWebView::setupWebSerchMenuItem() {
  const QString path = CalEditBookMark::listPath();
  if (!QFileInfo::exists(path)) return;
  bool ok = false;
  const QString text = pravella::plainTextOfRichTextFile(path, &ok);
  if (!ok) return;
  searchListMenu_->clear();
  addSearchSiteItems(searchListMenu_, text);
}

void CalWebView::searchListSelected(const QString& line) {
  urlTextField_->setText(line);
  openURLAction();
  setupWebSerchMenuItem();
}

void CalWebView::refreshHistoryMenu() {
  const QList<QAction*> actions = historyMenu_->actions();
  for (qsizetype i = actions.size() - 1; i >= 2; --i) {
    historyMenu_->removeAction(actions[i]);
    delete actions[i];
  }
  for (const WebHistoryMenu::Entry& e : history_.entries()) {
    const QString url = e.url;
    historyMenu_->addAction(e.menuTitle, this, [this, url] { goToHistroyItem(url); });
  }
}

void CalWebView::goToHistroyItem(const QString& url) {
  urlTextField_->setText(url);
  connectURLString(url);
}

void CalWebView::clearHistory() {
  history_.clear();
  refreshHistoryMenu();
}

void CalWebView::buildContextMenu(QMenu* menu) {
  if (engine_) {
    for (QAction* a : engine_->newWindowActions()) menu->removeAction(a);
    // The browser's own Back and Forward would step onto a page as it came, which is shown
    // again in the chosen encoding at once: ours go through the pages as they were shown.
    QAction* first = menu->actions().value(0);
    auto* back = new QAction(tr("Back"), menu);
    back->setEnabled(historyNeighbour(-1) >= 0);
    connect(back, &QAction::triggered, this, [this] { goThroughHistory(-1); });
    auto* forward = new QAction(tr("Forward"), menu);
    forward->setEnabled(historyNeighbour(1) >= 0);
    connect(forward, &QAction::triggered, this, [this] { goThroughHistory(1); });
    menu->insertActions(first, {back, forward});
    for (QAction* a : engine_->historyActions()) menu->removeAction(a);
  }
  menu->addSeparator();
  if (!searchText_->text().isEmpty()) {
    menu->addAction(QStringLiteral("search forward"), this, &CalWebView::goSearch);
    menu->addAction(QStringLiteral("search backward"), this, &CalWebView::goSearchBack);
    menu->addSeparator();
  }
  makeBookmarkMenu(menu->addMenu(QStringLiteral("SafariBookmark")));
  bool ok = false;
  const QString sites = QFileInfo::exists(CalEditBookMark::listPath())
                            ? pravella::plainTextOfRichTextFile(CalEditBookMark::listPath(), &ok)
                            : QString();
  if (ok) addSearchSiteItems(menu->addMenu(QStringLiteral("BookMark(Google)")), sites);
  QMenu* history = menu->addMenu(QStringLiteral("History"));
  history->addAction(QStringLiteral("clear"), this, &CalWebView::clearHistory);
  history->addSeparator();
  for (const WebHistoryMenu::Entry& e : history_.contextEntries()) {
    const QString url = e.url;
    history->addAction(e.title, this, [this, url] { goToHistroyItem(url); });
  }
  menu->addSeparator();
  menu->addAction(QStringLiteral("TextLarger"), this, [this] { applyZoom(webScale_ * 1.2); });
  menu->addAction(QStringLiteral("TextSmaller"), this, [this] { applyZoom(webScale_ / 1.2); });
  menu->addSeparator();
  menu->addAction(QStringLiteral("Save Webarchive"), this, &CalWebView::saveAsWebarchiveAction);
}
