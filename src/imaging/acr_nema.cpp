#include "imaging/acr_nema.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "lang/report.h"
#include "lang/stdlib/file_access.h"
#include "lang/values.h"
#include "platform/bounded_read.h"
#include "platform/cformat.h"
#include "platform/console_log.h"

namespace {

struct RecordHeader {
  std::uint16_t group = 0, element = 0;
  std::uint32_t length = 0;
};

bool readRecordHeader(std::FILE* f, long long at, RecordHeader& h) {
  unsigned char b[8];
  if (fseeko(f, at, SEEK_SET) != 0 || std::fread(b, 1, 8, f) != 8) return false;
  std::memcpy(&h.group, b, 2);
  std::memcpy(&h.element, b + 2, 2);
  std::memcpy(&h.length, b + 4, 4);
  if (ByteOrderBigEndian) {
    h.group = __builtin_bswap16(h.group);
    h.element = __builtin_bswap16(h.element);
    h.length = __builtin_bswap32(h.length);
  }
  return true;
}

// The longest value text that is read of an element.
constexpr std::size_t kMaxValueText = 255;

bool readValueText(std::FILE* f, const AcrElementPlace& place, std::string& text) {
  const std::size_t n = std::min<std::size_t>(place.length, kMaxValueText);
  char buf[kMaxValueText + 1];
  if (fseeko(f, place.valuePosition, SEEK_SET) != 0) return false;
  const std::size_t got = std::fread(buf, 1, n, f);
  if (got < n && std::ferror(f)) return false;
  text.assign(buf, got);
  return true;
}

// The value representations whose length field is 4 bytes behind 2 reserved ones.
bool longFormVr(const char vr[2]) {
  static const char* const kLong[] = {"OB", "OD", "OF", "OL", "OV", "OW", "SQ",
                                      "SV", "UC", "UN", "UR", "UT", "UV"};
  for (const char* v : kLong)
    if (vr[0] == v[0] && vr[1] == v[1]) return true;
  return false;
}

bool looksLikeVr(const unsigned char* b) { return b[0] >= 'A' && b[0] <= 'Z' && b[1] >= 'A' && b[1] <= 'Z'; }

// The transfer syntax UID of the file meta group, which the file format always writes in
// explicit VR little endian from offset 132; empty when it is not there.
std::string transferSyntax(std::FILE* f) {
  long long p = 132;
  for (int steps = 0; steps < 64; ++steps) {
    unsigned char b[12];
    if (fseeko(f, p, SEEK_SET) != 0 || std::fread(b, 1, 8, f) != 8) return {};
    const unsigned group = b[0] | b[1] << 8, element = b[2] | b[3] << 8;
    if (group != 0x0002 || !looksLikeVr(b + 4)) return {};
    const char vr[2] = {static_cast<char>(b[4]), static_cast<char>(b[5])};
    long long length = b[6] | b[7] << 8, header = 8;
    if (longFormVr(vr)) {
      if (std::fread(b + 8, 1, 4, f) != 4) return {};
      length = static_cast<long long>(b[8]) | b[9] << 8 | b[10] << 16 | static_cast<long long>(b[11]) << 24;
      header = 12;
    }
    if (element == 0x0010) {
      std::string uid(static_cast<std::size_t>(std::min<long long>(length, 64)), '\0');
      if (std::fread(uid.data(), 1, uid.size(), f) != uid.size()) return {};
      while (!uid.empty() && (uid.back() == '\0' || uid.back() == ' ')) uid.pop_back();
      return uid;
    }
    p += header + length;
  }
  return {};
}

}  // namespace

std::string unreadDicomKind(std::FILE* f) {
  char mark[4];
  if (fseeko(f, 128, SEEK_SET) == 0 && std::fread(mark, 1, 4, f) == 4 && std::memcmp(mark, "DICM", 4) == 0) {
    const std::string uid = transferSyntax(f);
    if (uid == "1.2.840.10008.1.2") return {};  // implicit VR little endian: the records read
    if (uid == "1.2.840.10008.1.2.1") return "DICOM explicit VR little endian";
    if (uid == "1.2.840.10008.1.2.2") return "DICOM explicit VR big endian";
    if (uid.rfind("1.2.840.10008.1.2.4.", 0) == 0) return "DICOM JPEG-compressed (" + uid + ")";
    if (uid == "1.2.840.10008.1.2.5") return "DICOM RLE-compressed";
    if (uid.empty()) return {};
    return "DICOM of transfer syntax " + uid;
  }
  // Without the preamble: an explicit VR stream shows its first record's representation where
  // an ACR-NEMA record has a half of its length; its first group, read in either byte order,
  // tells which order the stream has, whatever byte order the reader is set to.
  unsigned char b[8];
  if (fseeko(f, 0, SEEK_SET) != 0 || std::fread(b, 1, 8, f) != 8) return {};
  if (!looksLikeVr(b + 4)) return {};
  auto leading = [](unsigned group) { return group == 0x0002 || group == 0x0008; };
  if (leading(b[0] | b[1] << 8)) return "DICOM explicit VR little endian";
  if (leading(b[0] << 8 | b[1])) return "DICOM explicit VR big endian";
  return {};
}

std::string unreadDicomKind(const std::string& path) {
  // A named pipe would hold the open, a device the walk: only files are looked into.
  if (!pravella::isRegularFile(QString::fromStdString(path))) return {};
  pravella::UniqueFile file(std::fopen(path.c_str(), "rb"));
  return file ? unreadDicomKind(file.get()) : std::string();
}

std::string unreadDicomMessage(const std::string& name, const std::string& kind) {
  return name + " is a " + kind +
         " file, which is not read: only ACR-NEMA and implicit VR little endian files are.";
}

bool findAcrElement(std::FILE* file, long long start, std::uint16_t group, std::uint16_t element,
                    AcrElementPlace& place) {
  long long p = start;
  RecordHeader h;
  // Every step moves forward by at least 8 bytes, and a read past the end ends the walk.
  while (readRecordHeader(file, p, h)) {
    if (h.group == group) {
      if (h.element == element) {
        place.valuePosition = p + 8;
        place.length = h.length;
        return true;
      }
      p += 8 + static_cast<long long>(h.length);
    } else if (h.element == 0 && h.length == 4) {
      std::uint32_t skip = 0;
      if (std::fread(&skip, 1, 4, file) != 4) return false;
      if (ByteOrderBigEndian) skip = __builtin_bswap32(skip);
      p += static_cast<long long>(skip) + 12;
    } else {
      p += 8 + static_cast<long long>(h.length);
    }
  }
  return false;
}

long long acrRecordsStart(std::FILE* file) {
  char mark[4];
  if (fseeko(file, 128, SEEK_SET) == 0 && std::fread(mark, 1, 4, file) == 4 &&
      std::memcmp(mark, "DICM", 4) == 0)
    return 136;
  return 0;
}

int DoACR_nema_paramList_vk(std::string_view path, double* out, int* count) {
  *count = 0;
  pravella::UniqueFile file = pravella::openLanguageFile(path, "rb");
  if (!file) {
    std::fill_n(out, 4, -1.0);
    *count = 1;
    return 1;
  }
  std::FILE* f = file.get();
  if (const std::string kind = unreadDicomKind(f); !kind.empty()) {
    error_disp(unreadDicomMessage(std::string(path), kind));
    return 0;
  }
  long long size = -1;
  if (fseeko(f, 0, SEEK_END) == 0) size = ftello(f);
  const long long maxRows = TNumber / 4;
  long long p = acrRecordsStart(f);
  RecordHeader h;
  int rows = 0;
  while (readRecordHeader(f, p, h)) {
    if (rows >= maxRows) {
      showErrMessageToConsole(pravella::cformat("acr_nema_list: the listing stops at %d elements\n", rows));
      break;
    }
    double* row = out + static_cast<std::size_t>(rows) * 4;
    row[0] = static_cast<double>(p);
    row[1] = static_cast<std::int16_t>(h.group);
    row[2] = static_cast<std::int16_t>(h.element);
    row[3] = static_cast<std::int32_t>(h.length);
    ++rows;
    p += 8 + static_cast<long long>(h.length);
    if (p > size) break;  // the value runs past the end: nothing follows it
  }
  *count = rows;
  return 1;
}

int DoACR_nema_param_vk(std::string_view path, std::uint16_t group, std::uint16_t element, double out[2]) {
  out[0] = out[1] = -1;
  pravella::UniqueFile file = pravella::openLanguageFile(path, "rb");
  if (!file) return 1;
  if (const std::string kind = unreadDicomKind(file.get()); !kind.empty()) {
    error_disp(unreadDicomMessage(std::string(path), kind));
    return 0;
  }
  AcrElementPlace place;
  if (findAcrElement(file.get(), acrRecordsStart(file.get()), group, element, place)) {
    out[0] = static_cast<double>(place.valuePosition);
    out[1] = static_cast<std::int32_t>(place.length);
  }
  return 1;
}

int getVoxelSize(const std::string& path, float* x, float* y, float* z) {
  *x = *y = *z = 0;
  pravella::UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return 0;
  std::FILE* f = file.get();
  const long long start = acrRecordsStart(f);
  AcrElementPlace place;
  std::string text;
  if (!findAcrElement(f, start, 0x0029, 0x0100, place) || !readValueText(f, place, text)) return 0;
  *z = static_cast<float>(std::atof(text.c_str()));
  if (!findAcrElement(f, start, 0x0028, 0x0030, place) || !readValueText(f, place, text)) return 0;
  // The standard separates the row and column spacing with a backslash.
  std::replace(text.begin(), text.end(), '\\', ' ');
  std::sscanf(text.c_str(), "%f%f", x, y);
  return 1;
}
