#include "imaging/volume_settings.h"

int zHokanSwitch = 1;
