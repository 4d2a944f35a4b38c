#pragma once
// A memo view that shows no document (a launcher memo with no item chosen, the row memo with no
// row) is read-only, and a read-only editor drops typing, pastes and drops without a word. This
// hears them instead and calls `refuse`, which says why (a sound and the status line); nothing
// is taken in. The keys that move, select, copy or run code go on as ever.

#include <functional>

class QTextEdit;

namespace pravella {

void refuseInputWhileReadOnly(QTextEdit* view, std::function<void()> refuse);

}  // namespace pravella
