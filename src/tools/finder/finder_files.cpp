#include "tools/finder/finder_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include "platform/bounded_read.h"
#include "platform/cformat.h"
#include "platform/finder_info.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"
#include "tools/finder/fs_node_info.h"

namespace pravella::finder {

namespace {

bool oneOf(const QString& text, std::initializer_list<const char*> list) {
  for (const char* item : list)
    if (text == QLatin1String(item)) return true;
  return false;
}

}  // namespace

QByteArray typeCodeOf(const QString& path) {
  QByteArray type;
  if (!getFinderInfo(path, &type, nullptr)) return {};
  // The code travels quoted: "'TEXT'".
  return type.size() > 5 ? type.mid(1, 4) : QByteArray();
}

PreviewKind previewKindOf(const QString& path, const QByteArray& typeCode) {
  const QString ext = QFileInfo(path).suffix();
  const QString lower = ext.toLower();
  if (ext == QLatin1String("rtfd")) return PreviewKind::Rtfd;
  if (ext == QLatin1String("rtf")) return PreviewKind::Rtf;
  for (const char* code : {"PICT", "JPEG", "TIFF", "GIFf", "PiNG", "BMPf", "EPSF", "PDF "})
    if (typeCode == code) return PreviewKind::Picture;
  if (oneOf(lower, {"bmp", "epsf", "jpg", "jpeg", "png", "tif", "tiff", "gif", "pict"}))
    return PreviewKind::Picture;
  if (typeCode == "MooV" || oneOf(lower, {"avi", "mpg", "mpeg", "mp3", "mp4", "mov"}))
    return PreviewKind::Movie;
  // Only these six spellings: "Txt" or "tExt" is somebody's own format.
  if (oneOf(ext, {"txt", "TXT", "dat", "DAT", "text", "TEXT"})) return PreviewKind::PlainText;
  if (isBrowsableFolder(path)) return PreviewKind::Folder;
  return PreviewKind::Other;
}

QString hexDump(const QByteArray& bytes) {
  const int n = std::min<int>(int(bytes.size()), kDumpLimit);
  QString out;
  out.reserve(n * 3 + (n / 16 + 1) * 6);
  QString line = QString::fromStdString(cformat("%04X\t", 0));
  for (int i = 0; i < n; ++i) {
    line += QString::fromStdString(cformat("%02X", unsigned(static_cast<unsigned char>(bytes[i]))));
    if (i % 16 != 15) {
      line += QLatin1Char('\t');
      continue;
    }
    out += line + QLatin1Char('\n');
    line = QString::fromStdString(cformat("%04X\t", i + 1));
  }
  out += line + QLatin1Char('\n');
  return out;
}

bool checkTextFileSize(const QString& path) {
  // Never opened here: a named pipe would wait for a writer.
  return isRegularFile(path) && QFileInfo(path).size() <= kTextSizeLimit;
}

const char* encodingOfCharCode(int tag) {
  switch (tag) {
    case 1:
      return encoding::kEucJP;
    case 2:
      return encoding::kShiftJIS;
    case 3:
      return encoding::kIso2022JP;
    default:
      return encoding::kUtf8;
  }
}

QString decodeForPreview(const QByteArray& bytes, int charCodeTag) {
  bool ok = false;
  QString text = encoding::decode(bytes, encodingOfCharCode(charCodeTag), &ok);
  if (!ok) return QString::fromLatin1(kCouldNotDecode);
  return text;
}

bool isProtectedFolder(const QString& path) {
  const QString cleaned = QDir::cleanPath(QDir::isAbsolutePath(path) ? path : paths::home() + u'/' + path);
  // Compared as written and, for an entry that is not itself a link, where it leads: a link to
  // home may go, home by another name may not.
  QStringList forms{cleaned};
  const QFileInfo info(cleaned);
  if (!info.isSymLink() && info.exists()) forms << info.canonicalFilePath();
  const auto same = [&forms](const QString& folder) {
    if (folder.isEmpty()) return false;
    const QString other = QDir::cleanPath(folder);
    const QString real = QFileInfo(other).canonicalFilePath();
    for (const QString& form : forms)
      if (form.compare(other, Qt::CaseInsensitive) == 0 || (!real.isEmpty() && form == real)) return true;
    return false;
  };
  const QString home = paths::home();
  const QString diary = QDir::cleanPath(paths::diary());
  // The diary and every folder that holds it, up to "/": gone, the application loses every
  // document.
  for (QString up = diary; !up.isEmpty(); up = QFileInfo(up).path()) {
    if (same(up)) return true;
    if (up == QLatin1String("/")) break;
  }
  if (same(home)) return true;
  // The diary's own tree: its settings, and its year and month folders.
  for (const QString& own : {paths::preferences(), paths::vkPreferences()})
    if (same(own)) return true;
  for (const QString& form : forms) {
    if (!form.startsWith(diary + u'/', Qt::CaseInsensitive)) continue;
    const QStringList below = form.mid(diary.size() + 1).split(u'/');
    static const QRegularExpression year(QStringLiteral("^\\d{4}$")), month(QStringLiteral("^\\d{2}$"));
    if (below.size() == 1 && year.match(below[0]).hasMatch()) return true;
    if (below.size() == 2 && year.match(below[0]).hasMatch() && month.match(below[1]).hasMatch()) return true;
  }
  // The standard folders of the home, by their classic names and where the desktop's
  // settings put them (a translated name as well).
  for (const char* name :
       {"DeskTop", "Documents", "Library", "Movies", "Music", "Pictures", "Public", "Sites"})
    if (same(home + u'/' + QLatin1String(name))) return true;
  for (QStandardPaths::StandardLocation where :
       {QStandardPaths::DesktopLocation, QStandardPaths::DocumentsLocation, QStandardPaths::MusicLocation,
        QStandardPaths::MoviesLocation, QStandardPaths::PicturesLocation, QStandardPaths::DownloadLocation,
        QStandardPaths::PublicShareLocation, QStandardPaths::TemplatesLocation}) {
    const QString folder = QStandardPaths::writableLocation(where);
    if (QDir::cleanPath(folder) != QDir::cleanPath(home) && same(folder)) return true;
  }
  return same(paths::desktop()) && QDir::cleanPath(paths::desktop()) != QDir::cleanPath(home);
}

QString newDocumentPath(const QString& folder) {
  const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
  QString path = base + QStringLiteral("untitled.rtfd");
  for (int n = 1; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
    path = base + QString::fromStdString(cformat("untitled.%03d.rtfd", n));
  return path;
}

QString folderOfButton(int tag) {
  const QString home = paths::home();
  switch (tag) {
    case 0: {
      // Where the desktop mounts removable volumes.
      const QString media = QStringLiteral("/media/") + qEnvironmentVariable("USER");
      return !qEnvironmentVariable("USER").isEmpty() && QFileInfo(media).isDir() ? media
                                                                                 : QStringLiteral("/");
    }
    case 2:
      return home + QStringLiteral("/Documents");
    case 3:
      return home + QStringLiteral("/Pictures");
    case 4:
      return home + QStringLiteral("/Documents/diary");
    default:
      return home;
  }
}

QString expandTilde(const QString& path) {
  if (!path.startsWith(QLatin1Char('~'))) return path;
  return paths::home() + path.mid(1);
}

QString dateStamp(const QDateTime& when, bool withTime) {
  const QDate d = when.date();
  const QTime t = when.time();
  if (!withTime) return QString::fromStdString(cformat(" [%4d/%02d/%02d] ", d.year(), d.month(), d.day()));
  return QString::fromStdString(cformat(" [%4d/%02d/%02d %02d:%02d:%02d] ", d.year(), d.month(), d.day(),
                                        t.hour(), t.minute(), t.second()));
}

}  // namespace pravella::finder
