#pragma once
// Switches of the diary backup that programs set: whether the synchronisation of the diary
// folder also copies the manual folder (1 at start; at 0 rsync is given "--exclude=Manual").
// Set by a program's worker thread, read by the backup, hence atomic.

#include <atomic>

extern std::atomic<int> manualBackupStatus;
