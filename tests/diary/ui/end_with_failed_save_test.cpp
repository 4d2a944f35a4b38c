// A signal that ends the application while an edit cannot be written where it belongs: the
// edit goes to the recovery folder, named after the document and the time, the console says
// where, and the next start offers it. When the recovery folder is on the same full disk, a
// spare folder on another file system takes it. Only when every folder fails is the edit
// left, and then the console names the document.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryFile>
#include <QTimer>
#include <csignal>
#include <memory>

#include "end_by_signal_fixture.h"
#include "editors/recovered_edits.h"
#include "platform/console_log.h"
#include "support/private_mounts.h"
#include "support/test_home.h"
#include "support/wait_for.h"

namespace {

using namespace day_documents_test;
using pravella::test::becomesTrue;

class EndWithFailedSave : public EndBySignal {
 protected:
  void SetUp() override {
    EndBySignal::SetUp();
    ASSERT_TRUE(console.open());
    // Named now: a file opened without a name cannot be given one across the private mounts.
    consolePath = console.fileName();
    previousConsole = pravella::setConsoleLogStream(::fdopen(::dup(console.handle()), "w"));
    // Where it can, the test keeps the spare folders off the machine's own.
    ownSpareFolders = spareFoldersOfOurOwn();
  }
  void TearDown() override {
    endSignals.reset();
    std::fclose(pravella::setConsoleLogStream(previousConsole));
    EndBySignal::TearDown();
    if (!previousTmp.isNull()) qputenv("TMPDIR", previousTmp);
    mounts.reset();  // once nothing is open on them
  }
  pravella::test::PrivateMounts& privateMounts() {
    if (!mounts) mounts = std::make_unique<pravella::test::PrivateMounts>();
    return *mounts;
  }
  // The spare recovery folders on a disk of the test's own: /var/tmp a small tmpfs, and the
  // system temp folder inside HOME. False when mounting is refused.
  bool spareFoldersOfOurOwn() {
    if (!privateMounts().tmpfs("/var/tmp", 1 << 20)) return false;
    const QString temp = pravella::test::home() + "/.tmp";
    QDir().mkpath(temp);
    previousTmp = qgetenv("TMPDIR");
    if (previousTmp.isNull()) previousTmp = "";
    qputenv("TMPDIR", QFile::encodeName(temp));
    return true;
  }
  void showInMemo(const QString& name) {
    const qsizetype row = calendar->diaryFiles().indexOf(name);
    ASSERT_GE(row, 0) << s(name);
    clickRow(static_cast<int>(row));
    ASSERT_EQ(calendar->nowDisplayedDocument(), day() + "/" + name);
  }
  QString said() {
    QFile read(consolePath);
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
  QStringList recovered(const QString& folder = pravella::paths::recovered()) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  }
  static QString spare() { return QStringLiteral("/var/tmp/pravella-%1/Recovered").arg(::geteuid()); }

  QTemporaryFile console;
  QString consolePath;
  std::FILE* previousConsole = nullptr;
  std::unique_ptr<pravella::test::PrivateMounts> mounts;
  bool ownSpareFolders = false;
  QByteArray previousTmp;
};

// ------------------------------------------------------------ what keeps the save from its place

struct Blocker {
  const char* name;
  // False when the block could not be set up (a mount refused).
  bool (*block)(pravella::test::PrivateMounts& mounts, const QString& day, const QString& document);
};

const Blocker kBlockers[] = {
    {"DayFolderReplacedByAFile",
     [](pravella::test::PrivateMounts&, const QString& day, const QString&) {
       QDir(day).removeRecursively();
       writeFile(day, "a file where the day's folder was");
       return true;
     }},
    // A read-only text inside the package makes the document read-only, whoever runs the test.
    {"ReadOnlyDocument",
     [](pravella::test::PrivateMounts&, const QString&, const QString& document) {
       QFile::setPermissions(document + "/TXT.rtf", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
       return true;
     }},
    // A folder on a read-only file system holds for root too.
    {"ReadOnlyDayFolder",
     [](pravella::test::PrivateMounts& mounts, const QString& day, const QString&) {
       return mounts.readOnly(day);
     }},
};

class EndWithBlockedSave : public EndWithFailedSave, public testing::WithParamInterface<Blocker> {};

TEST_P(EndWithBlockedSave, KeepsTheEditInTheRecoveryFolder) {
  writeRtfd(day() + "/Shopping.rtfd", "list");
  openWithSignals();
  showInMemo("Shopping.rtfd");
  type("milk ");
  if (!GetParam().block(privateMounts(), day(), day() + "/Shopping.rtfd")) GTEST_SKIP() << s(privateMounts().why());

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

// A file size limit stands in for full disks, whoever runs the test: every recovery folder is
// on one too, so the edit cannot be kept, and the console says which document it was.
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
  if (ownSpareFolders) {
    for (const QString& folder : pravella::paths::spareRecoveredFolders())
      EXPECT_TRUE(recovered(folder).isEmpty()) << s(folder);
  }
}

// ------------------------------------------------------------ a full disk

// HOME is a disk of 2 MiB of its own, with the recovery folder on it; /var/tmp, where the
// spare recovery folder goes, is another. A memo of about 150 KB is shown, then the disk is
// filled to less than that.
class EndOnFullDisk : public EndWithFailedSave {
 protected:
  void SetUp() override {
    EndWithFailedSave::SetUp();
    const QString home = pravella::test::home();
    if (!privateMounts().tmpfs(home, 2 << 20)) GTEST_SKIP() << s(privateMounts().why());
    if (!ownSpareFolders) GTEST_SKIP() << s(privateMounts().why());
    for (const char* sub : {"/.config", "/.cache", "/.local/share", "/.runtime", "/.tmp"}) QDir().mkpath(home + sub);
  }
  void showBigMemoOnAFullDisk() {
    writeRtfd(day() + "/Big.rtfd", old);
    openWithSignals();
    showInMemo("Big.rtfd");
    ASSERT_TRUE(pravella::test::fillDisk(pravella::test::home(), 100 * 1024));
  }
  // Ctrl+S fails, and says so.
  void typeAndSave(const QString& text) {
    type(text);
    alertAnswer = 0;
    QTest::keyClick(memo(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(alerts, QStringList{"Can't save the document !"});
    alerts.clear();
    alertMessages.clear();
    alertAnswer = -1;
  }

  const QString old = QString("an old line of the memo\n").repeated(6000).chopped(1);  // 144 KB
};

TEST_F(EndOnFullDisk, KeepsTheEditInTheSpareFolderAndTheNextStartOffersIt) {
  // An edit an earlier session kept in the recovery folder, while there was room.
  const pravella::Recovery earlier = pravella::keepInRecovery(
      day() + "/Notes.rtfd",
      [](const QString& path) {
        QTextDocument doc;
        doc.setPlainText("notes");
        return pravella::writeRtfdFile(path, doc);
      },
      QDateTime(QDate(2008, 2, 27), QTime(9, 0)));
  ASSERT_TRUE(earlier.ok) << s(earlier.error);
  showBigMemoOnAFullDisk();
  typeAndSave("new ");

  endBy(SIGTERM);
  EXPECT_EQ(textOf(day() + "/Big.rtfd"), old);
  const QStringList kept = recovered(spare());
  ASSERT_EQ(kept.size(), 1) << s(said());
  const QString copy = spare() + "/" + kept[0];
  EXPECT_TRUE(kept[0].startsWith("Big (recovered ")) << s(kept[0]);
  EXPECT_EQ(textOf(copy), "new " + old);
  EXPECT_TRUE(said().contains("the edit was kept in " + copy)) << s(said());
  EXPECT_EQ(QFileInfo(QFileInfo(spare()).path()).permissions() & 0x0077, 0);  // others get nothing
  EXPECT_EQ(recovered().size(), 1);  // the earlier one alone

  // Another start with room again: both are offered, oldest first.
  endSignals.reset();
  QFile::remove(pravella::test::home() + "/filler");
  DayDocuments::TearDown();
  start();
  alertAnswer = 1;  // Later
  calendar->applicationDidFinishLaunching();
  ASSERT_TRUE(becomesTrue([this] { return alerts.size() == 2; }, 5000)) << s(alerts.join(", "));
  EXPECT_TRUE(alertMessages[0].contains(day() + "/Notes.rtfd")) << s(alertMessages[0]);
  EXPECT_TRUE(alertMessages[1].contains(day() + "/Big.rtfd")) << s(alertMessages[1]);
  EXPECT_TRUE(alertMessages[1].contains(copy)) << s(alertMessages[1]);

  alerts.clear();
  alertMessages.clear();
  // Both move: the spare one from another file system.
  alertAnswer = 2;  // Move…
  calendar->setSavePanel([this](const QString&, const QString& folder, const QString& name) {
    panels << name;
    return folder + "/" + name + " kept";
  });
  calendar->offerRecoveredEdits();
  EXPECT_EQ(panels, (QStringList{"Notes", "Big"}));
  EXPECT_EQ(textOf(day() + "/Notes kept.rtfd"), "notes");
  EXPECT_EQ(textOf(day() + "/Big kept.rtfd"), "new " + old);
  EXPECT_TRUE(recovered().isEmpty()) << s(recovered().join(", "));
  EXPECT_TRUE(recovered(spare()).isEmpty()) << s(recovered(spare()).join(", "));
}

// A program that keeps saving on the full disk raises the alert at each save. The signal
// stops the run, closes the alert it left open, and the edit goes to the spare folder.
TEST_F(EndOnFullDisk, AProgramThatKeepsSavingDoesNotHoldTheEnd) {
  realPanels = true;
  watchdog.expect("QMessageBox");
  showBigMemoOnAFullDisk();
  QTest::keyClick(memo(), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(memo(), Qt::Key_Return);
  const QString code = "for (i = 0; i < 100000; i++) { cal_saveDocument(0); }";
  type(code);
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(memo()->isRunning());
  // The alert waits for its answer in an event loop of its own: the signal comes while it
  // is open.
  bool raised = false;
  QTimer whileTheAlertIsOpen;
  QObject::connect(&whileTheAlertIsOpen, &QTimer::timeout, [&raised] {
    const auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (raised || !box || box->windowTitle() != "Can't save the document !") return;
    raised = true;
    ::raise(SIGTERM);
  });
  whileTheAlertIsOpen.start(20);
  ASSERT_TRUE(becomesTrue([this] { return ended; }, 20000)) << s(said());
  EXPECT_TRUE(raised);
  EXPECT_FALSE(memo()->isRunning());  // broken long before its 100,000 saves
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  const QStringList kept = recovered(spare());
  ASSERT_EQ(kept.size(), 1) << s(said());
  // Neither what the run queued for the memo nor its break report.
  EXPECT_EQ(textOf(spare() + "/" + kept[0]).trimmed(), old + "\n" + code);
}

// The spare folders are full too: the edit is left, and the console names the document.
TEST_F(EndOnFullDisk, WhenEveryFolderIsFullTheConsoleNamesTheDocument) {
  ASSERT_TRUE(pravella::test::fillDisk("/var/tmp", 16 * 1024));
  showBigMemoOnAFullDisk();
  typeAndSave("new ");
  endBy(SIGTERM);
  EXPECT_EQ(textOf(day() + "/Big.rtfd"), old);
  EXPECT_TRUE(said().contains("the edit of \"" + day() + "/Big.rtfd\" is not saved")) << s(said());
  EXPECT_TRUE(recovered().isEmpty()) << s(recovered().join(", "));
  for (const QString& folder : pravella::paths::spareRecoveredFolders())
    EXPECT_TRUE(recovered(folder).isEmpty()) << s(folder) << ": " << s(recovered(folder).join(", "));
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
