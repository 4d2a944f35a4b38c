#pragma once
// PackBits run-length coding, as picture pixel rows are stored: a header byte n of 0..127
// announces n + 1 literal bytes, -1..-127 announces the next byte repeated 1 - n times, and
// -128 is skipped.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pravella {

// Appends the packed form of `size` bytes at `data` to `out`.
void packBits(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);

// Unpacks `size` bytes at `data` into exactly `expected` bytes written to `out` (which must
// hold that many). Returns false when the input ends early or would overrun `expected`:
// packed data comes from files and must never write past the row it belongs to.
bool unpackBits(const std::uint8_t* data, std::size_t size, std::uint8_t* out, std::size_t expected);

}  // namespace pravella
