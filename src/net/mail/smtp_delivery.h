#pragma once
// Hands one finished message to the configured SMTP server with libcurl. Blocks until the
// server has taken or refused it, so the mail sheet calls it off the GUI thread.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "net/mail/mail_settings.h"

namespace pravella::mail {

struct DeliveryResult {
  bool ok = false;
  QString error;  // the server's or the connection's reason when !ok
};

// Sends `message` (CR LF lines, as buildMimeMessage makes it) from the settings' sender to
// every recipient. A refused recipient fails the whole delivery: nothing is sent then.
DeliveryResult deliverMessage(const MailSettings& settings, const QStringList& recipients,
                              const QByteArray& message);

}  // namespace pravella::mail
