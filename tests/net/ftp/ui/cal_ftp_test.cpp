// The FTP sheet driven through its widgets against a loopback pyftpdlib server, with the real
// tnftp and wget.

#include "net/ftp/ui/cal_ftp.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest/QTest>

#include <deque>
#include <memory>

#include "lang/builtins/startup.h"
#include "net/ftp/ui/ftp_file_table.h"
#include "platform/child_processes.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/ui/dialogs.h"
#include "support/command_program.h"
#include "support/dialog_watchdog.h"
#include "support/folder_snapshot.h"
#include "support/loopback_ftp.h"
#include "support/test_home.h"
#include "support/wait_for.h"

namespace dialogs = pravella::dialogs;

namespace {

using pravella::test::becomesEqual;

constexpr int kWait = 60000;  // a deadline for the transfers, never a measure

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class FtpSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = pravella::test::home();
    root_ = home_ + "/server";
    local_ = home_ + "/local";
    QDir().mkpath(local_);
    writeFile(root_ + "/pub/a.txt", "hello\n");
    writeFile(root_ + "/pub/a b.txt", "blank\n");
    writeFile(root_ + "/pub/.hidden", "h\n");
    writeFile(root_ + "/pub/sub/deep/f.txt", "deep\n");
    writeFile(root_ + "/pub/sub/g.txt", "g\n");
    for (const char* name : {"big1.bin", "big2.bin", "big3.bin"})
      writeFile(root_ + "/slow/" + name, QByteArray(300000, 'b'));
    server_ = std::make_unique<pravella::test::LoopbackFtp>(root_, "ann", "s3cret", bytesPerSecond(), mode());
    ASSERT_FALSE(server_->port().isEmpty()) << server_->error().toStdString();
    answers_ = std::make_shared<dialogs::Scripted>();
    dialogs::setHandler(answers_);

    CalFTP::Host host;
    host.closeAllToggleView = [this] { ++closed_; };
    host.setToggleStatus = [this](int n) {
      toggle_ = n;
      return 0;
    };
    host.showDiaryFiles = [this] { ++relisted_; };
    host.playSound = [this](const char* name) { sounds_ << QString::fromLatin1(name); };
    sheet_ = std::make_unique<CalFTP>(host);
    sheet_->awakeFromNib();
  }
  virtual int bytesPerSecond() const { return 0; }
  virtual QString mode() const { return {}; }
  void TearDown() override {
    sheet_.reset();
    dialogs::setHandler(nullptr);
    server_.reset();
  }

  QString hostText() const { return "127.0.0.1:" + server_->port() + " office"; }
  void fill(const QString& dir = "/pub", const QString& password = "s3cret") {
    sheet_->hostNameField()->setEditText(hostText());
    sheet_->idField()->setText("ann");
    sheet_->pwField()->setText(password);
    sheet_->directoryField()->setText(dir);
    sheet_->downloadFolderField()->setText(local_);
  }
  void press(const QString& title) {
    for (QPushButton* b : sheet_->ftpDrawer()->findChildren<QPushButton*>())
      if (b->text() == title) return QTest::mouseClick(b, Qt::LeftButton);
    ADD_FAILURE() << "no button " << title.toStdString();
  }
  // Presses the button and waits until every worker's results are in.
  void pressAndWait(const QString& title) {
    press(title);
    settle();
  }
  void settle() {
    EXPECT_TRUE(becomesEqual([this] { return sheet_->runningOperations(); }, 0, kWait));
  }
  int row(const QString& name) const { return int(sheet_->ftpNameList().indexOf(name)); }
  void select(const QStringList& names) {
    ftpFileTable* table = sheet_->filesTableView();
    table->clearSelection();
    for (const QString& n : names) {
      ASSERT_GE(row(n), 0) << n.toStdString();
      table->selectionModel()->select(table->model()->index(row(n), 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
      table->setCurrentCell(row(n), 0, QItemSelectionModel::NoUpdate);
    }
  }
  void doubleClick(const QString& name) {
    ftpFileTable* table = sheet_->filesTableView();
    ASSERT_GE(row(name), 0) << name.toStdString();
    const QRect cell = table->visualRect(table->model()->index(row(name), 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  }
  // A real click on the row of `name`, as the user selects it.
  void clickRow(const QString& name) {
    ftpFileTable* table = sheet_->filesTableView();
    ASSERT_GE(row(name), 0) << name.toStdString();
    const QModelIndex index = table->model()->index(row(name), 0);
    table->scrollTo(index);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(index).center());
    ASSERT_EQ(table->selectedRowNumbers(), QList<int>{row(name)});
  }
  // The drawer on the screen, so that clicks and keys reach its widgets as the user's do.
  void showDrawer() {
    QDockWidget* drawer = sheet_->ftpDrawer();
    drawer->resize(700, 700);
    drawer->show();
    drawer->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(drawer));
  }
  QStringList temporaryFiles() const {
    return QDir(local_).entryList({".ftp-get-*"}, QDir::Files | QDir::Hidden);
  }
  QString monitor() const { return sheet_->monitorField()->toPlainText(); }
  QString status() const { return sheet_->statusField()->text(); }

  QString home_, root_, local_;
  std::unique_ptr<pravella::test::LoopbackFtp> server_;
  std::shared_ptr<dialogs::Scripted> answers_;
  std::unique_ptr<CalFTP> sheet_;
  QStringList sounds_;
  int closed_ = 0, toggle_ = 0, relisted_ = 0;
};

TEST_F(FtpSheet, ConnectListsEntersAndLeavesFolders) {
  fill();
  pressAndWait("Connect");
  EXPECT_EQ(sheet_->ftpNameList(), QStringList({"a b.txt", "a.txt", "sub"}));
  ASSERT_EQ(sheet_->filesTableView()->rowCount(), 3);
  EXPECT_TRUE(sheet_->filesTableView()->item(2, 0)->text().startsWith("d"));
  EXPECT_TRUE(sheet_->filesTableView()->item(2, 0)->text().endsWith(" sub"));
  EXPECT_EQ(sheet_->directoryField()->text(), "/pub");
  EXPECT_EQ(sounds_, QStringList({"Tink", "Tink"}));
  EXPECT_FALSE(monitor().contains("s3cret"));

  doubleClick("sub");
  settle();
  EXPECT_EQ(sheet_->directoryField()->text(), "/pub/sub");
  EXPECT_EQ(sheet_->ftpNameList(), QStringList({"deep", "g.txt"}));

  sounds_.clear();
  doubleClick("g.txt");
  EXPECT_TRUE(monitor().endsWith("It is a Normal File !\n"));
  EXPECT_EQ(sounds_, QStringList{"Basso"});
  // The status line says what became of the double-click, not the listing before it.
  EXPECT_EQ(status(), "It is a Normal File ! (g.txt)");
  EXPECT_EQ(sheet_->directoryField()->text(), "/pub/sub");

  sheet_->directoryField()->setText("/pub/sub/..");
  pressAndWait("Connect");
  EXPECT_EQ(sheet_->directoryField()->text(), "/pub");
  EXPECT_EQ(sheet_->ftpNameList(), QStringList({"a b.txt", "a.txt", "sub"}));
}

// A listing that fails says why in the monitor and the status line, and empties the table, so
// that no name of an earlier listing is left to get or delete.
TEST_F(FtpSheet, AFailedListingSaysWhyAndEmptiesTheTable) {
  fill();
  pressAndWait("Connect");
  EXPECT_EQ(status(), "Listed /pub: 3 entries");
  QString deadPort;
  {
    pravella::test::LoopbackFtp gone(root_, "x", "y");
    deadPort = gone.port();
  }
  const struct {
    const char* host;  // "" for the running server
    const char* dir;
    const char* password;
    const char* why;
  } cases[] = {
      {"", "/pub", "wrong", "Listing failed: 530 "},
      {"", "/nowhere", "s3cret", "Listing failed: 550 "},
      {"dead", "/pub", "s3cret", "Listing failed: ftp: Can't connect"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.why);
    fill();
    pressAndWait("Connect");
    ASSERT_EQ(sheet_->filesTableView()->rowCount(), 3);
    select({"a.txt"});
    sounds_.clear();
    fill(k.dir, k.password);
    if (QString(k.host) == "dead") sheet_->hostNameField()->setEditText("127.0.0.1:" + deadPort);
    pressAndWait("Connect");
    EXPECT_EQ(sounds_, QStringList({"Tink", "Basso"}));
    EXPECT_TRUE(status().startsWith(k.why)) << status().toStdString();
    EXPECT_TRUE(monitor().endsWith(status() + "\n"));
    EXPECT_TRUE(sheet_->ftpList().isEmpty());
    EXPECT_TRUE(sheet_->ftpNameList().isEmpty());
    EXPECT_EQ(sheet_->filesTableView()->rowCount(), 0);
    // Get has no row left to act on.
    const QString before = monitor();
    pressAndWait("Get");
    EXPECT_EQ(monitor(), before);
    EXPECT_FALSE(QFileInfo::exists(local_ + "/a.txt"));
  }
  sounds_.clear();
  sheet_->pwField()->setText("a\nquit");
  pressAndWait("Connect");
  EXPECT_TRUE(monitor().endsWith("Invalid character in a field !\nFTP Site Error !\n"));
  EXPECT_EQ(status(), "Invalid character in a field !");
  EXPECT_EQ(sounds_, QStringList({"Tink", "Basso"}));
  EXPECT_EQ(sheet_->hostList().records().size(), 1);
}

class StockFtpSheet : public FtpSheet {
  QString mode() const override { return "stock"; }
};

// pyftpdlib as it comes refuses "nlist -al": Connect lists once more with "ls -la".
TEST_F(StockFtpSheet, ConnectListsWithLsWhenNlistIsRefused) {
  fill();
  pressAndWait("Connect");
  EXPECT_EQ(sheet_->ftpNameList(), QStringList({"a b.txt", "a.txt", "sub"}));
  EXPECT_EQ(sheet_->filesTableView()->rowCount(), 3);
  EXPECT_EQ(sheet_->directoryField()->text(), "/pub");
  EXPECT_EQ(status(), "Listed /pub: 3 entries");
  EXPECT_EQ(sounds_, QStringList({"Tink", "Tink"}));
  select({"a.txt"});
  pressAndWait("Get");
  EXPECT_EQ(readFile(local_ + "/a.txt"), "hello\n");
}

class NoNamesFtpSheet : public FtpSheet {
  QString mode() const override { return "nonames"; }
};

// The listing came, but the run that learns the current folder failed: the listing counts as
// failed, without a sound as before, but with its reason shown and no table left.
TEST_F(NoNamesFtpSheet, AFailedNamesRunShowsWhyAndLeavesNoTable) {
  fill();
  pressAndWait("Connect");
  EXPECT_EQ(sounds_, QStringList{"Tink"});
  EXPECT_EQ(status(), "Listing failed: 550 Names are not available.");
  EXPECT_TRUE(monitor().endsWith(status() + "\n"));
  EXPECT_TRUE(sheet_->ftpList().isEmpty());
  EXPECT_EQ(sheet_->filesTableView()->rowCount(), 0);
}

TEST_F(FtpSheet, GetsResumesAndDownloadsAFolder) {
  fill();
  pressAndWait("Connect");
  select({"a.txt"});
  pressAndWait("Get");
  EXPECT_EQ(readFile(local_ + "/a.txt"), "hello\n");
  EXPECT_TRUE(monitor().contains("\nget\ta.txt\t./.ftp-get-"));
  EXPECT_TRUE(monitor().contains("user\tann\t********\n"));
  EXPECT_FALSE(monitor().contains("s3cret"));
  EXPECT_EQ(relisted_, 1);

  // A folder among several rows is passed over; two rows end with "Purr".
  sounds_.clear();
  select({"a b.txt", "sub"});
  pressAndWait("Get");
  EXPECT_EQ(readFile(local_ + "/a b.txt"), "blank\n");
  EXPECT_FALSE(QFileInfo::exists(local_ + "/pub"));
  EXPECT_EQ(sounds_, QStringList({"Tink", "Purr"}));

  // One folder alone offers the download; "Cancel" declines it.
  answers_->alertAnswers = {dialogs::kDefault, dialogs::kOther};
  sounds_.clear();
  select({"sub"});
  press("Get");
  EXPECT_EQ(sounds_, QStringList{"Basso"});
  EXPECT_EQ(sheet_->runningOperations(), 0);
  pressAndWait("Get");
  EXPECT_EQ(answers_->asked, QStringList({"Do you want to download the directory ?: sub",
                                          "Do you want to download the directory ?: sub"}));
  EXPECT_EQ(readFile(local_ + "/pub/sub/g.txt"), "g\n");
  EXPECT_EQ(readFile(local_ + "/pub/sub/deep/f.txt"), "deep\n");
  EXPECT_EQ(sounds_, QStringList({"Basso", "Ping", "Purr"}));
  EXPECT_EQ(sheet_->localFilesView()->findItems("pub/", Qt::MatchExactly).size(), 1);
  EXPECT_TRUE(QDir(pravella::ftp::workRoot()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(FtpSheet, PutsAndDeletesAfterConfirmation) {
  fill();
  pressAndWait("Connect");
  writeFile(home_ + "/out/up.txt", "up\n");
  answers_->paths = {home_ + "/out/up.txt", home_ + "/out", ""};
  pressAndWait("Put...");
  EXPECT_EQ(readFile(root_ + "/pub/up.txt"), "up\n");
  EXPECT_TRUE(sheet_->ftpNameList().contains("up.txt"));  // listed again
  press("Put...");
  EXPECT_TRUE(monitor().endsWith("It is a directory (Can not upload)!\n"));
  press("Put...");
  EXPECT_TRUE(monitor().endsWith("Canceled !\n"));
  EXPECT_EQ(answers_->asked.value(0), "Select Upload File: " + local_);

  select({"a.txt", "up.txt"});
  press("Delete");
  EXPECT_TRUE(monitor().endsWith("Many files are selected !!!\n"));

  answers_->alertAnswers = {dialogs::kDefault, dialogs::kAlternate, dialogs::kOther};
  sounds_.clear();
  select({"a.txt"});
  press("Delete");  // Cancel
  press("Delete");  // the empty button: nothing
  EXPECT_EQ(sounds_, QStringList{"Basso"});
  EXPECT_TRUE(QFile::exists(root_ + "/pub/a.txt"));
  pressAndWait("Delete");
  EXPECT_FALSE(QFile::exists(root_ + "/pub/a.txt"));
  EXPECT_FALSE(sheet_->ftpNameList().contains("a.txt"));
  EXPECT_TRUE(monitor().contains("delete\ta.txt\n"));
  EXPECT_EQ(answers_->asked.mid(3), QStringList(3, "Do you want to delete the file ?: a.txt"));
}

// " lead.txt" and "lead.txt" are two files: the row's own file is fetched and deleted, and a
// local name with leading blanks is put under that name.
TEST_F(FtpSheet, ANameThatBeginsWithBlanksIsItsOwnFile) {
  writeFile(root_ + "/pub/ lead.txt", "LEAD\n");
  writeFile(root_ + "/pub/lead.txt", "OTHER FILE\n");
  showDrawer();
  fill();
  pressAndWait("Connect");
  ASSERT_TRUE(sheet_->ftpNameList().contains(" lead.txt"));
  ASSERT_TRUE(sheet_->ftpNameList().contains("lead.txt"));

  clickRow(" lead.txt");
  pressAndWait("Get");
  EXPECT_EQ(readFile(local_ + "/ lead.txt"), "LEAD\n");
  EXPECT_FALSE(QFileInfo::exists(local_ + "/lead.txt"));
  EXPECT_EQ(status(), "Got  lead.txt");

  answers_->alertAnswers = {dialogs::kOther};
  clickRow(" lead.txt");
  pressAndWait("Delete");
  EXPECT_EQ(answers_->asked, QStringList{"Do you want to delete the file ?: \" lead.txt\""});
  EXPECT_TRUE(monitor().contains("delete\t\\ lead.txt\n"));
  EXPECT_FALSE(QFileInfo::exists(root_ + "/pub/ lead.txt"));
  EXPECT_EQ(readFile(root_ + "/pub/lead.txt"), "OTHER FILE\n");
  EXPECT_FALSE(sheet_->ftpNameList().contains(" lead.txt"));

  writeFile(home_ + "/out/  two.txt", "TWO\n");
  answers_->paths = {home_ + "/out/  two.txt"};
  pressAndWait("Put...");
  EXPECT_EQ(readFile(root_ + "/pub/  two.txt"), "TWO\n");
  EXPECT_FALSE(QFileInfo::exists(root_ + "/pub/two.txt"));
  EXPECT_TRUE(sheet_->ftpNameList().contains("  two.txt"));
}

// A local file is replaced by the fetched one only once it came whole; a failed get leaves it
// as it was.
TEST_F(FtpSheet, GetOverALocalFileReplacesItWholeOrNotAtAll) {
  writeFile(root_ + "/pub/doc.txt", "VERSION TWO, longer text\n");
  writeFile(local_ + "/doc.txt", "version one\n");
  showDrawer();
  fill();
  pressAndWait("Connect");

  // The real alert: Escape keeps the local file and fetches nothing.
  dialogs::setHandler(nullptr);
  QString shown;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible() || !box->isAncestorOf(QApplication::focusWidget())) continue;
      shown = box->windowTitle() + " | " + box->text();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    }
  });
  poll.start(20);
  clickRow("doc.txt");
  sounds_.clear();
  pressAndWait("Get");
  poll.stop();
  dialogs::setHandler(answers_);
  EXPECT_TRUE(shown.endsWith("Do you want to replace it with the file from the server?"))
      << shown.toStdString();
  EXPECT_EQ(sounds_, QStringList{"Basso"});
  EXPECT_EQ(readFile(local_ + "/doc.txt"), "version one\n");
  EXPECT_FALSE(monitor().contains("get\tdoc.txt"));

  answers_->alertAnswers = {dialogs::kOther};
  clickRow("doc.txt");
  sounds_.clear();
  pressAndWait("Get");
  EXPECT_EQ(answers_->asked, QStringList{"\u201c"
                                         "doc.txt\u201d already exists in the local folder.: "
                                         "Do you want to replace it with the file from the server?"});
  EXPECT_EQ(readFile(local_ + "/doc.txt"), "VERSION TWO, longer text\n");
  EXPECT_EQ(status(), "Got doc.txt");
  EXPECT_EQ(sounds_, QStringList{"Tink"});

  writeFile(local_ + "/doc.txt", "version one\n");
  QFile::remove(root_ + "/pub/doc.txt");  // the row is still listed
  answers_->alertAnswers = {dialogs::kOther};
  clickRow("doc.txt");
  sounds_.clear();
  pressAndWait("Get");
  EXPECT_TRUE(status().startsWith("Get of doc.txt failed: 550")) << status().toStdString();
  EXPECT_EQ(sounds_, QStringList{"Basso"});
  EXPECT_EQ(readFile(local_ + "/doc.txt"), "version one\n");
  EXPECT_TRUE(temporaryFiles().isEmpty()) << temporaryFiles().join(' ').toStdString();
}

// The real alerts of a directory download, answered as the user does: a click on the button
// of that title, or Escape ("Escape") to the focused button. Each alert is recorded as
// "title | text | its buttons".
class RealAlerts {
 public:
  explicit RealAlerts(std::deque<QString> actions) : actions_(std::move(actions)) {
    dialogs::setHandler(nullptr);
    watchdog_.answerDialog("QMessageBox", [this](QDialog* dialog) {
      auto* box = qobject_cast<QMessageBox*>(dialog);
      if (!box || actions_.empty()) return false;
      QStringList buttons;
      for (QAbstractButton* b : box->buttons()) buttons << b->text();
      buttons.sort();
      shown << box->windowTitle() + " | " + box->text() + " | " + buttons.join(",");
      const QString action = actions_.front();
      actions_.pop_front();
      if (action == "Escape") {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && box->isAncestorOf(focus) ? focus : box, Qt::Key_Escape);
        return true;
      }
      for (QAbstractButton* b : box->buttons())
        if (b->text() == action) QTest::mouseClick(b, Qt::LeftButton);
      return true;
    });
  }
  ~RealAlerts() { EXPECT_TRUE(actions_.empty()) << "alerts not shown: " << actions_.size(); }
  QStringList shown;

 private:
  std::deque<QString> actions_;
  pravella::test::DialogWatchdog watchdog_;
};

// A directory download puts nothing over a local file unasked: the files it would replace are
// listed first, and Escape (or Cancel) leaves the local folder as it was. Files already there
// with the same contents are not touched, so the same folder downloaded twice changes nothing.
TEST_F(FtpSheet, ADirectoryDownloadAsksBeforeItReplacesLocalFiles) {
  showDrawer();
  fill();
  pressAndWait("Connect");
  const auto download = [this](std::deque<QString> actions) {
    RealAlerts alerts(std::move(actions));
    clickRow("sub");
    sounds_.clear();
    pressAndWait("Get");
    dialogs::setHandler(answers_);
    return alerts.shown;
  };
  const QString staged = ".ftp-dir-*";
  const QString question = "Do you want to download the directory ? | sub | Cancel,Download";

  // The first time, everything is new.
  auto before = pravella::test::FolderSnapshot::of(local_);
  EXPECT_EQ(download({"Download"}), QStringList{question});
  EXPECT_TRUE(before.changedOnly({"pub"}));
  EXPECT_EQ(readFile(local_ + "/pub/sub/g.txt"), "g\n");
  EXPECT_EQ(status(), "Downloaded sub: 2 new");
  EXPECT_EQ(sounds_, QStringList({"Ping", "Purr"}));

  // Again: nothing differs, nothing is asked or touched.
  before = pravella::test::FolderSnapshot::of(local_);
  EXPECT_EQ(download({"Download"}), QStringList{question});
  EXPECT_TRUE(before.unchanged());
  EXPECT_EQ(status(), "Downloaded sub: 0 new, 2 already there");

  // A partial folder gets what it lacks.
  QFile::remove(local_ + "/pub/sub/g.txt");
  before = pravella::test::FolderSnapshot::of(local_);
  download({"Download"});
  EXPECT_TRUE(before.changedOnly({"pub/sub/g.txt"}));
  EXPECT_EQ(status(), "Downloaded sub: 1 new, 1 already there");

  // The user's edit, and a file new on the server.
  writeFile(local_ + "/pub/sub/g.txt", "my edit\n");
  writeFile(root_ + "/pub/sub/new.txt", "new\n");
  before = pravella::test::FolderSnapshot::of(local_);
  QStringList shown = download({"Download", "Escape"});
  ASSERT_EQ(shown.size(), 2);
  EXPECT_EQ(
      shown[1],
      "The download would replace a local file. | pub/sub/g.txt\n\nReplace with the files from the server, "
      "or keep both and put the download into \u201cpub-2\u201d? | Cancel,Keep Both,Replace");
  EXPECT_TRUE(before.unchanged());
  EXPECT_EQ(readFile(local_ + "/pub/sub/g.txt"), "my edit\n");
  EXPECT_EQ(status(), "Download of sub cancelled: the local folder was left as it was");
  EXPECT_EQ(sounds_, QStringList({"Ping", "Basso"}));

  // Keep Both: the whole download beside the local files, under a free name.
  download({"Download", "Keep Both"});
  EXPECT_TRUE(before.changedOnly({"pub-2"}));
  EXPECT_EQ(readFile(local_ + "/pub-2/sub/g.txt"), "g\n");
  EXPECT_EQ(readFile(local_ + "/pub-2/sub/new.txt"), "new\n");
  EXPECT_EQ(status(), "Downloaded sub into pub-2 beside the local files");

  // Replace: the listed file is replaced (keeping its permissions), the new one comes.
  QFile::setPermissions(local_ + "/pub/sub/g.txt", QFile::ReadOwner | QFile::WriteOwner);
  before = pravella::test::FolderSnapshot::of(local_);
  download({"Download", "Replace"});
  EXPECT_TRUE(before.changedOnly({"pub/sub/g.txt", "pub/sub/new.txt"}));
  EXPECT_EQ(readFile(local_ + "/pub/sub/g.txt"), "g\n");
  EXPECT_FALSE(QFileInfo(local_ + "/pub/sub/g.txt").permissions() & (QFile::ReadGroup | QFile::ReadOther));
  EXPECT_EQ(status(), "Downloaded sub: 1 new, 1 replaced, 1 already there");
  EXPECT_TRUE(monitor().contains("Replaced pub/sub/g.txt\n"));
  EXPECT_TRUE(QDir(local_).entryList({staged}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

// A file where the download has a folder is never replaced: the question offers Keep Both and
// Cancel only. A download that fails puts nothing into the local folder.
TEST_F(FtpSheet, ADirectoryDownloadNeverReplacesAnEntryOfAnotherKind) {
  showDrawer();
  fill();
  pressAndWait("Connect");
  writeFile(local_ + "/pub", "a file named like the folder\n");
  auto before = pravella::test::FolderSnapshot::of(local_);
  for (const char* last : {"Escape", "Cancel"}) {
    RealAlerts alerts({"Download", last});
    clickRow("sub");
    pressAndWait("Get");
    dialogs::setHandler(answers_);
    ASSERT_EQ(alerts.shown.size(), 2);
    EXPECT_EQ(alerts.shown[1],
              "Local entries of another kind are in the download's way. | pub\n\nKeep them and put the "
              "download into \u201cpub-2\u201d? | Cancel,Keep Both");
    EXPECT_TRUE(before.unchanged());
  }
  {
    RealAlerts alerts({"Download", "Keep Both"});
    clickRow("sub");
    pressAndWait("Get");
    dialogs::setHandler(answers_);
  }
  EXPECT_TRUE(before.changedOnly({"pub-2"}));
  EXPECT_EQ(readFile(local_ + "/pub"), "a file named like the folder\n");
  EXPECT_EQ(readFile(local_ + "/pub-2/sub/deep/f.txt"), "deep\n");

  // The folder went from the server after the listing: wget fails, and what it may have
  // fetched stays out of the local folder.
  QDir(root_ + "/pub/sub").removeRecursively();
  before = pravella::test::FolderSnapshot::of(local_);
  {
    RealAlerts alerts({"Download"});
    clickRow("sub");
    sounds_.clear();
    pressAndWait("Get");
    dialogs::setHandler(answers_);
  }
  EXPECT_TRUE(before.unchanged());
  EXPECT_TRUE(status().startsWith("Download of sub failed: wget ended with status "))
      << status().toStdString();
  EXPECT_TRUE(status().endsWith("; nothing was put in the local folder"));
  EXPECT_EQ(sounds_, QStringList({"Ping", "Basso"}));
}

// A server that refuses one file of the folder (550) and one that dies halfway through a large
// file: wget ends with status 0 after both, yet nothing is put in place, no question is asked
// about a tree that did not come whole, and the status line names the file and why.
class RefusingFtpSheet : public FtpSheet {
  QString mode() const override { return "refuse=pub/sub/deep/f.txt"; }
};

TEST_F(RefusingFtpSheet, AFolderWithARefusedFileIsNotPutInPlace) {
  showDrawer();
  fill();
  pressAndWait("Connect");
  writeFile(local_ + "/pub/sub/g.txt", "my edit\n");
  const auto before = pravella::test::FolderSnapshot::of(local_);
  {
    RealAlerts alerts({"Download"});
    clickRow("sub");
    sounds_.clear();
    pressAndWait("Get");
    dialogs::setHandler(answers_);
    EXPECT_EQ(alerts.shown.size(), 1);
  }
  EXPECT_TRUE(before.unchanged());
  EXPECT_EQ(status(),
            "Download of sub failed: pub/sub/deep/f.txt: No such file 'f.txt'; nothing was put in the local "
            "folder");
  EXPECT_EQ(sounds_, QStringList({"Ping", "Basso"}));
  EXPECT_TRUE(QDir(local_).entryList({".ftp-dir-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

class DyingFtpSheet : public FtpSheet {
 protected:
  void SetUp() override {
    QByteArray huge(3000000, '\0');
    for (int i = 0; i < huge.size(); ++i) huge[i] = char(i * 7 % 251);
    writeFile(pravella::test::home() + "/server/big/huge.bin", huge);
    writeFile(pravella::test::home() + "/server/big/first.txt", "first\n");
    FtpSheet::SetUp();
  }
  QString mode() const override { return "die=big/huge.bin"; }
};

TEST_F(DyingFtpSheet, AFolderCutHalfwayIsNotPutInPlace) {
  showDrawer();
  fill("/");
  pressAndWait("Connect");
  writeFile(local_ + "/big/first.txt", "my edited first\n");
  writeFile(local_ + "/big/huge.bin", "mine\n");
  const auto before = pravella::test::FolderSnapshot::of(local_);
  {
    RealAlerts alerts({"Download"});
    clickRow("big");
    sounds_.clear();
    pressAndWait("Get");
    dialogs::setHandler(answers_);
    EXPECT_EQ(alerts.shown.size(), 1);  // no question offers the cut tree
  }
  EXPECT_TRUE(before.unchanged());
  EXPECT_EQ(readFile(local_ + "/big/first.txt"), "my edited first\n");
  EXPECT_TRUE(status().startsWith("Download of big failed: big/huge.bin: ")) << status().toStdString();
  EXPECT_TRUE(status().endsWith("; nothing was put in the local folder"));
  EXPECT_EQ(sounds_, QStringList({"Ping", "Basso"}));
  EXPECT_TRUE(QDir(local_).entryList({".ftp-dir-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

// New output goes after all earlier output, wherever the user clicked in the monitor or what
// they selected there.
TEST_F(FtpSheet, TheMonitorAppendsWhateverTheCursor) {
  showDrawer();
  fill();
  pressAndWait("Connect");
  QTextEdit* field = sheet_->monitorField();
  const QString first = monitor();
  ASSERT_GT(first.size(), 20);
  // A click on the top line the monitor shows: inside old output, far from its end.
  const QPoint topLine(field->viewport()->width() / 2, field->fontMetrics().height() / 2);
  QTest::mouseClick(field->viewport(), Qt::LeftButton, {}, topLine);
  ASSERT_EQ(QApplication::focusWidget(), field);
  ASSERT_LT(field->textCursor().position(), first.size() - 10);

  pressAndWait("Connect");
  EXPECT_TRUE(monitor().startsWith(first));
  EXPECT_TRUE(monitor().mid(first.size()).contains("Remote directory: /pub"));

  const QString before = monitor();
  QTest::mouseClick(field->viewport(), Qt::LeftButton, {}, topLine);
  ASSERT_EQ(QApplication::focusWidget(), field);
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  ASSERT_EQ(field->textCursor().selectedText().size(), before.size());
  press("Delete");  // no row selected
  EXPECT_EQ(monitor(), before + "Invalid ROW !\n");
  EXPECT_EQ(status(), "Invalid ROW !");
}

// A delete the server refuses stays in the status line after the listing that follows it.
TEST_F(FtpSheet, AFailedDeleteStaysInTheStatusLine) {
  showDrawer();
  fill();
  pressAndWait("Connect");
  answers_->alertAnswers = {dialogs::kOther};
  clickRow("sub");
  sounds_.clear();
  pressAndWait("Delete");
  EXPECT_TRUE(status().startsWith("Delete of sub failed: 550")) << status().toStdString();
  EXPECT_TRUE(sounds_.contains("Basso"));
  EXPECT_TRUE(monitor().contains("Delete of sub failed: 550"));
  EXPECT_TRUE(monitor().contains("Remote directory: /pub"));  // listed again
  EXPECT_EQ(sheet_->ftpNameList(), QStringList({"a b.txt", "a.txt", "sub"}));
}

TEST_F(FtpSheet, RemembersTheHostAfterAListingAndFillsTheFieldsWhenPicked) {
  fill();
  pressAndWait("Connect");
  const QStringList stored =
      pravella::plist::readStringArray(pravella::paths::preferences() + "/hostList.dat")
          .value_or(QStringList{});
  ASSERT_EQ(stored.size(), 1);
  EXPECT_TRUE(stored[0].startsWith(hostText() + "\tann\thex:"));
  EXPECT_FALSE(stored[0].contains("s3cret"));
  ASSERT_EQ(sheet_->hostNameField()->count(), 1);
  EXPECT_EQ(sheet_->hostNameField()->itemText(0), hostText());

  sheet_->idField()->clear();
  sheet_->pwField()->clear();
  sheet_->directoryField()->clear();
  sounds_.clear();
  emit sheet_->hostNameField()->activated(0);
  EXPECT_EQ(sheet_->idField()->text(), "ann");
  EXPECT_EQ(sheet_->pwField()->text(), "s3cret");
  EXPECT_EQ(sheet_->directoryField()->text(), "/pub");
  EXPECT_EQ(sounds_, QStringList{"Tink"});

  // A restored host list is read again on "reloadHostList".
  ASSERT_TRUE(pravella::plist::writeStringArray(pravella::paths::preferences() + "/hostList.dat",
                                                {stored[0], "other.example\tbob"})
                  .ok);
  pravella::NotificationCenter::defaultCenter().post("reloadHostList");
  ASSERT_EQ(sheet_->hostNameField()->count(), 2);
  emit sheet_->hostNameField()->activated(1);
  EXPECT_EQ(sheet_->idField()->text(), "bob");
  EXPECT_EQ(sheet_->pwField()->text(), "");
  EXPECT_EQ(sheet_->directoryField()->text(), "~/");

  answers_->alertAnswers = {dialogs::kOther};
  sheet_->hostNameField()->setEditText("other.example");
  press("Delete Host");
  EXPECT_EQ(sheet_->hostList().records(), QStringList{stored[0]});
  EXPECT_EQ(sheet_->directoryField()->text(), "~/");
}

TEST_F(FtpSheet, AProgramFillsTheFieldsAndConnects) {
  vkStartUp();
  CommandProgram program;
  program.text(hostText().toStdString());
  EXPECT_EQ(program.call("cal_setFTPHostURL", 1), 1);
  program.text("ann");
  EXPECT_EQ(program.call("cal_setFTPID", 1), 1);
  program.text("s3cret");
  EXPECT_EQ(program.call("cal_setFTPPW", 1), 1);
  program.text("/pub/sub");
  EXPECT_EQ(program.call("cal_setFTPDir", 1), 1);
  EXPECT_EQ(sheet_->hostNameField()->currentText(), hostText());
  EXPECT_EQ(sheet_->idField()->text(), "ann");
  EXPECT_EQ(sheet_->pwField()->text(), "s3cret");
  EXPECT_EQ(sheet_->directoryField()->text(), "/pub/sub");
  // The bridge posts no "cal_FTPConnect"; its observer stands ready for one who does.
  pravella::NotificationCenter::defaultCenter().post("cal_FTPConnect");
  settle();
  EXPECT_EQ(sheet_->ftpNameList(), QStringList({"deep", "g.txt"}));
}

TEST_F(FtpSheet, OpensAsSideViewSixteenAndStartsInTodaysDiaryFolder) {
  const QDate today = QDate::currentDate();
  EXPECT_EQ(sheet_->downloadFolderField()->text(),
            pravella::paths::dayFolder(today.year(), today.month(), today.day()));
  sheet_->toggleFTPSheet();
  EXPECT_TRUE(sheet_->ftpDrawer()->isVisible());
  EXPECT_EQ(toggle_, CalFTP::kToggleNumber);
  sheet_->toggleFTPSheet();
  EXPECT_TRUE(sheet_->ftpDrawer()->isHidden());
  EXPECT_EQ(closed_, 2);
}

TEST_F(FtpSheet, TheLocalFolderIsChosenAndListed) {
  writeFile(home_ + "/chosen/x.txt", "x");
  answers_->paths = {home_ + "/chosen", ""};
  press("Folder...");
  EXPECT_EQ(sheet_->downloadFolderField()->text(), home_ + "/chosen");
  ASSERT_EQ(sheet_->localFilesView()->count(), 1);
  EXPECT_EQ(sheet_->localFilesView()->item(0)->text(), "x.txt");
  press("Folder...");  // cancelled
  EXPECT_EQ(sheet_->downloadFolderField()->text(), home_ + "/chosen");
  EXPECT_EQ(sounds_, QStringList({"Tink", "Basso"}));
  EXPECT_TRUE(answers_->asked.value(0).startsWith("Select Folder !: /"));
}

TEST_F(FtpSheet, ProgramsOpenToggleAndCloseTheSheetAndOnlyTheButtonStartsATerminal) {
  const QString bin = home_ + "/bin", log = home_ + "/terminal.log";
  writeFile(bin + "/x-terminal-emulator", ("#!/bin/sh\npwd >> '" + log + "'\n").toUtf8());
  QFile::setPermissions(bin + "/x-terminal-emulator", QFile::ReadOwner | QFile::ExeOwner);
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", (bin + ":").toUtf8() + path);
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.post("cal_openFTPSheet");
  EXPECT_TRUE(sheet_->ftpDrawer()->isVisible());
  center.post("cal_openFTPSheet");  // open: stays open
  EXPECT_TRUE(sheet_->ftpDrawer()->isVisible());
  center.post("cal_toggleFTPSheet");
  EXPECT_TRUE(sheet_->ftpDrawer()->isHidden());
  center.post("cal_toggleFTPSheet");
  EXPECT_TRUE(sheet_->ftpDrawer()->isVisible());
  press("Terminal");
  qputenv("PATH", path);
  center.post("cal_closeFTPSheet");
  EXPECT_TRUE(sheet_->ftpDrawer()->isHidden());
  EXPECT_EQ(sounds_, QStringList({"Tink"}));  // the terminal started
  ASSERT_TRUE(becomesEqual([&] { return readFile(log).count('\n'); }, 1, kWait));
  EXPECT_EQ(readFile(log), (pravella::paths::vkData() + "\n").toUtf8());
}

TEST_F(FtpSheet, TheDeleteHostAlertShowsTheHostTextLiterally) {
  dialogs::setHandler(nullptr);  // the real alert
  QString shown;
  Qt::TextFormat format = Qt::RichText;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      shown = box->text();
      format = box->textFormat();
      for (QAbstractButton* b : box->buttons())
        if (b->text() == "Cancel") b->click();
    }
  });
  poll.start(20);
  sheet_->hostNameField()->setEditText("<b>%s</b>");
  press("Delete Host");
  EXPECT_EQ(shown, "<b>%s</b>");
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_EQ(sounds_, QStringList{"Basso"});
}

class SlowFtpSheet : public FtpSheet {
  int bytesPerSecond() const override { return 20000; }
};

TEST_F(SlowFtpSheet, StopEndsAMultiFileGetAndPassesOverTheRest) {
  fill("/slow");
  pressAndWait("Connect");
  select({"big1.bin", "big2.bin", "big3.bin"});
  press("Get");
  ASSERT_TRUE(becomesEqual([] { return pravella::runningChildren(pravella::ChildKind::Ftp); }, 1, kWait));
  EXPECT_TRUE(sheet_->ftpRunning());
  sounds_.clear();
  press("Stop");
  settle();
  EXPECT_FALSE(sheet_->ftpRunning());
  EXPECT_LT(QFileInfo(local_ + "/big1.bin").size(), 300000);
  EXPECT_FALSE(QFileInfo::exists(local_ + "/big2.bin"));
  EXPECT_FALSE(QFileInfo::exists(local_ + "/big3.bin"));
  EXPECT_EQ(sounds_, QStringList({"Tink", "Basso", "Purr"}));
}

}  // namespace
