// The browser behind the web drawer's seam: a QWebEngineView on a page of its own, with an
// off-the-record profile.

#include "net/web/ui/engine/web_engine_view.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QMutex>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFindTextResult>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <memory>

namespace pravella::web {

namespace {

constexpr int kAborted = -3;  // the engine's code of a load given up on purpose
constexpr int kFontSize = 12;

// How the main frame had each page: a page had by anything but a plain GET (a form's answer)
// is never asked for again behind the user's back, as that would send the form again.
class MainFrameRequests final : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame) return;
    const QMutexLocker lock(&mutex_);
    // Only the pages of this run's last few hundred navigations can still be on show.
    if (byGet_.size() > kRemembered) byGet_.clear();
    byGet_.insert(key(info.requestUrl()), info.requestMethod() == "GET");
  }

  // A page whose request was never seen (a redirect the engine followed by itself) counts as
  // not had by GET.
  bool fetchedByGet(const QUrl& url) const {
    const QMutexLocker lock(&mutex_);
    return byGet_.value(key(url), false);
  }

 private:
  static constexpr int kRemembered = 500;
  static QUrl key(const QUrl& url) { return url.adjusted(QUrl::RemoveFragment); }
  mutable QMutex mutex_;
  QHash<QUrl, bool> byGet_;
};

// Reads a page's bytes in the page's own context, so that the engine's cache, profile and
// cookies serve it: from the cache whatever its age, never asked for again (a page the server
// forbade keeping would come as another answer than the one on show, or not at all). The answer is left
// in the script world of the application (never the page's) under `key`, for the view to
// collect: the engine hands back no promise's result.
constexpr const char* kReadPageBytes = R"JS(
(function (address, limit, key) {
  window[key] = null;
  const finish = (answer) => { window[key] = answer; };
  fetch(address, {cache: 'only-if-cached', mode: 'same-origin', credentials: 'include'})
    .then(async (response) => {
      if (Number(response.headers.get('content-length')) > limit) return finish({tooLarge: true});
      const parts = [];
      if (response.body) {
        const reader = response.body.getReader();
        let size = 0;
        for (;;) {
          const {done, value} = await reader.read();
          if (done) break;
          size += value.length;
          if (size > limit) {
            reader.cancel();
            return finish({tooLarge: true});
          }
          parts.push(value);
        }
      }
      let binary = '';
      for (const part of parts)
        for (let i = 0; i < part.length; i += 0x8000)
          binary += String.fromCharCode.apply(null, part.subarray(i, i + 0x8000));
      finish({bytes: btoa(binary)});
    })
    .catch(() => finish({notKept: true}));
})
)JS";

// Takes the answer of kReadPageBytes once it is there (null before).
constexpr const char* kCollectPageBytes = R"JS(
(function (key) {
  const answer = window[key];
  if (answer) delete window[key];
  return answer || null;
})
)JS";

constexpr int kCollectEveryMs = 20;
constexpr int kLongestPageReadMs = 120000;

QString scriptCall(const char* function, const QJsonArray& arguments) {
  const QByteArray list = QJsonDocument(arguments).toJson(QJsonDocument::Compact);
  return QLatin1String(function).trimmed() + QStringLiteral(".apply(null, ") + QString::fromUtf8(list) +
         QLatin1Char(')');
}

// Alt held on a link click downloads the target; new windows open in this page.
class Page : public QWebEnginePage {
 public:
  Page(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    if (type == NavigationTypeLinkClicked && (QApplication::keyboardModifiers() & Qt::AltModifier)) {
      download(url);
      return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
  }
  QWebEnginePage* createWindow(WebWindowType) override { return this; }
};

// The view: its context menu is the drawer's.
class View : public QWebEngineView {
 public:
  View(const EngineEvents* events, QWidget* parent) : QWebEngineView(parent), events_(events) {}

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override {
    QMenu* menu = createStandardContextMenu();
    if (!menu) menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (events_->contextMenu) events_->contextMenu(menu);
    menu->popup(event->globalPos());
  }

 private:
  const EngineEvents* events_;
};

// Lives as long as its request (the profile's child).
class Download final : public EngineDownload {
 public:
  explicit Download(QWebEngineDownloadRequest* request) : request_(request) {}

  bool isSavePage() const override { return request_->isSavePageDownload(); }
  QString suggestedFileName() const override { return request_->suggestedFileName(); }
  QString filePath() const override {
    return request_->downloadDirectory() + QLatin1Char('/') + request_->downloadFileName();
  }
  QUrl url() const override { return request_->url(); }
  qint64 totalBytes() const override { return request_->totalBytes(); }
  qint64 receivedBytes() const override { return request_->receivedBytes(); }
  bool completed() const override {
    return request_->state() == QWebEngineDownloadRequest::DownloadCompleted;
  }
  QString interruptReason() const override {
    return reason_.isEmpty() ? request_->interruptReasonString() : reason_;
  }

  void accept(const QString& folder, const QString& name, std::function<void()> progress,
              std::function<void()> finished) override {
    if (!folder.isEmpty()) request_->setDownloadDirectory(folder);
    if (!name.isEmpty()) request_->setDownloadFileName(name);
    if (progress) {
      QObject::connect(request_, &QWebEngineDownloadRequest::totalBytesChanged, request_, progress);
      QObject::connect(request_, &QWebEngineDownloadRequest::receivedBytesChanged, request_, progress);
    }
    // The browser keeps an interrupted download (a response cut off, a file it cannot create)
    // waiting to be resumed and never calls it finished: it ends here, once, as a failure.
    const auto end = [this, finished = std::move(finished)] {
      const QWebEngineDownloadRequest::DownloadState state = request_->state();
      if (ended_ || state == QWebEngineDownloadRequest::DownloadRequested ||
          state == QWebEngineDownloadRequest::DownloadInProgress)
        return;
      ended_ = true;
      if (state != QWebEngineDownloadRequest::DownloadCompleted) reason_ = networkReason();
      if (state == QWebEngineDownloadRequest::DownloadInterrupted) request_->cancel();
      if (finished) finished();
    };
    QObject::connect(request_, &QWebEngineDownloadRequest::stateChanged, request_, end);
    QObject::connect(request_, &QWebEngineDownloadRequest::isFinishedChanged, request_, end);
    request_->accept();
  }

  void cancel() override { request_->cancel(); }

 private:
  // Why the download ended unfinished. The browser names a response that the server cut short
  // (its content-length mismatch, a reason the engine's own table lacks) "canceled by the
  // user", and this view never cancels a download it accepted: both are said as what they are.
  QString networkReason() const {
    constexpr int kContentLengthMismatch = 38;
    const int reason = int(request_->interruptReason());
    if (reason != kContentLengthMismatch && reason != QWebEngineDownloadRequest::UserCanceled) {
      // The engine's text of a reason its own list lacks reads past that list's end.
      if (!knownReason(reason)) return QObject::tr("The download was interrupted (reason %1).").arg(reason);
      return request_->interruptReasonString();
    }
    const qint64 received = request_->receivedBytes(), total = request_->totalBytes();
    if (total > 0 && received < total)
      return QObject::tr("The server ended the download after %1 of %2 bytes.").arg(received).arg(total);
    return QObject::tr("The server ended the download before it was complete.");
  }

  static bool knownReason(int reason) {
    using R = QWebEngineDownloadRequest;
    switch (R::DownloadInterruptReason(reason)) {
      case R::NoReason:
      case R::FileFailed:
      case R::FileAccessDenied:
      case R::FileNoSpace:
      case R::FileNameTooLong:
      case R::FileTooLarge:
      case R::FileVirusInfected:
      case R::FileTransientError:
      case R::FileBlocked:
      case R::FileSecurityCheckFailed:
      case R::FileTooShort:
      case R::FileHashMismatch:
      case R::NetworkFailed:
      case R::NetworkTimeout:
      case R::NetworkDisconnected:
      case R::NetworkServerDown:
      case R::NetworkInvalidRequest:
      case R::ServerFailed:
      case R::ServerBadContent:
      case R::ServerUnauthorized:
      case R::ServerCertProblem:
      case R::ServerForbidden:
      case R::ServerUnreachable:
      case R::UserCanceled:
        return true;
      default:
        return false;
    }
  }

  QWebEngineDownloadRequest* request_;
  bool ended_ = false;
  QString reason_;  // why it was interrupted, kept from before the cancel
};

class Browser final : public EngineView {
 public:
  Browser(QWidget* parent, const QString& defaultEncoding, EngineEvents events) : events_(std::move(events)) {
    profile_ = new QWebEngineProfile;  // no storage name: off the record
    QObject::connect(profile_, &QWebEngineProfile::downloadRequested, profile_,
                     [this](QWebEngineDownloadRequest* request) {
                       auto* download = new Download(request);
                       QObject::connect(request, &QObject::destroyed, [download] { delete download; });
                       if (events_.downloadRequested) events_.downloadRequested(*download);
                     });
    view_ = new View(&events_, parent);
    page_ = new Page(profile_, view_);
    requests_ = new MainFrameRequests(page_);
    page_->setUrlRequestInterceptor(requests_);
    view_->setPage(page_);
    QWebEngineSettings* settings = page_->settings();
    settings->setFontSize(QWebEngineSettings::DefaultFontSize, kFontSize);
    settings->setFontSize(QWebEngineSettings::DefaultFixedFontSize, kFontSize);
    settings->setDefaultTextEncoding(defaultEncoding);

    QObject::connect(page_, &QWebEnginePage::loadingChanged, page_,
                     [this](const QWebEngineLoadingInfo& info) {
                       switch (info.status()) {
                         case QWebEngineLoadingInfo::LoadStartedStatus:
                           ++loadGeneration_;  // a page's bytes still being read are given up
                           if (events_.loadStarted) events_.loadStarted();
                           break;
                         case QWebEngineLoadingInfo::LoadSucceededStatus:
                           if (events_.loadFinished) events_.loadFinished(true, {});
                           if (events_.pageShown) events_.pageShown();
                           break;
                         case QWebEngineLoadingInfo::LoadStoppedStatus:
                           if (events_.loadFinished) events_.loadFinished(true, {});
                           break;
                         case QWebEngineLoadingInfo::LoadFailedStatus:
                           // An aborted load (stopped, or turned into a download) is no failure to report.
                           if (events_.loadFinished)
                             events_.loadFinished(info.errorCode() == kAborted, info.errorString());
                           break;
                       }
                     });
    QObject::connect(page_, &QWebEnginePage::loadProgress, page_, [this](int percent) {
      if (events_.loadProgress) events_.loadProgress(percent);
    });
    QObject::connect(page_, &QWebEnginePage::titleChanged, page_, [this](const QString& title) {
      if (events_.titleChanged) events_.titleChanged(title);
    });
    QObject::connect(page_, &QWebEnginePage::urlChanged, page_, [this](const QUrl& url) {
      if (events_.urlChanged) events_.urlChanged(url);
    });
    QObject::connect(page_, &QWebEnginePage::linkHovered, page_, [this](const QString& url) {
      if (events_.linkHovered) events_.linkHovered(url);
    });
  }

  ~Browser() override {
    *alive_ = false;
    // The page must go before its profile (the view takes its page with it).
    delete view_.data();
    delete profile_;
  }

  QWidget* widget() const override { return view_; }
  void load(const QUrl& url) override { view_->load(url); }
  void setHtml(const QString& html, const QUrl& baseUrl) override { page_->setHtml(html, baseUrl); }
  void stop() override { page_->triggerAction(QWebEnginePage::Stop); }
  void reload() override { page_->triggerAction(QWebEnginePage::Reload); }
  QUrl url() const override { return page_->url(); }
  QUrl requestedUrl() const override { return page_->requestedUrl(); }
  QString selectedText() const override { return view_->selectedText(); }

  void findText(const QString& text, bool backward, std::function<void(int)> done) override {
    page_->findText(text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags(),
                    [done = std::move(done)](const QWebEngineFindTextResult& result) {
                      if (done) done(result.numberOfMatches());
                    });
  }

  void setZoomFactor(double factor) override { view_->setZoomFactor(factor); }
  double zoomFactor() const override { return view_->zoomFactor(); }
  void setDefaultTextEncoding(const QString& name) override {
    page_->settings()->setDefaultTextEncoding(name);
  }
  void pageEncoding(std::function<void(const QString&)> done) override {
    page_->runJavaScript(QStringLiteral("document.characterSet"), QWebEngineScript::ApplicationWorld,
                         [alive = alive_, done = std::move(done)](const QVariant& name) {
                           if (*alive && done) done(name.toString());
                         });
  }

  bool fetchedByGet(const QUrl& url) const override { return requests_->fetchedByGet(url); }

  void pageBytes(const QUrl& url, qint64 limit, std::function<void(const PageBytes&)> done) override {
    const QString key = QStringLiteral("pravellaPageBytes%1").arg(QRandomGenerator::global()->generate64());
    page_->runJavaScript(scriptCall(kReadPageBytes, {url.toString(QUrl::FullyEncoded), double(limit), key}),
                         QWebEngineScript::ApplicationWorld);
    auto* poll = new QTimer(page_);
    poll->setInterval(kCollectEveryMs);
    const int generation = loadGeneration_;
    auto waited = std::make_shared<int>(0);
    auto asking = std::make_shared<bool>(false);
    QObject::connect(poll, &QTimer::timeout, poll, [=, this] {
      if (generation != loadGeneration_) return poll->deleteLater();
      if (*asking) return;
      if ((*waited += kCollectEveryMs) > kLongestPageReadMs) {
        poll->deleteLater();
        PageBytes answer;
        answer.error = QObject::tr("The browser gave no answer for the page.");
        return done(answer);
      }
      *asking = true;
      page_->runJavaScript(
          scriptCall(kCollectPageBytes, {key}), QWebEngineScript::ApplicationWorld,
          [=, this, alive = alive_](const QVariant& value) {
            if (!*alive) return;
            *asking = false;
            const QVariantMap answer = value.toMap();
            if (answer.isEmpty() || generation != loadGeneration_) return;
            poll->deleteLater();
            PageBytes bytes;
            if (answer.contains(QStringLiteral("bytes"))) {
              bytes.outcome = PageBytes::Outcome::Bytes;
              bytes.bytes = QByteArray::fromBase64(answer.value(QStringLiteral("bytes")).toByteArray());
            } else if (answer.value(QStringLiteral("tooLarge")).toBool()) {
              bytes.outcome = PageBytes::Outcome::TooLarge;
            } else if (answer.value(QStringLiteral("notKept")).toBool()) {
              bytes.outcome = PageBytes::Outcome::NotKept;
            } else {
              bytes.error = answer.value(QStringLiteral("error")).toString();
            }
            done(bytes);
          });
    });
    poll->start();
  }

  void savePage(const QString& path) override {
    page_->save(path, QWebEngineDownloadRequest::MimeHtmlSaveFormat);
  }

  QList<QAction*> newWindowActions() const override {
    return {page_->action(QWebEnginePage::OpenLinkInNewWindow),
            page_->action(QWebEnginePage::OpenLinkInNewTab),
            page_->action(QWebEnginePage::OpenLinkInNewBackgroundTab)};
  }

  QList<QAction*> historyActions() const override {
    return {page_->action(QWebEnginePage::Back), page_->action(QWebEnginePage::Forward)};
  }
  int historyIndex() const override { return page_->history()->currentItemIndex(); }
  int historyCount() const override { return page_->history()->count(); }
  QUrl historyUrl(int index) const override { return page_->history()->itemAt(index).url(); }
  void goToHistoryIndex(int index) override {
    QWebEngineHistory* history = page_->history();
    if (index >= 0 && index < history->count()) history->goToItem(history->itemAt(index));
  }

 private:
  EngineEvents events_;
  QWebEngineProfile* profile_ = nullptr;
  QPointer<View> view_;
  Page* page_ = nullptr;
  MainFrameRequests* requests_ = nullptr;
  int loadGeneration_ = 0;
  // Answers the engine gives after the view went find it gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

std::unique_ptr<EngineView> newBrowser(QWidget* parent, const QString& defaultEncoding, EngineEvents events) {
  return std::make_unique<Browser>(parent, defaultEncoding, std::move(events));
}

}  // namespace pravella::web
