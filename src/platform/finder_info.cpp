#include "platform/finder_info.h"

#include <QFile>
#include <QFileInfo>

#include <sys/xattr.h>
#include <cerrno>

namespace pravella {

namespace {

// The attribute's four bytes, or empty.
QByteArray readCode(const QByteArray& path, const char* name) {
  char buffer[8];
  const ssize_t n = ::getxattr(path.constData(), name, buffer, sizeof buffer);
  if (n != 4) return {};
  return QByteArray(buffer, 4);
}

}  // namespace

QByteArray quotedFourCharCode(const QByteArray& code) {
  if (code.size() != 4) return {};
  return '\'' + code + '\'';
}

QByteArray unquotedFourCharCode(const QByteArray& quoted) {
  if (quoted.size() != 6 || quoted.front() != '\'' || quoted.back() != '\'') return {};
  return quoted.mid(1, 4);
}

bool getFinderInfo(const QString& path, QByteArray* type, QByteArray* creator) {
  if (path.isEmpty() || !QFileInfo::exists(path)) return false;
  const QByteArray native = QFile::encodeName(path);
  if (const QByteArray t = readCode(native, kFinderTypeAttribute); !t.isEmpty() && type)
    *type = quotedFourCharCode(t);
  if (const QByteArray c = readCode(native, kFinderCreatorAttribute); !c.isEmpty() && creator)
    *creator = quotedFourCharCode(c);
  return true;
}

bool setFinderInfo(const QString& path, const QByteArray& type, const QByteArray& creator, int* errorNumber) {
  if (errorNumber) *errorNumber = 0;
  if (path.isEmpty() || !QFileInfo::exists(path)) {
    if (errorNumber) *errorNumber = ENOENT;
    return false;
  }
  const QByteArray native = QFile::encodeName(path);
  for (const auto& [name, quoted] :
       {std::pair{kFinderTypeAttribute, type}, std::pair{kFinderCreatorAttribute, creator}}) {
    const QByteArray code = unquotedFourCharCode(quoted);
    if (code.isEmpty()) continue;
    if (::setxattr(native.constData(), name, code.constData(), 4, 0) != 0) {
      if (errorNumber) *errorNumber = errno;
      return false;
    }
  }
  return true;
}

}  // namespace pravella
