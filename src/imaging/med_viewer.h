#pragma once
// The computations of the medical image viewer, apart from its windows: reading a file's pixels
// in display order, mapping a slice through a window (lower and upper value) to 8-bit colour,
// and the circular regions of interest (statistics, hit test, the ".ROIData" string records).

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pravella::medview {

// The geometry checkMedImageFile gave, with the kind it recognised (medFileType).
struct MedGeometry {
  int width = 0, height = 0, slices = 0, offset = 0, kind = 0;
};

// Reads the whole pixel block as stored (no byte-order flag). Old PET slices (kind 5) are
// turned upside down with both bytes of each value swapped, and a 14-slice old PET file is put
// into its interleaved order. `progress` hears each slice turned. False on a failed read.
bool readViewerPixels(const std::string& path, const MedGeometry& g, std::vector<std::int16_t>& out,
                      const std::function<void(int)>& progress = {});

// The display window: values from lower to upper spread over levels 0..255.
struct Window {
  int lower = 0, upper = 255;
  double gain = 1.0;  // densityMag / 100
  bool blackWhite = false;
};

// 255 / (upper - lower); with equal bounds 255, so values above lower show full level.
double windowFactor(int lower, int upper);

// One slice (width x height values, row 0 on top) as an RGB picture. Each level is clamped to
// 0..255, and so is level x gain. With `roiMask`, pixels whose mask value is not above 0 are
// drawn at half brightness and the gain is not applied.
QImage sliceImage(const std::int16_t* slice, int width, int height, const Window& w,
                  const std::int16_t* roiMask = nullptr);

// The colour bar pictures: the rainbow table or a grey ramp, level 255 on top.
QImage colorBarImage(bool blackWhite);

// A ROI is 10 strings: no, slice, x, y (view points, y upwards, 0..255), size, max, min, mean,
// sd (diameter of a circle of its area in voxel units) and area (pixel count).
inline constexpr int kRoiFields = 10;
QStringList newRoi();

struct RoiStatistics {
  double maximum = 0, minimum = 0, mean = 0, diameter = 0;
  long long count = 0;
};

// Image pixels per view point of the 256-point view: the longer side fills it, so the whole
// image shows and every pixel can be reached (a taller than wide image scaled by its width
// lost its bottom rows). Square and wide images keep width / 256.
double pixelsPerViewPoint(int width, int height);

// The pixels of one slice within radius `radius` of view point (x, y); the largest and the
// smallest value start from the first pixel inside (0 and 0 when none is). `mask`, when given,
// gets each inside value and 0 elsewhere.
RoiStatistics roiStatistics(const std::int16_t* slice, int width, int height, double x, double y, int radius,
                            float sizeX, float sizeY, std::vector<std::int16_t>* mask = nullptr);

// Writes the statistics into fields 5..9 of ROI `row`.
void setRoiStatistics(QStringList& rois, int row, const RoiStatistics& s);

// The ROI of `slice` nearest to view point (x, y) within its radius (earlier wins on ties), or
// -1; *grabX, *grabY get the offset of the point from its centre (0 when none).
int roiHitTest(const QStringList& rois, int slice, double x, double y, double pixelsPerPoint, double* grabX,
               double* grabY);

// The ROI file beside an image: its path without the extension, then ".ROIData".
QString roiFilePath(const QString& imagePath);

// A ROI file's strings, or an empty list (and one console line) when it is not an array of
// strings, its count is not a multiple of 10 or a field is not a number. A missing file is
// empty without a line.
QStringList readRoiFile(const QString& path);

// The copied text of the ROI list: the header line, then one line per ROI.
QString roiText(const QStringList& rois);

}  // namespace pravella::medview
