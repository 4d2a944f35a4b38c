#pragma once
// What programs ask of the web browser sheet. The sheet is a window; these entries reach its
// controller through the notification centre (it observes the names below), so that a program
// running without windows can call them. Each returns true when a window took the request,
// false when none is there to take it.

namespace pravella {

inline constexpr const char* kOpenWebViewSheet = "openWebViewSheet";
inline constexpr const char* kOpenWebSheetAndConnectURL_Y = "openWebSheetAndConnectURL_Y";
inline constexpr const char* kOpenWebSheetAndConnectURL_Wiki = "openWebSheetAndConnectURL_Wiki";

}  // namespace pravella

// Opens the web browser sheet.
bool openWebSheet();
// Opens the web sheet and loads the UTF-8 text as an address.
bool DoWebBrowser(const char* utf8);
// An encyclopedia search for the UTF-8 word in the web sheet.
bool DoWebBrowserWithWikiSearch(const char* utf8);
