#pragma once
// The files the diary reads at start and writes at the end, without any window: the folder
// tree, the defaults copied from the shipped resources, the remembered string, the recent-memo
// list, the work folder that each launch empties, the module files run at launch and the
// window frame file.

#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <optional>

#include "platform/atomic_file.h"

namespace pravella {

// Ensure the diary's folder tree in start-up order: first Documents, diary, vkData and
// vkPreferences; later (after the defaults are copied and the alias file read) Modules and the
// application support folder. A folder that can be neither entered nor created is reported on
// the console and start-up goes on.
void ensureDiaryFolderTree();
void ensureModulesAndSupportFolders();

// Copies the shipped default `name` into `folder` when no file of that name is there. The
// installed resources are read-only and shared by every user, so they are copied (atomically,
// so a crash never leaves half a file), never moved. False, reported on the console, when the
// copy fails; an existing file is never touched.
bool copyMissingResource(const QString& name, const QString& folder);

// The remembered string from vkPreferences/rememberString.txt; when the file is missing, " ♻ "
// is stored there and returned.
QString loadRememberString();
WriteResult storeRememberString(const QString& text);

// The recent-memo list, Preferences/recentMemo.dat (a property-list array of paths). A missing
// file gives an empty list; a file that cannot be read is reported and gives an empty list.
QStringList readRecentMemo();
WriteResult writeRecentMemo(const QStringList& paths);

// Removes every entry of the work folder vkData (files and folders alike; a symbolic link is
// removed, never followed).
void deleteVkDataFiles();

// The module files of `folder` run at launch, as full paths in listing order: names whose last
// extension is "rtf" or "rtfd" with "vk" before it (matrix.vk.rtfd).
QStringList moduleFilesToRun(const QString& folder);

// The window frame file: the main window's frame and the widths of five side views.
struct WindowFrame {
  double x = 0, y = 0, width = 0, height = 0;
  std::array<double, 5> sideWidths{500, 500, 500, 500, 500};
};
QString windowFrameFilePath();
// nullopt when there is no file or it cannot be used (reported on the console). A file of
// other than 9 items keeps the frame and gives every side width 500.
std::optional<WindowFrame> readWindowFrameFile(const QString& path);
WriteResult writeWindowFrameFile(const QString& path, const WindowFrame& frame);

// The widths of the side views the window frame file has no place for, by the view's object
// name, in a property-list dictionary beside it ("sideViewWidths.dat"), written with it. A
// missing file gives none; one that cannot be read is reported and gives none; entries that
// are no positive number are left out.
QString sideViewWidthsFilePath();
std::map<QString, int> readSideViewWidths(const QString& path);
WriteResult writeSideViewWidths(const QString& path, const std::map<QString, int>& widths);

}  // namespace pravella
