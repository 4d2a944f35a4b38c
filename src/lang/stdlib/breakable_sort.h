#pragma once
// Sorts that the held button stops. A sort of a long column or text takes tens of seconds, and
// the standard sorts cannot be paused, so the comparison looks at the break test every 65,536
// calls and, once the button has been held, ends the sort by throwing SortBroken. The range is
// then in no useful order; callers sort a copy and give it up.

#include <cstdint>

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

}  // namespace pravella::numerics
