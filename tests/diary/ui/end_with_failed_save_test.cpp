// A signal that ends the application while an edit cannot be written where it belongs: the
// edit goes to the recovery folder, named after the document and the time, the console says
// where, and the next start offers it. Only when even that fails is the edit left, and then
// the console names the document.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include <QDir>
#include <QTemporaryFile>
#include <csignal>

#include "end_by_signal_fixture.h"
#include "editors/recovered_edits.h"
#include "platform/console_log.h"
#include "support/wait_for.h"

namespace {

using namespace day_documents_test;
using pravella::test::becomesTrue;

class EndWithFailedSave : public EndBySignal {
 protected:
  void SetUp() override {
    EndBySignal::SetUp();
    ASSERT_TRUE(console.open());
    previousConsole = pravella::setConsoleLogStream(::fdopen(::dup(console.handle()), "w"));
  }
  void TearDown() override {
    endSignals.reset();
    std::fclose(pravella::setConsoleLogStream(previousConsole));
    EndBySignal::TearDown();
  }
  void showInMemo(const QString& name) {
    const qsizetype row = calendar->diaryFiles().indexOf(name);
    ASSERT_GE(row, 0) << s(name);
    clickRow(static_cast<int>(row));
    ASSERT_EQ(calendar->nowDisplayedDocument(), day() + "/" + name);
  }
  QString said() {
    QFile read(console.fileName());
    read.open(QIODevice::ReadOnly);
    return QString::fromUtf8(read.readAll());
  }
  void replaceDayFolderByAFile() {
    QDir(day()).removeRecursively();
    writeFile(day(), "a file where the day's folder was");
  }
  void restoreDayFolder() {
    QFile::remove(day());
    QDir().mkpath(day());
  }
  QStringList recovered() {
    return QDir(pravella::paths::recovered()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  }

  QTemporaryFile console;
  std::FILE* previousConsole = nullptr;
};

// ------------------------------------------------------------ what keeps the save from its place

struct Blocker {
  const char* name;
  void (*block)(const QString& day, const QString& document);
};

const Blocker kBlockers[] = {
    {"DayFolderReplacedByAFile",
     [](const QString& day, const QString&) {
       QDir(day).removeRecursively();
       writeFile(day, "a file where the day's folder was");
     }},
    // A read-only text inside the package makes the document read-only, whoever runs the test.
    {"ReadOnlyDocument",
     [](const QString&, const QString& document) {
       QFile::setPermissions(document + "/TXT.rtf", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
     }},
};

class EndWithBlockedSave : public EndWithFailedSave, public testing::WithParamInterface<Blocker> {};

TEST_P(EndWithBlockedSave, KeepsTheEditInTheRecoveryFolder) {
  writeRtfd(day() + "/Shopping.rtfd", "list");
  openWithSignals();
  showInMemo("Shopping.rtfd");
  type("milk ");
  GetParam().block(day(), day() + "/Shopping.rtfd");

  endBy(SIGTERM);
  const QStringList kept = recovered();
  ASSERT_EQ(kept.size(), 1) << s(said());
  EXPECT_TRUE(kept[0].startsWith("Shopping (recovered ")) << s(kept[0]);
  EXPECT_TRUE(kept[0].endsWith(").rtfd")) << s(kept[0]);
  const QString copy = pravella::paths::recovered() + "/" + kept[0];
  EXPECT_EQ(textOf(copy), "milk list");
  EXPECT_TRUE(said().contains(copy)) << s(said());
  // The next start names where it belonged.
  const QList<pravella::RecoveredEdit> edits = pravella::recoveredEdits();
  ASSERT_EQ(edits.size(), 1);
  EXPECT_EQ(edits[0].intended, day() + "/Shopping.rtfd");
}

INSTANTIATE_TEST_SUITE_P(Blockers, EndWithBlockedSave, testing::ValuesIn(kBlockers),
                         [](const testing::TestParamInfo<Blocker>& info) { return std::string(info.param.name); });

TEST_F(EndWithFailedSave, ANameTooLongForTheFileSystemIsShortenedInTheRecoveryFolder) {
  openWithSignals();
  memo()->selectAll();
  type("notes");
  nameField()->setText(QString(1000, QChar(0x20AC)));  // 3,000 bytes of euro signs
  endBy(SIGTERM);
  const QStringList kept = recovered();
  ASSERT_EQ(kept.size(), 1) << s(said());
  EXPECT_LE(kept[0].toUtf8().size(), pravella::kLongestFileName);
  EXPECT_TRUE(kept[0].startsWith(QString(10, QChar(0x20AC)))) << s(kept[0]);
  EXPECT_EQ(textOf(pravella::paths::recovered() + "/" + kept[0]), "notes");
}

// Another program rewrote the memo meanwhile: the edit is kept beside it, under a name
// shortened to fit when the memo's own name is near the file system's limit.
TEST_F(EndWithFailedSave, AKeepBothNameTooLongIsShortened) {
  const QString euro(1, QChar(0x20AC));
  const QString stem = QString(160, 'a') + euro.repeated(30);  // 250 bytes, and ".rtfd"
  writeRtfd(day() + "/" + stem + ".rtfd", "theirs");
  openWithSignals();
  showInMemo(stem + ".rtfd");
  type("mine ");
  QTest::qWait(20);  // a later time stamp on the other program's write
  writeRtfd(day() + "/" + stem + ".rtfd", "other program");
  endBy(SIGTERM);
  EXPECT_EQ(textOf(day() + "/" + stem + ".rtfd"), "other program");
  EXPECT_EQ(textOf(day() + "/" + QString(160, 'a') + euro.repeated(28) + " (2).rtfd"), "mine theirs") << s(said());
  EXPECT_TRUE(recovered().isEmpty());
}

// A file size limit stands in for a full disk, whoever runs the test: the recovery folder is
// on it too, so the edit cannot be kept, and the console says which document it was.
TEST_F(EndWithFailedSave, WhenEvenTheRecoveryFailsTheConsoleNamesTheDocument) {
  const QString old(10000, 'o');
  writeRtfd(day() + "/Big.rtfd", old);
  openWithSignals();
  showInMemo("Big.rtfd");
  type("new ");
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  endBy(SIGTERM);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(textOf(day() + "/Big.rtfd"), old);
  EXPECT_TRUE(said().contains("the edit of \"" + day() + "/Big.rtfd\" is not saved")) << s(said());
  EXPECT_TRUE(recovered().isEmpty()) << s(recovered().join(", "));
}

// ------------------------------------------------------------ the next start

TEST_F(EndWithFailedSave, TheNextStartOffersTheEditToOpenOrToMove) {
  writeRtfd(day() + "/Shopping.rtfd", "list");
  openWithSignals();
  showInMemo("Shopping.rtfd");
  type("milk ");
  replaceDayFolderByAFile();
  endBy(SIGTERM);
  ASSERT_EQ(recovered().size(), 1);
  endSignals.reset();
  restoreDayFolder();

  // Another start: Escape leaves it ("Later"), the question again moves it into the day.
  DayDocuments::TearDown();
  ended = false;
  start();
  alertAnswer = 1;  // Later
  calendar->applicationDidFinishLaunching();
  ASSERT_TRUE(becomesTrue([this] { return alerts.contains("Recovered Edit"); }, 5000));
  ASSERT_EQ(alertMessages.size(), 1);
  EXPECT_TRUE(alertMessages[0].contains(day() + "/Shopping.rtfd")) << s(alertMessages[0]);
  EXPECT_EQ(recovered().size(), 1);

  alerts.clear();
  alertMessages.clear();
  alertAnswer = 2;  // Move…
  panelAnswer = "Shopping kept.rtfd";
  calendar->offerRecoveredEdits();
  EXPECT_EQ(panels, QStringList{"Move Recovered Edit:Shopping"});
  EXPECT_EQ(textOf(day() + "/Shopping kept.rtfd"), "milk list");
  EXPECT_TRUE(recovered().isEmpty()) << s(recovered().join(", "));
  EXPECT_TRUE(calendar->diaryFiles().contains("Shopping kept.rtfd"));
}

TEST_F(EndWithFailedSave, AnEditSavedLaterTakesItsCopyOutOfTheRecoveryFolder) {
  writeRtfd(day() + "/Shopping.rtfd", "list");
  start();
  showInMemo("Shopping.rtfd");
  type("milk ");
  replaceDayFolderByAFile();
  // An auto-save fails: the alert says where the text is kept.
  alertAnswer = 0;
  timer->fire();
  ASSERT_EQ(alerts, QStringList{"Can't save the document !"});
  ASSERT_EQ(recovered().size(), 1);
  EXPECT_TRUE(alertMessages[0].contains(pravella::paths::recovered())) << s(alertMessages[0]);
  // A second failure replaces the copy rather than adding one.
  type("eggs ");
  timer->fire();
  ASSERT_EQ(recovered().size(), 1);
  EXPECT_EQ(textOf(pravella::paths::recovered() + "/" + recovered()[0]), "milk eggs list");
  // Saved where it belongs, the copy goes.
  restoreDayFolder();
  type("bread ");
  timer->fire();
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "milk eggs bread list");
  EXPECT_TRUE(recovered().isEmpty());
}

}  // namespace
