#pragma once
// Property-list files in XML form, as the diary's .dat files keep them (recent memos,
// launcher entries, bookmarks, host lists: mostly arrays of strings). Values map to QVariant:
// string -> QString, integer -> qlonglong, real -> double, true/false -> bool,
// data -> QByteArray, date -> QDateTime, array -> QVariantList, dict -> QVariantMap.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

#include "platform/atomic_file.h"

namespace pravella::plist {

struct ParseResult {
  std::optional<QVariant> value;  // empty when the text was refused
  QString error;                  // why it was refused
};

ParseResult parse(const QByteArray& xml);
QByteArray serialize(const QVariant& value);

// Reads a file that must hold an array of strings. Refuses (nullopt, with a reason) a missing
// or unreadable file, malformed XML, and a root that is not an array of strings.
std::optional<QStringList> readStringArray(const QString& path, QString* error = nullptr);
WriteResult writeStringArray(const QString& path, const QStringList& strings);

std::optional<QVariant> readFile(const QString& path, QString* error = nullptr);
WriteResult writeFile(const QString& path, const QVariant& value);

}  // namespace pravella::plist
