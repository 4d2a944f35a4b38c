// OpenGL plot windows beside the memo that opened them: placed beside the main window, leaving
// the keyboard to the memo, and drawing nothing while nothing in them moves.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <dlfcn.h>

#include <memory>

#include "editors/ui/main_text_view.h"
#include "graphics/gl/gl_clock.h"
#include "graphics/ui/gl/basic_opengl_view.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "graphics/ui/gl/gl_window_manager.h"
#include "graphics/ui/gl/vk_opengl_window.h"
#include "lang/builtins/startup.h"

namespace {

using namespace pravella::gl;

constexpr const char* kSurface =
    "x = |0, 1, 2| |0, 1, 2| |0, 1, 2|; parametricPlot3D_GL(x, x', x + x', x, \"Rest\");";

// Real key presses through the X server (its XTEST extension), which hands them to the window
// it gives the keyboard to; the client libraries are opened at run time, so nothing is linked.
class XKeyboard {
 public:
  XKeyboard() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    display_ = x11 ? x11->display() : nullptr;
    void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
    void* xtest = dlopen("libXtst.so.6", RTLD_NOW);
    if (!display_ || !xlib || !xtest) return;
    fakeKey_ = reinterpret_cast<FakeKey>(dlsym(xtest, "XTestFakeKeyEvent"));
    keycode_ = reinterpret_cast<Keycode>(dlsym(xlib, "XKeysymToKeycode"));
    setFocus_ = reinterpret_cast<SetFocus>(dlsym(xlib, "XSetInputFocus"));
    sync_ = reinterpret_cast<Sync>(dlsym(xlib, "XSync"));
  }
  bool available() const { return fakeKey_ && keycode_ && setFocus_ && sync_; }
  // The keyboard follows the pointer, as on a desktop whose focus follows the mouse.
  void followPointer() {
    setFocus_(display_, kPointerRoot, kPointerRoot, 0);
    sync_(display_, 0);
  }
  // Lower-case letters and digits: their keysyms are their codes.
  void type(const char* text) {
    for (const char* c = text; *c; ++c) {
      const unsigned int code = keycode_(display_, static_cast<unsigned long>(*c));
      fakeKey_(display_, code, 1, 0);
      fakeKey_(display_, code, 0, 0);
    }
    sync_(display_, 0);
  }

 private:
  static constexpr unsigned long kPointerRoot = 1;
  using FakeKey = int (*)(Display*, unsigned int, int, unsigned long);
  using Keycode = unsigned char (*)(Display*, unsigned long);
  using SetFocus = int (*)(Display*, unsigned long, int, unsigned long);
  using Sync = int (*)(Display*, int);
  Display* display_ = nullptr;
  FakeKey fakeKey_ = nullptr;
  Keycode keycode_ = nullptr;
  SetFocus setFocus_ = nullptr;
  Sync sync_ = nullptr;
};

// (Qt's QTRY_ macros report to QtTest, not to gtest: a failure there would pass silently.)
// Lets the event loop run for `ms` (timers, paints, window events), however busy it is.
void runEvents(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QTest::qWait(10);
}

class GLWindowRest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!openGLWindowsAvailable()) GTEST_SKIP() << "no OpenGL display";
    ASSERT_EQ(vkStartUp(), 1);
    glWindowList().clear();
    main_ = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(main_.get());
    memo_ = new mainTextView(main_.get());
    layout->addWidget(memo_);
    memo_->setAlertPanel([](const QString&, const QString&) {});
    memo_->setConsoleOutput([](const std::string&) {});
    memo_->awakeFromNib();
    // Where a window without a place of its own would open: over the memo.
    main_->setGeometry(0, 0, 700, 500);
    manager_ = std::make_unique<GLWindowManager>(main_.get());
    main_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
    main_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
    memo_->setFocus();
  }
  void TearDown() override {
    setGLClockForTests(std::nullopt);
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != main_.get()) w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    glWindowList().clear();
    manager_.reset();
    main_.reset();
  }

  // Runs `program` from the memo with the keypad Enter, as the user does, and waits for it.
  void runInMemo(const QString& program) {
    memo_->setPlainText(program);
    memo_->moveCursor(QTextCursor::End);
    QTest::keyClick(memo_, Qt::Key_Enter, Qt::KeypadModifier);
    QElapsedTimer clock;
    clock.start();
    while (memo_->isRunning() && clock.elapsed() < 20000) QTest::qWait(5);
    ASSERT_FALSE(memo_->isRunning());
    QCoreApplication::processEvents();
  }

  // The window of `title`, on screen with its first frame drawn and its opening's events done.
  BasicOpenGLView* settled(const QString& title) {
    vkOpenGLWindow* window = findWindowFromGLWindowList(title);
    if (!window || !QTest::qWaitForWindowExposed(window->window())) return nullptr;
    BasicOpenGLView* view = window->imageView();
    if (!QTest::qWaitFor([view] { return view->framesDrawn() > 0; })) return nullptr;
    runEvents(300);
    return view;
  }

  std::unique_ptr<QWidget> main_;
  mainTextView* memo_ = nullptr;
  std::unique_ptr<GLWindowManager> manager_;
};

TEST_F(GLWindowRest, OpensBesideTheMainWindowAndLeavesTheKeysToTheMemo) {
  XKeyboard keyboard;
  if (!keyboard.available()) GTEST_SKIP() << "no X keyboard to type with";
  // The pointer rests on the memo, as after a click there, and the keyboard follows it.
  QCursor::setPos(main_->mapToGlobal(QPoint(150, 150)));
  keyboard.followPointer();
  memo_->setPlainText(QString());
  keyboard.type("q");
  ASSERT_TRUE(QTest::qWaitFor([this] { return memo_->toPlainText() == QStringLiteral("q"); }));

  runInMemo(kSurface);
  ASSERT_TRUE(memo_->toPlainText().endsWith(".OK.\n")) << memo_->toPlainText().toStdString();
  BasicOpenGLView* view = settled("Rest");
  ASSERT_TRUE(view);
  QWidget* window = view->window();
  const QRect frame = window->frameGeometry();
  EXPECT_TRUE(window->screen()->availableGeometry().contains(frame));
  EXPECT_EQ(frame.left(), main_->frameGeometry().right() + 1 + 5);
  EXPECT_EQ(frame.top(), main_->frameGeometry().top());

  const auto switches = view->switches();
  memo_->moveCursor(QTextCursor::End);  // the result stays selected after a run
  const QString before = memo_->toPlainText();
  // Each of these letters would toggle a switch of the view.
  keyboard.type("slcpb");
  (void)QTest::qWaitFor([&] { return memo_->toPlainText() == before + "slcpb"; });
  EXPECT_EQ(memo_->toPlainText().toStdString(), (before + "slcpb").toStdString());
  EXPECT_EQ(view->switches(), switches);
  EXPECT_NE(QApplication::focusWidget(), view);

  // Run again: the window reloads and comes up, and the keys still go to the memo.
  runInMemo(kSurface);
  runEvents(300);
  memo_->moveCursor(QTextCursor::End);
  keyboard.type("0");
  EXPECT_TRUE(QTest::qWaitFor([this] { return memo_->toPlainText().endsWith("0"); }));
  EXPECT_EQ(view->switches(), switches);
}

TEST_F(GLWindowRest, AStillWindowDrawsNothingUntilSomethingChanges) {
  runInMemo(kSurface);
  BasicOpenGLView* view = settled("Rest");
  ASSERT_TRUE(view);
  ASSERT_TRUE(view->animating());  // animation on, as a window opens, but nothing flung
  EXPECT_FALSE(view->ticking());
  const int frames = view->framesDrawn();
  runEvents(500);
  EXPECT_EQ(view->framesDrawn(), frames);

  // A change draws once more, then the window rests again.
  QTest::keyClick(view, 'b');
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->framesDrawn() > frames; }));
  runEvents(200);
  const int afterChange = view->framesDrawn();
  EXPECT_FALSE(view->ticking());
  runEvents(300);
  EXPECT_EQ(view->framesDrawn(), afterChange);

  // Info shows the fading message: ticks until it has faded, then none.
  view->info();
  EXPECT_TRUE(view->ticking());
  setGLClockForTests(glNow() + 60);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view->ticking(); }));
  view->info();
  EXPECT_FALSE(view->ticking());
}

TEST_F(GLWindowRest, AFlungSceneSpinsUntilStoppedAndThenRests) {
  runInMemo(kSurface);
  BasicOpenGLView* view = settled("Rest");
  ASSERT_TRUE(view);
  const auto press = [view](QEvent::Type type, QPoint at) {
    QMouseEvent event(type, QPointF(at), view->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
  };
  // A quick release: the spin goes on tick after tick.
  press(QEvent::MouseButtonPress, {100, 100});
  press(QEvent::MouseMove, {140, 100});
  press(QEvent::MouseButtonRelease, {140, 100});
  ASSERT_NE(view->flungRotation()[0], 0.0f);
  EXPECT_TRUE(view->ticking());
  const auto turned = view->worldRotation();
  const int frames = view->framesDrawn();
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->framesDrawn() > frames + 3; }));
  EXPECT_NE(view->worldRotation(), turned);
  EXPECT_TRUE(view->ticking());

  // Animation off (Ctrl+A) stops it; the ticks stop with it.
  view->animateAction()->trigger();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view->ticking(); }));
  const int stopped = view->framesDrawn();
  const auto still = view->worldRotation();
  runEvents(300);
  EXPECT_EQ(view->framesDrawn(), stopped);
  EXPECT_EQ(view->worldRotation(), still);

  // On again, the kept spin goes on; "a" clears it and rests.
  view->animateAction()->trigger();
  EXPECT_TRUE(view->ticking());
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->worldRotation() != still; }));
  QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  QApplication::sendEvent(view, &a);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view->ticking(); }));
}

}  // namespace
