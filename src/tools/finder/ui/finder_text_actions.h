#pragma once
// What the finder sheet's text view does beyond editing: Enter (the keypad key) or Escape runs
// the code at the caret with the main memo's engine, on its worker, the result going in behind
// the code in this view; Option+Command with the arrows step the paragraphs' indent; a double
// click inside "[...]" follows a diary link.

#include <QPointer>
#include <QString>

#include <functional>

class CalOption;
class QKeyEvent;
class QTextEdit;
class mainTextView;

namespace pravella {

struct DeskToolHost;

struct FinderTextContext {
  // The calendar's steps (the shown day, the memo's document and history).
  const DeskToolHost* host = nullptr;
  // The path of the item the sheet shows (nowDisplayedDocumentPath).
  std::function<QString()> shownPath;
  // The sheet notes that its text changed.
  std::function<void()> textDidChange;
  // The engine and the indent steps; when unset, the main memo of the view's window and the
  // calendar's memo options.
  QPointer<mainTextView> memo;
  QPointer<CalOption> option;
};

// The run and indent keys; true when the key was used up. Enter and Escape while an input
// method composes text, and every other key, are left to the text view.
bool finderTextKey(QTextEdit* view, QKeyEvent* event, const FinderTextContext& context);

// Follows the link around the caret (checkDocumentLink); true when the double click is used up.
bool finderDocumentLink(QTextEdit* view, const FinderTextContext& context);

}  // namespace pravella
