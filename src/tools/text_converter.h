#pragma once
// Conversion of a document file into another format, for the export window and the
// language's "textutil" and "convertDocument" built-ins. Inputs: rich text (.rtf, .rtfd)
// through our own reader, plain text (UTF-8, else Shift-JIS), anything else through pandoc.
// Outputs: txt, rtf, html (pictures as JPEG files beside the page), odt and docx (pandoc),
// doc and wordml (LibreOffice, when installed) and webarchive (MHTML).

#include <QString>
#include <QStringList>

#include <functional>

namespace pravella {

struct ConversionResult {
  bool ok = false;
  QString output;  // the file written (or that would have been)
  QString reason;  // a sentence when !ok
};

// The formats the converter writes.
QStringList conversionFormats();

// Converts `input` into `output` in `format`; `started` runs once the conversion begins.
ConversionResult convertDocumentFile(const QString& format, const QString& input, const QString& output,
                                     const std::function<void()>& started = {});

// "<Desktop>/<input's name without its extension>.<format>", or "<name>-2.<format>" and so on
// where that is taken (for a page, where its picture folder is).
QString desktopOutputPath(const QString& format, const QString& input);

// Converts onto the Desktop under a free name (desktopOutputPath): nothing already there is
// removed or written over, so a failed conversion costs nothing.
ConversionResult convertOntoDesktop(const QString& format, const QString& input,
                                    const std::function<void()>& started = {});

// What textutilTool needs of the window that shows documents, set by the export window when it
// is made (functions safe to call from a program's thread). Without one there is no shown
// document to save and no sound.
struct ConverterHost {
  std::function<bool()> saveShownDocument;  // false: the save was refused
  std::function<void(const QString&)> playSound;
};
void setConverterHost(ConverterHost host);

}  // namespace pravella

// The language's converter: saves the shown document (a refused save ends it), converts `path`
// into "<Desktop>/<base name>.<format>" with "Ping" when it begins and "Basso" when it fails.
// Returns 1 when the file was written, else 0 with the reason reported as the program's error
// (a failed conversion ends the program); a refused save of the shown document returns 2 and
// reports it on the console only.
int textutilTool(const char* format, const char* path);
