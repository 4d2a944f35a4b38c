#include "tools/system/document_reading.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "lang/run_state.h"
#include "platform/bounded_read.h"
#include "platform/child_processes.h"
#include "platform/rich_text_file.h"
#include "platform/text_encoding.h"

namespace pravella {

namespace {

// A memo is a few megabytes at most; a larger "text" is no document to convert.
constexpr qint64 kMaxPlainText = 256LL * 1024 * 1024;

bool isRichText(const QFileInfo& info) {
  const QString suffix = info.suffix().toLower();
  if (suffix == QLatin1String("rtf") || suffix == QLatin1String("rtfd")) return true;
  // An RTFD document is a folder holding its text, whatever it is called.
  return info.isDir() && QFileInfo::exists(info.absoluteFilePath() + QStringLiteral("/") + QLatin1String(kRtfdTextName));
}

bool isPlainText(const QFileInfo& info) {
  const QString suffix = info.suffix().toLower();
  return suffix.isEmpty() || suffix == QLatin1String("txt") || suffix == QLatin1String("text");
}

bool readPlainText(const QString& path, QTextDocument& doc, QString* reason) {
  const BoundedRead read = readRegularFile(path, kMaxPlainText);
  if (!read) {
    *reason = read.error;
    return false;
  }
  bool utf8 = false;
  QString text = encoding::decode(read.data, encoding::kUtf8, &utf8);
  // Texts of the old system were Shift-JIS.
  if (!utf8) text = encoding::decodeLossy(read.data, encoding::kShiftJIS);
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  doc.setPlainText(text);
  return true;
}

bool readThroughPandoc(const QString& path, QTextDocument& doc, const QString& scratch, QString* reason) {
  const QString page = scratch + QStringLiteral("/input.html");
  ChildRequest request;
  request.program = QStringLiteral("pandoc");
  if (const QString reader = pandocReaderFor(path); !reader.isEmpty()) request.arguments << "-f" << reader;
  // "--" and an absolute path: a file name beginning with "-" is never taken for an option.
  request.arguments << "-t" << "html" << "-s" << "--extract-media=" + scratch + "/media" << "-o" << page << "--"
                    << QFileInfo(path).absoluteFilePath();
  request.workingFolder = scratch;
  const ChildResult ran = runChild(request, -1, [] { return ButtonPress(); });
  if (!ran.started) {
    *reason = QStringLiteral("pandoc is not installed; it reads %1 files").arg(QFileInfo(path).suffix());
    return false;
  }
  if (ran.stopped) {
    *reason = QStringLiteral("pandoc was stopped");
    return false;
  }
  const BoundedRead html = readRegularFile(page, kMaxPlainText);
  if (ran.exitCode != 0 || !html) {
    const QString said = QString::fromUtf8(ran.errorOutput).trimmed();
    *reason = QStringLiteral("pandoc could not read %1%2").arg(path, said.isEmpty() ? QString() : ": " + said);
    return false;
  }
  // The extracted pictures are named by their place in the scratch folder.
  doc.setBaseUrl(QUrl::fromLocalFile(scratch + QStringLiteral("/")));
  doc.setHtml(QString::fromUtf8(html.data));
  return true;
}

}  // namespace

QString pandocReaderFor(const QString& input) {
  const QString suffix = QFileInfo(input).suffix().toLower();
  if (suffix == QLatin1String("htm") || suffix == QLatin1String("html") || suffix == QLatin1String("xhtml"))
    return QStringLiteral("html");
  if (suffix == QLatin1String("md") || suffix == QLatin1String("markdown")) return QStringLiteral("markdown");
  if (suffix == QLatin1String("docx") || suffix == QLatin1String("odt") || suffix == QLatin1String("epub"))
    return suffix;
  return {};
}

bool readDocumentForConversion(const QString& input, QTextDocument& doc, const QString& scratch, QString* reason) {
  const QFileInfo info(input);
  if (!info.exists()) {
    *reason = QStringLiteral("%1 does not exist").arg(input);
    return false;
  }
  if (isRichText(info)) {
    if (readRichTextFile(info.absoluteFilePath(), doc)) return true;
    *reason = QStringLiteral("%1 could not be read as rich text").arg(input);
    return false;
  }
  if (info.isDir()) {
    *reason = QStringLiteral("%1 is a folder").arg(input);
    return false;
  }
  if (isPlainText(info)) return readPlainText(info.absoluteFilePath(), doc, reason);
  return readThroughPandoc(info.absoluteFilePath(), doc, scratch, reason);
}

}  // namespace pravella
