// The memo view's memo-database look-up and the month list's search document.
// - A search that hits every record of a ten-year database (7,300 records, two a day). Target:
//   under 0.1 s.
// - The search document over 1,000 listed RTFD memos of about 1.5 KB, beside the plain-text
//   extraction of the same files alone (the reading the document cannot avoid). Target: under 2 s.

#include <benchmark/benchmark.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextDocument>

#include <cstdlib>

#include "diary/memo_database_search.h"
#include "diary/month_list.h"
#include "diary/search_document.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"

namespace {

constexpr int kMemos = 1000;

QByteArray memoRtf(int serial) {
  QByteArray rtf =
      "{\\rtf1\\ansi\\ansicpg932\n{\\fonttbl\\f0\\fnil\\fcharset128 HiraKakuProN-W3;}\n\\f0\\fs24 Title ";
  rtf += QByteArray::number(serial) + "\\\n";
  while (rtf.size() < 1500) {
    for (QChar c : QStringLiteral("今日は天気が良かった。"))
      rtf += "\\uc0\\u" + QByteArray::number(c.unicode()) + " ";
    rtf += " weather note walk\\\n";
  }
  return rtf + "}";
}

struct Diary {
  QTemporaryDir home;
  pravella::MonthList rows;
  QString database;
  Diary() {
    ::setenv("HOME", home.path().toUtf8().constData(), 1);
    int serial = 0;
    for (QDate d(2010, 1, 1); serial < 7300; d = d.addDays(1)) {
      for (int k = 0; k < 2; ++k, ++serial) {
        const QString name = QStringLiteral("memo %1.rtfd").arg(serial);
        const QString path =
            pravella::paths::dayFolder(d.year(), d.month(), d.day()) + QLatin1Char('/') + name;
        database += QStringLiteral("<path>") + path + QStringLiteral("</path>\n<honbun></honbun>\n");
        if (serial >= kMemos) continue;
        QDir().mkpath(path);
        QFile f(path + QStringLiteral("/TXT.rtf"));
        if (!f.open(QIODevice::WriteOnly)) std::abort();
        f.write(memoRtf(serial));
        rows.push_back({pravella::monthListDayText(d.year(), d.month(), d.day()), name});
      }
    }
  }
};

Diary& diary() {
  static int argc = 1;
  static char name[] = "bench_memo_lookup";
  static char* argv[] = {name, nullptr};
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QGuiApplication app(argc, argv);
  static Diary tree;
  return tree;
}

void BM_MemoDatabaseSearchHittingEveryRecord(benchmark::State& state) {
  const QString& database = diary().database;
  int hits = 0;
  for (auto _ : state) hits = pravella::searchMemoDatabase(database, QStringLiteral("memo ")).count;
  state.counters["hits"] = hits;
}
BENCHMARK(BM_MemoDatabaseSearchHittingEveryRecord)->Unit(benchmark::kMillisecond);

void BM_SearchDocumentOf1000Memos(benchmark::State& state) {
  Diary& d = diary();
  for (auto _ : state) {
    QTextDocument doc;
    pravella::buildSearchDocument(doc, d.rows, QFont(QStringLiteral("DejaVu Sans"), 10));
    benchmark::DoNotOptimize(doc.characterCount());
  }
}
BENCHMARK(BM_SearchDocumentOf1000Memos)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PlainTextOfTheSame1000Memos(benchmark::State& state) {
  Diary& d = diary();
  for (auto _ : state) {
    qsizetype chars = 0;
    for (const pravella::MonthListEntry& row : d.rows) {
      const QStringList day = row.day.split(QLatin1Char('/'));
      chars += pravella::plainTextOfRichTextFile(
                   pravella::paths::dayFolder(day[0].toInt(), day[1].toInt(), day[2].toInt()) +
                   QLatin1Char('/') + row.diaryFiles)
                   .size();
    }
    benchmark::DoNotOptimize(chars);
  }
}
BENCHMARK(BM_PlainTextOfTheSame1000Memos)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
