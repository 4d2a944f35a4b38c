#pragma once
// Plain text on the system clipboard for the built-ins that copy text. The clipboard belongs
// to the GUI thread; a program on a worker thread waits while the text is put there. In a
// process without a GUI application (no clipboard) nothing happens.

#include <string_view>

namespace pravella::builtins {

// Empties the clipboard and puts the bytes there as plain text (UTF-8). Returns false when the
// text did not arrive; the clipboard is then emptied again.
bool putTextOnClipboard(std::string_view text);

}  // namespace pravella::builtins
