#include "net/web/ui/page_in_encoding.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "platform/text_encoding.h"

namespace pravella::web {

PageInEncoding::PageInEncoding(QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)) {}

void PageInEncoding::fetch(const QUrl& url, const QByteArray& iconvName, Done done) {
  if (current_) {
    QNetworkReply* old = current_;
    current_ = nullptr;
    old->disconnect(this);
    old->abort();
    old->deleteLater();
  }
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  QNetworkReply* reply = network_->get(request);
  current_ = reply;
  // A page too large to show is given up on as soon as that is known.
  connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64 total) {
    if (received > kLargestRecodedPage || total > kLargestRecodedPage) reply->abort();
  });
  connect(reply, &QNetworkReply::finished, this, [this, reply, iconvName, done = std::move(done)] {
    reply->deleteLater();
    if (current_ != reply) return;
    current_ = nullptr;
    const QByteArray bytes = reply->bytesAvailable() <= kLargestRecodedPage ? reply->readAll() : QByteArray();
    if (reply->error() == QNetworkReply::OperationCanceledError || bytes.size() > kLargestRecodedPage ||
        (bytes.isEmpty() && reply->error() == QNetworkReply::NoError &&
         reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > kLargestRecodedPage))
      return done({}, tr("The page is too large to show in another encoding."));
    if (reply->error() != QNetworkReply::NoError) return done({}, reply->errorString());
    bool ok = false;
    const QString text = encoding::decodeLossy(bytes, iconvName.constData(), &ok);
    if (!ok) return done({}, tr("The encoding %1 is not known.").arg(QString::fromLatin1(iconvName)));
    done(text, {});
  });
}

}  // namespace pravella::web
