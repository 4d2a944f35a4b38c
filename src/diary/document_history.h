#pragma once
// Where the user has been: the back/forward history of opened rich-text documents with a cursor
// mark for each, and the recent-memo list kept across launches. Only the lists live here; the
// calendar controller opens the documents and fills the menus.

#include <QString>
#include <QStringList>

namespace pravella {

// True for the kinds the history and the recent list take: "rtf" and "rtfd".
bool isRichTextPath(const QString& path);

class DocumentHistory {
 public:
  // Makes `path` the newest entry (moved to the end when already there) with the mark of
  // `selectionStart`; other kinds of path and paths without a file name are ignored.
  void add(const QString& path, int selectionStart);
  // Removes the first entry equal to `path`; the current position stays within the list.
  void remove(const QString& path);
  void clear();

  int size() const { return static_cast<int>(paths_.size()); }
  // 1-based position of the current entry; 0 when empty.
  int now() const { return now_; }
  void setNow(int now) { now_ = now; }
  const QStringList& paths() const { return paths_; }
  QString current() const { return now_ >= 1 && now_ <= size() ? paths_[now_ - 1] : QString(); }
  // The mark of the current entry: "start length" (the length is always 0 when set here).
  QString currentMark() const { return now_ >= 1 && now_ <= size() ? marks_[now_ - 1] : QString(); }
  void setCurrentMark(int selectionStart);

  // Back is possible with an earlier entry or with jump marks inside the shown document;
  // forward with a later entry; neither with at most one entry and no jump marks.
  bool canGoBack(bool hasJumpMarks) const;
  bool canGoForward(bool hasJumpMarks) const;

 private:
  QStringList paths_;
  QStringList marks_;
  int now_ = 0;
};

// The recent-memo list, oldest first.
class RecentMemoList {
 public:
  void setPaths(const QStringList& paths) { paths_ = paths; }
  const QStringList& paths() const { return paths_; }
  void setRejectCharacters(const QString& reject) { reject_ = reject; }
  const QString& rejectCharacters() const { return reject_; }

  // Adds an rtf/rtfd path (moved to the end when there), then drops entries whose file is gone
  // or whose name begins with a reject character and keeps the newest `maxEntries`. A path
  // without a file name, or whose name is rejected, changes nothing at all (false).
  bool add(const QString& path, int maxEntries);

  // A menu item's title: month folder, day folder and file name without its extension.
  static QString menuTitle(const QString& path);

 private:
  bool rejected(const QString& path) const;
  QStringList paths_;
  QString reject_;
};

}  // namespace pravella
