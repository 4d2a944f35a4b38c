// The finder sheet's browser showing a column for a folder of 10,000 entries (files, folders
// and links), as a click or a program's path shows it: the listing and the column's widget.
// Target: under 0.3 s.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>

#include "tools/finder/fs_node_info.h"
#include "tools/finder/ui/fs_browser.h"

namespace {

struct Folder {
  QTemporaryDir dir;
  QString big;
  Folder() {
    big = dir.path() + QStringLiteral("/big");
    QDir().mkpath(big);
    for (int i = 0; i < 10000; ++i) {
      const QString path = big + QStringLiteral("/entry%1").arg(i, 5, 10, QLatin1Char('0'));
      if (i % 10 == 0) {
        QDir().mkpath(path);
      } else if (i % 10 == 1) {
        QFile::link(big + QStringLiteral("/entry00002.txt"), path + QStringLiteral(".lnk"));
      } else {
        QFile file(path + QStringLiteral(".txt"));
        if (file.open(QIODevice::WriteOnly)) file.write("x");
      }
    }
  }
};

Folder& folder() {
  static Folder f;
  return f;
}

void BM_ListVisibleEntries(benchmark::State& state) {
  const QString big = folder().big;
  for (auto _ : state) benchmark::DoNotOptimize(pravella::listVisibleEntries(big).size());
}

void BM_BrowserShowsTheColumn(benchmark::State& state) {
  const QString big = folder().big;
  FSBrowser browser;
  browser.resize(600, 300);
  browser.show();
  for (auto _ : state) {
    browser.setPath(big);
    // Laid out and painted as the user sees it.
    browser.columnView(browser.columnCount() - 1)->grab();
  }
}

}  // namespace

BENCHMARK(BM_ListVisibleEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BrowserShowsTheColumn)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
