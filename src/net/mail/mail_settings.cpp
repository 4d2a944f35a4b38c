#include "net/mail/mail_settings.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QVariantMap>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "net/mail/mail_message.h"
#include "platform/paths.h"
#include "platform/property_list.h"

namespace pravella::mail {

int MailSettings::effectivePort() const {
  if (port > 0) return port;
  switch (security) {
    case Security::None: return 25;
    case Security::StartTls: return 587;
    case Security::Tls: return 465;
  }
  return 587;
}

QString settingsPath() { return paths::preferences() + QStringLiteral("/mailSettings.plist"); }
QString passwordPath() { return paths::preferences() + QStringLiteral("/mailPassword"); }

QString securityName(Security security) {
  switch (security) {
    case Security::None: return QStringLiteral("none");
    case Security::StartTls: return QStringLiteral("STARTTLS");
    case Security::Tls: return QStringLiteral("TLS");
  }
  return QStringLiteral("STARTTLS");
}

Security securityFromName(const QString& name) {
  if (name.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) return Security::None;
  if (name.compare(QLatin1String("TLS"), Qt::CaseInsensitive) == 0) return Security::Tls;
  return Security::StartTls;
}

MailSettings readMailSettings() {
  MailSettings s;
  const std::optional<QVariant> stored = plist::readFile(settingsPath());
  if (stored) {
    const QVariantMap map = stored->toMap();
    s.host = map.value(QStringLiteral("host")).toString();
    s.sender = map.value(QStringLiteral("sender")).toString();
    s.port = map.value(QStringLiteral("port")).toInt();
    if (s.port < 0 || s.port > 65535) s.port = 0;
    s.security = securityFromName(map.value(QStringLiteral("security")).toString());
    s.user = map.value(QStringLiteral("user")).toString();
  }
  QFile password(passwordPath());
  if (password.open(QIODevice::ReadOnly)) s.password = QString::fromUtf8(password.readAll());
  return s;
}

WriteResult writeMailSettings(const MailSettings& s) {
  QDir().mkpath(paths::preferences());
  QVariantMap map;
  map.insert(QStringLiteral("host"), s.host);
  map.insert(QStringLiteral("sender"), s.sender);
  map.insert(QStringLiteral("port"), qlonglong(s.port));
  map.insert(QStringLiteral("security"), securityName(s.security));
  map.insert(QStringLiteral("user"), s.user);
  if (WriteResult written = plist::writeFile(settingsPath(), map); !written) return written;
  const QString path = passwordPath();
  if (s.password.isEmpty()) {
    QFile::remove(path);
    return WriteResult{true, {}};
  }
  // The atomic write keeps the target's mode, so the target is made (or made private) first:
  // the password never lies in a file that others may read.
  const QByteArray native = QFile::encodeName(path);
  const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0 || ::fchmod(fd, 0600) != 0) {
    if (fd >= 0) ::close(fd);
    return WriteResult{false, QStringLiteral("Cannot save \"%1\": it cannot be made private.").arg(path)};
  }
  ::close(fd);
  return writeFileAtomically(path, s.password.toUtf8());
}

QString settingsProblem(const MailSettings& s) {
  const std::pair<const char*, const QString*> fields[] = {
      {"host", &s.host}, {"sender", &s.sender}, {"user", &s.user}, {"password", &s.password}};
  for (const auto& [name, text] : fields)
    if (text->contains(u'\r') || text->contains(u'\n'))
      return QStringLiteral("The %1 holds a line break.").arg(QString::fromLatin1(name));
  // A host name, an IPv4 address or a bracketed IPv6 one; nothing that could change the URL.
  static const QRegularExpression kHost(QStringLiteral("^([A-Za-z0-9_.-]+|\\[[0-9A-Fa-f:.]+\\])$"));
  if (!kHost.match(s.host.trimmed()).hasMatch()) return QStringLiteral("The host is not a host name.");
  const QStringList senders = mailboxAddresses(s.sender);
  if (senders.size() != 1 || !isEnvelopeAddress(senders.first()))
    return QStringLiteral("The sender is not one mail address.");
  return QString();
}

}  // namespace pravella::mail
