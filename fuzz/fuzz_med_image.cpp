// The medical image files and their ACR-NEMA/DICOM elements on any bytes. The first byte
// chooses the header byte order (its lowest bit: big-endian); the rest is the file. What a
// reader accepts must lie wholly inside the file, load whole, and save to a file that loads
// the same pixels; listings and look-ups stay inside the file.

#include <QFile>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "imaging/acr_nema.h"
#include "imaging/med_image_files.h"
#include "lang/builtins/startup.h"
#include "lang/values.h"

namespace {

using pravella::fuzz::fail;

void checkReaders(const std::string& path, long long size) {
  using Reader = int (*)(const std::string&, int*, int*, int*, int*);
  for (const Reader read : {Get_vkVol_Param, GetPACS_Param, GetDVParam, Get_H4_Param, Get_OldPET_Param}) {
    int w = 0, h = 0, s = 0, offset = 0;
    if (!read(path, &w, &h, &s, &offset)) continue;
    if (w < 1 || h < 1 || s < 1 || offset < 0) fail("a reader accepted a geometry that is not whole");
    if (offset + static_cast<__int128>(2) * w * h * s > size)
      fail("a reader accepted pixels beyond the end of the file");
  }
}

void checkLoad(const std::string& path, const std::string& copy) {
  int w = 0, h = 0, s = 0, offset = 0;
  if (!checkMedImageFile(path, &w, &h, &s, &offset)) return;
  float maximum = 0, minimum = 0;
  if (!getMaxMinAndData(path, w, h, s, offset, &maximum, &minimum)) fail("an accepted file does not load");
  const std::size_t count =
      static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * static_cast<std::size_t>(s);
  if (imageSGData.size() != count || imageSGBUData.size() != count)
    fail("the buffers do not fit the geometry");
  if (minimum > maximum) fail("the smallest value is above the largest");
  if (!getImageDataAtSlice(path, w, h, s, offset, s)) fail("the last slice does not read again");
  const std::vector<std::int16_t> loaded = imageSGData;
  if (!saveImageData(path, copy, loaded.data(), w, h, s, offset)) fail("the pixels do not save");
  // Pixels are saved as memory holds them: they read back the same where reading does not
  // turn the bytes (old PET files, big-endian headers).
  if (medFileType == 5 || ByteOrderBigEndian) return;
  if (!getMaxMinAndData(copy, w, h, s, offset, &maximum, &minimum) || imageSGData != loaded)
    fail("read-back: the saved pixels differ");
}

void checkElements(const std::string& path, long long size) {
  static std::vector<double> out(static_cast<std::size_t>(TNumber));
  int count = 0;
  DoACR_nema_paramList_vk(path, out.data(), &count);
  if (count < 0 || count > TNumber / 4) fail("the element listing passes its limit");
  for (int i = 0; i < count; ++i) {
    const double at = out[static_cast<std::size_t>(i) * 4];
    if (at < 0 || at + 8 > static_cast<double>(size)) fail("a listed element lies outside the file");
    if (i > 0 && at <= out[static_cast<std::size_t>(i - 1) * 4]) fail("the listing does not move forward");
  }
  const std::pair<std::uint16_t, std::uint16_t> tags[] = {{0x0028, 0x0010}, {0x0028, 0x0011},
                                                          {0x0028, 0x0030}, {0x0029, 0x0100},
                                                          {0x7FE0, 0x0010}, {0x0009, 0x0100}};
  for (const auto& [group, element] : tags) {
    double place[2];
    DoACR_nema_param_vk(path, group, element, place);
    if (place[0] != -1 && (place[0] < 8 || place[0] > static_cast<double>(size)))
      fail("an element's value lies outside the file");
    long long position = 0;
    if (DoACR_nema_param(path, group, element, &position) && (position < 8 || position > size))
      fail("an element's value lies outside the file");
  }
  float x = 0, y = 0, z = 0;
  getVoxelSize(path, &x, &y, &z);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pravella::fuzz::prepare();
  static const bool started = vkStartUp() == 1;
  if (!started) fail("the language does not start");
  QByteArray bytes = pravella::fuzz::bytesOf(data, size);
  ByteOrderBigEndian = pravella::fuzz::takeFirstByte(bytes) & 1;
  const QString file = pravella::fuzz::home() + QStringLiteral("/image.dat");
  if (!pravella::fuzz::writeFile(file, bytes)) fail("the scratch file cannot be written");
  const std::string path = file.toStdString();
  const std::string copy = (pravella::fuzz::home() + QStringLiteral("/copy.dat")).toStdString();
  checkReaders(path, bytes.size());
  checkLoad(path, copy);
  checkElements(path, bytes.size());
  ByteOrderBigEndian = 0;
  return 0;
}
