#include "net/mail/smtp_delivery.h"

#include <curl/curl.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "net/mail/mail_message.h"

namespace pravella::mail {
namespace {

struct Upload {
  const QByteArray* data;
  qsizetype at = 0;
};

size_t readMessage(char* buffer, size_t size, size_t count, void* user) {
  auto* upload = static_cast<Upload*>(user);
  const qsizetype room = qsizetype(size * count);
  const qsizetype n = std::min(room, upload->data->size() - upload->at);
  if (n <= 0) return 0;
  std::memcpy(buffer, upload->data->constData() + upload->at, size_t(n));
  upload->at += n;
  return size_t(n);
}

// The text with its control characters shown as "?", for a message.
QString visible(const QString& text) {
  QString shown = text;
  for (QChar& c : shown)
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) c = u'?';
  return shown;
}

struct CurlList {
  curl_slist* list = nullptr;
  ~CurlList() { curl_slist_free_all(list); }
};

}  // namespace

DeliveryResult deliverMessage(const MailSettings& settings, const QStringList& recipients,
                              const QByteArray& message) {
  if (const QString problem = settingsProblem(settings); !problem.isEmpty()) return {false, problem};
  if (recipients.isEmpty()) return {false, QStringLiteral("There is no addressee.")};
  // Each address goes into an SMTP command of its own: one that could end that command's path
  // or add parameters or commands to it is refused, and nothing is sent.
  for (const QString& r : recipients)
    if (!isEnvelopeAddress(r))
      return {false, QStringLiteral("\"%1\" is not a mail address.").arg(visible(r))};
  // libcurl's global set-up is not safe to race; every later call is.
  static std::once_flag global;
  std::call_once(global, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return {false, QStringLiteral("The mail library cannot start.")};

  const QString scheme = settings.security == Security::Tls ? QStringLiteral("smtps") : QStringLiteral("smtp");
  const QByteArray url =
      QStringLiteral("%1://%2:%3").arg(scheme, settings.host.trimmed()).arg(settings.effectivePort()).toUtf8();
  const QByteArray from = '<' + mailboxAddresses(settings.sender).value(0).toUtf8() + '>';
  CurlList to;
  for (const QString& r : recipients) {
    const QByteArray address = '<' + r.toUtf8() + '>';
    to.list = curl_slist_append(to.list, address.constData());
  }
  const QByteArray user = settings.user.toUtf8();
  const QByteArray password = settings.password.toUtf8();
  Upload upload{&message};
  char reason[CURL_ERROR_SIZE] = {0};

  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.constData());
  curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
  curl_easy_setopt(c, CURLOPT_MAIL_RCPT, to.list);
  curl_easy_setopt(c, CURLOPT_READFUNCTION, readMessage);
  curl_easy_setopt(c, CURLOPT_READDATA, &upload);
  curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, reason);
  // Worker threads must not take signals; a server that stops answering ends the send.
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
  if (settings.security == Security::StartTls) curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
  if (!user.isEmpty()) {
    curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
  }
  const CURLcode code = curl_easy_perform(c);
  if (code == CURLE_OK) return {true, {}};
  QString why = QString::fromUtf8(reason).trimmed();
  if (why.isEmpty()) why = QString::fromUtf8(curl_easy_strerror(code));
  return {false, why};
}

}  // namespace pravella::mail
