#pragma once
// The working folder: the folder against which the language's file built-ins resolve relative
// names (the global current_fullPath, UTF-8, without a trailing "/"). It starts as the user's
// desktop folder; the user or a program chooses another through CalSetDirectory.

#include <QDate>
#include <QString>

namespace pravella {

// Gives current_fullPath its start value, the desktop folder, unless that path does not fit
// the path buffer (then it keeps its empty start value).
void initWorkingFolder();

// Makes `folder` the working folder; false (nothing changes) when its UTF-8 path would not fit
// the path buffer of 1,024 bytes with its terminator, or while a program runs on another thread.
bool setWorkingFolder(const QString& folder);

QString workingFolder();

// What the application's start-up gives a run, for runs without the window (pravella-calc): the
// diary's folder tree, the language's work and preferences folders, today's day folder (made
// and entered) and the working folder's start value when none is set.
void prepareFoldersWithoutWindow(const QDate& today);

}  // namespace pravella
