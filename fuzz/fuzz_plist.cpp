// The property-list parser on any bytes; what it accepts must serialise and parse again.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"
#include "platform/property_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pravella::fuzz::prepare();
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const pravella::plist::ParseResult first = pravella::plist::parse(bytes);
  if (!first.value) return 0;
  if (!pravella::plist::parse(pravella::plist::serialize(*first.value)).value) {
    std::fprintf(stderr, "read-back: a serialised value does not parse\n");
    std::abort();
  }
  return 0;
}
