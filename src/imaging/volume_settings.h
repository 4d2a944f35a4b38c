#pragma once
// Switches of the volume routines that the language sets before they run.

// The method of the z interpolation of volumes: 1 (at start) or 0, set by zHokanMode.
extern int zHokanSwitch;
// zHokanSwitch as at start (1), for a fresh language.
void resetZHokanSwitch();
