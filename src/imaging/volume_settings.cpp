#include "imaging/volume_settings.h"

int zHokanSwitch = 1;

void resetZHokanSwitch() { zHokanSwitch = 1; }
