#pragma once
// The drawing-then-record pattern of every picture-producing routine: make a world, draw into
// it, record it as a picture (pixel recording, with the graph titles stamped on it), dispose
// of the world. Command recording goes through OffScreenWorld::openPicture/closePicture and
// RecordCommands below.

#include <cstdint>

#include "graphics/offscreen_world.h"
#include "graphics/picture.h"

// 1: pixel recordings copy plainly (white covers what lies beneath); otherwise they copy
// transparently (white pixels are left out). Initially 0.
extern std::int32_t copyBitsMode;
// copyBitsMode as at start (0), for a fresh language.
void resetCopyBitsMode();

// Makes the world the current port; reports "BeginDrawingOffscreen: LockPixels failed" and
// returns 0 for a null world.
int BeginDrawInToOffScreen(pravella::OffScreenWorld* world);
int EndDrawInToOffScreen(pravella::OffScreenWorld* world);

// Records the world's whole contents plus the graph titles as a new picture in `slot` (which
// is emptied first; it stays empty when the recording cannot be made). Returns 1.
int CopyOffScreen(pravella::Picture& slot, pravella::OffScreenWorld& world);

// copyBitsMode becomes 1 when n is 1, else 0.
int doChangeCopyBitsMode(std::int32_t n);

namespace pravella {

// Command recording: opens a picture on the world, runs `draw` with the world current, pen
// normal and foreground black, stamps the titles and closes it.
template <typename Draw>
Picture recordCommands(OffScreenWorld& world, Draw&& draw);

// The titles stamped on a recording go to the current port.
void stampTitles();

template <typename Draw>
Picture recordCommands(OffScreenWorld& world, Draw&& draw) {
  PortSaver saver;
  setCurrentPort(&world);
  world.openPicture();
  world.penNormal();
  draw(world);
  stampTitles();
  world.setForeColor(Qt::black);
  return world.closePicture();
}

}  // namespace pravella
