#include "net/mail/smtp_delivery.h"

#include <cstring>
#include <memory>

#include "net/mail/curl_library.h"
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
  const CurlLibrary& curl;
  curl_slist* list = nullptr;
  ~CurlList() { curl.slistFreeAll(list); }
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
  QString unloaded;
  const CurlLibrary* lib = curlLibrary(&unloaded);
  if (!lib) return {false, unloaded};
  std::unique_ptr<CURL, void (*)(CURL*)> curl(lib->easyInit(), lib->easyCleanup);
  if (!curl) return {false, QStringLiteral("The mail library cannot start.")};

  const QString scheme = settings.security == Security::Tls ? QStringLiteral("smtps") : QStringLiteral("smtp");
  const QByteArray url =
      QStringLiteral("%1://%2:%3").arg(scheme, settings.host.trimmed()).arg(settings.effectivePort()).toUtf8();
  const QByteArray from = '<' + mailboxAddresses(settings.sender).value(0).toUtf8() + '>';
  CurlList to{*lib};
  for (const QString& r : recipients) {
    const QByteArray address = '<' + r.toUtf8() + '>';
    to.list = lib->slistAppend(to.list, address.constData());
  }
  const QByteArray user = settings.user.toUtf8();
  const QByteArray password = settings.password.toUtf8();
  Upload upload{&message};
  char reason[CURL_ERROR_SIZE] = {0};

  CURL* c = curl.get();
  lib->easySetopt(c, CURLOPT_URL, url.constData());
  lib->easySetopt(c, CURLOPT_MAIL_FROM, from.constData());
  lib->easySetopt(c, CURLOPT_MAIL_RCPT, to.list);
  lib->easySetopt(c, CURLOPT_READFUNCTION, readMessage);
  lib->easySetopt(c, CURLOPT_READDATA, &upload);
  lib->easySetopt(c, CURLOPT_UPLOAD, 1L);
  lib->easySetopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
  lib->easySetopt(c, CURLOPT_ERRORBUFFER, reason);
  // Worker threads must not take signals; a server that stops answering ends the send.
  lib->easySetopt(c, CURLOPT_NOSIGNAL, 1L);
  lib->easySetopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
  lib->easySetopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  lib->easySetopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
  if (settings.security == Security::StartTls) lib->easySetopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
  if (!user.isEmpty()) {
    lib->easySetopt(c, CURLOPT_USERNAME, user.constData());
    lib->easySetopt(c, CURLOPT_PASSWORD, password.constData());
  }
  const CURLcode code = lib->easyPerform(c);
  if (code == CURLE_OK) return {true, {}};
  QString why = QString::fromUtf8(reason).trimmed();
  if (why.isEmpty()) why = QString::fromUtf8(lib->easyStrerror(code));
  return {false, why};
}

}  // namespace pravella::mail
