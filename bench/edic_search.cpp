// Dictionary searches on a generated book of 100,000 entries with random four-kana keys,
// written plain (HONMON) and compressed (HONMON2) under a temporary home: one written-form
// search of a random key and the reading of its headings per iteration. The compressed book
// builds its Huffman tree once; every search reopens the book through the kept tree, as the
// window and the built-ins do. Target: under 1 ms per search.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "net/edic/compressed_text.h"
#include "net/edic/dictionary_table.h"
#include "net/edic/index_search.h"
#include "support/edic_book_writer.h"

namespace {

using namespace pravella::test::edic;

std::string randomKey(std::mt19937& random) {
  std::uniform_int_distribution<int> cell(0x21, 0x73);
  std::string key;
  for (int i = 0; i < 4; ++i) {
    key.push_back(0x24);
    key.push_back(static_cast<char>(cell(random)));
  }
  return key;
}

struct Books {
  QTemporaryDir home;
  std::vector<std::string> probes;
  Books() {
    ::setenv("HOME", home.path().toUtf8().constData(), 1);
    std::mt19937 random(42);
    std::vector<std::string> keys(100000);
    for (auto& k : keys) k = randomKey(random);
    std::sort(keys.begin(), keys.end());
    const BookText text = generatedBook(keys);
    const QString folder = home.path() + "/books";
    writeFile(folder + "/P/CATALOGS", catalog(true, {{"平文", "MAIN"}}));
    writeFile(folder + "/P/MAIN/DATA/HONMON", text.bytes);
    writeFile(folder + "/Z/CATALOGS", catalog(true, {{"圧縮", "MAIN"}}));
    writeFile(folder + "/Z/MAIN/DATA/HONMON2", compressBook(text));
    setEDicPath((folder + "/").toStdString());
    std::string titles;
    checkEBDictionary(titles);
    // Half the probes are keys of the book, half random (mostly absent).
    for (int i = 0; i < 1000; ++i)
      probes.push_back(i % 2 ? keys[static_cast<std::size_t>(random()) % keys.size()] : randomKey(random));
  }
};

Books& books() {
  static Books b;
  return b;
}

void BM_SearchPlain(benchmark::State& state) {
  Books& b = books();
  int64_t range[2] = {0, 0};
  getDicKensakuList("平文", 0x91, range);
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    std::vector<EBHit> hits;
    KensakuJikkou_Hyouki("平文", b.probes[i++ % b.probes.size()], range[0], range[1], hits);
    std::string headings;
    getEBookMidashiList("平文", hits, headings);
    found += hits.size();
  }
  state.counters["hits"] = static_cast<double>(found);
}

void BM_SearchCompressed(benchmark::State& state) {
  Books& b = books();
  ZIP_Data& zip = sharedZipData();
  int64_t range[2] = {0, 0};
  eb_zopen_epwzipped(zip, "圧縮");
  getDicKensakuList_EPWING_V6(zip, 0x91, range);
  eb_zclose(zip);
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    std::vector<EBHit> hits;
    eb_zopen_epwzipped(zip, "圧縮");
    KensakuJikkou_Hyouki_EPWING_V6(zip, b.probes[i++ % b.probes.size()], range[0], range[1], hits);
    std::string headings;
    getEBookMidashiList_EPWING_V6(zip, hits, headings);
    eb_zclose(zip);
    found += hits.size();
  }
  state.counters["hits"] = static_cast<double>(found);
}

BENCHMARK(BM_SearchPlain)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SearchCompressed)->Iterations(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
