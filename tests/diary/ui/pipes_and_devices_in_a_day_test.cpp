// Named pipes and links to devices among a day's documents: the window starts and answers,
// lists each by its name and kind, and says so when one is clicked instead of reading it.

#include "day_documents_fixture.h"

#include <QStatusBar>

#include "support/non_regular_files.h"

namespace {

using namespace day_documents_test;

class SpecialDayFiles : public DayDocuments {
 protected:
  // Pipes named as text, a text of the other case, data and a picture; links to /dev/zero
  // named as text, data and a picture; and one memo.
  void SetUp() override {
    QDir().mkpath(day());
    for (const char* name : {"a.txt", "a.TXT", "a.bin", "a.png"}) {
      ASSERT_TRUE(pravella::test::makeFifo(day() + "/" + name)) << name;
      pipes << day() + "/" + name;
    }
    for (const char* name : {"z.txt", "z.bin", "z.png"})
      ASSERT_TRUE(pravella::test::makeLink("/dev/zero", day() + "/" + name)) << name;
    writeRtfd(day() + "/m.rtfd", "my memo");
  }
  QStringList pipes;
};

TEST_F(SpecialDayFiles, TheWindowStartsListsThemByKindAndNeverReadsThem) {
  pravella::test::HangGuard guard(pipes);
  start();  // the day's first row, a pipe, is not opened: start-up shows the first memo
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/m.rtfd");
  EXPECT_EQ(rows(), QStringList({"a.bin  [named pipe]", "a.png  [named pipe]", "a.TXT  [named pipe]",
                                 "a.txt  [named pipe]", "m", "z.bin  [character device]",
                                 "z.png  [character device]", "z.txt  [character device]"}));

  clickRow(static_cast<int>(calendar->diaryFiles().indexOf("m.rtfd")));
  EXPECT_EQ(memo()->toPlainText(), "my memo");
  const struct {
    const char* name;
    const char* kind;
  } cases[] = {{"a.txt", "named pipe"},       {"a.TXT", "named pipe"},       {"a.bin", "named pipe"},
               {"a.png", "named pipe"},       {"z.txt", "character device"}, {"z.bin", "character device"},
               {"z.png", "character device"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sounds.clear();
    clickRow(static_cast<int>(calendar->diaryFiles().indexOf(c.name)));
    EXPECT_EQ(window->statusBar()->currentMessage(), QString("%1 is a %2, which is not opened.").arg(c.name, c.kind));
    EXPECT_EQ(sounds, QStringList{"Basso"});
    // The memo stays as it was, and nothing went to the desktop.
    EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/m.rtfd");
    EXPECT_EQ(memo()->toPlainText(), "my memo");
    EXPECT_TRUE(opened.isEmpty());
  }
}

}  // namespace
