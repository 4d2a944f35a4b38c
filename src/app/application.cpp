#include "app/application.h"

#include <cstdio>
#include <cstdlib>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSessionManager>

#include "app/desk_tools.h"
#include "app/search_tools.h"
#include "diary/ui/cal_set_directory.h"
#include "diary/ui/cal_sun_moon.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/conv_classic_doc.h"
#include "diary/ui/main_window.h"
#include "diary/ui/pravella.h"
#include "editors/edit_journal.h"
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
#include "platform/end_saves.h"
#include "platform/end_signals.h"
#include "platform/ui/first_paint.h"
#include "tools/system/ui/system_tools.h"

namespace pravella {

Application::Application() {
  window_ = std::make_unique<MainWindow>();
  MainWindow& window = *window_;
  // Programs open their OpenGL plot windows through it, by title, on this thread.
  glWindows_ = std::make_unique<gl::GLWindowManager>(&window);
  // Picture sub-windows and movie windows, by title, on this thread. Its File menu items come
  // after the calendar's, which it makes first.
  imagingWindows_ = std::make_unique<imaging::ImagingWindowManager>(&window);
  // The memo takes the program texts the calendar posts at launch (the user's modules).
  window.documentView()->awakeFromNib();
  calendar_ = std::make_unique<Calcndar>(&window);
  Calcndar& calendar = *calendar_;
  // The memo options: the memo sheet's files and history, the Format and User menus.
  calendarOption_ = std::make_unique<CalOption>(&window, &calendar);
  calendar.sideViewsComeLater();
  calendar.awakeFromNib();
  calendarOption_->awakeFromNib();
  // The working folder starts before any module runs.
  setDirectory_ = std::make_unique<CalSetDirectory>(&window);
  setDirectory_->awakeFromNib();
  classicImport_ = std::make_unique<ConvClassicDoc>(&calendar, &window);
  classicImport_->awakeFromNib();
  QObject::connect(window.importOldDiaryAction(), &QAction::triggered, classicImport_.get(),
                   [c = classicImport_.get()] { c->convClassicDoc(); });
  CalText::Host textHost;
  textHost.save = [&calendar] { return calendar.save(); };
  textHost.nowDisplayedDocument = [&calendar] { return calendar.nowDisplayedDocument(); };
  textHost.selectedDay = [&calendar] { return calendar.selectedDay(); };
  textHost.showDiaryFiles = [&calendar] { calendar.showDiaryFiles(); };
  textHost.reportFailure = [&window](const QString& why) {
    QMessageBox::warning(&window, QStringLiteral("Export Text"), why);
  };
  text_ = std::make_unique<CalText>(window.documentView(), &window, textHost);
  text_->awakeFromNib();
  sunMoon_ =
      std::make_unique<CalSunMoon>(window.sunMoonPanel(), [&calendar] { return calendar.selectedDay(); });
  sunMoon_->awakeFromNib();
  // In its place in the menu bar from the first frame; its items come with the desk tools.
  toolsMenu_ = window.menuBar()->addMenu(QObject::tr("&Tools"));
}

void Application::makeDrawersAndTools() {
  MainWindow& window = *window_;
  Calcndar& calendar = *calendar_;
  // The hand editors' panels, run while a program waits for them.
  grEdit_ = std::make_unique<CalGrEdit>(&window);
  densityPlotEdit_ = std::make_unique<CalDPlotEdit>(&window);
  getPictPoints_ = std::make_unique<CalGetPictPoints>(&window);
  // The window of each "test_cv" tracking run.
  trackingWindows_ = std::make_unique<CvTrackingWindows>(&window);
  // The month diary list exists before the modules run at launch: they may call it.
  monthList_ = std::make_unique<Pravella>(&calendar, &window);
  monthList_->awakeFromNib();
  deskTools_ = std::make_unique<DeskTools>(window, calendar, toolsMenu_);
  // The memo's manual and memo-database look-ups, and the search window.
  searchTools_ = std::make_unique<SearchTools>(window, calendar, *deskTools_);
  // The tool drawer and the user control panels.
  tool_ = std::make_unique<CalTool>(deskTools_->host());
  QMenu* toolsMenu = deskTools_->host().toolsMenu;
  // Its panel, the backup, the load bars and bc; programs open it with cal_openAmModeSheet.
  QAction* drawer = toolsMenu->addAction(QObject::tr("Tool &Drawer"));
  drawer->setObjectName(QStringLiteral("toggleAmModeSheetAction"));
  QObject::connect(drawer, &QAction::triggered, tool_.get(), [t = tool_.get()] { t->toggleAmModeSheet(); });
  QAction* videoCapture = toolsMenu->addAction(QObject::tr("Video Capture"));
  videoCapture->setObjectName(QStringLiteral("videoCaptureAction"));
  QObject::connect(videoCapture, &QAction::triggered, &window,
                   [&window] { openVideoSequantialGrabber(&window); });
  tool_->awakeFromNib();
  // Backup, the load bars and the calculate buttons at the drawer's foot.
  systemTools_ = std::make_unique<SystemTools>(deskTools_->host());
  tool_->addSystemControls(systemTools_->strip());
  medImage_ = std::make_unique<CalMedImage>(deskTools_->host());
  medImage_->awakeFromNib();
  segmentation_ = std::make_unique<ImageSegmentation>(deskTools_->host());
  segmentation_->awakeFromNib();
}

void Application::endOnSignalsAndSessionEnd() {
  Calcndar& calendar = *calendar_;
  endSignals_ = std::make_unique<EndSignals>([&calendar](int) { calendar.terminateUnattended(); });
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, &calendar,
                   [&calendar](QSessionManager&) { calendar.terminateUnattended(); });
}

int Application::exec() {
  int status = QApplication::exec();
  // The end's saves are done: copies kept against a crash go where nothing is unsaved.
  EditJournal::settleAll();
  // An edit that no folder took is lost: whoever ended the application hears it.
  if (status == 0 && editsWereLost()) status = 1;
  if (calendar_->runLeftGoing()) {
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}

// The members go in the reverse of their making: the tools before the window.
Application::~Application() = default;

void Application::showAndFinishLaunching() {
  // The window opens where it was left, so its first frame is where it stays.
  calendar_->setMainWindowSizeAndPosition();
  window_->show();
  afterFirstPaint(window_.get(), [this](bool painted) {
    if (painted) reportFirstPaintWhenAsked();
    makeDrawersAndTools();
    calendar_->applicationDidFinishLaunching();
  });
}

}  // namespace pravella
