#pragma once
// The internet sheet's data and rules that need no window: the download table (three parallel
// string lists in url1.dat, url2.dat and url3.dat), the folders downloads go to, the child
// programs' argument lists and the texts handed to the user's web browser.

#include <QString>
#include <QStringList>

namespace pravella::web {

// One row = the entries of one index. Names decide the row count; a shorter period or URL
// list reads as empty entries, so a damaged file never shifts the rows against each other.
struct UrlTable {
  QStringList names, periods, urls;
  int rows() const { return static_cast<int>(names.size()); }
  bool holds(const QString& name, const QString& period, const QString& url) const;
};

// Reads the three files of `folder`; missing files read as empty lists.
UrlTable readUrlTable(const QString& folder);
// The table of the preferences folder, or the application's default rows when the user has
// none yet (no url1.dat there).
UrlTable loadUrlTable();
// Writes all three files of the preferences folder, each atomically. False when one failed.
bool saveUrlTable(const UrlTable& table);

// An option field's words, split at blanks. Empty words are dropped: an empty field or two
// blanks in a row would hand the program an empty argument, which it takes for an address.
QStringList optionWords(const QString& field);
// True when the address begins with a scheme the download programs are given: http, https,
// ftp or ftps, then "://". Anything else (an option such as "--version" or "-O/path", a bare
// host) is refused before a program starts.
bool isDownloadAddress(const QString& url);
// A download program's arguments: `options`, then "--" and the address, so that the address is
// never read as an option.
QStringList addressArguments(QStringList options, const QString& url);
// The lines of the curl form that are fetched: those beginning with "http" or "ftp".
QStringList curlLines(const QString& text);
// The sub-folder for a typed folder name: its extension replaced by "pictd". Empty when the
// name is refused: empty once its extension is removed, holding "/" or a NUL, or "." / "..".
QString pictdFolderName(const QString& typed);

// Today's day folder (the clock's date, not the selected day) and its table download folder.
QString todayFolder();
QString downloadFolder();
inline constexpr const char* kDownloadFolderName = "download.pictd";

// The wget to run: /usr/local/bin/wget when present, else "wget" from PATH.
QString wgetProgram();
inline constexpr const char* kCurlProgram = "curl";
// The picture form's arguments, then "--" and the URL; the agent pair only when the marker
// file "xxx.txt" exists in the preferences folder.
QStringList pictureFormArguments(const QString& url);
// A table download's arguments: "-N", then "--" and the URL.
QStringList tableDownloadArguments(const QString& url);
// The file a finished table download left in `folder`: the URL's last path component.
QString downloadedFile(const QString& folder, const QString& url);

// The text with every character that Shift-JIS cannot hold dropped.
QString shiftJisCharactersOnly(const QString& text);

// The browser file: the chosen browser's file name, empty when none was chosen.
QString readWebBrowser();
bool writeWebBrowser(const QString& name);

}  // namespace pravella::web
