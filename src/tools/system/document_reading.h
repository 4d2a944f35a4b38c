#pragma once
// How the document converter takes its input: rich text (.rtf, .rtfd) through our own RTF
// reader, so that the Shift-JIS bytes of old diaries come out as Japanese; plain text as UTF-8,
// or Shift-JIS when the bytes are no valid UTF-8; anything else (HTML, DOCX, ODT, Markdown...)
// through pandoc's readers.

#include <QString>
#include <QTextDocument>

namespace pravella {

// Reads `input` into `doc`. Pictures of a pandoc input are extracted into `scratch` (a folder
// that must outlive `doc`, whose pictures load from there when they are first asked for).
// False with a sentence in *reason when the input cannot be read.
bool readDocumentForConversion(const QString& input, QTextDocument& doc, const QString& scratch, QString* reason);

// The pandoc reader for an input's extension; empty when pandoc should guess it itself.
QString pandocReaderFor(const QString& input);

}  // namespace pravella
