#pragma once
// Plain text on the system clipboard for the built-ins that copy text. The clipboard belongs
// to the GUI thread; a program on a worker thread waits while the text is put there. In a
// process without a GUI application (no clipboard) nothing happens.

#include <optional>
#include <string>
#include <string_view>

namespace pravella::builtins {

// Empties the clipboard and puts the bytes there as plain text (UTF-8). Returns false when the
// text did not arrive; the clipboard is then emptied again.
bool putTextOnClipboard(std::string_view text);

// Whether this process has a clipboard at all (a GUI application).
bool hasClipboard();

// The plain text on the clipboard as UTF-8; nothing when it holds no text (or there is no
// clipboard).
std::optional<std::string> textFromClipboard();

}  // namespace pravella::builtins
