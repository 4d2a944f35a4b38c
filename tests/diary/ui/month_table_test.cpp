// The month list table's display and the row memo view under it: colours, sorting, dragging,
// the arrow keys and Alt-click, showing, saving and marking a row's document, the search
// document and the handheld export lists.

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTextEdit>

#include "day_documents_fixture.h"
#include "diary/ui/get_key_on_month_table.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"
#include "editors/ui/temporary_highlights.h"
#include "lang/values.h"
#include "diary/program_settings.h"
#include "platform/property_list.h"
#include "platform/rtf.h"

namespace {

using namespace day_documents_test;
using pravella::MonthList;

class MonthTable : public DayDocuments {
 protected:
  void open(QDate today = QDate(2008, 2, 28)) {
    start(today);
    list = std::make_unique<Pravella>(calendar.get(), window.get());
    list->setSoundPlayer([this](const char* name) { sounds.append(name); });
    list->setAlertPanel([this](const QString& title, const QString&, const QStringList&) {
      alerts.append(title);
      return 0;
    });
    list->setUrlLauncher([this](const QString& text) { launched.append(text); });
    list->setClock([] { return QDateTime(QDate(2008, 2, 28), QTime(9, 8, 7)); });
    list->awakeFromNib();
  }
  void TearDown() override {
    list.reset();
    DayDocuments::TearDown();
  }
  // Lists these rows as a memo-database result does (the paths are given last first).
  void listRows(const QString& text, const QStringList& pathsLastFirst) {
    pravella::NotificationCenter::defaultCenter().post("resultFromTextViewSearch", QString(),
                                                       QStringList{text} + pathsLastFirst);
  }
  pravella::MonthDiaryDrawer* drawer() { return list->drawer(); }
  getKeyOnMonthTable* monthTable() { return drawer()->monthDiaryField(); }
  QTextEdit* rowView() { return drawer()->subTextView(); }
  int selectedRow() {
    const auto rows = monthTable()->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
  }
  void clickMonthRow(int row, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    const QRect rect = monthTable()->visualItemRect(monthTable()->item(row, 1));
    QTest::mouseClick(monthTable()->viewport(), Qt::LeftButton, keys, rect.center());
  }
  QStringList highlighted(QTextEdit* view) {
    QStringList out;
    for (const QTextEdit::ExtraSelection& s : view->extraSelections())
      out << s.cursor.selectedText() + "@" + s.format.background().color().name();
    return out;
  }
  QString dayPath(int y, int m, int d, const QString& name) { return paths::dayFolder(y, m, d) + "/" + name; }
  std::unique_ptr<Pravella> list;
  QStringList launched;
};

TEST_F(MonthTable, ModesColourFutureDaysRedAndRowsByParity) {
  open();
  listRows("x", {dayPath(2008, 3, 1, "Next.rtfd"), dayPath(2008, 2, 28, "Today.rtfd"),
                 dayPath(2008, 2, 1, "Past.rtfd")});
  ASSERT_EQ(list->tableArray().front().diaryFiles, "Past.rtfd");
  const QColor red = QColor::fromRgbF(1, 0, 0), even = QColor::fromRgbF(0.5f, 0.1f, 0.2f),
               odd = QColor::fromRgbF(0.0f, 0.1f, 0.5f), grey = QColor::fromRgbF(0.93f, 0.93f, 0.93f),
               white = QColor::fromRgbF(1, 1, 1);
  auto fore = [&](int row) {
    const QVariant v = monthTable()->item(row, 1)->data(Qt::ForegroundRole);
    return v.isValid() ? v.value<QBrush>().color() : QColor();
  };
  auto back = [&](int row) {
    const QVariant v = monthTable()->item(row, 0)->data(Qt::BackgroundRole);
    return v.isValid() ? v.value<QBrush>().color() : QColor();
  };
  struct Case {
    QString mode;
    int expectMode;
    QList<QColor> text, background;
  };
  const Case cases[] = {
      {"1", 1, {even, odd, red}, {QColor(), QColor(), QColor()}},
      {"2", 2, {QColor(), QColor(), QColor()}, {grey, white, grey}},
      {"3", 3, {even, odd, red}, {grey, white, grey}},
      {"0", 0, {QColor(), QColor(), QColor()}, {QColor(), QColor(), QColor()}},
      {"7", 0, {QColor(), QColor(), QColor()}, {QColor(), QColor(), QColor()}},
  };
  for (const Case& c : cases) {
    pravella::NotificationCenter::defaultCenter().post("cal_changeMonthTableForeColor", c.mode);
    EXPECT_EQ(list->changeTableViewFontColor(), c.expectMode);
    for (int row = 0; row < 3; ++row) {
      EXPECT_EQ(fore(row), c.text[row]) << "mode " << s(c.mode) << " row " << row;
      EXPECT_EQ(back(row), c.background[row]) << "mode " << s(c.mode) << " row " << row;
    }
  }
  // The toggle steps 0 -> 1 -> 2 -> 3 -> 0; the future is the calendar's today.
  for (int expect : {1, 2, 3, 0}) {
    pravella::NotificationCenter::defaultCenter().post("cal_toggleMonthTableForeColor");
    EXPECT_EQ(list->changeTableViewFontColor(), expect);
  }
  today_ = QDate(2008, 1, 1);
  list->changeTableFontForeColor("1");
  EXPECT_EQ(fore(0), red);
  EXPECT_EQ(fore(1), red);
}

TEST_F(MonthTable, HeaderClickSortsAndKeepsTheSelectedRow) {
  open();
  listRows("x", {dayPath(2008, 1, 5, "b.txt"), dayPath(2008, 1, 3, "c.txt"), dayPath(2008, 1, 4, "a.txt")});
  auto names = [&] {
    QStringList out;
    for (const auto& e : list->tableArray()) out << e.diaryFiles;
    return out;
  };
  ASSERT_EQ(names(), (QStringList{"a.txt", "c.txt", "b.txt"}));
  monthTable()->selectRow(1);  // c.txt
  struct Case {
    int column;
    QStringList order;
    int selected;
  };
  const Case cases[] = {
      {1, {"a.txt", "b.txt", "c.txt"}, 2},
      {1, {"c.txt", "b.txt", "a.txt"}, 0},  // again: the other way
      {0, {"c.txt", "a.txt", "b.txt"}, 0},
      {0, {"b.txt", "a.txt", "c.txt"}, 2},
  };
  for (const Case& c : cases) {
    QTest::mouseClick(monthTable()->horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(monthTable()->horizontalHeader()->sectionViewportPosition(c.column) + 5, 5));
    EXPECT_EQ(names(), c.order);
    EXPECT_EQ(selectedRow(), c.selected);
    EXPECT_EQ(monthTable()->item(selectedRow(), 1)->text(), "c.txt");
  }
  monthTable()->clearSelection();
  list->didClickTableColumn(1);
  EXPECT_EQ(selectedRow(), -1);
}

TEST_F(MonthTable, DraggedRowsGiveLinksOrAFileList) {
  const QString manual = paths::diary() + "/Manual/Cat/Help.rtfd";
  writeRtfd(manual, "help me");
  writeRtfd(dayPath(2008, 2, 28, "Memo.rtfd"), "help");
  writeRtfd(dayPath(2008, 2, 27, "note.rtfd"), "help");
  open();
  drawer()->manualSWbutton()->setChecked(true);
  drawer()->searchTextField()->setEditText("help");
  list->findAllMemoAction();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !list->queryIsRunning(); }, 20000));
  QTest::qWait(20);
  list->didClickTableColumn(1);  // the manual row's full path sorts first
  ASSERT_EQ(list->tableArray().size(), 3u);
  ASSERT_EQ(list->tableArray()[0].day, pravella::kManualDay);
  struct Case {
    int row;
    QString text;
  };
  const Case cases[] = {{1, " [Memo] "}, {2, " [2008/02/27/note] "}};  // the selected day's row is bare
  for (const Case& c : cases) {
    std::unique_ptr<QMimeData> data(list->dragDataForRow(c.row));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->text(), c.text);
    EXPECT_FALSE(data->hasUrls());
  }
  std::unique_ptr<QMimeData> data(list->dragDataForRow(0));
  ASSERT_TRUE(data && data->hasUrls());
  EXPECT_EQ(data->urls(), QList<QUrl>{QUrl::fromLocalFile(manual)});
  // Only the first dragged row counts.
  std::unique_ptr<QMimeData> table(monthTable()->model()->mimeData(
      {monthTable()->model()->index(2, 0), monthTable()->model()->index(1, 0)}));
  ASSERT_TRUE(table);
  EXPECT_EQ(table->text(), " [2008/02/27/note] ");
  EXPECT_EQ(list->dragDataForRow(3), nullptr);
}

TEST_F(MonthTable, RowMemoViewShowsEditsAndSavesThroughALinkChain) {
  writeRtfd(day(3) + "/Real.rtfd", "real text");
  QDir().mkpath(day(4));
  QDir().mkpath(day(5));
  ASSERT_TRUE(QFile::link(day(3) + "/Real.rtfd", day(4) + "/Hop.rtfd"));
  ASSERT_TRUE(QFile::link(day(4) + "/Hop.rtfd", day(5) + "/Link.rtfd"));
  writeRtfd(day(6) + "/Other.rtfd", "other");
  open();
  listRows("x", {day(6) + "/Other.rtfd", day(5) + "/Link.rtfd"});
  ASSERT_TRUE(drawer()->subViewSW()->isChecked());
  clickMonthRow(0);
  EXPECT_EQ(list->nowDisplayedDocPath(), day(5) + "/Link.rtfd");
  EXPECT_EQ(rowView()->toPlainText(), "real text");
  EXPECT_FALSE(drawer()->durtyButton()->isChecked());
  EXPECT_TRUE(sounds.contains("Pop"));
  EXPECT_TRUE(calendar->nowDisplayedDocument().isEmpty());  // the main memo stays

  QTextCursor c = rowView()->textCursor();
  c.movePosition(QTextCursor::End);
  c.insertText(" and more");
  EXPECT_TRUE(drawer()->durtyButton()->isChecked());
  sounds.clear();
  QTest::keyClick(monthTable(), Qt::Key_Down);  // saves, then shows the next row
  EXPECT_EQ(selectedRow(), 1);
  EXPECT_EQ(rowView()->toPlainText(), "other");
  EXPECT_EQ(sounds.first(), "Tink");
  EXPECT_TRUE(QFileInfo(day(5) + "/Link.rtfd").isSymLink());
  EXPECT_EQ(textOf(day(3) + "/Real.rtfd"), "real text and more");
  sounds.clear();
  QTest::keyClick(monthTable(), Qt::Key_Down);  // past the last row
  EXPECT_EQ(sounds, QStringList{"Basso"});
  QTest::keyClick(monthTable(), Qt::Key_Up);
  EXPECT_EQ(selectedRow(), 0);

  // A write that fails keeps the changes and their mark, and the row stays.
  rowView()->textCursor().insertText("kept ");
  QFile::remove(day(4) + "/Hop.rtfd");
  ASSERT_TRUE(QFile::link(day(5) + "/Link.rtfd", day(4) + "/Hop.rtfd"));  // now a loop
  alerts.clear();
  clickMonthRow(1);
  EXPECT_EQ(alerts, QStringList{"Can not save the document"});
  EXPECT_TRUE(drawer()->durtyButton()->isChecked());
  EXPECT_TRUE(rowView()->toPlainText().contains("kept "));
  EXPECT_EQ(list->nowDisplayedDocPath(), day(5) + "/Link.rtfd");
}

TEST_F(MonthTable, AnAttachmentDoubleClickedInTheRowViewOpensItsFile) {
  QTextDocument doc;
  QTextCursor c(&doc);
  c.insertText("see ");
  pravella::rtf::insertAttachment(c, "notes.txt", "attached bytes");
  ASSERT_TRUE(pravella::writeRtfdFile(day(3) + "/a.rtfd", doc).ok);
  open();
  QStringList opened;
  list->setOpener([&](const QString& path) {
    opened << path;
    return true;
  });
  EXPECT_FALSE(list->openAttachmentAt(4));  // nothing shown yet
  listRows("zz", {day(3) + "/a.rtfd"});
  clickMonthRow(0);
  EXPECT_FALSE(list->openAttachmentAt(1));  // plain text there
  EXPECT_TRUE(list->openAttachmentAt(5));
  QTextCursor before(rowView()->document());
  before.setPosition(4);
  QTest::mouseDClick(rowView()->viewport(), Qt::LeftButton, Qt::NoModifier,
                     rowView()->cursorRect(before).center() + QPoint(2, 0));
  EXPECT_EQ(opened, (QStringList{day(3) + "/a.rtfd/notes.txt", day(3) + "/a.rtfd/notes.txt"}));
}

TEST_F(MonthTable, AltClickAndAHiddenViewOpenTheRowInTheMainMemo) {
  writeRtfd(paths::dayFolder(2007, 5, 1) + "/Old.rtfd", "an old Comet");
  writeRtfd(day(3) + "/Near.rtfd", "near");
  open();
  listRows("comet", {day(3) + "/Near.rtfd", paths::dayFolder(2007, 5, 1) + "/Old.rtfd"});
  clickMonthRow(0, Qt::AltModifier);
  EXPECT_EQ(calendar->selectedDay(), QDate(2007, 5, 1));
  EXPECT_TRUE(calendar->nowDisplayedDocument().endsWith("/2007/05/01/Old.rtfd"));
  EXPECT_EQ(highlighted(memo()), QStringList{"Comet@#ffa6bf"});
  EXPECT_TRUE(list->nowDisplayedDocPath().isNull());  // the row view was not used
  drawer()->subViewSW()->click();                     // hides the view
  EXPECT_FALSE(drawer()->subViewSW()->isChecked());
  EXPECT_EQ(drawer()->subTextSplit()->sizes().value(1), 0);
  clickMonthRow(1);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 3));
  EXPECT_TRUE(list->nowDisplayedDocPath().isNull());
}

TEST_F(MonthTable, SearchWordsAreMarkedOneColourEachAndStarsAreDropped) {
  writeRtfd(day(3) + "/Words.rtfd", "Sun and moon, SUN again; star");
  open();
  listRows(QStringLiteral("*sun\u3000moon* ** star"), {day(3) + "/Words.rtfd"});
  clickMonthRow(0);
  // "**" is a word of its own for the colours, but marks nothing.
  EXPECT_EQ(highlighted(rowView()),
            (QStringList{"Sun@#ffa6bf", "SUN@#ffa6bf", "moon@#cca6bf", "star@#66a6bf"}));
  EXPECT_EQ(rowView()->textCursor().position(), 3);  // after the first hit
  // The next edit removes the marks; a switched-off mark button marks nothing.
  rowView()->textCursor().insertText("x");
  EXPECT_TRUE(highlighted(rowView()).isEmpty());
  drawer()->kensakuHyoujiCheckButton()->setChecked(false);
  list->findByDocSelectedString("sun", rowView());
  EXPECT_TRUE(highlighted(rowView()).isEmpty());
}

TEST_F(MonthTable, SearchDocumentShowsOpeningsAndIsNeverSaved) {
  writeRtfd(day(3) + "/Long.rtfd", "Title\n" + QString(300, QLatin1Char('z')));
  writeRtfd(day(4) + "/Short.rtfd", "Short\nbody");
  writeFile(paths::preferences() + "/template.rtf", "{\\rtf1\\qc Template text}");
  open();
  listRows("x", {day(4) + "/Short.rtfd", day(3) + "/Long.rtfd"});
  quint64 ticks = 0;
  list->setTickClock([&] { return ticks += 20; });
  drawer()->commandButton("makeSearchDocument")->click();
  const QString text = rowView()->toPlainText();
  EXPECT_TRUE(text.startsWith(" [2008/02/03/Long] \n" + QString(201, QLatin1Char('z')) +
                              "\n\n [2008/02/04/Short] \nbody"));
  EXPECT_FALSE(text.contains("Template"));
  EXPECT_EQ(rowView()->document()->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
            Qt::AlignHCenter);
  EXPECT_TRUE(rowView()->isReadOnly());
  EXPECT_EQ(list->nowDisplayedDocPath(), "");
  EXPECT_EQ(drawer()->progressBar()->value(), 0);
  EXPECT_TRUE(sounds.contains("Pop"));
  rowView()->setReadOnly(false);
  rowView()->textCursor().insertText("edit");
  EXPECT_FALSE(drawer()->durtyButton()->isChecked());
  EXPECT_TRUE(list->saveDocAction());
  EXPECT_EQ(textOf(day(3) + "/Long.rtfd"), "Title\n" + QString(300, QLatin1Char('z')));
}

TEST_F(MonthTable, LookUpsAndHandheldListsOfTheRowView) {
  writeRtfd(day(3) + "/Doc.rtfd", "東京に行きました");
  open();
  listRows("tokyo", {day(3) + "/Doc.rtfd"});
  clickMonthRow(0);
  QStringList posted;
  auto& center = pravella::NotificationCenter::defaultCenter();
  QObject context;
  for (const char* name : {"dictionarySearch", "toPalmBelowAction_A"})
    center.addObserver(name, &context, [&posted, name](pravella::Notification& n) {
      posted << QString(name) + ":" + n.text;
    });
  QTextCursor c(rowView()->document());
  c.setPosition(0);
  c.setPosition(8, QTextCursor::KeepAnchor);
  rowView()->setTextCursor(c);
  drawer()->commandButton("searchDicAction")->click();
  drawer()->commandButton("searchInternetAction")->click();  // no web sheet: the browser
  EXPECT_EQ(launched, QStringList{"東京に行きました"});
  drawer()->commandButton("toPalmBelowAction")->click();
  EXPECT_EQ(posted, (QStringList{"dictionarySearch:東京に行きました", "toPalmBelowAction_A:tokyo"}));
  const QString vk = paths::diary() + "/vkData/";
  EXPECT_EQ(pravella::plist::readStringArray(vk + "fa01.dat"), QStringList{"2008/02/03"});
  EXPECT_EQ(pravella::plist::readStringArray(vk + "fa02.dat"), QStringList{"Doc.rtfd"});

  // With the word switch on, only the stems go to the browser.
  setInternetWordSearchStatus(1);
  drawer()->commandButton("searchInternetAction")->click();
  setInternetWordSearchStatus(0);
  EXPECT_EQ(launched.last(), "東京 行 ");
  // The main memo's selection becomes the search text.
  memo()->setPlainText("find me");
  memo()->selectAll();
  drawer()->commandButton("pasteFromSelectedDocumentAction")->click();
  EXPECT_EQ(drawer()->searchTextField()->currentText(), "find me");

  // With nothing selected nothing is sent; an empty search text exports nothing.
  posted.clear();
  rowView()->setTextCursor(QTextCursor(rowView()->document()));
  drawer()->commandButton("searchDicAction")->click();
  drawer()->searchTextField()->setEditText("");
  drawer()->commandButton("toPalmBelowAction")->click();
  EXPECT_TRUE(posted.isEmpty());
  center.removeObservers(&context);
}

TEST_F(MonthTable, DateStampsAndClosingTheSideViewsReachTheRowView) {
  writeRtfd(day(3) + "/Doc.rtfd", "text");
  open();
  listRows("zz", {day(3) + "/Doc.rtfd"});
  clickMonthRow(0);
  rowView()->setFocus();
  calendar->pasteDateAction();
  calendar->pasteDateTimeAction();
  EXPECT_EQ(rowView()->toPlainText(), " [2008/02/28]  [2008/02/28 09:08:07] text");
  // The memo options' font commands serve it too.
  sounds.clear();
  option->monaco12PointAction();
  EXPECT_EQ(sounds, QStringList{"Tink"});
  QTextCursor c(rowView()->document());
  c.setPosition(5);
  EXPECT_EQ(c.charFormat().fontPointSize(), 12);
  calendar->closeAllToggleView();
  EXPECT_FALSE(drawer()->durtyButton()->isChecked());
  EXPECT_EQ(textOf(day(3) + "/Doc.rtfd"), " [2008/02/28]  [2008/02/28 09:08:07] text");
}

}  // namespace
