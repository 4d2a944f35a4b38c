#pragma once
// The bytes of a page fetched again and decoded with an encoding the user chose, for the web
// drawer's encoding pop-up: the choice overrides what the page itself declares.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace pravella::web {

// The largest page shown in a chosen encoding: the browser takes no larger text as a page.
inline constexpr qint64 kLargestRecodedPage = 2 * 1024 * 1024 - 64 * 1024;

class PageInEncoding : public QObject {
 public:
  explicit PageInEncoding(QObject* parent = nullptr);

  // `done` gets the page's text, or an empty text and why it could not be had. A newer fetch
  // replaces one still under way, whose `done` is never called.
  using Done = std::function<void(const QString& text, const QString& error)>;
  void fetch(const QUrl& url, const QByteArray& iconvName, Done done);

 private:
  QNetworkAccessManager* network_;
  QPointer<QNetworkReply> current_;
};

}  // namespace pravella::web
