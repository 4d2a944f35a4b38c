// The copy a view keeps of its unsaved edits: written once typing pauses, never over the
// view's own file, not again while the text stays as it was, gone when a save covers it (even
// while it is being written), and one for each view of a document.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QTextEdit>

#include <memory>

#include "editors/edit_journal.h"
#include "editors/recovered_edits.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/folder_snapshot.h"
#include "support/test_home.h"
#include "support/wait_for.h"

namespace {

using pravella::EditJournal;
using pravella::test::becomesTrue;

std::string s(const QString& q) { return q.toStdString(); }

// A view of `document` (its file written first) that counts as edited once typed into.
struct View {
  QTextEdit edit;
  bool edited = false;
  std::unique_ptr<EditJournal> journal;
  explicit View(const QString& document) {
    pravella::writeRtfdFile(document, *edit.document());
    edit.show();
    QObject::connect(&edit, &QTextEdit::textChanged, [this] { edited = true; });
    journal = std::make_unique<EditJournal>(
        edit.document(), EditJournal::Source{[this] { return edited; }, [document] { return document; }},
        nullptr);
  }
  void type(const QString& text) {
    edit.setFocus();
    QTest::keyClicks(&edit, text);
  }
};

// The texts the recovery folder holds (hidden entries too: no temporary may stay behind).
std::string kept() {
  QStringList texts;
  for (const pravella::RecoveredEdit& edit : pravella::recoveredEdits())
    texts << edit.intended + ": " + pravella::plainTextOfRichTextFile(edit.path);
  texts.sort();
  return s(texts.join(" | "));
}
QStringList entries() {
  return QDir(pravella::paths::recovered()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class Journal : public testing::Test {
 protected:
  const QString folder = pravella::test::home() + "/day";
  const QString document = folder + "/Shopping.rtfd";
  void SetUp() override { QDir().mkpath(folder); }
};

TEST_F(Journal, KeepsTheEditOnceTypingPausesAndASaveTakesItAway) {
  View view(document);
  const auto day = pravella::test::FolderSnapshot::of(folder);
  view.type("milk");
  ASSERT_TRUE(becomesTrue([] { return !kept().empty(); }, 20000));
  EXPECT_EQ(kept(), s(document + ": milk"));
  EXPECT_TRUE(day.unchanged());  // the document itself is never touched
  view.journal->covered();
  EXPECT_TRUE(entries().isEmpty()) << s(entries().join(", "));
}

TEST_F(Journal, TheNextCopyReplacesTheLastAndNothingIsWrittenWhileTheTextStays) {
  View view(document);
  view.type("milk");
  view.journal->keepNow();
  const QString copy = view.journal->copy();
  ASSERT_FALSE(copy.isEmpty());
  const auto before = pravella::test::FolderSnapshot::of(pravella::paths::recovered());
  view.journal->keepNow();
  EXPECT_EQ(view.journal->copy(), copy);
  EXPECT_TRUE(before.unchanged());
  view.type(" eggs");
  view.journal->keepNow();
  EXPECT_EQ(view.journal->copy(), copy);  // replaced whole, in place
  EXPECT_EQ(kept(), s(document + ": milk eggs"));
}

// A save covers the text while its copy is being written: the copy goes all the same.
TEST_F(Journal, ACopyBeingWrittenWhenASaveCoversItIsNotLeft) {
  View view(document);
  view.edit.setPlainText(QString("a long line of the memo\n").repeated(20000));
  view.journal->keepNow();
  view.journal->covered();
  EXPECT_TRUE(entries().isEmpty()) << s(entries().join(", "));
  EXPECT_TRUE(view.journal->copy().isEmpty());
}

TEST_F(Journal, TwoViewsOfOneDocumentKeepACopyEach) {
  View first(document), second(document);
  first.type("mine");
  second.type("theirs");
  first.journal->keepNow();
  second.journal->keepNow();
  ASSERT_FALSE(first.journal->copy().isEmpty());  // once written
  ASSERT_FALSE(second.journal->copy().isEmpty());
  EXPECT_EQ(kept(), s(document + ": mine | " + document + ": theirs"));
  // The first view saves: the second view's edit is still unsaved.
  first.journal->covered();
  EXPECT_EQ(kept(), s(document + ": theirs"));
}

TEST_F(Journal, AViewThatHoldsNothingUnsavedLeavesNoCopy) {
  View view(document);
  view.type("milk");
  view.journal->keepNow();
  ASSERT_FALSE(view.journal->copy().isEmpty());
  ASSERT_EQ(kept(), s(document + ": milk"));
  // Loaded again from its file: nothing is unsaved, and the next pause takes the copy away.
  view.edit.setPlainText("list");
  view.edited = false;
  view.journal->keepNow();
  EXPECT_TRUE(entries().isEmpty()) << s(entries().join(", "));
}

// Before a program runs, every view's changed text is on disk once the wait returns.
TEST_F(Journal, BeforeARunEveryChangedViewIsKept) {
  View memo(document), sheet(folder + "/Sheet.rtfd");
  memo.type("code");
  sheet.type("note");
  EditJournal::keepAllNow()();
  EXPECT_EQ(kept(), s(folder + "/Sheet.rtfd: note | " + document + ": code"));
}

}  // namespace
