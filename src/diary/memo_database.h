#pragma once
// The memo database file, "memoDatabase.dat" in the diary folder: one record per entry of every
// day folder of a range of years, so that the memo view's database search hits folder and
// document names. Each record is
//   "<path>" + home + "/Documents/diary/%04d/%02d/%02d/" + entry name + "</path>\n"
//   + "<honbun></honbun>\n"
// (the body is left empty), in the order year, month 1-12, day 1-31 and, within a day, the
// entries in name order. Every entry counts: documents of any kind, folders, links, hidden
// files. The text is built in memory and replaces the old file in one atomic write; on success
// "loadMemoDatabase" is posted (the memo view reloads the file). Both drive the shared progress
// indicator. The language's built-in makeMemoFileDataBase calls these: with a 1 x 2 argument
// the range builder, with 1 x 1 the all-years one; a 0 result makes it fail with
// "Can not make a memoFile DataBase.".

#include <QByteArray>
#include <QString>

namespace pravella {

inline constexpr const char* kLoadMemoDatabase = "loadMemoDatabase";

QString memoDatabasePath();  // ~/Documents/diary/memoDatabase.dat

// The records of the given years (both included).
QByteArray memoDatabaseRecords(int firstYear, int lastYear);

}  // namespace pravella

// years[0] = first year, years[1] = last year, each truncated toward zero. 0, nothing written,
// when the first is after the last, when either is not finite or lies outside 1-9999 after
// truncation, or when the file cannot be written; 1 on success.
unsigned int makeMemoFileDataBase(const double* years);

// The same for every entry of the diary folder whose integer value is above 1990 (year folders
// "1991" onward, at most 9999), in name order.
unsigned int makeAllMemoFileDataBase();
