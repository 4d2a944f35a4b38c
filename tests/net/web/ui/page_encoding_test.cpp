// The web drawer's encoding pop-up on pages of a loopback server that counts what it is asked:
// a chosen encoding shows the bytes the browser received, with its cookies, asking no page
// twice; a form's answer is never replaced by another resource; a page that cannot be shown
// in the encoding is kept and said so, and the pop-up shows the encoding in force.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMap>
#include <QMenu>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>
#include <utility>

#include "diary/diary_globals.h"
#include "net/web/ui/cal_web_view.h"
#include "support/console_capture.h"
#include "support/wait_for.h"

namespace {

using pravella::test::becomesEqual;
using pravella::test::becomesTrue;

constexpr int kWaitMs = 20000;
// "日本" in Shift JIS, under a declaration of UTF-8 on every page: it reads as "日本" only in
// Shift JIS chosen in the pop-up.
constexpr char kJapanInShiftJis[] = "\x93\xfa\x96\x7b";

// A server on a free loopback port that counts every request by method and path. "/login"
// sets a session cookie that "/secret" asks for; "/form" posts to "/answer", whose GET is
// another resource; "/large" is a page too large to show in another encoding once decoded.
class CountingServer {
 public:
  CountingServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }
  QString url(const char* path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(QLatin1String(path));
  }
  int asked(const char* methodAndPath) const { return asked_.value(methodAndPath); }
  QString askedList() const {
    QStringList all;
    for (auto it = asked_.begin(); it != asked_.end(); ++it)
      all << it.key() + " x" + QString::number(it.value());
    return all.join(QStringLiteral(", "));
  }

 private:
  void answer(QTcpSocket* socket) {
    const QByteArray got = socket->peek(socket->bytesAvailable());
    const qsizetype end = got.indexOf("\r\n\r\n");
    if (end < 0) return;
    const QByteArray head = got.left(end);
    qsizetype bodyLength = 0;
    for (const QByteArray& line : head.split('\n'))
      if (line.toLower().startsWith("content-length:")) bodyLength = line.mid(15).trimmed().toLongLong();
    if (got.size() < end + 4 + bodyLength) return;
    socket->read(end + 4 + bodyLength);
    const QByteArray body = got.mid(end + 4, bodyLength);
    const QList<QByteArray> words = head.left(head.indexOf('\r')).split(' ');
    const QByteArray method = words.value(0), path = words.value(1);
    ++asked_[method + ' ' + path];
    const bool loggedIn = head.contains("session=yes");

    QByteArray page, extra;
    if (method == "GET" && path == "/login") {
      extra = "Set-Cookie: session=yes; Path=/\r\n";
      page = "<title>Login</title>" + QByteArray(kJapanInShiftJis) + " WELCOME";
    } else if (method == "GET" && path == "/secret") {
      page = "<title>Secret</title>" + QByteArray(kJapanInShiftJis) +
             (loggedIn ? " LOGGED IN" : " NOT LOGGED IN");
    } else if (method == "GET" && path == "/later") {
      page = "<title>Later</title>" + QByteArray(kJapanInShiftJis) + " LATER";
    } else if (method == "GET" && path == "/form") {
      page =
          "<title>Form</title><form method=\"post\" action=\"/answer\"><input name=\"q\" value=\"sent\">"
          "<input type=\"submit\" id=\"go\"></form>";
    } else if (method == "POST" && path == "/answer") {
      page = "<title>Answer</title>" + QByteArray(kJapanInShiftJis) + " ANSWER TO " + body;
    } else if (method == "GET" && path == "/answer") {
      page = "<title>Answer</title>A GET OF THE ANSWER";
    } else if (method == "GET" && path == "/nostore") {
      // A page the server forbids keeping: each answer is another one.
      extra = "Cache-Control: no-store\r\n";
      page = "<title>NoStore</title>" + QByteArray(kJapanInShiftJis) + " ANSWER " +
             QByteArray::number(asked_[method + ' ' + path]);
    } else if (method == "GET" && path == "/large") {
      // 1.6 MB that the browser could take as a page, but not as the text it becomes.
      page = "<title>Large</title>" + QByteArray(kJapanInShiftJis).repeated(400000);
    } else {
      page = "<title>Missing</title>";
    }
    socket->write(
        "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
        "Last-Modified: Mon, 01 Dec 2025 00:00:00 GMT\r\n" +
        extra + "Content-Length: " + QByteArray::number(page.size()) + "\r\nConnection: close\r\n\r\n" +
        page);
    socket->flush();
    socket->disconnectFromHost();
  }

  QTcpServer server_;
  QMap<QString, int> asked_;
};

class PageEncoding : public testing::Test {
 protected:
  void SetUp() override {
    SheetCanOpen = 1;
    window.resize(900, 700);
    CalWebView::Host host;
    host.closeAllToggleView = [this] {
      if (web) web->webNSDrawer()->hide();
    };
    host.addSideView = [this](QDockWidget* dock) { window.addDockWidget(Qt::RightDockWidgetArea, dock); };
    host.playSound = [this](const char* name) { sounds << QLatin1String(name); };
    host.mainWindow = &window;
    web = std::make_unique<CalWebView>(host);
    web->awakeFromNib();
    window.show();
  }
  void TearDown() override { web.reset(); }

  QWebEnginePage* page() const {
    auto* view = web->webViewField() ? qobject_cast<QWebEngineView*>(web->webViewField()->widget()) : nullptr;
    return view ? view->page() : nullptr;
  }
  // The shown page's text, once the browser has given it.
  QString text() {
    QString plain;
    bool got = false;
    page()->toPlainText([&](const QString& t) {
      plain = t.trimmed();
      got = true;
    });
    return QTest::qWaitFor([&] { return got; }, kWaitMs) ? plain : QString();
  }
  // Waits until the drawer is idle on a page whose text starts with `start`.
  testing::AssertionResult shows(const QString& start) {
    if (QTest::qWaitFor([&] { return web->idle() && text().startsWith(start); }, kWaitMs))
      return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the page shows \"" << text().toStdString() << "\"";
  }
  testing::AssertionResult load(const QString& url, const QString& title) {
    web->connectURLString(url);
    if (QTest::qWaitFor([&] { return web->webNSDrawer()->windowTitle() == title && web->idle(); }, kWaitMs))
      return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no page titled " << title.toStdString();
  }
  // Opens the page's context menu, as a right-click does, and clicks its item `title`; false
  // when the item is not there or not enabled.
  bool clickMenuItem(const QString& title) {
    auto* view = qobject_cast<QWebEngineView*>(web->webViewField()->widget());
    QWidget* surface = view->focusProxy() ? view->focusProxy() : view;
    QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(20, 20));
    QPointer<QMenu> menu;  // it goes when it closes
    if (!QTest::qWaitFor(
            [&] {
              for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible()) menu = m;
              return menu != nullptr;
            },
            kWaitMs))
      return false;
    QAction* item = nullptr;
    for (QAction* a : menu->actions())
      if (a->text() == title) item = a;
    const bool enabled = item && item->isEnabled();
    if (enabled)
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    else
      menu->close();
    return QTest::qWaitFor([&] { return !menu || !menu->isVisible(); }, kWaitMs) && enabled;
  }
  // A typed letter chooses the pop-up's first item that starts with it, as a click would.
  void choose(char letter) {
    QComboBox* popup = web->encodingPopup();
    popup->setFocus();
    QTest::keyClick(popup, letter);
  }

  const QString japan = QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC");
  QMainWindow window;
  std::unique_ptr<CalWebView> web;
  QStringList sounds;
  CountingServer server;
};

// Behind a log-in, the page is shown in the chosen encoding as the browser received it, with
// its cookie: no page is asked for twice, and a page opened later comes once too.
TEST_F(PageEncoding, AChosenEncodingShowsTheBytesTheBrowserReceived) {
  ASSERT_TRUE(load(server.url("/login"), QStringLiteral("Login")));
  ASSERT_TRUE(load(server.url("/secret"), QStringLiteral("Secret")));
  ASSERT_TRUE(text().endsWith(QStringLiteral(" LOGGED IN")) && !text().contains(QStringLiteral("NOT")));
  EXPECT_FALSE(text().startsWith(japan));

  choose('J');  // Japanese (Shift JIS)
  EXPECT_TRUE(shows(japan + QStringLiteral(" LOGGED IN")));
  EXPECT_EQ(web->encodingPopup()->currentIndex(), 1);
  EXPECT_EQ(web->urlTextField()->text(), server.url("/secret"));

  ASSERT_TRUE(load(server.url("/later"), QStringLiteral("Later")));
  EXPECT_TRUE(shows(japan + QStringLiteral(" LATER")));
  EXPECT_EQ(web->encodingPopup()->currentIndex(), 1);
  EXPECT_EQ(server.asked("GET /login"), 1) << server.askedList().toStdString();
  EXPECT_EQ(server.asked("GET /secret"), 1) << server.askedList().toStdString();
  EXPECT_EQ(server.asked("GET /later"), 1) << server.askedList().toStdString();
}

// A form's answer is kept as it came, whether the encoding was chosen before the form was sent
// or on its answer: it is never replaced by a GET of its address, and never sent again. The
// status line says why, and the pop-up shows the page's own encoding.
TEST_F(PageEncoding, AFormsAnswerIsKeptAndSaidSo) {
  pravella::test::ConsoleCapture console;
  ASSERT_TRUE(load(server.url("/form"), QStringLiteral("Form")));
  choose('J');
  ASSERT_EQ(web->encodingPopup()->currentIndex(), 1);
  page()->runJavaScript(QStringLiteral("document.getElementById('go').click()"));
  ASSERT_TRUE(
      becomesTrue([&] { return web->webNSDrawer()->windowTitle() == "Answer" && web->idle(); }, kWaitMs));
  const QString said = QStringLiteral("This page is the answer to a form");
  EXPECT_TRUE(becomesTrue([&] { return web->tempTextField()->text().startsWith(said); }, kWaitMs))
      << web->tempTextField()->text().toStdString();
  EXPECT_TRUE(text().endsWith(QStringLiteral("ANSWER TO q=sent"))) << text().toStdString();
  EXPECT_EQ(web->encodingPopup()->currentIndex(), 0);

  choose('J');
  EXPECT_TRUE(becomesEqual([&] { return web->encodingPopup()->currentIndex(); }, 0, kWaitMs));
  const auto timesSaid = [&] { return QString::fromStdString(console.text()).count(said); };
  EXPECT_TRUE(becomesEqual(timesSaid, 2, kWaitMs)) << console.text();
  EXPECT_TRUE(text().endsWith(QStringLiteral("ANSWER TO q=sent"))) << text().toStdString();
  EXPECT_EQ(server.asked("POST /answer"), 1) << server.askedList().toStdString();
  EXPECT_EQ(server.asked("GET /answer"), 0) << server.askedList().toStdString();
  EXPECT_EQ(sounds.count("Basso"), 2);
}

// A page its server forbade keeping cannot be shown again from the browser's own bytes: it is
// kept as it came, never asked for again (another answer would come), and the status says why.
TEST_F(PageEncoding, APageTheServerForbadeKeepingIsKeptAndSaidSo) {
  ASSERT_TRUE(load(server.url("/nostore"), QStringLiteral("NoStore")));
  ASSERT_TRUE(text().endsWith(QStringLiteral(" ANSWER 1"))) << text().toStdString();
  choose('J');
  EXPECT_TRUE(becomesTrue(
      [&] { return web->tempTextField()->text().startsWith("The page is kept as it came"); }, kWaitMs))
      << web->tempTextField()->text().toStdString();
  EXPECT_EQ(web->encodingPopup()->currentIndex(), 0);
  EXPECT_TRUE(text().endsWith(QStringLiteral(" ANSWER 1"))) << text().toStdString();
  EXPECT_FALSE(text().startsWith(japan));
  EXPECT_EQ(sounds, QStringList{"Basso"});
  EXPECT_EQ(server.asked("GET /nostore"), 1) << server.askedList().toStdString();
}

// Back and Forward of the page's menu go through the pages as they were shown, in the chosen
// encoding, without asking for any page again; Back is offered only where there is a page
// before.
TEST_F(PageEncoding, BackAndForwardGoThroughThePagesAsShown) {
  ASSERT_TRUE(load(server.url("/login"), QStringLiteral("Login")));
  EXPECT_FALSE(clickMenuItem("Back"));
  choose('J');
  ASSERT_TRUE(shows(japan + QStringLiteral(" WELCOME")));
  ASSERT_TRUE(load(server.url("/later"), QStringLiteral("Later")));
  ASSERT_TRUE(shows(japan + QStringLiteral(" LATER")));

  ASSERT_TRUE(clickMenuItem("Back"));
  EXPECT_TRUE(shows(japan + QStringLiteral(" WELCOME")));
  EXPECT_EQ(web->urlTextField()->text(), server.url("/login"));
  EXPECT_EQ(web->encodingPopup()->currentIndex(), 1);
  EXPECT_FALSE(clickMenuItem("Back"));

  ASSERT_TRUE(clickMenuItem("Forward"));
  EXPECT_TRUE(shows(japan + QStringLiteral(" LATER")));
  EXPECT_EQ(web->urlTextField()->text(), server.url("/later"));
  EXPECT_FALSE(clickMenuItem("Forward"));
  ASSERT_TRUE(clickMenuItem("Back"));
  EXPECT_TRUE(shows(japan + QStringLiteral(" WELCOME")));
  EXPECT_EQ(server.asked("GET /login"), 1) << server.askedList().toStdString();
  EXPECT_EQ(server.asked("GET /later"), 1) << server.askedList().toStdString();
}

// A page too large to show in another encoding stays as it is, said so, and the pop-up goes
// back to the encoding it is shown in.
TEST_F(PageEncoding, ARefusedEncodingLeavesThePopUpOnTheOneInForce) {
  ASSERT_TRUE(load(server.url("/large"), QStringLiteral("Large")));
  choose('J');
  EXPECT_TRUE(becomesTrue([&] { return web->tempTextField()->text().contains("too large"); }, kWaitMs))
      << web->tempTextField()->text().toStdString();
  EXPECT_EQ(web->encodingPopup()->currentIndex(), 0);
  EXPECT_EQ(web->encodingPopup()->currentText(), QStringLiteral("Default"));
  EXPECT_FALSE(text().startsWith(japan));
  EXPECT_EQ(sounds, QStringList{"Basso"});
  EXPECT_EQ(server.asked("GET /large"), 1) << server.askedList().toStdString();
}

}  // namespace
