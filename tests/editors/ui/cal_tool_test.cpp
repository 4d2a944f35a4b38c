// The tool drawer and its user control panel: building a panel from a definition, running the
// controls' programs, the commands programs send, drops, Alt-drag editing and image zoom.

#include <QDir>
#include <QDockWidget>
#include <QTextDocument>
#include <QDropEvent>
#include <QGroupBox>
#include <QMainWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "diary/diary_globals.h"
#include "editors/dropped_files_path.h"
#include "editors/ui/am_mode_controls.h"
#include "editors/ui/cal_tool.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "lang/builtins/command_bridge.h"
#include "lang/builtins/startup.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/command_program.h"
#include "support/wait_for.h"

namespace {

using namespace pravella;
using pravella::test::becomesEqual;
using pravella::test::becomesTrue;

// An application command run as a program calls it; each call starts with an empty result
// text, so a test reads only that command's messages.
class Program : public CommandProgram {
 public:
  int call(const std::string& name, int argc) {
    ResultString.clear();
    return CommandProgram::call(name, argc);
  }
};

const char* kPanel =
    "A panel\n<AmMode>\n<BoxTitle> Tools\n<BoxSize> 300 120\n"
    "<Button>\n<Name> go\n<Frame> 10 20 80 24\n<Title> Go\n<Prog>\nrun_go\n</Prog>\n</Button>\n"
    "<Button>\n<Name> go\n<Frame> 0 0 5 5\n<Prog>\nsecond_go\n</Prog>\n</Button>\n"
    "<Button>\n<Name> sw\n<Type> Switch\n<Frame> 100 20 60 20\n<Title> On\n</Button>\n"
    "<Button>\n<Name> field\n<Type> TextField\n<Frame> 10 50 120 22\n<Title> hello\n<Prog>\nrun_field\n</Prog>\n"
    "</Button>\n"
    "<Button>\n<Name> slider\n<Type> Slider\n<Frame> 140 50 150 20\n<Value> 0 2.5 10\n<Prog>\nrun_slider\n"
    "</Prog>\n</Button>\n"
    "<Button>\n<Name> drop\n<Frame> 170 20 60 24\n<Drop>\nrun_drop\n</Drop>\n</Button>\n"
    "<Button>\n<Name> image\n<Type> ImageView\n<Frame> 10 76 40 40\n<Scaling> None\n<Prog>\nrun_image\n</Prog>\n"
    "</Button>\n"
    "<Button>\n<Name> fit\n<Type> ImageView\n<Frame> 60 76 40 40\n<Scaling> ToFit\n<Prog>\nrun_fit\n</Prog>\n"
    "</Button>\n"
    "<InitProg>\nrun_init\n</InitProg>\n</AmMode>\n";

class ControlPanel : public testing::Test {
 protected:
  void SetUp() override {
    vkStartUp();
    SheetCanOpen = 1;
    window = std::make_unique<QMainWindow>();
    doc = new QTextEdit(window.get());
    window->setCentralWidget(doc);
    host.mainWindow = window.get();
    host.documentView = doc;
    host.addSideView = [this](QDockWidget* d) {
      window->addDockWidget(Qt::RightDockWidgetArea, d);
      d->hide();
      docks.push_back(d);
    };
    host.closeAllToggleView = [this] {
      for (QDockWidget* d : docks) d->hide();
    };
    host.setToggleStatus = [this](int s) {
      const int old = status;
      status = s;
      return old;
    };
    tool = std::make_unique<CalTool>(host);
    tool->awakeFromNib();
    NotificationCenter::defaultCenter().addObserver(QStringLiteral("calculationOnEditModule"), &capture,
                                                    [this](Notification& n) {
                                                      programs << n.text.trimmed();
                                                      windows.push_back(mainWindowRef.load());
                                                    });
    window->resize(800, 600);
    window->show();
  }
  void TearDown() override {
    tool.reset();
    window.reset();
  }
  void build(const QString& text = QString::fromUtf8(kPanel)) {
    NotificationCenter::defaultCenter().post(QStringLiteral("buildAmModeObject"), text);
  }
  template <class T>
  T* control(const char* name) {
    return qobject_cast<T*>(tool->control(QString::fromLatin1(name)));
  }
  void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods,
             Qt::MouseButtons buttons = Qt::LeftButton) {
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton, buttons, mods);
    QApplication::sendEvent(w, &e);
  }

  std::unique_ptr<QMainWindow> window;
  QTextEdit* doc = nullptr;
  DeskToolHost host;
  std::vector<QDockWidget*> docks;
  int status = 0;
  std::unique_ptr<CalTool> tool;
  QObject capture;
  QStringList programs;
  std::vector<const void*> windows;
};

TEST_F(ControlPanel, ABuiltPanelShowsEachControlAtItsFrameAndRunsItsPrograms) {
  build();
  EXPECT_TRUE(tool->isOpen());
  EXPECT_EQ(status, CalTool::kToggleStatus);
  ASSERT_TRUE(tool->amModeBox());
  EXPECT_EQ(tool->amModeBox()->title(), "Tools");
  EXPECT_EQ(tool->amModeBox()->size(), QSize(300, 120));
  EXPECT_EQ(programs, QStringList({"run_init"}));
  ASSERT_EQ(tool->entries().size(), 8u);

  auto* go = control<AmModeButton>("go");
  ASSERT_TRUE(go);
  EXPECT_EQ(go->geometry(), QRect(10, 20, 80, 24));
  EXPECT_EQ(go->text(), "Go");
  EXPECT_EQ(go->kind(), AmModeButton::Kind::Push);
  EXPECT_EQ(go->tag(), 0);
  EXPECT_EQ(control<AmModeButton>("sw")->kind(), AmModeButton::Kind::Switch);
  EXPECT_EQ(control<AmModeButton>("sw")->geometry(), QRect(100, 20, 60, 20));
  EXPECT_EQ(control<AmModeTextField>("field")->geometry(), QRect(10, 50, 120, 22));
  EXPECT_EQ(control<AmModeSlider>("slider")->geometry(), QRect(140, 50, 150, 20));
  EXPECT_EQ(control<AmModeButton>("drop")->tag(), 1);
  EXPECT_EQ(control<AmModeImageView>("image")->scaling(), 2);

  programs.clear();
  QTest::mouseClick(go, Qt::LeftButton);
  EXPECT_EQ(programs, QStringList({"run_go"}));
  EXPECT_EQ(windows.back(), static_cast<const void*>(window.get()));
  QTest::mouseClick(control<AmModeButton>("drop"), Qt::LeftButton);  // no Prog: nothing
  auto* field = control<AmModeTextField>("field");
  field->setFocus();
  QTest::keyClick(field, Qt::Key_A);
  EXPECT_EQ(programs, QStringList({"run_go"}));  // only Return acts
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(programs, QStringList({"run_go", "run_field"}));
  auto* slider = control<AmModeSlider>("slider");
  QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(140, 10));
  EXPECT_EQ(programs.back(), "run_slider");

  // Scaling "None": a click runs nothing; "ToFit" runs the program.
  programs.clear();
  QTest::mouseClick(control<AmModeImageView>("image"), Qt::LeftButton);
  EXPECT_TRUE(programs.isEmpty());
  QTest::mouseClick(control<AmModeImageView>("fit"), Qt::LeftButton);
  EXPECT_EQ(programs, QStringList({"run_fit"}));
}

TEST_F(ControlPanel, ADefinitionWithoutItsClosingTagChangesNothing) {
  build();
  QWidget* go = tool->control(QStringLiteral("go"));
  tool->closeAmModeSheet();
  build(QStringLiteral("<AmMode>\n<BoxSize> 10 10\n<Button>\n<Name> x\n</Button>\n"));
  EXPECT_FALSE(tool->isOpen());
  EXPECT_EQ(tool->control(QStringLiteral("go")), go);
  EXPECT_FALSE(tool->control(QStringLiteral("x")));
  SheetCanOpen = 0;
  build(QStringLiteral("<AmMode>\n<Button>\n<Name> x\n</Button>\n</AmMode>"));
  EXPECT_FALSE(tool->isOpen());  // rebuilt, but the drawer stays shut
  EXPECT_TRUE(tool->control(QStringLiteral("x")));
  SheetCanOpen = 1;
}

TEST_F(ControlPanel, CommandsAnswerTheirShapesOrFailWithTheirMessages) {
  build();
  Program p;
  p.text("go");
  ASSERT_EQ(p.call("cal_getAmModeButtonFrame", 1), 1);
  EXPECT_EQ(p.topReals(), (std::vector<double>{10, 20, 80, 24}));  // the first "go"
  p.text("go");
  p.row({12, 25, 70, 30});
  ASSERT_EQ(p.call("cal_setAmModeButtonFrame", 2), 1);
  EXPECT_EQ(control<QWidget>("go")->geometry(), QRect(12, 25, 70, 30));
  p.text("go");
  p.row({1e30, 0, -5, 10});
  ASSERT_EQ(p.call("cal_setAmModeButtonFrame", 2), 1);
  EXPECT_EQ(control<QWidget>("go")->geometry(), QRect(100000, 0, 0, 10));
  p.text("go");
  p.text("Stop");
  ASSERT_EQ(p.call("cal_setAmModeButtonTitle", 2), 1);
  p.text("go");
  ASSERT_EQ(p.call("cal_getAmModeButtonTitle", 1), 1);
  EXPECT_EQ(p.topString(), "Stop");

  p.text("sw");
  p.number(1);
  ASSERT_EQ(p.call("cal_setAmModeButtonStatus", 2), 1);
  p.text("sw");
  ASSERT_EQ(p.call("cal_getAmModeButtonStatus", 1), 1);
  EXPECT_EQ(p.topReals(), (std::vector<double>{1}));

  p.text("field");
  p.text("new text");
  ASSERT_EQ(p.call("cal_setStringOfAmModeTextField", 2), 1);
  p.text("field");
  ASSERT_EQ(p.call("cal_getStringOfAmModeTextField", 1), 1);
  EXPECT_EQ(p.topString(), "new text");

  p.text("slider");
  ASSERT_EQ(p.call("cal_getSliderValueOfAmMode", 1), 1);
  EXPECT_EQ(p.topReals(), (std::vector<double>{0, 2.5, 10}));
  p.text("slider");
  p.number(10);
  ASSERT_EQ(p.call("cal_setMaxValueToSliderButton", 2), 1);
  EXPECT_EQ(control<AmModeSlider>("slider")->tickMarks(), 11);
  p.text("slider");
  p.row({-1, 0.123456, 2000});
  ASSERT_EQ(p.call("cal_setMinNowMaxValueToSliderButton", 2), 1);
  EXPECT_EQ(control<AmModeSlider>("slider")->tickMarks(), 0);  // 2,002 marks: none
  p.text("slider");
  ASSERT_EQ(p.call("cal_getSliderValueOfAmMode", 1), 1);
  EXPECT_EQ(p.topReals(), (std::vector<double>{-1, 0.123456, 2000}));
  p.text("field");
  p.number(3);
  EXPECT_EQ(p.call("cal_setNowValueToSliderButton", 2), 1);  // not a slider: nothing happens

  struct Failure {
    const char* command;
    std::vector<std::string> texts;
    std::vector<double> numbers;
    const char* message;
  };
  const Failure failures[] = {
      {"cal_getAmModeButtonFrame", {"absent"}, {}, "Can not find Button"},
      {"cal_setAmModeButtonStatus", {"field"}, {1}, "No Switch Button"},
      {"cal_getAmModeButtonStatus", {"absent"}, {}, "Can not find Button"},
      {"cal_setAmModeButtonTitle", {"field", "t"}, {}, "No AmMode Button"},
      {"cal_getStringOfAmModeTextField", {"go"}, {}, "No TextField Button"},
      {"cal_getSliderValueOfAmMode", {"go"}, {}, "No Slider Button"},
      {"cal_setAmModeImageViewScaling", {"absent", "None"}, {}, "Can not find ImageView Button"},
      {"cal_setAmModeImageViewMagFactor", {"go"}, {2}, "No ImageView Button"},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.command);
    for (const std::string& t : f.texts) p.text(t);
    if (!f.numbers.empty()) p.number(f.numbers[0]);
    const int argc = static_cast<int>(f.texts.size() + f.numbers.size());
    EXPECT_EQ(p.call(f.command, argc), 0);
    EXPECT_EQ(ResultString, std::string("...<Error>...") + f.message + "\n");
  }

  // The picture command's name reaches its observer after the bridge has put the picture on
  // the clipboard.
  ResultString.clear();
  pv_ErrorCheck = 0;
  EXPECT_EQ(cal_callNotification("cal_setImageToAmModeButton", "go"), 0);
  EXPECT_EQ(ResultString, "...<Error>...Can not find ImageView Button\n");

  // Unknown names on run and slider setters: nothing happens, and no failure.
  programs.clear();
  p.text("absent");
  EXPECT_EQ(p.call("cal_runAmModeButton", 1), 1);
  p.text("go");
  EXPECT_EQ(p.call("cal_runAmModeButton", 1), 1);
  EXPECT_EQ(programs, QStringList({"run_go"}));

  // The drawer's text view takes the document commands.
  p.text("abc");
  ASSERT_EQ(p.call("cal_insertTextToAmModeDoc", 1), 1);
  p.number(0);
  ASSERT_EQ(p.call("cal_getAllAmModeDoc", 1), 1);
  EXPECT_EQ(p.topString(), "abc");
  p.number(0);
  ASSERT_EQ(p.call("cal_getAmModeDocLength", 1), 1);
  EXPECT_EQ(p.topReals(), (std::vector<double>{0, 3}));
}

TEST_F(ControlPanel, ImagesGoThroughTheClipboardAndZoomAndPan) {
  build();
  auto* view = control<AmModeImageView>("image");
  QImage picture(80, 80, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  for (int y = 20; y < 60; ++y)
    for (int x = 20; x < 60; ++x) picture.setPixel(x, y, qRgb(255, 0, 0));
  Program p;
  ASSERT_EQ(DoCopyPictureToScrap(Picture::fromImage(picture).bytes()), 1);
  // The bridge puts the picture on the clipboard, then posts the name.
  ASSERT_EQ(cal_callNotification("cal_setImageToAmModeButton", "image"), 1);
  ASSERT_EQ(view->image().size(), QSize(80, 80));

  // Magnification 1, no pan: the image's centre at its own size (the view is 40 x 40).
  QImage shown = view->grab().toImage();
  EXPECT_EQ(QColor(shown.pixel(1, 1)), QColor(Qt::red));
  p.text("image");
  p.number(0.25);
  ASSERT_EQ(p.call("cal_setAmModeImageViewMagFactor", 2), 1);
  EXPECT_EQ(view->magnification(), 0.25);
  EXPECT_EQ(tool->entryOf(view)->magnification, 0.25);
  shown = view->grab().toImage();
  EXPECT_EQ(QColor(shown.pixel(20, 20)), QColor(Qt::red));  // the middle
  EXPECT_EQ(QColor(shown.pixel(12, 20)), QColor(Qt::blue));  // a quarter scale shows the rim
  // A drag without Alt pans by the movement, and runs nothing.
  programs.clear();
  mouse(view, QEvent::MouseButtonPress, QPoint(20, 20), {});
  mouse(view, QEvent::MouseMove, QPoint(30, 20), {});
  mouse(view, QEvent::MouseButtonRelease, QPoint(30, 20), {}, Qt::NoButton);
  EXPECT_EQ(view->panOffset(), QPointF(-10, 0));
  EXPECT_TRUE(programs.isEmpty());
  EXPECT_EQ(AmModeImageView::zoomSourceRect(QSizeF(80, 80), QSizeF(40, 40), 2, QPointF(-10, 0)),
            QRectF(25, 30, 20, 20));

  // And back: the view's picture goes to the clipboard for the bridge.
  p.text("fit");
  EXPECT_EQ(p.call("cal_getImageFromAmModeButton", 1), 0);  // no image there
  p.text("image");
  ASSERT_EQ(p.call("cal_getImageFromAmModeButton", 1), 1);
  EXPECT_EQ(p.stack[p.sp - 1].type, kValuePicture);
  EXPECT_EQ(Picture(pictureFromClipboard()).toImage().size(), QSize(80, 80));
}

TEST_F(ControlPanel, ADropOfTwoFilesLeavesBothPathsBeforeTheDropProgramRuns) {
  build();
  auto* target = control<AmModeButton>("drop");
  auto* plain = control<AmModeButton>("go");
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")), QUrl::fromLocalFile(QStringLiteral("/tmp/c.png"))});
  QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
  QApplication::sendEvent(plain, &refused);
  EXPECT_FALSE(refused.isAccepted());
  EXPECT_FALSE(plain->isDown());
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
  QApplication::sendEvent(target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  EXPECT_TRUE(target->isDown());

  QStringList pathsWhenRun;
  QObject watcher;
  NotificationCenter::defaultCenter().addObserver(QStringLiteral("calculationOnEditModule"), &watcher,
                                                  [&](Notification&) {
                                                    pathsWhenRun << QString::fromStdString(dragedFilePathString());
                                                  });
  programs.clear();
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
  QApplication::sendEvent(target, &drop);
  EXPECT_FALSE(target->isDown());
  EXPECT_TRUE(programs.isEmpty());  // after the drag has ended
  EXPECT_TRUE(becomesEqual([&] { return programs; }, QStringList({"run_drop"})));
  EXPECT_EQ(pathsWhenRun, QStringList({"/tmp/a b.txt\n/tmp/c.png\n"}));
}

TEST_F(ControlPanel, AnAltDragRewritesTheFrameLineInTheMainMemo) {
  doc->setPlainText(QString::fromUtf8(kPanel));
  doc->document()->setModified(false);
  build(doc->toPlainText());
  auto* go = control<AmModeButton>("go");
  programs.clear();
  // An Alt-click shows the block.
  mouse(go, QEvent::MouseButtonPress, QPoint(5, 5), Qt::AltModifier);
  mouse(go, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::AltModifier, Qt::NoButton);
  EXPECT_EQ(doc->textCursor().position(), doc->toPlainText().indexOf(QStringLiteral("<Button>\n<Name> go")));
  EXPECT_EQ(doc->toPlainText(), QString::fromUtf8(kPanel));
  EXPECT_TRUE(programs.isEmpty());

  mouse(go, QEvent::MouseButtonPress, QPoint(5, 5), Qt::AltModifier);
  mouse(go, QEvent::MouseMove, QPoint(5, 10), Qt::AltModifier);
  mouse(go, QEvent::MouseButtonRelease, QPoint(5, 10), Qt::AltModifier, Qt::NoButton);
  EXPECT_EQ(go->geometry(), QRect(10, 25, 80, 24));
  EXPECT_TRUE(programs.isEmpty());
  const QString text = doc->toPlainText();
  EXPECT_TRUE(text.contains(QStringLiteral("<Name> go\n<Frame>\t\t10\t25\t80\t24\n<Title> Go\n")));
  EXPECT_TRUE(text.contains(QStringLiteral("<Frame> 0 0 5 5\n")));  // the second "go" stays
  EXPECT_EQ(doc->textCursor().position(), text.indexOf(QStringLiteral("<Frame>\t\t10")));
  EXPECT_TRUE(window->isWindowModified());
  doc->undo();
  EXPECT_EQ(doc->toPlainText(), QString::fromUtf8(kPanel));  // one undoable edit
}

TEST_F(ControlPanel, ScriptButtonsAndTheDrawer) {
  Program p;
  p.number(11);
  p.text("t");
  p.text("s");
  p.call("cal_setAmModeSheetMenuButton", 3);
  for (int tag = 0; tag < 10; ++tag) {
    EXPECT_EQ(tool->toolMenuButton(tag)->text(), QString::number(tag + 1));
    EXPECT_EQ(tool->menuScriptFileName(tag), "");
  }
  QTest::mouseClick(tool->toolMenuButton(0), Qt::LeftButton);  // no script: nothing runs
  EXPECT_TRUE(programs.isEmpty());
  p.number(2);
  p.text("Calc");
  p.text("x=1+2");
  ASSERT_EQ(p.call("cal_setAmModeSheetMenuButton", 3), 1);
  EXPECT_EQ(tool->toolMenuButton(1)->text(), "Calc");
  EXPECT_EQ(tool->menuScriptFileName(1), "x=1+2");
  QTest::mouseClick(tool->toolMenuButton(1), Qt::LeftButton);
  EXPECT_EQ(programs, QStringList({"x=1+2"}));
  p.number(0);
  ASSERT_EQ(p.call("cal_toggleAmModeSheet", 1), 1);
  EXPECT_TRUE(tool->isOpen());
  p.number(0);
  ASSERT_EQ(p.call("cal_toggleAmModeSheet", 1), 1);
  EXPECT_FALSE(tool->isOpen());

  // The box command retitles and resizes the built box; the text view stays below it.
  build();
  p.text("Renamed");
  p.row({250, 90});
  ASSERT_EQ(p.call("cal_setAmModeBox", 2), 1);
  EXPECT_EQ(tool->amModeBox()->title(), "Renamed");
  EXPECT_EQ(tool->amModeBox()->geometry(), QRect(8, 70, 250, 90));
  EXPECT_GE(tool->amModeTextView()->y(), 70 + 90);
}

TEST_F(ControlPanel, AnAttributedTitleAndADocumentFromTheCommandFolder) {
  build();
  Program p;
  p.text("go");
  p.text("Big");
  p.text("Sans");
  p.row({0, 18, 1, 0, 0.5});
  ASSERT_EQ(p.call("cal_setAmModeButtonTitle_X", 4), 1);
  auto* go = control<AmModeButton>("go");
  EXPECT_EQ(go->text(), "Big");
  EXPECT_EQ(go->textAlignment(), Qt::AlignLeft);
  ASSERT_TRUE(go->titleFont());
  EXPECT_EQ(go->titleFont()->pointSizeF(), 18);
  EXPECT_EQ(go->titleColour(), QColor::fromRgbF(1, 0, 0.5f));

  ASSERT_TRUE(QDir().mkpath(paths::commandScripts()));
  QTextDocument written;
  written.setPlainText(QStringLiteral("line one\nline two"));
  ASSERT_TRUE(writeRtfFile(paths::commandScripts() + QStringLiteral("/help.rtf"), written).ok);
  tool->amModeTextView()->setPlainText(QStringLiteral("old"));
  p.text("missing.rtf");
  ASSERT_EQ(p.call("cal_loadDocToAmModeTextView", 1), 1);
  EXPECT_EQ(tool->amModeTextView()->toPlainText(), "old");
  p.text("help.rtf");
  ASSERT_EQ(p.call("cal_loadDocToAmModeTextView", 1), 1);
  EXPECT_EQ(tool->amModeTextView()->toPlainText(), "line one\nline two");
  EXPECT_EQ(tool->amModeTextView()->textCursor().position(), 17);

  // A definition file builds the panel it holds.
  QTextDocument definition;
  definition.setPlainText(QStringLiteral("<AmMode>\n<BoxSize> 100 50\n<Button>\n<Name> only\n</Button>\n</AmMode>"));
  ASSERT_TRUE(writeRtfFile(paths::commandScripts() + QStringLiteral("/panel.rtf"), definition).ok);
  p.text("panel.rtf");
  ASSERT_EQ(p.call("cal_buildAmModeObject", 1), 1);
  ASSERT_EQ(tool->entries().size(), 1u);
  EXPECT_EQ(tool->entries()[0].name, "only");
}

// A program that builds a panel or runs a control gets the control's program run inside
// itself: it is posted from the program's own thread, after the panel's work on the GUI.
TEST_F(ControlPanel, ProgramsAskedForByAProgramArePostedFromItsThread) {
  std::vector<std::pair<QString, QThread*>> posted;
  std::mutex m;
  QObject watcher;
  NotificationCenter::defaultCenter().addObserver(
      QStringLiteral("calculationOnEditModule"), &watcher,
      [&](Notification& n) {
        std::lock_guard lock(m);
        posted.emplace_back(n.text.trimmed(), QThread::currentThread());
      },
      Delivery::PostingThread);
  ASSERT_TRUE(QDir().mkpath(paths::commandScripts()));
  QTextDocument definition;
  definition.setPlainText(QString::fromUtf8(kPanel));
  ASSERT_TRUE(writeRtfFile(paths::commandScripts() + QStringLiteral("/panel.rtf"), definition).ok);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    // As the bridge posts cal_buildAmModeObject("panel.rtf").
    NotificationCenter::defaultCenter().post(QStringLiteral("buildAmModeObjectWithPath"), QStringLiteral("panel.rtf"));
    NotificationCenter::defaultCenter().post(QStringLiteral("cal_runAmModeButton"), QStringLiteral("go"));
    done = true;
  });
  // A failed wait ends the run with the worker still posting: loud, not silent.
  ASSERT_TRUE(becomesTrue([&] { return done.load(); }));
  worker.join();
  std::lock_guard lock(m);
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].first, "run_init");
  EXPECT_EQ(posted[1].first, "run_go");
  EXPECT_NE(posted[0].second, QThread::currentThread());
  EXPECT_NE(posted[1].second, QThread::currentThread());
  EXPECT_FALSE(control<AmModeButton>("go")->isDown());
}

}  // namespace
