#pragma once
// The picture sub-windows programs opened, by title, and the one made last.

#include <QPointer>
#include <QString>

#include "graphics/window_list.h"
#include "imaging/ui/sub_window.h"

namespace pravella::imaging {

using SubWindowPointer = QPointer<SubWindow>;

WindowList<SubWindowPointer>& subWindowList();
SubWindowPointer& subwindowID();

SubWindow* findWindowFromSubWindowList(const QString& title);
SubWindow* findFirstWindowFromSubWindowList();
QString findTitleFromSubWindowList(SubWindow* controller);
void addWindowToSubWindowList(const QString& title, SubWindow* controller);
void deleteSubWindowListForKey(const QString& title);

// The functions of the built-ins, on the GUI thread.
void openSubWindowWithImage(const QByteArray& picture, const QString& title);
void closePictWindow(const QString& title);
void closeAllPictWindow();
void movePictWindow(const QString& title, double x, double y);
void sizePictWindow(const QString& title, double width, double height);

}  // namespace pravella::imaging
