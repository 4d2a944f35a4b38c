#include "tools/finder/finder_link.h"

#include <QFileInfo>

#include "diary/day_documents.h"
#include "diary/day_folders.h"
#include "platform/paths.h"

namespace pravella {

namespace {

// Something is there at the end of the path's link chain.
bool existsAtEnd(const QString& path) {
  const std::optional<QString> end = resolveSymbolicLink(path);
  return end && QFileInfo::exists(*end);
}

}  // namespace

FinderLinkTarget resolveFinderLink(const QString& link, const QString& finderFolder) {
  using Kind = FinderLinkTarget::Kind;
  FinderLinkTarget target;
  const QString diary = paths::diary() + QLatin1Char('/');
  // The folder's last ten characters name its day, "YYYY/MM/DD".
  const bool hasDay = finderFolder.size() > 10;
  const QString inDay = hasDay ? diary + finderFolder.right(10) + QLatin1Char('/') + link : QString();
  QString path = diary + link;
  if (!existsAtEnd(path) && hasDay) path = inDay;

  if (fileExtension(link) == QLatin1String("webarchive")) {
    target.kind = Kind::WebArchive;
    if (existsAtEnd(diary + link))
      target.path = diary + link;
    else if (hasDay)
      target.path = inDay;  // not checked: the web sheet says what it cannot load
    return target;
  }

  if (!existsAtEnd(path)) {
    path = diary + link + QStringLiteral(".rtfd");
    if (!existsAtEnd(path) && hasDay) path = inDay + QStringLiteral(".rtfd");
  }
  if (!existsAtEnd(path)) return target;
  target.path = path;
  const QString ext = fileExtension(path);
  if (ext != QLatin1String("rtf") && ext != QLatin1String("rtfd")) {
    target.kind = Kind::OtherFile;
    return target;
  }
  // The day comes from the path below the diary folder, whatever depth the home folder has.
  const std::optional<DayOfPath> day = dayOfDiaryDocument(path);
  if (!day) {
    target.kind = Kind::NoDay;
    return target;
  }
  target.kind = Kind::Document;
  target.year = day->year;
  target.month = day->month;
  target.day = day->day;
  return target;
}

}  // namespace pravella
