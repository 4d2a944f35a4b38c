#pragma once
// The push buttons of a window take no keyboard focus from a click, as its tool buttons do: the
// focus stays in the memo the user was typing in, so that Return and space go on reaching the
// memo instead of pressing the button once more. Tab still reaches them.

class QWidget;

namespace pravella {

// For the buttons `window` holds now and later, its drawers included (docked or floating);
// dialogs over it keep their own focus rules.
void clickedButtonsTakeNoFocus(QWidget* window);

}  // namespace pravella
