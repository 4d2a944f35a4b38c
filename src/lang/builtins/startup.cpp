#include "lang/builtins/startup.h"

#include <cstdlib>
#include <ctime>
#include <new>

#include "graphics/canvas_drawing.h"
#include "graphics/contour.h"
#include "graphics/editors/point_digitiser_runs.h"
#include "graphics/offscreen.h"
#include "graphics/picture_files.h"
#include "graphics/plot2d.h"
#include "graphics/surface3d.h"
#include "graphics/triangulation.h"
#include "imaging/mesh/cube_boundary.h"
#include "imaging/volume_data.h"
#include "imaging/volume_settings.h"
#include "lang/builtin_seam.h"
#include "lang/builtins/dispatch.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/builtins/picture_support.h"
#include "lang/stdlib/cell_label.h"
#include "lang/stdlib/file_slots.h"
#include "lang/stdlib/random_dist.h"
#include "lang/stdlib/string_utils.h"
#include "lang/values.h"
#include "platform/atomic_file.h"

int vkStartUp() {
  // A write past the file-size limit fails like a full disk instead of killing the process.
  pravella::ignoreFileSizeSignal();

  // 0. The executor, the operators and assignment reach the built-ins through this seam.
  VkBuiltinSeam seam;
  seam.callFunction = DoFunction;
  seam.resolveFunction = vkResolveFunction;
  seam.resolveScalar = vkResolveScalarFunction;
  seam.pictureOperator = vkPictureOperands;
  seam.pictureTranspose = vkPictureTransposed;
  seam.pictureToNumbers = vkPictureToNumbers;
  vkRegisterBuiltins(seam);

  // 1. Both random generators from the clock: the C library's (the built-in "rand") and the
  //    language's own shift-register generator (M_Rand and nRand).
  const auto now = static_cast<unsigned>(std::time(nullptr));
  std::srand(now);
  M_Rand_Seed(now);

  // 2. Formats, and the settings programs may have changed (start-up runs once in the
  //    application; a test harness runs it again for a clean language).
  DispFormat = "%10.4f";
  SaveFormat = "%g";
  TNumber = 1000000;
  restM = 10;
  restN = 5;
  ByteOrderBigEndian = 0;
  OpeMode = 32;
  opC[0] = opC[1] = opC[2] = 32768;
  pv_displayModeStatus = 0;
  pvSoundStatus = 1;
  // The plot, contour and 3-D picture sizes and views, the drawing and picture settings and
  // the volume and cell switches a program sets stay for the next run in the application;
  // a fresh language starts from their first values.
  resetPlotSettings();
  resetTopoWindowSize();
  resetView3DSettings();
  resetCopyBitsMode();
  resetCanvasColor();
  resetJpegQuality();
  resetZHokanSwitch();
  resetCellStackNumber();

  // 3. Scratch buffers.
  bool ready = vkAllocScratchBuffers(TNumber) == 1;

  // 4. Point-digitiser memory. Triangulation data: the first triangulation allocates its
  //    tables (a few megabytes that every start would otherwise fill), and each one starts its
  //    counts afresh.
  pravella::initGetPointsMemory();
  kakudoStatus = 1;  // the triangulation rule of the cube polygons

  // 5. Path buffers: without them nothing can start.
  if (initPath() != 1) return -1;

  // 6-7. Module and alias tables.
  initUFNtable();
  initAliasTable();

  // 8. The graph-title slots, and the picture support's hooks into the language.
  pravella::installPictureSupport();

  // 9. Variable table and result text.
  try {
    ResultString.clear();
    ResultString.reserve(4096);
  } catch (const std::bad_alloc&) {
    ready = false;
  }
  initVarTable(variableTable);

  // 10. File slots of the file built-ins.
  initFileData();
  sortStringDirection = 0;
  // 11. The volume store: three empty slots, slot 1 current.
  DoInitVolumeData();

  vkSetTablesReady(ready);
  return 1;
}
