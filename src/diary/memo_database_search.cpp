#include "diary/memo_database_search.h"

#include <QFile>

#include <algorithm>

#include "diary/memo_database.h"
#include "platform/console_log.h"

namespace pravella {

QString memoDataBaseString;

namespace {

const QString kPathTag = QStringLiteral("<path>");
const QString kPathEnd = QStringLiteral("</path>");
const QString kRecordEnd = QStringLiteral("</honbun>");

}  // namespace

void loadMemoDatabase() {
  showErrMessageToConsole("Loading MemoDataBase\n");
  QFile file(memoDatabasePath());
  memoDataBaseString = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString getFilePathOnMemoDatabese(const QString& database, qsizetype location) {
  if (database.isEmpty() || location < 0) return QString();
  location = std::min(location, database.size() - 1);
  const qsizetype tag = database.lastIndexOf(kPathTag, location);
  if (tag < 0) return QString();
  const qsizetype start = tag + kPathTag.size();
  const qsizetype end = database.indexOf(kPathEnd, start);
  if (end < 0) return QString();
  return database.mid(start, end - start);
}

MemoDatabaseHits searchMemoDatabase(const QString& database, const QString& find,
                                    const MemoDatabaseProgress& progress) {
  MemoDatabaseHits hits;
  if (find.isEmpty()) return hits;
  qsizetype from = 0;
  while (from < database.size()) {
    const qsizetype at = database.indexOf(find, from, Qt::CaseSensitive);
    if (at < 0) break;
    ++hits.count;
    if (progress) progress(hits.count, at);
    hits.paths.prepend(getFilePathOnMemoDatabese(database, at));
    // The rest of the record is passed over, its end tag too, so that it counts once; each
    // pass moves on even when the text is itself a tag.
    const qsizetype end = database.indexOf(kRecordEnd, at);
    from = std::max(at + 1, end < 0 ? database.size() : end + kRecordEnd.size());
  }
  return hits;
}

}  // namespace pravella
