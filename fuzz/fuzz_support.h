#pragma once
// What every fuzz target needs before its first input: a Qt application object (pictures and
// fonts need one), a scratch home, and for programs the started language.

namespace pravella::fuzz {

void prepare();
void prepareLanguage();

}  // namespace pravella::fuzz
