#pragma once
// The outside places the web sheet knows by name. Only these constants name them; tests never
// contact them.

namespace pravella::web {

inline constexpr const char* kSearchHost = "www.google.com";        // "/search?q=" follows
inline constexpr const char* kEncyclopediaHost = "ja.wikipedia.org";  // "/wiki/" follows
inline constexpr const char* kTranslateHost = "translate.google.com";
inline constexpr const char* kProductPage = "http://pravella.sourceforge.net/";
inline constexpr const char* kLinksPage = "http://pravella.sourceforge.net/links.html";
inline constexpr const char* kPortalPage = "http://www.yahoo.co.jp/";
inline constexpr const char* kNewsPage = "http://news.google.co.jp/";

}  // namespace pravella::web
