#pragma once
// A recording xdg-open first on PATH for the life of the object: each call appends its argument
// count and its arguments, one a line, to a log in the test's home.

#include <QDir>
#include <QFile>
#include <QString>

#include "support/programs_on_path.h"
#include "support/test_home.h"

namespace pravella::test {

class RecordingOpener {
 public:
  RecordingOpener() : record_(home() + "/xdg-open.log"), program_(ProgramsOnPath::bin() + "/xdg-open") {
    programs_.add("xdg-open", "printf '%s\\n' \"$#\" \"$@\" >> '" + record_ + "'\n");
  }

  QString recorded() const {
    QFile log(record_);
    if (!log.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(log.readAll());
  }

  // True while an opener that was started has not ended. A detached start returns once the
  // program runs, but it is no child of the test's: it is looked for among all processes by
  // its script's path, so that a test can wait until every opener started so far has recorded.
  bool running() const {
    const QByteArray script = program_.toUtf8();
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
      QFile cmdline(QStringLiteral("/proc/") + entry + QStringLiteral("/cmdline"));
      if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().split('\0').contains(script)) return true;
    }
    return false;
  }

  // What was recorded once no opener runs any more.
  QString recordedWhenDone() const { return running() ? QStringLiteral("<an opener runs>") : recorded(); }

 private:
  QString record_;
  QString program_;
  ProgramsOnPath programs_;
};

}  // namespace pravella::test
