#pragma once
// The selection of a text view as plain text: paragraph and line breaks as "\n", as programs,
// searches and tools read it.

#include <QTextEdit>

#include "platform/rich_text_file.h"

namespace pravella {

// Empty for no view.
inline QString selectedPlainText(const QTextEdit* view) {
  return view ? withLineFeeds(view->textCursor().selectedText()) : QString();
}

}  // namespace pravella
