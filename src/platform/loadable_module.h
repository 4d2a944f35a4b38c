#pragma once
// Our own shared modules, opened on first use. Code whose libraries cost much to load (movie
// codecs, computer vision) is built as a module apart from the programs, so that a program
// that never needs it never loads them: pravella-calc starts in milliseconds, the application
// without the libraries' hundreds of dependencies.

#include <QString>

namespace pravella {

// The entry function `entry` of the module file `file` (e.g. "libpravella_media.so"),
// opened once per process and never closed; later calls answer from the first. Null when the
// module cannot be found or opened or lacks the entry, with the reason in `why`.
//
// The folders tried, in order: $PRAVELLA_MODULE_DIR, the folder of the running program, its
// ../lib/pravella, and the build's output folder.
void* loadableModuleEntry(const char* file, const char* entry, QString* why = nullptr);

// The table of functions that the entry `entry` of module `file` returns, when its `version`
// is `version`; null otherwise, with the reason in `why`. A module of another build is refused
// rather than called through the wrong layout.
template <typename Table>
const Table* loadableModuleTable(const char* file, const char* entry, int version, QString* why = nullptr) {
  using Entry = const Table* (*)();
  void* symbol = loadableModuleEntry(file, entry, why);
  if (!symbol) return nullptr;
  const Table* table = reinterpret_cast<Entry>(symbol)();
  if (!table || table->version != version) {
    if (why) *why = QString::fromUtf8(file) + QStringLiteral(" is of another build");
    return nullptr;
  }
  return table;
}

}  // namespace pravella
