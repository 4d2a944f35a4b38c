#include "tools/system/document_writers.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextDocumentWriter>
#include <QUrl>

#include "lang/run_state.h"
#include "platform/atomic_file.h"
#include "platform/bounded_read.h"
#include "platform/child_processes.h"
#include "platform/rich_text_file.h"
#include "tools/system/html_pictures.h"
#include "tools/system/mhtml_archive.h"

namespace pravella {

namespace {

// What an office converter may write (a document with many large pictures stays far below).
constexpr qint64 kMaxWritten = 1024LL * 1024 * 1024;

WriterResult failed(const QString& reason) { return {false, reason}; }

WriterResult fromWrite(const WriteResult& r) { return r ? WriterResult{true, {}} : failed(r.error); }

// A file made in the scratch folder, put in place atomically.
WriterResult deliver(const QString& made, const QString& output) {
  const BoundedRead read = readRegularFile(made, kMaxWritten);
  if (!read) return failed(read.error);
  return fromWrite(writeFileAtomically(output, read.data));
}

// Runs a converter and says why it failed, from its status and its error output (some exit 0
// without writing: the caller checks the file too).
WriterResult runConverter(const QString& program, const QStringList& arguments, const QString& folder,
                          const QString& expected) {
  ChildRequest request;
  request.kind = ChildKind::Converter;
  request.program = program;
  request.arguments = arguments;
  request.workingFolder = folder;
  const ChildResult ran = runChild(request, -1, [] { return ButtonPress(); });
  if (!ran.started) return failed(QStringLiteral("%1 could not be started: %2").arg(program, ran.error));
  if (ran.stopped) return failed(QStringLiteral("%1 was stopped").arg(program));
  if (ran.exitCode != 0 || !QFileInfo(expected).isFile()) {
    const QString said = QString::fromUtf8(ran.errorOutput).trimmed();
    return failed(QStringLiteral("%1 did not convert the document%2").arg(program, said.isEmpty() ? QString() : ": " + said));
  }
  return {true, {}};
}

}  // namespace

QString htmlPictureFolder(const QString& page) {
  const QFileInfo info(page);
  return info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral("_files");
}

WriterResult writePlainTextDocument(const QTextDocument& doc, const QString& output) {
  QString text = plainTextOf(doc);
  // A picture has no text.
  text.remove(QChar::ObjectReplacementCharacter);
  if (!text.isEmpty() && !text.endsWith(u'\n')) text += u'\n';
  return fromWrite(writeFileAtomically(output, text.toUtf8()));
}

WriterResult writeRtfDocument(const QTextDocument& doc, const QString& output) {
  return fromWrite(writeRtfFile(output, doc));
}

WriterResult writeHtmlDocument(const QTextDocument& doc, const QString& output) {
  const QFileInfo page(output);
  const HtmlWithPictures html =
      htmlWithPictureFiles(doc, page.absolutePath(), QFileInfo(htmlPictureFolder(output)).fileName() + QStringLiteral("/picture"));
  if (!html.ok) return failed(html.reason);
  return fromWrite(writeFileAtomically(output, html.html.toUtf8()));
}

namespace {

// Qt's own ODF writer leaves out styles.xml, without which pandoc and other readers refuse the
// file: the office formats are pandoc's, made from our HTML page and its picture files.
WriterResult writeThroughPandoc(const QTextDocument& doc, const QString& format, const QString& output,
                                const QString& scratch) {
  if (QStandardPaths::findExecutable(QStringLiteral("pandoc")).isEmpty())
    return failed(QStringLiteral("pandoc is not installed; it writes the %1 format").arg(format));
  const HtmlWithPictures html = htmlWithPictureFiles(doc, scratch, QStringLiteral("picture"));
  if (!html.ok) return failed(html.reason);
  const QString page = scratch + QStringLiteral("/document.html");
  const QString made = scratch + QStringLiteral("/document.") + format;
  if (WriterResult r = fromWrite(writeFileAtomically(page, html.html.toUtf8())); !r.ok) return r;
  if (WriterResult r = runConverter(QStringLiteral("pandoc"),
                                    {"-f", "html", "-t", format, "--resource-path=" + scratch, "-o", made, "--", page},
                                    scratch, made);
      !r.ok)
    return r;
  return deliver(made, output);
}

// The ODT LibreOffice starts from: Qt's writer keeps fonts and colours, and LibreOffice reads it.
WriterResult writeQtOdt(const QTextDocument& doc, const QString& output) {
  QTextDocumentWriter writer(output, "odf");
  if (!writer.write(&doc)) return failed(QStringLiteral("The ODT file %1 could not be written").arg(output));
  return {true, {}};
}

}  // namespace

WriterResult writeOdtDocument(const QTextDocument& doc, const QString& output, const QString& scratch) {
  return writeThroughPandoc(doc, QStringLiteral("odt"), output, scratch);
}

WriterResult writeDocxDocument(const QTextDocument& doc, const QString& output, const QString& scratch) {
  return writeThroughPandoc(doc, QStringLiteral("docx"), output, scratch);
}

WriterResult writeOfficeDocument(const QTextDocument& doc, const QString& format, const QString& output,
                                 const QString& scratch) {
  QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
  if (office.isEmpty()) office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
  if (office.isEmpty())
    return failed(QStringLiteral("LibreOffice (soffice) is not installed; it writes the %1 format").arg(format));
  const QString odt = scratch + QStringLiteral("/document.odt");
  if (WriterResult r = writeQtOdt(doc, odt); !r.ok) return r;
  const bool wordml = format == QLatin1String("wordml");
  const QString filter = wordml ? QStringLiteral("xml:MS Word 2003 XML") : QStringLiteral("doc");
  const QString folder = scratch + QStringLiteral("/out");
  const QString made = folder + (wordml ? QStringLiteral("/document.xml") : QStringLiteral("/document.doc"));
  // A profile of its own: otherwise a LibreOffice the user has open takes the job and this one
  // ends at once without a file.
  const QString profile = QUrl::fromLocalFile(scratch + QStringLiteral("/profile")).toString();
  if (WriterResult r = runConverter(office,
                                    {"-env:UserInstallation=" + profile, "--headless", "--convert-to", filter,
                                     "--outdir", folder, odt},
                                    scratch, made);
      !r.ok)
    return r;
  return deliver(made, output);
}

WriterResult writeWebArchiveDocument(const QTextDocument& doc, const QString& output, const QString& scratch) {
  const HtmlWithPictures html = htmlWithPictureFiles(doc, scratch, QStringLiteral("picture"));
  if (!html.ok) return failed(html.reason);
  QString page = html.html;
  QList<MhtmlPart> parts;
  for (const QString& file : html.pictures) {
    const BoundedRead jpeg = readRegularFile(scratch + u'/' + file, kMaxWritten);
    if (!jpeg) return failed(jpeg.error);
    const QString id = file + QStringLiteral("@pravella");
    page.replace(u'"' + relativeAddress(file) + u'"', QStringLiteral("\"cid:") + id + u'"');
    parts.append({QStringLiteral("image/jpeg"), id, jpeg.data});
  }
  QString title = doc.metaInformation(QTextDocument::DocumentTitle);
  if (title.isEmpty()) title = QFileInfo(output).completeBaseName();
  const QString location = QUrl::fromLocalFile(QFileInfo(output).absoluteFilePath()).toString(QUrl::FullyEncoded);
  return fromWrite(writeFileAtomically(output, mhtmlArchive(title, page, location, parts)));
}

}  // namespace pravella
