#include "net/ftp/ftp_wget_check.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

#include <sys/stat.h>

#include "net/ftp/ftp_listing.h"
#include "platform/bounded_read.h"

namespace pravella::ftp {

namespace {

const QString kListing = QStringLiteral(".listing");
constexpr qint64 kLongestListing = 64 << 20;  // bytes: a folder of some hundred thousand entries

// The first failure wget's log tells of, with the file it was fetching.
FetchCheck firstLoggedFailure(const QString& log) {
  static const QStringList kMarks = {
      QStringLiteral("No such"),   QStringLiteral("failed"),    QStringLiteral("Failed"),
      QStringLiteral("closed"),    QStringLiteral("aborted"),   QStringLiteral("rror"),
      QStringLiteral("Giving up"), QStringLiteral("incorrect"), QStringLiteral("Cannot"),
      QStringLiteral("Unable"),    QStringLiteral("denied"),    QStringLiteral("Refus")};
  static const QRegularExpression kStamp(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \([^)]*\) - )"));
  QString current;
  for (QString line : log.split(QLatin1Char('\n'))) {
    line = line.trimmed();
    if (const qsizetype arrow = line.indexOf(QLatin1String("=> '"));
        arrow >= 0 && line.endsWith(QLatin1Char('\''))) {
      current = line.mid(arrow + 4, line.size() - arrow - 5);
      continue;
    }
    // The address of each fetch, the commands sent and what was saved name files, not failures.
    if (line.startsWith(QLatin1String("--")) || line.startsWith(QLatin1String("==>")) ||
        line.contains(QLatin1String(" saved [")))
      continue;
    if (!std::any_of(kMarks.cbegin(), kMarks.cend(), [&](const QString& m) { return line.contains(m); }))
      continue;
    line.remove(kStamp);
    while (line.endsWith(QLatin1Char('.'))) line.chop(1);
    if (current.endsWith(QLatin1Char('/') + kListing) || current == kListing)
      current.chop(kListing.size());  // the listing of a folder: the folder failed
    return {current.isEmpty() ? QStringLiteral("?") : current, line};
  }
  return {};
}

bool isFolder(const QString& path) {
  struct stat st;
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The size a long-listing line gives: its fifth word.
qint64 listedSize(const QString& line) {
  const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  bool ok = false;
  const qint64 size = words.value(4).toLongLong(&ok);
  return ok ? size : -1;
}

// Every plain file of each listing arrived at its size, every folder was fetched in turn.
FetchCheck checkTree(const QString& staged, const QString& rel) {
  const QString folder = staged + QLatin1Char('/') + rel;
  const BoundedRead text = readRegularFile(folder + QLatin1Char('/') + kListing, kLongestListing);
  if (!text) return {rel + QLatin1Char('/'), QStringLiteral("its listing did not come")};
  for (const Entry& e : parseListing(QString::fromUtf8(text.data))) {
    if (e.name == QLatin1String(".") || e.name == QLatin1String("..")) continue;
    const QString path = rel + QLatin1Char('/') + e.name;
    const QString local = staged + QLatin1Char('/') + path;
    if (e.line.startsWith(QLatin1Char('d'))) {
      if (!isFolder(local)) return {path + QLatin1Char('/'), QStringLiteral("the folder did not come")};
      if (FetchCheck c = checkTree(staged, path); !c.whole()) return c;
    } else if (e.line.startsWith(QLatin1Char('-'))) {
      const QFileInfo got(local);
      const qint64 size = listedSize(e.line);
      if (!got.isFile() || got.isSymLink()) return {path, QStringLiteral("the file did not come")};
      if (size >= 0 && got.size() != size)
        return {path, QStringLiteral("%1 of %2 bytes came").arg(got.size()).arg(size)};
    }
  }
  return {};
}

// The folder where wget listed the remote folder's parent: the shallowest one that holds a
// listing (the folders above it only carry the path).
QString parentListingFolder(const QString& staged) {
  QStringList level{QString()};
  while (!level.isEmpty()) {
    QStringList next;
    for (const QString& rel : level) {
      const QString folder = rel.isEmpty() ? staged : staged + QLatin1Char('/') + rel;
      if (QFileInfo(folder + QLatin1Char('/') + kListing).isFile()) return rel;
      for (const QString& sub :
           QDir(folder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks))
        next << (rel.isEmpty() ? sub : rel + QLatin1Char('/') + sub);
    }
    level = next;
  }
  return {};
}

void removeListings(const QString& staged) {
  QDirIterator it(staged, {kListing}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) QFile::remove(it.next());
}

}  // namespace

FetchCheck checkFetchedFolder(const QString& staged, const QString& name, const QString& log) {
  FetchCheck check = firstLoggedFailure(log);
  if (check.whole()) {
    const QString parent = parentListingFolder(staged);
    if (!QFileInfo(staged + QLatin1Char('/') +
                   (parent.isEmpty() ? kListing : parent + QLatin1Char('/') + kListing))
             .isFile())
      check = {name + QLatin1Char('/'), QStringLiteral("no listing came")};
    else
      check = checkTree(staged, parent.isEmpty() ? name : parent + QLatin1Char('/') + name);
  }
  removeListings(staged);
  return check;
}

}  // namespace pravella::ftp
