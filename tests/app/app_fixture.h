#pragma once
// The whole application in the test's process, in the test's fresh home: the real main window
// with every controller wired as main() wires it. The desktop's opener and terminal are
// recording fakes first on PATH, sounds are heard by the test, the calendar's alerts and the
// end of the process are under the test's hand, and a watchdog fails a test on any dialog it
// did not ask for. Controls are driven through their real events: clicks on buttons, cells and
// menu entries, keys to the focused widget.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <unistd.h>
#include <memory>
#include <mutex>

#include "app/application.h"
#include "diary/diary_globals.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/pravella.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtins/startup.h"
#include "lang/values.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/ui/sound_player.h"
#include "support/dialog_watchdog.h"
#include "support/programs_on_path.h"
#include "support/test_home.h"
#include "support/wait_for.h"

namespace app_test {

inline std::string s(const QString& q) { return q.toStdString(); }

// Programs first on PATH that record how they were started: each call appends its working
// folder, its argument count and its arguments, one a line, to <name>.log in the home.
class RecordingPrograms {
 public:
  explicit RecordingPrograms(const QStringList& names) {
    for (const QString& name : names)
      programs_.add(
          name, QString("{ pwd; printf '%s\\n' \"$#\" \"$@\" '") + kEnd + "'; } >> '" + logOf(name) + "'\n");
  }

  static constexpr const char* kEnd = "<record ends>";
  static QString logOf(const QString& name) { return pravella::test::home() + "/" + name + ".log"; }
  // What the program recorded; waits up to `ms` for a detached start to write the whole of its
  // record (the file exists before its lines are in, so each record ends with a mark).
  static QString recorded(const QString& name, int ms = 30000) {
    const QString end = QString::fromLatin1(kEnd) + "\n";
    QElapsedTimer clock;
    clock.start();
    QString text;
    do {
      QFile log(logOf(name));
      if (log.open(QIODevice::ReadOnly)) {
        text = QString::fromUtf8(log.readAll());
        if (text.endsWith(end)) return text.remove(end);
      }
      QTest::qWait(20);
    } while (clock.elapsed() < ms);
    return text.remove(end);
  }

 private:
  pravella::test::ProgramsOnPath programs_;
};

class App : public testing::Test {
 protected:
  void SetUp() override {
    if (!closesDialogsItself) watchdog = std::make_unique<pravella::test::DialogWatchdog>();
    ASSERT_EQ(vkStartUp(), 1);
    pvSoundStatus = 1;
    // The browser refuses to start as root inside its sandbox; only tests turn it off.
    if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    pravella::setSoundRecorder([this](const QString& name) {
      std::lock_guard lock(soundsMutex_);
      sounds_ << name;
    });
    app = std::make_unique<pravella::Application>();
    Calcndar& c = app->calendar();
    c.setAlertPanel([this](const QString& title, const QString& message, const QStringList&) {
      alerts << title + ": " + message;
      return 0;
    });
    c.setTerminator([this] { ++terminations; });
    app->showAndFinishLaunching();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    window().activateWindow();
    (void)QTest::qWaitForWindowActive(&window(), 2000);
    memo()->setFocus();
  }

  void TearDown() override {
    app.reset();
    pravella::setSoundRecorder({});
    SheetCanOpen = 1;
  }

  pravella::MainWindow& window() { return app->window(); }
  Calcndar& calendar() { return app->calendar(); }
  mainTextView* memo() { return window().documentView(); }

  QStringList sounds() {
    std::lock_guard lock(soundsMutex_);
    return sounds_;
  }
  void clearSounds() {
    std::lock_guard lock(soundsMutex_);
    sounds_.clear();
  }

  // The memo's text with the selection from `from` to `to` (the caret at `to`).
  void setMemo(const QString& text, int from, int to) {
    memo()->setPlainText(text);
    select(from, to);
  }
  void select(int from, int to) {
    QTextCursor c = memo()->textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    memo()->setTextCursor(c);
  }

  // The action of the main window's menus with this object name.
  QAction* action(const char* name) {
    for (QAction* a : window().findChildren<QAction*>(QString::fromLatin1(name))) return a;
    ADD_FAILURE() << "no action " << name;
    return nullptr;
  }

  // The menu of the menu bar or a submenu that holds the action.
  static QMenu* menuOf(QAction* item) {
    for (QObject* o : item->associatedObjects())
      if (auto* m = qobject_cast<QMenu*>(o)) return m;
    return nullptr;
  }

  // The visible menu entry reached by these titles from the menu bar ("&View", "Memo &Sheet").
  QAction* menuEntry(const QStringList& titles) {
    QList<QAction*> actions = window().menuBar()->actions();
    QAction* found = nullptr;
    for (const QString& title : titles) {
      found = nullptr;
      for (QAction* a : actions)
        if (a->text() == title && a->isVisible()) found = a;
      if (!found) return nullptr;
      if (found->menu()) actions = found->menu()->actions();
    }
    return found;
  }

  // A click on the menu entry, as the user gives it: the menu opens (its parents first) and the
  // entry is clicked.
  void clickMenuItem(QAction* item) {
    ASSERT_NE(item, nullptr);
    QMenu* menu = menuOf(item);
    ASSERT_NE(menu, nullptr) << s(item->text());
    QList<QMenu*> chain{menu};
    for (QMenu* m = menu; m;) {
      QMenu* parent = m->menuAction() ? menuOf(m->menuAction()) : nullptr;
      if (parent) chain.prepend(parent);
      m = parent;
    }
    QPoint at = window().mapToGlobal(QPoint(10, 10));
    for (QMenu* m : chain) {
      m->popup(at);
      ASSERT_TRUE(QTest::qWaitForWindowExposed(m)) << s(m->title());
      if (m != menu) at = m->mapToGlobal(m->actionGeometry(m->menuAction()).topRight());
    }
    const QRect entry = menu->actionGeometry(item);
    ASSERT_FALSE(entry.isEmpty()) << s(item->text());
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, entry.center());
    for (QMenu* m : chain) m->hide();
    QApplication::processEvents();
  }

  // The shortcut typed to the focused widget of the main window.
  void typeShortcut(const QKeySequence& keys) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window();
    QTest::keySequence(target, keys);
    QApplication::processEvents();
  }

  // Waits with the GUI working until `done` holds; false after `ms`.
  template <typename Done>
  static bool waitFor(Done done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
      if (clock.elapsed() > ms) return false;
      QTest::qWait(10);
    }
    return true;
  }

  // Waits until the memo's run is over.
  bool waitIdle() {
    return waitFor([this] { return !memo()->isRunning(); }, 20000);
  }

  // Runs the memo's text with Escape, as the user runs a program, and waits for its ".OK.".
  void run(const QString& program) {
    memo()->setPlainText(program);
    select(0, 0);
    QTest::keyClick(memo(), Qt::Key_Escape);
    EXPECT_TRUE(waitFor([this] { return memo()->toPlainText().contains(".OK."); }))
        << s(memo()->toPlainText());
    ASSERT_TRUE(waitIdle());
  }

  static bool shown(const QWidget* w) { return w && !w->isHidden() && w->isVisible(); }

  // The launch's work after the first frame is done: the tools are made (the month list among
  // them), the modules ran, and what the launch left for right after has run.
  void waitLaunched() {
    ASSERT_TRUE(pravella::test::becomesTrue([this] { return Pravella_X && !memo()->isRunning(); }, 20000));
    ASSERT_TRUE(pravella::test::queuedWorkDone());
  }

  // The main window's layout has placed its parts for the size the window has now (below
  // the menu bar, which the layout leaves out).
  bool laidOut() {
    const QRect parts = window().layout()->geometry();
    const QRect all = window().contentsRect();
    return parts.left() == all.left() && parts.right() == all.right() && parts.bottom() == all.bottom();
  }

  // A test that expects dialogs and closes them itself sets this before SetUp.
  bool closesDialogsItself = false;
  std::unique_ptr<pravella::test::DialogWatchdog> watchdog;
  std::unique_ptr<pravella::Application> app;
  QStringList alerts;
  int terminations = 0;

 private:
  std::mutex soundsMutex_;
  QStringList sounds_;
};

}  // namespace app_test
