#include "diary/classic_import.h"

#include <QFile>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/cformat.h"
#include "platform/text_encoding.h"

namespace pravella::classic {

namespace {

// 年, 月 and 日 in Shift-JIS.
constexpr char kYearSjis[] = "\x94\x4E";
constexpr char kMonthSjis[] = "\x8C\x8E";
constexpr char kDaySjis[] = "\x93\xFA";
constexpr char kYearUtf8[] = "\xE5\xB9\xB4";
constexpr char kMonthUtf8[] = "\xE6\x9C\x88";
constexpr char kDayUtf8[] = "\xE6\x97\xA5";

bool exists(const QByteArray& path, bool folder) {
  struct stat st {};
  if (::stat(path.constData(), &st) != 0) return false;
  return folder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}

}  // namespace

QByteArray monthFolderName(int year, int month, bool shiftJis) {
  return QByteArray::fromStdString(cformat("%04d", year)) + (shiftJis ? kYearSjis : kYearUtf8) +
         QByteArray::fromStdString(cformat("%02d", month)) + (shiftJis ? kMonthSjis : kMonthUtf8);
}

QByteArray documentName(int year, int month, int day, int number, bool shiftJis) {
  return monthFolderName(year, month, shiftJis) + QByteArray::fromStdString(cformat("%02d", day)) +
         (shiftJis ? kDaySjis : kDayUtf8) + QByteArray::fromStdString(cformat(".%02d", number));
}

std::vector<OldDocument> findOldDocuments(const QString& base, const WalkHooks& hooks) {
  std::vector<OldDocument> found;
  const QByteArray root = QFile::encodeName(base) + '/';
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    if (hooks.year) hooks.year(year);
    for (int month = 1; month <= 12; ++month) {
      bool anyFolder = false;
      for (bool sjis : {true, false}) {
        const QByteArray folder = root + monthFolderName(year, month, sjis);
        if (!exists(folder, true)) continue;
        anyFolder = true;
        for (int day = 1; day <= 31; ++day)
          for (int number = 0; number <= 99; ++number) {
            // Each spelling of the file is looked for in the folder of its own spelling.
            const QByteArray file = folder + '/' + documentName(year, month, day, number, sjis);
            if (exists(file, false)) found.push_back({file, year, month, day});
          }
      }
      if (!anyFolder && hooks.missingMonth) hooks.missingMonth();
    }
  }
  return found;
}

bool readOldText(const QByteArray& path, QString& text) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  if (!in) return false;
  const QByteArray bytes = QByteArray::fromStdString(
      std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  if (in.bad()) return false;
  bool ok = false;
  text = encoding::decode(bytes, encoding::kUtf8, &ok);
  if (!ok) text = encoding::decodeLossy(bytes, encoding::kShiftJIS);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return true;
}

QString oldDocumentTitle(const QString& text, int year, int month, int day, long& untitled) {
  const QString first = text.section(QLatin1Char('\n'), 0, 0);
  // The title must also fit a file name here, which counts bytes: 255 of them for the title
  // with ".rtfd" and the "_N" that a name already taken gets, with room to spare.
  constexpr qsizetype kLongestTitleBytes = 230;
  if (!first.isEmpty() && first.size() <= 128 && first.toUtf8().size() <= kLongestTitleBytes) return first;
  return QString::fromStdString(cformat("%4ld_%02ld_%02ld_%02ld", static_cast<long>(year),
                                        static_cast<long>(month), static_cast<long>(day), untitled++));
}

}  // namespace pravella::classic
