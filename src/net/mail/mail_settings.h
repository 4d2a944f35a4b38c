#pragma once
// The account the mail sheet sends through: Preferences/mailSettings.plist (a dictionary of
// host, sender, port, security and user) and the password alone in Preferences/mailPassword,
// readable by the user only. The sheet counts as configured when a host and a sender are set.

#include <QString>

#include "platform/atomic_file.h"

namespace pravella::mail {

enum class Security { None, StartTls, Tls };

struct MailSettings {
  QString host;
  QString sender;  // "addr" or "Name <addr>"
  int port = 0;    // 0: the security's usual port (25, 587, 465)
  Security security = Security::StartTls;
  QString user;  // empty: no log-in
  QString password;

  bool configured() const { return !host.trimmed().isEmpty() && !sender.trimmed().isEmpty(); }
  int effectivePort() const;
};

QString settingsPath();
QString passwordPath();

// The stored values; missing or unreadable files give empty ones (an unconfigured sheet).
MailSettings readMailSettings();
// Writes both files atomically; an empty password removes its file. The password file has
// mode 0600 before the password is written into it.
WriteResult writeMailSettings(const MailSettings& settings);

// "none", "STARTTLS", "TLS" as the file keeps them; anything else reads as STARTTLS.
QString securityName(Security security);
Security securityFromName(const QString& name);

// Why the settings cannot be used ("" when they can): a host that is not a plain host name or
// address, a sender without an address, a line break in any field.
QString settingsProblem(const MailSettings& settings);

}  // namespace pravella::mail
