#pragma once
// The language's work folder (vkData) and preferences folder (vkPreferences) as set at start-up;
// a run without the application (pravella-calc, tests) takes the same folders under $HOME.

#include <string>

namespace pravella {

std::string languageWorkFolder();
std::string languagePreferencesFolder();

}  // namespace pravella
