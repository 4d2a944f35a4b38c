// Picture sub-windows opened by programs under titles: placed beside the main window, found
// again by exact title, moved, sized and closed by title or by hand.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <string>

#include "imaging/ui/imaging_window_manager.h"
#include "imaging/ui/sub_window_list.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"

namespace {

using namespace pravella::imaging;

std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

// A 2 by 2 picture whose left column is black (level 0) or light grey (level 1, red 254).
std::string show(const std::string& title, int level, const std::string& name = "openPictWindow") {
  const std::string row = level ? "|1, 0| |1, 0|" : "|0, 1| |0, 1|";
  return run("RGB = popRGBColor(\"mono\"); p# = densityPlot(" + row + ", |1, 0|); " + name + "(p#, \"" +
             title + "\");");
}

class PictureWindows : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    main_.setGeometry(100, 60, 300, 200);
    main_.show();
  }
  void TearDown() override {
    closeAllPictWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QPoint besideMain() const {
    return {main_.frameGeometry().x() + main_.frameGeometry().width() + 5, main_.frameGeometry().y()};
  }

  QMainWindow main_;
  ImagingWindowManager manager_{&main_};
};

TEST_F(PictureWindows, OneTitleTwiceIsOneWindowShowingTheSecondPicture) {
  ASSERT_EQ(show("A", 0), ".OK.\n");
  QPointer<SubWindow> first = findWindowFromSubWindowList("A");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->window()->windowTitle(), "A");
  EXPECT_TRUE(first->window()->isVisible());
  EXPECT_EQ(first->window()->frameGeometry().topLeft(), besideMain());
  EXPECT_EQ(first->window()->size(), QSize(2, 2));
  EXPECT_EQ(qRed(first->imageView()->image().pixel(0, 0)), 0);

  ASSERT_EQ(show("A", 1, "showPicture"), ".OK.\n");
  EXPECT_EQ(subWindowList().size(), 1);
  EXPECT_EQ(findWindowFromSubWindowList("A"), first.data());
  EXPECT_EQ(qRed(first->imageView()->image().pixel(0, 0)), 254);
}

TEST_F(PictureWindows, TitlesDifferingInCaseAreTwoWindows) {
  for (const char* name : {"openPictWindow", "pictToWin", "pictToWindow", "setPictureToWindow",
                           "setPictToWin", "showPict", "showPicture"}) {
    ASSERT_EQ(show("A", 0, name), ".OK.\n") << name;
    ASSERT_EQ(show("a", 1, name), ".OK.\n") << name;
    EXPECT_EQ(subWindowList().size(), 2) << name;
    EXPECT_NE(findWindowFromSubWindowList("A"), findWindowFromSubWindowList("a")) << name;
  }
}

TEST_F(PictureWindows, MoveCountsDownFromTheMainWindowsTopAndSizeSetsTheContent) {
  ASSERT_EQ(show("A", 0), ".OK.\n");
  QWidget* window = findWindowFromSubWindowList("A")->window();
  struct Case {
    double x, y;
  };
  for (const Case& c : {Case{0, 0}, Case{40, 25}, Case{7.9, -10}}) {
    ASSERT_EQ(run("movePictWindow(\"A\", |" + std::to_string(c.x) + ", " + std::to_string(c.y) + "|);"),
              ".OK.\n");
    EXPECT_EQ(window->frameGeometry().topLeft(),
              QPoint(static_cast<int>(c.x), main_.frameGeometry().top() + static_cast<int>(c.y)));
  }
  ASSERT_EQ(run("sizePictWindow(\"A\", |120, 80|);"), ".OK.\n");
  EXPECT_EQ(window->size(), QSize(120, 80));
}

TEST_F(PictureWindows, CloseByTitleAllAndByHand) {
  ASSERT_EQ(show("A", 0), ".OK.\n");
  ASSERT_EQ(show("B", 0), ".OK.\n");
  ASSERT_EQ(show("C", 0), ".OK.\n");
  ASSERT_EQ(run("closePictWindow(\"B\"); closePictWindow(\"nothing\");"), ".OK.\n");
  EXPECT_EQ(subWindowList().size(), 2);
  EXPECT_FALSE(findWindowFromSubWindowList("B"));
  ASSERT_EQ(run("closeAllPictWindow(0); closeAllPictWindow(0);"), ".OK.\n");
  EXPECT_EQ(subWindowList().size(), 0);

  // By hand: the title goes, and the next picture under it opens at the default place.
  ASSERT_EQ(show("A", 0), ".OK.\n");
  QPointer<SubWindow> a = findWindowFromSubWindowList("A");
  ASSERT_EQ(run("movePictWindow(\"A\", |0, 0|);"), ".OK.\n");
  a->window()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(a);
  EXPECT_EQ(subWindowList().size(), 0);
  ASSERT_EQ(show("A", 0), ".OK.\n");
  EXPECT_EQ(findWindowFromSubWindowList("A")->window()->frameGeometry().topLeft(), besideMain());
}

TEST_F(PictureWindows, CtrlCCopiesTheShownPicture) {
  ASSERT_EQ(show("A", 1), ".OK.\n");
  SubWindow* a = findWindowFromSubWindowList("A");
  QApplication::clipboard()->clear();
  a->window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(a->window()));
  QTest::keyClick(a->window(), Qt::Key_C, Qt::ControlModifier);
  const QImage copied = QApplication::clipboard()->image();
  ASSERT_EQ(copied.size(), QSize(2, 2));
  EXPECT_EQ(qRed(copied.pixel(0, 0)), 254);
}

TEST_F(PictureWindows, ANewWindowStaysOnTheScreenWhereTheMainWindowLeavesNoRoomBesideIt) {
  const QRect available = main_.screen()->availableGeometry();
  const struct {
    const char* name;
    QRect main;
    bool leftOfMain;
  } cases[] = {
      {"main window at the screen's right edge", {available.right() + 1 - 290, 60, 290, 200}, true},
      {"main window as wide as the screen", {available.left() + 2, 60, available.width() - 4, 200}, false},
  };
  for (const auto& c : cases) {
    main_.setGeometry(c.main);
    ASSERT_EQ(show("A", 0), ".OK.\n") << c.name;
    const QRect frame = findWindowFromSubWindowList("A")->window()->frameGeometry();
    EXPECT_TRUE(available.contains(frame)) << c.name;
    // Left of the main window with the tops level, or else below it: never over it.
    EXPECT_FALSE(frame.intersects(main_.frameGeometry())) << c.name;
    EXPECT_EQ(frame.right() < main_.frameGeometry().left(), c.leftOfMain) << c.name;
    if (c.leftOfMain) {
      EXPECT_EQ(frame.top(), main_.frameGeometry().top()) << c.name;
    } else {
      EXPECT_GT(frame.top(), main_.frameGeometry().bottom()) << c.name;
    }
    closeAllPictWindow();
  }
}

TEST_F(PictureWindows, WrongArgumentsOpenNothing) {
  EXPECT_EQ(run("openPictWindow(|1, 2|, \"A\");"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("movePictWindow(\"A\", 3);"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(subWindowList().size(), 0);
}

TEST_F(PictureWindows, SizesBelowAPixelAreRefusedAndTooLargeOnesFitTheScreen) {
  ASSERT_EQ(show("A", 0), ".OK.\n");
  QWidget* window = findWindowFromSubWindowList("A")->window();
  ASSERT_EQ(run("movePictWindow(\"A\", |30, 40|); sizePictWindow(\"A\", |120, 80|);"), ".OK.\n");
  const QRect placed = window->geometry();
  for (const char* program :
       {"sizePictWindow(\"A\", |0, 0|);", "sizePictWindow(\"A\", |300, 0.5|);",
        "n = asin(2); sizePictWindow(\"A\", |n, 300|);", "n = asin(2); movePictWindow(\"A\", |n, 0|);"}) {
    EXPECT_EQ(run(program), "...<Error>...Invalid arguments.\n.NO.\n") << program;
    EXPECT_EQ(window->geometry(), placed) << program;
  }
  const QRect available = window->screen()->availableGeometry();
  ASSERT_EQ(run("sizePictWindow(\"A\", |1e+300, 1e+300|);"), ".OK.\n");
  EXPECT_EQ(window->frameGeometry(), available);
  ASSERT_EQ(run("sizePictWindow(\"A\", |120, 80|); movePictWindow(\"A\", |1e+300, -1e+300|);"), ".OK.\n");
  EXPECT_EQ(window->size(), QSize(120, 80));
  EXPECT_EQ(window->frameGeometry().topRight(), available.topRight());
}

}  // namespace
