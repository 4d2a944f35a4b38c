#pragma once
// The capability records of the screens, filled from a temporary OpenGL context per screen,
// kept until the screens change, and shown by the plot views as one label per record.

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/gl/gl_caps_table.h"

namespace pravella::gl {

class GLString;

// With maxDisplays 0 only counts the screens; otherwise fills one record per screen, at most
// maxDisplays. The context current before is current again afterwards.
void CheckOpenGLCaps(std::uint32_t maxDisplays, DisplayCaps* records, std::uint32_t* count);
// 1 when the screens no longer match the records (count, geometry, depth, refresh rate).
int HaveOpenGLCapsChanged(const DisplayCaps* records, std::uint32_t count);
// Makes sure the records are current, rebuilding records and labels only after a change.
void getCurrentCaps();
void initCapsTexture(const DisplayCaps* records, std::uint32_t count);
// Draws the label of the first record with that renderer identifier at the view's lower right.
void drawCaps(const DisplayCaps* records, std::uint32_t count, std::uint32_t rendererID,
              float viewWidth);

const std::vector<DisplayCaps>& gDisplayCaps();
const std::vector<std::unique_ptr<GLString>>& capsTextures();
// How many times the records were filled: what the tests see of rebuilding.
int capsFillCount();

}  // namespace pravella::gl
