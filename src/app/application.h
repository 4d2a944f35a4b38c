#pragma once
// The whole desktop application in one object: the main window with the calendar controller,
// the memo options, the month list, the desk tools and every window controller, made and wired
// in the order they depend on each other and destroyed in the reverse order. main() makes one
// and runs the event loop; tests make one to drive the real window.
//
// The window is shown first: what it does not show (the hand editors, the month diary drawer, the desk tools
// and their drawers, the search window, the tool drawer, the imaging drawers) is made right after its first
// frame, in the same event and so before any other is handled, and the launch modules run after them.

#include <memory>

class QMenu;

class CalMedImage;
class CalOption;
class CalSetDirectory;
class CalSunMoon;
class CalText;
class CalTool;
class Calcndar;
class ConvClassicDoc;
class ImageSegmentation;
class Pravella;
class SystemTools;

namespace pravella {

class CalDPlotEdit;
class CalGetPictPoints;
class CalGrEdit;
class CvTrackingWindows;
class DeskTools;
class EndSignals;
class MainWindow;
class SearchTools;
namespace gl {
class GLWindowManager;
}
namespace imaging {
class ImagingWindowManager;
}

class Application {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Shows the window where it was left; after its first frame makes the rest and does what
  // follows the launch (the user's modules). A test waits for the window to be exposed.
  void showAndFinishLaunching();

  // A kill, a closed terminal, Ctrl+C (SIGTERM, SIGHUP, SIGINT) and the end of the session save
  // every edit as Quit does, without asking, then end the application.
  void endOnSignalsAndSessionEnd();
  // Runs the event loop until the application ends; its status. A run that does not answer the
  // break would hold the end of the process for good: the memo it ran in is saved by then, so
  // the process ends here at once.
  int exec();

  MainWindow& window() const { return *window_; }
  Calcndar& calendar() const { return *calendar_; }
  CalOption& calendarOption() const { return *calendarOption_; }
  // Made after the window's first frame.
  DeskTools& deskTools() const { return *deskTools_; }
  CalTool& tool() const { return *tool_; }
  SystemTools& systemTools() const { return *systemTools_; }
  Pravella& monthList() const { return *monthList_; }

 private:
  void makeDrawersAndTools();

  // In the order of their making.
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<gl::GLWindowManager> glWindows_;
  std::unique_ptr<imaging::ImagingWindowManager> imagingWindows_;
  std::unique_ptr<Calcndar> calendar_;
  std::unique_ptr<CalOption> calendarOption_;
  std::unique_ptr<CalSetDirectory> setDirectory_;
  std::unique_ptr<ConvClassicDoc> classicImport_;
  std::unique_ptr<CalText> text_;
  std::unique_ptr<CalSunMoon> sunMoon_;
  QMenu* toolsMenu_ = nullptr;
  // After the first frame.
  std::unique_ptr<CalGrEdit> grEdit_;
  std::unique_ptr<CalDPlotEdit> densityPlotEdit_;
  std::unique_ptr<CalGetPictPoints> getPictPoints_;
  std::unique_ptr<CvTrackingWindows> trackingWindows_;
  std::unique_ptr<Pravella> monthList_;
  std::unique_ptr<DeskTools> deskTools_;
  std::unique_ptr<SearchTools> searchTools_;
  std::unique_ptr<CalTool> tool_;
  std::unique_ptr<SystemTools> systemTools_;
  std::unique_ptr<CalMedImage> medImage_;
  std::unique_ptr<ImageSegmentation> segmentation_;
  // Goes first: it calls the calendar.
  std::unique_ptr<EndSignals> endSignals_;
};

}  // namespace pravella
