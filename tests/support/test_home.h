#pragma once
// Every test runs in a home of its own: a fresh temporary folder as HOME, with
// XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR inside it. The test main
// installs a listener that makes one before each test and removes it after; tests read the
// current one here.

#include <QString>

namespace pravella::test {

// The HOME of the running test.
QString home();

// Makes a fresh home and points the environment at it; the previous one is removed.
void enterFreshHome();
void leaveHome();

}  // namespace pravella::test
