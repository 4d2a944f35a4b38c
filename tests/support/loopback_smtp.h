#pragma once
// A loopback SMTP server for the life of the object: /usr/bin/python3 -m aiosmtpd with the
// handler of tests/net/mail/smtp_store.py, which keeps each accepted message as N.eml in a
// folder and refuses recipients whose address begins with "refuse". Stopped by its pid.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace pravella::test {

class LoopbackSmtp {
 public:
  explicit LoopbackSmtp(const QString& folder) : folder_(folder) {
    QDir().mkpath(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PYTHONPATH"), QStringLiteral(PRAVELLA_TEST_DATA_DIR "/net/mail"));
    server_.setProcessEnvironment(env);
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Another program may take the chosen port before the server binds it: then the server
    // ends, or someone else answers, and a new port is tried.
    for (int tries = 0; tries < 3; ++tries) {
      const int port = freePort();
      if (port == 0) return;
      server_.start(QStringLiteral("/usr/bin/python3"),
                    {"-m", "aiosmtpd", "-n", "-c", "smtp_store.Store", "-l",
                     QStringLiteral("127.0.0.1:%1").arg(port), folder});
      if (!server_.waitForStarted(10000)) return;
      for (int attempt = 0; attempt < 400; ++attempt) {
        if (greets(port)) {
          port_ = port;
          return;
        }
        if (server_.waitForFinished(50)) break;
      }
      server_.kill();
      server_.waitForFinished(5000);
    }
  }
  ~LoopbackSmtp() {
    server_.kill();
    server_.waitForFinished(5000);
  }
  LoopbackSmtp(const LoopbackSmtp&) = delete;
  LoopbackSmtp& operator=(const LoopbackSmtp&) = delete;

  int port() const { return port_; }
  // The stored messages, oldest first.
  QStringList messages() const {
    QStringList names = QDir(folder_).entryList({"*.eml"}, QDir::Files);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
      return a.section('.', 0, 0).toInt() < b.section('.', 0, 0).toInt();
    });
    for (QString& name : names) name = folder_ + '/' + name;
    return names;
  }
  static QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // The envelope's recipients of a stored message.
  static QStringList recipientsOf(const QString& emlPath) {
    QString rcpt = emlPath;
    rcpt.replace(QLatin1String(".eml"), QLatin1String(".rcpt"));
    return QString::fromUtf8(read(rcpt)).split('\n', Qt::SkipEmptyParts);
  }

 private:
  static sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
  }
  // A port the system has just handed out and taken back.
  static int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    socklen_t size = sizeof a;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0)
      port = ntohs(a.sin_port);
    if (fd >= 0) ::close(fd);
    return port;
  }
  // Whether our server answers on the port: its greeting names it.
  static bool greets(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    const sockaddr_in a = loopback(port);
    timeval wait{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char greeting[256] = {0};
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0 &&
                    ::recv(fd, greeting, sizeof greeting - 1, 0) > 0 &&
                    std::strstr(greeting, "Python SMTP") != nullptr;
    ::close(fd);
    return ok;
  }

  QString folder_;
  QProcess server_;
  int port_ = 0;
};

}  // namespace pravella::test
