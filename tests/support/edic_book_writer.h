#pragma once
// A small writer of dictionary books for tests and benchmarks: catalogs (EPWING and EB
// records), body text as pages of 2048 bytes (the index table, upper and leaf index pages of
// the three kinds, entries of two-byte units with escapes), written plain (HONMON) or
// compressed (HONMON2, stored and Huffman-coded slices whose codes come from the reader's own
// tree rule), and gaiji font files.

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lang/stdlib/kanji_code.h"
#include "net/edic/compressed_text.h"
#include "platform/text_encoding.h"

namespace pravella::test::edic {

using Bytes = std::vector<unsigned char>;

inline void put(Bytes& b, uint64_t value, int n) {
  for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

inline void putBcd(Bytes& b, uint64_t value, int n) {
  std::vector<unsigned char> digits(static_cast<std::size_t>(n) * 2, 0);
  for (int i = n * 2 - 1; i >= 0; --i, value /= 10)
    digits[static_cast<std::size_t>(i)] = static_cast<unsigned char>(value % 10);
  for (int i = 0; i < n; ++i) b.push_back(static_cast<unsigned char>(digits[2 * i] << 4 | digits[2 * i + 1]));
}

inline void append(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

// The JIS X 0208 bytes (row, cell) of Japanese text.
inline std::string jis(const QString& text) {
  const QByteArray sjis = encoding::encode(text, encoding::kShiftJIS);
  std::string out;
  for (qsizetype i = 0; i + 1 < sjis.size(); i += 2) {
    unsigned char pair[2] = {static_cast<unsigned char>(sjis[i]), static_cast<unsigned char>(sjis[i + 1])};
    sjistojis(pair);
    out.push_back(static_cast<char>(pair[0]));
    out.push_back(static_cast<char>(pair[1]));
  }
  return out;
}

// Body text: two-byte units, escapes and their arguments.
struct Units {
  Bytes b;
  Units& u(uint16_t unit) {
    put(b, unit, 2);
    return *this;
  }
  Units& text(const QString& t) {
    append(b, jis(t));
    return *this;
  }
  Units& bcd4(uint64_t v) {
    putBcd(b, v, 4);
    return *this;
  }
  Units& bcd2(uint64_t v) {
    putBcd(b, v, 2);
    return *this;
  }
  Units& raw(std::initializer_list<unsigned char> bytes) {
    b.insert(b.end(), bytes);
    return *this;
  }
};

struct Hit {
  std::string key;
  uint32_t textPage = 0, textOffset = 0, headingPage = 0, headingOffset = 0;
};

struct IndexRecord {
  int id;
  uint32_t start, count;
};

inline Bytes indexTable(const std::vector<IndexRecord>& records) {
  Bytes b;
  put(b, records.size(), 2);
  b.resize(16, 0);
  for (const auto& r : records) {
    b.push_back(static_cast<unsigned char>(r.id));
    b.push_back(0);
    put(b, r.start, 4);
    put(b, r.count, 4);
    b.resize(b.size() + 6, 0);
  }
  return b;
}

// An upper page: (key, child page) entries, keys padded with zero bytes to keyLength.
inline Bytes upperPage(int id, int keyLength, const std::vector<std::pair<std::string, uint32_t>>& entries) {
  Bytes b{static_cast<unsigned char>(id), static_cast<unsigned char>(keyLength)};
  put(b, entries.size(), 2);
  for (const auto& [key, child] : entries) {
    std::string padded = key;
    padded.resize(static_cast<std::size_t>(keyLength), '\0');
    append(b, padded);
    put(b, child, 4);
  }
  return b;
}

inline void putHit(Bytes& b, const Hit& h) {
  b.push_back(static_cast<unsigned char>(h.key.size()));
  append(b, h.key);
  put(b, h.textPage, 4);
  put(b, h.textOffset, 2);
  put(b, h.headingPage, 4);
  put(b, h.headingOffset, 2);
}

inline Bytes leafPage(int id, const std::vector<Hit>& hits) {
  Bytes b{static_cast<unsigned char>(id), 0};
  put(b, hits.size(), 2);
  for (const auto& h : hits) putHit(b, h);
  return b;
}

// Entries of group leaf pages (kana and condition indexes).
struct GroupEntry {
  int type;  // 0x00 single, 0x80 group header, 0xC0 member
  Hit hit;
};

inline Bytes kanaGroupPage(int id, const std::vector<GroupEntry>& entries) {
  Bytes b{static_cast<unsigned char>(id), 0};
  put(b, entries.size(), 2);
  for (const auto& e : entries) {
    b.push_back(static_cast<unsigned char>(e.type));
    if (e.type == 0x80) {
      b.push_back(static_cast<unsigned char>(e.hit.key.size()));
      put(b, 0, 2);
      append(b, e.hit.key);
    } else {
      putHit(b, e.hit);
    }
  }
  return b;
}

inline Bytes conditionPage(int id, const std::vector<GroupEntry>& entries) {
  Bytes b{static_cast<unsigned char>(id), 0};
  put(b, entries.size(), 2);
  for (const auto& e : entries) {
    b.push_back(static_cast<unsigned char>(e.type));
    if (e.type == 0x00) {
      putHit(b, e.hit);
    } else if (e.type == 0x80) {
      b.push_back(static_cast<unsigned char>(e.hit.key.size()));
      put(b, 0, 4);
      append(b, e.hit.key);
      put(b, e.hit.headingPage, 4);
      put(b, e.hit.headingOffset, 2);
    } else {
      put(b, e.hit.textPage, 4);
      put(b, e.hit.textOffset, 2);
    }
  }
  return b;
}

// The decoded text of a book: pages of 2048 bytes from page 1.
struct BookText {
  Bytes bytes;
  // Puts the content at (page, offset), growing the text to whole pages.
  void put(uint32_t page, uint32_t offset, const Bytes& content) {
    const std::size_t at = (page - 1) * 2048u + offset;
    std::size_t end = at + content.size();
    end = (end + 2047) / 2048 * 2048;
    if (bytes.size() < end) bytes.resize(end, 0);
    std::copy(content.begin(), content.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  }
  uint32_t pages() const { return static_cast<uint32_t>(bytes.size() / 2048); }
};

struct CompressOptions {
  int tableLength = 512;                // 512, 4608 or more (6144 holds every leaf kind)
  std::set<uint32_t> storedSlices;      // slices written as they are
  std::vector<uint16_t> twoByteLeaves;  // values of the first two-byte leaves (the rest unused)
  std::vector<uint32_t> fourByteLeaves;
};

// HONMON2: a 32-byte header, the frequency table, the slice index and the slices.
inline Bytes compressBook(const BookText& text, const CompressOptions& options = {}) {
  using pravella::edic::HuffmanNode;
  const bool four = options.tableLength > 4608, two = options.tableLength > 512;
  std::vector<uint16_t> twoValues(two ? 1024 : 0);
  for (std::size_t i = 0; i < twoValues.size(); ++i)
    twoValues[i] =
        i < options.twoByteLeaves.size() ? options.twoByteLeaves[i] : static_cast<uint16_t>(0xFC00 + i);
  std::vector<uint32_t> fourValues(four ? 256 : 0);
  for (std::size_t i = 0; i < fourValues.size(); ++i)
    fourValues[i] = i < options.fourByteLeaves.size() ? options.fourByteLeaves[i]
                                                      : static_cast<uint32_t>(0xFCFC0000u + i);
  const std::map<uint32_t, int> twoIndex = [&] {
    std::map<uint32_t, int> m;
    for (std::size_t i = 0; i < twoValues.size(); ++i) m.emplace(twoValues[i], static_cast<int>(i));
    return m;
  }();
  const std::map<uint32_t, int> fourIndex = [&] {
    std::map<uint32_t, int> m;
    for (std::size_t i = 0; i < fourValues.size(); ++i) m.emplace(fourValues[i], static_cast<int>(i));
    return m;
  }();
  // Leaves as (kind, value); frequencies counted from a greedy tokenisation, plus one each.
  std::map<std::pair<int, uint32_t>, uint32_t> frequency;
  for (uint32_t v : fourValues) frequency[{::pravella::edic::kHuffmanFourBytes, v}] = 1;
  for (uint32_t v : twoValues) frequency[{::pravella::edic::kHuffmanTwoBytes, v}] = 1;
  for (uint32_t v = 0; v < 256; ++v) frequency[{::pravella::edic::kHuffmanByte, v}] = 1;
  const uint32_t slices = text.pages();
  std::vector<std::vector<std::pair<int, uint32_t>>> tokens(slices);
  for (uint32_t s = 0; s < slices; ++s) {
    const unsigned char* p = text.bytes.data() + s * 2048u;
    for (std::size_t i = 0; i < 2048;) {
      if (i + 4 <= 2048) {
        const uint32_t v = static_cast<uint32_t>(p[i]) << 24 | p[i + 1] << 16 | p[i + 2] << 8 | p[i + 3];
        if (fourIndex.count(v)) {
          tokens[s].push_back({::pravella::edic::kHuffmanFourBytes, v});
          i += 4;
          continue;
        }
      }
      if (i + 2 <= 2048) {
        const uint32_t v = static_cast<uint32_t>(p[i]) << 8 | p[i + 1];
        if (twoIndex.count(v)) {
          tokens[s].push_back({::pravella::edic::kHuffmanTwoBytes, v});
          i += 2;
          continue;
        }
      }
      tokens[s].push_back({::pravella::edic::kHuffmanByte, p[i]});
      ++i;
    }
    for (const auto& t : tokens[s]) ++frequency[t];
  }
  Bytes table;
  for (uint32_t v : fourValues) {
    put(table, v, 4);
    put(table, std::min<uint32_t>(frequency[{::pravella::edic::kHuffmanFourBytes, v}], 65535), 2);
  }
  for (uint32_t v : twoValues) {
    put(table, v, 2);
    put(table, std::min<uint32_t>(frequency[{::pravella::edic::kHuffmanTwoBytes, v}], 65535), 2);
  }
  for (uint32_t v = 0; v < 256; ++v)
    put(table, std::min<uint32_t>(frequency[{::pravella::edic::kHuffmanByte, v}], 65535), 2);
  table.resize(static_cast<std::size_t>(std::max<int>(options.tableLength, static_cast<int>(table.size()))),
               0);

  // The codes, from the reader's own tree built over the same table.
  std::vector<HuffmanNode> nodes;
  for (uint32_t v : fourValues)
    nodes.push_back({::pravella::edic::kHuffmanFourBytes, v,
                     std::min<uint32_t>(frequency[{::pravella::edic::kHuffmanFourBytes, v}], 65535)});
  for (uint32_t v : twoValues)
    nodes.push_back({::pravella::edic::kHuffmanTwoBytes, v,
                     std::min<uint32_t>(frequency[{::pravella::edic::kHuffmanTwoBytes, v}], 65535)});
  for (uint32_t v = 0; v < 256; ++v)
    nodes.push_back({::pravella::edic::kHuffmanByte, v,
                     std::min<uint32_t>(frequency[{::pravella::edic::kHuffmanByte, v}], 65535)});
  nodes.push_back({::pravella::edic::kHuffmanEnd, 256, 1});
  const int root = ::pravella::edic::buildHuffmanTree(nodes);
  std::map<std::pair<int, uint32_t>, std::string> codes;
  std::vector<std::pair<int, std::string>> walk{{root, ""}};
  while (!walk.empty()) {
    auto [n, code] = walk.back();
    walk.pop_back();
    const HuffmanNode& node = nodes[static_cast<std::size_t>(n)];
    if (node.kind == ::pravella::edic::kHuffmanInner) {
      walk.push_back({node.one, code + "1"});
      walk.push_back({node.zero, code + "0"});
    } else {
      codes[{node.kind, node.value}] = code;
    }
  }

  std::vector<Bytes> records(slices);
  for (uint32_t s = 0; s < slices; ++s) {
    std::string bits;
    for (const auto& t : tokens[s]) bits += codes[t];
    bits += codes[{::pravella::edic::kHuffmanEnd, 256}];
    Bytes coded{0};
    for (std::size_t i = 0; i < bits.size(); i += 8) {
      unsigned char byte = 0;
      for (std::size_t k = 0; k < 8; ++k)
        byte = static_cast<unsigned char>(byte << 1 | (i + k < bits.size() && bits[i + k] == '1'));
      coded.push_back(byte);
    }
    if (options.storedSlices.count(s + 1) || coded.size() > 2049) {
      Bytes stored{1};
      stored.insert(stored.end(), text.bytes.begin() + s * 2048, text.bytes.begin() + (s + 1) * 2048);
      records[s] = stored;
    } else {
      records[s] = coded;
    }
  }
  const uint32_t groups = (slices + 1 + 15) / 16;
  const uint32_t tableOffset = 32, indexOffset = tableOffset + static_cast<uint32_t>(table.size());
  const uint32_t dataOffset = indexOffset + groups * 36;
  Bytes file;
  put(file, indexOffset, 4);
  put(file, groups * 36, 4);
  put(file, tableOffset, 4);
  put(file, table.size(), 4);
  file.resize(32, 0);
  file.insert(file.end(), table.begin(), table.end());
  std::vector<uint32_t> starts;
  uint32_t at = dataOffset;
  for (const Bytes& r : records) {
    starts.push_back(at);
    at += static_cast<uint32_t>(r.size());
  }
  starts.push_back(at);  // where slice n + 1 would start: the end of the last one
  for (uint32_t g = 0; g < groups; ++g) {
    const uint32_t base = starts[std::min<std::size_t>(g * 16, starts.size() - 1)];
    put(file, base, 4);
    for (uint32_t k = 0; k < 16; ++k) {
      const std::size_t slice = g * 16 + k;
      put(file, slice < starts.size() ? starts[slice] - base : 0, 2);
    }
  }
  for (const Bytes& r : records) file.insert(file.end(), r.begin(), r.end());
  return file;
}

// A book of many entries under index 0x91: the keys (sorted, each at most 30 bytes) on leaf
// pages, upper pages above them up to one root (page 2), each entry's heading (its key and
// an end escape) at 32-byte steps behind the index; entry i's text is its heading's position.
inline BookText generatedBook(const std::vector<std::string>& keys) {
  BookText text;
  // Leaves: entries packed behind a 4-byte header.
  std::vector<std::vector<std::size_t>> leaves(1);
  std::size_t used = 4;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::size_t size = 1 + keys[i].size() + 12;
    if (used + size > 2048) {
      leaves.emplace_back();
      used = 4;
    }
    leaves.back().push_back(i);
    used += size;
  }
  std::size_t keyLength = 1;
  for (const auto& k : keys) keyLength = std::max(keyLength, k.size());
  // Upper levels, bottom up, as lists of (last key, child index in the level below).
  std::vector<std::vector<std::vector<std::pair<std::string, std::size_t>>>> levels;
  std::vector<std::string> lastKeys;
  for (const auto& leaf : leaves) lastKeys.push_back(leaf.empty() ? std::string() : keys[leaf.back()]);
  const std::size_t perUpper = (2048 - 4) / (keyLength + 4);
  while (levels.empty() || levels.back().size() > 1) {
    std::vector<std::vector<std::pair<std::string, std::size_t>>> level;
    for (std::size_t i = 0; i < lastKeys.size(); ++i) {
      if (i % perUpper == 0) level.emplace_back();
      level.back().push_back({lastKeys[i], i});
    }
    std::vector<std::string> next;
    for (const auto& page : level) next.push_back(page.back().first);
    levels.push_back(level);
    lastKeys = next;
  }
  // Page numbers top down: the root is page 2, the leaves come last.
  std::vector<uint32_t> firstPage(levels.size() + 1);
  uint32_t page = 2;
  for (std::size_t l = levels.size(); l-- > 0;) {
    firstPage[l + 1] = page;
    page += static_cast<uint32_t>(levels[l].size());
  }
  firstPage[0] = page;  // the leaves
  const uint32_t lastIndexPage = page + static_cast<uint32_t>(leaves.size()) - 1;
  const uint32_t headingPage = lastIndexPage + 1;
  auto hitOf = [&](std::size_t i) {
    const uint32_t at = static_cast<uint32_t>(i) * 32;
    const uint32_t p = headingPage + at / 2048, o = at % 2048;
    return Hit{keys[i], p, o, p, o};
  };
  text.put(1, 0, indexTable({{0x91, 2, lastIndexPage - 2}}));
  for (std::size_t l = 0; l < levels.size(); ++l)
    for (std::size_t p = 0; p < levels[l].size(); ++p) {
      std::vector<std::pair<std::string, uint32_t>> entries;
      for (const auto& [key, child] : levels[l][p])
        entries.push_back({key, firstPage[l] + static_cast<uint32_t>(child)});
      text.put(firstPage[l + 1] + static_cast<uint32_t>(p), 0,
               upperPage(0x00, static_cast<int>(keyLength), entries));
    }
  for (std::size_t p = 0; p < leaves.size(); ++p) {
    std::vector<Hit> hits;
    for (std::size_t i : leaves[p]) hits.push_back(hitOf(i));
    text.put(firstPage[0] + static_cast<uint32_t>(p), 0,
             leafPage(p + 1 == leaves.size() ? 0xA0 : 0x80, hits));
  }
  for (std::size_t i = 0; i < keys.size(); ++i) {
    Bytes heading(keys[i].begin(), keys[i].end());
    put(heading, 0x1F0A, 2);
    const Hit h = hitOf(i);
    text.put(h.headingPage, h.headingOffset, heading);
  }
  return text;
}

struct CatalogBook {
  QString title{};
  std::string dir{};
  std::string zenGaiji{}, hanGaiji{};
  std::string rawTitle{};  // when set, the title bytes as they are
};

inline Bytes catalog(bool epwing, const std::vector<CatalogBook>& books, int count = -1) {
  Bytes b;
  put(b, count < 0 ? books.size() : static_cast<std::size_t>(count), 2);
  put(b, epwing ? 1 : 0, 2);
  b.resize(16, 0);
  auto field = [&b](std::string s, std::size_t n) {
    s.resize(n, ' ');
    append(b, s);
  };
  for (const auto& book : books) {
    put(b, 0, 2);
    field(book.rawTitle.empty() ? jis(book.title) : book.rawTitle, epwing ? 80 : 30);
    field(book.dir, 8);
    if (epwing) {
      b.resize(b.size() + 10, 0);
      field(book.zenGaiji, 8);
      b.resize(b.size() + 24, 0);
      field(book.hanGaiji, 8);
      b.resize(b.size() + 24, 0);
    }
  }
  return b;
}

// A gaiji font file: the header at byte 8, the glyphs from byte 2048.
inline Bytes gaijiFont(int width, int height, uint16_t first, const std::vector<Bytes>& glyphs) {
  Bytes b(8, 0);
  b.push_back(static_cast<unsigned char>(width));
  b.push_back(static_cast<unsigned char>(height));
  put(b, first, 2);
  put(b, glyphs.size(), 2);
  b.resize(2048, 0);
  for (const auto& g : glyphs) b.insert(b.end(), g.begin(), g.end());
  return b;
}

// A 16 x 16 glyph whose top row is black and the rest white.
inline Bytes topRowGlyph() {
  Bytes g(32, 0);
  g[0] = g[1] = 0xFF;
  return g;
}

// A grey figure as the body text holds one: 8 bytes, a bitmap file header, then
// `rowsWritten` rows of pixels (padded to 4 bytes).
inline Bytes greyFigure(int32_t width, int32_t height, uint32_t dataOffset, int rowsWritten) {
  Bytes b(8, 0);
  Bytes header(54, 0);
  header[0] = 'B';
  header[1] = 'M';
  auto le = [&header](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
      header[static_cast<std::size_t>(at + i)] = static_cast<unsigned char>(v >> (8 * i));
  };
  le(10, dataOffset);
  le(18, static_cast<uint32_t>(width));
  le(22, static_cast<uint32_t>(height));
  b.insert(b.end(), header.begin(), header.end());
  if (dataOffset <= 1000) b.resize(8 + dataOffset, 0);
  const int stride = (width + 3) / 4 * 4;
  for (int row = 0; row < rowsWritten; ++row)
    for (int x = 0; x < stride; ++x)
      b.push_back(x < width ? static_cast<unsigned char>(row * 100 + x) : 0xEE);
  return b;
}

// A picture record: 4 bytes, the little-endian size, the file.
inline Bytes pictureRecord(uint32_t size, const QByteArray& image) {
  Bytes b(4, 0);
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(size >> (8 * i)));
  b.insert(b.end(), image.begin(), image.end());
  return b;
}

// A small JPEG picture (8 x 4, red).
inline QByteArray jpeg() {
  QImage image(8, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG");
  return bytes;
}

inline void writeFile(const QString& path, const Bytes& bytes) {
  QDir().mkpath(path.section('/', 0, -2));
  QFile file(path);
  if (file.open(QIODevice::WriteOnly))
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

}  // namespace pravella::test::edic
