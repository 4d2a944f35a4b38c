#pragma once
// Reading a whole file a user or a program named: only a regular file (a named pipe or a
// device would block or never end), at most `maxBytes`, and a failed allocation is an error,
// not the end of the process.

#include <QByteArray>
#include <QString>

namespace pravella {

enum class ReadRefusal { None, Missing, NotRegular, TooLarge, NoMemory, Failed };

struct BoundedRead {
  QByteArray data;
  ReadRefusal refusal = ReadRefusal::None;
  QString error;  // a sentence for the user when refused
  explicit operator bool() const { return refusal == ReadRefusal::None; }
};

BoundedRead readRegularFile(const QString& path, qint64 maxBytes);

// True when `path` names a regular file (links followed); never opens it.
bool isRegularFile(const QString& path);

}  // namespace pravella
