#pragma once
// The document converter's writers, one per output format. Each writes `doc` to `output`
// (replacing a file there) and answers whether it did; external programs (pandoc for ODT and
// DOCX, LibreOffice for DOC and Word XML) get argument lists and work in `scratch`, a folder of
// the caller's that is removed afterwards.

#include <QString>
#include <QTextDocument>

namespace pravella {

struct WriterResult {
  bool ok = false;
  QString reason;  // a sentence when !ok
};

WriterResult writePlainTextDocument(const QTextDocument& doc, const QString& output);
WriterResult writeRtfDocument(const QTextDocument& doc, const QString& output);
// The page at `output`; its pictures go into the folder "<page name>_files" beside it.
WriterResult writeHtmlDocument(const QTextDocument& doc, const QString& output);
WriterResult writeOdtDocument(const QTextDocument& doc, const QString& output, const QString& scratch);
WriterResult writeDocxDocument(const QTextDocument& doc, const QString& output, const QString& scratch);
// "doc" or "wordml" through LibreOffice, when it is installed.
WriterResult writeOfficeDocument(const QTextDocument& doc, const QString& format, const QString& output,
                                 const QString& scratch);
WriterResult writeWebArchiveDocument(const QTextDocument& doc, const QString& output, const QString& scratch);

// The folder writeHtmlDocument puts a page's pictures in.
QString htmlPictureFolder(const QString& page);

}  // namespace pravella
