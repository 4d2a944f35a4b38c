#pragma once
// Conversion of a document file into another format on the Desktop, for the language's
// "textutil" built-in. pandoc does the work; LibreOffice only the formats pandoc cannot write
// (doc, wordml). The built-in saves the shown document first, so that converting it takes
// its latest text.

#include <QString>
#include <QStringList>

namespace pravella {

// The program and arguments that convert `input` into `output` in `format`; an empty program
// when no converter writes that format.
struct ConverterCommand {
  QString program;
  QStringList arguments;
  QString written;  // where the converter leaves its output (soffice names it itself)
};
ConverterCommand converterCommandFor(const QString& format, const QString& input, const QString& output);

}  // namespace pravella

// Removes an older output file, then converts `path` into "<Desktop>/<base name>.<format>" and waits for
// the converter. Returns 1 when the converter ran and ended with status 0, else 0; the
// language ignores the result, and the reasons go to the console log.
int textutilTool(const char* format, const char* path);
