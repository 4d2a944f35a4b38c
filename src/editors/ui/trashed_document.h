#pragma once
// The document a view showed went to the Trash by another view or action (the day list's or
// the finder's Delete, Delete Marked, a replace from the save panel). The view lets it go and
// writes nothing under that path again: a save there would bring the document back out of the
// Trash unasked. Its unsaved edits belong to no file now; they are kept in the recovery folder
// (editors/recovered_edits.h), which the next start offers, and the status line of the view's
// window says what became of them.

#include <QString>

#include "editors/ui/document_save.h"

class QWidget;

namespace pravella {

struct TrashedDocumentEdits {
  bool kept = true;  // nothing was held, or it is in the recovery folder
  QString message;   // the line shown
};

// `path` is where the view's file was; `edited` whether it holds unsaved edits, written with
// `write` when it does.
TrashedDocumentEdits keepEditsOfTrashedDocument(QWidget* view, const QString& path, bool edited,
                                                const DocumentWriter& write);

}  // namespace pravella
