#pragma once
// A recording xdg-open first on PATH for the life of the object: each call appends its argument
// count and its arguments, one a line, to a log in the test's home.

#include <QFile>
#include <QString>

#include "support/programs_on_path.h"
#include "support/test_home.h"

namespace pravella::test {

class RecordingOpener {
 public:
  RecordingOpener() : record_(home() + "/xdg-open.log") {
    programs_.add("xdg-open", "printf '%s\\n' \"$#\" \"$@\" >> '" + record_ + "'\n");
  }

  QString recorded() const {
    QFile log(record_);
    if (!log.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(log.readAll());
  }

 private:
  QString record_;
  ProgramsOnPath programs_;
};

}  // namespace pravella::test
