#include "editors/memo_sheet_history.h"

#include <QFileInfo>

#include <algorithm>

namespace pravella {

void MemoSheetHistory::add(const QString& path) {
  entries_.removeOne(path);
  entries_.append(path);
  now_ = count() - 1;
}

QString MemoSheetHistory::next(const Exists& exists) {
  if (entries_.isEmpty()) {
    now_ = -1;
    return {};
  }
  now_ = std::min(now_ + 1, count() - 1);
  return settle(exists, true);
}

QString MemoSheetHistory::before(const Exists& exists) {
  if (entries_.isEmpty()) {
    now_ = -1;
    return {};
  }
  now_ = std::clamp(now_ - 1, 0, count() - 1);
  return settle(exists, false);
}

QString MemoSheetHistory::settle(const Exists& exists, bool forward) {
  while (!entries_.isEmpty()) {
    if (exists(entries_[now_])) return entries_[now_];
    entries_.removeAt(now_);
    // Forward the index already points at the next later entry; back it goes one lower.
    now_ = forward ? std::min(now_, count() - 1) : std::max(now_ - 1, 0);
  }
  now_ = -1;
  return {};
}

QString memoTitleLine(const QString& path) {
  const QStringList parts = path.split(QLatin1Char('/'));
  const auto number = [&](qsizetype back) {
    return parts.size() >= back ? parts[parts.size() - back].toInt() : 0;
  };
  return QString::asprintf(" [%04d/%02d/%02d/", number(4), number(3), number(2)) +
         QFileInfo(parts.last()).completeBaseName() + QStringLiteral("] \n\n");
}

}  // namespace pravella
