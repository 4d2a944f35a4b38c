#pragma once
// Picture sub-windows as programs see them: requests by title, posted to the window side as
// notifications. The picture's bytes travel in the notification itself. Where no window side
// observes them (pravella-calc), opening fails and every other request finds no window.

#include <QByteArray>
#include <QString>

namespace pravella::picturewindows {

inline constexpr char kOpenNotification[] = "openSubWindowWithImage";
inline constexpr char kCloseNotification[] = "closePictWindow";
inline constexpr char kCloseAllNotification[] = "closeAllPictWindow";
inline constexpr char kMoveNotification[] = "movePictWindow";
inline constexpr char kSizeNotification[] = "sizePictWindow";

// Shows the picture (its bytes) under the title, in the open window of that title or a new
// one. False when nothing receives the request.
bool openSubWindowWithImage(const QByteArray& picture, const QString& title);
void closePictWindow(const QString& title);
void closeAllPictWindow();
// The top-left corner to (x, main window top + y).
void movePictWindow(const QString& title, double x, double y);
// The content size to (width, height).
void sizePictWindow(const QString& title, double width, double height);

}  // namespace pravella::picturewindows
