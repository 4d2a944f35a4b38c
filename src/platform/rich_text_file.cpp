#include "platform/rich_text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/bounded_read.h"
#include "platform/console_log.h"
#include "platform/file_copy.h"
#include "platform/rtf.h"

namespace pravella {
namespace {

// Only a regular file is read: a named pipe in a document's place would never end.
bool readWhole(const QString& path, QByteArray& out) {
  BoundedRead r = readRegularFile(path, kMaxRichTextBytes);
  if (!r) return false;
  out = std::move(r.data);
  return true;
}

// Finds an attachment file of an RTFD folder; its bytes only when asked for (a plain text needs
// to know only that it is there).
std::optional<rtf::Attachment> loadEntry(const QString& path, bool withData) {
  const QFileInfo info(path);
  // An attachment is part of the package: a link that leads out of it (to /etc/passwd, say)
  // must not make a foreign file part of the memo, nor be saved into it again.
  const QString package = QFileInfo(info.absolutePath()).canonicalFilePath();
  const QString real = info.canonicalFilePath();
  if (real.isEmpty() || package.isEmpty() || !real.startsWith(package + u'/')) return std::nullopt;
  if (info.isDir()) return rtf::Attachment{info.fileName(), {}, info.absoluteFilePath()};
  if (!info.isFile()) return std::nullopt;
  if (!withData) {
    QFile f(path);
    if (f.open(QIODevice::ReadOnly) && f.size() <= kMaxRichTextBytes)
      return rtf::Attachment{info.fileName(), {}, {}};
    return std::nullopt;
  }
  QByteArray data;
  if (readWhole(path, data)) return rtf::Attachment{info.fileName(), data, {}};
  return std::nullopt;
}

// Finds an attachment of an RTFD folder. Names in the text may differ from the names on disk
// in Unicode normalisation (the old file system stored decomposed names) or in case.
std::optional<rtf::Attachment> loadAttachment(const QString& folder, const QString& name,
                                              bool withData = true) {
  if (auto found = loadEntry(folder + u'/' + name, withData)) return found;
  const QString want = name.normalized(QString::NormalizationForm_C);
  const QStringList entries =
      QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  for (const QString& entry : entries)
    if (entry.normalized(QString::NormalizationForm_C) == want)
      if (auto found = loadEntry(folder + u'/' + entry, withData)) return found;
  for (const QString& entry : entries)
    if (entry.normalized(QString::NormalizationForm_C).compare(want, Qt::CaseInsensitive) == 0)
      if (auto found = loadEntry(folder + u'/' + entry, withData)) return found;
  return std::nullopt;
}

// Reads the RTF of a .rtf file or an RTFD folder; `folder` is the RTFD folder (empty for a file).
bool readRtfSource(const QString& path, QByteArray& rtf, QString& folder) {
  const QFileInfo info(path);
  folder.clear();
  if (!info.isDir()) return readWhole(path, rtf);
  folder = info.absoluteFilePath();
  return readWhole(folder + QStringLiteral("/") + QLatin1String(kRtfdTextName), rtf);
}

}  // namespace

bool readRichTextFile(const QString& path, QTextDocument& doc) {
  QByteArray rtf;
  QString folder;
  if (!readRtfSource(path, rtf, folder)) {
    doc.clear();
    return false;
  }
  rtf::AttachmentLoader loader;
  if (!folder.isEmpty()) loader = [folder](const QString& name) { return loadAttachment(folder, name); };
  const rtf::ReadResult r = rtf::read(rtf, doc, loader);
  if (!r.ok) doc.clear();
  return r.ok;
}

WriteResult writeRtfdFile(const QString& path, const QTextDocument& doc) {
  // A package's text file made read-only makes the document read-only, though the package
  // folder itself would let a new version be put in its place.
  if (const QString text = path + u'/' + QLatin1String(kRtfdTextName); writingForbidden(text))
    return readOnly(path);
  const rtf::WriteOutput out = rtf::write(doc, rtf::AttachmentMode::Separate);
  // The files go into a hidden temporary folder: a failure names the document, and an
  // attachment by its place in the document.
  return replaceFolderAtomically(path, [&out, &path](const QString& temp) -> WriteResult {
    if (WriteResult r =
            writeFileAtomically(temp + QStringLiteral("/") + QLatin1String(kRtfdTextName), out.rtf, path);
        !r)
      return r;
    for (const rtf::Attachment& a : out.attachments) {
      const QString target = temp + u'/' + a.fileName;
      if (a.sourceFolder.isEmpty()) {
        if (WriteResult r = writeFileAtomically(target, a.data, path + u'/' + a.fileName); !r) return r;
        continue;
      }
      // A package is copied from where it was read; one that is gone meanwhile cannot be
      // saved again, which must not stop the text from being saved.
      if (!QFileInfo(a.sourceFolder).isDir()) {
        showErrMessageToConsole(
            ("RTFD: the attached package " + a.sourceFolder + " is gone; left out.\n").toStdString());
        continue;
      }
      if (!copyRecursively(a.sourceFolder, target))
        return WriteResult{false,
                           QStringLiteral("Cannot save \"%1\": the attachment \"%2\" cannot be copied.")
                               .arg(path, a.fileName)};
    }
    return WriteResult{true, {}};
  });
}

WriteResult writeRtfFile(const QString& path, const QTextDocument& doc) {
  return writeFileAtomically(path, rtf::write(doc, rtf::AttachmentMode::Embed).rtf);
}

bool isRtfdPackageName(const QString& path) { return QFileInfo(path).suffix() == QLatin1String("rtfd"); }

QString plainTextOf(const QTextDocument& doc) { return withLineFeeds(doc.toRawText()); }

QString withLineFeeds(QString text) {
  text.replace(QChar::ParagraphSeparator, u'\n');
  text.replace(QChar::LineSeparator, u'\n');
  return text;
}

QString plainTextOfRichTextFile(const QString& path, bool* ok) {
  QByteArray rtf;
  QString folder;
  if (!readRtfSource(path, rtf, folder)) {
    if (ok) *ok = false;
    return {};
  }
  rtf::AttachmentPresence present;
  if (!folder.isEmpty())
    present = [folder](const QString& name) { return loadAttachment(folder, name, false).has_value(); };
  rtf::PlainText plain = rtf::readPlainText(rtf, present);
  if (ok) *ok = plain.read.ok;
  return std::move(plain.text);
}

}  // namespace pravella
