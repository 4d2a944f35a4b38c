// The Pravella desktop application.

#include <unistd.h>
#include <clocale>
#include <cstdio>
#include <memory>
#include <optional>

#include <QApplication>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSessionManager>
#include <QThreadPool>

#include "app/desk_tools.h"
#include "app/search_tools.h"
#include "diary/day_folders.h"
#include "diary/ui/cal_set_directory.h"
#include "diary/ui/cal_sun_moon.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/conv_classic_doc.h"
#include "diary/ui/main_window.h"
#include "diary/ui/pravella.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/cal_text.h"
#include "editors/ui/cal_tool.h"
#include "editors/ui/main_text_view.h"
#include "graphics/ui/editors/cal_dplot_edit.h"
#include "graphics/ui/editors/cal_get_pict_points.h"
#include "graphics/ui/editors/cal_gr_edit.h"
#include "graphics/ui/gl/gl_window_manager.h"
#include "imaging/ui/cal_med_image.h"
#include "imaging/ui/cal_sg_data.h"
#include "imaging/ui/cv_tracking_window.h"
#include "imaging/ui/image_segmentation.h"
#include "imaging/ui/imaging_window_manager.h"
#include "lang/builtins/startup.h"
#include "platform/end_signals.h"
#include "platform/ui/deferred_icon_style.h"
#include "platform/ui/first_paint.h"
#include "platform/ui/media_backend.h"
#include "tools/system/ui/system_tools.h"

namespace {

// The month diary list and its drawer, awake.
struct MonthList {
  MonthList(pravella::MainWindow& window, Calcndar& calendar) : list(&calendar, &window) {
    list.awakeFromNib();
  }
  Pravella list;
};

// What the main window does not show at start: the month diary drawer, the desk tools and their
// drawers, the search window, the tool drawer and the imaging drawers. Made right after the
// window's first frame, before any other event is handled, and before the programs of the
// Modules folder run (they may call any of them).
struct DrawersAndTools {
  DrawersAndTools(pravella::MainWindow& window, Calcndar& calendar, QMenu* toolsMenu)
      : monthList(window, calendar),
        deskTools(window, calendar, toolsMenu),
        searchTools(window, calendar, deskTools),
        tool(deskTools.host()) {
    QAction* videoCapture = toolsMenu->addAction(QObject::tr("Video Capture"));
    QObject::connect(videoCapture, &QAction::triggered, &window,
                     [w = &window] { pravella::openVideoSequantialGrabber(w); });
    tool.awakeFromNib();
    systemTools.emplace(deskTools.host());
    tool.addSystemControls(systemTools->strip());
    medImage.emplace(deskTools.host());
    medImage->awakeFromNib();
    segmentation.emplace(deskTools.host());
    segmentation->awakeFromNib();
  }

  // The desk tools and the search window use its views.
  MonthList monthList;
  pravella::DeskTools deskTools;
  // The memo's manual and memo-database look-ups, and the search window.
  pravella::SearchTools searchTools;
  // The tool drawer and the user control panels.
  CalTool tool;
  // Backup, the load bars and the calculate buttons at the drawer's foot.
  std::optional<SystemTools> systemTools;
  std::optional<CalMedImage> medImage;
  std::optional<ImageSegmentation> segmentation;
};

}  // namespace

int main(int argc, char** argv) {
  if (vkStartUp() != 1) return -1;
  // The web drawer's engine refuses to start as root inside its sandbox and takes the whole
  // application with it; root gets the browser without the sandbox, and is told so.
  if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    std::fputs("Pravella: running as root; the web drawer runs without its sandbox.\n", stderr);
  }
  pravella::chooseMediaBackend();
  QApplication app(argc, argv);
  pravella::useDeferredIconStyle();
  // Qt adopts the user's locale; numbers in results and files must keep the C decimal point.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Pravella"));
  QApplication::setOrganizationName(QStringLiteral("Pravella"));
  // The main window is closed by the calendar controller, which saves before the end.
  QApplication::setQuitOnLastWindowClosed(false);

  // Saves killed by a crash or power cut may have left documents aside: put them back
  // without holding up the window.
  QThreadPool::globalInstance()->start([] { pravella::recoverInterruptedDiarySaves(); });

  pravella::MainWindow window;
  // Programs open their OpenGL plot windows through it, by title, on this thread.
  pravella::gl::GLWindowManager glWindows(&window);
  // Picture sub-windows and movie windows, by title, on this thread.
  pravella::imaging::ImagingWindowManager imagingWindows(&window);
  // The hand editors' panels, run while a program waits for them.
  pravella::CalGrEdit grEdit(&window);
  pravella::CalDPlotEdit densityPlotEdit(&window);
  pravella::CalGetPictPoints getPictPoints(&window);
  // The window of each "test_cv" tracking run.
  pravella::CvTrackingWindows trackingWindows(&window);
  // The memo takes the program texts the calendar posts at launch (the user's modules).
  window.documentView()->awakeFromNib();
  Calcndar calendar(&window);
  // The memo options: the memo sheet's files and history, the Format and User menus.
  CalOption calendarOption(&window, &calendar);
  calendar.awakeFromNib();
  calendarOption.awakeFromNib();
  // The working folder starts before any module runs.
  CalSetDirectory setDirectory(&window);
  setDirectory.awakeFromNib();
  ConvClassicDoc classicImport(&calendar, &window);
  classicImport.awakeFromNib();
  QObject::connect(window.importOldDiaryAction(), &QAction::triggered, &classicImport,
                   [&classicImport] { classicImport.convClassicDoc(); });
  CalText::Host textHost;
  textHost.save = [&calendar] { return calendar.save(); };
  textHost.nowDisplayedDocument = [&calendar] { return calendar.nowDisplayedDocument(); };
  textHost.selectedDay = [&calendar] { return calendar.selectedDay(); };
  textHost.showDiaryFiles = [&calendar] { calendar.showDiaryFiles(); };
  textHost.reportFailure = [&window](const QString& why) {
    QMessageBox::warning(&window, QStringLiteral("Export Text"), why);
  };
  CalText text(window.documentView(), &window, textHost);
  text.awakeFromNib();
  CalSunMoon sunMoon(window.sunMoonPanel(), [&calendar] { return calendar.selectedDay(); });
  sunMoon.awakeFromNib();
  QMenu* toolsMenu = window.menuBar()->addMenu(QObject::tr("&Tools"));
  std::unique_ptr<DrawersAndTools> drawersAndTools;
  // A kill, a closed terminal, Ctrl+C and the end of the session save every edit as Quit
  // does, then end the application.
  pravella::EndSignals endSignals([&calendar](int) { calendar.terminateUnattended(); });
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &calendar,
                   [&calendar](QSessionManager&) { calendar.terminateUnattended(); });
  // The window opens where it was left, so its first frame is where it stays.
  calendar.setMainWindowSizeAndPosition();
  window.show();
  pravella::afterFirstPaint(&window, [&](bool painted) {
    if (painted) pravella::reportFirstPaintWhenAsked();
    drawersAndTools = std::make_unique<DrawersAndTools>(window, calendar, toolsMenu);
    calendar.applicationDidFinishLaunching();
  });
  return QApplication::exec();
}
