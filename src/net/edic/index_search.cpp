#include "net/edic/index_search.h"

#include <cstdio>

#include "lang/stdlib/kana_conversion.h"
#include "lang/stdlib/kanji_code.h"
#include "net/edic/dictionary_table.h"
#include "net/edic/escape_table.h"
#include "net/edic/gaiji_table.h"
#include "net/edic/reader_lock.h"

using namespace pravella::edic;

namespace {

// The index table lives on page 1: at most this many records fit behind its 16-byte head.
constexpr uint32_t kMaxIndexRecords = (kBookPageSize - 16) / 16;

// Compares an entry's key with the search key over the search key's length (a shorter entry
// key counts as padded with zero bytes): below 0, 0 for a prefix match, above 0.
int compareKey(const unsigned char* entry, std::size_t entryLength, const std::string& key) {
  for (std::size_t i = 0; i < key.size(); ++i) {
    const int e = i < entryLength ? entry[i] : 0;
    const int k = static_cast<unsigned char>(key[i]);
    if (e != k) return e < k ? -1 : 1;
  }
  return 0;
}

bool startsWith(const unsigned char* entry, std::size_t entryLength, const std::string& key) {
  return key.size() <= entryLength && compareKey(entry, entryLength, key) == 0;
}

struct Key {
  unsigned char bytes[256];
  std::size_t length = 0;
};

bool readKey(BookReader& reader, std::size_t length, Key& key) {
  key.length = length;
  return reader.read(key.bytes, static_cast<int64_t>(length));
}

bool readKeyWithLength(BookReader& reader, Key& key) {
  uint32_t length = 0;
  return reader.u1(length) && readKey(reader, length, key);
}

bool readPositions(BookReader& reader, EBHit& hit) {
  uint32_t tp = 0, to = 0, hp = 0, ho = 0;
  if (!reader.u4(tp) || !reader.u2(to) || !reader.u4(hp) || !reader.u2(ho)) return false;
  hit = {tp, to, hp, ho};
  return true;
}

enum class PageClass { Upper, Leaf, GroupLeaf, Stop };

PageClass classify(IndexKind kind, uint32_t id) {
  if (kind != IndexKind::Kana) return (id & 0x80) ? PageClass::Leaf : PageClass::Upper;
  switch (id) {
    case 0x00:
    case 0x20:
    case 0x40:
    case 0x60:
      return PageClass::Upper;
    case 0x80:
    case 0xA0:
    case 0xC0:
    case 0xE0:
      return PageClass::Leaf;
    case 0x90:
    case 0xB0:
    case 0xD0:
      return PageClass::GroupLeaf;
    default:
      return PageClass::Stop;
  }
}

enum class Scan { Continue, End, Fail };

class IndexSearch {
 public:
  IndexSearch(BookReader& reader, IndexKind kind, const std::string& key, const std::string& secondKey,
              std::vector<EBHit>& hits, std::size_t limit)
      : reader_(reader), kind_(kind), key_(key), second_(secondKey), hits_(hits), limit_(limit) {}

  int run(int64_t start, int64_t count) {
    hits_.clear();
    if (key_.empty() || start < 1 || count < 0) return 0;
    const int64_t last = start + count;
    int64_t page = start;
    uint32_t id = 0;
    // The descent: a malformed book can point a page at itself, so it takes at most as many
    // steps as the index has pages.
    for (int64_t step = 0;; ++step) {
      if (step > count || !reader_.seek(page, 0) || !reader_.u1(id)) return fail();
      const PageClass pageClass = classify(kind_, id);
      if (pageClass == PageClass::Stop) return 1;
      if (pageClass != PageClass::Upper) break;
      int64_t child = 0;
      const Scan scan = descend(child);
      if (scan == Scan::Fail) return fail();
      if (scan == Scan::End || child < start || child > last) return 1;
      page = child;
    }
    // The leaf scan, page after page up to the last page of the index.
    for (;;) {
      const PageClass pageClass = classify(kind_, id);
      Scan scan = Scan::End;
      if (pageClass == PageClass::Leaf)
        scan = kind_ == IndexKind::Condition ? scanConditionPage(id) : scanPlainPage(id);
      else if (pageClass == PageClass::GroupLeaf)
        scan = scanGroupPage();
      if (scan == Scan::Fail) return fail();
      if (scan == Scan::End || ++page > last) return 1;
      if (!reader_.seek(page, 0) || !reader_.u1(id)) return fail();
    }
  }

 private:
  int fail() {
    hits_.clear();
    return 0;
  }

  bool full() const { return hits_.size() >= limit_; }

  void add(const EBHit& hit) {
    if (!full()) hits_.push_back(hit);
  }

  // An upper page: the first entry whose key is not below the search key names the child.
  Scan descend(int64_t& child) {
    uint32_t keyLength = 0, entries = 0;
    if (!reader_.u1(keyLength) || !reader_.u2(entries)) return Scan::Fail;
    Key key;
    for (uint32_t i = 0; i < entries; ++i) {
      uint32_t page = 0;
      if (!readKey(reader_, keyLength, key) || !reader_.u4(page)) return Scan::Fail;
      if (compareKey(key.bytes, key.length, key_) >= 0) {
        child = page;
        return Scan::Continue;
      }
    }
    return Scan::End;
  }

  bool readLeafHeader(uint32_t& entries) {
    uint32_t unused = 0;
    return reader_.u1(unused) && reader_.u2(entries);
  }

  Scan scanPlainPage(uint32_t id) {
    uint32_t entries = 0;
    if (!readLeafHeader(entries)) return Scan::Fail;
    Key key;
    for (uint32_t i = 0; i < entries; ++i) {
      EBHit hit;
      if (!readKeyWithLength(reader_, key) || !readPositions(reader_, hit)) return Scan::Fail;
      const int order = compareKey(key.bytes, key.length, key_);
      if (order > 0 || full()) return Scan::End;
      if (order == 0) add(hit);
    }
    return (id & 0x20) ? Scan::End : Scan::Continue;
  }

  Scan scanGroupPage() {
    uint32_t entries = 0;
    if (!readLeafHeader(entries)) return Scan::Fail;
    bool groupMatched = false;
    Key key;
    for (uint32_t i = 0; i < entries && !full(); ++i) {
      uint32_t type = 0, unused = 0;
      EBHit hit;
      if (!reader_.u1(type)) return Scan::Fail;
      if (type == 0x00) {
        if (!readKeyWithLength(reader_, key) || !readPositions(reader_, hit)) return Scan::Fail;
        const int order = compareKey(key.bytes, key.length, key_);
        if (order > 0) return Scan::End;
        if (order == 0) {
          groupMatched = true;
          if (startsWith(key.bytes, key.length, second_)) add(hit);
        }
      } else if (type == 0x80) {
        uint32_t length = 0;
        if (!reader_.u1(length) || !reader_.u2(unused) || !readKey(reader_, length, key)) return Scan::Fail;
        const int order = compareKey(key.bytes, key.length, key_);
        if (order > 0) return Scan::End;
        if (order == 0) groupMatched = true;
      } else if (type == 0xC0) {
        if (!readKeyWithLength(reader_, key) || !readPositions(reader_, hit)) return Scan::Fail;
        const bool taken = groupMatched || compareKey(key.bytes, key.length, key_) == 0;
        if (taken && startsWith(key.bytes, key.length, second_)) add(hit);
      } else {
        break;
      }
    }
    return full() ? Scan::End : Scan::Continue;
  }

  Scan scanConditionPage(uint32_t id) {
    uint32_t entries = 0;
    if (!readLeafHeader(entries)) return Scan::Fail;
    Key key;
    for (uint32_t i = 0; i < entries; ++i) {
      uint32_t type = 0, unused = 0;
      EBHit hit;
      if (!reader_.u1(type)) return Scan::Fail;
      if (type == 0x00) {
        if (!readKeyWithLength(reader_, key) || !readPositions(reader_, hit)) return Scan::Fail;
        const int order = compareKey(key.bytes, key.length, key_);
        if (order > 0 || full()) return Scan::End;
        if (order == 0 && hit.textPage != 0 && hit.headingPage != 0) add(hit);
      } else if (type == 0x80) {
        uint32_t length = 0, headingPage = 0, headingOffset = 0;
        if (!reader_.u1(length) || !reader_.u4(unused) || !readKey(reader_, length, key) ||
            !reader_.u4(headingPage) || !reader_.u2(headingOffset))
          return Scan::Fail;
        if (compareKey(key.bytes, key.length, key_) > 0) return Scan::End;
      } else if (type == 0xC0) {
        uint32_t textPage = 0, textOffset = 0;
        if (!reader_.u4(textPage) || !reader_.u2(textOffset)) return Scan::Fail;
      } else {
        return Scan::Fail;
      }
    }
    return (id & 0x20) ? Scan::End : Scan::Continue;
  }

  BookReader& reader_;
  IndexKind kind_;
  const std::string& key_;
  const std::string& second_;
  std::vector<EBHit>& hits_;
  std::size_t limit_;
};

void appendHeadingCharacter(std::string& out, unsigned char row, unsigned char cell) {
  if (row == 0x23) {
    out.push_back(static_cast<char>(zen2han(row, cell)));
    return;
  }
  if (row >= 0x80 && jisyoGaijiCodeDisp) {
    unsigned char substitute[2];
    if (gaijiSubstitute(static_cast<uint16_t>(row << 8 | cell), substitute)) {
      out.push_back(static_cast<char>(substitute[0]));
      out.push_back(static_cast<char>(substitute[1]));
    } else {
      char text[16];
      std::snprintf(text, sizeof text, "_[%02X%02X]_", row, cell);
      out += text;
    }
    return;
  }
  jis2sjis_2(&row, &cell);
  out.push_back(static_cast<char>(row));
  out.push_back(static_cast<char>(cell));
}

template <typename Search>
int withPlainBook(const std::string& name, Search search) {
  ReaderLock lock;
  auto file = EBDictionaryFile(name);
  if (!file) return 0;
  PlainBookReader reader(*file);
  return search(reader);
}

int headingList(BookReader& reader, const std::vector<EBHit>& hits, std::string& out) {
  if (jisyoGaijiCodeDisp) DoLoadGaijiTable();
  for (const EBHit& hit : hits) {
    std::string heading;
    if (!readHeading(reader, hit.headingPage, hit.headingOffset, heading)) return 0;
    out += heading;
    out += "\n";
  }
  return 1;
}

}  // namespace

namespace pravella::edic {

bool findIndex(BookReader& reader, int id, int64_t& start, int64_t& count) {
  uint32_t records = 0;
  if (!reader.seek(1, 0) || !reader.u2(records) || !reader.skip(14)) return false;
  if (records > kMaxIndexRecords) records = kMaxIndexRecords;
  for (uint32_t i = 0; i < records; ++i) {
    unsigned char record[16];
    if (!reader.read(record, 16)) return false;
    if (record[0] == id) {
      start = bigEndian(record + 2, 4);
      count = bigEndian(record + 6, 4);
      return true;
    }
  }
  return false;
}

int searchIndex(BookReader& reader, IndexKind kind, const std::string& key, const std::string& secondKey,
                int64_t start, int64_t count, std::vector<EBHit>& hits, std::size_t limit) {
  return IndexSearch(reader, kind, key, secondKey, hits, limit).run(start, count);
}

bool readHeading(BookReader& reader, int64_t page, int64_t offset, std::string& out) {
  out.clear();
  if (!reader.seek(page, offset)) return false;
  for (int unit = 0; unit < kMaxHeadingUnits; ++unit) {
    unsigned char pair[2];
    if (!reader.read(pair, 2)) return false;
    if (pair[0] == 0x1F) {
      if (pair[1] == 0x0A) return true;
      if (!reader.skip(escapeArgumentBytes(pair[1]))) return false;
      continue;
    }
    appendHeadingCharacter(out, pair[0], pair[1]);
  }
  return true;
}

}  // namespace pravella::edic

int getDicKensakuList(const std::string& name, int id, int64_t pair[2]) {
  return withPlainBook(name,
                       [&](BookReader& reader) { return findIndex(reader, id, pair[0], pair[1]) ? 1 : 0; });
}

int getDicKensakuList_EPWING_V6(ZIP_Data& state, int id, int64_t pair[2]) {
  ReaderLock lock;
  CompressedBookReader reader(state);
  return findIndex(reader, id, pair[0], pair[1]) ? 1 : 0;
}

int KensakuJikkou_Hyouki(const std::string& name, const std::string& key, int64_t start, int64_t count,
                         std::vector<EBHit>& hits, std::size_t limit) {
  hits.clear();
  return withPlainBook(name, [&](BookReader& reader) {
    return searchIndex(reader, IndexKind::Written, key, {}, start, count, hits, limit);
  });
}

int KensakuJikkou_Hyouki_EPWING_V6(ZIP_Data& state, const std::string& key, int64_t start, int64_t count,
                                   std::vector<EBHit>& hits, std::size_t limit) {
  ReaderLock lock;
  CompressedBookReader reader(state);
  return searchIndex(reader, IndexKind::Written, key, {}, start, count, hits, limit);
}

int KensakuJikkou_KANA(const std::string& name, const std::string& key, const std::string& secondKey,
                       int64_t start, int64_t count, std::vector<EBHit>& hits, std::size_t limit) {
  hits.clear();
  return withPlainBook(name, [&](BookReader& reader) {
    return searchIndex(reader, IndexKind::Kana, key, secondKey, start, count, hits, limit);
  });
}

int KensakuJikkou_KANA_EPWING_V6(ZIP_Data& state, const std::string& key, const std::string& secondKey,
                                 int64_t start, int64_t count, std::vector<EBHit>& hits, std::size_t limit) {
  ReaderLock lock;
  CompressedBookReader reader(state);
  return searchIndex(reader, IndexKind::Kana, key, secondKey, start, count, hits, limit);
}

int KensakuJikkou_cond(const std::string& name, const std::string& key, int64_t start, int64_t count,
                       std::vector<EBHit>& hits, std::size_t limit) {
  hits.clear();
  return withPlainBook(name, [&](BookReader& reader) {
    return searchIndex(reader, IndexKind::Condition, key, {}, start, count, hits, limit);
  });
}

int KensakuJikkou_cond_EPWING_V6(ZIP_Data& state, const std::string& key, int64_t start, int64_t count,
                                 std::vector<EBHit>& hits, std::size_t limit) {
  ReaderLock lock;
  CompressedBookReader reader(state);
  return searchIndex(reader, IndexKind::Condition, key, {}, start, count, hits, limit);
}

int getEBookMidashiList(const std::string& name, const std::vector<EBHit>& hits, std::string& out) {
  return withPlainBook(name, [&](BookReader& reader) { return headingList(reader, hits, out); });
}

int getEBookMidashiList_EPWING_V6(ZIP_Data& state, const std::vector<EBHit>& hits, std::string& out) {
  ReaderLock lock;
  CompressedBookReader reader(state);
  return headingList(reader, hits, out);
}
