#pragma once
// What programs ask of the month diary list: its search of all memos. The list is a window;
// its controller observes kDoSpotlightSearch (payload: the search text; strings: the state,
// "0" or "1"). Returns true when a window took the request.

namespace pravella {
inline constexpr const char* kDoSpotlightSearch = "DoSpotlightSearch";
}

bool DoSpotlightSearchOnVK(const char* utf8, int state);
