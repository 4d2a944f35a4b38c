// The hand editors' panels driven as a user would, while a program waits for them on a worker.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "editors/run_worker.h"
#include "graphics/editors/density_plot_edit.h"
#include "graphics/editors/gr_edit.h"
#include "graphics/editors/point_digitiser.h"
#include "graphics/ui/editors/cal_dplot_edit.h"
#include "graphics/ui/editors/cal_get_pict_points.h"
#include "graphics/ui/editors/cal_gr_edit.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/cformat.h"
#include "platform/ui/elided_label.h"
#include "platform/ui/sound_player.h"
#include "support/dialog_watchdog.h"

namespace {

// The result text of a matrix as a memo shows it.
std::string matrixText(const std::vector<std::vector<double>>& rows) {
  std::string text;
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) text += (i ? " " : "") + pravella::cformat("%10.4f", row[i]);
    text += "\n";
  }
  return text;
}

void sendMouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, modifiers);
  QApplication::sendEvent(w, &event);
}

// A press at the first point, drags through the others, a release at the last.
void drag(QWidget* w, const std::vector<QPointF>& path) {
  sendMouse(w, QEvent::MouseButtonPress, path.front(), Qt::LeftButton);
  for (std::size_t i = 1; i < path.size(); ++i) sendMouse(w, QEvent::MouseMove, path[i], Qt::LeftButton);
  sendMouse(w, QEvent::MouseButtonRelease, path.back(), Qt::NoButton);
}

// A closed rectangular lasso through the corners (y down), back near the first.
std::vector<QPointF> lasso(QPointF a, QPointF b) {
  return {a, {b.x(), a.y()}, b, {a.x(), b.y()}, a + QPointF(1, 1)};
}

QPushButton* button(QWidget* panel, const QString& text) {
  for (QPushButton* b : panel->findChildren<QPushButton*>())
    if (b->text() == text) return b;
  ADD_FAILURE() << "no button " << text.toStdString();
  return nullptr;
}

class HandEditorPanels : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    pravella::setSoundRecorder([this](const QString& name) { sounds << name; });
  }
  void TearDown() override { pravella::setSoundRecorder({}); }

  // Runs the program on a worker; `act` is called once with the panel when it shows.
  std::string run(const std::string& program, QDialog* panel, const std::function<void()>& act,
                  bool shows = true) {
    pravella::RunWorker worker;
    std::string output;
    worker.submit([&] { output = pravella::runVkProgram(program).output(); });
    bool acted = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (acted || !panel->isVisible()) return;
      acted = true;
      act();
    });
    poll.start();
    worker.finish([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); });
    EXPECT_EQ(acted, shows) << "whether the panel showed";
    return output;
  }

  pravella::test::DialogWatchdog watchdog{
      {"pravella::CalGrEdit", "pravella::CalDPlotEdit", "pravella::CalGetPictPoints"}};
  QStringList sounds;
};

const char* kGraphData = "d = |1, 1| |2, 2| |3, 3| |4, 4| |5, 5| |6, 6|; ";

TEST_F(HandEditorPanels, GrEditReturnsTheRowsLassoedAndSelected) {
  pravella::CalGrEdit panel;
  const std::string out = run(std::string(kGraphData) + "grEdit(d, 1, 2);", &panel, [&] {
    auto* view = panel.imageView();
    const int H = view->height();
    const QPointF a = pravella::grEditViewPoint(2, 2), b = pravella::grEditViewPoint(4, 4);
    drag(view, lasso({a.x() - 8, H - a.y() + 8}, {b.x() + 8, H - b.y() - 8}));
    button(&panel, "Select")->click();
    button(&panel, "OK")->click();
  });
  EXPECT_EQ(out, matrixText({{2, 2}, {3, 3}, {4, 4}}) + ".OK.\n");
  // OK left what the user saw on the clipboard, as TIFF only.
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_EQ(mime->formats(), QStringList{"image/tiff"});
  EXPECT_TRUE(mime->data("image/tiff").startsWith("II*") || mime->data("image/tiff").startsWith("MM"));
}

TEST_F(HandEditorPanels, GrEditCancelledOrClosed) {
  pravella::CalGrEdit panel;
  for (const char* how : {"Cancel", "close"}) {
    SCOPED_TRACE(how);
    const std::string out = run(std::string(kGraphData) + "grEdit(d, |0, 2|);", &panel, [&] {
      if (std::string(how) == "close")
        panel.close();
      else
        button(&panel, "Cancel")->click();
    });
    EXPECT_EQ(out, "...<Error>...grEdit Canceled\n.NO.\n");
  }
}

TEST_F(HandEditorPanels, DensityPlotEditReturnsTheMaskFromTheTopLeft) {
  pravella::CalDPlotEdit panel;
  const std::string program = "o = |1, 2, 3, 4, 5|; d = o' * o; densityPlotEdit(d);";
  const std::string out = run(program, &panel, [&] {
    auto* view = panel.imageView();
    const auto& s = pravella::densityPlotEditState();
    const double fx = s.lasso.xFactor(), fy = s.lasso.yFactor();
    const int H = view->height();
    // Matrix pixels x 1..4, y 1..3 (y up): rows 1 and 2, columns 1 to 3 of the matrix.
    auto at = [&](double x, double y) { return QPointF(x / fx, H - y / fy); };
    drag(view, lasso(at(1.2, 1.2), at(4.2, 3.2)));
    button(&panel, "OK")->click();
  });
  EXPECT_EQ(
      out, matrixText({{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 1, 1, 1, 0}, {0, 1, 1, 1, 0}, {0, 0, 0, 0, 0}}) +
               ".OK.\n");
  const std::string cancelled = run(program, &panel, [&] { button(&panel, "Cancel")->click(); });
  EXPECT_EQ(cancelled, ".NO.\n");
}

TEST_F(HandEditorPanels, FlatDataFailsBeforeThePanelOpensAndSaysWhy) {
  pravella::CalDPlotEdit densityPanel;
  pravella::CalGetPictPoints pointsPanel;
  for (const char* call : {"densityPlotEdit(o' * o);", "densityPlotEdit2(o' * o);"}) {
    SCOPED_TRACE(call);
    const std::string program = std::string("o = |1, 1, 1, 1, 1|; ") + call;
    QDialog* panel = std::string(call).find('2') == std::string::npos ? static_cast<QDialog*>(&densityPanel)
                                                                      : static_cast<QDialog*>(&pointsPanel);
    EXPECT_EQ(run(
                  program, panel, [] {}, false),
              "...<Error>...The data is flat: give a range (maximum, minimum).\n.NO.\n");
  }
}

const char* kPicture =
    "restMN(|20, 9|); RGB = popRGBColor(\"mono\"); p# = densityPlot(|0, 1, 2| |2, 1, 0| |1, 1, 1|); ";

TEST_F(HandEditorPanels, GetPictPointsGivesBackWhatItWasGiven) {
  pravella::CalGetPictPoints panel;
  struct Case {
    const char* what;
    std::string args;
    bool close;
    std::string expected;
  };
  const Case cases[] = {
      {"points unchanged", "|3, 4| |10, 12| |20, 5|", false, matrixText({{3, 4}, {10, 12}, {20, 5}})},
      {"the close switch appends the first point", "|3, 4| |10, 12| |20, 5| |3, 4|", true,
       matrixText({{3, 4}, {10, 12}, {20, 5}, {3, 4}})},
      {"triangles with shared corners", "|1, 1, 7, 5, 1, 7, 3, 4, 7| |5, 1, 7, 3, 4, 7, 7, 4, 7|", false,
       matrixText({{1, 1, 0, 5, 1, 0, 3, 4, 0}, {5, 1, 0, 3, 4, 0, 7, 4, 0}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string out =
        run(std::string(kPicture) + "getPictPoints(p#, " + c.args + ", \"points\");", &panel, [&] {
          EXPECT_EQ(panel.windowTitle(), "points");
          if (c.close != panel.closeLineSwitch()->isChecked()) panel.closeLineSwitch()->click();
          button(&panel, "OK")->click();
        });
    EXPECT_EQ(out, c.expected + ".OK.\n");
  }
}

TEST_F(HandEditorPanels, GetPictPointsReturnsTheSmoothedLine) {
  pravella::CalGetPictPoints panel;
  const std::string out =
      run(std::string(kPicture) + "getPictPoints(p#, |1, 1| |3, 3| |5, 1|);", &panel, [&] {
        if (!panel.lineSwitch()->isChecked()) panel.lineSwitch()->click();
        if (panel.closeLineSwitch()->isChecked()) panel.closeLineSwitch()->click();
        panel.bSplineSlider()->setValue(1);
        panel.imageView()->repaint();
        button(&panel, "OK")->click();
      });
  panel.bSplineSlider()->setValue(0);
  // Five points through the three given, the line's halves splined between them.
  const std::vector<std::string> lines = [&] {
    std::vector<std::string> v;
    std::size_t at = 0, next;
    while ((next = out.find('\n', at)) != std::string::npos) {
      v.push_back(out.substr(at, next - at));
      at = next + 1;
    }
    return v;
  }();
  ASSERT_EQ(lines.size(), 6u) << out;
  EXPECT_EQ(lines[0] + "\n", matrixText({{1, 1}}));
  EXPECT_EQ(lines[2] + "\n", matrixText({{3, 3}}));
  EXPECT_EQ(lines[4] + "\n", matrixText({{5, 1}}));
  EXPECT_EQ(lines[5], ".OK.");
}

TEST_F(HandEditorPanels, TooFewPointsToSmoothComeBackAsTheyAre) {
  // A smoothed line of three points; the user deletes one: the two that remain are not
  // smoothed, and they are what comes back (closed: with the first again at the end).
  pravella::CalGetPictPoints panel;
  for (const bool close : {true, false}) {
    SCOPED_TRACE(close);
    const std::string out =
        run(std::string(kPicture) + "getPictPoints(p#, |3, 4| |10, 12| |20, 5|);", &panel, [&] {
          if (!panel.lineSwitch()->isChecked()) panel.lineSwitch()->click();
          if (close != panel.closeLineSwitch()->isChecked()) panel.closeLineSwitch()->click();
          panel.bSplineSlider()->setValue(1);
          // The view smooths the line when it paints, which it does once it is shown on the
          // screen: under load that comes later than the panel's showing.
          panel.imageView()->update();
          EXPECT_TRUE(
              QTest::qWaitFor([] { return !pravella::pointDigitiser().bSplineResult.empty(); }, 10000));
          // The point (20, 5) of the picture, at its place in the view.
          auto* view = panel.imageView();
          const double k = static_cast<double>(view->width()) / pravella::pointDigitiser().width_n;
          const QPointF at((20 - 1) * k, (5 - 1) * k);
          sendMouse(view, QEvent::MouseButtonPress, at, Qt::LeftButton);
          sendMouse(view, QEvent::MouseButtonRelease, at, Qt::NoButton);
          EXPECT_EQ(pravella::pointDigitiser().selectedPoint, std::vector<int>{2});
          button(&panel, "Delete")->click();
          panel.imageView()->repaint();
          button(&panel, "OK")->click();
        });
    panel.bSplineSlider()->setValue(0);
    EXPECT_EQ(out, matrixText(close ? std::vector<std::vector<double>>{{3, 4}, {10, 12}, {3, 4}}
                                    : std::vector<std::vector<double>>{{3, 4}, {10, 12}}) +
                       ".OK.\n");
  }
}

TEST_F(HandEditorPanels, ACancelledDigitiserKeepsItsPointsForLater) {
  pravella::CalGetPictPoints panel;
  const std::string out = run(std::string(kPicture) + "getPictPoints(p#, |3, 4| |10, 12|);", &panel, [&] {
    EXPECT_EQ(panel.windowTitle(), "getPictPoints");
    panel.close();
  });
  EXPECT_EQ(out, "...<Error>...getPictPoints Canceled\n.NO.\n");
  EXPECT_EQ(pravella::runVkProgram("getPictPointsData(0);").output(),
            matrixText({{3, 4}, {10, 12}}) + ".OK.\n");
}

TEST_F(HandEditorPanels, DensityPlotEdit2ReturnsTheMaskOfTheOutline) {
  pravella::CalGetPictPoints panel;
  const std::string out =
      run("o = |1, 2, 3, 4, 5|; densityPlotEdit2(o' * o, |2, 2| |4, 2| |4, 4| |2, 4|);", &panel, [&] {
        EXPECT_EQ(panel.windowTitle(), "densityPlotEdit2");
        button(&panel, "OK")->click();
      });
  EXPECT_EQ(
      out, matrixText({{0, 0, 0, 0, 0}, {0, 1, 1, 0, 0}, {0, 1, 1, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}) +
               ".OK.\n");
}

TEST_F(HandEditorPanels, ADoubleClickAddsAPointWhereTheUserClicked) {
  pravella::CalGetPictPoints panel;
  const std::string out = run(std::string(kPicture) + "getPictPoints(p#);", &panel, [&] {
    auto* view = panel.imageView();
    if (panel.lineSwitch()->isChecked()) panel.lineSwitch()->click();
    if (panel.triangleSwitch()->isChecked()) panel.triangleSwitch()->click();
    // The picture's pixel (column 2, row 3 from the top, both 1-based) at its centre.
    // The view shows the picture magnified by the smallest factor that makes it 256 tall.
    const auto& d = pravella::pointDigitiser();
    int magnification = 8;
    for (int m = 8; m >= 1; --m)
      if (d.height_m * m >= 256) magnification = m;
    EXPECT_EQ(view->size(), QSize(magnification * d.width_n, magnification * d.height_m));
    EXPECT_EQ(panel.magnification(), magnification - 1);
    const double k = static_cast<double>(view->width()) / d.width_n;
    const QPointF at((2 - 1 + 0.5) * k, (3 - 1 + 0.5) * k);
    sendMouse(view, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, at, Qt::NoButton);
    sendMouse(view, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, at, Qt::NoButton);
    button(&panel, "OK")->click();
  });
  // In pixels: x 1.5, y (height - 2.5), back as column 2.5 and row 3.5.
  EXPECT_EQ(out, matrixText({{2.5, 3.5}}) + ".OK.\n");
}

TEST_F(HandEditorPanels, DoubleClicksPastTheLimitSayItInTheStatusLine) {
  // The program fills the digitiser to one point below what clicks may reach: the first double
  // click places the last point, the second is refused and the status line says why.
  pravella::CalGetPictPoints panel;
  QString afterFirst, afterSecond;
  const std::string out = run(std::string(kPicture) + "getPictPoints(p#, M_Rand(9998, 2) * 3);", &panel, [&] {
    auto* view = panel.imageView();
    if (panel.lineSwitch()->isChecked()) panel.lineSwitch()->click();
    if (panel.triangleSwitch()->isChecked()) panel.triangleSwitch()->click();
    auto doubleClick = [&](QPointF at) {
      sendMouse(view, QEvent::MouseButtonPress, at, Qt::LeftButton);
      sendMouse(view, QEvent::MouseButtonRelease, at, Qt::NoButton);
      sendMouse(view, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
      sendMouse(view, QEvent::MouseButtonRelease, at, Qt::NoButton);
    };
    const QPointF middle(view->width() / 2.0, view->height() / 2.0);
    doubleClick(middle);
    afterFirst = panel.statusLine()->text();
    doubleClick(middle + QPointF(3, 3));
    afterSecond = panel.statusLine()->text();
    button(&panel, "OK")->click();
  });
  EXPECT_EQ(afterFirst, "");
  EXPECT_EQ(afterSecond,
            "Too many points: the digitiser holds at most 10000 (9999 placed, and the first again to close "
            "the line).");
  EXPECT_EQ(sounds, QStringList{"Basso"});
  EXPECT_EQ(out.substr(0, out.find('\n')), "MatrixSize[9999,2]");
}

TEST_F(HandEditorPanels, DensityPlotEdit2TakesATriangleWithARange) {
  pravella::CalGetPictPoints panel;
  const std::string out = run("o = |1, 2, 3, 4, 5|; densityPlotEdit2(o' * o, |25, 1|, |2, 2| |5, 2| |2, 5|);",
                              &panel, [&] { button(&panel, "OK")->click(); });
  EXPECT_EQ(
      out, matrixText({{0, 0, 0, 0, 0}, {0, 1, 1, 1, 0}, {0, 1, 1, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 0, 0, 0}}) +
               ".OK.\n");
}

}  // namespace
