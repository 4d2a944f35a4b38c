#pragma once
// CalToDo: the to-do list, one rich-text view in a small window of its own that stands 5 points
// right of the main window with their tops level (placed again at every showing). Its text is
// Preferences/toDoMemo.rtfd, read at start and written when the window closes and at quit,
// only when it was edited; a write that fails keeps the edited mark, so nothing is lost.

#include <QObject>
#include <QWidget>

#include <functional>
#include <memory>

class QTextEdit;

namespace pravella {
class EditJournal;
}

class CalToDo : public QObject {
  Q_OBJECT
 public:
  struct Host {
    std::function<QWidget*()> mainWindow;
    std::function<void(const char*)> playSound;
  };

  explicit CalToDo(Host host, QObject* parent = nullptr);
  ~CalToDo() override;

  static QString memoFile();  // Preferences/toDoMemo.rtfd

  void awakeFromNib();
  void openToDoWindowAction();
  void writeToDoMemoWhenApplicationTerminate();

  QWidget* toDoWindow() const { return window_; }
  QTextEdit* toDoMemoView() const { return view_; }
  bool toDoMemoDidChange() const { return changed_; }

 private:
  friend class ToDoWindow;
  Host host_;
  QWidget* window_ = nullptr;
  QTextEdit* view_ = nullptr;
  bool changed_ = false;
  bool loading_ = false;
  std::unique_ptr<pravella::EditJournal> journal_;  // its unsaved edits, kept against a crash
};
