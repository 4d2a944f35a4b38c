#include "tools/system/html_export.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextDocument>

#include <string>

#include "lang/text_services.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "tools/system/document_reading.h"
#include "tools/system/html_pictures.h"

namespace pravella {

QString htmlExportFolder() { return paths::desktop() + QStringLiteral("/vkHTML_folder"); }

QString withoutFileScheme(const QString& page) {
  const QByteArray utf8 = page.toUtf8();
  std::string out;
  if (!swapTextString(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), "file:///",
                      "", out))
    return page;
  return QString::fromStdString(out);
}

HtmlExportResult exportHtmlFolder(const QString& document, const std::function<void()>& started) {
  HtmlExportResult result;
  const QString name = QFileInfo(document).completeBaseName();
  const QString parent = htmlExportFolder();
  result.folder = parent + u'/' + name + QStringLiteral(".htmld");
  result.page = result.folder + QStringLiteral("/index.html");
  if (!QFileInfo(parent).isDir() && !QDir().mkpath(parent)) {
    result.reason = QStringLiteral("The folder %1 could not be made").arg(parent);
    return result;
  }
  // Read before the older export goes, so that a document that cannot be read costs nothing.
  QTemporaryDir scratch;
  QTextDocument doc;
  if (!scratch.isValid()) {
    result.reason = QStringLiteral("No temporary folder for the export: %1").arg(scratch.errorString());
    return result;
  }
  if (!readDocumentForConversion(document, doc, scratch.path(), &result.reason)) return result;
  if (started) started();
  // The new export takes the place of the older one in one step: a failure half-way keeps the
  // older export whole, and nothing beside the page and its pictures is left from it.
  const WriteResult written = replaceFolderAtomically(result.folder, [&](const QString& temp) -> WriteResult {
    const HtmlWithPictures html = htmlWithPictureFiles(doc, temp, QStringLiteral("memoPicture"));
    if (!html.ok) return {false, html.reason};
    return writeFileAtomically(temp + QStringLiteral("/index.html"), withoutFileScheme(html.html).toUtf8(),
                               result.page);
  });
  if (!written) {
    result.reason = written.error;
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace pravella
