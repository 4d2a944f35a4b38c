// The dictionary drawer, driven headless: searches over all books, bodies, links, history,
// memo links, drags, and the user's clipboard left alone.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextEdit>
#include <QToolButton>

#include <memory>

#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "net/edic/edic_fixture.h"
#include "editors/ui/search_window_cont.h"
#include "net/edic/ui/cal_edic.h"
#include "platform/notification_center.h"
#include "platform/ui/dialogs.h"

namespace {

using namespace pravella::test::edic;

// A book whose entry りんく links to page 3 through a text holding a gaiji.
Bytes linkBook() {
  BookText text;
  text.put(1, 0, indexTable({{0x91, 2, 0}}));
  text.put(2, 0, leafPage(0xA0, {{jis("りんく"), 3, 0, 4, 0}}));
  Units body;
  body.u(0x1F09).u(0).text("前").u(0x1F42).text("参照").u(0xA121).u(0x1F62).bcd4(3).bcd2(0).u(0x1F03);
  text.put(3, 0, body.b);
  text.put(4, 0, heading("りんく").b);
  return text.bytes;
}

class CalEDicTest : public EdicTest {
 protected:
  void SetUp() override {
    EdicTest::SetUp();
    const Bytes book = standardBook().bytes;
    writeBook("A", "一", book, false);
    writeBook("B", "二", compressBook(standardBook()), true);
    writeBook("C", "三", book, false);
    const QString root = dictionaryFolder() + "/D";
    writeFile(root + "/CATALOGS", catalog(true, {{"四", "MAIN", "ZEN", ""}}));
    writeFile(root + "/MAIN/DATA/HONMON", linkBook());
    Bytes glyph(32, 0xFF);
    writeFile(root + "/MAIN/GAIJI/ZEN", gaijiFont(16, 16, 0xA121, {glyph}));
    memo = std::make_unique<QTextEdit>();
    CalEDic::Host host;
    host.closeAllToggleView = [this] { ++closes; };
    host.setToggleStatus = [this](int s) {
      const int before = toggle;
      toggle = s;
      return before;
    };
    host.playSound = [this](const char* name) { sounds << name; };
    host.mainDocument = memo.get();
    edic = std::make_unique<CalEDic>(host);
    edic->awakeFromNib();
  }
  void TearDown() override {
    edic.reset();
    EdicTest::TearDown();
  }

  QStringList headwords() const {
    QStringList out;
    for (const auto& row : edic->midashi()) out << QString::fromStdString(row.dic) + "/" + row.midashi;
    return out;
  }
  void search(const QString& word, int book = 0) {
    edic->selectDicPopupButton()->setCurrentIndex(book);
    edic->searchStringField()->setEditText(word);
    edic->searchForward();
  }

  std::unique_ptr<QTextEdit> memo;
  std::unique_ptr<CalEDic> edic;
  int closes = 0, toggle = 0;
  QStringList sounds;
};

TEST_F(CalEDicTest, AllDictionarySearchesEveryBookInPopUpOrder) {
  EXPECT_EQ(edic->selectDicPopupButton()->itemText(0), "All Dictionary");
  EXPECT_EQ(edic->selectDicPopupButton()->count(), 5);
  search("あい");
  EXPECT_EQ(headwords(), (QStringList{"一/あい", "一/あいさつ", "一/条件", "二/あい", "二/あいさつ",
                                      "二/条件", "三/あい", "三/あいさつ", "三/条件"}));
  EXPECT_EQ(edic->selectDicPopupButton()->currentIndex(), 0);
  EXPECT_EQ(edic->midashiTable()->rowCount(), 9);
  EXPECT_EQ(edic->searchItemList().words(), QStringList{"あい"});
  search("あい", 2);
  EXPECT_EQ(headwords(), (QStringList{"二/あい", "二/あいさつ", "二/条件"}));
  search("ない");
  EXPECT_TRUE(headwords().isEmpty());
  EXPECT_EQ(edic->searchItemList().words(), QStringList{"あい"});  // a search without hits
}

TEST_F(CalEDicTest, ChoosingRowsShowsBodiesAndKeepsHistory) {
  search("あい");
  edic->midashiTable()->selectRow(3);  // 二/あい, a compressed book
  EXPECT_TRUE(edic->honbunTextView()->toPlainText().startsWith("あい\n本文"));
  EXPECT_EQ(edic->history().size(), 1);
  edic->midashiTable()->selectRow(0);  // the same body in another book
  EXPECT_EQ(edic->history().size(), 2);
  edic->tableDownSelection();
  EXPECT_TRUE(edic->honbunTextView()->toPlainText().startsWith("あいさつ"));
  edic->rirekiBackwardAction();
  EXPECT_TRUE(edic->honbunTextView()->toPlainText().startsWith("あい\n"));
  EXPECT_EQ(edic->history().position(), 2);
  // The menu: "clear", a separator, the newest first.
  const auto actions = edic->kensakurirekiMenu()->actions();
  ASSERT_EQ(actions.size(), 5);
  EXPECT_EQ(actions[0]->text(), "clear");
  EXPECT_EQ(actions[2]->text(), "あいさつ");
}

TEST_F(CalEDicTest, LinksGlyphsAndTheClipboard) {
  QApplication::clipboard()->setText("the user's text");
  search("りんく", 4);
  ASSERT_EQ(headwords(), QStringList{"四/りんく"});
  edic->midashiTable()->selectRow(0);
  QTextDocument* body = edic->honbunTextView()->document();
  EXPECT_EQ(body->toPlainText().left(4), QString("前参照") + QChar(QChar::ObjectReplacementCharacter));
  QTextCursor c(body);
  c.setPosition(2);
  EXPECT_EQ(c.charFormat().anchorHref(),
            QString("四:参照") + QChar(QChar::ObjectReplacementCharacter) + ":3:0");
  c.setPosition(4);
  EXPECT_TRUE(c.charFormat().isImageFormat());
  EXPECT_EQ(QApplication::clipboard()->text(), "the user's text");
  // Following the link shows its body and enters the history.
  edic->textViewClickedOnLink(c.charFormat().anchorHref());
  EXPECT_EQ(edic->history().size(), 1);  // the same body as the row's
  edic->textViewClickedOnLink("一:12:256");
  EXPECT_EQ(edic->history().size(), 2);
  EXPECT_EQ(edic->history().at(1)->headword, "*****");
  edic->textViewClickedOnLink("一:12");  // too few fields
  EXPECT_EQ(edic->history().size(), 2);
  EXPECT_EQ(QApplication::clipboard()->text(), "the user's text");
}

// A fifth book whose entry とぶ links to another body, page 5.
class CalEDicBodyLinks : public CalEDicTest {
 protected:
  void SetUp() override {
    BookText text;
    text.put(1, 0, indexTable({{0x91, 2, 0}}));
    text.put(2, 0, leafPage(0xA0, {{jis("とぶ"), 3, 0, 4, 0}}));
    Units linking;
    linking.u(0x1F09).u(0).text("前").u(0x1F42).text("参照").u(0x1F62).bcd4(5).bcd2(0).u(0x1F03);
    text.put(3, 0, linking.b);
    text.put(4, 0, heading("とぶ").b);
    Units target;
    target.u(0x1F09).u(0).text("行き先").u(0x1F03);
    text.put(5, 0, target.b);
    writeBook("E", "五", text.bytes, false);
    CalEDicTest::SetUp();
    edic->eDicDrawer()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(edic->eDicDrawer()));
    search("とぶ", edic->selectDicPopupButton()->findText("五"));
    ASSERT_EQ(headwords(), QStringList{"五/とぶ"});
    edic->midashiTable()->selectRow(0);
    ASSERT_TRUE(body().startsWith("前参照"));
    sounds.clear();
  }
  QString body() const { return edic->honbunTextView()->toPlainText(); }
  // The middle of the character at `position` of the body, in the view's viewport.
  QPoint middleOf(int position) const {
    QTextBrowser* view = edic->honbunTextView();
    QTextCursor c(view->document());
    c.setPosition(position);
    const QRect left = view->cursorRect(c);
    c.setPosition(position + 1);
    return QPoint((left.x() + view->cursorRect(c).x()) / 2, left.center().y());
  }
};

// The link's target holds the book's title in kana: a click on the link shows the body it
// names and enters it into the history.
TEST_F(CalEDicBodyLinks, AClickOnALinkShowsItsBody) {
  QTextBrowser* view = edic->honbunTextView();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, middleOf(0));  // no link
  EXPECT_TRUE(body().startsWith("前参照"));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, middleOf(1));
  EXPECT_TRUE(QTest::qWaitFor([&] { return body().startsWith("行き先"); }, 5000));
  EXPECT_EQ(sounds, QStringList{"Tink"});
  ASSERT_EQ(edic->history().size(), 2);
  EXPECT_EQ(edic->history().at(1)->title, "五");
  EXPECT_EQ(edic->history().at(1)->headword, "参照");
  // Back, and the link reached from the keyboard.
  QTest::mouseClick(edic->backButton(), Qt::LeftButton);
  ASSERT_TRUE(body().startsWith("前参照"));
  view->setFocus();
  QTest::keyClick(view, Qt::Key_Tab);
  ASSERT_TRUE(view->textCursor().hasSelection());
  QTest::keyClick(view, Qt::Key_Return);
  EXPECT_TRUE(body().startsWith("行き先"));
}

// A book whose text spells tags: narrow (half-width) signs that read "<Tab:999>", a link and a
// gaiji. Only the book's escape codes make formatting; this text is shown as it is written.
class CalEDicSpelledTags : public CalEDicTest {
 protected:
  void SetUp() override {
    QString wide;
    for (const QChar c : kSpelled) wide += c == u' ' ? QChar(0x3000) : QChar(c.unicode() + 0xFEE0);
    BookText text;
    text.put(1, 0, indexTable({{0x91, 2, 0}}));
    text.put(2, 0, leafPage(0xA0, {{jis("たぐ"), 3, 0, 4, 0}}));
    Units body;
    body.u(0x1F09).u(0).text("前").u(0x1F04).text(wide).u(0x1F05).u(0x1F03);
    text.put(3, 0, body.b);
    text.put(4, 0, heading("たぐ").b);
    writeBook("G", "六", text.bytes, false);
    CalEDicTest::SetUp();
  }
  const QString kSpelled = QStringLiteral("<Tab:999>far <[Link]go[Link:3,0]> <GF[161:033]>");
};

TEST_F(CalEDicSpelledTags, TextThatSpellsTagsIsShownAsText) {
  edic->eDicDrawer()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(edic->eDicDrawer()));
  search("たぐ", edic->selectDicPopupButton()->findText("六"));
  ASSERT_EQ(headwords(), QStringList{"六/たぐ"});
  QTableWidget* table = edic->midashiTable();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                    table->visualRect(table->model()->index(0, 0)).center());
  QTextDocument* shown = edic->honbunTextView()->document();
  ASSERT_TRUE(shown->toPlainText().startsWith("前"));
  EXPECT_EQ(shown->toPlainText().trimmed(), "前" + kSpelled);
  for (QTextBlock b = shown->begin(); b.isValid(); b = b.next()) EXPECT_LT(b.blockFormat().leftMargin(), 100);
  for (int at = 1; at < shown->characterCount(); ++at) {
    QTextCursor c(shown);
    c.setPosition(at);
    EXPECT_FALSE(c.charFormat().isAnchor()) << at;
    EXPECT_FALSE(c.charFormat().isImageFormat()) << at;
  }
}

TEST_F(CalEDicTest, NotificationsOpenTheDrawer) {
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.post("cal_openEDicSheet", "あい");
  EXPECT_EQ(toggle, CalEDic::kToggleNumber);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(edic->midashi().size(), 9u);
  center.post("dictionarySearch", "か");  // one character: opens without searching
  EXPECT_EQ(edic->midashi().size(), 9u);
  memo->setPlainText("xx あいさつ yy");
  QTextCursor selection(memo->document());
  selection.setPosition(3);
  selection.setPosition(7, QTextCursor::KeepAnchor);
  memo->setTextCursor(selection);
  center.post("cal_openEDicSheet", "");  // the main memo's selection
  EXPECT_EQ(edic->searchStringField()->currentText(), "あいさつ");
  EXPECT_EQ(edic->midashi().size(), 3u);
  center.post("edicLinkFromMainMemo", "三:あい:12:256");
  EXPECT_TRUE(edic->honbunTextView()->toPlainText().startsWith("あい\n"));
  EXPECT_EQ(edic->history().size(), 1);
  center.post("edicLinkFromMainMemo", "三:12");
  EXPECT_EQ(edic->history().size(), 1);
}

TEST_F(CalEDicTest, ArrowKeysDoubleClicksAndPrograms) {
  search("あい", 1);
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(edic->midashiTable(), &down);  // no selection: the first row
  EXPECT_EQ(edic->history().size(), 1);
  QApplication::sendEvent(edic->midashiTable(), &down);
  QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
  QApplication::sendEvent(edic->midashiTable(), &up);
  QApplication::sendEvent(edic->midashiTable(), &up);  // on the first row: nothing
  EXPECT_EQ(edic->history().size(), 3);
  EXPECT_TRUE(edic->honbunTextView()->toPlainText().startsWith("あい\n"));
  // A word selected after a double click is searched.
  edic->searchStringField()->setEditText("");
  edic->nowDoubleClickStatus(1);
  QTextCursor word(edic->honbunTextView()->document());
  word.setPosition(2, QTextCursor::KeepAnchor);
  edic->honbunTextView()->setTextCursor(word);
  EXPECT_EQ(edic->searchStringField()->currentText(), "あい");
  EXPECT_EQ(edic->midashi().size(), 3u);  // in the chosen book
  // A program opens the drawer on its word.
  ASSERT_EQ(vkStartUp(), 1);
  edic->closeSheetAction();
  EXPECT_EQ(pravella::runVkProgram("cal_openEDicSheet(\"さつ\");").output(), ".OK.\n");
  EXPECT_EQ(toggle, CalEDic::kToggleNumber);
  EXPECT_EQ(edic->searchStringField()->currentText(), "さつ");
}

TEST_F(CalEDicTest, DraggedHeadwordsCarryTheirDragText) {
  search("あい", 1);
  // Only the first dragged row counts.
  const QList<QTableWidgetItem*> items{edic->midashiTable()->item(1, 1), edic->midashiTable()->item(2, 1)};
  const std::unique_ptr<QMimeData> data(edic->midashiTable()->mimeData(items));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->text(), "eDicSearchData:一:あいさつ:12:512");
}

TEST_F(CalEDicTest, TheFolderChooserStoresThePath) {
  auto scripted = std::make_shared<pravella::dialogs::Scripted>();
  const QString other = pravella::paths::home() + "/other";
  writeBook("X", "別", standardBook().bytes, false, other);
  scripted->paths.push_back(other);
  pravella::dialogs::setHandler(scripted);
  edic->setEdicDirectoryAction();
  pravella::dialogs::setHandler(nullptr);
  EXPECT_EQ(scripted->asked.value(0).section(':', 0, 0), "EDic Folder");
  EXPECT_EQ(edic->selectDicPopupButton()->count(), 2);
  EXPECT_EQ(edic->selectDicPopupButton()->itemText(1), "別");
  QFile stored(pravella::paths::preferences() + "/eDicPathData.txt");
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(stored.readAll()), other + "/");
}

}  // namespace

namespace {

// The search window's tag 3 opens the dictionary drawer and searches its text there; a text of
// one character only opens it.
TEST_F(CalEDicTest, SearchWindowTextReachesTheDrawer) {
  SearchWindowCont search(nullptr);
  search.awakeFromNib();
  search.searchType()->button(3)->setChecked(true);
  search.textField()->setText("か");
  search.goSearchAction();
  EXPECT_EQ(toggle, CalEDic::kToggleNumber);
  EXPECT_TRUE(edic->midashi().empty());
  search.textField()->setText("あい");
  search.goSearchAction();
  EXPECT_EQ(edic->searchStringField()->currentText(), "あい");
  EXPECT_EQ(edic->midashi().size(), 9u);
  EXPECT_FALSE(search.searchWindow()->isVisible());
}

}  // namespace
