#pragma once
// Small builders of the medical and volume files the imaging tests read: byte strings in
// either byte order, written into the test's home.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_home.h"

namespace medfix {

// Bytes in little-endian order, or big-endian when `big` is set.
struct Bytes {
  std::string data;
  bool big = false;

  Bytes& u16(std::uint16_t v) {
    const char b[2] = {char(v & 0xFF), char(v >> 8)};
    if (big)
      data.append({b[1], b[0]});
    else
      data.append(b, 2);
    return *this;
  }
  Bytes& u32(std::uint32_t v) {
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
    if (big)
      data.append({b[3], b[2], b[1], b[0]});
    else
      data.append(b, 4);
    return *this;
  }
  Bytes& text(const std::string& t) {
    data += t;
    return *this;
  }
  Bytes& zeros(std::size_t n) {
    data.append(n, '\0');
    return *this;
  }
  Bytes& padTo(std::size_t size) {
    if (data.size() < size) data.resize(size, '\0');
    return *this;
  }
  // Writes a 16-bit value at a fixed position, growing the data when needed.
  Bytes& put16(std::size_t at, std::uint16_t v) {
    Bytes b;
    b.big = big;
    b.u16(v);
    padTo(at + 2);
    data.replace(at, 2, b.data);
    return *this;
  }
  Bytes& put32(std::size_t at, std::uint32_t v) {
    Bytes b;
    b.big = big;
    b.u32(v);
    padTo(at + 4);
    data.replace(at, 4, b.data);
    return *this;
  }
  // One ACR-NEMA record: group, element, length, value.
  Bytes& element(std::uint16_t group, std::uint16_t elem, const std::string& value) {
    u16(group).u16(elem).u32(static_cast<std::uint32_t>(value.size()));
    data += value;
    return *this;
  }
  Bytes& element16(std::uint16_t group, std::uint16_t elem, std::uint16_t v) {
    u16(group).u16(elem).u32(2);
    return u16(v);
  }
  Bytes& element32(std::uint16_t group, std::uint16_t elem, std::uint32_t v) {
    u16(group).u16(elem).u32(4);
    return u32(v);
  }
  // Pixels 0, 1, 2, ... as 16-bit values.
  Bytes& ramp(std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) u16(static_cast<std::uint16_t>(i));
    return *this;
  }
};

inline std::string pathInHome(const std::string& name) {
  return pravella::test::home().toStdString() + "/" + name;
}

inline std::string write(const std::string& name, const std::string& bytes) {
  const std::string path = pathInHome(name);
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

inline std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A volume file: magic, voxel-size text, rows, columns, slices, then `voxels` values.
inline Bytes volumeFile(std::uint32_t rows, std::uint32_t columns, std::uint32_t slices, std::size_t voxels,
                        bool big = false, const std::string& sizes = "   1.0000    1.0000    2.0000 ") {
  Bytes b;
  b.big = big;
  b.u32(24).text(std::string("ZoT VolumeData Ver.1.00") + '\0');
  b.u32(static_cast<std::uint32_t>(sizes.size() + 1)).text(sizes + '\0');
  b.u32(rows).u32(columns).u32(slices);
  return b.ramp(voxels);
}

// A TOVIMED file: A x (C - 1) is the data offset.
inline Bytes tovimed(std::uint32_t a, std::uint32_t c, std::uint32_t slices, std::uint16_t w,
                     std::uint16_t h) {
  Bytes b;
  b.text("TOVIMED").put32(78, a).put32(82, 0).put32(86, c).put32(90, slices).put16(1076, w).put16(1078, h);
  return b;
}

// ACR-NEMA records: a group skipped by its group length, width 3, height 2, an optional slice
// count (2) and offset element, then the pixels. `offset` is where the pixels are found: the
// pixel element's value, or a second copy at the end that the offset element names.
struct AcrFile {
  Bytes bytes;
  int offset = 0;
};

inline AcrFile acrNema(bool slices, bool offsetElement, bool big = false) {
  AcrFile f;
  Bytes& b = f.bytes;
  b.big = big;
  b.element32(0x0008, 0x0000, 18).element(0x0008, 0x0010, std::string(10, 'x'));
  std::size_t offsetValue = 0;
  if (offsetElement) {
    offsetValue = b.data.size() + 8;
    b.element32(0x0009, 0x0100, 0);
  }
  b.element16(0x0028, 0x0010, 2).element16(0x0028, 0x0011, 3);
  if (slices) b.element32(0x0029, 0x0030, 2);
  const std::size_t pixels = slices ? 12 : 6;
  b.u16(0x7FE0).u16(0x0010).u32(static_cast<std::uint32_t>(pixels * 2));
  f.offset = static_cast<int>(b.data.size());
  b.ramp(pixels);
  if (offsetElement) {
    f.offset = static_cast<int>(b.data.size());
    b.put32(offsetValue, static_cast<std::uint32_t>(f.offset)).ramp(pixels);
  }
  return f;
}

// A file of the DICOM file format as scanners and toolkits write it: the 128-byte preamble,
// "DICM", the meta group in explicit VR little endian (its group length first) naming implicit
// VR little endian, then the data set in that form: a 16-bit monochrome image of width x
// height, pixels 0, 1, 2, ... `offset` is where the pixels begin.
inline AcrFile dicomFile(std::uint16_t width, std::uint16_t height) {
  Bytes meta;
  auto shortForm = [&meta](std::uint16_t element, const char* vr, const std::string& value) {
    meta.u16(0x0002).u16(element).text(vr).u16(static_cast<std::uint16_t>(value.size())).text(value);
  };
  meta.u16(0x0002).u16(0x0001).text("OB").u16(0).u32(2).u16(0x0100);         // the meta group's version
  shortForm(0x0002, "UI", std::string("1.2.840.10008.5.1.4.1.1.7") + '\0');  // secondary capture
  shortForm(0x0003, "UI", "1.2.3.4");
  shortForm(0x0010, "UI", std::string("1.2.840.10008.1.2") + '\0');  // implicit VR little endian
  AcrFile f;
  Bytes& b = f.bytes;
  b.zeros(128).text("DICM");
  b.u16(0x0002).u16(0x0000).text("UL").u16(4).u32(static_cast<std::uint32_t>(meta.data.size()));
  b.text(meta.data);
  b.element16(0x0028, 0x0002, 1).element(0x0028, 0x0004, "MONOCHROME2 ");
  b.element16(0x0028, 0x0010, height).element16(0x0028, 0x0011, width);
  b.element16(0x0028, 0x0100, 16).element16(0x0028, 0x0101, 16).element16(0x0028, 0x0102, 15);
  b.element16(0x0028, 0x0103, 1);
  const std::size_t pixels = std::size_t{width} * height;
  b.u16(0x7FE0).u16(0x0010).u32(static_cast<std::uint32_t>(pixels * 2));
  f.offset = static_cast<int>(b.data.size());
  b.ramp(pixels);
  return f;
}

}  // namespace medfix
