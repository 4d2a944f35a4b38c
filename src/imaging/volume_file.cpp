#include "imaging/volume_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/volume_data.h"
#include "lang/report.h"
#include "lang/stdlib/file_access.h"
#include "lang/values.h"
#include "platform/cformat.h"

namespace {

// The longest voxel-size text with its zero byte that a reader takes (its length word must
// lie in 1..255, which is also how the reader tells the byte order).
constexpr std::size_t kMaxSizeText = 255;

void putWord(std::string& bytes, std::uint32_t v, bool swap) {
  if (swap) v = vkSwap32(v);
  bytes.append(reinterpret_cast<const char*>(&v), 4);
}

bool readWord(std::FILE* f, bool swap, std::uint32_t& v) {
  if (!pravella::readExactly(f, &v, 4)) return false;
  if (swap) v = vkSwap32(v);
  return true;
}

long long fileSize(std::FILE* f) {
  const long long here = ftello(f);
  if (here < 0 || fseeko(f, 0, SEEK_END) != 0) return -1;
  const long long size = ftello(f);
  if (fseeko(f, here, SEEK_SET) != 0) return -1;
  return size;
}

int cantRead() {
  error_disp("Can't read file.");
  return 0;
}

int noMemory() {
  error_disp("can not allocat the memory of the volume data.");
  return 0;
}

int cantSave() {
  error_disp("Can't open the save file.");
  return 0;
}

// The voxels as pieces of a file, each at most kVoxelPiece voxels, swapped into `scratch` when
// the file's byte order differs; otherwise straight from the volume, with no copy.
constexpr std::size_t kVoxelPiece = std::size_t{1} << 19;

class VoxelPieces {
 public:
  VoxelPieces(const std::vector<std::int16_t>& voxels, bool swap) : voxels_(voxels), swap_(swap) {
    if (swap_) scratch_.resize(std::min(voxels_.size(), kVoxelPiece));
  }
  std::string_view next() {
    const std::size_t n = std::min(kVoxelPiece, voxels_.size() - at_);
    const std::int16_t* from = voxels_.data() + at_;
    at_ += n;
    if (swap_) {
      std::copy(from, from + n, scratch_.begin());
      vkSwapBytes16(scratch_.data(), n);
      from = scratch_.data();
    }
    return {reinterpret_cast<const char*>(from), n * 2};
  }

 private:
  const std::vector<std::int16_t>& voxels_;
  bool swap_;
  std::vector<std::int16_t> scratch_;
  std::size_t at_ = 0;
};

// Writes `head` and then the voxels, piece by piece: a volume of a gigabyte is never copied
// whole into memory to be saved.
int saveVoxels(std::string_view path, const std::string& head, const std::vector<std::int16_t>& voxels,
               bool swap) {
  std::optional<VoxelPieces> pieces;
  try {
    pieces.emplace(voxels, swap);
  } catch (const std::bad_alloc&) {
    return cantSave();
  }
  bool headDone = head.empty();
  const auto next = [&]() -> std::string_view {
    if (!headDone) {
      headDone = true;
      return head;
    }
    return pieces->next();
  };
  if (!pravella::writeLanguageFileInPieces(path, next)) return cantSave();
  return 1;
}

}  // namespace

void vkSwapBytes16(std::int16_t* values, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    values[i] = static_cast<std::int16_t>(__builtin_bswap16(static_cast<std::uint16_t>(values[i])));
}

int DoSaveVolumeData(std::string_view path, double s1, double s2, double s3) {
  // The sizes must make a text the reader takes back: finite, and short enough.
  if (!std::isfinite(s1) || !std::isfinite(s2) || !std::isfinite(s3)) {
    error_disp("Invalid arguments.");
    return 0;
  }
  const std::string text = pravella::cformat("%9.4f %9.4f %9.4f ", s1, s2, s3);
  if (text.size() + 1 > kMaxSizeText) {
    error_disp("Invalid arguments.");
    return 0;
  }
  const VolumeSlot& v = *vData;
  if (v.empty()) return cantSave();
  const bool swap = ByteOrderBigEndian != 0;
  std::string head;
  putWord(head, kVolumeFileMagicBytes, swap);
  head.append(kVolumeFileMagic, kVolumeFileMagicBytes);
  putWord(head, static_cast<std::uint32_t>(text.size() + 1), swap);
  head.append(text.c_str(), text.size() + 1);
  putWord(head, static_cast<std::uint32_t>(v.rows), swap);
  putWord(head, static_cast<std::uint32_t>(v.columns), swap);
  putWord(head, static_cast<std::uint32_t>(v.slices), swap);
  return saveVoxels(path, head, v.voxels, swap);
}

int DoLoadVolumeData(std::string_view path, int* rows, int* columns, int* slices, double sizes[3]) {
  *rows = *columns = *slices = 0;
  sizes[0] = sizes[1] = sizes[2] = 0;
  pravella::UniqueFile file = pravella::openLanguageFile(path, "rb");
  if (!file) return cantRead();
  std::FILE* f = file.get();

  // The first word is the magic's length, 24: it tells the byte order.
  std::uint32_t first = 0;
  if (!readWord(f, false, first)) return 1;
  bool swap = false;
  if (first < 1 || first > 255) {
    first = vkSwap32(first);
    if (first < 1 || first > 255) return 1;
    swap = true;
  }
  if (first < kVolumeFileMagicBytes) return 1;
  char magic[256];
  if (!pravella::readExactly(f, magic, first)) return 1;
  if (std::memcmp(magic, kVolumeFileMagic, kVolumeFileMagicBytes) != 0) return 1;

  std::uint32_t textLength = 0;
  if (!readWord(f, swap, textLength) || textLength < 1 || textLength > kMaxSizeText) return 1;
  char text[kMaxSizeText + 1];
  if (!pravella::readExactly(f, text, textLength)) return 1;
  text[textLength] = 0;
  double s[3] = {0, 0, 0};
  std::sscanf(text, "%lf%lf%lf", &s[0], &s[1], &s[2]);

  std::uint32_t dims[3];
  for (std::uint32_t& d : dims)
    if (!readWord(f, swap, d)) return cantRead();
  std::fputs(pravella::cformat("volume size ....%5ld%5ld%5ld\n", static_cast<long>(dims[0]),
                               static_cast<long>(dims[1]), static_cast<long>(dims[2]))
                 .c_str(),
             stderr);

  // Everything is checked before the current slot is touched.
  std::vector<std::int16_t> voxels;
  if (dims[0] > INT32_MAX || dims[1] > INT32_MAX || dims[2] > INT32_MAX) return noMemory();
  const long long count = static_cast<long long>(dims[0]) * dims[1];
  if (count > kMaxVolumeVoxels || count * dims[2] > kMaxVolumeVoxels) return noMemory();
  const long long here = ftello(f), size = fileSize(f);
  if (here < 0 || size < 0) return cantRead();
  if (size - here < count * dims[2] * 2) return cantRead();
  if (!vkAllocVoxels(voxels, dims[0], dims[1], dims[2])) return noMemory();
  if (!pravella::readExactly(f, voxels.data(), voxels.size() * 2)) return cantRead();
  if (swap) vkSwapBytes16(voxels.data(), voxels.size());

  VolumeSlot& v = *vData;
  v.clear();
  v.voxels = std::move(voxels);
  v.rows = static_cast<std::int32_t>(dims[0]);
  v.columns = static_cast<std::int32_t>(dims[1]);
  v.slices = static_cast<std::int32_t>(dims[2]);
  *rows = v.rows;
  *columns = v.columns;
  *slices = v.slices;
  for (int i = 0; i < 3; ++i) sizes[i] = s[i];
  return 1;
}

int DoXSaveVolumeData(std::string_view path) {
  const VolumeSlot& v = *vData;
  if (v.empty()) return cantSave();
  return saveVoxels(path, {}, v.voxels, ByteOrderBigEndian != 0);
}

int DoxLoadVolumeData(std::string_view path, long long rows, long long columns, long long offset, int swap,
                      const double* sliceNumbers, int count) {
  if (rows < 0 || columns < 0 || offset < 0) {
    error_disp("invalid form structure");
    return 0;
  }
  if (rows < 1 || columns < 1 || count < 1 || rows > kMaxVolumeVoxels || columns > kMaxVolumeVoxels / rows ||
      count > kMaxVolumeVoxels / (rows * columns))
    return noMemory();
  pravella::UniqueFile file = pravella::openLanguageFile(path, "rb");
  if (!file) return cantRead();
  std::FILE* f = file.get();
  const long long size = fileSize(f);
  if (size < 0) return cantRead();

  // Every slice must lie inside the file before the slot is touched.
  const long long sliceBytes = rows * columns * 2;
  std::vector<long long> starts(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double s = std::trunc(sliceNumbers[i]);
    if (!(s >= 1) || s > 9.0e15 || offset > size) return cantRead();
    const auto index = static_cast<long long>(s) - 1;
    if (index > (size - offset) / sliceBytes) return cantRead();
    const long long start = offset + index * sliceBytes;
    if (size - start < sliceBytes) return cantRead();
    starts[static_cast<std::size_t>(i)] = start;
  }
  std::vector<std::int16_t> voxels;
  if (!vkAllocVoxels(voxels, rows, columns, count)) return noMemory();
  const auto perSlice = static_cast<std::size_t>(rows * columns);
  for (int i = 0; i < count; ++i) {
    std::int16_t* into = voxels.data() + static_cast<std::size_t>(i) * perSlice;
    if (fseeko(f, starts[static_cast<std::size_t>(i)], SEEK_SET) != 0 ||
        !pravella::readExactly(f, into, perSlice * 2))
      return cantRead();
  }
  // The file's order and the caller's extra swap cancel when both apply.
  if ((ByteOrderBigEndian != 0) != (swap == 1)) vkSwapBytes16(voxels.data(), voxels.size());

  VolumeSlot& v = *vData;
  v.clear();
  v.voxels = std::move(voxels);
  v.rows = static_cast<std::int32_t>(rows);
  v.columns = static_cast<std::int32_t>(columns);
  v.slices = count;
  return 1;
}
