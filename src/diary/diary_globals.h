#pragma once
// Process-wide settings of the diary that the language's built-ins read and set. Paths are set
// once at start-up, before any program runs; the numbers are read by programs on their worker
// thread, hence atomic.

#include <atomic>
#include <string>

// The most entries the recent-memo list keeps: 1000 until launch completes, then 20.
extern std::atomic<int> maxRecentMemo;
// 1 at start; changed by the language (changeOpenDocumentOnMemoStatus).
extern std::atomic<int> openDocumentOnMemoStatus;

// UTF-8 paths of the work folder and the language preferences folder.
extern std::string vkDataCPath;
extern std::string vkPreferencesCPath;
// The preferences folder as the colour table and other readers take it.
extern std::string vkPrefPath;

// Side views (sheets and drawers of the main window) open only while this is not 0 (1 at start).
extern std::atomic<int> SheetCanOpen;
