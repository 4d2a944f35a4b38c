#include "diary/document_history.h"

#include <QFileInfo>

#include "diary/day_documents.h"

namespace pravella {

namespace {

QString fileNameOf(const QString& path) { return path.section(QLatin1Char('/'), -1); }

QString markOf(int selectionStart) { return QStringLiteral("%1 0").arg(selectionStart); }

}  // namespace

bool isRichTextPath(const QString& path) {
  const QString ext = fileExtension(fileNameOf(path));
  return ext == QLatin1String("rtf") || ext == QLatin1String("rtfd");
}

void DocumentHistory::add(const QString& path, int selectionStart) {
  if (fileNameOf(path).isEmpty() || !isRichTextPath(path)) return;
  if (const qsizetype at = paths_.indexOf(path); at >= 0) {
    paths_.removeAt(at);
    marks_.removeAt(at);
  }
  paths_.append(path);
  marks_.append(markOf(selectionStart));
  now_ = size();
}

void DocumentHistory::remove(const QString& path) {
  if (fileNameOf(path).isEmpty() || !isRichTextPath(path)) return;
  if (const qsizetype at = paths_.indexOf(path); at >= 0) {
    paths_.removeAt(at);
    marks_.removeAt(at);
  }
  if (now_ > size()) now_ = size();
}

void DocumentHistory::clear() {
  paths_.clear();
  marks_.clear();
  now_ = 0;
}

void DocumentHistory::setCurrentMark(int selectionStart) {
  if (now_ >= 1 && now_ <= size()) marks_[now_ - 1] = markOf(selectionStart);
}

bool DocumentHistory::canGoBack(bool hasJumpMarks) const {
  if (size() <= 1 && !hasJumpMarks) return false;
  return now_ >= 2 || hasJumpMarks;
}

bool DocumentHistory::canGoForward(bool hasJumpMarks) const {
  if (size() <= 1 && !hasJumpMarks) return false;
  return now_ < size();
}

bool RecentMemoList::rejected(const QString& path) const {
  const QString name = fileNameOf(path);
  return !name.isEmpty() && reject_.contains(name.front());
}

bool RecentMemoList::add(const QString& path, int maxEntries) {
  if (fileNameOf(path).isEmpty() || rejected(path)) return false;
  if (isRichTextPath(path)) {
    paths_.removeAll(path);
    paths_.append(path);
  }
  for (qsizetype i = paths_.size() - 1; i >= 0; --i) {
    const QFileInfo info(paths_[i]);
    if (!info.exists() || rejected(paths_[i])) paths_.removeAt(i);
  }
  if (maxEntries < 0) maxEntries = 0;
  while (paths_.size() > maxEntries) paths_.removeFirst();
  return true;
}

QString RecentMemoList::menuTitle(const QString& path) {
  const QStringList parts = path.split(QLatin1Char('/'));
  const QString name = withoutExtension(parts.last());
  if (parts.size() < 3) return name;
  return parts[parts.size() - 3] + QLatin1Char('/') + parts[parts.size() - 2] + QLatin1Char('/') + name;
}

}  // namespace pravella
