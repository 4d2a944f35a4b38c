#include "diary/diary_globals.h"

std::atomic<int> maxRecentMemo{1000};
std::atomic<int> openDocumentOnMemoStatus{1};
std::string vkDataCPath;
std::string vkPreferencesCPath;
std::string vkPrefPath;
std::atomic<int> SheetCanOpen{1};
