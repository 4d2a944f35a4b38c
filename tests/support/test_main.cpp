// The main of every test executable. Qt runs offscreen unless the environment names a
// platform (the gl tests get a real X display from xvfb-run). Each test gets a fresh HOME.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#ifdef PRAVELLA_TEST_WIDGETS
#include <clocale>

#include <QApplication>

#include "platform/ui/media_backend.h"
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#include "support/test_home.h"

namespace {

class FreshHomeListener : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { pravella::test::enterFreshHome(); }
  void OnTestEnd(const testing::TestInfo&) override { pravella::test::leaveHome(); }
};

}  // namespace

int main(int argc, char** argv) {
  // gtest's test discovery runs this binary outside the test environment.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The application object itself must not see the real home either.
  pravella::test::enterFreshHome();
  testing::InitGoogleTest(&argc, argv);
#ifdef PRAVELLA_TEST_WEBENGINE
  // The browser needs this before the application object is made.
  QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
#ifdef PRAVELLA_TEST_WIDGETS
  pravella::chooseMediaBackend();
#endif
  auto app = std::make_unique<TestApplication>(argc, argv);
  // Qt adopts the user's locale; numbers in results and files must keep the C decimal point.
  std::setlocale(LC_NUMERIC, "C");
  testing::UnitTest::GetInstance()->listeners().Append(new FreshHomeListener);
  const int result = RUN_ALL_TESTS();
  app.reset();
  pravella::test::leaveHome();
  return result;
}
