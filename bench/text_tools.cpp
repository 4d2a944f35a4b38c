// Replace-all and the outline on large memos: replace-all of 10,000 matches in a 1 MB memo
// beside QString::replace on the same text, and the heading index of a 20,000-line memo.

#include <benchmark/benchmark.h>

#include <QString>
#include <QTextDocument>

#include "tools/text/find_replace.h"
#include "tools/text/outline_index.h"

namespace {

// About 1 MB of text with `matches` occurrences of "needle" spread evenly.
QString largeMemo(int matches) {
  QString text;
  text.reserve(1 << 20);
  const QString filler = QStringLiteral("The quick brown fox jumps over the lazy dog; ");
  const int between = (1 << 20) / matches;
  for (int i = 0; i < matches; ++i) {
    while (text.size() < static_cast<qsizetype>(i + 1) * between - 8) text += filler;
    text += QStringLiteral("needle\n");
  }
  return text;
}

void BM_ReplaceAllInDocument(benchmark::State& state) {
  const QString text = largeMemo(10000);
  for (auto _ : state) {
    state.PauseTiming();
    QTextDocument doc;
    doc.setPlainText(text);
    state.ResumeTiming();
    benchmark::DoNotOptimize(pravella::findtext::replaceAll(doc, QStringLiteral("NEEDLE"), QStringLiteral("pin")));
  }
}
BENCHMARK(BM_ReplaceAllInDocument)->Unit(benchmark::kMillisecond);

void BM_QStringReplaceSameText(benchmark::State& state) {
  const QString text = largeMemo(10000);
  for (auto _ : state) {
    QString copy = text;
    copy.replace(QStringLiteral("NEEDLE"), QStringLiteral("pin"), Qt::CaseInsensitive);
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_QStringReplaceSameText)->Unit(benchmark::kMillisecond);

void BM_HeadingIndexOf20000Lines(benchmark::State& state) {
  QString text;
  for (int i = 0; i < 20000; ++i)
    text += (i % 10 == 0 ? QStringLiteral("\u25A0Heading %1\n") : QStringLiteral("body line %1\n")).arg(i);
  QTextDocument doc;
  doc.setPlainText(text);
  for (auto _ : state)
    benchmark::DoNotOptimize(pravella::outline::build(doc, QStringLiteral("\u25A0\u25C6"), false));
}
BENCHMARK(BM_HeadingIndexOf20000Lines)->Unit(benchmark::kMillisecond);

}  // namespace
