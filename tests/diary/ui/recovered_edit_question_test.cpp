// The start-up question about an edit kept in the recovery folder, asked in the real message
// box: Escape leaves the edit there for later and opens nothing; Return opens it. Of two copies
// of one document (a view's copy of its unsaved edits and a failed save's) only the newer is
// offered, whichever it is; the older stays in the folder.

#include "day_documents_fixture.h"
#include "editors/recovered_edits.h"
#include "support/folder_snapshot.h"
#include "support/wait_for.h"

namespace day_documents_test {
namespace {

using pravella::test::becomesTrue;

class RecoveredEditQuestion : public DayDocuments {
 protected:
  void SetUp() override {
    QDir().mkpath(day());
    const pravella::Recovery kept =
        pravella::keepInRecovery(day() + "/Shopping.rtfd", [](const QString& path) {
          QTextDocument doc;
          doc.setPlainText("milk");
          return pravella::writeRtfdFile(path, doc);
        });
    ASSERT_TRUE(kept.ok) << s(kept.error);
    realPanels = true;
    start();
  }
  bool sheetShown() { return calendar->memoSheet() && calendar->memoSheet()->isVisible(); }
};

TEST_F(RecoveredEditQuestion, EscapeLeavesTheEditForLater) {
  const auto recovery = pravella::test::FolderSnapshot::of(paths::recovered());
  const auto folder = pravella::test::FolderSnapshot::of(day());
  watchdog.escape();
  calendar->applicationDidFinishLaunching();
  ASSERT_TRUE(becomesTrue([this] { return watchdog.answered().contains("Recovered Edit"); }));
  ASSERT_TRUE(pravella::test::queuedWorkDone());
  EXPECT_FALSE(sheetShown());
  EXPECT_TRUE(recovery.unchanged());
  EXPECT_TRUE(folder.unchanged());
  EXPECT_EQ(pravella::recoveredEdits().size(), 1);
}

TEST_F(RecoveredEditQuestion, OpenShowsItInTheMemoSheet) {
  watchdog.answer("Open");
  calendar->applicationDidFinishLaunching();
  ASSERT_TRUE(becomesTrue([this] { return watchdog.answered().contains("Recovered Edit"); }));
  EXPECT_TRUE(becomesTrue([this] { return sheetShown(); }));
}

// Which of the two copies of "Shopping" was written last.
enum class Newer { ViewsCopy, FailedSave };

class TwoCopiesOfOneDocument : public DayDocuments, public testing::WithParamInterface<Newer> {
 protected:
  void SetUp() override {
    QDir().mkpath(day());
    const QDateTime earlier = QDateTime::currentDateTime().addSecs(-600);
    const QDateTime later = earlier.addSecs(60);
    const bool viewsNewer = GetParam() == Newer::ViewsCopy;
    // The view's copy of its unsaved edits, as its journal writes it.
    const pravella::Recovery views = pravella::writeRecoveryCopy(
        intended(), QString(), writing(viewsNewer ? "new text" : "old text"), viewsNewer ? later : earlier);
    ASSERT_TRUE(views.ok) << s(views.error);
    // A save that failed with no one there, in another session.
    const pravella::Recovery failed = pravella::keepInRecovery(
        intended(), writing(viewsNewer ? "old text" : "new text"), viewsNewer ? earlier : later);
    ASSERT_TRUE(failed.ok) << s(failed.error);
    newest = viewsNewer ? views.path : failed.path;
    oldest = viewsNewer ? failed.path : views.path;
    realPanels = true;
    start();
  }
  QString intended() { return day() + "/Shopping.rtfd"; }
  static std::function<pravella::WriteResult(const QString&)> writing(const QString& text) {
    return [text](const QString& path) {
      QTextDocument doc;
      doc.setPlainText(text);
      return pravella::writeRtfdFile(path, doc);
    };
  }
  QString newest, oldest;
};

TEST_P(TwoCopiesOfOneDocument, OnlyTheNewerIsOfferedAndEscapeKeepsBoth) {
  const auto recovery = pravella::test::FolderSnapshot::of(paths::recovered());
  const auto folder = pravella::test::FolderSnapshot::of(day());
  watchdog.escape();
  calendar->applicationDidFinishLaunching();
  ASSERT_TRUE(becomesTrue([this] { return watchdog.answered().contains("Recovered Edit"); }));
  ASSERT_TRUE(pravella::test::queuedWorkDone());
  // One question (a second one would be a dialog no answer waits for), about the newer copy.
  EXPECT_EQ(watchdog.answered().size(), 1);
  const QString asked = watchdog.answeredTexts().value(0);
  EXPECT_TRUE(asked.contains("kept in " + newest + ".")) << s(asked);
  EXPECT_TRUE(asked.contains("Older copies of it stay in the recovery folder: " + oldest + ".")) << s(asked);
  EXPECT_TRUE(recovery.unchanged());
  EXPECT_TRUE(folder.unchanged());
  EXPECT_EQ(pravella::recoveredEdits().size(), 2);
}

TEST_P(TwoCopiesOfOneDocument, OpenShowsTheNewerTextAndTheOlderWaitsForItsTurn) {
  watchdog.answer("Open");
  calendar->applicationDidFinishLaunching();
  ASSERT_TRUE(becomesTrue([this] { return watchdog.answered().contains("Recovered Edit"); }));
  ASSERT_TRUE(becomesTrue([this] { return calendar->memoSheet() && calendar->memoSheet()->isVisible(); }));
  EXPECT_EQ(s(calendar->memoSheet()->toggleMemoField()->toPlainText()), "new text");
  EXPECT_TRUE(QFileInfo::exists(oldest));
  // Once the newer copy has gone where the user put it, the older one is offered.
  pravella::RecoveredEdit taken;
  taken.path = newest;
  ASSERT_TRUE(pravella::moveRecoveredEdit(taken, day() + "/Shopping 2.rtfd"));
  const QList<pravella::RecoveredEdit> offered = pravella::recoveredEditsToOffer();
  ASSERT_EQ(offered.size(), 1);
  EXPECT_EQ(s(offered[0].path), s(oldest));
  EXPECT_TRUE(offered[0].older.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Recovery, TwoCopiesOfOneDocument,
                         testing::Values(Newer::ViewsCopy, Newer::FailedSave),
                         [](const testing::TestParamInfo<Newer>& info) {
                           return std::string(info.param == Newer::ViewsCopy ? "ViewsCopyNewer"
                                                                             : "FailedSaveNewer");
                         });

}  // namespace
}  // namespace day_documents_test
