#include "tools/backup_settings.h"

std::atomic<int> manualBackupStatus{1};
