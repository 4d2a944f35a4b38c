#pragma once
// Atomic writes of user data: the new content goes to a temporary file beside the target, is
// flushed to disk, then renamed over the target. A failure at any step leaves the old file as
// it was and says why (the system's own reason, such as "No space left on device"); the caller
// must then keep its "edited" state.
//
// Temporaries are named ".saving-<pid>-XXXXXXCCC" beside the target (six random letters and a
// check of them), so that what a killed save leaves behind can be found and cleaned up by
// `recoverInterruptedSaves`, and nothing else of that look is ever taken for it.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <utility>

namespace pravella {

struct WriteResult {
  bool ok = false;
  QString error;  // a sentence for the user when !ok
  // When ok: something the user should still know, such as a folder that could not be synced
  // after the new version took the document's place (it may not survive a power cut).
  QString warning;

  WriteResult() = default;
  // Most results are a verdict and a reason; a constructor lets them leave the warning out.
  WriteResult(bool ok_, QString error_ = {}, QString warning_ = {})
      : ok(ok_), error(std::move(error_)), warning(std::move(warning_)) {}
  explicit operator bool() const { return ok; }
};

// Whether the mode of an existing `path` forbids writing it (for a folder: changing what it
// holds), as a save must honour it even where the folder around would let a rename through.
bool writingForbidden(const QString& path);

// The refusal of a save of `path` that its mode forbids.
WriteResult readOnly(const QString& path);

// `shownName`, when given, is the name a failure message gives instead of `path`: the file
// the user knows, where `path` lies in a hidden temporary folder of a document being saved.
WriteResult writeFileAtomically(const QString& path, const QByteArray& data, const QString& shownName = {});
// The same with `zeros` zero bytes before `data`. They are left as a hole in the file, so a
// far position costs neither memory nor disk space.
WriteResult writeFileAtomicallyAt(const QString& path, qint64 zeros, const QByteArray& data,
                                  const QString& shownName = {});
// The same with the content given piece by piece, so that a large file is never whole in
// memory: `next` returns each piece in turn (valid until the next call), then an empty one.
using PieceSource = std::function<QByteArrayView()>;
WriteResult writeFileAtomicallyInPieces(const QString& path, const PieceSource& next,
                                        const QString& shownName = {});

// The same for a writer that opens the file itself by name (a library's muxer): `fill` writes
// the whole content into the temporary named `temp`, which exists, empty and with the mode the
// saved file is to have; it must write into that file, not replace it, and returns false with
// a reason on failure.
WriteResult writeFileAtomicallyThrough(const QString& path,
                                       const std::function<WriteResult(const QString& temp)>& fill,
                                       const QString& shownName = {});

// The same for a file that must not replace anything: fails (the system's "File exists") when
// `path` is taken, also by a file made there while this one was written.
WriteResult writeNewFileAtomicallyThrough(const QString& path,
                                          const std::function<WriteResult(const QString& temp)>& fill,
                                          const QString& shownName = {});

// Replaces a whole folder (an RTFD document): `fill` writes the new content into a temporary
// folder beside the target and returns false with a reason on failure; then the new folder is
// exchanged with the old one in one step and the old one removed. The old folder survives
// every failure before the exchange, and a kill at any moment leaves one whole document.
WriteResult replaceFolderAtomically(const QString& folder,
                                    const std::function<WriteResult(const QString& tempFolder)>& fill);

// Makes `to`, where no entry may be, a copy of the file or folder tree `from` (links inside
// copied as links). The copy is made under a temporary name beside `to` and takes its name
// only whole, never over an entry that appeared meanwhile: a failure, or a kill at any moment,
// leaves nothing at `to` (recovery removes the temporary).
WriteResult copyAtomically(const QString& from, const QString& to);

// Puts back or removes what interrupted saves of other (dead) processes left in `folder`:
// a document whose save was killed between two renames is put back in place; temporaries that
// are not the only copy of anything are removed. Entries a save did not name (a user's own
// ".saving-…" file or folder) are left alone. Runs before each folder save and at start-up.
void recoverInterruptedSaves(const QString& folder);

// A write beyond the file-size limit must fail with EFBIG like a full disk, not kill the
// process with SIGXFSZ and lose the unsaved edits. Called by the writers; mains call it early.
void ignoreFileSizeSignal();

}  // namespace pravella
