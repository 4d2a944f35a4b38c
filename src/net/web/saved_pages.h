#pragma once
// Pages the browser saves (a web archive the user exports, the page's own "Save page") are
// written by it into a private work folder, then put in place from there: atomically, with
// the user's usual mode (the browser makes its files private), and never over a file that the
// user did not name.

#include <QString>

#include "platform/atomic_file.h"

namespace pravella::web {

// A private folder for one save of the browser, in the work folder; empty when it cannot be
// made. Removed by the caller once the save is placed.
QString newPageSaveFolder();

// Into the file the user chose: replaces it in one step, keeping its mode.
WriteResult placeSavedPage(const QString& saved, const QString& target);

// Into `folder` (made when missing, as any new folder) under `name`, or the first free
// "name-2.ext", "name-3.ext" when that is taken: never over anything there. `placed` gets the
// path it went to.
WriteResult placeSavedPageFree(const QString& saved, const QString& folder, const QString& name,
                               QString* placed);

}  // namespace pravella::web
