#include "tools/text_converter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextDocument>

#include <mutex>

#include "lang/report.h"
#include "platform/console_log.h"
#include "platform/free_names.h"
#include "platform/paths.h"
#include "tools/system/document_reading.h"
#include "tools/system/document_writers.h"

namespace pravella {

namespace {

std::mutex hostMutex;
ConverterHost converterHost;

ConverterHost currentHost() {
  std::lock_guard lock(hostMutex);
  return converterHost;
}

}  // namespace

QStringList conversionFormats() {
  return {QStringLiteral("txt"),    QStringLiteral("rtf"),       QStringLiteral("html"),
          QStringLiteral("odt"),    QStringLiteral("docx"),      QStringLiteral("doc"),
          QStringLiteral("wordml"), QStringLiteral("webarchive")};
}

ConversionResult convertDocumentFile(const QString& format, const QString& input, const QString& output,
                                     const std::function<void()>& started) {
  ConversionResult result;
  result.output = output;
  if (!conversionFormats().contains(format)) {
    result.reason = QStringLiteral("No converter writes the format %1").arg(format);
    return result;
  }
  if (started) started();
  QTemporaryDir scratch;
  if (!scratch.isValid()) {
    result.reason = QStringLiteral("No temporary folder for the conversion: %1").arg(scratch.errorString());
    return result;
  }
  QTextDocument doc;
  if (!readDocumentForConversion(input, doc, scratch.path(), &result.reason)) return result;
  WriterResult written;
  if (format == QLatin1String("txt"))
    written = writePlainTextDocument(doc, output);
  else if (format == QLatin1String("rtf"))
    written = writeRtfDocument(doc, output);
  else if (format == QLatin1String("html"))
    written = writeHtmlDocument(doc, output);
  else if (format == QLatin1String("odt"))
    written = writeOdtDocument(doc, output, scratch.path());
  else if (format == QLatin1String("docx"))
    written = writeDocxDocument(doc, output, scratch.path());
  else if (format == QLatin1String("webarchive"))
    written = writeWebArchiveDocument(doc, output, scratch.path());
  else
    written = writeOfficeDocument(doc, format, output, scratch.path());
  result.ok = written.ok && QFileInfo(output).isFile();
  if (!result.ok)
    result.reason =
        written.reason.isEmpty() ? QStringLiteral("%1 was not written").arg(output) : written.reason;
  return result;
}

QString desktopOutputPath(const QString& format, const QString& input) {
  // A page brings its picture folder: both names must be free.
  const auto pictureFolderFree = [&format](const QString& page) {
    return format != QLatin1String("html") || nothingAt(htmlPictureFolder(page));
  };
  return freePathIn(paths::desktop(), QFileInfo(input).completeBaseName() + u'.' + format, pictureFolderFree);
}

ConversionResult convertOntoDesktop(const QString& format, const QString& input,
                                    const std::function<void()>& started) {
  if (!conversionFormats().contains(format))
    return {false, desktopOutputPath(format, input),
            QStringLiteral("No converter writes the format %1").arg(format)};
  if (!QDir().mkpath(paths::desktop()))
    return {false, desktopOutputPath(format, input),
            QStringLiteral("The Desktop folder %1 could not be made").arg(paths::desktop())};
  // A program's names are never expanded: "~/…" names no folder of the home.
  if (!QFileInfo(input).exists())
    return {false, desktopOutputPath(format, input), QStringLiteral("%1 does not exist").arg(input)};
  // The Desktop is the user's: what is there already (an earlier export, the input itself, a
  // file of the user's that has the name) stays, and the output takes a free name.
  return convertDocumentFile(format, input, desktopOutputPath(format, input), started);
}

void setConverterHost(ConverterHost host) {
  std::lock_guard lock(hostMutex);
  converterHost = std::move(host);
}

}  // namespace pravella

int textutilTool(const char* format, const char* path) {
  const pravella::ConverterHost host = pravella::currentHost();
  const auto sound = [&host](const char* name) {
    if (host.playSound) host.playSound(QString::fromLatin1(name));
  };
  // The shown document first, so that converting it takes its latest text.
  // A refused save is the user's answer, not a failure: the program goes on.
  if (host.saveShownDocument && !host.saveShownDocument()) {
    showErrMessageToConsole("textutil: the shown document could not be saved; nothing was converted\n");
    sound("Basso");
    return 2;
  }
  const pravella::ConversionResult result = pravella::convertOntoDesktop(
      QString::fromUtf8(format), QString::fromUtf8(path), [&sound] { sound("Ping"); });
  if (result.ok) return 1;
  sound("Basso");
  // The reason ends the program, on the console and in its result.
  error_disp(("textutil: " + result.reason).toStdString());
  return 0;
}
