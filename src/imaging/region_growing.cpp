#include "imaging/region_growing.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "imaging/med_image_files.h"

int dataWidth = 0, dataHeight = 0, dataSlice = 0;
int DataPos = 0;
int setPointX = -1, setPointY = -1, setPointZ = -1;
std::int16_t deltaTHNumber = 1;

namespace {

std::size_t planeSize() { return static_cast<std::size_t>(dataWidth) * static_cast<std::size_t>(dataHeight); }
std::size_t volumeSize() { return planeSize() * static_cast<std::size_t>(std::max(dataSlice, 0)); }

bool buffersHeld() {
  return dataWidth > 0 && dataHeight > 0 && dataSlice > 0 && imageSGData.size() >= volumeSize() &&
         imageSGBUData.size() >= volumeSize();
}

// 1 where lower <= v <= upper.
std::unique_ptr<std::uint8_t[]> binary(const std::int16_t* values, std::size_t n, std::int16_t lower,
                                       std::int16_t upper) {
  std::unique_ptr<std::uint8_t[]> b(new (std::nothrow) std::uint8_t[n]);
  if (!b) return b;
  for (std::size_t i = 0; i < n; ++i)
    b[i] = static_cast<std::uint8_t>(values[i] >= lower && values[i] <= upper);
  return b;
}

// The stack of voxel indices: one allocation of `capacity`, untouched until used. Indices take
// 4 bytes below 2^32 voxels and 8 above.
template <class Index>
struct IndexStack {
  explicit IndexStack(std::size_t capacity) : data(new (std::nothrow) Index[capacity]) {}
  std::unique_ptr<Index[]> data;
  std::size_t size = 0;
  void push(std::size_t k) { data[size++] = static_cast<Index>(k); }
};

// The shared growth: `neighbours` pushes the neighbours of a point in their fixed order.
template <class Index, class Neighbours>
long long growWith(std::int16_t* mask, std::size_t n, long long seed, std::size_t limit,
                   Neighbours neighbours) {
  std::unique_ptr<std::uint8_t[]> out(new (std::nothrow) std::uint8_t[n]());
  IndexStack<Index> stack(n);
  if (!out || !stack.data) return 0;
  long long count = 0;
  if (seed >= 0) {
    stack.push(static_cast<std::size_t>(seed));
    while (stack.size > 0) {
      const std::size_t k = stack.data[--stack.size];
      if (mask[k] != 1) continue;
      out[k] = 1;
      mask[k] = 0;
      ++count;
      neighbours(k, stack, out.get());
      if (stack.size > limit) break;  // the stack would overflow: keep what was found
    }
  }
  for (std::size_t i = 0; i < n; ++i) mask[i] = out[i];
  return count;
}

template <class Neighbours>
long long grow(std::int16_t* mask, std::size_t n, long long seed, std::size_t limit, Neighbours neighbours) {
  if (n <= 0xFFFFFFFFu) return growWith<std::uint32_t>(mask, n, seed, limit, neighbours);
  return growWith<std::uint64_t>(mask, n, seed, limit, neighbours);
}

long long countWith(int slice, int lower, int upper, bool volume) {
  const auto lo = static_cast<std::int16_t>(std::clamp(lower, -32768, 32767));
  const auto hi = static_cast<std::int16_t>(std::clamp(upper, -32768, 32767));
  return volume ? segmentation3DImage(lo, hi) : segmentation2DImage(slice, lo, hi);
}

bool seedOnSlice() {
  return setPointX >= 0 && setPointX < dataWidth && setPointY >= 0 && setPointY < dataHeight;
}

// Moves `t` from `start` by `step` while `more(t)` holds and the count does not jump.
template <class More, class Count>
int stepThreshold(int start, int step, More more, long long prev, int jump, Count count) {
  int t = start;
  while (more(t)) {
    const long long c = count(t);
    if (std::llabs(c - prev) > jump) break;
    prev = c;
    t += step;
  }
  return t;
}

}  // namespace

long long getRegion(std::int16_t* maskSlice) {
  const std::size_t n = planeSize();
  const int w = dataWidth, h = dataHeight;
  const long long seed = setPointX >= 0 && setPointX < w && setPointY >= 0 && setPointY < h
                             ? static_cast<long long>(setPointY) * w + setPointX
                             : -1;
  auto neighbours = [maskSlice, w, h](std::size_t k, auto& stack, const std::uint8_t* out) {
    const int x = static_cast<int>(k % static_cast<std::size_t>(w));
    const int y = static_cast<int>(k / static_cast<std::size_t>(w));
    auto tryPush = [&](std::size_t j) {
      if (maskSlice[j] > 0 && out[j] == 0) stack.push(j);
    };
    if (x > 0) tryPush(k - 1);
    if (x < w - 1) tryPush(k + 1);
    if (y > 0) tryPush(k - static_cast<std::size_t>(w));
    if (y < h - 1) tryPush(k + static_cast<std::size_t>(w));
  };
  return grow(maskSlice, n, seed, n >= 4 ? n - 4 : 0, neighbours);
}

long long getVolumeRegion(std::int16_t* mask) {
  const std::size_t n = volumeSize(), plane = planeSize();
  const int w = dataWidth, h = dataHeight, s = dataSlice;
  const long long seed =
      setPointX >= 0 && setPointX < w && setPointY >= 0 && setPointY < h && setPointZ >= 0 && setPointZ < s
          ? static_cast<long long>(setPointZ) * static_cast<long long>(plane) +
                static_cast<long long>(setPointY) * w + setPointX
          : -1;
  auto neighbours = [mask, w, h, s, plane](std::size_t k, auto& stack, const std::uint8_t* out) {
    const std::size_t inPlane = k % plane;
    const int x = static_cast<int>(inPlane % static_cast<std::size_t>(w));
    const int y = static_cast<int>(inPlane / static_cast<std::size_t>(w));
    const int z = static_cast<int>(k / plane);
    auto tryPush = [&](std::size_t j) {
      if (mask[j] > 0 && out[j] == 0) stack.push(j);
    };
    if (x > 0) tryPush(k - 1);
    if (x < w - 1) tryPush(k + 1);
    if (y > 0) tryPush(k - static_cast<std::size_t>(w));
    if (y < h - 1) tryPush(k + static_cast<std::size_t>(w));
    if (z > 0) tryPush(k - plane);
    if (z < s - 1) tryPush(k + plane);
  };
  return grow(mask, n, seed, n >= 6 ? n - 6 : 0, neighbours);
}

long long segmentation2DImage(int slice, std::int16_t lower, std::int16_t upper) {
  if (!buffersHeld() || slice < 1 || slice > dataSlice) return 0;
  const int w = dataWidth, h = dataHeight;
  const std::size_t plane = planeSize();
  const std::size_t start = plane * static_cast<std::size_t>(slice - 1);
  std::unique_ptr<std::uint8_t[]> b = binary(imageSGData.data() + start, plane, lower, upper);
  if (!b) return 0;
  std::int16_t* mask = imageSGBUData.data() + start;
  // Majority of the pixel and its four neighbours; the outermost rows and columns keep their marks.
  for (int y = 1; y <= h - 2; ++y)
    for (int x = 1; x <= w - 2; ++x) {
      const std::size_t k = static_cast<std::size_t>(y) * w + x;
      const int sum = b[k] + b[k - 1] + b[k + 1] + b[k - w] + b[k + w];
      mask[k] = sum >= 4 ? 1 : 0;
    }
  return getRegion(mask);
}

long long segmentation3DImage(std::int16_t lower, std::int16_t upper) {
  if (!buffersHeld()) return 0;
  const int w = dataWidth, h = dataHeight, s = dataSlice;
  const std::size_t plane = planeSize(), n = volumeSize();
  std::unique_ptr<std::uint8_t[]> b = binary(imageSGData.data(), n, lower, upper);
  if (!b) return 0;
  std::int16_t* mask = imageSGBUData.data();
  // Majority of the voxel and its six neighbours; the outer shell keeps its marks.
  for (int z = 1; z <= s - 2; ++z)
    for (int y = 1; y <= h - 2; ++y) {
      const std::size_t row = static_cast<std::size_t>(z) * plane + static_cast<std::size_t>(y) * w;
      const std::uint8_t* c = b.get() + row;
      std::int16_t* m = mask + row;
      for (int x = 1; x <= w - 2; ++x) {
        const int sum = c[x] + c[x - 1] + c[x + 1] + c[x - w] + c[x + w] +
                        c[static_cast<std::ptrdiff_t>(x) - static_cast<std::ptrdiff_t>(plane)] + c[x + plane];
        m[x] = sum >= 5 ? 1 : 0;
      }
    }
  return getVolumeRegion(mask);
}

void highTHRegionUp(int slice, int, int highest, std::int16_t* lower, std::int16_t* upper, int jump,
                    bool volume) {
  if (!seedOnSlice()) return;
  const int lo = *lower;
  const auto count = [&](int t) { return countWith(slice, lo, t, volume); };
  const int t = stepThreshold(
      *upper + deltaTHNumber, deltaTHNumber, [highest](int v) { return v < highest; },
      countWith(slice, lo, *upper, volume), jump, count);
  *upper = static_cast<std::int16_t>(std::min(highest, t));
}

void lowTHRegionUp(int slice, int, int, std::int16_t* lower, std::int16_t* upper, int jump, bool volume) {
  if (!seedOnSlice()) return;
  const int hi = *upper;
  const auto count = [&](int t) { return countWith(slice, t, hi, volume); };
  const int t = stepThreshold(
      *lower + deltaTHNumber, deltaTHNumber, [hi](int v) { return v < hi; },
      countWith(slice, *lower, hi, volume), jump, count);
  *lower = static_cast<std::int16_t>(std::min(hi, t));
}

void highTHRegionDown(int slice, int, int, std::int16_t* lower, std::int16_t* upper, int jump, bool volume) {
  if (!seedOnSlice()) return;
  const int lo = *lower;
  const auto count = [&](int t) { return countWith(slice, lo, t, volume); };
  const int t = stepThreshold(
      *upper - deltaTHNumber, -deltaTHNumber, [lo](int v) { return v > lo; },
      countWith(slice, lo, *upper, volume), jump, count);
  *upper = static_cast<std::int16_t>(std::max(lo, t));
}

void lowTHRegionDown(int slice, int lowest, int, std::int16_t* lower, std::int16_t* upper, int jump,
                     bool volume) {
  if (!seedOnSlice()) return;
  const int hi = *upper;
  const auto count = [&](int t) { return countWith(slice, t, hi, volume); };
  const int t = stepThreshold(
      *lower - deltaTHNumber, -deltaTHNumber, [lowest](int v) { return v > lowest; },
      countWith(slice, *lower, hi, volume), jump, count);
  *lower = static_cast<std::int16_t>(std::max(lowest, t));
}

namespace {

// The index range of the scope, or false.
bool scope(bool volume, int slice, std::size_t* from, std::size_t* to) {
  if (!buffersHeld()) return false;
  if (volume) {
    *from = 0;
    *to = volumeSize();
    return true;
  }
  if (slice < 1 || slice > dataSlice) return false;
  *from = planeSize() * static_cast<std::size_t>(slice - 1);
  *to = *from + planeSize();
  return true;
}

}  // namespace

bool setNowSliceData(bool volume, int slice) {
  std::size_t from = 0, to = 0;
  if (!scope(volume, slice, &from, &to)) return false;
  std::copy(imageSGData.begin() + static_cast<std::ptrdiff_t>(from),
            imageSGData.begin() + static_cast<std::ptrdiff_t>(to),
            imageSGBUData.begin() + static_cast<std::ptrdiff_t>(from));
  return true;
}

bool keepArea(bool volume, int slice) {
  std::size_t from = 0, to = 0;
  if (!scope(volume, slice, &from, &to)) return false;
  for (std::size_t k = from; k < to; ++k)
    if (imageSGBUData[k] == 0) imageSGData[k] = 0;
  return true;
}

bool deleteArea(bool volume, int slice) {
  std::size_t from = 0, to = 0;
  if (!scope(volume, slice, &from, &to)) return false;
  for (std::size_t k = from; k < to; ++k)
    if (imageSGBUData[k] != 0) imageSGData[k] = imageSGBUData[k] = 0;
  return true;
}

bool invertArea() {
  if (!buffersHeld()) return false;
  for (std::size_t k = 0; k < volumeSize(); ++k) imageSGBUData[k] = imageSGBUData[k] == 0 ? 1 : 0;
  return true;
}

bool smoothImage(bool volume, int slice) {
  std::size_t from = 0, to = 0;
  if (!scope(volume, slice, &from, &to)) return false;
  const std::vector<std::int16_t> before(imageSGData.begin() + static_cast<std::ptrdiff_t>(from),
                                         imageSGData.begin() + static_cast<std::ptrdiff_t>(to));
  const int w = dataWidth, h = dataHeight;
  for (std::size_t base = 0; base < before.size(); base += planeSize())
    for (int y = 1; y <= h - 2; ++y)
      for (int x = 1; x <= w - 2; ++x) {
        int sum = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            sum += before[base + static_cast<std::size_t>(y + dy) * w + (x + dx)];
        imageSGData[from + base + static_cast<std::size_t>(y) * w + x] = static_cast<std::int16_t>(sum / 9);
      }
  return true;
}
