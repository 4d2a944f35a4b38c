#pragma once
// The old diary format: one folder per month named "%04ld年%02ld月" below the chosen folder,
// holding plain text files "%04ld年%02ld月%02ld日.%02ld" (year, month, day, number 00-99) whose
// lines end with carriage returns. The names were made as Shift-JIS bytes; a diary copied
// through another system may carry them as UTF-8, so both spellings are looked for.

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace pravella::classic {

inline constexpr int kFirstYear = 1990;
inline constexpr int kLastYear = 2010;

// The month folder's and the document's name as Shift-JIS bytes and as UTF-8 bytes.
QByteArray monthFolderName(int year, int month, bool shiftJis);
QByteArray documentName(int year, int month, int day, int number, bool shiftJis);

struct OldDocument {
  QByteArray path;  // the file's path as bytes on disk
  int year = 0, month = 0, day = 0;
};

struct WalkHooks {
  std::function<void(int year)> year;           // each year as the walk reaches it
  std::function<void()> missingMonth;           // a month folder that is not there
};

// The old documents below `base` in import order: years 1990-2010, months, days 1-31, numbers
// 00-99.
std::vector<OldDocument> findOldDocuments(const QString& base, const WalkHooks& hooks = {});

// The text of an old file: UTF-8 when it is valid UTF-8, else Shift-JIS; carriage returns
// (alone or before a line feed) become line feeds. False when the file cannot be read.
bool readOldText(const QByteArray& path, QString& text);

// The title of an imported document: its first line when 1 to 128 characters long (and at most
// 230 bytes in UTF-8, to fit a file name), else
// "%4ld_%02ld_%02ld_%02ld" of the date and `untitled`, which then counts up.
QString oldDocumentTitle(const QString& text, int year, int month, int day, long& untitled);

}  // namespace pravella::classic
