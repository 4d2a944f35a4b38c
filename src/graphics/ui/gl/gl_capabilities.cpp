#include "graphics/ui/gl/gl_capabilities.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QScreen>
#include <qopenglcontext_platform.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/ui/gl/gl_string.h"
#include "graphics/ui/gl/gl_support.h"

namespace pravella::gl {

namespace {

constexpr GLenum kMaxTextureUnits = 0x84E2;       // GL_MAX_TEXTURE_UNITS
constexpr GLenum kMaxRectangleTextureSize = 0x84F8;  // GL_MAX_RECTANGLE_TEXTURE_SIZE
// GLX_MESA_query_renderer
constexpr int kRendererDeviceId = 0x8184;
constexpr int kRendererAccelerated = 0x8186;
constexpr int kRendererVideoMemory = 0x8187;  // in megabytes
using QueryRendererInteger = int (*)(int attribute, unsigned int* value);

std::vector<DisplayCaps> gCaps;
std::vector<std::unique_ptr<GLString>> gLabels;
int gFills = 0;

// The display half of a record, from the screen's place in the list and its mode.
DisplayCaps displayRecord(const QScreen* screen, std::uint32_t index) {
  DisplayCaps caps;
  caps.displayID = index;
  caps.glDisplayMask = 1u << std::min<std::uint32_t>(index, 31);
  const QRect g = screen->geometry();
  caps.width = g.width();
  caps.height = g.height();
  caps.originX = g.x();
  caps.originY = g.y();
  caps.depth = static_cast<std::int16_t>(screen->depth() > 0 ? screen->depth() : -1);
  const double refresh = screen->refreshRate();
  caps.refreshRate = static_cast<std::int16_t>(refresh > 0 ? refresh + 0.5 : 0);
  return caps;
}

void fillRenderer(QScreen* screen, DisplayCaps& caps) {
  QOpenGLContext* previous = QOpenGLContext::currentContext();
  QSurface* previousSurface = previous ? previous->surface() : nullptr;
  {
    QOffscreenSurface surface(screen);
    surface.setFormat(plotViewFormat());
    surface.create();
    QOpenGLContext context;
    context.setFormat(plotViewFormat());
    context.setScreen(screen);
    if (surface.isValid() && context.create() && context.makeCurrent(&surface)) {
      if (auto* f = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(&context)) {
        f->initializeOpenGLFunctions();
        const auto text = [f](GLenum name) {
          return reinterpret_cast<const char*>(f->glGetString(name));
        };
        copyCapsString(caps.strRendererName, text(GL_RENDERER));
        copyCapsString(caps.strRendererVendor, text(GL_VENDOR));
        copyCapsString(caps.strRendererVersion, text(GL_VERSION));
        caps.glVersion = openGLVersionCode(caps.strRendererVersion);
        QByteArray extensions;
        for (const QByteArray& e : context.extensions()) extensions += e + ' ';
        f->glGetIntegerv(kMaxTextureUnits, &caps.textureUnits);
        f->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &caps.maxTextureSize);
        f->glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &caps.max3DTextureSize);
        f->glGetIntegerv(GL_MAX_CUBE_MAP_TEXTURE_SIZE, &caps.maxCubeMapTextureSize);
        setFeatureFlags(extensions.trimmed(), caps.glVersion, caps.features);
        if (caps.features[featureIndex("GL_EXT_texture_rectangle")])
          f->glGetIntegerv(kMaxRectangleTextureSize, &caps.maxRectTextureSize);
#if QT_CONFIG(xcb_glx_plugin)
        // Only a hardware renderer fills these; llvmpipe and the like leave them 0.
        if (context.nativeInterface<QNativeInterface::QGLXContext>()) {
          auto query = reinterpret_cast<QueryRendererInteger>(
              context.getProcAddress("glXQueryCurrentRendererIntegerMESA"));
          unsigned int accelerated = 0;
          if (query && query(kRendererAccelerated, &accelerated) && accelerated == 1) {
            unsigned int device = 0, memory = 0;
            if (query(kRendererDeviceId, &device)) caps.rendererID = device;
            if (query(kRendererVideoMemory, &memory)) {
              const double bytes = std::min(2147483647.0, memory * 1048576.0);
              caps.deviceVRAM = caps.deviceTextureRAM = static_cast<std::int32_t>(bytes);
            }
            caps.fullScreenCapable = true;
          }
        }
#endif
      }
      context.doneCurrent();
    }
  }
  if (previous && previousSurface) previous->makeCurrent(previousSurface);
}

}  // namespace

void CheckOpenGLCaps(std::uint32_t maxDisplays, DisplayCaps* records, std::uint32_t* count) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (maxDisplays == 0) {
    *count = static_cast<std::uint32_t>(std::min<qsizetype>(screens.size(), 32));
    return;
  }
  *count = 0;
  if (!records || screens.isEmpty()) return;
  const auto n = static_cast<std::uint32_t>(std::min<qsizetype>(screens.size(), maxDisplays));
  for (std::uint32_t i = 0; i < n; ++i) {
    records[i] = displayRecord(screens[static_cast<qsizetype>(i)], i);
    if (openGLWindowsAvailable()) fillRenderer(screens[static_cast<qsizetype>(i)], records[i]);
  }
  *count = n;
  ++gFills;
}

int HaveOpenGLCapsChanged(const DisplayCaps* records, std::uint32_t count) {
  if (!records || count == 0) return 1;
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (static_cast<std::uint32_t>(std::min<qsizetype>(screens.size(), 32)) != count) return 1;
  for (std::uint32_t i = 0; i < count; ++i)
    if (!sameDisplay(displayRecord(screens[static_cast<qsizetype>(i)], i), records[i])) return 1;
  return 0;
}

void getCurrentCaps() {
  if (!gCaps.empty() &&
      HaveOpenGLCapsChanged(gCaps.data(), static_cast<std::uint32_t>(gCaps.size())) == 1)
    gCaps.clear();
  if (!gCaps.empty()) return;
  std::uint32_t count = 0;
  CheckOpenGLCaps(0, nullptr, &count);
  if (count == 0) {
    gLabels.clear();
    return;
  }
  gCaps.resize(count);
  CheckOpenGLCaps(count, gCaps.data(), &count);
  gCaps.resize(count);
  initCapsTexture(gCaps.data(), count);
}

void initCapsTexture(const DisplayCaps* records, std::uint32_t count) {
  gLabels.clear();
  const QColor white = QColor::fromRgbF(1, 1, 1, 1);
  for (std::uint32_t i = 0; i < count; ++i) {
    GLText text;
    for (const CapsTextPart& part : capsLabelText(records[i])) {
      const QFont font = part.style == CapsStyle::Title     ? labelFont(12, true)
                         : part.style == CapsStyle::Heading ? labelFont(9, true)
                                                            : labelFont(9);
      text.push_back({part.text, font, white});
    }
    gLabels.push_back(std::make_unique<GLString>(std::move(text), white,
                                                 QColor::fromRgbF(0.4, 0.4, 0.0, 0.4),
                                                 QColor::fromRgbF(0.8, 0.8, 0.0, 0.8)));
  }
}

void drawCaps(const DisplayCaps* records, std::uint32_t count, std::uint32_t rendererID,
              float viewWidth) {
  for (std::uint32_t i = 0; i < count && i < gLabels.size(); ++i) {
    if (records[i].rendererID != rendererID) continue;
    GLString& label = *gLabels[i];
    const float x = viewWidth - 10.0f - static_cast<float>(label.frameSize().width());
    label.drawAtPoint(QPointF(x, 10.0));
    return;
  }
}

const std::vector<DisplayCaps>& gDisplayCaps() { return gCaps; }
const std::vector<std::unique_ptr<GLString>>& capsTextures() { return gLabels; }
int capsFillCount() { return gFills; }

}  // namespace pravella::gl
