#include "net/edic/search_driver.h"

#include <algorithm>
#include <memory>
#include <set>
#include <span>
#include <utility>

#include "lang/stdlib/kana_conversion.h"
#include "lang/stdlib/kanji_code.h"
#include "net/edic/dictionary_table.h"
#include "net/edic/gaiji_table.h"
#include "net/edic/index_search.h"
#include "net/edic/reader_lock.h"
#include "platform/text_encoding.h"

namespace pravella::edic {
namespace {

struct IndexRun {
  int id;
  IndexKind kind;
};

constexpr IndexRun kForward[] = {{kIndexWrittenForward, IndexKind::Written},
                                 {kIndexKanaForward, IndexKind::Kana},
                                 {kIndexCondition, IndexKind::Condition}};
constexpr IndexRun kBackward[] = {{kIndexWrittenBackward, IndexKind::Written},
                                  {kIndexKanaBackward, IndexKind::Kana}};

QString reversed(const QString& text) {
  QList<uint> characters = text.toUcs4();
  std::reverse(characters.begin(), characters.end());
  return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), characters.size());
}

// The book, opened the way its kind needs, for the length of one search.
class OpenBook {
 public:
  explicit OpenBook(const std::string& name) {
    if (is_That_HONMON2_EPWING_V6(name)) {
      state_ = &sharedZipData();
      if (eb_zopen_epwzipped(*state_, name)) reader_ = std::make_unique<CompressedBookReader>(*state_);
    } else if ((file_ = EBDictionaryFile(name))) {
      reader_ = std::make_unique<PlainBookReader>(*file_);
    }
  }
  ~OpenBook() {
    if (state_) eb_zclose(*state_);
  }
  BookReader* reader() { return reader_.get(); }

 private:
  ZIP_Data* state_ = nullptr;
  std::unique_ptr<BookFile> file_;
  std::unique_ptr<BookReader> reader_;
};

}  // namespace

std::string makeSearchKey(const QByteArray& shiftJis) {
  std::string key;
  const auto* s = reinterpret_cast<const unsigned char*>(shiftJis.constData());
  const auto n = static_cast<std::size_t>(shiftJis.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char c = s[i];
    if (c >= 0x21 && c <= 0x7E) {
      if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
      std::vector<uint16_t> code;
      han2zen(std::string(1, static_cast<char>(c)), code);
      if (!code.empty()) key += bytesOfJisCodes(code);
    } else if (i + 1 < n && vkIsSjisPair(c, s[i + 1])) {
      unsigned char pair[2] = {c, s[i + 1]};
      sjistojis(pair);
      key.push_back(static_cast<char>(pair[0]));
      key.push_back(static_cast<char>(pair[1]));
      ++i;
    }
  }
  return key;
}

bool searchDictionaryBook(const std::string& book, const QString& text, SearchDirection direction,
                          std::vector<SearchRow>& rows) {
  const QString word = direction == SearchDirection::Backward ? reversed(text) : text;
  if (word.isEmpty()) return true;
  const QByteArray shiftJis = encoding::encodeLossy(word, encoding::kShiftJIS);
  if (shiftJis.size() > kMaxSearchTextBytes) return true;
  const std::string key = makeSearchKey(shiftJis);
  if (key.empty()) return true;

  ReaderLock lock;
  OpenBook open(book);
  BookReader* reader = open.reader();
  if (!reader) return true;
  std::vector<EBHit> merged;
  for (const IndexRun& run : direction == SearchDirection::Forward ? std::span<const IndexRun>(kForward)
                                                                   : std::span<const IndexRun>(kBackward)) {
    int64_t start = 0, count = 0;
    if (!findIndex(*reader, run.id, start, count)) continue;
    std::vector<EBHit> hits;
    if (!searchIndex(*reader, run.kind, key, {}, start, count, hits, kMaxHits - merged.size())) continue;
    merged.insert(merged.end(), hits.begin(), hits.end());
    if (merged.size() >= kMaxHits) break;
  }
  std::set<std::pair<int64_t, int64_t>> seen;
  if (jisyoGaijiCodeDisp) DoLoadGaijiTable();
  for (const EBHit& hit : merged) {
    if (!seen.insert({hit.textPage, hit.textOffset}).second) continue;
    std::string heading;
    if (!readHeading(*reader, hit.headingPage, hit.headingOffset, heading)) return false;
    if (heading.empty()) continue;
    rows.push_back({book, encoding::decodeLossy(QByteArray::fromStdString(heading), encoding::kShiftJIS),
                    hit.textPage, hit.textOffset});
  }
  return true;
}

}  // namespace pravella::edic
