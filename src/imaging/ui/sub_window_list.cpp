#include "imaging/ui/sub_window_list.h"

#include "graphics/picture.h"
#include "graphics/picture_files.h"

namespace pravella::imaging {

WindowList<SubWindowPointer>& subWindowList() {
  static WindowList<SubWindowPointer> list;
  return list;
}

SubWindowPointer& subwindowID() {
  static SubWindowPointer id;
  return id;
}

SubWindow* findWindowFromSubWindowList(const QString& title) { return subWindowList().find(title).data(); }
SubWindow* findFirstWindowFromSubWindowList() { return subWindowList().first().data(); }
QString findTitleFromSubWindowList(SubWindow* controller) {
  return subWindowList().titleOf(SubWindowPointer(controller));
}
void addWindowToSubWindowList(const QString& title, SubWindow* controller) {
  subWindowList().add(title, SubWindowPointer(controller));
}
void deleteSubWindowListForKey(const QString& title) { subWindowList().remove(title); }

void openSubWindowWithImage(const QByteArray& bytes, const QString& title) {
  // A picture value, or the bytes of an image file (a downloaded JPEG, PNG or PICT file) as
  // the picture loaders read it. Bytes that are neither give an empty view; the window is
  // still made.
  QImage image = Picture::fromBytes(bytes.constData(), static_cast<std::size_t>(bytes.size())).toImage();
  QByteArray loaded;
  if (image.isNull() && !pictureFromFileData(bytes, QString(), loaded)) image = Picture(loaded).toImage();
  if (SubWindow* found = findWindowFromSubWindowList(title)) {
    found->setImageToSubWindowNoTitle(image);
    return;
  }
  new SubWindow;  // lives as a child of its window
  SubWindow* created = subwindowID().data();
  created->setImageToSubWindow(image, title);
  addWindowToSubWindowList(title, created);
}

void closePictWindow(const QString& title) {
  if (SubWindow* found = findWindowFromSubWindowList(title)) found->closePictWindow();
}

void closeAllPictWindow() {
  // A pair whose window has gone already is dropped as well, so the loop always ends.
  while (subWindowList().size() > 0) {
    const SubWindowPointer first = subWindowList().first();
    const QString title = subWindowList().titleOf(first);
    if (first) first->closePictWindow();
    if (subWindowList().contains(first)) deleteSubWindowListForKey(title);
  }
}

void movePictWindow(const QString& title, double x, double y) {
  if (SubWindow* found = findWindowFromSubWindowList(title)) found->movePictWindow(x, y);
}

void sizePictWindow(const QString& title, double width, double height) {
  if (SubWindow* found = findWindowFromSubWindowList(title)) found->sizePictWindow(width, height);
}

}  // namespace pravella::imaging
