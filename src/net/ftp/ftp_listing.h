#pragma once
// Reading what tnftp printed: the long-listing lines and their entry names, the current
// remote directory, and whether a run failed (tnftp exits 0 even when a login, a cd or a
// transfer failed, so its replies decide).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace pravella::ftp {

struct Entry {
  QString line;  // as printed
  QString name;
};

// The lines that begin with b, c, d, l, s, w or "-" (devices, directories, links, sockets,
// plain files); other chatter goes.
QStringList listingLines(const QString& output);

// The entries of a listing text. Only lines ended by a line feed are examined; a line needs
// more than 8 blank-separated words. The name is the rest of the line after the eighth word
// and the one blank that follows it, every other blank kept; a link's name ends before " -> ";
// a name of blanks only (a link's before its arrow) is no entry.
QVector<Entry> parseListing(const QString& text);

// Output bytes up to the first NUL, as UTF-8; invalid UTF-8 gives no text.
QString resultText(const QByteArray& bytes);

// Drops "." and the hidden entries; ".." stays as the way up.
QVector<Entry> withoutHidden(const QVector<Entry>& entries);

// The current directory from the names run: the last "Remote directory: " line, else the
// last 257 reply's quoted path; nothing when neither is there.
std::optional<QString> currentDirectory(const QString& output);

// True when the output holds a 4xx or 5xx reply, "Not connected." or an "ftp: " error line.
bool outputReportsFailure(const QString& output);
// The line that says why a run failed: the server's first 4xx or 5xx reply, else the
// program's own first error ("ftp: ..."), else "Not connected."; empty when none is there.
QString failureLine(const QString& output);
// True when the run had no session to work in (no connection, no log-in), so that any other
// command would fail alike.
bool sessionFailed(const QString& output);

// `directory` joined with `name`: one "/" between, none doubled or trailing.
QString joinRemote(const QString& directory, const QString& name);

}  // namespace pravella::ftp
