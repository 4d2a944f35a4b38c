// The find panel's controller on real text views: every operation, its sounds and its count,
// and the cal_ commands of a program.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QTextCursor>
#include <QTextEdit>
#include <QWidget>

#include <string>
#include <vector>

#include "editors/ui/search_window_cont.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/notification_center.h"
#include "tools/text/find_replace.h"
#include "tools/text/ui/cal_doc_search.h"

namespace {

class DocSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    document = new QTextEdit(&window);
    memo = new QTextEdit(&window);
    CalDocSearch::Host host;
    host.focusWidget = [this] { return focus; };
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    host.markEdited = [this] { ++editedMarks; };
    search = std::make_unique<CalDocSearch>(document, &window, host);
    search->setMemoTextView(memo);
    search->awakeFromNib();
    pravella::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("adjustSaveDurtyButton"), &window, [this](pravella::Notification&) { ++saveButtonPosts; });
  }
  void TearDown() override { pravella::NotificationCenter::defaultCenter().removeObservers(&window); }

  void show(QTextEdit* view, const QString& text, int caret = 0, int anchor = -1) {
    view->setPlainText(text);
    QTextCursor c(view->document());
    c.setPosition(anchor < 0 ? caret : anchor);
    c.setPosition(caret, QTextCursor::KeepAnchor);
    view->setTextCursor(c);
  }
  static std::vector<std::pair<int, int>> highlights(const QTextEdit* view) {
    std::vector<std::pair<int, int>> out;
    for (const QTextEdit::ExtraSelection& s : view->extraSelections())
      out.emplace_back(s.cursor.selectionStart(), s.cursor.selectionEnd());
    return out;
  }
  static QString textOf(QTextEdit* view) { return pravella::findtext::documentText(*view->document()); }
  std::string lastSound() const { return sounds.empty() ? std::string() : sounds.back(); }
  QString count() const { return search->numOfReplacedField()->text(); }

  QWidget window;
  QTextEdit* document = nullptr;
  QTextEdit* memo = nullptr;
  QWidget* focus = nullptr;
  std::unique_ptr<CalDocSearch> search;
  std::vector<std::string> sounds;
  int editedMarks = 0;
  int saveButtonPosts = 0;
};

TEST_F(DocSearchTest, ReplaceAllCountsAcrossRunsAndRefuses) {
  show(document, QStringLiteral("a\n\n\n\nb"));
  search->setFindStringForControl(QStringLiteral("\n\n"));
  search->setReplaceStringForControl(QStringLiteral("\n"));
  search->replaceAllAction();
  EXPECT_EQ(textOf(document), QStringLiteral("a\nb"));
  EXPECT_EQ(count(), QStringLiteral("3"));
  EXPECT_EQ(lastSound(), "Purr");
  EXPECT_EQ(document->textCursor().position(), 0);
  EXPECT_EQ(editedMarks, 1);
  EXPECT_EQ(saveButtonPosts, 1);

  // The next replace-all adds to the count; setting a text resets it.
  document->setPlainText(QStringLiteral("x\n\ny"));
  search->replaceAllAction();
  EXPECT_EQ(count(), QStringLiteral("4"));

  search->setFindStringForControl(QStringLiteral("a"));
  search->setReplaceStringForControl(QStringLiteral("A"));
  document->setPlainText(QStringLiteral("banana"));
  search->replaceAllAction();
  EXPECT_EQ(lastSound(), "Pong2003");
  EXPECT_EQ(textOf(document), QStringLiteral("banana"));
  EXPECT_EQ(count(), QStringLiteral("0"));
}

TEST_F(DocSearchTest, FindNextAndPreviousWrapWithBasso) {
  show(document, QStringLiteral("one two one"), 11);
  search->setFindStringForControl(QStringLiteral("ONE"));
  search->goSearchAction();
  EXPECT_EQ(lastSound(), "Basso");
  EXPECT_EQ(document->textCursor().position(), 0);
  search->goSearchAction();
  EXPECT_EQ(document->textCursor().selectionStart(), 0);
  EXPECT_EQ(document->textCursor().selectionEnd(), 3);
  search->goSearchAction();
  EXPECT_EQ(document->textCursor().selectionStart(), 8);

  // Backward: a match must end at or before the selection's start.
  show(document, QStringLiteral("one two one"), 2);
  search->backSearchAction();
  EXPECT_EQ(lastSound(), "Basso");
  EXPECT_EQ(document->textCursor().position(), 11);
  search->backSearchAction();
  EXPECT_EQ(document->textCursor().selectionStart(), 8);
  search->backSearchAction();
  EXPECT_EQ(document->textCursor().selectionStart(), 0);

  search->setFindStringForControl(QString());
  search->goSearchAction();
  EXPECT_EQ(lastSound(), "Pong2003");
}

TEST_F(DocSearchTest, ReplaceAndNextInsertsAtAnEmptySelection) {
  show(document, QStringLiteral("ab ab"), 0);
  search->setFindStringForControl(QStringLiteral("ab"));
  search->setReplaceStringForControl(QStringLiteral("X"));
  search->replaceAndNextAction();
  EXPECT_EQ(textOf(document), QStringLiteral("Xab ab"));
  EXPECT_EQ(document->textCursor().selectionStart(), 1);  // the next match is selected
  search->replaceAndNextAction();
  EXPECT_EQ(textOf(document), QStringLiteral("XX ab"));
  EXPECT_EQ(document->textCursor().selectionStart(), 3);
  EXPECT_EQ(count(), QStringLiteral("0"));
}

TEST_F(DocSearchTest, LineEndClean_UpsRunTheirPasses) {
  struct Case {
    void (CalDocSearch::*action)();
    const char* text;
    const char* result;
  };
  const Case cases[] = {
      {&CalDocSearch::changeCRLFtoLFAction, "a \nb\n", "a\nb\n"},
      {&CalDocSearch::deleteDoubleReturnAction, "a\n\n\nb \n\nc", "a\nb\nc"},
      {&CalDocSearch::deleteTripleReturnAction, "a\n\n\n\nb\n\nc", "a\n\nb\n\nc"},
  };
  for (const Case& c : cases) {
    show(document, QString::fromLatin1(c.text));
    (search.get()->*c.action)();
    EXPECT_EQ(textOf(document), QString::fromLatin1(c.result)) << c.text;
  }
}

TEST_F(DocSearchTest, HighlightAllMarksWithoutEditing) {
  show(document, QStringLiteral("Cat cat dog CAT"));
  search->findByDocSelectedString(QStringLiteral("cat"));
  const std::vector<std::pair<int, int>> three = {{0, 3}, {4, 7}, {12, 15}};
  EXPECT_EQ(highlights(document), three);
  EXPECT_FALSE(document->document()->isModified());
  search->findByDocSelectedString(QString());
  EXPECT_TRUE(highlights(document).empty());
  EXPECT_EQ(lastSound(), "Tink");
}

TEST_F(DocSearchTest, TheFocusedMemoSheetIsTheTarget) {
  show(document, QStringLiteral("x x"));
  show(memo, QStringLiteral("x x x"));
  focus = memo;
  search->setFindStringForControl(QStringLiteral("x"));
  search->setReplaceStringForControl(QStringLiteral("y"));
  search->replaceAllAction();
  EXPECT_EQ(textOf(memo), QStringLiteral("y y y"));
  EXPECT_EQ(textOf(document), QStringLiteral("x x"));
  EXPECT_EQ(saveButtonPosts, 0);
}

TEST_F(DocSearchTest, ProgramsDriveItThroughCommands) {
  show(document, QStringLiteral("red, Red and RED"));
  const pravella::VkRunResult r = pravella::runVkProgram(
      "cal_setFindString(\"red\"); cal_setReplaceString(\"blue\"); cal_replaceString(1); "
      "cal_getReplaceString(1);");
  EXPECT_TRUE(r.ok) << r.text;
  EXPECT_NE(r.text.find("blue"), std::string::npos) << r.text;
  EXPECT_EQ(textOf(document), QStringLiteral("blue, blue and blue"));
  EXPECT_EQ(count(), QStringLiteral("3"));
}

}  // namespace

namespace {

// The search window's tag 4 marks every occurrence in the shown document, as the application
// wires it to this tool.
TEST_F(DocSearchTest, SearchWindowTextIsHighlightedInTheDocument) {
  show(document, QStringLiteral("Cat cat dog CAT"));
  SearchWindowCont window(nullptr);
  window.awakeFromNib();
  window.setFindByDocSelectedString([this](const QString& text) { search->findByDocSelectedString(text); });
  window.searchType()->button(4)->setChecked(true);
  window.textField()->setText(QStringLiteral("cat"));
  window.goSearchAction();
  const std::vector<std::pair<int, int>> three = {{0, 3}, {4, 7}, {12, 15}};
  EXPECT_EQ(highlights(document), three);
  EXPECT_FALSE(document->document()->isModified());
}

}  // namespace
