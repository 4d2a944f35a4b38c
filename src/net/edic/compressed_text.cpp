#include "net/edic/compressed_text.h"

#include <cstring>

#include "net/edic/dictionary_table.h"

using namespace pravella::edic;

namespace pravella::edic {

int buildHuffmanTree(std::vector<HuffmanNode>& nodes) {
  const std::size_t leaves = nodes.size();
  if (leaves < 2) return -1;
  for (std::size_t i = 0; i + 1 < leaves; ++i) {
    std::size_t best = i;
    for (std::size_t j = i + 1; j < leaves; ++j)
      if (nodes[j].frequency > nodes[best].frequency) best = j;
    if (best != i) std::swap(nodes[i], nodes[best]);
  }
  auto takeSmallest = [&nodes](std::size_t before) -> int {
    int found = -1;
    for (std::size_t j = 0; j < before; ++j)
      if (nodes[j].frequency != 0 &&
          (found < 0 || nodes[j].frequency <= nodes[static_cast<std::size_t>(found)].frequency))
        found = static_cast<int>(j);
    return found;
  };
  for (std::size_t k = leaves; k < 2 * leaves - 1; ++k) {
    HuffmanNode inner;
    inner.one = takeSmallest(k);
    if (inner.one < 0) return -1;
    inner.frequency = nodes[static_cast<std::size_t>(inner.one)].frequency;
    nodes[static_cast<std::size_t>(inner.one)].frequency = 0;
    inner.zero = takeSmallest(k);
    if (inner.zero < 0) return -1;
    inner.frequency += nodes[static_cast<std::size_t>(inner.zero)].frequency;
    nodes[static_cast<std::size_t>(inner.zero)].frequency = 0;
    nodes.push_back(inner);
  }
  return static_cast<int>(nodes.size()) - 1;
}

}  // namespace pravella::edic

namespace {

// Byte leaves always; two-byte leaves above 512 bytes of table; four-byte leaves above 4608.
bool readLeaves(BookFile& stream, uint32_t offset, uint32_t length, std::vector<HuffmanNode>& nodes) {
  const bool four = length > 4608, two = length > 512;
  const int64_t needed = (four ? 256 * 6 : 0) + (two ? 1024 * 4 : 0) + 256 * 2;
  std::vector<unsigned char> bytes(static_cast<std::size_t>(needed));
  if (!stream.seek(offset) || !stream.read(bytes.data(), needed)) return false;
  const unsigned char* p = bytes.data();
  nodes.clear();
  nodes.reserve(2 * (1 + 256 + (two ? 1024 : 0) + (four ? 256 : 0)));
  if (four)
    for (int i = 0; i < 256; ++i, p += 6)
      nodes.push_back({kHuffmanFourBytes, bigEndian(p, 4), bigEndian(p + 4, 2)});
  if (two)
    for (int i = 0; i < 1024; ++i, p += 4)
      nodes.push_back({kHuffmanTwoBytes, bigEndian(p, 2), bigEndian(p + 2, 2)});
  for (uint32_t i = 0; i < 256; ++i, p += 2) nodes.push_back({kHuffmanByte, i, bigEndian(p, 2)});
  nodes.push_back({kHuffmanEnd, 256, 1});
  return true;
}

void resetState(ZIP_Data& state) {
  state.stream.reset();
  state.bookName.clear();
  state.bodyPath.clear();
  state.bodySize = 0;
  state.nodes.clear();
  state.root = -1;
  state.slice = 0;
  state.position = 0;
  state.page.fill(0);
  state.indexOffset = state.indexLength = state.frequencyOffset = state.frequencyLength = 0;
}

int decodeInto(ZIP_Data& state, int64_t slice) {
  if (!state.stream) return -1;
  std::array<unsigned char, 2048> page{};
  const int n =
      eb_epwunzip_slice(page.data(), *state.stream, slice, state.indexLength, state.nodes, state.root);
  if (n < 0) return n;
  state.page = page;
  state.slice = slice;
  return n;
}

int readBytes(ZIP_Data& state, int n, unsigned char* bytes) { return getChar_EPWING_V6(n, bytes, state); }

}  // namespace

ZIP_Data& sharedZipData() {
  static ZIP_Data state;
  return state;
}

void Initialize_ZIP_Data() { resetState(sharedZipData()); }

ZIP_Data& Initialize_ZIP_Data_SP(ZIP_Data& state) {
  resetState(state);
  return state;
}

int eb_zopen_epwzipped(ZIP_Data& state, const std::string& name) {
  if (state.root >= 0 && state.bookName == name) {
    state.slice = 0;
    state.position = 0;
    state.stream = EBDictionaryFile(name);
    if (state.stream && state.stream->path() == state.bodyPath && state.stream->size() == state.bodySize)
      return 1;
  }
  resetState(state);
  state.bookName = name;
  state.stream = EBDictionaryFile(name);
  if (state.stream) {
    state.bodyPath = state.stream->path();
    state.bodySize = state.stream->size();
  }
  unsigned char header[16];
  if (!state.stream || !state.stream->read(header, sizeof header)) {
    resetState(state);
    return 0;
  }
  state.indexOffset = bigEndian(header, 4);
  state.indexLength = bigEndian(header + 4, 4);
  state.frequencyOffset = bigEndian(header + 8, 4);
  state.frequencyLength = bigEndian(header + 12, 4);
  if (state.indexLength < 36 || state.frequencyLength < 512 ||
      !readLeaves(*state.stream, state.frequencyOffset, state.frequencyLength, state.nodes)) {
    resetState(state);
    return 0;
  }
  state.root = buildHuffmanTree(state.nodes);
  if (state.root < 0) {
    resetState(state);
    return 0;
  }
  return 1;
}

int eb_zclose(ZIP_Data& state) {
  state.slice = 0;
  state.position = 0;
  state.stream.reset();
  return 1;
}

int64_t EPWING_V6_targetPointer(BookFile& stream, int64_t slice, uint32_t indexLength) {
  if (slice < 1) return -1;
  const int64_t group = (slice - 1) / 16;
  if ((group + 1) * 36 > static_cast<int64_t>(indexLength)) return -1;
  unsigned char word[4];
  if (!stream.seek(0) || !stream.read(word, 4)) return -1;
  const int64_t index = bigEndian(word, 4);
  unsigned char base[4], offset[2];
  if (!stream.seek(index + group * 36) || !stream.read(base, 4)) return -1;
  if (!stream.seek(index + group * 36 + 4 + ((slice - 1) % 16) * 2) || !stream.read(offset, 2)) return -1;
  return static_cast<int64_t>(bigEndian(base, 4)) + bigEndian(offset, 2);
}

int eb_epwunzip_slice(unsigned char* buffer, BookFile& stream, int64_t slice, uint32_t indexLength,
                      const std::vector<HuffmanNode>& nodes, int root) {
  const int64_t start = EPWING_V6_targetPointer(stream, slice, indexLength);
  const int64_t next = EPWING_V6_targetPointer(stream, slice + 1, indexLength);
  if (start < 0 || next < 0 || start >= next || next - start - 1 > kBookPageSize) return -1;
  const int64_t length = next - start - 1;
  unsigned char data[2049];
  if (!stream.seek(start) || !stream.read(data, length + 1)) return -1;
  if (data[0] != 0) {
    std::memcpy(buffer, data + 1, static_cast<std::size_t>(length));
    return static_cast<int>(length);
  }
  if (root < 0 || static_cast<std::size_t>(root) >= nodes.size()) return -1;
  int written = 0;
  int node = root;
  for (int64_t bit = 0; bit < length * 8; ++bit) {
    const bool one = (data[1 + bit / 8] >> (7 - bit % 8)) & 1;
    node = one ? nodes[static_cast<std::size_t>(node)].one : nodes[static_cast<std::size_t>(node)].zero;
    if (node < 0 || static_cast<std::size_t>(node) >= nodes.size()) return -1;
    const HuffmanNode& leaf = nodes[static_cast<std::size_t>(node)];
    if (leaf.kind == kHuffmanInner) continue;
    if (leaf.kind == kHuffmanEnd) return written;
    const int width = leaf.kind == kHuffmanByte ? 1 : leaf.kind == kHuffmanTwoBytes ? 2 : 4;
    for (int i = width - 1; i >= 0 && written < kBookPageSize; --i)
      buffer[written++] = static_cast<unsigned char>(leaf.value >> (8 * i));
    if (written >= kBookPageSize) return written;
    node = root;
  }
  // The bits ran out before the end-of-slice code.
  return -1;
}

int setNowPosition_EPWING_V6(int64_t slice, int64_t offset, ZIP_Data& state) {
  if (offset < 0) return 0;
  slice += offset / kBookPageSize;
  if (decodeInto(state, slice) < 0) return 0;
  state.position = static_cast<int>(offset % kBookPageSize);
  return 1;
}

int getNowPosition_EPWING_V6(int64_t* slice, int* offset, const ZIP_Data& state) {
  *slice = state.slice;
  *offset = state.position;
  if (state.position > 2047) {
    *slice = state.slice + 1;
    *offset = 0;
  }
  return 1;
}

int getChar_EPWING_V6(int64_t count, unsigned char* destination, ZIP_Data& state) {
  for (int64_t i = 0; i < count; ++i) {
    // The next slice is decoded when a byte of it is wanted, so that reading the last bytes
    // of a book's last slice does not fail.
    if (state.position > 2047) {
      if (decodeInto(state, state.slice + 1) < 0) return 0;
      state.position = 0;
    }
    destination[i] = state.page[static_cast<std::size_t>(state.position++)];
  }
  return 1;
}

int eb_uint1(ZIP_Data& state, uint32_t* value) {
  unsigned char b[1];
  if (!readBytes(state, 1, b)) return 0;
  *value = b[0];
  return 1;
}

int eb_uint2(ZIP_Data& state, uint32_t* value) {
  unsigned char b[2];
  if (!readBytes(state, 2, b)) return 0;
  *value = bigEndian(b, 2);
  return 1;
}

int eb_uint4(ZIP_Data& state, uint32_t* value) {
  unsigned char b[4];
  if (!readBytes(state, 4, b)) return 0;
  *value = bigEndian(b, 4);
  return 1;
}

namespace {
int bcd(ZIP_Data& state, int n, int64_t* value) {
  unsigned char b[6];
  if (!readBytes(state, n, b)) return 0;
  *value = bcdValue(b, n);
  return 1;
}
}  // namespace

int eb_bcd2(ZIP_Data& state, int64_t* value) { return bcd(state, 2, value); }
int eb_bcd4(ZIP_Data& state, int64_t* value) { return bcd(state, 4, value); }
int eb_bcd6(ZIP_Data& state, int64_t* value) { return bcd(state, 6, value); }
