#pragma once
// Sorts that the held button stops. A sort of a long column or text takes tens of seconds, and
// the standard sorts cannot be paused.
//
// breakableSort (unstable, for values that equal ones cannot tell apart) partitions ranges
// longer than 65,536 elements three ways around a median of three, looking at the break test
// before each partition, and leaves the pieces to std::sort: no cost per comparison, no memory
// beyond the range. breakableLess (for the stable sort of text, whose comparisons cost far more
// than a count) wraps a comparison that looks at the break test every 65,536 calls and ends the
// sort by throwing SortBroken. After a break the range is in no useful order; callers sort a
// copy and give it up.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "lang/run_state.h"

namespace pravella::numerics {

struct SortBroken {};

// `less` with the break test. The count lives in the caller (`calls`), since the sorts copy
// their comparison into every level of their recursion.
template <class Less>
auto breakableLess(Less less, std::uint32_t& calls) {
  return [less, &calls](const auto& a, const auto& b) {
    if ((++calls & 0xFFFFu) == 0 && vkBreakHeld()) throw SortBroken{};
    return less(a, b);
  };
}

// Sorts [first, last) by `less` (a strict weak order); false when the held button stopped it.
// Past a depth of twice the range's binary logarithm (inputs that defeat the median of three)
// the rest of a range goes to std::sort whole, as the standard sort turns to heapsort.
template <class It, class Less>
bool breakableSort(It first, It last, Less less) {
  constexpr std::ptrdiff_t kPiece = std::ptrdiff_t{1} << 16;
  int depth = 0;
  for (std::ptrdiff_t n = last - first; n > 1; n >>= 1) depth += 2;
  while (last - first > kPiece) {
    if (vkBreakHeld()) return false;
    if (depth-- <= 0) break;
    const auto a = *first, b = *(first + (last - first) / 2), c = *(last - 1);
    const auto pivot = less(a, b) ? (less(b, c)   ? b
                                     : less(a, c) ? c
                                                  : a)
                                  : (less(a, c)   ? a
                                     : less(b, c) ? c
                                                  : b);
    // Below the pivot, equal to it (never empty: it holds the pivot), above it.
    const It equal = std::partition(first, last, [&](const auto& v) { return less(v, pivot); });
    const It above = std::partition(equal, last, [&](const auto& v) { return !less(pivot, v); });
    // The shorter side by recursion, the longer in this loop, so the stack stays shallow.
    if (equal - first < last - above) {
      if (!breakableSort(first, equal, less)) return false;
      first = above;
    } else {
      if (!breakableSort(above, last, less)) return false;
      last = equal;
    }
  }
  if (vkBreakHeld()) return false;
  std::sort(first, last, less);
  return true;
}

}  // namespace pravella::numerics
