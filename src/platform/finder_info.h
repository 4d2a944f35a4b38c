#pragma once
// Classic type and creator codes of a file (four bytes each, such as 'TEXT' and 'ttxt'), kept
// as the user extended attributes "user.pravella.type" and "user.pravella.creator". A file
// system that refuses user attributes holds no codes: reading answers none and setting does
// nothing (false).
//
// Codes travel in their quoted form, six bytes: the four bytes between single quotes.

#include <QByteArray>
#include <QString>

namespace pravella {

inline constexpr const char* kFinderTypeAttribute = "user.pravella.type";
inline constexpr const char* kFinderCreatorAttribute = "user.pravella.creator";

// True when the file exists (a symbolic link is followed); *type and *creator get the quoted
// codes the file has and stay untouched for codes it has not.
bool getFinderInfo(const QString& path, QByteArray* type, QByteArray* creator);

// Sets each code given in its quoted six-byte form and keeps the other; any other text
// leaves that code as it is. False when the file does not exist or an attribute cannot be
// written (*errorNumber then holds errno, ENOTSUP where the file system refuses them).
bool setFinderInfo(const QString& path, const QByteArray& type, const QByteArray& creator,
                   int* errorNumber = nullptr);

// "'TEXT'" for "TEXT"; an empty text for anything that is not four bytes.
QByteArray quotedFourCharCode(const QByteArray& code);
// "TEXT" for "'TEXT'"; an empty text for anything else.
QByteArray unquotedFourCharCode(const QByteArray& quoted);

}  // namespace pravella
