// Look-ups from the main memo (function manual, memo database), the Ctrl-double-click that
// starts them, and the search window.

#include "editors/ui/memo_lookups.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>

#include "diary/memo_database.h"
#include "editors/function_manual.h"
#include "editors/ui/main_text_view.h"
#include "editors/ui/search_window_cont.h"
#include "lang/builtins/startup.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "support/dialog_watchdog.h"

namespace {

using pravella::Notification;
using pravella::NotificationCenter;
namespace paths = pravella::paths;

std::string s(const QString& q) { return q.toStdString(); }

void writeFile(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

// A database of `records` records named "Note<i>.rtfd" on consecutive days.
void writeDatabase(int records) {
  QByteArray text;
  for (int i = 0; i < records; ++i)
    text += "<path>" + paths::diary().toUtf8() +
            QString::asprintf("/2008/%02d/%02d/Note%d.rtfd", 1 + i / 28, 1 + i % 28, i).toUtf8() +
            "</path>\n<honbun></honbun>\n";
  writeFile(pravella::memoDatabasePath(), text);
}

// Records what the tools receive.
struct Posted {
  QStringList seen;
  QObject context;
  Posted(std::initializer_list<const char*> names) {
    for (const char* name : names)
      NotificationCenter::defaultCenter().addObserver(name, &context, [this, name](Notification& n) {
        seen << QString(name) + ":" + (n.strings.isEmpty() ? n.text : n.strings.join("|"));
      });
  }
  ~Posted() { NotificationCenter::defaultCenter().removeObservers(&context); }
};

class Lookups : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    pvSoundStatus = 1;
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    view = new mainTextView(window.get());
    bar = new QProgressBar(window.get());
    hits = new QLabel(window.get());
    layout->addWidget(view);
    lookups = std::make_unique<MemoLookups>(view, bar, hits);
    lookups->setSoundPlayer([this](const char* name) { sounds << name; });
    lookups->setAlertPanel([this](const QString& title, const QString&) { alerts << title; });
    lookups->setMenuPresenter([this](QMenu* menu, const QPoint&) {
      for (QAction* a : menu->actions()) shownMenu << a->text();
    });
    lookups->awakeFromNib();
  }
  void TearDown() override {
    lookups.reset();
    window.reset();
  }
  QAction* menuItem(const QString& title) {
    for (QAction* a : lookups->manualMenu()->actions())
      if (a->text() == title) return a;
    return nullptr;
  }

  pravella::test::DialogWatchdog watchdog;
  std::unique_ptr<QWidget> window;
  mainTextView* view = nullptr;
  QProgressBar* bar = nullptr;
  QLabel* hits = nullptr;
  std::unique_ptr<MemoLookups> lookups;
  QStringList sounds, alerts, shownMenu;
};

TEST_F(Lookups, DatabaseHitsGoToAMenuUpToFiftyAndToTheMonthListBeyond) {
  writeDatabase(51);
  NotificationCenter::defaultCenter().post(QString::fromLatin1(pravella::kLoadMemoDatabase));
  Posted posted{"resultFromTextViewSearch", "openDocumentOnMemo"};
  struct Case {
    QString find;
    int result;
    int menuItems;  // the two heads and one item per hit
    int monthList;
  };
  const Case cases[] = {
      {"Note1", 1, 2 + 11, 0},                                           // Note1, Note10-19
      {"Note", 1, 0, 1},                                                 // 51 hits
      {"/2008/", 1, 0, 1},     {"Note4", 1, 2 + 11, 0},                  // Note4, Note40-49, each record once
      {"rtfd", 1, 0, 1},       {"Nothing", 0, 0, 0},    {"N", 0, 0, 0},  // too short
  };
  for (const Case& c : cases) {
    shownMenu.clear();
    posted.seen.clear();
    EXPECT_EQ(lookups->findMemoDatabase(QPoint(1, 1), c.find), c.result) << s(c.find);
    EXPECT_EQ(shownMenu.size(), c.menuItems) << s(c.find);
    EXPECT_EQ(posted.seen.size(), c.monthList) << s(c.find);
  }
  EXPECT_EQ(alerts, QStringList{"There are no Hit Items!"});  // a short text is refused quietly
  EXPECT_EQ(sounds.count("Basso"), 1);

  // Exactly 50 hits still make a menu: the last hit first.
  writeDatabase(50);
  lookups->loadMemoDatabase();
  shownMenu.clear();
  EXPECT_EQ(lookups->findMemoDatabase(QPoint(), "Note"), 1);
  ASSERT_EQ(shownMenu.size(), 52);
  EXPECT_EQ(shownMenu.mid(0, 4), (QStringList{"All to MonthSheet", "-----------------", "Note49", "Note48"}));
  EXPECT_EQ(hits->text(), "50");
  EXPECT_EQ(bar->value(), 0);
  posted.seen.clear();
  menuItem("Note48")->trigger();
  menuItem("All to MonthSheet")->trigger();
  ASSERT_EQ(posted.seen.size(), 2);
  EXPECT_EQ(posted.seen[0], "openDocumentOnMemo:" + paths::diary() + "/2008/02/21/Note48.rtfd");
  EXPECT_TRUE(posted.seen[1].startsWith("resultFromTextViewSearch:Note|" + paths::diary() +
                                        "/2008/02/22/Note49.rtfd|"));
  EXPECT_EQ(lookups->hitMemo().size(), 50);
}

TEST_F(Lookups, TheNotificationSearchAlwaysGoesToTheMonthList) {
  writeDatabase(3);
  lookups->loadMemoDatabase();
  Posted posted{"resultFromTextViewSearch"};
  NotificationCenter::defaultCenter().post("findAllMemoDatabase_X", "Note2");
  EXPECT_EQ(posted.seen,
            QStringList{"resultFromTextViewSearch:Note2|" + paths::diary() + "/2008/01/03/Note2.rtfd"});
  NotificationCenter::defaultCenter().post("findAllMemoDatabase_X", "N");
  NotificationCenter::defaultCenter().post("findAllMemoDatabase_X", "Sun");
  EXPECT_EQ(alerts, (QStringList{"Too Short String !", "There are no Hit Items!"}));
  EXPECT_EQ(posted.seen.size(), 1);
}

TEST_F(Lookups, ManualLookUpsInsertOrAskTheManualAndFallBackToTheDatabase) {
  Posted posted{"optionSearchManual", "resultFromTextViewSearch"};
  EXPECT_EQ(lookups->optionSearchFunctionName(QPoint(), "sin"), 0);  // no list: nothing at all
  EXPECT_TRUE(sounds.isEmpty());
  writeFile(pravella::functionNameListPath(), "{\\rtf1 sin(x)\\par asin(x)\\par cos(x)\\par plot.vk}");
  writeDatabase(2);
  lookups->loadMemoDatabase();

  EXPECT_EQ(lookups->optionSearchFunctionName(QPoint(), "COS"), 1);  // one entry: its page at once
  EXPECT_EQ(posted.seen, QStringList{"optionSearchManual:cos"});
  EXPECT_EQ(lookups->optionSearchFunctionName(QPoint(), "sin"), 1);  // two: the menu
  EXPECT_EQ(shownMenu, (QStringList{"sin(x)", "asin(x)"}));
  posted.seen.clear();
  menuItem("sin(x)")->trigger();
  EXPECT_EQ(posted.seen, QStringList{"optionSearchManual:sin"});

  shownMenu.clear();
  EXPECT_EQ(lookups->optionSearchFunctionName(QPoint(), "Note1"), 1);  // none: the database
  EXPECT_EQ(shownMenu, (QStringList{"All to MonthSheet", "-----------------", "Note1"}));
  sounds.clear();
  EXPECT_EQ(lookups->optionSearchFunctionName(QPoint(), "zzz"), 1);
  EXPECT_EQ(alerts, QStringList{"There are no Hit Items!"});
  EXPECT_EQ(sounds, (QStringList{"Pop", "Basso"}));

  shownMenu.clear();
  EXPECT_EQ(lookups->searchFunctionName(QPoint(), "plot"), 1);
  EXPECT_EQ(shownMenu, QStringList{"plot"});
  view->setPlainText("x = ");
  QTextCursor end = view->textCursor();
  end.movePosition(QTextCursor::End);
  view->setTextCursor(end);
  menuItem("plot")->trigger();
  EXPECT_EQ(view->toPlainText(), "x = plot");
}

TEST_F(Lookups, WithoutAManualBrowserTheConsoleSaysSo) {
  writeFile(pravella::functionNameListPath(), "{\\rtf1 sin(x)}");
  testing::internal::CaptureStderr();
  lookups->optionSearchFunctionName(QPoint(), "sin");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("No manual browser shows [sin]."), std::string::npos);
}

TEST_F(Lookups, CtrlDoubleClickLooksTheWordUpOutsideLinks) {
  QStringList asked;
  view->setLookUpHandler(
      [&](const QString& text, bool shift, const QPoint&) { asked << text + (shift ? "+" : ""); });
  int plain = 0;
  view->setDoubleClickHandler([&](Qt::KeyboardModifiers) { ++plain; });
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  view->setPlainText("alpha [beta] gamma");
  auto clickAt = [&](const QString& word, Qt::KeyboardModifiers keys) {
    QTextCursor c(view->document());
    c.setPosition(static_cast<int>(view->toPlainText().indexOf(word)) + 1);
    view->setTextCursor(c);  // no selection before the click
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, keys, view->cursorRect(c).center());
  };
  clickAt("alpha", Qt::ControlModifier);
  clickAt("gamma", Qt::ControlModifier | Qt::ShiftModifier);
  clickAt("beta", Qt::ControlModifier);  // inside brackets: the link check runs instead
  clickAt("alpha", Qt::NoModifier);
  EXPECT_EQ(asked, (QStringList{"alpha", "gamma+"}));
  EXPECT_EQ(plain, 2);
}

TEST(SearchWindow, StandsBesideTheMainWindowCopiesTheFocusedSelectionAndSends) {
  pravella::test::DialogWatchdog watchdog;
  QWidget mainWindow;
  auto* layout = new QVBoxLayout(&mainWindow);
  auto* memo = new QTextEdit(&mainWindow);
  auto* other = new QTextEdit(&mainWindow);  // not registered
  layout->addWidget(memo);
  layout->addWidget(other);
  mainWindow.setGeometry(10, 120, 250, 300);  // room for the search window on its right
  mainWindow.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
  SearchWindowCont search(&mainWindow);
  QStringList marked, launched;
  search.setFindByDocSelectedString([&](const QString& text) { marked << text; });
  search.setUrlLauncher([&](const QString& text) { launched << text; });
  search.awakeFromNib();
  search.registerTextView(memo);
  const QRect frame = mainWindow.frameGeometry();
  EXPECT_EQ(search.searchWindow()->pos(), QPoint(frame.x() + frame.width() + 5, frame.y()));

  memo->setPlainText("first line\nsecond");
  memo->selectAll();
  memo->setFocus();
  search.openSearchWindow();
  EXPECT_TRUE(search.searchWindow()->isVisible());
  EXPECT_EQ(search.textField()->text(), "first line\nsecond");
  // An empty selection, or the focus elsewhere, keeps the text.
  memo->setTextCursor(QTextCursor(memo->document()));
  search.openSearchWindow();
  other->setPlainText("other");
  other->selectAll();
  other->setFocus();
  search.openSearchWindow();
  EXPECT_EQ(search.textField()->text(), "first line\nsecond");

  Posted posted{"findAllMemoDatabase", "goSearchWithString", "dictionarySearch"};
  search.textField()->setText("word");
  for (int tag = 0; tag <= 4; ++tag) {
    search.searchType()->button(tag)->setChecked(true);
    search.openSearchWindow();
    search.goSearchAction();
    EXPECT_FALSE(search.searchWindow()->isVisible()) << tag;
  }
  EXPECT_EQ(launched, QStringList{"word"});  // no internet tool yet: the browser
  EXPECT_EQ(posted.seen,
            (QStringList{"findAllMemoDatabase:word", "goSearchWithString:word", "dictionarySearch:word"}));
  EXPECT_EQ(marked, QStringList{"word"});

  QObject internet;
  NotificationCenter::defaultCenter().addObserver(
      "internetSearchOnsearch", &internet, [&](Notification& n) { posted.seen << "internet:" + n.text; });
  search.searchType()->button(0)->setChecked(true);
  search.goSearchAction();
  search.textField()->clear();
  search.goSearchAction();  // an empty text searches nothing
  EXPECT_EQ(posted.seen.last(), "internet:word");
  EXPECT_EQ(posted.seen.size(), 4);
  NotificationCenter::defaultCenter().removeObservers(&internet);
}

}  // namespace
