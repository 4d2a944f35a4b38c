// What the calendar asks of the desk tools: its questions go through the shared dialogs (the
// answer's place decides), and an open outline is asked to follow the shown document.

#include "day_documents_fixture.h"
#include "platform/notification_center.h"
#include "platform/ui/dialogs.h"

namespace {

using namespace day_documents_test;

TEST_F(DayDocuments, TheDeleteQuestionIsAskedThroughTheDialogs) {
  writeRtfd(day() + "/a.rtfd", "alpha");
  start();
  calendar->setAlertPanel({});
  auto scripted = std::make_shared<pravella::dialogs::Scripted>();
  pravella::dialogs::setHandler(scripted);

  // "Cancel" is the default button: nothing goes.
  scripted->alertAnswers = {pravella::dialogs::kDefault};
  table()->selectRow(0);
  calendar->deleteFileAction();
  EXPECT_TRUE(QFileInfo::exists(day() + "/a.rtfd"));
  // "Delete" is the third.
  scripted->alertAnswers = {pravella::dialogs::kOther};
  table()->selectRow(0);
  calendar->deleteFileAction();
  EXPECT_FALSE(QFileInfo::exists(day() + "/a.rtfd"));
  ASSERT_EQ(scripted->asked.size(), 2);
  EXPECT_TRUE(scripted->asked[1].startsWith("Delete : a.rtfd: ")) << s(scripted->asked[1]);
  pravella::dialogs::setHandler({});
}

TEST_F(DayDocuments, AnOpenOutlineIsAskedToFollowTheMemo) {
  writeRtfd(day() + "/a.rtfd", "alpha");
  start();
  int requests = 0;
  QObject observer;
  pravella::NotificationCenter::defaultCenter().addObserver(
      "showIndexAction", &observer, [&](pravella::Notification&) { ++requests; });
  clickRow(0);
  EXPECT_EQ(requests, 1);  // a shown document

  type("x");
  QTest::qWait(1300);
  EXPECT_EQ(requests, 1);  // edits count only while the outline is open
  calendar->setToggleStatus(8);
  type("y");
  type("z");
  EXPECT_EQ(requests, 1);
  QTest::qWait(1300);
  EXPECT_EQ(requests, 2);  // once, a second after the typing
}

}  // namespace
