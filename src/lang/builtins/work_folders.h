#pragma once
// The language's work folder (vkData) and preferences folder (vkPreferences) as set at start-up;
// a run without the application (pravella-calc, tests) takes the same folders under $HOME.

#include <string>

namespace pravella {

// vkDataPathString, the folder useTempDirectory switches to.
std::string languageWorkFolder();
// vkDataCPath and vkPreferencesCPath, where user programs exchange their files and live.
std::string languageDataFolder();
std::string languagePreferencesFolder();

}  // namespace pravella
