#include "lang/stdlib/binary_elements.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

template <typename T>
T reverseBytes(T value) {
  std::array<unsigned char, sizeof(T)> b;
  std::memcpy(b.data(), &value, sizeof(T));
  std::reverse(b.begin(), b.end());
  std::memcpy(&value, b.data(), sizeof(T));
  return value;
}

template <typename T>
void put(std::string& out, T value, bool reversed) {
  if (reversed) value = reverseBytes(value);
  char b[sizeof(T)];
  std::memcpy(b, &value, sizeof(T));
  out.append(b, sizeof(T));
}

template <typename T>
T get(const unsigned char* at, bool reversed) {
  T value;
  std::memcpy(&value, at, sizeof(T));
  return reversed ? reverseBytes(value) : value;
}

struct NamedKind {
  std::string_view name;
  pravella::ElementKind kind;
};

using K = pravella::ElementKind;
constexpr std::array<NamedKind, 25> kTypeNames{{
    {"SignedByte", K::SignedByte},
    {"SByte", K::SignedByte},
    {"SignedChar", K::SignedByte},
    {"SChar", K::SignedByte},
    {"UnsignedByte", K::UnsignedByte},
    {"UByte", K::UnsignedByte},
    {"UnsignedChar", K::UnsignedByte},
    {"UChar", K::UnsignedByte},
    {"SignedShortInteger", K::SignedShort},
    {"SInteger", K::SignedShort},
    {"SShort", K::SignedShort},
    {"short", K::SignedShort},
    {"UnsignedShortInteger", K::UnsignedShort},
    {"UInteger", K::UnsignedShort},
    {"UShort", K::UnsignedShort},
    {"SignedLongInteger", K::SignedLong},
    {"SLong", K::SignedLong},
    {"Long", K::SignedLong},
    {"long", K::SignedLong},
    {"UnsignedLongInteger", K::UnsignedLong},
    {"ULong", K::UnsignedLong},
    {"Float", K::Float},
    {"float", K::Float},
    {"double", K::Double},
    {"Double", K::Double},
}};

}  // namespace

double ZOT_SwapFloat64(uint32_t firstHalf, uint32_t secondHalf) {
  unsigned char b[8];
  std::memcpy(b, &firstHalf, 4);
  std::memcpy(b + 4, &secondHalf, 4);
  std::reverse(b, b + 8);
  double value;
  std::memcpy(&value, b, 8);
  return value;
}

double ZOT_SwapFloat32(uint32_t raw) { return std::bit_cast<float>(reverseBytes(raw)); }

uint64_t ZoT_ConvertFloat64(double value) { return reverseBytes(std::bit_cast<uint64_t>(value)); }

uint32_t ZoT_ConvertFloat32(float value) { return reverseBytes(std::bit_cast<uint32_t>(value)); }

namespace pravella {

bool elementKindFromName(std::string_view name, ElementKind* kind) {
  for (const NamedKind& entry : kTypeNames) {
    if (entry.name == name) {
      *kind = entry.kind;
      return true;
    }
  }
  return false;
}

std::size_t elementSize(ElementKind kind) {
  switch (kind) {
    case ElementKind::SignedByte:
    case ElementKind::UnsignedByte:
      return 1;
    case ElementKind::SignedShort:
    case ElementKind::UnsignedShort:
      return 2;
    case ElementKind::SignedLong:
    case ElementKind::UnsignedLong:
    case ElementKind::Float:
      return 4;
    case ElementKind::Double:
      return 8;
  }
  return 8;
}

namespace {

// A double truncated toward zero. The low bytes of this are written, so the whole unsigned
// 32-bit range (3e9 as "ULong") survives, which truncation to a signed 32-bit integer loses.
int64_t truncated(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9.2e18) return INT64_MAX;
  if (v <= -9.2e18) return INT64_MIN;
  return static_cast<int64_t>(v);
}

// The low bytes of an integer; signed and unsigned kinds write the same bytes.
void putInteger(std::string& out, int64_t v, ElementKind kind, bool reversed) {
  switch (elementSize(kind)) {
    case 1:
      out.push_back(static_cast<char>(static_cast<uint8_t>(v)));
      break;
    case 2:
      put(out, static_cast<uint16_t>(v), reversed);
      break;
    default:
      put(out, static_cast<uint32_t>(v), reversed);
      break;
  }
}

}  // namespace

void encodeElements(const double* values, std::size_t n, ElementKind kind, bool reversed, std::string& out) {
  out.reserve(out.size() + n * elementSize(kind));
  for (std::size_t i = 0; i < n; ++i) {
    if (kind == ElementKind::Float) {
      put(out, static_cast<float>(values[i]), reversed);
    } else if (kind == ElementKind::Double) {
      put(out, values[i], reversed);
    } else {
      putInteger(out, truncated(values[i]), kind, reversed);
    }
  }
}

bool encodeIntElements(const int32_t* values, std::size_t n, ElementKind kind, bool reversed,
                       std::string& out) {
  if (kind == ElementKind::Float || kind == ElementKind::Double) return false;
  out.reserve(out.size() + n * elementSize(kind));
  for (std::size_t i = 0; i < n; ++i) putInteger(out, values[i], kind, reversed);
  return true;
}

void decodeElements(const unsigned char* bytes, std::size_t n, ElementKind kind, bool reversed, double* out) {
  const std::size_t size = elementSize(kind);
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char* at = bytes + i * size;
    switch (kind) {
      case ElementKind::SignedByte:
        out[i] = static_cast<int8_t>(at[0]);
        break;
      case ElementKind::UnsignedByte:
        out[i] = at[0];
        break;
      case ElementKind::SignedShort:
        out[i] = get<int16_t>(at, reversed);
        break;
      case ElementKind::UnsignedShort:
        out[i] = get<uint16_t>(at, reversed);
        break;
      case ElementKind::SignedLong:
        out[i] = get<int32_t>(at, reversed);
        break;
      case ElementKind::UnsignedLong:
        out[i] = get<uint32_t>(at, reversed);
        break;
      case ElementKind::Float:
        out[i] = get<float>(at, reversed);
        break;
      case ElementKind::Double:
        out[i] = get<double>(at, reversed);
        break;
    }
  }
}

}  // namespace pravella
