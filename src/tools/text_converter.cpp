#include "tools/text_converter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include "lang/run_state.h"
#include "platform/child_processes.h"
#include "platform/console_log.h"
#include "platform/paths.h"

namespace pravella {

namespace {

// pandoc's writer names for the converter's format names.
QString pandocWriter(const QString& format) {
  if (format == "txt") return "plain";
  if (format == "html" || format == "rtf" || format == "docx" || format == "odt") return format;
  return {};
}

// LibreOffice's filters for the formats pandoc cannot write.
QString officeFilter(const QString& format) {
  if (format == "doc") return "doc";
  if (format == "wordml") return "xml:MS Word 2003 XML";
  return {};
}

// An RTFD document is a folder; its text is the RTF file inside.
QString readablePath(const QString& input) {
  const QFileInfo info(input);
  if (info.isDir() && QFileInfo::exists(input + "/TXT.rtf")) return input + "/TXT.rtf";
  return input;
}

QString inputReader(const QString& input) {
  const QString suffix = QFileInfo(input).suffix().toLower();
  if (suffix == "rtf" || suffix == "rtfd") return "rtf";
  if (suffix == "htm" || suffix == "html") return "html";
  if (suffix == "txt" || suffix.isEmpty()) return "markdown";
  return {};  // pandoc guesses from the extension
}

}  // namespace

ConverterCommand converterCommandFor(const QString& format, const QString& input, const QString& output) {
  // An absolute path: a name beginning with "-" must never pass for an option.
  const QString source = QFileInfo(readablePath(input)).absoluteFilePath();
  if (const QString writer = pandocWriter(format); !writer.isEmpty()) {
    QStringList args;
    if (const QString reader = inputReader(input); !reader.isEmpty()) args << "-f" << reader;
    args << "-t" << writer << "-s" << "-o" << output << "--" << source;
    return {"pandoc", args, output};
  }
  if (const QString filter = officeFilter(format); !filter.isEmpty()) {
    // soffice names its output after the input inside --outdir; the caller renames it.
    const QString folder = QFileInfo(output).absolutePath();
    const QString written =
        folder + "/" + QFileInfo(source).completeBaseName() + "." + (format == "wordml" ? QString("xml") : format);
    return {"soffice", {"--headless", "--convert-to", filter, "--outdir", folder, source}, written};
  }
  return {};
}

}  // namespace pravella

int textutilTool(const char* format, const char* path) {
  const QString fmt = QString::fromUtf8(format);
  const QString input = QString::fromUtf8(path);

  const QString name = QFileInfo(input).completeBaseName();
  const QString desktop = pravella::paths::desktop();
  QDir().mkpath(desktop);
  const QString output = desktop + "/" + name + "." + fmt;
  QFile::remove(output);

  const pravella::ConverterCommand command = pravella::converterCommandFor(fmt, input, output);
  if (command.program.isEmpty()) {
    showErrMessageToConsole(QString("textutil: no converter writes the format %1").arg(fmt).toStdString());
    return 0;
  }
  if (QStandardPaths::findExecutable(command.program).isEmpty()) {
    showErrMessageToConsole(QString("textutil: %1 is not installed").arg(command.program).toStdString());
    return 0;
  }
  // Standard input closed (pandoc reads it when it sees no file), and the held mouse stops
  // a converter that does not end.
  pravella::ChildRequest request;
  request.program = command.program;
  request.arguments = command.arguments;
  request.workingFolder = QFileInfo(input).absolutePath();
  const pravella::ChildResult ran = pravella::runChild(request, -1, [] { return ButtonPress(); });
  if (!ran.started || ran.stopped) {
    showErrMessageToConsole(QString("textutil: %1 %2").arg(command.program, ran.stopped ? "was stopped" : "did not run").toStdString());
    return 0;
  }
  // soffice exits 0 even when it wrote nothing, so the output file is what tells.
  if (command.written != output && QFile::exists(command.written)) QFile::rename(command.written, output);
  if (ran.exitCode != 0 || !QFile::exists(output)) {
    showErrMessageToConsole(
        QString("textutil: %1 could not convert %2").arg(command.program, input).toStdString());
    return 0;
  }
  return 1;
}
