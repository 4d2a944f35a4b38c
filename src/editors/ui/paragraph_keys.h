#pragma once
// Return in a memo starts a new paragraph with the formats of the one it leaves. Qt's own
// Return on an empty line resets that line's formats to none (to end a list or a quote), so new
// text after an empty line or after a run's result fell back to the default 9-point sans and
// was saved so, instead of the memo's font.

class QEvent;
class QKeyEvent;
class QTextEdit;

namespace pravella {

// Handles a Return (or a keypad Enter that reaches the view as a plain key) in `view`: the
// selection goes, and a paragraph with the block and character formats at the caret follows.
// False, doing nothing, for any other key, with other modifiers, in a read-only view or while
// an input method composes.
bool insertParagraphKeepingFormats(QTextEdit* view, QKeyEvent* event);

// The same for a plain QTextEdit, through an event filter on it.
void keepFormatsOnReturn(QTextEdit* view);

}  // namespace pravella
