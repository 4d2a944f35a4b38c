#pragma once
// A recording xdg-open first on PATH for the life of the object: each call appends its argument
// count and its arguments, one a line, to a log in the test's home.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include "support/test_home.h"

namespace pravella::test {

class RecordingOpener {
 public:
  RecordingOpener() {
    const QString bin = home() + "/bin";
    record_ = home() + "/xdg-open.log";
    QDir().mkpath(bin);
    QFile script(bin + "/xdg-open");
    if (script.open(QIODevice::WriteOnly))
      script.write(("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" >> '" + record_ + "'\n").toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    oldPath_ = qgetenv("PATH");
    qputenv("PATH", (bin + ":").toUtf8() + oldPath_);
  }
  ~RecordingOpener() { qputenv("PATH", oldPath_); }
  RecordingOpener(const RecordingOpener&) = delete;
  RecordingOpener& operator=(const RecordingOpener&) = delete;

  QString recorded() const {
    QFile log(record_);
    if (!log.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(log.readAll());
  }

 private:
  QString record_;
  QByteArray oldPath_;
};

}  // namespace pravella::test
