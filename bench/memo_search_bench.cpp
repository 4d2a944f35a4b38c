// The month list's searches over ten years of diary, memos made as the application makes them:
// three a day (10,957 RTFD packages), each written by our RTF writer from a document of a few
// paragraphs of mixed Japanese and ASCII text with bold, colour and a link, one memo a day with
// a picture (a 240 x 180 PNG attachment). Generated once under a temporary home.
//
// Times all-years content searches (one word; two words, one Japanese) and a name search
// through the scanner, one month's walk and the memo database of every year; beside them
// grep -rlF for the same word over the same tree. BM_SearchBesideGrep times the one-word search
// and grep in turns (interleaved, so that both see the same cache and load) and reports the
// medians and their ratio; target: the search within 2x of grep. The reader alone, on one memo,
// is timed both ways (plain text, and the document the memo view builds).

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QColor>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "diary/memo_database.h"
#include "diary/memo_scanner.h"
#include "diary/month_list.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/rtf.h"

namespace {

constexpr int kFirstYear = 2010;
constexpr int kYears = 10;
const char* const kWord = "alpha17";

QByteArray pictureBytes(int serial) {
  QImage image(240, 180, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient sky(0, 0, 0, 180);
  sky.setColorAt(0, QColor::fromHsv(serial * 37 % 360, 90, 240));
  sky.setColorAt(1, QColor::fromHsv(serial * 53 % 360, 160, 120));
  p.fillRect(image.rect(), sky);
  p.setBrush(QColor::fromHsv(serial * 11 % 360, 200, 200));
  p.drawEllipse(QPoint(40 + serial % 160, 60 + serial % 80), 30, 22);
  p.drawText(10, 170, QStringLiteral("photo %1").arg(serial));
  p.end();
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png;
}

// A memo of the day as a user writes it.
void fillMemo(QTextDocument& doc, int serial, bool withPicture) {
  static const char16_t* kJapanese[] = {u"今日は天気が良かった。", u"会議の議事録を書いた。",
                                        u"散歩で桜を見た。",       u"新しい本を読み始めた。",
                                        u"夕食はカレーライス。",   u"駅で友だちに会った。",
                                        u"１０時から打ち合わせ。"};
  QTextCursor c(&doc);
  QTextCharFormat plain;
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  QTextCharFormat red;
  red.setForeground(QColor(200, 0, 0));
  QTextCharFormat link;
  link.setAnchor(true);
  link.setAnchorHref(QStringLiteral("https://example.org/%1").arg(serial % 50));
  c.insertText(QStringLiteral("Memo %1").arg(serial), bold);
  c.insertBlock();
  const int lines = 5 + serial % 4;
  for (int line = 0; line < lines; ++line) {
    c.insertText(QString::fromUtf16(kJapanese[(serial + line) % 7]), plain);
    c.insertText(QStringLiteral(" entry %1 weather note walk ").arg(serial % 997), plain);
    c.insertText((line % 3 == 0 ? QStringLiteral("alpha") : QStringLiteral("beta")) +
                     QString::number((serial + line) % 89),
                 line % 2 ? red : plain);
    if (line == 1) c.insertText(QStringLiteral(" see the page"), link);
    c.insertText(QStringLiteral(" "), plain);
    c.insertBlock();
  }
  if (withPicture)
    pravella::rtf::insertAttachment(c, QStringLiteral("Pasted Graphic.png"), pictureBytes(serial));
}

void writePackage(const QString& package, const QTextDocument& doc) {
  const pravella::rtf::WriteOutput out = pravella::rtf::write(doc, pravella::rtf::AttachmentMode::Separate);
  QDir().mkpath(package);
  QFile text(package + QStringLiteral("/TXT.rtf"));
  if (!text.open(QIODevice::WriteOnly) || text.write(out.rtf) != out.rtf.size()) std::abort();
  for (const pravella::rtf::Attachment& a : out.attachments) {
    QFile f(package + u'/' + a.fileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(a.data) != a.data.size()) std::abort();
  }
}

// The tree goes under a temporary home, or under $PRAVELLA_BENCH_HOME when that is set, where
// a tree made by an earlier run is used again (making it takes a minute or two).
struct Diary {
  QTemporaryDir temporary;
  QString sampleMemo;
  Diary() {
    const QByteArray kept = qgetenv("PRAVELLA_BENCH_HOME");
    const QString home = kept.isEmpty() ? temporary.path() : QString::fromLocal8Bit(kept);
    ::setenv("HOME", home.toUtf8().constData(), 1);
    const QString done = home + QStringLiteral("/memo_search_bench.done");
    const bool made = !kept.isEmpty() && QFile::exists(done);
    int serial = 0;
    for (QDate d(kFirstYear, 1, 1); d < QDate(kFirstYear + kYears, 1, 1); d = d.addDays(1)) {
      const QString folder = pravella::paths::dayFolder(d.year(), d.month(), d.day());
      for (int k = 0; k < 3; ++k, ++serial) {
        const QString package = folder + QStringLiteral("/memo %1.rtfd").arg(serial);
        if (serial == 0) sampleMemo = package;
        if (made) continue;
        QTextDocument doc;
        fillMemo(doc, serial, k == 0);
        writePackage(package, doc);
      }
    }
    QFile stamp(done);
    if (!kept.isEmpty() && !stamp.open(QIODevice::WriteOnly)) std::abort();
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

size_t contentSearch(const QStringList& words) {
  return pravella::MemoScanner::scanNow(pravella::allMemoScopes(false), words,
                                        pravella::MemoSearchKind::Content)
      .size();
}

QByteArray grep(const QStringList& extra = {}) {
  QProcess grep;
  grep.start(QStringLiteral("grep"), QStringList{QStringLiteral("-rlF")} + extra +
                                         QStringList{QString::fromLatin1(kWord), pravella::paths::diary()});
  grep.waitForFinished(-1);
  return grep.readAllStandardOutput();
}

void BM_ContentSearchOneWordAllYears(benchmark::State& state) {
  diary();
  size_t hits = 0;
  for (auto _ : state) hits = contentSearch({QString::fromLatin1(kWord)});
  state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_ContentSearchOneWordAllYears)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ContentSearchTwoWordsAllYears(benchmark::State& state) {
  diary();
  size_t hits = 0;
  for (auto _ : state) hits = contentSearch({QStringLiteral("天気"), QString::fromLatin1(kWord)});
  state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_ContentSearchTwoWordsAllYears)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_NameSearchAllYears(benchmark::State& state) {
  diary();
  const QStringList scopes = pravella::allMemoScopes(false);
  size_t hits = 0;
  for (auto _ : state)
    hits = pravella::MemoScanner::scanNow(scopes, {"memo", "77"}, pravella::MemoSearchKind::Name).size();
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
  for (auto _ : state) benchmark::DoNotOptimize(grep());
}
BENCHMARK(BM_GrepOneWord)->Unit(benchmark::kMillisecond)->Iterations(3);

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The one-word search and grep in turns; grep over the memo texts alone (TXT.rtf, no
// pictures) as a stricter reference beside it.
void BM_SearchBesideGrep(benchmark::State& state) {
  diary();
  constexpr int kRounds = 9;
  std::vector<double> search, grepAll, grepText;
  size_t hits = 0;
  qsizetype grepHits = 0;
  for (auto _ : state) {
    for (int round = 0; round < kRounds; ++round) {
      QElapsedTimer t;
      t.start();
      hits = contentSearch({QString::fromLatin1(kWord)});
      search.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
      t.start();
      grepHits = grep().count('\n');
      grepAll.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
      t.start();
      benchmark::DoNotOptimize(grep({QStringLiteral("--include=TXT.rtf")}));
      grepText.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
  }
  const double s = median(search);
  const double g = median(grepAll);
  state.counters["search_ms"] = s;
  state.counters["grep_ms"] = g;
  state.counters["grep_txt_only_ms"] = median(grepText);
  state.counters["search_per_grep"] = s / g;
  state.counters["hits"] = static_cast<double>(hits);
  state.counters["grep_hits"] = static_cast<double>(grepHits);
}
BENCHMARK(BM_SearchBesideGrep)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MemoPlainText(benchmark::State& state) {
  const QString memo = diary().sampleMemo;
  for (auto _ : state) benchmark::DoNotOptimize(pravella::memoPackageText(memo));
}
BENCHMARK(BM_MemoPlainText)->Unit(benchmark::kMicrosecond);

void BM_MemoDocumentText(benchmark::State& state) {
  const QString memo = diary().sampleMemo;
  for (auto _ : state) {
    QTextDocument doc;
    pravella::readRichTextFile(memo, doc);
    benchmark::DoNotOptimize(pravella::plainTextOf(doc));
  }
}
BENCHMARK(BM_MemoDocumentText)->Unit(benchmark::kMicrosecond);

}  // namespace
