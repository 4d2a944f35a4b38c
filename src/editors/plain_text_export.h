#pragma once
// Plain text in and out of the memo: the exported file is Shift-JIS (what the diary's text
// files have always been), written atomically beside the document; an imported file may be in
// any of the encodings old text files come in.

#include <QString>
#include <optional>

#include "platform/atomic_file.h"

namespace pravella {

// The document's path with its last extension replaced by "txt" (a.rtfd -> a.txt,
// m.vk.rtfd -> m.vk.txt, notes -> notes.txt).
QString textExportPath(const QString& documentPath);

// Writes `text` Shift-JIS encoded. A character Shift-JIS cannot hold is written as "?" and
// counted in *replaced; the count also goes to the console log, so that nothing is lost
// without a word.
WriteResult writeShiftJISText(const QString& path, const QString& text, int* replaced = nullptr);

// Reads a text file, recognising a byte-order mark, ISO-2022-JP, UTF-8, EUC-JP and Shift-JIS
// in that order and falling back to Windows-1252. Nothing when the file cannot be read, is no
// regular file (a named pipe, a device) or is larger than 256 MiB.
std::optional<QString> readTextFileForImport(const QString& path);

}  // namespace pravella
