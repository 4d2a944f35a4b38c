#include "fuzz_support.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <clocale>
#include <cstdlib>
#include <memory>

#include "lang/builtins/startup.h"

namespace pravella::fuzz {

void prepare() {
  static const bool ready = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A scratch home and no programs on the path: inputs must not reach the machine's files.
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pravella-fuzz-XXXXXX"));
    ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit().constData(), 1);
    ::setenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toLocal8Bit().constData(), 1);
    QDir().mkpath(home.path() + QStringLiteral("/empty-path"));
    ::setenv("PATH", (home.path() + QStringLiteral("/empty-path")).toLocal8Bit().constData(), 1);
    QDir::setCurrent(home.path());
    static int argc = 1;
    static char name[] = "pravella-fuzz";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return true;
  }();
  (void)ready;
}

void prepareLanguage() {
  prepare();
  // A fresh language for every input, as every golden case has.
  vkStartUp();
}

}  // namespace pravella::fuzz
