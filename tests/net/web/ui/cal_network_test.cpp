#include "net/web/ui/cal_network.h"
#include "net/web/ui/console_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTextEdit>
#include <QtTest/QTest>

#include <cstdlib>
#include <memory>

#include "diary/program_settings.h"
#include "editors/ui/search_window_cont.h"
#include "imaging/ui/imaging_window_manager.h"
#include "imaging/ui/sub_window.h"
#include "imaging/ui/sub_window_list.h"
#include "lang/builtins/startup.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "support/command_program.h"
#include "support/folder_snapshot.h"
#include "support/loopback_http.h"
#include "support/programs_on_path.h"
#include "support/recording_opener.h"
#include "support/test_home.h"
#include "support/wait_for.h"

using pravella::Notification;
using pravella::NotificationCenter;
namespace web = pravella::web;

namespace {

using pravella::test::becomesEqual;

class InternetSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    served_ = pravella::test::home() + "/served";
    http_ = std::make_unique<pravella::test::LoopbackHttp>(served_);
    ASSERT_GT(http_->port(), 0);
  }
  void TearDown() override {
    sheet_.reset();
    http_.reset();
  }

  void serve(const QString& name, const QByteArray& bytes) {
    QFile f(served_ + '/' + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  void servePicture(const QString& name) {
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(served_ + '/' + name));
  }
  void writeTable(const QStringList& names, const QStringList& periods, const QStringList& urls) {
    const QString prefs = pravella::paths::preferences();
    QDir().mkpath(prefs);
    ASSERT_TRUE(pravella::plist::writeStringArray(prefs + "/url1.dat", names).ok);
    ASSERT_TRUE(pravella::plist::writeStringArray(prefs + "/url2.dat", periods).ok);
    ASSERT_TRUE(pravella::plist::writeStringArray(prefs + "/url3.dat", urls).ok);
  }
  CalNetwork& sheet() {
    if (!sheet_) {
      CalNetwork::Host host;
      host.closeAllToggleView = [] {};
      host.setToggleStatus = [this](int n) { toggle_ = n; return 0; };
      host.showDiaryFiles = [this] { ++relisted_; };
      host.playSound = [this](const char* name) { sounds_ << QString::fromLatin1(name); };
      host.documentView = &memo_;
      sheet_ = std::make_unique<CalNetwork>(host);
      QObject::connect(sheet_.get(), &CalNetwork::childFinished, [this](const QString&, bool ok) {
        ++finished_;
        if (ok) ++succeeded_;
      });
      sheet_->awakeFromNib();
    }
    return *sheet_;
  }

  QString served_;
  std::unique_ptr<pravella::test::LoopbackHttp> http_;
  std::unique_ptr<CalNetwork> sheet_;
  QTextEdit memo_;
  QStringList sounds_;
  int toggle_ = 0, relisted_ = 0, finished_ = 0, succeeded_ = 0;
};

TEST_F(InternetSheet, DownloadAllFetchesEveryRowIntoTodaysFolderAndShowsThePicture) {
  serve("a.txt", "alpha\n");
  serve("b.txt", "beta\n");
  servePicture("c.png");
  writeTable({"A", "B", "C"}, {"daily", "", "weekly"},
             {http_->url("a.txt"), http_->url("b.txt"), http_->url("c.png")});
  QStringList shown;
  QObject context;
  NotificationCenter::defaultCenter().addObserver(
      "openSubWindowWithImage", &context, [&](Notification& n) {
        shown << n.text;
        n.reply = true;
      });

  sheet().downloadAllAction();
  EXPECT_EQ(sheet().runningChildren(), 3);  // all at once
  ASSERT_TRUE(becomesEqual([this] { return finished_; }, 3, 30000));
  EXPECT_EQ(succeeded_, 3);
  const QString folder = web::downloadFolder();
  QFile a(folder + "/a.txt");
  ASSERT_TRUE(a.open(QIODevice::ReadOnly));
  EXPECT_EQ(a.readAll(), "alpha\n");
  EXPECT_TRUE(QFileInfo::exists(folder + "/b.txt"));
  EXPECT_TRUE(QFileInfo::exists(folder + "/c.png"));
  EXPECT_EQ(shown, QStringList{"c.png"});
  EXPECT_EQ(relisted_, 1);
  EXPECT_EQ(sounds_, (QStringList{"Ping", "Tink", "Tink", "Tink"}));
}

// A row of the table clicked, then Download: a picture it fetches, in any format the picture
// loaders read, opens in a picture window of its own size under its file name.
TEST_F(InternetSheet, ADownloadedPictureOpensInAPictureWindowOfItsSize) {
  servePicture("c.png");
  QImage photo(12, 9, QImage::Format_RGB32);
  photo.fill(Qt::blue);
  ASSERT_TRUE(photo.save(served_ + "/d.jpg", "JPEG"));
  writeTable({"PNG", "JPEG"}, {"", ""}, {http_->url("c.png"), http_->url("d.jpg")});
  pravella::imaging::ImagingWindowManager windows(nullptr);
  sheet().urlSheetView()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet().urlSheetView()));
  QTableWidget* table = sheet().autoDownloadTableField();
  QAbstractButton* download = nullptr;
  for (QPushButton* b : sheet().urlSheetView()->findChildren<QPushButton*>())
    if (b->text() == "Download") download = b;
  ASSERT_NE(download, nullptr);
  const struct {
    int row;
    QString title;
    QSize size;
    QColor colour;
  } cases[] = {{0, "c.png", {8, 6}, Qt::red}, {1, "d.jpg", {12, 9}, Qt::blue}};
  for (const auto& c : cases) {
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualRect(table->model()->index(c.row, 0)).center());
    ASSERT_EQ(sheet().autoDownloadURLField()->text(), http_->url(c.title));
    const int before = finished_;
    QTest::mouseClick(download, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished_ > before; }, 30000)) << c.title.toStdString();
    pravella::imaging::SubWindow* shown = pravella::imaging::findWindowFromSubWindowList(c.title);
    ASSERT_NE(shown, nullptr) << c.title.toStdString();
    const QImage image = shown->imageView()->image();
    EXPECT_EQ(image.size(), c.size) << c.title.toStdString();
    const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
    EXPECT_LT(std::abs(centre.red() - c.colour.red()) + std::abs(centre.blue() - c.colour.blue()), 40)
        << c.title.toStdString();
  }
  pravella::imaging::closeAllPictWindow();
}

// The table's Download (wget -N) from a server that gives no time: the file as it was
// downloaded is replaced by the new one; a file the user changed since is kept, the download
// takes a free name beside it, and the status line says so; a failed download changes nothing.
TEST_F(InternetSheet, TableDownloadKeepsAFileTheUserChanged) {
  pravella::test::LoopbackHttp timeless(served_, "notime");
  ASSERT_GT(timeless.port(), 0);
  serve("note.txt", "version 1\n");
  writeTable({"Note", "Gone"}, {"", ""}, {timeless.url("note.txt"), timeless.url("gone.txt")});
  sheet().urlSheetView()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet().urlSheetView()));
  QTableWidget* table = sheet().autoDownloadTableField();
  QAbstractButton* download = nullptr;
  for (QPushButton* b : sheet().urlSheetView()->findChildren<QPushButton*>())
    if (b->text() == "Download") download = b;
  ASSERT_NE(download, nullptr);
  const QString folder = web::downloadFolder();
  const auto fetchRow = [&](int row) {
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualRect(table->model()->index(row, 0)).center());
    const int before = finished_;
    QTest::mouseClick(download, Qt::LeftButton);
    return QTest::qWaitFor([&] { return finished_ > before; }, 30000);
  };
  const auto read = [](const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  };
  QLabel* line = sheet().statusField();

  ASSERT_TRUE(fetchRow(0));
  EXPECT_EQ(read(folder + "/note.txt"), "version 1\n");

  // As it was downloaded: the new one replaces it.
  serve("note.txt", "version 2\n");
  auto before = pravella::test::FolderSnapshot::of(folder);
  ASSERT_TRUE(fetchRow(0));
  EXPECT_TRUE(before.changedOnly({"note.txt"}));
  EXPECT_EQ(read(folder + "/note.txt"), "version 2\n");
  EXPECT_TRUE(line->isHidden());

  // Changed by the user since: kept, and the download takes a free name.
  QFile mine(folder + "/note.txt");
  ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
  mine.write("my own notes\n");
  mine.close();
  serve("note.txt", "version 3\n");
  before = pravella::test::FolderSnapshot::of(folder);
  sounds_.clear();
  ASSERT_TRUE(fetchRow(0));
  EXPECT_TRUE(before.changedOnly({"note-2.txt"}));
  EXPECT_EQ(read(folder + "/note.txt"), "my own notes\n");
  EXPECT_EQ(read(folder + "/note-2.txt"), "version 3\n");
  EXPECT_EQ(line->text(), "note.txt was changed since it was downloaded: kept; the download is note-2.txt");
  EXPECT_TRUE(line->isVisible());
  EXPECT_EQ(sounds_, (QStringList{"Tink", "Ping", "Tink"}));

  // A download that fails changes nothing and says so.
  before = pravella::test::FolderSnapshot::of(folder);
  sounds_.clear();
  ASSERT_TRUE(fetchRow(1));
  EXPECT_TRUE(before.unchanged());
  EXPECT_EQ(line->text(), "The download of " + timeless.url("gone.txt") + " failed; nothing was changed");
  EXPECT_EQ(sounds_, (QStringList{"Tink", "Ping", "Basso"}));
  EXPECT_EQ(timeless.requests("note.txt"), 3);
}

TEST_F(InternetSheet, FailedDownloadAndEmptyInputsPlayBasso) {
  sheet().autoDownloadURLField()->setText(http_->url("missing.txt"));
  sheet().downloadNowAction();
  ASSERT_TRUE(becomesEqual([this] { return finished_; }, 1, 30000));
  EXPECT_EQ(succeeded_, 0);
  EXPECT_EQ(sounds_, (QStringList{"Ping", "Basso"}));
  sounds_.clear();
  sheet().autoDownloadURLField()->clear();
  sheet().downloadNowAction();
  sheet().wgetAction();
  sheet().openURL_str("");
  sheet().wgetJPEGFolderField()->setText("pics");
  sheet().wgetJPEGAction();
  EXPECT_EQ(sounds_, (QStringList{"Basso", "Basso", "Basso", "Basso"}));
  EXPECT_EQ(sheet().runningChildren(), 0);
}

TEST_F(InternetSheet, CurlFetchesSchemeLinesIntoTheNamedPictdFolder) {
  serve("one.txt", "1\n");
  serve("two.txt", "2\n");
  sheet().cURLField()->setPlainText(http_->url("one.txt") + "\n" +
                                    QStringLiteral("127.0.0.1:%1/two.txt\n").arg(http_->port()));
  sheet().cURLOptionField()->setText("-s -O");
  sheet().cURLFolderField()->setText("news.txt");
  sheet().cURLAction();
  ASSERT_TRUE(becomesEqual([this] { return finished_; }, 1, 30000));
  const QString folder = web::todayFolder() + "/news.pictd";
  EXPECT_TRUE(QFileInfo::exists(folder + "/one.txt"));
  EXPECT_FALSE(QFileInfo::exists(folder + "/two.txt"));
  EXPECT_EQ(sounds_, QStringList{"Ping"});

  sounds_.clear();
  sheet().cURLFolderField()->setText("../escape");
  sheet().cURLAction();
  EXPECT_EQ(sounds_, QStringList{"Basso"});
  EXPECT_EQ(sheet().runningChildren(), 0);
}

TEST_F(InternetSheet, GeneralWgetFormRunsInTodaysFolderWithItsOptions) {
  serve("page.txt", "page\n");
  sheet().wgetURLField()->setText(http_->url("page.txt"));
  sheet().wgetOptionField()->setText("-q");
  sheet().wgetAction();
  ASSERT_TRUE(becomesEqual([this] { return finished_; }, 1, 30000));
  EXPECT_EQ(succeeded_, 1);
  EXPECT_TRUE(QFileInfo::exists(web::todayFolder() + "/page.txt"));
  EXPECT_EQ(sounds_, QStringList{"Tink"});
}

// A program on PATH in place of wget or curl that writes each argument it was given on a line
// of its log, and "." after the last.
class RecordingProgram {
 public:
  explicit RecordingProgram(const QString& name) : log_(pravella::test::home() + "/" + name + ".log") {
    programs_.add(name, "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" + log_ + "'\n" +
                            "echo . >> '" + log_ + "'\n");
  }
  // The argument lists of every run so far.
  QList<QStringList> runs() const {
    QFile f(log_);
    QList<QStringList> runs{{}};
    if (!f.open(QIODevice::ReadOnly)) return {};
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)) {
      if (line == ".")
        runs.append(QStringList());
      else
        runs.last() << line;
    }
    runs.removeLast();
    return runs;
  }

 private:
  QString log_;
  pravella::test::ProgramsOnPath programs_;
};

// What a program or the fields hold reaches wget and curl only as an address behind "--", and
// only an address with a download scheme; an empty options field adds no argument.
TEST_F(InternetSheet, UserTextNeverBecomesAnOptionOfWgetOrCurl) {
  RecordingProgram wget("wget");
  RecordingProgram curl("curl");
  vkStartUp();
  sheet();
  CommandProgram program;
  const auto set = [&](const char* command, const QString& text) {
    program.text(text.toStdString());
    EXPECT_EQ(program.call(command, 1), 1) << command;
  };
  for (const char* url : {"--version", "-O/tmp/evil", "example.org/x"}) {
    set("cal_setWgetURL", url);
    EXPECT_EQ(program.trigger("cal_wget"), 1);
    set("cal_setWgetJPEGURL", url);
    set("cal_setWgetJPEGDirName", "pics");
    EXPECT_EQ(program.trigger("cal_wgetJPEG"), 1);
    sheet().autoDownloadURLField()->setText(url);
    EXPECT_EQ(program.trigger("cal_downloadNow"), 1);
  }
  EXPECT_EQ(sounds_, QStringList(9, "Basso"));
  EXPECT_EQ(sheet().runningChildren(), 0);

  sounds_.clear();
  const QString address = QStringLiteral("http://127.0.0.1:%1/page.txt").arg(http_->port());
  // One run at a time, so that the log keeps each run's arguments together.
  const auto ended = [this](int n) { EXPECT_TRUE(becomesEqual([this] { return finished_; }, n, 30000)); };
  set("cal_setWgetURL", address);
  set("cal_setWgetOption", "");
  program.trigger("cal_wget");
  ended(1);
  set("cal_setWgetOption", "-q  -N ");
  program.trigger("cal_wget");
  ended(2);
  set("cal_setWgetJPEGURL", address);
  program.trigger("cal_wgetJPEG");
  ended(3);
  sheet().cURLField()->setPlainText(address + "\n--version\n-o/tmp/evil");
  sheet().cURLOptionField()->setText("");
  sheet().cURLFolderField()->setText("news");
  sheet().cURLAction();
  ended(4);
  EXPECT_EQ(wget.runs(), (QList<QStringList>{{"--", address},
                                             {"-q", "-N", "--", address},
                                             {"-r", "-A", ".gif,.JPG,.jpg", "-nd", "--", address}}));
  EXPECT_EQ(curl.runs(), (QList<QStringList>{{"--", address}}));
}

TEST_F(InternetSheet, TableEditingRefusesDuplicatesAndWritesTheFiles) {
  writeTable({}, {}, {});
  CalNetwork& s = sheet();
  const auto add = [&](const char* name, const char* period, const char* url) {
    s.URLNameField()->setText(name);
    s.periodField()->setText(period);
    s.autoDownloadURLField()->setText(url);
    s.urlAddAction();
  };
  add("A", "daily", "http://h/a");
  add("A", "daily", "http://h/a");
  add("A", "weekly", "http://h/a");
  add("", "", "");
  EXPECT_EQ(sounds_, (QStringList{"Tink", "Basso", "Tink", "Basso"}));
  EXPECT_EQ(s.autoDownloadTableField()->rowCount(), 2);
  EXPECT_EQ(web::readUrlTable(pravella::paths::preferences()).periods, (QStringList{"daily", "weekly"}));

  s.autoDownloadTableField()->selectRow(1);
  s.setRowFieldAction();
  EXPECT_EQ(s.periodField()->text(), "weekly");
  s.periodField()->setText("monthly");
  s.urlSetAction();
  EXPECT_EQ(web::readUrlTable(pravella::paths::preferences()).periods, (QStringList{"daily", "monthly"}));
}

TEST_F(InternetSheet, DeleteAnswersDecideTheRow) {
  writeTable({"A", "B"}, {"", ""}, {"http://h/a", "http://h/b"});
  CalNetwork& s = sheet();
  const struct {
    int answer;
    QStringList sounds;
    int rows;
  } cases[] = {{0, {}, 2}, {1, {"Basso"}, 2}, {2, {"Bonk"}, 1}};
  for (const auto& c : cases) {
    sounds_.clear();
    QString asked;
    s.askDelete = [&](const QString& name) {
      asked = name;
      return c.answer;
    };
    s.autoDownloadTableField()->selectRow(0);
    s.urlDeleteAction();
    EXPECT_EQ(asked, "A");
    EXPECT_EQ(sounds_, c.sounds) << c.answer;
    EXPECT_EQ(s.table().rows(), c.rows) << c.answer;
  }
  EXPECT_EQ(web::readUrlTable(pravella::paths::preferences()).names, QStringList{"B"});
  sounds_.clear();
  s.autoDownloadTableField()->clearSelection();
  s.urlDeleteAction();
  EXPECT_EQ(sounds_, QStringList{"Basso"});
}

TEST_F(InternetSheet, ProgramOpensTheUrlFieldInTheBrowser) {
  pravella::test::RecordingOpener opener;
  vkStartUp();
  sheet();
  CommandProgram program;
  program.text("https://example.org/日本\U0001F600");
  program.call("cal_setURLString", 1);
  EXPECT_EQ(sheet().openURLField()->text(), QString::fromUtf8("https://example.org/日本\U0001F600"));
  program.number(1);
  program.call("cal_openURL", 1);
  EXPECT_EQ(opener.recorded(), QString::fromUtf8("1\nhttps://example.org/日本\n"));
  EXPECT_EQ(sounds_, QStringList{"Tink"});

  sounds_.clear();
  program.text("");
  program.call("cal_openURL", 1);
  program.text("kyoto");
  program.call("cal_openURL", 1);
  EXPECT_EQ(sounds_, (QStringList{"Basso", "Tink"}));
  EXPECT_TRUE(opener.recorded().endsWith("/search?q=kyoto\n"));
}

TEST_F(InternetSheet, SheetTogglesAndMemoSelectionGoesToTheBrowserOrTheWebSheet) {
  pravella::test::RecordingOpener opener;
  CalNetwork& s = sheet();
  s.openURLSheetAction();
  EXPECT_TRUE(s.urlSheetView()->isVisibleTo(nullptr) || !s.urlSheetView()->isHidden());
  EXPECT_EQ(toggle_, CalNetwork::kToggleNumber);
  s.openURLSheetAction();
  EXPECT_TRUE(s.urlSheetView()->isHidden());

  memo_.setPlainText("http://example.org/x");
  memo_.selectAll();
  s.openURLSheetAction();
  EXPECT_EQ(opener.recorded(), "1\nhttp://example.org/x\n");

  QStringList searched;
  QObject context;
  NotificationCenter::defaultCenter().addObserver("openWebSheetAndConnectURL_X", &context,
                                                  [&](Notification& n) { searched << n.text; });
  setInternetWordSearchStatus(1);
  memo_.setPlainText(QString::fromUtf8("東京に行きました"));
  memo_.selectAll();
  s.openURLSheetAction();
  setInternetWordSearchStatus(0);
  EXPECT_EQ(searched, QStringList{QString::fromUtf8("東京 行 ")});
  NotificationCenter::defaultCenter().post("internetSearchOnsearch", "kyoto");
  NotificationCenter::defaultCenter().post("internetSearchOnsearch", "");
  EXPECT_EQ(searched.size(), 2);
  EXPECT_EQ(searched.last(), "kyoto");
}

TEST_F(InternetSheet, ChosenBrowserIsRemembered) {
  CalNetwork& s = sheet();
  s.chooseBrowser = [] { return QStringLiteral("/usr/share/applications/firefox.desktop"); };
  s.selectWebBrowserAction();
  EXPECT_EQ(s.webBrowser(), "firefox.desktop");
  EXPECT_EQ(web::readWebBrowser(), "firefox.desktop");
}

}  // namespace


namespace {

// The search window's internet tag reaches the internet sheet, which hands the words to the web
// sheet; the other tags reach their tools.
TEST_F(InternetSheet, SearchWindowTagsReachTheirTools) {
  sheet();
  QStringList reached;
  QObject context;
  for (const char* name : {"openWebSheetAndConnectURL_X", "findAllMemoDatabase", "goSearchWithString", "dictionarySearch"})
    NotificationCenter::defaultCenter().addObserver(name, &context, [&reached, name](Notification& n) {
      reached << QString::fromLatin1(name) + ':' + n.text;
    });
  SearchWindowCont search(nullptr);
  search.awakeFromNib();
  search.setFindByDocSelectedString([&](const QString& text) { reached << "find:" + text; });
  const QStringList expected{"openWebSheetAndConnectURL_X:w0", "findAllMemoDatabase:w1", "goSearchWithString:w2",
                             "dictionarySearch:w3", "find:w4"};
  for (int tag = 0; tag < 5; ++tag) {
    search.searchType()->button(tag)->setChecked(true);
    search.textField()->setText(QStringLiteral("w%1").arg(tag));
    search.goSearchAction();
    ASSERT_EQ(reached.size(), tag + 1);
    EXPECT_EQ(reached.last(), expected.at(tag));
  }
}

}  // namespace

namespace {

// The Console button opens the console where it hides nothing of the main window: a main
// window too wide for it on either side, with room below, gets it below.
TEST_F(InternetSheet, TheConsoleOpensWhereItHidesNothingOfTheMainWindow) {
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_TRUE(screen);
  const QRect available = screen->availableGeometry();
  QWidget* console = web::consoleWindow();
  console->hide();
  const QSize consoleSize = console->size();
  QWidget main;
  main.resize(available.width() - consoleSize.width() / 2, available.height() - consoleSize.height() - 80);
  main.move(available.topLeft() + QPoint(consoleSize.width() / 4, 0));
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  const QRect mainFrame = main.frameGeometry();
  ASSERT_GT(mainFrame.height(), 100) << "the screen is too small for this test";

  CalNetwork::Host host;
  host.closeAllToggleView = [] {};
  host.setToggleStatus = [](int) { return 0; };
  host.playSound = [](const char*) {};
  host.dialogParent = &main;
  CalNetwork placed(host);
  placed.awakeFromNib();
  QPushButton* button = nullptr;
  for (QPushButton* b : placed.urlSheetView()->findChildren<QPushButton*>())
    if (b->text() == "Console") button = b;
  ASSERT_TRUE(button);
  placed.urlSheetView()->show();
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(console));
  const QRect frame = console->frameGeometry();
  EXPECT_TRUE(available.contains(frame));
  EXPECT_FALSE(frame.intersects(mainFrame)) << frame.x() << "," << frame.y();
  EXPECT_GT(frame.top(), mainFrame.bottom());
  console->hide();
}

}  // namespace
