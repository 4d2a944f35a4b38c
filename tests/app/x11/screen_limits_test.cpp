// Windows stay on the screen they are given, whatever its size: a long hovered address, a long
// remote folder or a program's window size never push the main window or a picture window past
// the screen's available area, and a frame kept wider than the screen comes back on it. The
// FTP and Internet sheets say why they did not do what was asked, and open and close at a
// program's word. Every expectation comes from the screen the test runs on.

#include <QComboBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

#include "app/app_fixture.h"
#include "app/desk_tools.h"
#include "diary/startup_files.h"
#include "diary/ui/sun_moon_panel.h"
#include "imaging/ui/sub_window.h"
#include "imaging/ui/sub_window_list.h"
#include "net/ftp/ui/cal_ftp.h"
#include "net/ftp/ui/ftp_file_table.h"
#include "net/web/ui/cal_network.h"
#include "net/web/ui/cal_web_view.h"
#include "net/web/ui/web_engine_module.h"
#include "platform/ui/elided_label.h"
#include "support/loopback_ftp.h"
#include "support/wait_for.h"

namespace {

using namespace app_test;
using pravella::test::becomesTrue;

// Deadlines for what the window system does on a busy machine, never measures.
constexpr int kSettleMs = 10000;

QString text(const QRect& r) {
  return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

class ScreenLimits : public App {
 protected:
  QRect available() { return window().screen()->availableGeometry(); }
  pravella::DeskTools& tools() { return app->deskTools(); }

  // A frame somewhat smaller than the screen, at its top left.
  QRect startFrame() {
    return QRect(available().topLeft(),
                 QSize(std::min(1000, available().width() - 200), std::min(700, available().height() - 100)));
  }
  void place(const QRect& geometry) {
    window().setGeometry(geometry);
    ASSERT_TRUE(waitFor([&] { return window().geometry() == geometry; }, 3000))
        << s(text(window().geometry()));
    ASSERT_TRUE(becomesTrue([&] { return laidOut(); }, kSettleMs)) << s(text(window().layout()->geometry()));
  }
  // The FTP sheet stands beside the memo, the window widened for it and laid out.
  bool besideTheMemo(const QWidget* sheet) {
    return shown(sheet) && sheet->width() > 0 &&
           sheet->geometry().left() > window().centralWidget()->geometry().right() && laidOut();
  }
  void expectOnScreen(QWidget* w, const char* what) {
    EXPECT_TRUE(becomesTrue([&] { return available().contains(w->frameGeometry()); }, kSettleMs))
        << what << ": " << s(text(w->frameGeometry())) << " on " << s(text(available()));
  }

  void runLine(const QString& program) {
    memo()->setPlainText(program);
    select(0, 0);
    QTest::keyClick(memo(), Qt::Key_Escape);
    EXPECT_TRUE(waitFor([this] {
      return memo()->toPlainText().contains(".OK.") || memo()->toPlainText().contains(".NO.");
    })) << s(memo()->toPlainText());
    ASSERT_TRUE(waitIdle());
  }

  void typeInto(QLineEdit* field, const QString& typed) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, typed);
  }

  // Opens the FTP sheet from its menu in a window of the start frame and types the fields;
  // the window's frame with the sheet open goes into `widened`.
  CalFTP* openFtpAndType(const QString& host, const QString& folder, QRect* widened) {
    place(startFrame());
    clickMenuItem(menuEntry({"&Tools", "&FTP"}));
    CalFTP* ftp = tools().ftp();
    EXPECT_TRUE(becomesTrue([&] { return besideTheMemo(ftp->ftpDrawer()); }, kSettleMs))
        << s(text(ftp->ftpDrawer()->geometry()));
    *widened = window().geometry();
    ftp->hostNameField()->setFocus();
    QTest::keyClicks(ftp->hostNameField(), host);
    typeInto(ftp->idField(), "ann");
    typeInto(ftp->pwField(), "s3cret");
    typeInto(ftp->directoryField(), folder);
    return ftp;
  }

  static QPushButton* button(QWidget* in, const QString& title) {
    for (QPushButton* b : in->findChildren<QPushButton*>())
      if (b->text() == title) return b;
    ADD_FAILURE() << "no button " << s(title);
    return nullptr;
  }
  void click(QWidget* w) {
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(shown(w));
    QTest::mouseClick(w, Qt::LeftButton);
    QApplication::processEvents();
  }
};

TEST_F(ScreenLimits, AHoveredLongAddressStaysInTheWebStatusLineAndTheWindowOnTheScreen) {
  place(startFrame());
  const QString address = "https://example.org/" + QString(3000, 'a');
  const QString page = pravella::test::home() + "/links.html";
  QFile file(page);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(("<html><head><title>Links</title></head><body style='margin:0'>"
              "<a href='" +
              address +
              "' style='display:block;height:100vh;font-size:40px'>link</a>"
              "</body></html>")
                 .toUtf8());
  file.close();

  clickMenuItem(menuEntry({"&Tools", "&Web Browser"}));
  CalWebView* web = tools().web();
  ASSERT_TRUE(waitFor([&] { return shown(web->webNSDrawer()) && web->webViewField(); }));
  typeInto(web->urlTextField(), QUrl::fromLocalFile(page).toString());
  QTest::keyClick(web->urlTextField(), Qt::Key_Return);
  ASSERT_TRUE(waitFor([&] { return web->webNSDrawer()->windowTitle() == "Links" && web->idle(); }, 20000));
  const int widened = window().width();
  // The web sheet's own controls need about 1,100 pixels beside the calendar and a readable
  // memo: on a narrower screen the window is as wide as they are, and only the hover is tested.
  const bool fits = window().frameGeometry().width() <= available().width();
  if (available().width() >= 1280) {
    EXPECT_TRUE(fits) << s(text(window().frameGeometry()));
  }

  // The pointer over the link, as the user moves it there.
  QWidget* view = web->webViewField()->widget();
  QWidget* target = view->focusProxy() ? view->focusProxy() : view;
  auto* status = qobject_cast<pravella::ElidedLabel*>(web->tempTextField());
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(waitFor(
      [&] {
        QTest::mouseMove(target, target->rect().center() + QPoint(status->text().size() % 2, 0));
        return status->text() == address;
      },
      10000))
      << s(status->text().left(80));
  QTest::qWait(100);  // a time for the window to widen, which it must not: no state to wait for
  EXPECT_EQ(window().width(), widened);
  if (fits) expectOnScreen(&window(), "main window");
  EXPECT_LE(status->width(), web->webNSDrawer()->width());
  EXPECT_TRUE(status->isElided());

  // Quit keeps a frame on the screen.
  clickMenuItem(action("quitAction"));
  const std::optional<pravella::WindowFrame> frame =
      pravella::readWindowFrameFile(pravella::windowFrameFilePath());
  ASSERT_TRUE(frame);
  EXPECT_LE(frame->width, available().width());
}

TEST_F(ScreenLimits, AFrameKeptWiderThanTheScreenComesBackOnIt) {
  pravella::WindowFrame wide;
  wide.x = -300;
  wide.y = 20;
  wide.width = 23537;
  wide.height = 2638;
  wide.sideWidths = {400, 400, 400, 400, 400};
  app.reset();
  ASSERT_TRUE(pravella::writeWindowFrameFile(pravella::windowFrameFilePath(), wide).ok);
  App::SetUp();
  ASSERT_TRUE(waitFor([&] { return window().width() <= available().width(); }, 3000))
      << s(text(window().geometry()));
  expectOnScreen(&window(), "restored");
  // Every drawer then opens on the screen.
  clickMenuItem(menuEntry({"&Tools", "&FTP"}));
  ASSERT_TRUE(waitFor([&] { return shown(tools().ftp()->ftpDrawer()); }));
  expectOnScreen(&window(), "with the FTP sheet");
}

TEST_F(ScreenLimits, ALongRemoteFolderNeverWidensTheFtpSheet) {
  QRect widened;
  CalFTP* ftp = openFtpAndType("127.0.0.1", "/" + QString(300, 'f'), &widened);
  click(button(ftp->ftpDrawer(), "Connect"));
  QTest::qWait(100);  // a time for the window to widen, which it must not: no state to wait for
  EXPECT_EQ(window().geometry(), widened);
  expectOnScreen(&window(), "main window");
  EXPECT_LE(ftp->statusField()->width(), ftp->ftpDrawer()->width());
  EXPECT_TRUE(waitFor([&] { return ftp->runningOperations() == 0; }, 20000));
  EXPECT_EQ(window().geometry(), widened);
}

TEST_F(ScreenLimits, GettingAFileOfALongNameKeepsTheWindowAndShowsTheNameWhole) {
  // As long a name as a file may have here; a server may list longer ones.
  const QString name = QString(250, 'm') + ".txt";
  const QString root = pravella::test::home() + "/server";
  QDir().mkpath(root + "/pub");
  QFile file(root + "/pub/" + name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("memo\n");
  file.close();
  pravella::test::LoopbackFtp server(root, "ann", "s3cret");
  ASSERT_FALSE(server.port().isEmpty()) << s(server.error());

  QRect widened;
  CalFTP* ftp = openFtpAndType("127.0.0.1:" + server.port(), "/pub", &widened);
  typeInto(ftp->downloadFolderField(), pravella::test::home() + "/local");
  QDir().mkpath(pravella::test::home() + "/local");
  click(button(ftp->ftpDrawer(), "Connect"));
  ASSERT_TRUE(
      waitFor([&] { return ftp->ftpNameList().contains(name) && ftp->runningOperations() == 0; }, 30000))
      << s(ftp->statusField()->text());

  // The name, too long for the column, is whole in its row's tooltip.
  ftpFileTable* table = ftp->filesTableView();
  const int row = int(ftp->ftpNameList().indexOf(name));
  EXPECT_TRUE(table->item(row, 0)->toolTip().endsWith(" " + name)) << s(table->item(row, 0)->toolTip());
  const QRect cell = table->visualRect(table->model()->index(row, 0));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
  click(button(ftp->ftpDrawer(), "Get"));
  EXPECT_TRUE(waitFor(
      [&] {
        return QFileInfo::exists(pravella::test::home() + "/local/" + name) && ftp->runningOperations() == 0;
      },
      30000));
  QTest::qWait(100);  // a time for the window to widen, which it must not: no state to wait for
  EXPECT_EQ(window().geometry(), widened);
  expectOnScreen(&window(), "after Get");
  EXPECT_LE(ftp->statusField()->width(), ftp->ftpDrawer()->width());
}

TEST_F(ScreenLimits, AProgramsWindowSizesAndPlacesStayOnTheScreen) {
  place(startFrame());
  runLine(
      "RGB = popRGBColor(\"mono\"); p# = densityPlot(|0, 1| |0, 1|, |1, 0|); openPictWindow(p#, \"W1\");"
      "sizePictWindow(\"W1\", |100000, 100000|);");
  EXPECT_TRUE(memo()->toPlainText().contains(".OK."));
  pravella::imaging::SubWindow* picture = pravella::imaging::findWindowFromSubWindowList("W1");
  ASSERT_NE(picture, nullptr);
  QWidget* shownWindow = picture->window();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(shownWindow));
  expectOnScreen(shownWindow, "sized");
  EXPECT_LE(shownWindow->width(), available().width());
  runLine("movePictWindow(\"W1\", |100000, 100000|);");
  expectOnScreen(shownWindow, "moved");
  runLine("sizePictWindow(\"W1\", |200, 150|); movePictWindow(\"W1\", |-5000, 10|);");
  expectOnScreen(shownWindow, "moved left");
  EXPECT_EQ(shownWindow->size(), QSize(200, 150));
  pravella::imaging::closeAllPictWindow();
}

TEST_F(ScreenLimits, ProgramsOpenToggleAndCloseTheFtpSheetWithoutATerminal) {
  RecordingPrograms terminal({"x-terminal-emulator"});
  QDockWidget* sheet = tools().ftp()->ftpDrawer();
  runLine("cal_openFTPSheet(0);");
  EXPECT_TRUE(waitFor([&] { return shown(sheet); }, 3000));
  runLine("cal_toggleFTPSheet(0);");
  EXPECT_TRUE(waitFor([&] { return sheet->isHidden(); }, 3000));
  runLine("cal_toggleFTPSheet(0);");
  EXPECT_TRUE(waitFor([&] { return shown(sheet); }, 3000));
  runLine("cal_closeFTPSheet(0);");
  EXPECT_TRUE(waitFor([&] { return sheet->isHidden(); }, 3000));
  EXPECT_EQ(RecordingPrograms::recorded("x-terminal-emulator", 300), QString());
}

TEST_F(ScreenLimits, WithoutATerminalTheFtpSheetSaysWhy) {
  clickMenuItem(menuEntry({"&Tools", "&FTP"}));
  CalFTP* ftp = tools().ftp();
  ASSERT_TRUE(waitFor([&] { return shown(ftp->ftpDrawer()); }));
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", "/nonexistent");
  clearSounds();
  click(button(ftp->ftpDrawer(), "Terminal"));
  qputenv("PATH", path);
  EXPECT_TRUE(ftp->statusField()->text().contains("x-terminal-emulator is not installed"))
      << s(ftp->statusField()->text());
  EXPECT_EQ(sounds(), QStringList{"Basso"});
}

TEST_F(ScreenLimits, TheInternetSheetShowsRowsRefusesAnOptionLikeAddressAndPlacesItsConsole) {
  place(startFrame());
  RecordingPrograms opener({"xdg-open"});
  clickMenuItem(menuEntry({"&Tools", "&Internet"}));
  CalNetwork* internet = tools().internet();
  ASSERT_TRUE(waitFor([&] { return shown(internet->urlSheetView()); }));
  QTableWidget* table = internet->autoDownloadTableField();
  EXPECT_TRUE(becomesTrue(
      [&] { return table->viewport()->height() >= 5 * table->verticalHeader()->defaultSectionSize(); },
      kSettleMs));
  EXPECT_GE(table->viewport()->height(), 5 * table->verticalHeader()->defaultSectionSize());

  // A text that the opener would take for an option: said, and Basso.
  clearSounds();
  typeInto(internet->openURLField(), "-version");
  QTest::keyClick(internet->openURLField(), Qt::Key_Return);
  EXPECT_TRUE(shown(internet->statusField()));
  EXPECT_TRUE(internet->statusField()->text().contains("\"-\"")) << s(internet->statusField()->text());
  EXPECT_EQ(sounds(), QStringList{"Basso"});
  EXPECT_EQ(RecordingPrograms::recorded("xdg-open", 300), QString());

  // The console opens beside the main window, not over it.
  click(button(internet->urlSheetView(), "Console"));
  QWidget* console = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<QPlainTextEdit*>(w) && w->windowTitle() == "Console" && w->isVisible()) console = w;
  ASSERT_NE(console, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(console));
  const auto overTheWindow = [&] {
    return console->frameGeometry().intersects(window().frameGeometry()) &&
           available().width() >= window().frameGeometry().width() + console->frameGeometry().width() + 10;
  };
  EXPECT_TRUE(becomesTrue([&] { return !overTheWindow(); }, kSettleMs))
      << s(text(console->frameGeometry())) << " over " << s(text(window().frameGeometry()));
  expectOnScreen(console, "console");
  console->close();
}

TEST_F(ScreenLimits, TheSecondLayoutKeepsTheSunAndMoonRowsTogetherAtTheTop) {
  place(startFrame());
  runLine("cal_setCalendarView(1);");
  QWidget* panel = window().sunMoonPanel();
  const auto atTheTop = [&] {
    return shown(panel) && panel->height() <= panel->sizeHint().height() + 4 &&
           panel->mapTo(&window(), QPoint(0, 0)).y() < window().height() / 2;
  };
  EXPECT_TRUE(becomesTrue(atTheTop, kSettleMs));
  ASSERT_TRUE(shown(panel));
  EXPECT_LE(panel->height(), panel->sizeHint().height() + 4);
  EXPECT_LT(panel->mapTo(&window(), QPoint(0, 0)).y(), window().height() / 2);
  runLine("cal_setCalendarView(0);");
}

}  // namespace
