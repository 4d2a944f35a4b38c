#pragma once
// A loopback HTTP server over a folder for the life of the object: python's http.server on a
// port the system chooses, stopped by its pid. With a mode, tests/net/web/http_server.py serves
// instead ("notime": no Last-Modified), and `requests` counts what was asked for.

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

namespace pravella::test {

class LoopbackHttp {
 public:
  explicit LoopbackHttp(const QString& folder, const QString& mode = {}) {
    QDir().mkpath(folder);
    server_.setProcessChannelMode(QProcess::MergedChannels);
    if (mode.isEmpty())
      server_.start(QStringLiteral("/usr/bin/python3"),
                    {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", folder});
    else
      server_.start(QStringLiteral("/usr/bin/python3"),
                    {"-u", QStringLiteral(PRAVELLA_TEST_DATA_DIR "/net/web/http_server.py"), folder, mode});
    if (!server_.waitForStarted(10000)) return;
    static const QRegularExpression kPort(QStringLiteral("port (\\d+)"));
    QByteArray said;
    while (port_ == 0 && server_.waitForReadyRead(10000)) {
      said += server_.readAll();
      const auto m = kPort.match(QString::fromUtf8(said));
      if (m.hasMatch()) port_ = m.captured(1).toInt();
    }
    said_ = said;
  }
  ~LoopbackHttp() {
    server_.kill();
    server_.waitForFinished(5000);
  }
  LoopbackHttp(const LoopbackHttp&) = delete;
  LoopbackHttp& operator=(const LoopbackHttp&) = delete;

  int port() const { return port_; }
  // How many times `name` was asked for so far (mode servers only).
  int requests(const QString& name) {
    server_.waitForReadyRead(0);
    said_ += server_.readAll();
    return int(said_.count("GET /" + name.toUtf8() + "\n"));
  }
  QString url(const QString& name) const {
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(name);
  }

 private:
  QProcess server_;
  QByteArray said_;
  int port_ = 0;
};

}  // namespace pravella::test
