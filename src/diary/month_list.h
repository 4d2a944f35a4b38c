#pragma once
// The month diary list without its window: the rows it shows, how a month's day folders are
// walked, how found documents and memo-database hits become rows, the category filter, the
// search history and the answer programs read. Everything here runs on the caller's thread.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace pravella {

// One row: the document's day as "%04d/%02d/%02d" ("0/0/0" for a manual document) and its file
// name in the day folder (the full path for a manual document).
struct MonthListEntry {
  QString day;
  QString diaryFiles;
  bool operator==(const MonthListEntry&) const = default;
};
using MonthList = std::vector<MonthListEntry>;

inline const QString kManualDay = QStringLiteral("0/0/0");

QString monthListDayText(int year, int month, int day);
int daysOfMonth(int year, int month);
// The month folder "Documents/diary/%4d/%02d" (no trailing slash).
QString monthFolder(int year, int month);
// Year, month of the month before.
void previousMonth(int& year, int& month);

// The rows of one month's day folders, day 1 first and each day's entries in name order: with
// a text that has no words every entry that has an extension (so folders such as "pictd" are
// left out), otherwise the entries findCheckFileName accepts. Absolute paths only; a missing
// folder gives nothing.
MonthList walkMonthFolders(int year, int month, const QString& searchText);

// The row of a document the memo scanner found, from its path: ".../Manual/<category>/<doc>"
// is a manual row with the full path; ".../<year>/<month>/<day>/<doc>" a diary row when year
// and month are above 0 and day at least 1; otherwise none.
std::optional<MonthListEntry> entryForFoundPath(const QString& path);

// The scopes of an all-memo search: every entry of the diary folder whose integer value is
// above 1899 (the year folders), in name order, and the Manual folder when asked.
QStringList allMemoScopes(bool withManual);
QString manualFolder();

// Memo-database hits as rows, in the order given: the day is the path's 4th-, 3rd- and
// 2nd-last parts joined by "/" as they stand, the file the last part.
MonthList entriesFromDatabaseHits(const QStringList& paths);
// The rows whose file name begins with the title (all of them for an empty title).
MonthList filterByCategory(const MonthList& rows, const QString& title);

// Puts the text first and removes every later equal one; the list has no length limit.
void addStringToSearchList(QStringList& list, const QString& text);

// What cal_getMonthList answers: " [" + day + "/" + file + "] \n" for every row in order.
QString monthListText(const MonthList& rows);

// The leading integer of a text as the file manager's intValue reads it ("2020x" is 2020, a
// text without one is 0); saturates instead of overflowing.
long long leadingInteger(const QString& text);

// The entries of a folder, hidden ones included, in name order (code point order, so that a
// list is the same on every machine); none when the folder cannot be read.
QStringList folderEntriesInNameOrder(const QString& folder);

}  // namespace pravella
