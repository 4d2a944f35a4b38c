#pragma once
// Test access to the atomic writers: a hook called before every file-changing system call of
// a save (so that a test can kill the process at each one in turn), a switch that takes the
// two-rename way a file system without atomic exchange needs, and failing folder syncs.

#include <QString>

namespace pravella::save_steps {

// The name a save of process `pid` gives its temporary with the random letters `random` (six
// of [A-Za-z0-9]); recovery takes only names of this form, with their check, for its own.
QString temporaryName(qint64 pid, const QString& random);

using Hook = void (*)();
void setHook(Hook hook);
void setExchangeRefused(bool refused);

// Called before each folder sync with the folder's path: a number other than 0 is taken as the
// error the sync failed with (as a disk that fails it would), 0 lets the sync go on.
using FolderSyncHook = int (*)(const QString& folder);
void setFolderSyncHook(FolderSyncHook hook);

}  // namespace pravella::save_steps
