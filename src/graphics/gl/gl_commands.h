#pragma once
// The commands by which programs restyle, move, size, close and photograph their OpenGL plot
// windows by title. Each posts a notification named after it, with the title as its text and
// its values in its strings; the GL window manager observes them on the GUI thread and hands
// them to the window of that title. A title no window has, or a process without windows,
// makes a command do nothing.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <span>
#include <vector>

namespace pravella::gl {

// The command names, which are also their notifications' names. Their values: 2 for a
// position or size, 3 for a colour, 4 for a rotation, 1 for the rest, none for the closes.
inline constexpr const char* kCloseAllGLWindow = "closeAllGLWindow";
inline constexpr const char* kCloseGLWindow = "closeGLWindow";
inline constexpr const char* kMoveGLWindow = "moveGLWindow";
inline constexpr const char* kSizeGLWindow = "sizeGLWindow";
inline constexpr const char* kSetBackColor = "setBackColor";
inline constexpr const char* kSetLineColor = "setLineColor";
inline constexpr const char* kSetPointColor = "setPointColor";
inline constexpr const char* kSetPlaneColor = "setPlaneColor";
inline constexpr const char* kSetObjectSize = "setObjectSize";
inline constexpr const char* kSetPointSize = "setPointSize";
inline constexpr const char* kSetLineWidth = "setLineWidth";
inline constexpr const char* kSetPointSwitch = "setPointSwitch";
inline constexpr const char* kSetLineSwitch = "setLineSwitch";
inline constexpr const char* kSetPlaneSwitch = "setPlaneSwitch";
inline constexpr const char* kSetColorSwitch = "setColorSwitch";
inline constexpr const char* kSetBoxSwitch = "setBoxSwitch";
inline constexpr const char* kSetWorldRotation = "setWorldRotation";
inline constexpr const char* kSetObjectRotation = "setObjectRotation";
// Its reply is the view's image (a QImage), or nothing when no window has the title.
inline constexpr const char* kDoGetGLPicture = "DoGetGLPicture";

struct GLWindowCommand {
  const char* name;
  int values;
};
// Every command that takes a title and values (not the two closes nor the picture).
std::span<const GLWindowCommand> glWindowCommands();
// The number of values of a command name; 0 for a name that is none of them.
int glWindowCommandValues(const QString& name);

// Values as a notification's strings and back. Every double survives, NaN and infinities
// included; a string that is no number reads as NaN.
QStringList glCommandValues(std::span<const double> values);
std::vector<double> glCommandValues(const QStringList& strings);

// Posts `name` with the title and values; nothing when no window manager observes it.
void postGLWindowCommand(const char* name, const QString& title, std::span<const double> values);

void closeAllGLWindow();
void closeGLWindow(const QString& title);
void moveGLWindow(const QString& title, double x, double y);
void sizeGLWindow(const QString& title, double w, double h);
void setPointSwitch(const QString& title, double v);
void setLineSwitch(const QString& title, double v);
void setPlaneSwitch(const QString& title, double v);
void setColorSwitch(const QString& title, double v);

// The picture of the titled window's view: 1 with the picture's bytes in `picture`, or 0. A
// title no window has fails with no message; an empty image with "No Picture in ClipBoard";
// a picture of TNumber x 8 bytes or more with "Too Big Text".
int DoGetGLPicture(const QString& title, QByteArray& picture);

}  // namespace pravella::gl
