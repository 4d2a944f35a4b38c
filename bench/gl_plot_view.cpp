// Frame time of an OpenGL plot view: a 200 by 200 parametric surface in a 640 by 480 view,
// drawn with coloured faces and lines, then with lit faces, beside an empty frame (clear only)
// in the same run. Argument 0 draws into the view's buffer and waits for the drawing to finish;
// 1 has the window paint, compose and swap as it does on screen. Target: 33 ms a frame or less
// with LP_NUM_THREADS=2 under llvmpipe.
// What a window costs while nothing moves in it: BM_StillWindowCpu keeps a window of a 300 by
// 300 surface open, as a program leaves it, for 10 s of the event loop and reports the share
// of one core the process used (target: under 2%); BM_GuiAnswerBesideStillWindow times how
// long a program's thread waits for the GUI thread to answer beside a still 1000 by 1000
// surface (what a memo program's result waits for).
// It needs an X display with OpenGL:
//   LP_NUM_THREADS=2 xvfb-run -a -s "-screen 0 1600x1200x24" build/bench/bench_gl_plot_view

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QTimer>
#include <QWindow>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "graphics/gl/gl_plot_data.h"
#include "graphics/ui/gl/basic_opengl_view.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/gl_window_list.h"
#include "graphics/ui/gl/gl_window_manager.h"
#include "graphics/ui/gl/vk_opengl_window.h"

namespace {

using namespace pravella::gl;

// A rippled sheet of n by n vertices, in the window `title`.
void openSurface(int n, const char* title = "Bench") {
  std::vector<double> x(n * n), y(n * n), z(n * n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const double u = -3 + 6.0 * c / (n - 1), v = -3 + 6.0 * r / (n - 1);
      x[r * n + c] = u;
      y[r * n + c] = v;
      z[r * n + c] = std::sin(u * 2) * std::cos(v * 2);
    }
  const double range[] = {0, 0};
  openGLWindow(z.data(), x.data(), y.data(), z.data(), range, n, n, title, {});
}

BasicOpenGLView* benchView() {
  static BasicOpenGLView* view = [] {
    openSurface(200);
    vkOpenGLWindow* window = findWindowFromGLWindowList("Bench");
    window->sizeGLWindow(640, 480);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000 &&
           !(window->window()->windowHandle() && window->window()->windowHandle()->isExposed()))
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    BasicOpenGLView* v = window->imageView();
    v->animate();  // no frames from the timer: only the ones timed here
    return v;
  }();
  return view;
}

// planes, points, lines, colour, light, box
void frames(benchmark::State& state, int planes, int lines, int colour, int light, int box) {
  BasicOpenGLView* view = benchView();
  view->setPlaneSwitch(planes);
  view->setPointSwitch(0);
  view->setLineSwitch(lines);
  view->setColorSwitch(colour);
  view->setBoxSwitch(box);
  if ((view->switches()[4] == 1) != (light == 1)) {
    QKeyEvent k(QEvent::KeyPress, Qt::Key_0, Qt::NoModifier, QStringLiteral("0"));
    QApplication::sendEvent(view, &k);
  }
  const int before = view->framesDrawn();
  if (state.range(0) == 0) {
    // Drawn into the view's buffer and finished.
    for (auto _ : state) {
      view->renderFrame();
      view->makeCurrent();
      view->context()->functions()->glFinish();
      view->doneCurrent();
    }
  } else {
    // Drawn and shown in the window: the window's own paint, composition and swap.
    for (auto _ : state) {
      const int n = view->framesDrawn();
      view->update();
      while (view->framesDrawn() == n) QCoreApplication::processEvents();
    }
  }
  state.counters["frames"] = view->framesDrawn() - before;
}

void BM_EmptyFrame(benchmark::State& state) { frames(state, 0, 0, 0, 0, 0); }
void BM_ColouredFacesAndLines(benchmark::State& state) { frames(state, 1, 1, 1, 0, 1); }
void BM_LitFaces(benchmark::State& state) { frames(state, 1, 0, 0, 1, 1); }

// The window of `title` on screen with an n by n surface and its first frames drawn, as a
// program leaves it (animation on, nothing flung).
vkOpenGLWindow* stillWindow(const char* title, int n) {
  if (vkOpenGLWindow* open = findWindowFromGLWindowList(title)) return open;
  openSurface(n, title);
  vkOpenGLWindow* window = findWindowFromGLWindowList(title);
  window->sizeGLWindow(n == 300 ? 300 : 640, n == 300 ? 300 : 480);
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 5000 && window->imageView()->framesDrawn() == 0)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return window;
}

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The event loop runs for 10 s beside a still window; the counter is the process's CPU time
// over those 10 s as a share of one core, in percent.
void BM_StillWindowCpu(benchmark::State& state) {
  vkOpenGLWindow* window = stillWindow("Still", 300);
  // Let the opening's own frames and events settle first.
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  const int framesBefore = window->imageView()->framesDrawn();
  double percent = 0;
  for (auto _ : state) {
    const double cpu = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    percent = 100.0 * (processCpuSeconds() - cpu) / (static_cast<double>(wall.elapsed()) / 1000.0);
  }
  state.counters["core_percent"] = percent;
  state.counters["frames"] = window->imageView()->framesDrawn() - framesBefore;
}

// A program's thread asks the GUI thread for an answer and waits, as every window command and
// every memo result does; a 1000 by 1000 surface stands still in its window meanwhile.
void BM_GuiAnswerBesideStillWindow(benchmark::State& state) {
  stillWindow("Large", 1000);
  for (auto _ : state) {
    QEventLoop loop;
    std::thread program([&loop] {
      QMetaObject::invokeMethod(
          qApp, [] {}, Qt::BlockingQueuedConnection);
      QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    program.join();
  }
}

BENCHMARK(BM_EmptyFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ColouredFacesAndLines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LitFaces)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StillWindowCpu)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_GuiAnswerBesideStillWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (!openGLWindowsAvailable()) {
    std::fputs("bench_gl_plot_view needs an X display with OpenGL (run it under xvfb-run).\n", stderr);
    return 1;
  }
  GLWindowManager manager(nullptr);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
