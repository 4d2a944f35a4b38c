// The picture decoder on any bytes: refused or drawn, never a read outside the data.

#include <cstdint>

#include "fuzz_support.h"
#include "graphics/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pravella::fuzz::prepare();
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QString error;
  pravella::Picture(bytes).toImage(&error);
  return 0;
}
