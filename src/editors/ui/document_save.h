#pragma once
// The one way a memo view writes the document it shows. When the file changed on disk since
// the view read it (another view saved it, or another program), it is never simply written
// over: the user chooses to keep the disk's version, their own (the other goes to the Trash)
// or both (theirs saved beside it as "name (2)"); a save no one is asked about keeps both.
// After the write every other view of the file reads it again or is told it changed.

#include <QString>
#include <functional>

#include "editors/open_documents.h"
#include "platform/atomic_file.h"

class QObject;
class QWidget;

namespace pravella {

enum class SaveOutcome {
  Written,   // the view's text is in the file it shows
  KeptBoth,  // the file stays; the view's text went beside it (DocumentSave::path)
  KeptDisk,  // the file stays; the view's text went to the Trash and the view shows the file
  Failed,    // nothing of the view's text was written (DocumentSave::error); it keeps its edits
};

struct DocumentSave {
  SaveOutcome outcome = SaveOutcome::Failed;
  QString path;   // where the view's text was written
  QString error;  // a sentence for the user when Failed
  // Failed unattended: where the view's text was kept instead (the recovery folder), or empty
  // when even that could not be written.
  QString recovered;
  bool ok() const { return outcome != SaveOutcome::Failed; }
};

using DocumentWriter = std::function<WriteResult(const QString& path)>;

// Writes the view's text to `target` with `write`, asking first (a panel on `parent`) when the
// slot shows `target` and the file changed since. Afterwards the slot shows what the view now
// holds: the target, the "name (2)" copy when the view follows it (Hooks::follow), or the
// target read again. A save no one watches (UnattendedSaves) that fails keeps the text in the
// recovery folder (editors/recovered_edits.h) and says on the console where, or that it could
// not be kept at all.
DocumentSave saveDocumentGuarded(DocumentSlot& slot, const QString& target, const DocumentWriter& write,
                                 QWidget* parent);

// The answers of the question; the panel's buttons carry these texts.
inline constexpr const char* kKeepBoth = "Keep Both";
inline constexpr const char* kKeepMine = "Keep Mine";
inline constexpr const char* kKeepDisk = "Keep the Disk's Version";

// A drawer's close button saves the text view it holds before the drawer goes, as closing it
// any other way does; when `save` fails the drawer stays open with the edits in it. Nothing is
// called once `owner` (the view's controller) has gone.
void saveBeforeClosing(QWidget* drawer, QObject* owner, std::function<bool()> save);

// Says on the status line of `view`'s window that its file was saved elsewhere while the view
// holds edits of its own (the view's next save asks which to keep).
void markChangedElsewhere(QWidget* view, const QString& path);
// Takes that back once it is over: the view saved the file (whichever version was kept) or
// shows another one.
void clearChangedElsewhere(QWidget* view, const QString& path);

}  // namespace pravella
