#pragma once
// Typed elements of raw binary files: the element type names programs give, their sizes, and
// the conversion between doubles (or 32-bit integers) and the bytes of a file, with the
// byte-order switch. Every typed read and write of the file built-ins goes through here, so
// that the name table and the conversion rules exist once.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Byte reversal of floating-point elements, as the file built-ins name it. The Swap pair
// reads: it takes the raw bytes as they lay in the file (two 32-bit halves in file order for
// a double) and gives the value with its bytes reversed. The Convert pair writes: it gives
// the bit pattern of the value with its bytes reversed, ready to write.
double ZOT_SwapFloat64(uint32_t firstHalf, uint32_t secondHalf);
double ZOT_SwapFloat32(uint32_t raw);
uint64_t ZoT_ConvertFloat64(double value);
uint32_t ZoT_ConvertFloat32(float value);

namespace pravella {

enum class ElementKind {
  SignedByte,
  UnsignedByte,
  SignedShort,
  UnsignedShort,
  SignedLong,
  UnsignedLong,
  Float,
  Double
};

// The kind a type name stands for (exact, case-sensitive names; first match wins). False for
// a name outside the table.
bool elementKindFromName(std::string_view name, ElementKind* kind);

// Bytes of one element in a file: 1, 2, 4 or 8.
std::size_t elementSize(ElementKind kind);

// Appends n elements made from doubles: integers by truncation toward zero and
// their low 1, 2 or 4 bytes; floats narrowed to single precision; doubles as they are. With
// `reversed` every element of 2 bytes or more is written byte-reversed.
void encodeElements(const double* values, std::size_t n, ElementKind kind, bool reversed, std::string& out);

// The same from 32-bit integers (the low 1, 2 or 4 bytes). False for Float and Double, which
// an integer matrix does not have.
bool encodeIntElements(const int32_t* values, std::size_t n, ElementKind kind, bool reversed,
                       std::string& out);

// Reads n elements from `bytes` (n x elementSize bytes) into doubles; unsigned kinds stay
// non-negative. With `reversed` every element of 2 bytes or more is byte-reversed first.
void decodeElements(const unsigned char* bytes, std::size_t n, ElementKind kind, bool reversed, double* out);

}  // namespace pravella
