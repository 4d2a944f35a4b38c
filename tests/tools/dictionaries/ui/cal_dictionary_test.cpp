// The text-dictionary drawer: a typed word lists its hits and shows the entry; the hit history,
// the keys of the hit table and the hand-offs to the web sheet.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

#include "diary/diary_globals.h"
#include "platform/notification_center.h"
#include "platform/text_encoding.h"
#include "tools/dictionaries/ui/cal_dictionary.h"

using namespace pravella;

namespace {

void writeSjis(const QString& path, const QString& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(encoding::encode(text, encoding::kShiftJIS));
}

QString dic(const QString& rel) { return textdic::dictionaryFolder() + u'/' + rel; }

struct Fixture {
  int toggle = 0;
  QStringList sounds;
  QStringList webSheet;
  QByteArray launched;
  std::unique_ptr<CalDictionary> tool;

  explicit Fixture(QTextEdit* bookMarkMemo = nullptr, QTextEdit* monthSheetMemo = nullptr) {
    CalDictionary::Host host;
    host.bookMarkTextView = bookMarkMemo;
    host.monthSheetTextView = monthSheetMemo;
    host.closeAllToggleView = [] {};
    host.setToggleStatus = [this](int n) { return std::exchange(toggle, n); };
    host.toggleStatus = [this] { return toggle; };
    host.playSound = [this](const char* s) { sounds << s; };
    host.launchURL = [this](const QByteArray& b) { launched = b; };
    tool = std::make_unique<CalDictionary>(host);
    tool->awakeFromNib();
    NotificationCenter::defaultCenter().addObserver(QStringLiteral("openWebSheetAndConnectURL_X"), tool.get(),
                                                    [this](Notification& n) { webSheet << n.text; });
  }
  void search(const QString& word) {
    tool->wordField()->setEditText(word);
    tool->goSearchAction();
  }
};

void writeFixtureDictionary() {
  QString body;
  for (int i = 1; i <= 11; ++i) body += QStringLiteral("line %1\n").arg(i);
  body += QString::fromUtf16(u"ＡＢＣ entry\n more one\n more two\nnext\n");
  writeSjis(dic("eng/body.txt"), body);
  writeSjis(dic("eng/words.TAG"), QString::fromUtf16(u"#\nbody.txt(12)#ＡＢＣ\nbody.txt(1)#ａｂｃｄ\n"
                                                      u"../outside.txt(1)#ａｂｃ\nbody.txt(900)#ａｂｃｅ\n"));
}

}  // namespace

TEST(CalDictionary, TypedWordListsHitsAndShowsTheEntry) {
  writeFixtureDictionary();
  Fixture f;
  ASSERT_EQ(f.tool->dicFileArray().size(), 1);
  f.search("abc");
  EXPECT_EQ(f.tool->wordField()->currentText(), QString::fromUtf16(u"ａｂｃ"));
  ASSERT_EQ(f.tool->hits().size(), 3);  // the ".." line is skipped
  EXPECT_EQ(f.tool->findTable()->item(0, 0)->text(), "words");
  EXPECT_EQ(f.tool->findTable()->item(0, 1)->text(), "body");
  EXPECT_EQ(f.tool->findTable()->item(0, 2)->text(), QString::fromUtf16(u"ＡＢＣ"));
  EXPECT_EQ(f.tool->hitCountField()->text(), "3");
  EXPECT_EQ(f.tool->honbunTextView()->toPlainText(), QString::fromUtf16(u"ＡＢＣ entry more one more two"));
  EXPECT_EQ(f.tool->filePathAndLocation()->text(), "   12\t" + dic("eng/body.txt"));
  EXPECT_EQ(f.tool->historyArray(), QStringList({QString::fromUtf16(u"ａｂｃ")}));
  EXPECT_TRUE(f.webSheet.isEmpty());

  // A line number past the end of the body: an empty body.
  f.tool->findTable()->selectRow(2);
  f.tool->selectItemAction();
  EXPECT_EQ(f.tool->honbunTextView()->toPlainText(), "");

  // Showing the first hit again leaves one entry for it, moved to the end.
  f.tool->findTable()->selectRow(0);
  f.tool->selectItemAction();
  EXPECT_EQ(f.tool->rireki().entries().size(), 2);
  EXPECT_EQ(f.tool->rireki().entries().last(), "   12\t" + dic("eng/body.txt"));
  EXPECT_TRUE(f.tool->prevButton()->isEnabled());
  EXPECT_FALSE(f.tool->nextButton()->isEnabled());
  f.tool->prevItemAction();
  EXPECT_EQ(f.tool->filePathAndLocation()->text(), "  900\t" + dic("eng/body.txt"));
  EXPECT_FALSE(f.tool->prevButton()->isEnabled());
  EXPECT_TRUE(f.tool->nextButton()->isEnabled());
}

TEST(CalDictionary, TableKeysStepThroughTheHits) {
  writeFixtureDictionary();
  Fixture f;
  f.search("abc");
  const struct {
    Qt::Key key;
    int row;
  } keys[] = {{Qt::Key_Down, 1}, {Qt::Key_Down, 2}, {Qt::Key_Down, 2}, {Qt::Key_Up, 1}, {Qt::Key_Up, 0},
              {Qt::Key_Up, 0}};
  for (const auto& k : keys) {
    QTest::keyClick(f.tool->findTable(), k.key);
    EXPECT_EQ(f.tool->findTable()->currentRow(), k.row);
  }
  f.tool->findTable()->setCurrentCell(1, 0);
  QTest::keyClick(f.tool->findTable(), Qt::Key_Return);
  EXPECT_EQ(f.tool->filePathAndLocation()->text(), "    1\t" + dic("eng/body.txt"));
}

TEST(CalDictionary, TooManyHits) {
  QString index = QStringLiteral("#\n");
  for (int i = 1; i <= 520; ++i) index += QString::fromUtf16(u"b.txt(%1)#ｘ\n").arg(i);
  writeSjis(dic("big/g.TAG"), index);
  Fixture f;
  f.search("x");
  EXPECT_EQ(f.tool->hits().size(), 501);
  EXPECT_EQ(f.tool->hitCountField()->text(), "501");
  EXPECT_EQ(f.tool->honbunTextView()->toPlainText(), "There are too many Items!");
  EXPECT_TRUE(f.tool->historyArray().isEmpty());
}

TEST(CalDictionary, NoHitsSendsTheTypedWordToTheWebSheet) {
  writeFixtureDictionary();
  Fixture f;
  f.search("zz9");
  EXPECT_TRUE(f.webSheet.isEmpty());  // the switch is off
  f.tool->useInternet()->setChecked(true);
  f.search("zz9");
  EXPECT_EQ(f.webSheet, QStringList({"zz9"}));
  EXPECT_EQ(f.tool->hitCountField()->text(), "0");

  NotificationCenter::defaultCenter().post(QStringLiteral("internetSearchOnDic"), QString::fromUtf16(u"辞書"));
  EXPECT_EQ(f.launched, encoding::encode(QString::fromUtf16(u"辞書"), encoding::kShiftJIS));
  EXPECT_TRUE(f.sounds.contains("Ping"));
}

TEST(CalDictionary, ToggleOpensAsSideView20) {
  Fixture f;
  NotificationCenter::defaultCenter().post(QStringLiteral("cal_toggleDicSheet"));
  EXPECT_EQ(f.toggle, CalDictionary::kToggleNumber);
  EXPECT_FALSE(f.tool->dicDrawer()->isHidden());
  NotificationCenter::defaultCenter().post(QStringLiteral("cal_toggleDicSheet"));
  EXPECT_TRUE(f.tool->dicDrawer()->isHidden());
}

TEST(CalDictionary, SelectionsGoToTheWebSheetAndTheMemoDatabase) {
  writeFixtureDictionary();
  Fixture f;
  f.search("abc");
  QStringList memoSearches;
  NotificationCenter::defaultCenter().addObserver(QStringLiteral("findAllMemoDatabase"), f.tool.get(),
                                                  [&](Notification& n) { memoSearches << n.text; });
  f.tool->internetSearchAction();  // nothing selected
  EXPECT_TRUE(f.webSheet.isEmpty());
  QTextCursor c(f.tool->honbunTextView()->document());
  c.setPosition(0);
  c.setPosition(9, QTextCursor::KeepAnchor);
  f.tool->honbunTextView()->setTextCursor(c);
  f.tool->internetSearchAction();
  EXPECT_EQ(f.webSheet, QStringList({QString::fromUtf16(u"ＡＢＣ entry")}));

  f.tool->searchAllMemoDataBaseAction(QString());
  f.tool->searchAllMemoDataBaseAction(QStringLiteral("memo word"));
  EXPECT_EQ(memoSearches, QStringList({"memo word"}));

  // The body's selection searched again: "ＡＢＣ" and the full-width forms of its letters.
  c.setPosition(0);
  c.setPosition(3, QTextCursor::KeepAnchor);
  f.tool->honbunTextView()->setTextCursor(c);
  f.tool->searchSelectedItemAction();
  EXPECT_EQ(f.tool->wordField()->currentText(), QString::fromUtf16(u"ＡＢＣ"));
  EXPECT_EQ(f.tool->hits().size(), 3);
}

TEST(CalDictionary, OpensOnlyWhileSideViewsCanOpen) {
  writeFixtureDictionary();
  Fixture f;
  SheetCanOpen = 0;
  NotificationCenter::defaultCenter().post(QStringLiteral("cal_toggleDicSheet"));
  f.tool->openDicSheetAction();
  f.tool->dictionarySearch(QStringLiteral("abc"));
  f.tool->searchSelectedItemAction();
  SheetCanOpen = 1;
  EXPECT_TRUE(f.tool->dicDrawer()->isHidden());
  EXPECT_EQ(f.toggle, 0);
  EXPECT_TRUE(f.tool->hits().isEmpty());

  // A word of one character opens the drawer without a search; two or more are searched.
  f.tool->dictionarySearch(QStringLiteral("a"));
  EXPECT_FALSE(f.tool->dicDrawer()->isHidden());
  EXPECT_EQ(f.toggle, CalDictionary::kToggleNumber);
  EXPECT_TRUE(f.tool->hits().isEmpty());
  EXPECT_TRUE(f.tool->historyArray().isEmpty());
  f.tool->dictionarySearch(QStringLiteral("abc"));
  EXPECT_EQ(f.tool->hits().size(), 3);
  EXPECT_EQ(f.tool->filePathAndLocation()->text(), "   12\t" + dic("eng/body.txt"));
}

TEST(CalDictionary, BookmarkAndMonthSheetSelectionsGoToTheMemoDatabase) {
  QTextEdit bookMarkMemo, monthSheetMemo;
  Fixture f(&bookMarkMemo, &monthSheetMemo);
  QStringList memoSearches;
  NotificationCenter::defaultCenter().addObserver(QStringLiteral("findAllMemoDatabase"), f.tool.get(),
                                                  [&](Notification& n) { memoSearches << n.text; });
  const auto select = [](QTextEdit& view, const QString& text, int from, int to) {
    view.setPlainText(text);
    QTextCursor c(view.document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    view.setTextCursor(c);
  };
  select(bookMarkMemo, QStringLiteral("a marked memo"), 2, 8);
  select(monthSheetMemo, QStringLiteral("row one\nrow two"), 4, 11);
  f.tool->searchAllMemoDataBaseActionOnBookMarkSheet();
  f.tool->searchAllMemoDataBaseActionOnMonthSheet();
  EXPECT_EQ(memoSearches, QStringList({"marked", "one\nrow"}));

  // Nothing is selected: nothing is searched.
  select(bookMarkMemo, QStringLiteral("a marked memo"), 3, 3);
  select(monthSheetMemo, QStringLiteral("row"), 0, 0);
  f.tool->searchAllMemoDataBaseActionOnBookMarkSheet();
  f.tool->searchAllMemoDataBaseActionOnMonthSheet();
  EXPECT_EQ(memoSearches.size(), 2);
}
