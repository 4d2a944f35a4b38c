// The calendar's questions go through the shared dialogs: the answer's place decides.

#include "day_documents_fixture.h"
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

}  // namespace
