#pragma once
// What goes to bc and what comes back into the memo: the selection as bc statements at four
// decimal places, and the answer " = <results>" (one last line end dropped), or on a new line
// what bc complained about when it printed no result.

#include <QString>

namespace pravella::bc {

QString script(const QString& selection);
QString answer(const QString& standardOutput, const QString& standardError);

}  // namespace pravella::bc
