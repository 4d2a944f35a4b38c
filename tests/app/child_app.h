#pragma once
// The whole application in a death test's child process. The child's own test main gave it a
// fresh home; it takes the home of the test that started it instead, so that the parent can
// read what the child saved. The application ends on signals as main() wires it; a child that
// cannot start ends with status 2 or 3.

#include <cstdlib>
#include <memory>

#include <QFile>
#include <QTest>

#include "app/application.h"
#include "diary/ui/main_window.h"
#include "lang/builtins/startup.h"
#include "support/test_home.h"
#include "support/wait_for.h"

namespace app_test {

inline constexpr char kParentsHome[] = "PRAVELLA_PARENT_TEST_HOME";

// The parent's part, before EXPECT_EXIT; `forget` after it.
inline void passHomeToChild() {
  if (qEnvironmentVariableIsEmpty(kParentsHome))
    qputenv(kParentsHome, QFile::encodeName(pravella::test::home()));
}
inline void forgetChildHome() { qunsetenv(kParentsHome); }

// The child's part: the parent's home and its folders become this process's.
inline void takeParentsHome() {
  const QString home = qEnvironmentVariable(kParentsHome);
  for (const auto& [name, sub] : {std::pair{"HOME", ""},
                                  {"XDG_CONFIG_HOME", "/.config"},
                                  {"XDG_CACHE_HOME", "/.cache"},
                                  {"XDG_DATA_HOME", "/.local/share"},
                                  {"TMPDIR", "/.tmp"}})
    qputenv(name, QFile::encodeName(home + QLatin1String(sub)));
  QDir().mkpath(home + "/.tmp");
}

// The application started and shown, ending on signals.
inline std::unique_ptr<pravella::Application> startEndingOnSignals() {
  if (vkStartUp() != 1) std::_Exit(2);
  auto application = std::make_unique<pravella::Application>();
  application->endOnSignalsAndSessionEnd();
  application->showAndFinishLaunching();
  if (!QTest::qWaitForWindowExposed(&application->window())) std::_Exit(3);
  return application;
}

}  // namespace app_test
