#pragma once
// Reading a rich text file (RTF, or an RTFD folder) for its plain text, as the alias file and
// the module files are read at start-up.

#include <QString>
#include <optional>

namespace pravella {

// The plain text of the file, or nullopt (reported on the console) when it cannot be read.
std::optional<QString> readRichTextFileAsPlainText(const QString& path);

}  // namespace pravella
