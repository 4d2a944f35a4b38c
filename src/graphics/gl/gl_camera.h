#pragma once
// The camera of an OpenGL plot view and what the user's hands do to it: the perspective that
// follows the aperture and the camera's distance, the wheel's zoom, the dolly and pan drags,
// the fling that leaves the scene spinning, and the animation tick. Plain arithmetic on plain
// records, so that the rules are tested without a display.

#include <QString>

#include <cstdint>

namespace pravella::gl {

struct GLVector {
  double x = 0, y = 0, z = 0;
};

struct GLCamera {
  GLVector viewPos, viewDir, viewUp, rotPoint;
  double aperture = 30;  // degrees, vertical field of view
  std::int32_t viewWidth = 0, viewHeight = 0;
};

// Aperture 30, looking from (0, 0, -30) at the origin, up (0, 1, 0).
void resetCamera(GLCamera& camera);

struct GLFrustum {
  double left = 0, right = 0, bottom = 0, top = 0, zNear = 0, zFar = 0;
};
// The perspective of the camera for a scene `shapeSize` deep: clip planes around the origin
// as seen from the camera, the wider side of the view taking the aspect ratio.
GLFrustum projectionFrustum(const GLCamera& camera, float shapeSize);

// The wheel: `w` notches (positive away from the user) narrow the aperture by w/200 of
// itself; it stays within 0.1 and 179.9 degrees. w == 0 changes nothing.
void zoomAperture(GLCamera& camera, float w);

// A dolly or pan drag from `start` to (x, y) in view pixels, y counted down from the top;
// `start` becomes (x, y). A dolly never leaves the camera exactly at z = 0.
void mouseDolly(GLCamera& camera, std::int32_t start[2], double x, double y);
void mousePan(GLCamera& camera, std::int32_t start[2], double x, double y);

// A release within this many ticks of the last press or drag is a fling: the scene keeps
// spinning.
inline constexpr std::int64_t kFlingTicks = 20;
bool isFling(std::int64_t releaseTick, std::int64_t lastDragTick);

// One animation tick at `now` (seconds). With animation on, `step` says whether the spin
// advances: not after a pause of more than 10 s, which a window hidden or a machine asleep
// makes; the time is recorded in every case, so spinning resumes at the following tick.
struct GLAnimationTick {
  bool step = false;
  bool draw = false;
};
GLAnimationTick animationTick(bool animate, double now, double& lastTime);

// Seconds a message stays visible, fading out.
inline constexpr double kMessagePersistence = 10.0;
// The message's brightness `age` seconds after it was set: 1 falling to 0; negative when gone.
double messageFade(double age);

// The overlay texts.
QString infoString(double width, double height, const QString& renderer, const QString& version);
QString cameraString(const GLCamera& camera);
QString updateMessage(double seconds);
inline constexpr const char* kHelpText =
    "Ctrl-A: animate    Ctrl-I: show info \n'h': toggle help    'c': toggle vertex colours";
inline constexpr const char* kFirstMessage = "No messages...";

}  // namespace pravella::gl
