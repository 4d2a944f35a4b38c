#pragma once
// The main window with its calendar controller for the day document tests: a fixed today and
// clock, the auto-save timer, alerts, the save panel, the desktop opener and the sounds under
// the test's hand, and a watchdog that fails a test on any other dialog.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QDoubleSpinBox>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QTableWidget>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <memory>

#include "diary/day_documents.h"
#include "diary/ui/calcndar.h"
#include "editors/ui/cal_option.h"
#include "diary/ui/main_window.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/ui/main_text_view.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/dialog_watchdog.h"
#include "support/test_home.h"

namespace day_documents_test {

namespace paths = pravella::paths;

inline std::string s(const QString& q) { return q.toStdString(); }

inline void writeFile(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << s(path);
  f.write(data);
}

inline void writeRtfd(const QString& path, const QString& text) {
  QTextDocument doc;
  doc.setPlainText(text);
  ASSERT_TRUE(pravella::writeRtfdFile(path, doc).ok) << s(path);
}

inline QString textOf(const QString& path) {
  QTextDocument doc;
  if (!pravella::readRichTextFile(path, doc)) return "<unreadable>";
  return doc.toPlainText();
}

// The auto-save timer under the test's hand.
class FakeTimer : public pravella::OneShotTimer {
 public:
  void start(int seconds, std::function<void()> action) override {
    lastSeconds = seconds;
    ++starts;
    action_ = std::move(action);
  }
  void stop() override { action_ = nullptr; }
  bool isActive() const override { return static_cast<bool>(action_); }
  void fire() {
    auto action = std::move(action_);
    action_ = nullptr;
    if (action) action();
  }
  int lastSeconds = 0;
  int starts = 0;

 private:
  std::function<void()> action_;
};

class DayDocuments : public testing::Test {
 protected:
  void start(QDate today = QDate(2008, 2, 28)) {
    today_ = today;
    window = std::make_unique<pravella::MainWindow>();
    calendar = std::make_unique<Calcndar>(window.get());
    option = std::make_unique<CalOption>(window.get(), calendar.get());
    calendar->setTodaySource([this] { return today_; });
    calendar->setClock([] { return QDateTime(QDate(2008, 2, 28), QTime(13, 14, 15)); });
    auto fake = std::make_unique<FakeTimer>();
    timer = fake.get();
    calendar->setAutoSaveTimer(std::move(fake));
    if (!realPanels)
      calendar->setAlertPanel([this](const QString& title, const QString& message, const QStringList&) {
        alerts.append(title);
        alertMessages.append(message);
        if (alertAnswer < 0) ADD_FAILURE() << "unexpected alert " << s(title);
        return alertAnswer < 0 ? 0 : alertAnswer;
      });
    if (!realOpener)
      calendar->setOpener([this](const QString& program, const QStringList& args, const QString& folder) {
        opened.append(program + " " + args.join(" ") + " in " + QFileInfo(folder).fileName());
        return true;
      });
    if (!realPanels)
      calendar->setSavePanel([this](const QString& title, const QString& folder, const QString& name) {
        panels.append(title + ":" + name);
        return panelAnswer.isEmpty() ? QString() : folder + "/" + panelAnswer;
      });
    calendar->setSoundPlayer([this](const char* name) { sounds.append(name); });
    option->setSoundPlayer([this](const char* name) { sounds.append(name); });
    calendar->setTerminator([] {});
    calendar->awakeFromNib();
    option->awakeFromNib();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    memo()->setFocus();
  }

  void TearDown() override {
    if (window) window->removeEventFilter(calendar.get());
    option.reset();
    calendar.reset();
    window.reset();
  }

  mainTextView* memo() { return window->documentView(); }
  QLineEdit* nameField() { return window->editingDiaryFileName(); }
  QTableWidget* table() { return window->diaryFileField(); }
  QString day(int d = 28) { return paths::dayFolder(2008, 2, d); }
  QString header() { return table()->horizontalHeaderItem(1)->text(); }
  QStringList rows() {
    QStringList names;
    for (int r = 0; r < table()->rowCount(); ++r) names << table()->item(r, 1)->text();
    return names;
  }
  void type(const QString& text) {
    memo()->setFocus();
    QTest::keyClicks(memo(), text);
  }
  void clickRow(int row) {
    const QRect rect = table()->visualItemRect(table()->item(row, 1));
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
  }
  QAbstractButton* memoButton(int tag) { return window->memoMenuButtons()->button(tag); }

  pravella::test::DialogWatchdog watchdog;
  QDate today_;
  std::unique_ptr<pravella::MainWindow> window;
  std::unique_ptr<Calcndar> calendar;
  std::unique_ptr<CalOption> option;
  FakeTimer* timer = nullptr;
  QStringList alerts, alertMessages, opened, panels, sounds;
  int alertAnswer = -1;
  QString panelAnswer;
  bool realOpener = false;  // the application's own opener, xdg-open from PATH
  bool realPanels = false;  // the application's own save panel and message boxes
};

}  // namespace day_documents_test
