#pragma once
// The day folders of the diary: "Documents/diary/%4d/%02d/%02d" under the home folder, one per
// calendar day. Finding, creating and reading them needs no window.

#include <QString>
#include <QStringList>
#include <optional>

namespace pravella {

enum class FolderEntry { Entered, Created, Failed };

// Makes `path` the process's current directory when it exists; otherwise creates it (one level,
// the current directory unchanged). The diary's folder walks have always left the process in
// the deepest folder they could enter, and relative paths of the language rely on it.
FolderEntry enterOrCreateFolder(const QString& path);

// Enters the day folder or creates it level by level (Documents, diary, year, month, day). A
// level that can be neither entered nor created is reported on the console with its message
// and ends the walk: false.
bool makeDayFolder(int year, int month, int day);

// True when the folder holds an entry whose extension begins with "rtf" (rtf and rtfd
// documents; hidden ones count too). A missing folder holds nothing.
bool folderHoldsRichText(const QString& folder);

// The names a day lists: every entry except hidden names (beginning with ".") and names whose
// extension is exactly "ROIData", "htmld" or "tbld", in name order (naturalNameLess). What
// interrupted saves left in the folder is recovered first. A name that is no UTF-8 is listed
// escaped (escapedFileName).
QStringList listDiaryFiles(const QString& folder);

// Puts back or removes what interrupted saves left anywhere in the diary: the day folders and
// the preference folders. Run once at start-up, away from the GUI thread.
void recoverInterruptedDiarySaves();

// Name order as people read it: letters without regard to case, runs of digits by their
// value ("note 2" before "note 10"); names equal that way are ordered by their code points.
bool naturalNameLess(const QString& a, const QString& b);

// Days are compared by the key year x 372 + month x 31 + day.
constexpr int dayKey(int year, int month, int day) { return year * 372 + month * 31 + day; }

// -1 when `day` lies before `today`, 0 the same day, 1 after it (keys as above).
int compareDayKeys(int todayKey, int dayKeyValue);

struct DayOfPath {
  int year = 0, month = 0, day = 0;
};
// The day of a document path ending in YYYY/MM/DD/name: its 4th-, 3rd- and 2nd-last parts.
// Parts that are not numbers read as 0; a path of fewer than four parts gives nullopt.
std::optional<DayOfPath> dayOfDocumentPath(const QString& path);

// The day of a diary document: a path of the form diary folder + "YYYY/MM/DD/name" (a real
// date, a name without "/"), whatever depth the home folder has; nullopt for any other path.
std::optional<DayOfPath> dayOfDiaryDocument(const QString& path);

}  // namespace pravella
