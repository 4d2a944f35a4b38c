// The web drawer with a real browser, on pages served by a loopback HTTP server that the test
// starts: loading and titles, find, archives kept in the day and opened again, downloads
// beside an existing file, the menus and the programs' entries.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <sys/stat.h>

#include <memory>
#include <utility>

#include "diary/diary_globals.h"
#include "net/web/ui/cal_edit_book_mark.h"
#include "net/web/ui/cal_web_view.h"
#include "net/web/web_sheet_requests.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/rich_text_file.h"
#include "platform/ui/dialogs.h"
#include "support/console_capture.h"
#include "support/folder_snapshot.h"

namespace {

constexpr int kWaitMs = 20000;

void writeFile(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

// The process's umask for a scope: files made in it get the mode that follows from it.
class UmaskFor {
 public:
  explicit UmaskFor(mode_t mask) : before_(::umask(mask)) {}
  ~UmaskFor() { ::umask(before_); }

 private:
  mode_t before_;
};

unsigned fileMode(const QString& path) {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0u;
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// python3's http.server on a free loopback port, serving a folder.
class LocalServer {
 public:
  explicit LocalServer(const QString& root) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    port_ = probe.serverPort();
    probe.close();
    process_.setWorkingDirectory(root);
    process_.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral("-m"), QStringLiteral("http.server"), QString::number(port_),
                    QStringLiteral("--bind"), QStringLiteral("127.0.0.1")});
    process_.waitForStarted();
    for (int i = 0; i < 100; ++i) {
      QTcpSocket socket;
      socket.connectToHost(QHostAddress::LocalHost, port_);
      if (socket.waitForConnected(100)) return;
      QThread::msleep(50);
    }
  }
  ~LocalServer() {
    process_.kill();
    process_.waitForFinished();
  }
  QString url(const char* path) const {
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(QLatin1String(path));
  }

 private:
  QProcess process_;
  quint16 port_ = 0;
};

// A server on a free loopback port whose answers go wrong: "/cut.bin" promises 100,000 bytes
// and closes after 1,000; "/long" offers a file under a 300-character name.
class FaultyServer {
 public:
  FaultyServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
          const QByteArray request = socket->peek(socket->bytesAvailable());
          if (!request.contains("\r\n\r\n")) return;
          socket->readAll();
          const QByteArray path = request.split(' ').value(1);
          if (path == "/cut.bin") {
            socket->write(
                "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                "Content-Length: 100000\r\nConnection: close\r\n\r\n");
            socket->write(QByteArray(1000, 'x'));
          } else {
            socket->write(
                "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                "Content-Disposition: attachment; filename=\"" +
                QByteArray(300, 'n') + ".bin\"\r\nContent-Length: 5\r\nConnection: close\r\n\r\nbytes");
          }
          socket->flush();
          socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }
  QString url(const char* path) const {
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(server_.serverPort()).arg(QLatin1String(path));
  }

 private:
  QTcpServer server_;
};

class CalWebViewTest : public testing::Test {
 protected:
  void SetUp() override {
    SheetCanOpen = 1;
    root = QDir::home().filePath(QStringLiteral("site"));
    writeFile(root + "/index.html",
              "<html><head><title>Pages: one/two</title></head><body><p>Populated words</p>"
              "<a href=\"file.bin\">file</a></body></html>");
    writeFile(root + "/second.html", "<html><head><title>Second</title></head><body>two</body></html>");
    // "日本" in Shift_JIS, with no charset named anywhere.
    writeFile(root + "/sjis.html", "<html><head><title>Enc</title></head><body>\x93\xfa\x96\x7b</body></html>");
    writeFile(root + "/file.bin", QByteArray(50000, 'x'));
    server = std::make_unique<LocalServer>(root);
  }
  void TearDown() override {
    web.reset();
    window.reset();
    server.reset();
    pravella::dialogs::setHandler(nullptr);
  }

  void make() {
    window = std::make_unique<QMainWindow>();
    window->resize(900, 700);
    CalWebView::Host host;
    host.closeAllToggleView = [this] {
      ++closes;
      if (web) web->webNSDrawer()->hide();
    };
    host.setToggleStatus = [this](int s) { return std::exchange(toggle, s); };
    host.addSideView = [this](QDockWidget* dock) { window->addDockWidget(Qt::RightDockWidgetArea, dock); };
    host.playSound = [this](const char* name) { sounds << QLatin1String(name); };
    host.selectedDay = [] { return QDate(2026, 12, 10); };
    host.showDiaryFiles = [this] { ++relists; };
    host.mainWindow = window.get();
    web = std::make_unique<CalWebView>(host);
    web->awakeFromNib();
    window->show();
  }

  // Waits until the page with that title has loaded.
  bool shows(const QString& title) {
    return QTest::qWaitFor([&] { return web->webNSDrawer()->windowTitle() == title && web->idle(); }, kWaitMs);
  }
  bool loadAndWait(const QString& url, const QString& title) {
    web->connectURLString(url);
    return shows(title);
  }

  // The engine's own page, once the drawer made its browser.
  QWebEnginePage* page() const {
    auto* view = web->webViewField() ? qobject_cast<QWebEngineView*>(web->webViewField()->widget()) : nullptr;
    return view ? view->page() : nullptr;
  }

  static QStringList titles(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("--") : a->text());
    return out;
  }
  static QAction* find(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
      if (a->text() == text) return a;
    return nullptr;
  }

  QString root;
  std::unique_ptr<LocalServer> server;
  std::unique_ptr<QMainWindow> window;
  std::unique_ptr<CalWebView> web;
  QStringList sounds;
  int closes = 0;
  int toggle = 0;
  int relists = 0;
};

TEST_F(CalWebViewTest, StartUpWritesItsDefaultsAndOpensAsSideView23) {
  make();
  const QString prefs = pravella::paths::preferences();
  EXPECT_EQ(QString::fromUtf8(readFile(prefs + "/translateSite.txt")), web->translateSite());
  EXPECT_TRUE(web->translateSite().endsWith(QLatin1String("/translate?hl=ja&sl=en&u=%@")));
  EXPECT_TRUE(QFileInfo::exists(prefs + "/webBookmark.plist"));
  EXPECT_EQ(web->webBookMarkButton(0)->text(), QStringLiteral("Pravella"));
  EXPECT_EQ(web->webBookMarkButton(4)->text(), QStringLiteral("Wiki"));
  EXPECT_EQ(titles(web->searchListMenu()),
            (QStringList{"EditBookmark", "--", "BBC News", "Reuters", "Pravella"}));
  EXPECT_EQ(web->zoomSlider()->value(), 60);
  // The browser waits for the drawer to open.
  EXPECT_EQ(web->webViewField(), nullptr);

  // Empty texts open without loading, then close.
  web->openWebSheetAndConnectURL_X(QString());
  EXPECT_TRUE(web->isOpen());
  ASSERT_NE(web->webViewField(), nullptr);
  EXPECT_DOUBLE_EQ(web->webViewField()->zoomFactor(), CalWebView::kStartScale);
  EXPECT_EQ(toggle, CalWebView::kToggleNumber);
  web->openWebSheetAndConnectURL_X(QString());
  EXPECT_FALSE(web->isOpen());

  // No side view opens in the calendar-only layout.
  SheetCanOpen = 0;
  web->openWebViewSheet();
  EXPECT_FALSE(web->isOpen());
  SheetCanOpen = 1;
}

TEST_F(CalWebViewTest, ProgramsAndTheFocusedMemoOpenAndCloseTheSheet) {
  EXPECT_FALSE(openWebSheet());  // no window yet
  make();
  ASSERT_TRUE(openWebSheet());
  EXPECT_TRUE(web->isOpen());
  ASSERT_TRUE(DoWebBrowserWithWikiSearch(""));  // an empty word closes the open sheet
  EXPECT_FALSE(web->isOpen());

  // The focused memo's empty selection: opens the sheet, then closes it again.
  auto* memo = new QTextEdit(window.get());
  window->setCentralWidget(memo);
  window->activateWindow();
  memo->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == memo; }, 5000));
  web->toggleWebViewSheet();
  EXPECT_TRUE(web->isOpen());
  EXPECT_TRUE(web->urlTextField()->text().isEmpty());
  web->toggleWebViewSheet();
  EXPECT_FALSE(web->isOpen());
}

// The zoom field takes what is typed from 10 up and then shows the zoom in force: the browser
// zooms from 25% to 500%.
TEST_F(CalWebViewTest, ZoomFieldRefusesBelowTenAndShowsTheZoomInForce) {
  make();
  struct Case {
    const char* typed;
    double scale;
    const char* field;
  };
  // A refused entry shows the zoom in force again, and the slider shows it too.
  const Case cases[] = {{"9", 0.6, "60"},     {"abc", 0.6, "60"},  {"250", 2.5, "250"},
                        {"1000", 5.0, "500"}, {"9", 5.0, "500"},   {"12", 0.25, "25"},
                        {"abc", 0.25, "25"},  {"900", 5.0, "500"}, {"250.5", 2.505, "250.5"},
                        {"5", 2.505, "250.5"}};
  QLineEdit* field = web->zoomTextField();
  QSlider* slider = web->zoomSlider();
  for (const Case& c : cases) {
    field->selectAll();
    QTest::keyClicks(field, QLatin1String(c.typed));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(web->webScale(), c.scale) << c.typed;
    EXPECT_EQ(field->text(), QLatin1String(c.field)) << c.typed;
    EXPECT_EQ(slider->value(), static_cast<int>(c.scale * 100 + 0.5)) << c.typed;
  }
  // The slider reaches either end of the browser's range.
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_End);
  EXPECT_DOUBLE_EQ(web->webScale(), 5.0);
  EXPECT_EQ(field->text(), QStringLiteral("500"));
  QTest::keyClick(slider, Qt::Key_Home);
  EXPECT_DOUBLE_EQ(web->webScale(), 0.25);
  EXPECT_EQ(field->text(), QStringLiteral("25"));
  field->selectAll();
  QTest::keyClicks(field, QStringLiteral("1000"));
  QTest::keyClick(field, Qt::Key_Return);
  // Chosen before the drawer first opened, the zoom holds for the browser it makes.
  EXPECT_EQ(web->webViewField(), nullptr);
  web->openWebViewSheet();
  ASSERT_NE(web->webViewField(), nullptr);
  EXPECT_DOUBLE_EQ(web->webViewField()->zoomFactor(), 5.0);
  EXPECT_EQ(field->text(), QStringLiteral("500"));
}

TEST_F(CalWebViewTest, LoadsFindsAndListsHistory) {
  make();
  // A program's web command reaches the sheet.
  ASSERT_TRUE(DoWebBrowser(server->url("index.html").toUtf8().constData()));
  ASSERT_TRUE(shows(QStringLiteral("Pages: one/two")));
    EXPECT_TRUE(web->isOpen());
  EXPECT_EQ(web->urlTextField()->text(), server->url("index.html"));

  web->searchText()->setText(QStringLiteral("populated"));
  web->goSearch();
  ASSERT_TRUE(QTest::qWaitFor([&] { return sounds.size() >= 1; }, kWaitMs));
  web->searchText()->setText(QStringLiteral("zqxzqx"));
  web->goSearchBack();
  ASSERT_TRUE(QTest::qWaitFor([&] { return sounds.size() >= 2; }, kWaitMs));
  EXPECT_EQ(sounds, (QStringList{"Pop", "Basso"}));

  ASSERT_TRUE(loadAndWait(server->url("second.html"), QStringLiteral("Second")));
  QStringList history = titles(web->historyMenu());
  ASSERT_EQ(history.size(), 4);
  EXPECT_EQ(history.mid(0, 2), (QStringList{"clear", "--"}));
  EXPECT_EQ(history[2], QStringLiteral("Second"));
  EXPECT_EQ(history[3], QStringLiteral("Pages: one/two"));

  // A history item loads its page again.
  find(web->historyMenu(), QStringLiteral("Pages: one/two"))->trigger();
  ASSERT_TRUE(shows(QStringLiteral("Pages: one/two")));

  // The context menu gathers everything, without the new-window items and with the sheet's own
  // Back and Forward in place of the browser's.
  QMenu menu;
  menu.addAction(page()->action(QWebEnginePage::OpenLinkInNewWindow));
  menu.addAction(page()->action(QWebEnginePage::Back));
  menu.addAction(page()->action(QWebEnginePage::Copy));
  web->buildContextMenu(&menu);
  EXPECT_EQ(titles(&menu).mid(0, 2), (QStringList{"Back", "Forward"}));
  EXPECT_EQ(titles(&menu).mid(3), (QStringList{"--", "search forward", "search backward", "--",
                                               "SafariBookmark", "BookMark(Google)", "History", "--",
                                               "TextLarger", "TextSmaller", "--", "Save Webarchive"}));
  QMenu* contextHistory = find(&menu, QStringLiteral("History"))->menu();
  EXPECT_EQ(titles(contextHistory), (QStringList{"clear", "--", "Second", "Pages: one/two"}));
  find(contextHistory, QStringLiteral("clear"))->trigger();
  EXPECT_EQ(titles(web->historyMenu()), (QStringList{"clear", "--"}));
}

TEST_F(CalWebViewTest, OwnBookmarksSearchSitesAndBrowserBookmarksLoadTheirPages) {
  using pravella::web::WebBookmark;
  QDir().mkpath(pravella::paths::preferences());
  QDir().mkpath(pravella::paths::applicationSupport());
  std::vector<WebBookmark> marks(5, WebBookmark{QStringLiteral("Second"), server->url("second.html")});
  marks[0] = {QStringLiteral("Index"), server->url("index.html")};
  ASSERT_TRUE(pravella::plist::writeFile(pravella::paths::preferences() + "/webBookmark.plist",
                                         pravella::web::webBookmarksToVariant(marks)));
  QTextDocument sites;
  sites.setPlainText(QStringLiteral("words\n\n-\n") + server->url("second.html"));
  ASSERT_TRUE(pravella::writeRtfdFile(CalEditBookMark::listPath(), sites));
  const QVariantMap leaf{{"WebBookmarkType", "WebBookmarkTypeLeaf"},
                         {"URIDictionary", QVariantMap{{"title", "Local"}}},
                         {"URLString", server->url("index.html")}};
  const QVariantMap folder{{"WebBookmarkType", "WebBookmarkTypeList"}, {"Children", QVariantList{leaf}}};
  ASSERT_TRUE(pravella::plist::writeFile(pravella::paths::applicationSupport() + "/Bookmarks.plist",
                                         QVariantMap{{"Children", QVariantList{folder}}}));
  make();

  EXPECT_EQ(web->webBookMarkButton(0)->text(), QStringLiteral("Index"));
  web->webBookMarkButton(0)->click();
  ASSERT_TRUE(shows(QStringLiteral("Pages: one/two")));

  EXPECT_EQ(titles(web->searchListMenu()),
            (QStringList{"EditBookmark", "--", "words", "--", server->url("second.html")}));
  find(web->searchListMenu(), server->url("second.html"))->trigger();
  ASSERT_TRUE(shows(QStringLiteral("Second")));

  ASSERT_EQ(titles(web->bookmarkMenu()), QStringList{"(\?\?\?\?\?)"});
  QMenu* sub = web->bookmarkMenu()->actions()[0]->menu();
  ASSERT_TRUE(sub);
  find(sub, QStringLiteral("Local"))->trigger();
  ASSERT_TRUE(shows(QStringLiteral("Pages: one/two")));
}

TEST_F(CalWebViewTest, SearchSiteEditorWritesOnlyAfterAnEdit) {
  make();
  CalEditBookMark* editor = web->editor();
  const QByteArray before = readFile(CalEditBookMark::listPath() + "/TXT.rtf");
  editor->openBookMarkEditor();
  EXPECT_FALSE(editor->bookMarkDidChange());
  editor->SaveSearchBookMark();
  EXPECT_EQ(readFile(CalEditBookMark::listPath() + "/TXT.rtf"), before);

  editor->openBookMarkEditor();
  editor->textView()->setPlainText(QStringLiteral("alpha\n-\nbeta"));
  EXPECT_TRUE(editor->bookMarkDidChange());
  editor->SaveSearchBookMark();
  EXPECT_FALSE(editor->bookMarkDidChange());
  EXPECT_EQ(titles(web->searchListMenu()), (QStringList{"EditBookmark", "--", "alpha", "--", "beta"}));
}

// The archive is written whole with the usual mode, and nothing else in the day changes.
TEST_F(CalWebViewTest, ArchiveIsKeptInTheDayAndOpensAgain) {
  const UmaskFor mask(027);
  make();
  ASSERT_TRUE(loadAndWait(server->url("index.html"), QStringLiteral("Pages: one/two")));
  const QString day = pravella::paths::dayFolder(2026, 12, 10);
  QDir().mkpath(day);
  writeFile(day + "/memo.rtf", "{\\rtf1 memo}");
  const auto before = pravella::test::FolderSnapshot::of(day);
  auto panels = std::make_shared<pravella::dialogs::Scripted>();
  panels->paths.push_back(day + "/Pages_ one_two.webarchive");
  pravella::dialogs::setHandler(panels);
  QSignalSpy saved(web.get(), &CalWebView::archiveSaved);
  web->saveAsWebarchiveAction();
  ASSERT_TRUE(QTest::qWaitFor([&] { return saved.size() >= 1; }, kWaitMs));
  EXPECT_TRUE(saved[0][0].toBool());
  EXPECT_EQ(panels->asked, QStringList{"Export webarchive: " + day});
  const QString archive = day + "/Pages_ one_two.webarchive";
  EXPECT_TRUE(readFile(archive).contains("Populated"));
  EXPECT_EQ(fileMode(archive), 0640u);
  EXPECT_TRUE(before.changedOnly({"Pages_ one_two.webarchive"}));
  EXPECT_EQ(relists, 1);

  ASSERT_TRUE(loadAndWait(server->url("second.html"), QStringLiteral("Second")));
  ASSERT_TRUE(loadAndWait(QUrl::fromLocalFile(archive).toString(QUrl::FullyEncoded), QStringLiteral("Pages: one/two")));

  // A cancelled panel writes nothing.
  sounds.clear();
  web->saveAsWebarchiveAction();
  EXPECT_EQ(sounds, QStringList{"Basso"});
}

TEST_F(CalWebViewTest, DownloadLandsOnTheDesktopBesideAnExistingFile) {
  const UmaskFor mask(027);
  make();
  const QString desktop = pravella::paths::desktop();
  writeFile(desktop + "/file.bin", "mine");
  QSignalSpy finished(web.get(), &CalWebView::downloadFinished);
  web->connectURLString(server->url("file.bin"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() >= 1; }, kWaitMs));
  EXPECT_TRUE(finished[0][0].toBool());
  EXPECT_EQ(web->lastDownloadPath(), desktop + "/file-2.bin");
  EXPECT_EQ(readFile(desktop + "/file-2.bin"), QByteArray(50000, 'x'));
  EXPECT_EQ(fileMode(desktop + "/file-2.bin"), 0640u);
  EXPECT_EQ(readFile(desktop + "/file.bin"), QByteArray("mine"));
  EXPECT_EQ(sounds, (QStringList{"Tink", "Purr"}));
}

// A download that the server cuts off says so: the reason in the status line, the console
// line and "Basso", with one start sound for the one click however often the browser tries.
TEST_F(CalWebViewTest, AFailedDownloadSaysWhy) {
  make();
  FaultyServer faulty;
  QSignalSpy finished(web.get(), &CalWebView::downloadFinished);
  pravella::test::ConsoleCapture console;
  QLineEdit* field = web->urlTextField();
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, faulty.url("cut.bin"));
  QTest::keyClick(field, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() >= 1; }, kWaitMs)) << "the download neither ended nor failed";
  EXPECT_FALSE(finished[0][0].toBool());
  // The network's reason, not the cancel that ends an interrupted download.
  const QString status = web->tempTextField()->text();
  EXPECT_TRUE(status.contains("of 100000 bytes")) << status.toStdString();
  EXPECT_EQ(console.text().find("cancel"), std::string::npos) << console.text();
  EXPECT_NE(console.text().find("Download failed! Error - "), std::string::npos);
  EXPECT_NE(console.text().find(faulty.url("cut.bin").toStdString()), std::string::npos);
  EXPECT_EQ(sounds.value(sounds.size() - 1), "Basso");
  EXPECT_EQ(sounds.count("Tink"), 1) << sounds.join(' ').toStdString();
  EXPECT_FALSE(QFileInfo::exists(web->lastDownloadPath()) && QFileInfo(web->lastDownloadPath()).size() > 0);
}

// A server's name too long for a file (300 letters and ".bin") is shortened to fit, with its
// extension kept, and the download lands.
TEST_F(CalWebViewTest, ADownloadNameTooLongForAFileIsShortened) {
  make();
  FaultyServer faulty;
  QSignalSpy finished(web.get(), &CalWebView::downloadFinished);
  QLineEdit* field = web->urlTextField();
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, faulty.url("long"));
  QTest::keyClick(field, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() >= 1; }, kWaitMs));
  EXPECT_TRUE(finished[0][0].toBool()) << web->tempTextField()->text().toStdString();
  const QFileInfo saved(web->lastDownloadPath());
  EXPECT_EQ(saved.path(), pravella::paths::desktop());
  EXPECT_TRUE(saved.fileName().startsWith("nnnn"));
  EXPECT_TRUE(saved.fileName().endsWith(".bin"));
  EXPECT_LE(saved.fileName().toUtf8().size(), 255);
  EXPECT_EQ(readFile(saved.filePath()), QByteArray("bytes"));
  EXPECT_EQ(sounds, (QStringList{"Tink", "Purr"}));
}

// The encoding chosen in the pop-up overrides what the page declares: the page is shown
// decoded with it, under its own address, its links resolving against it; "Default" goes
// back to the page's own declaration.
TEST_F(CalWebViewTest, TheChosenEncodingOverridesThePagesOwn) {
  // "日本" in Shift_JIS under a declaration of UTF-8; "日本" in UTF-8 with no declaration.
  writeFile(root + "/declared.html",
            "<html><head><meta charset=\"utf-8\"><title>Declared</title></head>"
            "<body>\x93\xfa\x96\x7b <a href=\"second.html\">next</a></body></html>");
  writeFile(root + "/plain.html", "<html><head><title>Plain</title></head><body>\xe6\x97\xa5\xe6\x9c\xac</body></html>");
  make();
  const QString japan = QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC");
  const auto text = [&] {
    QString plain;
    bool got = false;
    page()->toPlainText([&](const QString& t) {
      plain = t.trimmed();
      got = true;
    });
    return QTest::qWaitFor([&] { return got; }, kWaitMs) ? plain : QString();
  };
  const auto shownAs = [&](const QString& start) {
    return QTest::qWaitFor([&] { return web->idle() && text().startsWith(start); }, kWaitMs);
  };
  QComboBox* popup = web->encodingPopup();
  ASSERT_EQ(popup->itemText(0), QStringLiteral("Default"));
  ASSERT_EQ(popup->count(), 7);
  // A typed letter chooses the first item that starts with it, as a click would.
  const auto choose = [&](char letter) {
    popup->setFocus();
    QTest::keyClick(popup, letter);
  };

  ASSERT_TRUE(loadAndWait(server->url("declared.html"), QStringLiteral("Declared")));
  EXPECT_FALSE(text().startsWith(japan));
  choose('J');  // Japanese (Shift JIS)
  ASSERT_EQ(popup->currentIndex(), 1);
  EXPECT_TRUE(shownAs(japan)) << text().toStdString();
  EXPECT_EQ(web->urlTextField()->text(), server->url("declared.html"));
  QString link;
  bool got = false;
  page()->runJavaScript(QStringLiteral("document.links[0].href"), [&](const QVariant& v) {
    link = v.toString();
    got = true;
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return got; }, kWaitMs));
  EXPECT_EQ(link, server->url("second.html"));

  choose('D');  // Default: the page's own declaration again
  ASSERT_EQ(popup->currentIndex(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return web->idle() && !text().isEmpty() && !text().startsWith(japan); }, kWaitMs));
  EXPECT_EQ(web->urlTextField()->text(), server->url("declared.html"));

  // A page with no declaration, read with the fallback (Shift JIS) until UTF-8 is chosen; a
  // page opened after the choice is shown in it too.
  ASSERT_TRUE(loadAndWait(server->url("plain.html"), QStringLiteral("Plain")));
  EXPECT_FALSE(text().startsWith(japan));
  choose('U');  // Unicode (UTF-8)
  ASSERT_EQ(popup->currentIndex(), 4);
  EXPECT_TRUE(shownAs(japan)) << text().toStdString();
  EXPECT_EQ(page()->settings()->defaultTextEncoding(), QStringLiteral("UTF-8"));
  choose('J');
  EXPECT_TRUE(QTest::qWaitFor([&] { return web->idle() && !text().isEmpty() && !text().startsWith(japan); }, kWaitMs));
  web->connectURLString(server->url("declared.html"));
  EXPECT_TRUE(shownAs(japan)) << text().toStdString();
  EXPECT_EQ(web->urlTextField()->text(), server->url("declared.html"));
}

// The page's own "Save page" picks the folder itself (made with the usual mode whenever it is
// missing, the first time or after the user removed it); the status line says where it went. A file of that
// name already there stays as it is: the page takes the next free name, with the usual mode, and nothing else
// in the folder changes.
TEST_F(CalWebViewTest, SavePageSaysWhereThePageWentAndReplacesNothing) {
  const UmaskFor mask(027);
  writeFile(root + "/secret.html", "<html><head><title>secret</title></head><body>Page words</body></html>");
  make();
  const QString downloads = QDir::home().filePath(QStringLiteral("Downloads"));
  ASSERT_FALSE(QFileInfo::exists(downloads));
  struct Round {
    QString user;      // the user's own file of the name the browser picks, if any
    QString expected;  // where the page goes
    bool removed;      // the user removed the Downloads folder first
  };
  const Round rounds[] = {
      {{}, "secret.mhtml", false}, {"secret.mhtml", "secret-2.mhtml", false}, {{}, "secret.mhtml", true}};
  for (const Round& round : rounds) {
    if (round.removed) {
      ASSERT_TRUE(QDir(downloads).removeRecursively());
    }
    if (!round.user.isEmpty()) writeFile(downloads + "/" + round.user, "the user's own text");
    const auto before = pravella::test::FolderSnapshot::of(downloads);
    ASSERT_TRUE(loadAndWait(server->url("secret.html"), QStringLiteral("secret")));
    QSignalSpy saved(web.get(), &CalWebView::archiveSaved);
    page()->action(QWebEnginePage::SavePage)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return saved.size() >= 1; }, kWaitMs));
    ASSERT_TRUE(saved[0][0].toBool())
        << "[" << web->tempTextField()->text().toStdString() << "] " << sounds.join(' ').toStdString();
    const QString path = downloads + "/" + round.expected;
    EXPECT_EQ(web->tempTextField()->text(), "The page was saved as " + path);
    EXPECT_TRUE(readFile(path).contains("Page words")) << path.toStdString();
    EXPECT_EQ(fileMode(path), 0640u);
    EXPECT_EQ(fileMode(downloads), 0750u);
    if (!round.user.isEmpty()) {
      EXPECT_EQ(readFile(downloads + "/" + round.user), "the user's own text");
    }
    EXPECT_TRUE(before.changedOnly({round.expected}));
  }
  // The browser's work folder goes with each save.
  EXPECT_EQ(QDir(pravella::paths::vkData()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
}

TEST_F(CalWebViewTest, AnEncodingChosenBeforeTheDrawerOpensHoldsForItsBrowser) {
  make();
  ASSERT_EQ(web->encodingPopup()->itemText(4), QStringLiteral("Unicode (UTF-8)"));
  web->changeEncoding(4);
  web->openWebViewSheet();
  ASSERT_TRUE(page());
  EXPECT_EQ(page()->settings()->defaultTextEncoding(), QStringLiteral("UTF-8"));
}

TEST_F(CalWebViewTest, OverlongAddressIsRefusedWithANoteThatGoesAway) {
  make();
  web->tempTextField()->setText(QStringLiteral("before"));
  web->connectURLString(QStringLiteral("http://h/") + QString(5000, QLatin1Char('a')));
  EXPECT_EQ(sounds, QStringList{"Basso"});
  EXPECT_NE(web->tempTextField()->text(), QStringLiteral("before"));
  EXPECT_FALSE(web->isOpen());
  EXPECT_TRUE(QTest::qWaitFor([&] { return web->tempTextField()->text() == QStringLiteral("before"); }, 5000));
}

}  // namespace
