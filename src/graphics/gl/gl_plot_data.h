#pragma once
// The arrays an OpenGL plot view draws, built from the language's double matrices, and the
// process-wide hand-off area between the program's thread (which builds them) and the plot
// view on the GUI thread (which takes them over by moving, never copying).

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace pravella::gl {

struct GLPlotData {
  std::int32_t numOfPoints = 0;
  std::int32_t numOfFace = 0;   // four-cornered faces; 0 for a point list
  std::vector<float> pos;       // x, y, z per vertex
  std::vector<float> col;       // red, green, blue per vertex, each in 0 .. 255/256
  std::vector<float> tex;       // s, t per vertex; empty for a point list
  std::vector<std::int32_t> quad;  // four vertex indices per face; empty for a point list
};

// Builds the arrays of an n by m plot: a surface when n > 1 and m > 1, a standardised point
// list when m == 1 and n >= 2. All four matrices are n by m, row after row. `range` is
// (upper, lower); equal values take the colour source's own maximum and minimum. Returns
// false, leaving `out` untouched, for any other shape or when memory runs out.
bool buildGLPlotData(const double* c, const double* x, const double* y, const double* z,
                     const double range[2], int n, int m, GLPlotData& out);

// The hand-off area: one set at a time, guarded by a lock because the program's thread
// fills it while the GUI thread may be taking the previous set.
void storeGLPlotData(GLPlotData data);
void storeTexturePicture(QByteArray picture);  // `tmpTexturePict`; empty means none
GLPlotData takeGLPlotData();                  // moves the arrays out; the area keeps none
QByteArray takeTexturePicture();

// Builds into the hand-off area; 1 on success, 0 when the shape is refused.
int makeParametricPlot3DData(const double* c, const double* x, const double* y,
                             const double* z, const double range[2], int n, int m);

// The title a plot window gets: the given text, or "GL_Window" when it is empty.
QString glWindowTitle(const QString& requested);

// The notification that asks the GUI thread to open the titled plot window, or to make the
// open one reload, from the hand-off area. Its text is the title; the reply is an empty string
// on success and the reason otherwise.
inline constexpr const char* kOpenGLWindowNotification = "openGLWindow";

// Builds, hands the arrays and picture over and opens or reloads the window titled `title`.
// 1 when the window was opened or reloaded; 0 when the build failed (nothing said here, the
// caller reports) or no window could be opened, with the reason in `why` when there is one.
int openGLWindow(const double* c, const double* x, const double* y, const double* z,
                 const double range[2], int n, int m, const QString& title,
                 const QByteArray& picture, QString* why = nullptr);

}  // namespace pravella::gl
