#pragma once
// A loopback FTP server over a folder for the life of the object: tests/net/ftp/ftp_server.py
// run by /usr/bin/python3 (pyftpdlib), on a port the system chooses, for one user and password,
// optionally sending downloads at a limited number of bytes a second, and in a mode of that
// script ("stock": NLST takes no options; "nonames": "NLST -a" is refused); stopped by its pid.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>

namespace pravella::test {

class LoopbackFtp {
 public:
  LoopbackFtp(const QString& root, const QString& user, const QString& password, int bytesPerSecond = 0,
              const QString& mode = {}) {
    QStringList arguments{QStringLiteral(PRAVELLA_TEST_DATA_DIR "/net/ftp/ftp_server.py"), root, user,
                          password, QString::number(bytesPerSecond)};
    if (!mode.isEmpty()) arguments << mode;
    server_.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!server_.waitForStarted(5000)) return;
    if (!server_.waitForReadyRead(10000)) {
      error_ = QString::fromUtf8(server_.readAllStandardError());
      return;
    }
    port_ = QString::fromLatin1(server_.readLine()).trimmed();
  }
  ~LoopbackFtp() {
    if (server_.processId() > 0) ::kill(static_cast<pid_t>(server_.processId()), SIGTERM);
    server_.waitForFinished(5000);
  }
  LoopbackFtp(const LoopbackFtp&) = delete;
  LoopbackFtp& operator=(const LoopbackFtp&) = delete;

  // Empty when the server did not come up; `error()` then says what it printed.
  const QString& port() const { return port_; }
  const QString& error() const { return error_; }

 private:
  QProcess server_;
  QString port_;
  QString error_;
};

}  // namespace pravella::test
