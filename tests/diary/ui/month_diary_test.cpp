// The month diary drawer: month walks, memo searches, categories, history, the answers to
// programs and the shared progress bar.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QRadioButton>

#include "day_documents_fixture.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"
#include "editors/ui/search_window_cont.h"
#include "lang/builtins/command_bridge.h"
#include "lang/builtins/startup.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "platform/progress_bar.h"

namespace {

using namespace day_documents_test;
using pravella::MonthList;

// Calls one application command as a program does and reads its answer back.
std::string callForString(const std::string& name) {
  vkStartUp();
  VkCalcStack stack(kCalcStackSize);
  int sp = 0;
  vkPushScalar(stack.data(), &sp, 0);
  vk_Code record;
  record.kind = kCodeFunction;
  record.name = name;
  record.argc = 1;
  int pc = 0;
  if (DoFunctionPravellaCommand(1, &record, &pc, stack.data(), &sp) != 1) return "<failed>";
  const CalcStackEntry& top = stack[sp - 1];
  return top.type == kValueString ? std::string(top.data.chars()) : "<not a string>";
}

class MonthDiary : public DayDocuments {
 protected:
  void open(QDate today = QDate(2008, 2, 28)) {
    start(today);
    list = std::make_unique<Pravella>(calendar.get(), window.get());
    list->setSoundPlayer([this](const char* name) { sounds.append(name); });
    list->setAlertPanel([this](const QString& title, const QString&, const QStringList&) {
      alerts.append(title);
      return 0;
    });
    list->awakeFromNib();
  }
  void TearDown() override {
    list.reset();
    DayDocuments::TearDown();
  }
  pravella::MonthDiaryDrawer* drawer() { return list->drawer(); }
  bool waitForSearch() {
    return QTest::qWaitFor([this] { return !list->queryIsRunning(); }, 20000);
  }
  QStringList shownRows() {
    QStringList out;
    QTableWidget* t = drawer()->monthDiaryField();
    for (int r = 0; r < t->rowCount(); ++r) out << t->item(r, 0)->text() + "|" + t->item(r, 1)->text();
    return out;
  }
  int selectedRow() {
    const auto rows = drawer()->monthDiaryField()->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
  }
  std::unique_ptr<Pravella> list;
};

TEST_F(MonthDiary, MonthScopesListTheMonthsEntriesWithAnExtension) {
  writeRtfd(day(3) + "/First.rtfd", "a");
  writeFile(day(3) + "/note.txt", "b");
  QDir().mkpath(day(3) + "/pictd");
  writeFile(paths::dayFolder(2008, 1, 31) + "/january.txt", "c");
  open();
  drawer()->searchTextField()->setEditText(QString());
  list->oneMonthAction();
  EXPECT_EQ(list->tableArray(), (MonthList{{"2008/02/03", "note.txt"}, {"2008/02/03", "First.rtfd"}}));
  EXPECT_EQ(shownRows(), (QStringList{"2008/02/03|note.txt", "2008/02/03|First"}));
  EXPECT_EQ(drawer()->numOfFilesField()->text(), "2");
  EXPECT_EQ(calendar->toggleStatus(), Pravella::kToggleStatus);

  list->twoMonthAction();
  EXPECT_EQ(list->tableArray().size(), 3u);
  EXPECT_EQ(list->tableArray().back(), (pravella::MonthListEntry{"2008/01/31", "january.txt"}));

  // A text filters the names; blanks only search nothing and say so.
  drawer()->searchTextField()->setEditText("FIRST");
  list->oneMonthAction();
  EXPECT_EQ(list->tableArray().size(), 0u);  // a text goes to the memo search, not the walk
  ASSERT_TRUE(waitForSearch());
  sounds.clear();
  drawer()->searchTextField()->setEditText(QStringLiteral(" \u3000 "));
  list->goSearchAction();
  EXPECT_FALSE(list->queryIsRunning());
  EXPECT_EQ(sounds, QStringList{"Basso"});
}

TEST_F(MonthDiary, OpeningWithASelectedWordSearchesEveryMemoAndSelectsTheShownRow) {
  writeRtfd(paths::dayFolder(2007, 5, 1) + "/Old.rtfd", "the Comet came");
  writeRtfd(day(28) + "/Shown.rtfd", "a comet tonight");
  writeRtfd(day(27) + "/Other.rtfd", "nothing");
  open();
  calendar->selectDiaryFileFromNameAction("Shown.rtfd");
  ASSERT_TRUE(calendar->nowDisplayedDocument().endsWith("Shown.rtfd"));
  QTextCursor c = memo()->textCursor();
  c.setPosition(2);
  c.setPosition(7, QTextCursor::KeepAnchor);
  memo()->setTextCursor(c);
  memo()->setFocus();
  ASSERT_EQ(memo()->textCursor().selectedText(), "comet");
  list->showMonthDiaryAction();
  EXPECT_TRUE(drawer()->isVisible());
  EXPECT_TRUE(drawer()->allMemoButton()->isChecked());
  ASSERT_TRUE(waitForSearch());
  QTest::qWait(20);
  MonthList rows = list->tableArray();
  std::sort(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.day < b.day; });
  EXPECT_EQ(rows, (MonthList{{"2007/05/01", "Old.rtfd"}, {"2008/02/28", "Shown.rtfd"}}));
  ASSERT_GE(selectedRow(), 0);
  EXPECT_EQ(list->tableArray()[static_cast<size_t>(selectedRow())].diaryFiles, "Shown.rtfd");
  EXPECT_EQ(list->searchList(), QStringList{"comet"});
}

TEST_F(MonthDiary, TwoWordSearchFindsPackagesHoldingBothAndASecondSearchStopsTheFirst) {
  writeRtfd(paths::dayFolder(2007, 5, 1) + "/Both.rtfd", "The SUN and the Ｍｏｏｎ");
  writeRtfd(paths::dayFolder(2007, 5, 2) + "/One.rtfd", "sun only");
  writeFile(paths::dayFolder(2007, 5, 2) + "/plain.txt", "sun moon");
  writeRtfd(paths::diary() + "/Manual/Cat/Help.rtfd", "moon sun manual");
  open();
  drawer()->manualSWbutton()->setChecked(true);
  drawer()->searchTextField()->setEditText("only");
  list->findAllMemoAction();
  drawer()->searchTextField()->setEditText(QStringLiteral("ｓｕｎ\u3000moon"));
  list->goSearchAction();  // stops the first
  ASSERT_TRUE(waitForSearch());
  QTest::qWait(150);  // anything late of the first search would arrive now
  MonthList rows = list->tableArray();
  std::sort(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.day < b.day; });
  EXPECT_EQ(rows, (MonthList{{"0/0/0", paths::diary() + "/Manual/Cat/Help.rtfd"}, {"2007/05/01", "Both.rtfd"}}));
  EXPECT_TRUE(shownRows().contains("|Help"));  // a manual row shows no day
  EXPECT_EQ(list->searchList(), (QStringList{QStringLiteral("ｓｕｎ\u3000moon"), "only"}));

  // A quote is ordinary text: it finds nothing here instead of breaking the search.
  drawer()->searchTextField()->setEditText("'sun");
  list->goSearchAction();
  ASSERT_TRUE(waitForSearch());
  EXPECT_TRUE(list->tableArray().empty());

  // Names instead of contents.
  drawer()->searchFileNamebutton()->setChecked(true);
  drawer()->searchTextField()->setEditText("one");
  list->goSearchAction();
  ASSERT_TRUE(waitForSearch());
  EXPECT_EQ(list->tableArray(), (MonthList{{"2007/05/02", "One.rtfd"}}));
}

TEST_F(MonthDiary, CategoriesFilterAMemoDatabaseResultByTitlePrefix) {
  open();
  const QString d = paths::diary();
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.post("resultFromTextViewSearch", QString(),
              {"diet", d + "/2008/01/02/Diet 1.rtfd", d + "/2008/01/03/Work.rtfd", d + "/2008/01/04/Diet 2.rtfd"});
  EXPECT_TRUE(drawer()->isVisible());
  EXPECT_EQ(list->nowSearchMode(), 0);
  EXPECT_EQ(drawer()->searchTextField()->currentText(), "diet");
  EXPECT_EQ(list->tableArray(), (MonthList{{"2008/01/04", "Diet 2.rtfd"}, {"2008/01/03", "Work.rtfd"}, {"2008/01/02", "Diet 1.rtfd"}}));

  ASSERT_EQ(callForString("cal_getMonthList"),
            " [2008/01/04/Diet 2.rtfd] \n [2008/01/03/Work.rtfd] \n [2008/01/02/Diet 1.rtfd] \n");

  center.post("cal_setSearchCellTitle", "2\tDiet");
  center.post("cal_setSearchCellTitle", "14\tnever");
  EXPECT_EQ(drawer()->searchCategoryButton()->button(1)->text(), "Diet");
  sounds.clear();
  pvSoundStatus = 0;
  drawer()->searchCategoryButton()->button(1)->click();
  pvSoundStatus = 1;
  EXPECT_EQ(list->tableArray(), (MonthList{{"2008/01/02", "Diet 1.rtfd"}, {"2008/01/04", "Diet 2.rtfd"}}));
  EXPECT_EQ(sounds, QStringList{"Pop"});  // whatever the sound switch
  EXPECT_TRUE(drawer()->twoMonthButton()->isChecked());
  EXPECT_EQ(drawer()->searchTextField()->currentText(), "Diet");
  drawer()->searchCategoryButton()->button(5)->click();  // an empty title keeps every row
  EXPECT_EQ(list->tableArray().size(), 3u);
}

TEST_F(MonthDiary, HistoryKeepsNewestFirstWithoutDuplicates) {
  open();
  for (const char* s : {"a", "b", "a"}) list->addStringToSearchList(s);
  EXPECT_EQ(list->searchList(), (QStringList{"a", "b"}));
  QComboBox* field = drawer()->searchTextField();
  ASSERT_EQ(field->count(), 2);
  EXPECT_EQ(field->itemText(0), "a");
  EXPECT_EQ(field->itemText(1), "b");
}

TEST_F(MonthDiary, ProgramsSetAndReadTheSearchTextAndOpenTheDrawer) {
  open();
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.post("cal_setFindStringForMonthList", "日記");
  EXPECT_EQ(callForString("cal_getFindStringForMonthList"), "日記");
  center.post("cal_openMonthListSheet");
  EXPECT_TRUE(drawer()->isVisible());
  center.post("cal_closeMonthListSheet");
  EXPECT_FALSE(drawer()->isVisible());
  center.post("cal_toggleMonthListSheet");
  EXPECT_TRUE(drawer()->isVisible());
  calendar->closeAllToggleView();
  EXPECT_FALSE(drawer()->isVisible());
  window->findChild<QAction*>("showMonthDiaryAction")->trigger();
  EXPECT_TRUE(drawer()->isVisible());
}

TEST_F(MonthDiary, ProgramsMoveTheSharedBarWhichStandsAtZeroAfterEveryRun) {
  ASSERT_EQ(vkStartUp(), 1);
  open();
  memo()->awakeFromNib();
  memo()->setAlertPanel([](const QString&, const QString&) {});
  QList<int> values;
  QObject::connect(drawer()->searchProcessIndicator(), &QProgressBar::valueChanged, [&](int v) { values << v; });
  // The range first, long enough ago for the next value to show (21 ticks).
  setProcessIndicator(0, 10);
  QTest::qWait(400);
  memo()->setPlainText("setProcessIndicatorValue(5);");
  QTextCursor c = memo()->textCursor();
  c.movePosition(QTextCursor::End);
  memo()->setTextCursor(c);
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return memo()->toPlainText().contains(".OK."); }, 20000));
  // Halfway while the program ran, then back at 0.
  EXPECT_TRUE(values.contains(drawer()->searchProcessIndicator()->maximum() / 2)) << values.size();
  EXPECT_EQ(drawer()->searchProcessIndicator()->value(), 0);
  EXPECT_EQ(list->processIndicatorMaximum(), 10.0);
}

}  // namespace

namespace {

// The search window's tags 1 and 2 reach the month list: the memos of every month, and the
// selected day's month only.
TEST_F(MonthDiary, SearchWindowSendsItsTextToTheMemoSearchAndTheMonthSearch) {
  writeRtfd(paths::dayFolder(2007, 5, 1) + "/Old.rtfd", "the Comet came");
  writeRtfd(day(28) + "/Shown.rtfd", "a comet tonight");
  writeRtfd(day(27) + "/Other.rtfd", "nothing");
  open();
  SearchWindowCont search(window.get());
  search.awakeFromNib();
  const auto sendTag = [&](int tag) {
    search.openSearchWindow();
    search.searchType()->button(tag)->setChecked(true);
    search.textField()->setText("comet");
    search.goSearchAction();
    EXPECT_FALSE(search.searchWindow()->isVisible());
    EXPECT_TRUE(drawer()->isVisible());
    EXPECT_EQ(drawer()->searchTextField()->currentText(), "comet");
    EXPECT_TRUE(waitForSearch());
    QTest::qWait(20);
    QStringList days;
    for (const auto& row : list->tableArray()) days << row.day;
    days.sort();
    return days;
  };
  EXPECT_EQ(sendTag(1), (QStringList{"2007/05/01", "2008/02/28"}));
  EXPECT_EQ(sendTag(2), QStringList{"2008/02/28"});
}

}  // namespace
