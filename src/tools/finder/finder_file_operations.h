#pragma once
// The finder sheet's file operations without a window: free names for duplicates and moved
// items, copying, moving and trashing the marked items, and the new folder.

#include <QString>
#include <QStringList>

#include <functional>

namespace pravella {

class FinderMarks;

// The first free name beside `path` made of its base name, ".cpy%03d" from 001 upward and its
// extension: notes.txt -> notes.cpy001.txt, README -> README.cpy001.
QString duplicateTarget(const QString& path);

// Where `name` goes in `folder`: the name itself when free, else the first free
// "base.%03d.ext" from 001 upward (the numbering the Trash uses too).
QString moveTarget(const QString& folder, const QString& name);

// Copies the item (a folder with its whole content) to its duplicate name; `copy` gets that
// name. False when anything could not be copied.
bool duplicateItem(const QString& path, QString* copy = nullptr);

// What happened to the marked items: those that failed stay marked, in their order.
struct MarkedItemsOutcome {
  int done = 0;
  QStringList failed;
  QStringList errors;  // one sentence per failure, for the console log
  QStringList moved;   // where each item went, with its companions moved or copied; or, to
                       // the Trash, the items that went
};

// Moves every marked item into `folder` under a free name, in marking order (onto another disk
// by copying, then removing the original). `waiting` is told
// the number of marks still to go before each item (it counts down). An item that moved, or
// that no longer exists, leaves the marks; one that could not be moved stays marked. Each move
// is told to the bookmark and launcher stores. A memo's companions stay while another document
// of its name stays (the moved one takes a copy) and go with the last of the name.
MarkedItemsOutcome moveMarkedItems(FinderMarks& marks, const QString& folder,
                                   const std::function<void(int waiting)>& waiting = {});

// Moves every marked item to the Trash, with the same rules for the marks.
MarkedItemsOutcome trashMarkedItems(FinderMarks& marks);

// The "NewFolder" folder in `parent`, made only when absent.
enum class NewFolderOutcome { Created, Exists, Failed };
NewFolderOutcome makeNewFolderIn(const QString& parent, QString* folder = nullptr);

}  // namespace pravella
