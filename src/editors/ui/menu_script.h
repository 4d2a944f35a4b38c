#pragma once
// How a menu runs its script (the memo menu buttons, the User menu): a name of a file in the
// Command folder runs that file's text; any other text runs as the program itself. The run
// goes to the main memo ("calculationOnEditModule") and draws into `window`.

#include <QString>

class QWidget;

namespace pravella {

void runMenuScript(const QString& script, const QWidget* window);

// A drawer's script button (the finder, the segmentation sheet): the same choice, but a script
// file's text runs as the memo menu runs a selection ("calculationOnMemoMenu").
void runScriptButton(const QString& script);

}  // namespace pravella
