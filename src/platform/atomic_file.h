#pragma once
// Atomic writes of user data: the new content goes to a temporary file beside the target, is
// flushed to disk, then renamed over the target. A failure at any step leaves the old file as
// it was and says why; the caller must then keep its "edited" state.

#include <QByteArray>
#include <QString>
#include <functional>

namespace pravella {

struct WriteResult {
  bool ok = false;
  QString error;  // a sentence for the user when !ok
  explicit operator bool() const { return ok; }
};

WriteResult writeFileAtomically(const QString& path, const QByteArray& data);

// Replaces a whole folder (an RTFD document): `fill` writes the new content into a temporary
// folder beside the target and returns false with a reason on failure; then the old folder is
// swapped out and removed. The old folder survives every failure before the swap.
WriteResult replaceFolderAtomically(const QString& folder,
                                    const std::function<WriteResult(const QString& tempFolder)>& fill);

}  // namespace pravella
