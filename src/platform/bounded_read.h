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

// The first `maxBytes` bytes of a regular file (all of a shorter one): a larger file is no
// refusal here.
BoundedRead readRegularFileHead(const QString& path, qint64 maxBytes);

// True when `path` names a regular file (links followed); never opens it.
bool isRegularFile(const QString& path);

// What `path` is when it is neither a file nor a folder (links followed): "named pipe",
// "character device", "block device" or "socket". Empty for a file, a folder and a name that
// leads nowhere. Never opens it: opening a pipe waits for a writer, and a device may never end.
QString specialFileKind(const QString& path);

// The sentence that says a special file is not opened: "<name> is a named pipe, which is not
// opened."
QString specialFileRefusal(const QString& name, const QString& kind);

}  // namespace pravella
