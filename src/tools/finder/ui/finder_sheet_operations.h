#pragma once
// The finder sheet's history (back and forward buttons), its marked items and its file
// operations: trash, duplicate, new folder, and moving the marked items to the Trash or into
// a chosen folder. The sheet hands in what these need of it; the lists themselves are plain
// (tools/finder/finder_history.h) and live as long as the sheet.
//
// A move that fails keeps its item marked and plays "Basso", so the user sees what is left.

#include <QPointer>
#include <QString>

#include <functional>

#include "tools/finder/finder_history.h"

class QAbstractButton;
class QProgressBar;
class QWidget;

namespace pravella {

struct FinderSheetAccess {
  QWidget* window = nullptr;  // the calendar window: the questions are asked on it
  std::function<QString()> browsedPath;
  // The item the name field shows, empty when none is (after a delete the browser is left on
  // the folder, which the user did not show): only that one is ever marked. Unset: the browsed.
  std::function<QString()> shownPath;
  std::function<void(const QString&)> setBrowserPath;
  std::function<void()> reloadBrowser;            // reloadData:
  std::function<void()> clearPreview;             // clearTextView
  std::function<void()> previewBrowsed;           // browserSingleClick:
  std::function<void()> saveDocument;             // saveDocument:
  std::function<void()> setFinderTextScrollView;  // the text view back in the preview area
  QPointer<QAbstractButton> backButton, forwardButton, markSwitch;
  QPointer<QProgressBar> progress;
};

class FinderSheetOperations {
 public:
  explicit FinderSheetOperations(FinderSheetAccess access) : a_(std::move(access)) {}

  // History.
  void addRireki(const QString& path);
  void adjustRireki();
  void deleteRirekiFile(const QString& path);
  void checkRirekiFile();
  void rirekiNextAction();
  void rirekiBeforeAction();

  // Marks.
  void addMarkWithPath(const QString& path);
  void deleteMarkWithPath(const QString& path);
  bool checkMark(const QString& path);
  void MarkSwitchAction();
  void deleteMarkAction();
  void deleteMarkedFiles();
  void moveMarkedFiles();
  // An item went to the Trash or moved, here or in another view: its marks go or follow it,
  // and the switch shows the browsed item's mark again.
  void itemTrashed(const QString& path);
  void itemMoved(const QString& oldPath, const QString& newPath);

  // Files.
  void deleteFileAction();
  void dupulicateAction();
  void dupulicatFileAndFolder(const QString& path);
  void makeNewFolder();

  const FinderHistory& history() const { return history_; }
  const FinderMarks& marks() const { return marks_; }

 private:
  QString browsed() const { return a_.browsedPath ? a_.browsedPath() : QString(); }
  QString shown() const { return a_.shownPath ? a_.shownPath() : browsed(); }
  void call(const std::function<void()>& step) const {
    if (step) step();
  }
  void setMark(bool on);
  void showHistoryEntry(const std::optional<QString>& entry);
  // After the marks moved: the browser back at `folder`, sound by the outcome.
  void afterMarkedItems(const QString& folder, const QStringList& errors);
  // True, after "Basso" and an alert naming them, when any of `items` is a folder the finder
  // never takes away (the home, the diary's tree, the standard folders).
  bool refusedProtected(const QString& title, const QStringList& items);

  FinderSheetAccess a_;
  FinderHistory history_;
  FinderMarks marks_;
};

// A folder of the browser: a folder that is no rtfd package.
bool isFinderFolder(const QString& path);

}  // namespace pravella
