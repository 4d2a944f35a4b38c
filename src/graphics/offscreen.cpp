#include "graphics/offscreen.h"

#include "graphics/graph_title.h"
#include "graphics/graphics_hooks.h"

std::int32_t copyBitsMode = 0;

void resetCopyBitsMode() { copyBitsMode = 0; }

int BeginDrawInToOffScreen(pravella::OffScreenWorld* world) {
  if (!world || world->isNull()) {
    pravella::graphics::reportError("BeginDrawingOffscreen: LockPixels failed");
    return 0;
  }
  pravella::setCurrentPort(world);
  return 1;
}

int EndDrawInToOffScreen(pravella::OffScreenWorld*) { return 1; }

int CopyOffScreen(pravella::Picture& slot, pravella::OffScreenWorld& world) {
  using namespace pravella;
  slot = Picture();
  if (world.isNull()) return 1;
  const bool anyTitle = [] {
    for (const auto& t : graphTitle)
      if (!t.empty()) return true;
    return false;
  }();
  QImage overlay;
  if (anyTitle) {
    // The titles are recorded after the pixel copy, as text over it: they go on a layer of
    // their own so that the pixel copy's transfer mode does not apply to them.
    PortSaver saver;
    OffScreenWorld titles(world.width(), world.height());
    if (titles.isNull()) return 1;
    titles.openPicture();
    setCurrentPort(&titles);
    titles.penNormal();
    DrawTitle();
    overlay = titles.target();
  }
  const PixelTransfer mode = copyBitsMode == 1 ? PixelTransfer::Copy : PixelTransfer::Transparent;
  slot = Picture::fromLayers(world.pixels(), mode, overlay);
  return 1;
}

int doChangeCopyBitsMode(std::int32_t n) {
  copyBitsMode = n == 1 ? 1 : 0;
  return 1;
}

namespace pravella {

void stampTitles() { DrawTitle(); }

}  // namespace pravella
