// A walk of every menu item and every button of the main window on a real X display: each is
// used as the user uses it (a click on its menu entry, a click on the button) in a freshly
// started application that shows a saved memo with a selection, and must do something one can
// see: open a window, a drawer or a dialog, or change the memo, the calendar, the layout, the
// files, the clipboard, the status line, or start a program. What it opened is closed again.
// Sounds alone do not count: a control that only beeps has told the user nothing.

#include <QButtonGroup>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDialog>
#include <QDirIterator>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <map>
#include <set>

#include "app/app_fixture.h"
#include "app/desk_tools.h"
#include "diary/ui/cal_matrix.h"
#include "diary/ui/side_view_drawers.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "tools/pictures/memo_picture.h"
#include "tools/text/ui/cal_doc_search.h"

namespace {

using namespace app_test;

// The programs the application starts for the desktop, recorded instead of run.
const QStringList kRecordedPrograms = {"xdg-open", "x-terminal-emulator", "x-www-browser", "gtk-launch",
                                       "sensible-browser"};

// A control of the main window: a menu entry by its path of titles, or a button by its name.
struct Control {
  QString path;  // "&Tools > Picture &Size > 25", or "button memoMenuButton3"
  QStringList menuPath;
  QString buttonName;
};

std::string name(const Control& c) { return c.path.toStdString(); }

// Closes every dialog that shows (a modal one runs its own loop inside the click) and notes it.
class DialogCloser {
 public:
  DialogCloser() {
    timer_.setInterval(50);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog || !dialog->isVisible()) continue;
        seen << QStringLiteral("%1 \"%2\"")
                    .arg(QString::fromLatin1(dialog->metaObject()->className()), dialog->windowTitle());
        dialog->reject();
        dialog->hide();
      }
    });
    timer_.start();
  }
  QStringList seen;

 private:
  QTimer timer_;
};

class Walk : public App {
 protected:
  void SetUp() override {
    // Runs before the application starts: it shows this memo of today at launch.
    programs_ = std::make_unique<RecordingPrograms>(kRecordedPrograms);
    const QDate today = QDate::currentDate();
    QTextDocument doc;
    doc.setPlainText(kMemo);
    const QString day = pravella::paths::dayFolder(today.year(), today.month(), today.day());
    QDir().mkpath(day);
    ASSERT_TRUE(pravella::writeRtfdFile(day + "/plan.rtfd", doc).ok);
    QApplication::clipboard()->setText(QStringLiteral("1+2;"));
    closesDialogsItself = true;
    App::SetUp();
  }
  void TearDown() override {
    App::TearDown();
    programs_.reset();
  }

  // The application as each control finds it: the memo shown, edited, and "alpha" selected.
  void prepare() {
    memo()->setFocus();
    memo()->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo(), "ok");
    const int at = static_cast<int>(memo()->toPlainText().indexOf(QStringLiteral("alpha")));
    ASSERT_GE(at, 0) << s(memo()->toPlainText());
    select(at, at + 5);
    waitLaunched();
  }

  using Facts = std::map<QString, QString>;  // what one sees, by where one sees it

  // Everything of the application one can see.
  Facts facts() {
    Facts f;
    pravella::MainWindow& w = window();
    f["window"] = QStringLiteral("%1 modified=%2 %3x%4 min=%5 max=%6")
                      .arg(w.windowTitle())
                      .arg(w.isWindowModified())
                      .arg(w.width())
                      .arg(w.height())
                      .arg(w.minimumHeight())
                      .arg(w.maximumHeight());
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top != &w && top->isVisible() && !qobject_cast<QMenu*>(top))
        f[QStringLiteral("window %1 \"%2\"")
              .arg(QString::fromLatin1(top->metaObject()->className()), top->windowTitle())] = "shown";
    for (QDockWidget* dock : w.findChildren<QDockWidget*>())
      if (!dock->isHidden()) f["drawer " + dock->objectName()] = "shown";
    for (QWidget* view : {static_cast<QWidget*>(w.calMatrix()), static_cast<QWidget*>(w.diaryFileField()),
                          static_cast<QWidget*>(memo()), w.buttonMenu()})
      f["shown " + view->objectName()] = QString::number(!view->isHidden());
    for (QAbstractButton* b : w.memoMenuButtons()->buttons())
      f["button " + b->objectName()] = QStringLiteral("%1 %2").arg(b->text()).arg(b->isEnabled());
    for (int i = 0; i < pravella::MainWindow::kDayCells; ++i)
      f[QStringLiteral("cell %1").arg(i)] = QStringLiteral("%1 %2 %3")
                                                .arg(w.dayCell(i)->text())
                                                .arg(w.dayCell(i)->isChecked())
                                                .arg(w.dayCell(i)->icon().cacheKey());
    f["memo"] = QString::fromLatin1(
        QCryptographicHash::hash(memo()->document()->toHtml().toUtf8(), QCryptographicHash::Md5).toHex());
    f["memo selection"] = QStringLiteral("%1-%2")
                              .arg(memo()->textCursor().selectionStart())
                              .arg(memo()->textCursor().selectionEnd());
    f["memo sheet"] = calendar().memoSheet()->toggleMemoField()->toPlainText();
    f["day"] = calendar().selectedDay().toString(Qt::ISODate);
    f["document"] = calendar().nowDisplayedDocument() + " named " + w.editingDiaryFileName()->text();
    f["side view"] = QString::number(calendar().toggleStatus());
    f["list"] = calendar().diaryFiles().join(",");
    f["list colour"] = QString::number(calendar().tableFontColorMode());
    f["status line"] = w.statusBar()->currentMessage();
    f["find text"] = app->deskTools().docSearch()->findStringField()->text();
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    f["clipboard"] = (clip ? clip->formats().join(",") : QString()) + " " + QApplication::clipboard()->text();
    for (const QString& program : kRecordedPrograms)
      f["ran " + program] = RecordingPrograms::recorded(program, 0);
    for (QAction* a : w.findChildren<QAction*>())
      if (a->isCheckable()) f["checked " + a->text()] = QString::number(a->isChecked());
    f["ended"] = QString::number(terminations);
    f["alerts"] = alerts.join(" | ");
    f["dialogs"] = dialogs_ ? dialogs_->seen.join(" | ") : QString();
    // The user's files, the trash and the desktop included; not the test's own.
    QDirIterator it(pravella::test::home(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QFileInfo info(it.next());
      const QString rel = QDir(pravella::test::home()).relativeFilePath(info.filePath());
      if (rel.endsWith(".log") || rel.startsWith(".cache") || rel.startsWith("bin")) continue;
      f["file " + rel] =
          QStringLiteral("%1 %2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
    }
    return f;
  }

  // What changed from `before`, leaving out what changes by itself.
  static QStringList changes(const Facts& before, const Facts& after, const std::set<QString>& noisy) {
    QStringList changed;
    for (const auto& [key, value] : after) {
      if (noisy.count(key)) continue;
      const auto was = before.find(key);
      if (was == before.end())
        changed << QStringLiteral("new %1: %2").arg(key, value);
      else if (was->second != value)
        changed << QStringLiteral("%1: %2 -> %3").arg(key, was->second, value);
    }
    for (const auto& [key, value] : before)
      if (!noisy.count(key) && !after.count(key)) changed << QStringLiteral("gone %1").arg(key);
    return changed;
  }

  // Every control, found in a freshly started application.
  QList<Control> controls() {
    QList<Control> all;
    std::function<void(QMenu*, QStringList)> walk = [&](QMenu* menu, QStringList path) {
      for (QAction* a : menu->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        if (a->menu()) {
          walk(a->menu(), path + QStringList{a->text()});
          continue;
        }
        Control c;
        c.menuPath = path + QStringList{a->text()};
        c.path = c.menuPath.join(" > ");
        all << c;
      }
    };
    for (QAction* a : window().menuBar()->actions())
      if (a->menu() && a->isVisible()) walk(a->menu(), {a->text()});
    for (QAbstractButton* b : window().findChildren<QAbstractButton*>()) {
      if (!b->isVisible() || !b->isEnabled()) continue;
      bool inDrawer = false;
      for (QWidget* p = b->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<QDockWidget*>(p)) inDrawer = true;
      if (inDrawer || b->objectName().isEmpty()) continue;
      Control c;
      c.buttonName = b->objectName();
      c.path = "button " + c.buttonName;
      all << c;
    }
    return all;
  }

  // What some controls need to find to act on, as a user would have it ready.
  void prepareFor(const Control& control) {
    const QString& path = control.path;
    if (path == "F&ormat > Indent Left") {
      clickMenuItem(menuEntry({"F&ormat", "Indent Right"}));
    } else if (path.startsWith("&Tools > Picture &Size")) {
      QImage picture(40, 30, QImage::Format_RGB32);
      picture.fill(Qt::darkCyan);
      const QString file = pravella::test::home() + "/picture.png";
      ASSERT_TRUE(picture.save(file));
      QTextCursor at = memo()->textCursor();
      ASSERT_TRUE(pravella::insertPictureFile(at, file));
      select(at.position() - 1, at.position());
    } else if (path == "&Tools > T&humbnails > Show Clipboard Picture") {
      QImage picture(20, 20, QImage::Format_RGB32);
      picture.fill(Qt::red);
      QApplication::clipboard()->setImage(picture);
    } else if (path == "&Tools > &Web Browser") {
      // With a selection the sheet would look it up on the web: no test reaches the net.
      select(memo()->textCursor().position(), memo()->textCursor().position());
    } else if (path == "&Tools > Open Memo Selection in &Browser") {
      const int at = static_cast<int>(memo()->toPlainText().indexOf("http://"));
      select(at, at + 23);
    }
  }

  // Uses the control as the user does and answers what it changed.
  QStringList use(const Control& control) {
    // What changes by itself (the clock, work of the launch) says nothing about the control.
    const Facts before = facts();
    QTest::qWait(200);
    const Facts again = facts();
    std::set<QString> noisy;
    for (const auto& [key, value] : again)
      if (!before.count(key) || before.at(key) != value) noisy.insert(key);
    for (const auto& [key, value] : before)
      if (!again.count(key)) noisy.insert(key);

    dialogs_ = std::make_unique<DialogCloser>();
    if (!control.buttonName.isEmpty()) {
      auto* b = window().findChild<QAbstractButton*>(control.buttonName);
      EXPECT_NE(b, nullptr) << name(control);
      if (b) QTest::mouseClick(b, Qt::LeftButton);
    } else {
      QAction* item = menuEntry(control.menuPath);
      EXPECT_NE(item, nullptr) << name(control);
      if (item) clickMenuItem(item);
    }
    // Child programs and windows answer a little later.
    QStringList changed;
    QElapsedTimer clock;
    clock.start();
    do {
      QTest::qWait(50);
      changed = changes(again, facts(), noisy);
    } while (changed.isEmpty() && clock.elapsed() < 2000);
    QTest::qWait(100);
    changed = changes(again, facts(), noisy);
    dialogs_.reset();
    return changed;
  }

  // Closes what the control opened: its windows, its drawers, a changed layout.
  void closeWhatOpened() {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top != &window() && top->isVisible() && !qobject_cast<QMenu*>(top)) top->close();
    calendar().closeAllToggleView();
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("changeToOriginalView"));
    QApplication::processEvents();
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top != &window() && top->isVisible() && !qobject_cast<QMenu*>(top))
        ADD_FAILURE() << "still open: " << top->metaObject()->className() << " " << s(top->windowTitle());
    for (QDockWidget* dock : window().findChildren<QDockWidget*>())
      EXPECT_TRUE(dock->isHidden()) << "drawer still open: " << s(dock->objectName());
    EXPECT_FALSE(memo()->isHidden());
  }

  // Walks the controls whose path `wanted` accepts, each in an application started afresh.
  void walk(const std::function<bool(const Control&)>& wanted, bool mayBeEmpty = false) {
    prepare();
    QList<Control> chosen;
    for (const Control& c : controls())
      if (wanted(c)) chosen << c;
    if (!mayBeEmpty) {
      ASSERT_FALSE(chosen.isEmpty());
    }
    for (int i = 0; i < chosen.size(); ++i) {
      const Control& control = chosen[i];
      SCOPED_TRACE(name(control));
      if (i > 0) restart();
      prepareFor(control);
      const QStringList changed = use(control);
      EXPECT_FALSE(changed.isEmpty())
          << name(control) << " leads nowhere; it only played: " << s(sounds().join(", "));
      closeWhatOpened();
    }
  }

  void restart() {
    app.reset();
    alerts.clear();
    terminations = 0;
    SheetCanOpen = 1;
    // Each control finds the memo and the clipboard as the walk began.
    QApplication::clipboard()->setText(QStringLiteral("1+2;"));
    App::SetUp();
    prepare();
    clearSounds();
  }

  static bool inMenu(const Control& c, const QString& menu) {
    return !c.menuPath.isEmpty() && c.menuPath[0] == menu;
  }

  static constexpr const char* kMemo = "# Plan\nalpha beta <budget> [plan]\nhttp://127.0.0.1:9/page\n1+2;\n";
  std::unique_ptr<RecordingPrograms> programs_;
  std::unique_ptr<DialogCloser> dialogs_;
};

TEST_F(Walk, TheFileMenu) {
  walk([](const Control& c) { return inMenu(c, "&File"); });
}
TEST_F(Walk, TheEditMenu) {
  walk([](const Control& c) { return inMenu(c, "&Edit"); });
}
TEST_F(Walk, TheViewAndRecentMenus) {
  walk([](const Control& c) { return inMenu(c, "&View") || inMenu(c, "&Recent Memo"); });
}
TEST_F(Walk, TheFormatMenu) {
  walk([](const Control& c) { return inMenu(c, "F&ormat"); });
}
TEST_F(Walk, TheToolsMenuFirstHalf) {
  walk([](const Control& c) { return inMenu(c, "&Tools") && c.path < "&Tools > &M"; });
}
TEST_F(Walk, TheToolsMenuSecondHalf) {
  walk([](const Control& c) { return inMenu(c, "&Tools") && !(c.path < "&Tools > &M"); });
}
TEST_F(Walk, TheOtherMenus) {
  walk(
      [](const Control& c) {
        return !c.menuPath.isEmpty() &&
               !QStringList{"&File", "&Edit", "&View", "&Recent Memo", "F&ormat", "&Tools"}.contains(
                   c.menuPath[0]);
      },
      true);
}
TEST_F(Walk, TheMemoButtonsAndTheCalendarsSteps) {
  walk([](const Control& c) {
    return c.buttonName.startsWith("memoMenuButton") || c.buttonName.endsWith("Button");
  });
}
TEST_F(Walk, TheCalendarsCells) {
  walk([](const Control& c) { return c.buttonName.startsWith("dayCell"); });
}

}  // namespace
