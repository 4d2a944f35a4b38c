#include "tools/dictionaries/manual_library.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>

#include "platform/paths.h"
#include "platform/rich_text_file.h"

namespace pravella::manual {

namespace {

const char* const kFolders[kCategories] = {"pv_introduction", "vk_introduction", "vk_function",
                                           "vk_application", "other", "cal_function"};

}  // namespace

QString manualFolder() { return paths::diary() + QStringLiteral("/Manual"); }

QString categoryFolder(int category) {
  if (category < 0 || category >= kCategories) return {};
  return manualFolder() + u'/' + QLatin1String(kFolders[category]);
}

QString instructionDocument() { return paths::resource(QStringLiteral("toMakeManualFolder.rtfd")); }

bool isManualDocument(const QString& fileName) {
  const QString suffix = QFileInfo(fileName).suffix();
  return suffix == QStringLiteral("rtf") || suffix == QStringLiteral("rtfd");
}

QString titleOf(const QString& fileName) {
  const qsizetype dot = fileName.lastIndexOf(u'.');
  return dot <= 0 ? fileName : fileName.left(dot);
}

bool documentContains(const QString& path, const QString& filter) {
  bool ok = false;
  const QString text = plainTextOfRichTextFile(path, &ok);
  if (!ok) return false;
  return text.toCaseFolded().contains(filter.toCaseFolded());
}

QStringList listDocuments(const QString& folder, const QString& filter,
                          const std::function<void(int, int)>& progress) {
  QStringList out;
  const QDir dir(folder);
  const QStringList items = dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  const int last = int(items.size()) - 1;
  for (int i = 0; i < items.size(); ++i) {
    if (progress) progress(i, last);
    const QString& name = items.at(i);
    if (!isManualDocument(name)) continue;
    if (!filter.isEmpty() && !documentContains(dir.filePath(name), filter)) continue;
    out << name;
  }
  if (progress) progress(0, last);
  return out;
}

WriteResult saveDocument(const QString& path, const QTextDocument& doc) {
  if (QFileInfo(path).suffix() == QStringLiteral("rtf")) return writeRtfFile(path, doc);
  return writeRtfdFile(path, doc);
}

int findTitle(const QStringList& fileNames, const QString& typed, int category) {
  QString prefix = typed.toLower();
  if (category == kCalFunctionCategory) prefix.prepend(QStringLiteral("cal_"));
  for (int i = 0; i < fileNames.size(); ++i) {
    if (fileNames.at(i).toLower().startsWith(prefix)) return i;
  }
  return -1;
}

int scrollTarget(int row, int previousRow, int rowCount) {
  const int target = row > previousRow ? row + 5 : row - 5;
  if (target >= rowCount) return rowCount - 1;
  if (row <= 4) return 0;
  return target;
}

void History::add(const QString& path) {
  if (current_ >= 0 && current_ < entries_.size() && entries_.at(current_) == path) return;
  entries_.removeOne(path);
  entries_.append(path);
  current_ = int(entries_.size()) - 1;
}

QString History::step(int delta) {
  if (entries_.isEmpty()) {
    current_ = -1;
    return {};
  }
  current_ = std::clamp(current_ + delta, 0, int(entries_.size()) - 1);
  return entries_.at(current_);
}

QString History::back() { return step(-1); }
QString History::forward() { return step(1); }

void KeyFindString::touch(qint64 nowMs) {
  if (started_ && nowMs - last_ > kPauseMs) text_.clear();
  last_ = nowMs;
  started_ = true;
}

QString KeyFindString::type(QChar c, qint64 nowMs) {
  touch(nowMs);
  text_ += c;
  return text_;
}

}  // namespace pravella::manual
