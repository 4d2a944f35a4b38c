// The start-up question about an edit kept in the recovery folder, asked in the real message
// box: Escape leaves the edit there for later and opens nothing; Return opens it.

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

}  // namespace
}  // namespace day_documents_test
