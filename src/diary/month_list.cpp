#include "diary/month_list.h"

#include <algorithm>
#include <limits>

#include "diary/day_documents.h"
#include "diary/memo_search_text.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"

namespace pravella {

QString monthListDayText(int year, int month, int day) {
  return QString::asprintf("%04d/%02d/%02d", year, month, day);
}

int daysOfMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return kDays[month - 1];
}

QString monthFolder(int year, int month) {
  return paths::diary() + QLatin1Char('/') + QString::asprintf("%4d/%02d", year, month);
}

void previousMonth(int& year, int& month) {
  if (--month < 1) {
    month = 12;
    --year;
  }
}

QStringList folderEntriesInNameOrder(const QString& folder) {
  QStringList names;
  for (FolderEntry& entry : listFolder(folder)) names << std::move(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

MonthList walkMonthFolders(int year, int month, const QString& searchText) {
  MonthList rows;
  const bool filter = hasSearchText(searchText);
  const int days = daysOfMonth(year, month);
  for (int d = 1; d <= days; ++d) {
    for (const QString& name : folderEntriesInNameOrder(paths::dayFolder(year, month, d))) {
      const bool taken = filter ? findCheckFileName(name, searchText) : !fileExtension(name).isEmpty();
      if (taken) rows.push_back({monthListDayText(year, month, d), name});
    }
  }
  return rows;
}

long long leadingInteger(const QString& text) {
  int i = 0;
  const int n = static_cast<int>(text.size());
  while (i < n && text[i].isSpace()) ++i;
  bool negative = false;
  if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
    negative = text[i++] == QLatin1Char('-');
  long long value = 0;
  constexpr long long kMax = std::numeric_limits<long long>::max() / 10 - 9;
  for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
    value = value > kMax ? value : value * 10 + (text[i].unicode() - '0');
  return negative ? -value : value;
}

std::optional<MonthListEntry> entryForFoundPath(const QString& path) {
  const QStringList parts = path.split(QLatin1Char('/'));
  const qsizetype n = parts.size();
  if (n > 3 && parts[n - 3] == QLatin1String("Manual")) return MonthListEntry{kManualDay, path};
  if (n < 4) return std::nullopt;
  const long long year = leadingInteger(parts[n - 4]);
  const long long month = leadingInteger(parts[n - 3]);
  const long long day = leadingInteger(parts[n - 2]);
  if (year <= 0 || month <= 0 || day < 1 || year > 99999 || month > 99 || day > 99) return std::nullopt;
  return MonthListEntry{
      monthListDayText(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)), parts[n - 1]};
}

QString manualFolder() { return paths::diary() + QStringLiteral("/Manual"); }

QStringList allMemoScopes(bool withManual) {
  QStringList scopes;
  const QString diary = paths::diary();
  for (const QString& name : folderEntriesInNameOrder(diary))
    if (leadingInteger(name) > 1899) scopes << diary + QLatin1Char('/') + name;
  if (withManual) scopes << manualFolder();
  return scopes;
}

MonthList entriesFromDatabaseHits(const QStringList& paths) {
  MonthList rows;
  for (const QString& path : paths) {
    const QStringList parts = path.split(QLatin1Char('/'));
    const qsizetype n = parts.size();
    if (n < 4) {
      rows.push_back({QString(), parts.last()});
      continue;
    }
    rows.push_back(
        {parts[n - 4] + QLatin1Char('/') + parts[n - 3] + QLatin1Char('/') + parts[n - 2], parts[n - 1]});
  }
  return rows;
}

MonthList filterByCategory(const MonthList& rows, const QString& title) {
  MonthList kept;
  for (const MonthListEntry& e : rows)
    if (title.isEmpty() || e.diaryFiles.startsWith(title)) kept.push_back(e);
  return kept;
}

void addStringToSearchList(QStringList& list, const QString& text) {
  list.removeAll(text);
  list.prepend(text);
}

QString monthListText(const MonthList& rows) {
  QString text;
  for (const MonthListEntry& e : rows)
    text += QStringLiteral(" [") + e.day + QLatin1Char('/') + e.diaryFiles + QStringLiteral("] \n");
  return text;
}

}  // namespace pravella
