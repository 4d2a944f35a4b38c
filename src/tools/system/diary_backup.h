#pragma once
// The diary's backup: two rsync runs that carry what is newer each way between the diary and a
// backup folder, seven daily generations of the preferences folder, and restoring one of them.
// Everything here works on folders and argument lists; the tool drawer runs it.

#include <QDate>
#include <QString>
#include <QStringList>

namespace pravella::backup {

QString backupFolderFile();  // Preferences/backupFolderPath.string
QString rotationFolder();    // diary/PrefBackup
QString prefCheckFile();     // diary/prefCheck.dat
QString generation(int n);   // PrefBackup/Preferences.%03d

// rsync's arguments for one run from `from` into `to`: recursive, keeping links, permissions
// and times, never overwriting what is newer on the receiving side, compressed; leaving out the
// rotation folder and the work folder, and Manual while `manualBackupStatus` is 0.
QStringList rsyncArguments(const QString& from, const QString& to, int manualBackupStatus);

// Why a synchronisation with `backup` cannot run, or empty: no folder given, none there, or
// one folder inside the other (rsync would copy the diary into itself).
QString refusalFor(const QString& diary, const QString& backup);

// The ending line of a synchronisation.
QString endingLine(bool stopped, int failedStatus);

// Whether today's generation was made ("prefCheck.dat" holds today as "%Y/%m/%d").
bool checkPrefBackupDate(const QDate& today);

enum class Rotation { Done, NoFolder, CopyFailed };
// Copies Preferences into the rotation and shifts the generations (001 newest, 007 oldest),
// then notes the date. The copy is made and checked first: a failed copy leaves the
// generations and the date as they were.
Rotation backupPreferencesToPrefBackup(const QDate& today);

// Replaces Preferences by a copy of `chosen`, whose name without extension must be
// "Preferences". The copy is made beside it and swapped in only when complete. False with a
// reason otherwise; the preferences stay as they were.
bool restorePreferences(const QString& chosen, QString* why);

// Where the folder chooser starts: the removable media of the user when there are any.
QString removableMediaFolder();

}  // namespace pravella::backup
