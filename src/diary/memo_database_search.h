#pragma once
// The memo view's look-up in the memo database: the whole file held in memory and searched for
// a text, case-sensitively, tags and paths included. A record (from "<path>" to "</honbun>")
// counts once however often the text stands in it. The search runs on the caller's thread; a
// long one reports each hit so that a window can show its progress.

#include <QString>
#include <QStringList>
#include <functional>

namespace pravella {

// The database as the last load left it; empty before the first load and for a missing file.
extern QString memoDataBaseString;

// Reads "memoDatabase.dat" of the diary folder into memoDataBaseString, with the console line
// "Loading MemoDataBase". A missing or unreadable file leaves an empty text.
void loadMemoDatabase();

// The path of the record that holds `location`: the text between the nearest "<path>" at or
// before it and the next "</path>"; "" when there is none. Nothing past the text is read.
QString getFilePathOnMemoDatabese(const QString& database, qsizetype location);

struct MemoDatabaseHits {
  int count = 0;
  QStringList paths;  // the hit found last in the text first
};

// Called per hit with the count so far and the hit's character location.
using MemoDatabaseProgress = std::function<void(int count, qsizetype location)>;

// Every record of `database` that holds `find` (an empty text finds nothing).
MemoDatabaseHits searchMemoDatabase(const QString& database, const QString& find,
                                    const MemoDatabaseProgress& progress = {});

}  // namespace pravella
