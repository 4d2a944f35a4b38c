#pragma once
// The program-wide find text: the text last chosen for finding (the selection of a memo when
// the user asks to find it), which the find tool starts from. Any thread.

#include <QString>

namespace pravella {

void setProgramFindText(const QString& text);
QString programFindText();

}  // namespace pravella
