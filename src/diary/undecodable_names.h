#pragma once
// Day documents whose file names are bytes that are no UTF-8. Qt leaves them out of a folder's
// listing and cannot name them in a path, so the day list shows each under an escaped name and
// gives it that name on disk (or the one the user types) before anything is done with it.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace pravella {

// The name a list shows for the bytes `raw`: a name that is UTF-8 as it stands, and in any
// other name each byte that starts no well-formed character as "\xHH" (upper-case hex) and
// each backslash as "\x5C", so that the shown name leads back to exactly one byte string.
QString escapedFileName(const QByteArray& raw);

// The names the entries of `folder` that are no UTF-8 are listed under, in no particular
// order: each one's escaped name, unless another entry bears that name or it is longer than a
// file name may be; then ".001" (the first free number) before its extension, and an escaped
// stem shortened at a whole "\xHH" or character. Each is free in the folder, so every such
// entry is listed, once, and can take its listed name on disk.
QStringList undecodableEntries(const QString& folder);

// The bytes on disk of the entry of `folder` that undecodableEntries lists as `shown`;
// nullopt for any other name.
std::optional<QByteArray> undecodableNameBytes(const QString& folder, const QString& shown);

// Gives the entry `raw` of `folder` the UTF-8 name `newName` there, never over an entry that
// exists. False, with errno set, when it could not be moved.
bool renameUndecodable(const QString& folder, const QByteArray& raw, const QString& newName);

struct ClaimedName {
  QString name;   // the entry's name on disk now
  QString error;  // why it could not take its listed name (also said on the console)
};

// The name `shown` stands for on disk once claimed: an entry listed under an escaped name is
// renamed to that name; any other name comes back as it is.
ClaimedName claimShownName(const QString& folder, const QString& shown);

}  // namespace pravella
