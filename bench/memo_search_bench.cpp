// The month list's searches over ten years of diary: 3,652 day folders with two RTFD memos a
// day of about 1.5 KB of mixed Japanese and ASCII text, generated once under a temporary home.
// Times an all-years two-word content search and a name search through the scanner, one
// month's walk, and the memo database of every year; beside them grep -rlF for one word over
// the same tree, for comparison. Target: each under 1 s with a warm cache.

#include <benchmark/benchmark.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>

#include "diary/memo_database.h"
#include "diary/memo_scanner.h"
#include "diary/month_list.h"
#include "platform/paths.h"

namespace {

// A memo in the old text system's dialect: Japanese as \uN escapes, ASCII as it is.
QByteArray memoRtf(int serial) {
  static const char16_t* kJapanese[] = {u"今日は天気が良かった。", u"会議の議事録を書いた。", u"散歩で桜を見た。",
                                        u"新しい本を読み始めた。", u"夕食はカレーライス。"};
  QByteArray rtf =
      "{\\rtf1\\ansi\\ansicpg932\\cocoartf949\\cocoasubrtf540\n"
      "{\\fonttbl\\f0\\fnil\\fcharset128 HiraKakuProN-W3;\\f1\\fswiss\\fcharset0 Helvetica;}\n"
      "{\\colortbl;\\red255\\green255\\blue255;}\n"
      "\\pard\\tx566\\tx1133\\pardirnatural\n\\f0\\fs24 \\cf0 ";
  int line = 0;
  while (rtf.size() < 1500) {
    const QString jp = QString::fromUtf16(kJapanese[(serial + line) % 5]);
    for (QChar c : jp) rtf += "\\uc0\\u" + QByteArray::number(c.unicode()) + " ";
    rtf += QByteArray("\\f1  entry ") + QByteArray::number(serial % 997) + " weather note walk " +
           (line % 3 == 0 ? "alpha" : "beta") + QByteArray::number((serial + line) % 89) + "\\\n\\f0 ";
    ++line;
  }
  return rtf + "}";
}

struct Diary {
  QTemporaryDir home;
  Diary() {
    ::setenv("HOME", home.path().toUtf8().constData(), 1);
    int serial = 0;
    for (QDate d(2010, 1, 1); d < QDate(2020, 1, 1); d = d.addDays(1)) {
      const QString folder = pravella::paths::dayFolder(d.year(), d.month(), d.day());
      for (int k = 0; k < 2; ++k, ++serial) {
        const QString package = folder + QStringLiteral("/memo %1.rtfd").arg(serial);
        QDir().mkpath(package);
        QFile f(package + QStringLiteral("/TXT.rtf"));
        if (!f.open(QIODevice::WriteOnly)) std::abort();
        f.write(memoRtf(serial));
      }
    }
  }
};

Diary& diary() {
  static int argc = 1;
  static char name[] = "bench_memo_search";
  static char* argv[] = {name, nullptr};
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QGuiApplication app(argc, argv);
  static Diary tree;
  return tree;
}

void BM_ContentSearchTwoWordsAllYears(benchmark::State& state) {
  diary();
  const QStringList scopes = pravella::allMemoScopes(false);
  size_t hits = 0;
  for (auto _ : state) hits = pravella::MemoScanner::scanNow(scopes, {"天気", "alpha17"}, pravella::MemoSearchKind::Content).size();
  state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_ContentSearchTwoWordsAllYears)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_NameSearchAllYears(benchmark::State& state) {
  diary();
  const QStringList scopes = pravella::allMemoScopes(false);
  size_t hits = 0;
  for (auto _ : state) hits = pravella::MemoScanner::scanNow(scopes, {"memo", "77"}, pravella::MemoSearchKind::Name).size();
  state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_NameSearchAllYears)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MonthWalk(benchmark::State& state) {
  diary();
  for (auto _ : state) benchmark::DoNotOptimize(pravella::walkMonthFolders(2015, 7, QString()));
}
BENCHMARK(BM_MonthWalk)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MakeAllMemoFileDataBase(benchmark::State& state) {
  diary();
  for (auto _ : state)
    if (makeAllMemoFileDataBase() != 1) state.SkipWithError("not written");
}
BENCHMARK(BM_MakeAllMemoFileDataBase)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GrepOneWord(benchmark::State& state) {
  diary();
  for (auto _ : state) {
    QProcess grep;
    grep.start(QStringLiteral("grep"), {QStringLiteral("-rlF"), QStringLiteral("alpha17"), pravella::paths::diary()});
    grep.waitForFinished(-1);
    benchmark::DoNotOptimize(grep.readAllStandardOutput());
  }
}
BENCHMARK(BM_GrepOneWord)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
