#include "graphics/packbits.h"

namespace pravella {

void packBits(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
  std::size_t i = 0;
  while (i < size) {
    // A run of three or more equal bytes is worth a repeat packet; shorter runs go literal.
    std::size_t run = 1;
    while (i + run < size && run < 128 && data[i + run] == data[i]) ++run;
    if (run >= 3) {
      out.push_back(static_cast<std::uint8_t>(1 - static_cast<int>(run)));
      out.push_back(data[i]);
      i += run;
      continue;
    }
    std::size_t start = i;
    std::size_t count = 0;
    while (i < size && count < 128) {
      if (i + 2 < size && data[i] == data[i + 1] && data[i] == data[i + 2]) break;
      ++i;
      ++count;
    }
    out.push_back(static_cast<std::uint8_t>(count - 1));
    out.insert(out.end(), data + start, data + start + count);
  }
}

bool unpackBits(const std::uint8_t* data, std::size_t size, std::uint8_t* out, std::size_t expected) {
  std::size_t in = 0;
  std::size_t written = 0;
  while (written < expected) {
    if (in >= size) return false;
    const int n = static_cast<std::int8_t>(data[in++]);
    if (n >= 0) {
      const std::size_t count = static_cast<std::size_t>(n) + 1;
      if (in + count > size || written + count > expected) return false;
      for (std::size_t k = 0; k < count; ++k) out[written++] = data[in++];
    } else if (n != -128) {
      const std::size_t count = static_cast<std::size_t>(1 - n);
      if (in >= size || written + count > expected) return false;
      const std::uint8_t value = data[in++];
      for (std::size_t k = 0; k < count; ++k) out[written++] = value;
    }
  }
  return true;
}

}  // namespace pravella
