#pragma once
// Where things live. The diary is "Documents/diary" under the home folder; the places the
// original platform kept elsewhere map to their freedesktop equivalents. Every function reads
// the environment when called, so a test that points HOME elsewhere sees its own tree.

#include <QString>
#include <QStringList>

namespace pravella::paths {

QString home();                 // $HOME (QDir::homePath)
QString documents();            // ~/Documents
QString diary();                // ~/Documents/diary
QString vkPreferences();        // ~/Documents/diary/vkPreferences
QString vkData();               // ~/Documents/diary/vkData (work folder, emptied at launch)
QString preferences();          // ~/Documents/diary/Preferences
QString modules();              // ~/Documents/diary/vkPreferences/Modules
QString commandScripts();       // ~/Documents/diary/vkPreferences/Command

// The folder of one day: ~/Documents/diary/%4d/%02d/%02d.
QString dayFolder(int year, int month, int day);

// "Library/Application Support/Pravella": $XDG_CONFIG_HOME/Pravella (~/.config/Pravella).
QString applicationSupport();
// The freedesktop trash: $XDG_DATA_HOME/Trash (~/.local/share/Trash).
QString trash();
// Edits that could not be saved where they belong: $XDG_DATA_HOME/Pravella/Recovered
// (~/.local/share/Pravella/Recovered).
QString recovered();
// Where such edits go when that folder cannot take them either (it may sit on the very disk
// that is full): per-user folders on other file systems, /var/tmp/pravella-<uid>/Recovered,
// then the same under the system temp folder ($TMPDIR, else /tmp). In order, without repeats.
QStringList spareRecoveredFolders();
// The user's desktop folder.
QString desktop();

// The files the application ships (resources/ of the source tree, or $PRAVELLA_RESOURCES).
QString resources();
QString resource(const QString& name);

}  // namespace pravella::paths
