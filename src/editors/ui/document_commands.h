#pragma once
// What programs do with a text view through the application commands: read its text, its
// selection and length, select a range, and set the font, size and colour of the selection.
// Written once for any view: the main memo's commands ("cal_getAllDocument" ...), the memo
// sheet's and a control panel's text view call the same functions. Answers go onto the
// running program's stack (command_bridge.h); a payload that does not fit changes nothing.

#include <QString>

class QTextEdit;

namespace pravella::doc_commands {

void answerSelectedText(QTextEdit* view);
void answerAllText(QTextEdit* view);
// (selection start, selection length)
void answerSelectedRange(QTextEdit* view);
// (0, text length)
void answerLength(QTextEdit* view);

// Selects (start, length) clamped into the text; a negative length selects nothing (the
// cursor goes to the clamped start).
void selectClamped(QTextEdit* view, int start, int length);
// A payload of exactly two TAB-separated integers; anything else changes nothing.
void selectRange(QTextEdit* view, const QString& payload);
void selectAll(QTextEdit* view);

// The text at the selection, as if typed (the caret goes behind it), in lines of bounded
// length: a program that inserts a line of millions of characters would otherwise hold the
// window for seconds at every insert. Text that would make the view taller than its layout can
// place is cut at the limit, and the running program's command fails with the reason (called
// only for a command in progress).
void insertText(QTextEdit* view, const QString& text);

// The selection (or the typing format) gets the named font at the size of the view's current
// font; an unknown font changes nothing.
void setFontName(QTextEdit* view, const QString& name);
// The current font's name at the payload's size; sizes below 1 change nothing.
void setFontSize(QTextEdit* view, const QString& payload);
// "r g b", each a number in 0 .. 1; anything else changes nothing.
void setFontColour(QTextEdit* view, const QString& payload);

}  // namespace pravella::doc_commands
