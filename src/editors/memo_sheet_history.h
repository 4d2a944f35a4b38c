#pragma once
// The memo sheet's own history: the documents opened on the sheet, oldest first, and which of
// them it shows. Stepping drops entries whose files vanished; the index is -1 when the sheet
// shows none of them (its scratch text).

#include <QString>
#include <QStringList>
#include <functional>

namespace pravella {

class MemoSheetHistory {
 public:
  using Exists = std::function<bool(const QString& path)>;

  // Records a document opened on the sheet: an equal entry moves to the end, which is shown.
  void add(const QString& path);
  // One step forward or back. Entries whose files do not exist are removed on the way; the
  // answer is the path to show, or empty when nothing is left (the index is then -1).
  QString next(const Exists& exists);
  QString before(const Exists& exists);
  // The sheet shows none of the entries (its scratch text).
  void leave() { now_ = -1; }

  int now() const { return now_; }
  int count() const { return static_cast<int>(entries_.size()); }
  const QStringList& entries() const { return entries_; }
  // The shown entry's path; empty when the index is below 0.
  QString nowPath() const { return now_ >= 0 && now_ < count() ? entries_[now_] : QString(); }
  bool canGoBack() const { return now_ >= 1; }
  bool canGoForward() const { return now_ < count() - 1; }

 private:
  QString settle(const Exists& exists, bool forward);

  QStringList entries_;
  int now_ = -1;
};

// The title line the sheet shows for a document in a day folder:
// " [2008/05/14/shopping] \n\n" for .../2008/05/14/shopping.rtfd.
QString memoTitleLine(const QString& path);

}  // namespace pravella
