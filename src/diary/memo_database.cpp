#include "diary/memo_database.h"

#include <QDir>

#include <cmath>
#include <functional>

#include "diary/month_list.h"
#include "platform/atomic_file.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/progress_bar.h"

namespace pravella {

namespace {

constexpr int kMinYear = 1;
constexpr int kMaxYear = 9999;

// Every day number 1-31 of every month is tried: a folder may exist for a day the month lacks.
void appendYear(QByteArray& out, int year, const std::function<void(int month)>& progress) {
  const QByteArray base = (paths::diary() + QLatin1Char('/')).toUtf8();
  for (int m = 1; m <= 12; ++m) {
    progress(m);
    for (int d = 1; d <= 31; ++d) {
      const QByteArray day = QString::asprintf("%04d/%02d/%02d/", year, m, d).toLatin1();
      const QStringList names = folderEntriesInNameOrder(QString::fromUtf8(base + day));
      for (const QString& name : names) {
        out += "<path>";
        out += base;
        out += day;
        out += name.toUtf8();
        out += "</path>\n<honbun></honbun>\n";
      }
    }
  }
}

unsigned int writeDatabase(const QByteArray& text) {
  QDir().mkpath(paths::diary());  // a program may ask before the application made the tree
  const WriteResult written = writeFileAtomically(memoDatabasePath(), text);
  if (!written) {
    showErrMessageToConsole(("The memo database is not written: " + written.error + "\n").toStdString());
    return 0;
  }
  NotificationCenter::defaultCenter().post(QString::fromLatin1(kLoadMemoDatabase));
  return 1;
}

}  // namespace

QString memoDatabasePath() { return paths::diary() + QStringLiteral("/memoDatabase.dat"); }

QByteArray memoDatabaseRecords(int firstYear, int lastYear) {
  QByteArray out;
  for (int y = firstYear; y <= lastYear; ++y) appendYear(out, y, [](int) {});
  return out;
}

}  // namespace pravella

unsigned int makeMemoFileDataBase(const double* years) {
  const double first = years[0];
  const double last = years[1];
  if (!std::isfinite(first) || !std::isfinite(last) || first > last) return 0;
  const double firstYear = std::trunc(first);
  const double lastYear = std::trunc(last);
  // A huge year would walk 372 folders a year for ever.
  if (firstYear < pravella::kMinYear || lastYear > pravella::kMaxYear) return 0;
  setProcessIndicator(0, (last - first) * 12);
  QByteArray text;
  for (int y = static_cast<int>(firstYear); y <= static_cast<int>(lastYear); ++y)
    pravella::appendYear(text, y, [&](int m) { setProcessIndicatorValue((y - first) * 12 + m); });
  setProcessIndicatorValue(0);
  return pravella::writeDatabase(text);
}

unsigned int makeAllMemoFileDataBase() {
  const QStringList entries = pravella::folderEntriesInNameOrder(pravella::paths::diary());
  setProcessIndicator(0, 12.0 * static_cast<double>(entries.size()));
  QByteArray text;
  for (qsizetype i = 0; i < entries.size(); ++i) {
    const long long year = pravella::leadingInteger(entries[i]);
    if (year <= 1990 || year > pravella::kMaxYear) continue;
    pravella::appendYear(text, static_cast<int>(year),
                         [&](int m) { setProcessIndicatorValue(12.0 * static_cast<double>(i) + m); });
  }
  setProcessIndicatorValue(0);
  return pravella::writeDatabase(text);
}
