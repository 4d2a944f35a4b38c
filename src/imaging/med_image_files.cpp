#include "imaging/med_image_files.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "imaging/acr_nema.h"
#include "imaging/volume_data.h"
#include "imaging/volume_file.h"
#include "lang/stdlib/file_access.h"
#include "lang/values.h"
#include "platform/atomic_file.h"

int medFileType = 0;
std::vector<std::int16_t> imageSGData;
std::vector<std::int16_t> imageSGBUData;

namespace {

using pravella::UniqueFile;

constexpr long long kH4Size = 0x72000;  // 14 slices of 128 x 128 behind an 8,192-byte header
constexpr long long kPetSlice = 32768;  // one 128 x 128 slice

UniqueFile openRead(const std::string& path) { return UniqueFile(std::fopen(path.c_str(), "rb")); }

long long sizeOf(std::FILE* f) {
  if (fseeko(f, 0, SEEK_END) != 0) return -1;
  return ftello(f);
}

bool readAt(std::FILE* f, long long at, void* into, std::size_t n, int elementSize) {
  if (fseeko(f, at, SEEK_SET) != 0) return false;
  std::size_t count = n;
  return ByteOrder_FSRead(f, &count, into, elementSize) == 0 && count == n;
}

// The geometry is whole and its pixel block lies inside a file of `size` bytes.
bool fits(long long width, long long height, long long slices, long long offset, long long size) {
  if (width < 1 || height < 1 || slices < 1 || offset < 0 || offset > INT_MAX || offset > size) return false;
  // The sizes come from the file's header (32 bits each): bound each product before taking it.
  if (width > kMaxVolumeVoxels / height) return false;
  const long long slice = width * height;
  if (slices > kMaxVolumeVoxels / slice) return false;
  return slices <= (size - offset) / (slice * 2);
}

int give(long long w, long long h, long long s, long long o, int* width, int* height, int* slices,
         int* offset) {
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  *slices = static_cast<int>(s);
  *offset = static_cast<int>(o);
  return 1;
}

void releaseBuffers() {
  std::vector<std::int16_t>().swap(imageSGData);
  std::vector<std::int16_t>().swap(imageSGBUData);
}

// Old PET pixels are stored in the other byte order from the other kinds.
void fixPetOrder(std::int16_t* values, std::size_t n) {
  if (medFileType == 5) vkSwapBytes16(values, n);
}

}  // namespace

int ByteOrder_FSRead(std::FILE* file, std::size_t* count, void* buffer, int elementSize) {
  const std::size_t want = *count;
  *count = std::fread(buffer, 1, want, file);
  if (ByteOrderBigEndian && (elementSize == 2 || elementSize == 4 || elementSize == 8)) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    const auto size = static_cast<std::size_t>(elementSize);
    for (std::size_t i = 0; i + size <= *count; i += size) std::reverse(bytes + i, bytes + i + size);
  }
  return *count == want ? 0 : -1;
}

int Get_vkVol_Param(const std::string& path, int* width, int* height, int* slices, int* offset) {
  UniqueFile file = openRead(path);
  if (!file) return 0;
  std::FILE* f = file.get();
  const long long size = sizeOf(f);
  std::uint32_t l1 = 0, l2 = 0, dims[3];
  if (!readAt(f, 0, &l1, 4, 4) || l1 < 1 || l1 > 256) return 0;
  char text[257] = {};
  if (!readAt(f, 4, text, l1, 1)) return 0;
  text[l1] = 0;
  if (std::memcmp(text, kVolumeFileMagic, kVolumeFileMagicBytes) != 0) return 0;
  if (!readAt(f, 4 + l1, &l2, 4, 4) || l2 < 1 || l2 > 255) return 0;
  if (!readAt(f, 8LL + l1 + l2, dims, 12, 4)) return 0;
  // The file holds rows, columns, slices; a row is `columns` pixels wide.
  const long long rows = dims[0], columns = dims[1], count = dims[2];
  const long long dataOffset = 4LL + l1 + 4 + l2 + 12;
  if (!fits(columns, rows, count, dataOffset, size)) return 0;
  return give(columns, rows, count, dataOffset, width, height, slices, offset);
}

int GetPACS_Param(const std::string& path, int* width, int* height, int* slices, int* offset) {
  UniqueFile file = openRead(path);
  if (!file) return 0;
  std::FILE* f = file.get();
  const long long size = sizeOf(f);
  char mark[7];
  std::uint32_t a = 0, c = 0, count = 0;
  std::int16_t w = 0, h = 0;
  if (!readAt(f, 0, mark, 7, 1) || std::memcmp(mark, "TOVIMED", 7) != 0) return 0;
  if (!readAt(f, 78, &a, 4, 4) || !readAt(f, 86, &c, 4, 4) || !readAt(f, 90, &count, 4, 4)) return 0;
  if (!readAt(f, 1076, &w, 2, 2) || !readAt(f, 1078, &h, 2, 2)) return 0;
  if (c == 0) return 0;  // the data offset (C - 1) x A would lie before the file
  const unsigned long long dataOffset = static_cast<unsigned long long>(c - 1) * a;
  if (dataOffset > static_cast<unsigned long long>(INT_MAX) || count > static_cast<std::uint32_t>(INT_MAX))
    return 0;
  if (!fits(w, h, count, static_cast<long long>(dataOffset), size)) return 0;
  return give(w, h, count, static_cast<long long>(dataOffset), width, height, slices, offset);
}

int DoACR_nema_param(const std::string& path, std::uint16_t group, std::uint16_t element,
                     long long* position) {
  *position = -1;
  UniqueFile file = openRead(path);
  if (!file) return 0;
  AcrElementPlace place;
  if (!findAcrElement(file.get(), acrRecordsStart(file.get()), group, element, place)) return 0;
  *position = place.valuePosition;
  return 1;
}

int GetDVParam(const std::string& path, int* width, int* height, int* slices, int* offset) {
  UniqueFile file = openRead(path);
  if (!file) return 0;
  std::FILE* f = file.get();
  const long long size = sizeOf(f);
  // A file of the DICOM file format holds its elements behind the 128-byte preamble and
  // "DICM": walked from offset 0, the records fall out of step at the mark.
  const long long start = acrRecordsStart(f);
  AcrElementPlace wPlace, hPlace, sPlace, oPlace;
  std::uint16_t w = 0, h = 0;
  if (!findAcrElement(f, start, 0x0028, 0x0011, wPlace) || !readAt(f, wPlace.valuePosition, &w, 2, 2))
    return 0;
  if (!findAcrElement(f, start, 0x0028, 0x0010, hPlace) || !readAt(f, hPlace.valuePosition, &h, 2, 2))
    return 0;
  long long count = 1;
  if (findAcrElement(f, start, 0x0029, 0x0030, sPlace)) {
    std::uint32_t s = 0;
    if (!readAt(f, sPlace.valuePosition, &s, 4, 4)) return 0;
    count = s;
  }
  long long dataOffset = -1;
  if (findAcrElement(f, start, 0x0009, 0x0100, oPlace)) {
    std::uint32_t o = 0;
    if (!readAt(f, oPlace.valuePosition, &o, 4, 4)) return 0;
    dataOffset = o;
  } else if (findAcrElement(f, start, 0x7FE0, 0x0010, oPlace)) {
    dataOffset = oPlace.valuePosition;
  } else {
    return 0;
  }
  if (!fits(w, h, count, dataOffset, size)) return 0;
  return give(w, h, count, dataOffset, width, height, slices, offset);
}

int Get_H4_Param(const std::string& path, int* width, int* height, int* slices, int* offset) {
  UniqueFile file = openRead(path);
  if (!file || sizeOf(file.get()) != kH4Size) return 0;
  return give(128, 128, 14, 8192, width, height, slices, offset);
}

int Get_OldPET_Param(const std::string& path, int* width, int* height, int* slices, int* offset) {
  UniqueFile file = openRead(path);
  if (!file) return 0;
  const long long size = sizeOf(file.get());
  if (size < kPetSlice) return 0;
  const long long header = size % kPetSlice, count = size / kPetSlice;
  if (header != 1024 && header != 2048) return 0;
  return give(128, 128, count, header, width, height, slices, offset);
}

int checkMedImageFile(const std::string& path, int* width, int* height, int* slices, int* offset) {
  using Reader = int (*)(const std::string&, int*, int*, int*, int*);
  struct Kind {
    Reader read;
    int type;
  };
  static constexpr Kind kinds[] = {
      {Get_vkVol_Param, 4}, {GetPACS_Param, 1}, {GetDVParam, 2}, {Get_H4_Param, 3}, {Get_OldPET_Param, 5}};
  for (const Kind& k : kinds) {
    if (k.read(path, width, height, slices, offset)) {
      medFileType = k.type;
      return 1;
    }
  }
  return 0;
}

int getMaxMinAndData(const std::string& path, int width, int height, int slices, int offset, float* maximum,
                     float* minimum) {
  releaseBuffers();
  if (width < 1 || height < 1 || slices < 1 || offset < 0 ||
      static_cast<long long>(width) * height > kMaxVolumeVoxels / slices)
    return 0;
  const std::size_t n =
      static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(slices);
  try {
    imageSGData.assign(n, 0);
    imageSGBUData.assign(n, 0);
  } catch (const std::bad_alloc&) {
    releaseBuffers();
    return 0;
  }
  UniqueFile file = openRead(path);
  if (!file || !readAt(file.get(), offset, imageSGData.data(), n * 2, 2)) {
    releaseBuffers();
    return 0;
  }
  fixPetOrder(imageSGData.data(), n);
  const auto [lo, hi] = std::minmax_element(imageSGData.begin(), imageSGData.end());
  *maximum = static_cast<float>(*hi);
  *minimum = static_cast<float>(*lo);
  return 1;
}

int getImageDataAtSlice(const std::string& path, int width, int height, int slices, int offset, int slice) {
  if (width < 1 || height < 1 || slices < 1 || slice < 1 || slice > slices || offset < 0) return 0;
  const std::size_t plane = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (imageSGData.size() != plane * static_cast<std::size_t>(slices)) return 0;
  UniqueFile file = openRead(path);
  if (!file) return 0;
  std::int16_t* into = imageSGData.data() + plane * static_cast<std::size_t>(slice - 1);
  const long long at = offset + static_cast<long long>(plane) * 2 * (slice - 1);
  if (!readAt(file.get(), at, into, plane * 2, 2)) return 0;
  fixPetOrder(into, plane);
  return 1;
}

int saveImageData(const std::string& source, const std::string& destination, const std::int16_t* data,
                  int width, int height, int slices, int offset) {
  if (width < 1 || height < 1 || slices < 1 || offset < 0 ||
      static_cast<long long>(width) * height > kMaxVolumeVoxels / slices)
    return 0;
  const auto block = static_cast<long long>(width) * height * slices * 2;
  UniqueFile file = openRead(source);
  if (!file) return 0;
  std::string bytes;
  try {
    if (!pravella::readRest(file.get(), bytes)) return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (static_cast<long long>(bytes.size()) < offset + block) return 0;
  std::memcpy(bytes.data() + offset, data, static_cast<std::size_t>(block));
  const QByteArray out = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return pravella::writeFileAtomically(QFile::decodeName(destination.c_str()), out) ? 1 : 0;
}
