#pragma once
// CalChangePictSize: resizes the memo picture at the caret, by a percentage (the picture is
// redrawn, stored as a JPEG in the work folder and takes the old one's place, and the new
// picture is left on the clipboard) or freely in a picture window whose content replaces it
// when the window closes.

#include <QObject>
#include <QTextCursor>

#include <functional>

class QMenu;
class QTextEdit;
class QWidget;

class CalChangePictSize : public QObject {
  Q_OBJECT
 public:
  struct Host {
    std::function<QTextEdit*()> textView;  // the memo the action aims at
    QWidget* mainWindow = nullptr;         // the picture window stands beside it
    std::function<void(const char*)> playSound;
  };

  explicit CalChangePictSize(Host host, QObject* parent = nullptr);

  // True when a picture was found at the caret (the one the caret is at or right behind);
  // "Basso" and nothing changed otherwise.
  bool changePictSizeAction(int percent);
  bool changePictFreeSizeAction();

  // The "Picture Size" menu (25, 50, 75, 150, 200 and "Free Size...") added to `menu`.
  QMenu* addMenu(QMenu* menu);

 private:
  bool changePictSizeAction_A(QTextEdit* view, QTextCursor& selection, int percent);
  bool changePictFreeSizeAction_A(QTextCursor& selection);
  bool onPicture(const std::function<bool(QTextEdit*, QTextCursor&)>& action);
  void sound(const char* name);

  Host host_;
};
