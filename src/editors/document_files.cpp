#include "editors/document_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "lang/values.h"
#include "lang/variables.h"
#include "platform/text_encoding.h"

namespace pravella {

std::size_t longestProgramString() {
  const auto limit = static_cast<std::size_t>(TNumber > 0 ? TNumber : 0) * 8;
  return limit > 0 ? limit - 1 : 0;
}

QString programFilePath(const QString& name) {
  std::string full;
  if (!changeFullPath(name.toStdString(), full)) return {};
  return QString::fromStdString(full);
}

LoadedText loadEncodedTextFile(const QString& name, const char* encoding) {
  LoadedText out;
  const QString path = programFilePath(name);
  if (path.isEmpty()) {
    out.why = QStringLiteral("The path name is too long.");
    return out;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    out.why = QStringLiteral("Can not read %1: %2").arg(path, file.errorString());
    return out;
  }
  // Refused before reading: a longer file could never become one string of the program.
  if (static_cast<std::size_t>(file.size()) > longestProgramString()) {
    out.why = QStringLiteral("%1 is too long for a string.").arg(path);
    return out;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    out.why = QStringLiteral("Can not read %1: %2").arg(path, file.errorString());
    return out;
  }
  bool ok = false;
  out.text = encoding::decode(bytes, encoding, &ok);
  if (!ok) {
    out.why = QStringLiteral("%1 is not valid %2 text.").arg(path, QString::fromLatin1(encoding));
    out.text.clear();
    return out;
  }
  out.ok = true;
  return out;
}

std::optional<std::string> folderListText(const QString& folder) {
  const QDir dir(folder);
  const QStringList names =
      dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  const std::string base = QFile::encodeName(folder).toStdString() + '/';
  const std::size_t limit = longestProgramString();
  std::string list;
  for (const QString& name : names) {
    const std::string entry = base + QFile::encodeName(name).toStdString();
    if (list.size() + entry.size() + 1 > limit) return std::nullopt;
    list += entry;
    list += '\n';
  }
  return list;
}

}  // namespace pravella
