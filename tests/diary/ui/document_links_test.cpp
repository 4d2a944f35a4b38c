// Links followed by a double click in the main memo: bracketed documents and headings, plain
// web addresses.

#include "day_documents_fixture.h"

#include <QTextBlock>
#include <QUrl>

#include "diary/diary_globals.h"
#include "editors/web_launch.h"

namespace {

using namespace day_documents_test;

class DocumentLinks : public DayDocuments {
 protected:
  void SetUp() override { openDocumentOnMemoStatus = 0; }  // documents open in the main memo
  void TearDown() override {
    DayDocuments::TearDown();
    openDocumentOnMemoStatus = 1;
  }
  // The day's document A holds `text`; it is shown with the caret at `caret`.
  void showMemo(const QString& text) {
    writeRtfd(day() + "/A.rtfd", text);
    start();
    calendar->selectDiaryFileFromNameAction("A.rtfd");
    ASSERT_EQ(calendar->nowDisplayedDocument(), day() + "/A.rtfd");
  }
  void caretAt(int position) {
    QTextCursor c = memo()->textCursor();
    c.setPosition(position);
    memo()->setTextCursor(c);
  }
  void doubleClickAt(int position) {
    QTextCursor c(memo()->document());
    c.setPosition(position);
    const QPoint at = memo()->cursorRect(c).center() + QPoint(2, 0);
    QTest::mouseDClick(memo()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }
};

TEST_F(DocumentLinks, ALinkToAnotherDayMovesTheCalendarAndOpensItsDocument) {
  writeRtfd(paths::dayFolder(2008, 5, 1) + "/N.rtfd", "first of May");
  showMemo("see [2008/05/01/N] there");
  sounds.clear();
  doubleClickAt(7);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 5, 1));
  EXPECT_EQ(calendar->nowDisplayedDocument(), paths::dayFolder(2008, 5, 1) + "/N.rtfd");
  EXPECT_EQ(memo()->toPlainText(), "first of May");
  EXPECT_TRUE(sounds.contains("Tink"));
  EXPECT_TRUE(opened.isEmpty());
}

TEST_F(DocumentLinks, ABareNameLooksInTheSelectedDay) {
  writeRtfd(day() + "/B.rtfd", "bee");
  showMemo("go [B] now");
  caretAt(4);
  EXPECT_TRUE(calendar->checkDocumentLink());
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/B.rtfd");
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 28));
}

TEST_F(DocumentLinks, WithTheMemoSheetSettingADocumentOpensThereUnlessCommandIsHeld) {
  writeRtfd(day() + "/B.rtfd", "bee");
  showMemo("go [B] now");
  openDocumentOnMemoStatus = 1;
  caretAt(4);
  EXPECT_TRUE(calendar->checkDocumentLink());
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/A.rtfd");
  EXPECT_EQ(calendar->toggleStatus(), 1);
  EXPECT_EQ(calendar->memoSheetDocument()->toPlainText(), "bee");
  calendar->doubleClickOnTextViewWithCommandKey(true);
  caretAt(4);
  EXPECT_TRUE(calendar->checkDocumentLink());
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/B.rtfd");
}

TEST_F(DocumentLinks, AHeadingLinkJumpsToItsLineOrSelectsItsTextForASearch) {
  const QString mark = QStringLiteral("\u203B ");
  showMemo("to [" + mark + "Intro] or [" + mark + "None]\nbody\n" + mark + "Intro\nend");
  caretAt(6);
  sounds.clear();
  EXPECT_TRUE(calendar->checkDocumentLink());
  EXPECT_EQ(memo()->textCursor().selectedText(), mark + "Intro");
  EXPECT_EQ(memo()->textCursor().selectionStart(), 30);
  EXPECT_EQ(sounds, QStringList{"Tink"});

  caretAt(20);
  EXPECT_TRUE(calendar->checkDocumentLink());
  EXPECT_EQ(memo()->textCursor().selectedText(), "None");
}

TEST_F(DocumentLinks, OnlyACaretInsideOneLinesBracketsFindsALink) {
  showMemo("[x]\n[a\nb] c] [");
  struct Case {
    int caret;
    bool found;
  } cases[] = {
      {0, false},  // on the opening bracket: the forward search meets it
      {1, true},   // the memo's first character is the bracket
      {2, false},  // on the closing bracket
      {5, false},  // the pair spans two lines
      {11, false}, // on a closing bracket
      {14, false}, // a caret at the very end
  };
  for (const Case& c : cases) {
    caretAt(c.caret);
    EXPECT_EQ(calendar->checkDocumentLink(), c.found) << c.caret;
  }
}

TEST_F(DocumentLinks, OtherFilesGoToTheDesktopAndWebArchivesToTheBrowser) {
  writeFile(day() + "/notes.txt", "words");
  writeFile(day() + "/a #b.webarchive", "archive");
  showMemo("[notes.txt] [a #b.webarchive]");
  opened.clear();
  caretAt(2);
  EXPECT_TRUE(calendar->checkDocumentLink());
  caretAt(14);
  EXPECT_TRUE(calendar->checkDocumentLink());  // no web sheet: the browser
  QStringList posted;
  auto& center = pravella::NotificationCenter::defaultCenter();
  const auto id = center.addObserver(
      QStringLiteral("openWebSheetAndConnectURL_X"), nullptr, [&](pravella::Notification& n) { posted << n.text; },
      pravella::Delivery::PostingThread);
  caretAt(14);
  EXPECT_TRUE(calendar->checkDocumentLink());  // the web sheet
  calendar->doubleClickOnTextViewWithShiftKey(true);
  caretAt(14);
  EXPECT_TRUE(calendar->checkDocumentLink());  // Shift: the browser
  center.removeObserver(id);
  const QString address = "file://" + day() + "/a%20%23b.webarchive";
  EXPECT_EQ(opened, QStringList({"xdg-open " + day() + "/notes.txt in 28", "xdg-open " + address + " in 28",
                                 "xdg-open " + address + " in 28"}));
  EXPECT_EQ(posted, QStringList{address});
}

TEST_F(DocumentLinks, ADocumentOutsideTheDayFoldersIsNotFollowed) {
  writeRtfd(paths::diary() + "/top.rtfd", "top");
  showMemo("[top]");
  caretAt(1);
  EXPECT_FALSE(calendar->checkDocumentLink());
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/A.rtfd");
}

TEST_F(DocumentLinks, AWebAddressAroundTheCaretOpensInTheBrowser) {
  showMemo("see http://example.com/a?b=\u3042 then\nftp://h/x");
  struct Case {
    int caret;
    bool found;
    QString address;
  } cases[] = {
      {10, true, "http://example.com/a?b=\u3042"},  // as it is, in UTF-8
      {4, true, "http://example.com/a?b=\u3042"},
      {30, false, ""},  // "then": no address before the blank
      {36, false, ""},  // a caret within the last 7 characters finds no start
  };
  for (const Case& c : cases) {
    opened.clear();
    caretAt(c.caret);
    EXPECT_EQ(calendar->checkURL(), c.found) << c.caret;
    EXPECT_EQ(opened, c.found ? QStringList{"xdg-open " + c.address + " in 28"} : QStringList()) << c.caret;
  }
}

TEST_F(DocumentLinks, ADoubleClickOnAnAddressOpensIt) {
  showMemo("see http://example.com/page here");
  opened.clear();
  doubleClickAt(13);
  EXPECT_EQ(opened, QStringList{"xdg-open http://example.com/page in 28"});
}


TEST_F(DocumentLinks, ClickedLinkValuesReachTheirTargets) {
  writeFile(day() + "/doc.pdf", "pdf");
  showMemo("links");
  QStringList programs, dictionary, searches;
  auto& center = pravella::NotificationCenter::defaultCenter();
  const auto p = center.addObserver(
      QStringLiteral("calculationOnEditModule"), nullptr, [&](pravella::Notification& n) { programs << n.text; },
      pravella::Delivery::PostingThread);
  const auto d = center.addObserver(
      QStringLiteral("edicLinkFromMainMemo"), nullptr, [&](pravella::Notification& n) { dictionary << n.text; },
      pravella::Delivery::PostingThread);
  const QString search = QString::fromStdString(std::string(pravella::kWebSearchHost)) + "/search?q=";
  struct Case {
    QString value;
    QString program, dictionary, opened;
  } cases[] = {
      {"%21vkx%20%3D%201", "x = 1", "", ""},           // decoded before the program is looked for
      {"http://h/a!vk1%2B2", "1+2", "", ""},           // in an address too
      {"ab!vk", "", "", "xdg-open " + search + "ab%21vk in 28"},  // "!vk" with no code after it
      {"a:b:c", "", "a:b:c", ""},
      {"a%3A:b:c:d", "", "a%3A:b:c:d", ""},            // undecoded
      {"a:b", "", "", "xdg-open " + search + "a%3Ab in 28"},
      {"https://example.com/a:b:c", "", "/a:b:c", ""},  // the address's path splits in three
      {"https://example.com/x", "", "", "xdg-open https://example.com/x in 28"},
      {QUrl::fromLocalFile(day() + "/doc.pdf").toString(), "", "", "xdg-open " + day() + "/doc.pdf in 28"},
  };
  for (const Case& c : cases) {
    programs.clear();
    dictionary.clear();
    opened.clear();
    EXPECT_TRUE(calendar->textViewClickedOnLink(c.value));
    EXPECT_EQ(programs, c.program.isEmpty() ? QStringList() : QStringList{c.program}) << s(c.value);
    EXPECT_EQ(dictionary, c.dictionary.isEmpty() ? QStringList() : QStringList{c.dictionary}) << s(c.value);
    EXPECT_EQ(opened, c.opened.isEmpty() ? QStringList() : QStringList{c.opened}) << s(c.value);
  }
  center.removeObserver(p);
  center.removeObserver(d);
}

TEST_F(DocumentLinks, AClickOnALinkInTheMemoFollowsIt) {
  showMemo("x");
  memo()->setHtml("see <a href=\"https://example.com/x\">the page</a> now");
  opened.clear();
  QTextCursor c(memo()->document());
  c.setPosition(7);
  const QPoint at = memo()->cursorRect(c).center();
  QTest::mouseClick(memo()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QTest::qWait(20);
  EXPECT_EQ(opened, QStringList{"xdg-open https://example.com/x in 28"});
}

TEST_F(DocumentLinks, AClickOnALinkOnTheMemoSheetFollowsItToo) {
  showMemo("x");
  calendar->openMemoView();
  QTextEdit* sheet = calendar->memoSheet()->toggleMemoField();
  ASSERT_TRUE(sheet->isVisible());
  sheet->setHtml("see <a href=\"https://example.com/y\">the page</a> now");
  opened.clear();
  QTextCursor c(sheet->document());
  c.setPosition(7);
  QTest::mouseClick(sheet->viewport(), Qt::LeftButton, Qt::NoModifier, sheet->cursorRect(c).center());
  QTest::qWait(20);
  EXPECT_EQ(opened, QStringList{"xdg-open https://example.com/y in 28"});
}

}  // namespace
