#pragma once
// A benchmark's child process runs the application in a home of its own, as the tests do, so
// that it never touches the user's diary.

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdlib>
#include <string>
#include <utility>

inline void useChildHome(const std::string& home) {
  for (const auto& [name, sub] : {std::pair{"HOME", ""},
                                  {"XDG_CONFIG_HOME", "/.config"},
                                  {"XDG_CACHE_HOME", "/.cache"},
                                  {"XDG_DATA_HOME", "/.local/share"},
                                  {"XDG_RUNTIME_DIR", "/.run"}})
    ::setenv(name, (home + sub).c_str(), 1);
  QDir().mkpath(QString::fromStdString(home + "/.run"));
  QFile::setPermissions(QString::fromStdString(home + "/.run"),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  if (!std::getenv("DISPLAY")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}
