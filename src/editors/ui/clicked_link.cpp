#include "editors/ui/clicked_link.h"

#include <QByteArray>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTextEdit>
#include <QUrl>

#include <utility>

#include "platform/console_log.h"
#include "platform/notification_center.h"

namespace pravella {

namespace {

void sound(const LinkAskers& askers, const char* name) {
  if (askers.sound) askers.sound(name);
}

// Everything behind the first "!vk" that has code after it; null when there is none.
QString programOf(const QString& decoded) {
  for (qsizetype i = 0; i < decoded.size() - 3; ++i)
    if (QStringView(decoded).mid(i, 3) == u"!vk") return decoded.mid(i + 3);
  return QString();
}

bool isDictionaryLink(const QString& text) {
  const qsizetype parts = text.split(QLatin1Char(':')).size();
  return parts == 3 || parts == 4;
}

// The dictionary sheet, or a console line while it is not built.
void toDictionary(const QString& text) {
  NotificationCenter& center = NotificationCenter::defaultCenter();
  const QString sheet = QStringLiteral("edicLinkFromMainMemo");
  if (center.hasObservers(sheet))
    center.post(sheet, text);
  else
    showErrMessageToConsole(("No dictionary sheet for the link " + text + ".\n").toStdString());
}

void toWeb(const QString& address, const LinkAskers& askers) {
  sound(askers, "Tink");
  NotificationCenter& center = NotificationCenter::defaultCenter();
  const QString sheet = QStringLiteral("openWebSheetAndConnectURL");
  if (askers.webDrawerOpen && askers.webDrawerOpen() && center.hasObservers(sheet))
    center.post(sheet, address);
  else if (askers.launchURL)
    askers.launchURL(address);
}

class LinkClickFilter : public QObject {
 public:
  LinkClickFilter(QTextEdit* view, std::function<void(const QString&)> follow)
      : QObject(view), view_(view), follow_(std::move(follow)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      pressed_ = mouse->button() == Qt::LeftButton ? view_->anchorAt(mouse->position().toPoint()) : QString();
    } else if (event->type() == QEvent::MouseButtonRelease) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const QString pressed = std::exchange(pressed_, QString());
      if (mouse->button() != Qt::LeftButton || pressed.isEmpty() || view_->textCursor().hasSelection()) return false;
      if (view_->anchorAt(mouse->position().toPoint()) != pressed) return false;
      // After the view has seen the release, so that its own handling is done first.
      QMetaObject::invokeMethod(this, [this, pressed] { follow_(pressed); }, Qt::QueuedConnection);
    } else if (event->type() == QEvent::MouseButtonDblClick) {
      pressed_.clear();
    }
    return false;
  }

 private:
  QTextEdit* view_;
  std::function<void(const QString&)> follow_;
  QString pressed_;
};

}  // namespace

void followLinksOnClick(QTextEdit* view, std::function<void(const QString& value)> follow) {
  view->viewport()->installEventFilter(new LinkClickFilter(view, std::move(follow)));
}

bool isAddressLink(const QString& value) {
  const QString scheme = QUrl(value).scheme().toLower();
  return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp") ||
         scheme == QLatin1String("file") || scheme == QLatin1String("mailto");
}

QString percentDecoded(const QString& value) { return QString::fromUtf8(QByteArray::fromPercentEncoding(value.toUtf8())); }

bool followClickedLink(const QString& value, const LinkAskers& askers) {
  if (!isAddressLink(value)) {
    const QString program = programOf(percentDecoded(value));
    if (!program.isNull()) {
      NotificationCenter::defaultCenter().post(QStringLiteral("calculationOnEditModule"), program);
      sound(askers, "Tink");
      return true;
    }
    if (isDictionaryLink(value)) {
      toDictionary(value);
      return true;
    }
    toWeb(value, askers);
    return true;
  }

  const QUrl url(value);
  const QString path = url.path();
  const QString program = programOf(percentDecoded(value));
  if (!program.isNull()) {
    NotificationCenter::defaultCenter().post(QStringLiteral("calculationOnEditModule"), program);
    sound(askers, "Tink");
    return true;
  }
  if (url.isLocalFile()) {
    const QString file = url.toLocalFile();
    if (QFileInfo::exists(file)) {
      if (askers.openFile) askers.openFile(file);
      sound(askers, "Tink");
    } else if (askers.searchMemos) {
      askers.searchMemos(QFileInfo(file).completeBaseName());
    }
    return true;
  }
  if (isDictionaryLink(path)) {
    toDictionary(path);
    return true;
  }
  toWeb(value, askers);
  return true;
}

}  // namespace pravella
