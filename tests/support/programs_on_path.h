#pragma once
// Programs of the test's own, found first on PATH for the life of the object: each a shell
// script in the bin folder of the test's home. The fakes that record how the application
// started a program (the opener, a terminal, wget) are made of it.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include "support/test_home.h"

namespace pravella::test {

class ProgramsOnPath {
 public:
  ProgramsOnPath() : oldPath_(qgetenv("PATH")) {
    QDir().mkpath(bin());
    qputenv("PATH", (bin() + ":").toUtf8() + oldPath_);
  }
  ~ProgramsOnPath() { qputenv("PATH", oldPath_); }
  ProgramsOnPath(const ProgramsOnPath&) = delete;
  ProgramsOnPath& operator=(const ProgramsOnPath&) = delete;

  static QString bin() { return home() + "/bin"; }

  // The program `name`, running the shell commands `body`.
  void add(const QString& name, const QString& body) {
    QFile script(bin() + "/" + name);
    if (script.open(QIODevice::WriteOnly)) script.write(("#!/bin/sh\n" + body).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

 private:
  QByteArray oldPath_;
};

}  // namespace pravella::test
