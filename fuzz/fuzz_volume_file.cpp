// The volume data file on any bytes. The first byte holds the flags (bit 0: the byte order
// written, bit 1: the raw reader's extra swap); the next four the raw reader's rows, columns,
// offset and slice (each plus one, the offset as is); the rest is the file. A volume that
// loads must save and load again to the same voxels and sizes, in both the volume file and
// the raw form; a file that does not load leaves the current volume as it was.

#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "imaging/volume_data.h"
#include "imaging/volume_file.h"
#include "lang/builtins/startup.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "platform/cformat.h"

namespace {

using pravella::fuzz::fail;

struct Volume {
  std::int32_t rows = 0, columns = 0, slices = 0;
  std::vector<std::int16_t> voxels;
  bool operator==(const Volume&) const = default;
};

Volume current() { return {vData->rows, vData->columns, vData->slices, vData->voxels}; }

// A voxel size as the file's text keeps it.
double asWritten(double size) { return std::strtod(pravella::cformat("%9.4f", size).c_str(), nullptr); }

void checkReadBack(const double sizes[3]) {
  const Volume loaded = current();
  if (DoSaveVolumeData("again.vol", sizes[0], sizes[1], sizes[2])) {
    DoFreeVolumeData();
    int rows = 0, columns = 0, slices = 0;
    double again[3];
    if (!DoLoadVolumeData("again.vol", &rows, &columns, &slices, again) || !(current() == loaded))
      fail("read-back: the saved volume loads differently");
    if (rows != loaded.rows || columns != loaded.columns || slices != loaded.slices)
      fail("read-back: the sizes differ");
    for (int i = 0; i < 3; ++i)
      if (again[i] != asWritten(sizes[i])) fail("read-back: a voxel size differs");
  }
  // The raw form: the voxels alone, read back slice by slice.
  if (!DoXSaveVolumeData("again.raw")) fail("the raw voxels do not save");
  std::vector<double> numbers;
  for (int z = 1; z <= loaded.slices; ++z) numbers.push_back(z);
  if (!DoxLoadVolumeData("again.raw", loaded.rows, loaded.columns, 0, 0, numbers.data(),
                         static_cast<int>(numbers.size())) ||
      !(current() == loaded))
    fail("read-back: the raw voxels load differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pravella::fuzz::prepare();
  static const bool started = vkStartUp() == 1;
  if (!started) fail("the language does not start");
  current_fullPath = pravella::fuzz::home().toStdString();
  QByteArray bytes = pravella::fuzz::bytesOf(data, size);
  const int flags = pravella::fuzz::takeFirstByte(bytes);
  const int rows = pravella::fuzz::takeFirstByte(bytes) + 1,
            columns = pravella::fuzz::takeFirstByte(bytes) + 1;
  const int offset = pravella::fuzz::takeFirstByte(bytes);
  const double slice = pravella::fuzz::takeFirstByte(bytes) + 1;
  ByteOrderBigEndian = flags & 1;
  if (!pravella::fuzz::writeFile(pravella::fuzz::home() + QStringLiteral("/input.vol"), bytes))
    fail("the scratch file cannot be written");

  // A marker volume that a failed load must leave as it was.
  DoInitVolumeData();
  if (!DoCreateVolumeData(1, 2, 1)) fail("the marker volume cannot be made");
  vData->voxels = {7, -7};
  const Volume marker = current();
  int r = 0, c = 0, s = 0;
  double sizes[3];
  const int loaded = DoLoadVolumeData("input.vol", &r, &c, &s, sizes);
  if (r > 0) {
    if (!loaded || r != vData->rows || c != vData->columns || s != vData->slices)
      fail("the sizes given are not the volume's");
    if (vData->voxels.size() != vData->sliceSize() * static_cast<std::size_t>(s))
      fail("the voxels do not fit the sizes");
    checkReadBack(sizes);
  } else if (!(current() == marker)) {
    fail("a file that did not load changed the current volume");
  }

  DoInitVolumeData();
  if (!DoCreateVolumeData(1, 2, 1)) fail("the marker volume cannot be made");
  vData->voxels = {7, -7};
  if (DoxLoadVolumeData("input.vol", rows, columns, offset, (flags >> 1) & 1, &slice, 1)) {
    if (vData->rows != rows || vData->columns != columns || vData->slices != 1) fail("the raw sizes differ");
    if (offset + (slice * rows * columns) * 2 > bytes.size()) fail("a raw slice was read beyond the file");
  } else if (!(current() == marker)) {
    fail("a raw read that failed changed the current volume");
  }
  ResultString.clear();
  ByteOrderBigEndian = 0;
  return 0;
}
