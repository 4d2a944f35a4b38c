#pragma once
// CalEditBookMark: the small window beside the main window in which the user edits the web
// sheet's search-site list (one site or search words a line). The list is written only after
// an edit, atomically; the edited state is cleared only once the write succeeded.

#include <QObject>
#include <QString>

#include <functional>

class QMainWindow;
class QTextEdit;
class QWidget;

class CalEditBookMark : public QObject {
  Q_OBJECT
 public:
  // `rebuildMenu` rebuilds the sheet's search-site menu after a write or close.
  CalEditBookMark(QMainWindow* mainWindow, std::function<void()> rebuildMenu, QObject* parent = nullptr);
  ~CalEditBookMark() override;

  // The list's file: "webSearchItemList.rtfd" among the preferences.
  static QString listPath();

  void openBookMarkEditor();
  // Writes the list when it was edited; false when the write failed (it stays edited).
  bool writeBookMmarkToFile();
  // Writes, rebuilds the menu and closes the window.
  void SaveSearchBookMark();

  QWidget* bookmarkwindow() const { return window_; }
  QTextEdit* textView() const { return textView_; }
  bool bookMarkDidChange() const { return bookMarkDidChange_ != 0; }

 private:
  void textDidChange();
  bool eventFilter(QObject* watched, QEvent* event) override;

  QMainWindow* mainWindow_;
  std::function<void()> rebuildMenu_;
  QWidget* window_ = nullptr;
  QTextEdit* textView_ = nullptr;
  unsigned char bookMarkDidChange_ = 0;
  bool loading_ = false;
};
