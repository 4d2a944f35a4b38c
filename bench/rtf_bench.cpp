// The RTF codec on a long diary memo: how fast an old document opens and saves, and how fast
// its plain text is read without a document (as searches read it).

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdlib>

#include "platform/rtf.h"

namespace {

void ensureApplication() {
  static int argc = 1;
  static char name[] = "bench_rtf";
  static char* argv[] = {name, nullptr};
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QGuiApplication app(argc, argv);
}

// About 1 MB in the old text system's dialect: paragraphs of Western text with bold and
// colour changes, and Shift-JIS text in a Japanese font.
QByteArray longMemo(int paragraphs) {
  QByteArray rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\cocoartf949\\cocoasubrtf540\n"
      "{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;\\f1\\fnil\\fcharset128 HiraKakuProN-W3;}\n"
      "{\\colortbl;\\red255\\green255\\blue255;\\red255\\green0\\blue0;}\n"
      "\\pard\\tx566\\tx1133\\tx1700\\tx2267\\pardirnatural\n\n\\f0\\fs24 \\cf0 ";
  for (int i = 0; i < paragraphs; ++i)
    rtf +=
        "Entry of the day: \\b measured\\b0  value \\cf2 12.5\\cf0  and \\f1 \\'93\\'fa\\'8b\\'4c\\'82\\'cc"
        "\\'8b\\'4c\\'98\\'5e \\f0 more plain text to fill a line.\\\n";
  rtf += "}";
  return rtf;
}

void BM_ReadLongMemo(benchmark::State& state) {
  ensureApplication();
  const QByteArray rtf = longMemo(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    QTextDocument doc;
    benchmark::DoNotOptimize(pravella::rtf::read(rtf, doc));
  }
  state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(BM_ReadLongMemo)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond);

void BM_PlainTextOfLongMemo(benchmark::State& state) {
  const QByteArray rtf = longMemo(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(pravella::rtf::readPlainText(rtf));
  state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(BM_PlainTextOfLongMemo)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond);

void BM_WriteLongMemo(benchmark::State& state) {
  ensureApplication();
  QTextDocument doc;
  pravella::rtf::read(longMemo(static_cast<int>(state.range(0))), doc);
  for (auto _ : state)
    benchmark::DoNotOptimize(pravella::rtf::write(doc, pravella::rtf::AttachmentMode::Separate));
}
BENCHMARK(BM_WriteLongMemo)->Arg(1000)->Arg(8000)->Unit(benchmark::kMillisecond);

}  // namespace
