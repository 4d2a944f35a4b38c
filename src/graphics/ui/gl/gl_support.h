#pragma once
// What every OpenGL window of the plots needs before it exists: the surface format of the
// plot views and the one check that a GL widget can live on this display. A QOpenGLWidget
// takes the whole process down on the offscreen and minimal platforms, so the check runs
// before any is made and opening refuses where it fails.

#include <QString>
#include <QSurfaceFormat>

namespace pravella::gl {

// OpenGL 2.1, compatibility profile (the views draw with the fixed-function pipeline), depth
// 16, double buffer, swap interval 1, no alpha buffer.
QSurfaceFormat plotViewFormat();

inline constexpr const char* kNoOpenGLMessage = "OpenGL windows need a display with OpenGL.";

// True when GL windows can open here: the platform is not offscreen or minimal and a context
// of plotViewFormat() creates. Checked once; `why` gets kNoOpenGLMessage when not.
bool openGLWindowsAvailable(QString* why = nullptr);

}  // namespace pravella::gl
