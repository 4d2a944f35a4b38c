#include "net/ftp/ftp_folder_merge.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/free_names.h"

namespace pravella::ftp {

namespace {

enum class Kind { None, File, Folder, Link, Other };

// The entry itself, never what a link points to: a link in the local folder is not followed
// into, nor written through.
Kind kindOf(const QString& path) {
  struct stat st;
  if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return Kind::None;
  if (S_ISLNK(st.st_mode)) return Kind::Link;
  if (S_ISDIR(st.st_mode)) return Kind::Folder;
  if (S_ISREG(st.st_mode)) return Kind::File;
  return Kind::Other;
}

QStringList entriesOf(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Name);
}

QString join(const QString& folder, const QString& name) {
  return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}

bool sameFile(const QString& a, const QString& b) {
  QFile fa(a), fb(b);
  if (fa.size() != fb.size()) return false;
  if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly)) return false;
  constexpr qint64 kChunk = 1 << 16;
  while (!fa.atEnd()) {
    if (fa.read(kChunk) != fb.read(kChunk)) return false;
  }
  return fb.atEnd();
}

bool sameEntry(const QString& staged, Kind stagedKind, const QString& local, Kind localKind) {
  if (stagedKind != localKind) return false;
  if (stagedKind == Kind::File) return sameFile(staged, local);
  if (stagedKind == Kind::Link) {
    std::error_code a, b;
    const auto target = [](const QString& p, std::error_code& ec) {
      return std::filesystem::read_symlink(QFile::encodeName(p).toStdString(), ec);
    };
    return target(staged, a) == target(local, b) && !a && !b;
  }
  return false;
}

// Files and links in a tree that moves whole: what the user gets new.
int filesIn(const QString& path, Kind kind) {
  if (kind != Kind::Folder) return 1;
  int n = 0;
  for (const QString& e : entriesOf(path)) {
    const QString p = path + QLatin1Char('/') + e;
    n += filesIn(p, kindOf(p));
  }
  return n;
}

void plan(const QString& from, const QString& into, const QString& rel, MergePlan* out) {
  for (const QString& e : entriesOf(from)) {
    const QString s = from + QLatin1Char('/') + e, t = into + QLatin1Char('/') + e, r = join(rel, e);
    const Kind sk = kindOf(s), tk = kindOf(t);
    if (tk == Kind::None) {
      out->added += filesIn(s, sk);
    } else if (sk == Kind::Folder && tk == Kind::Folder) {
      plan(s, t, r, out);
    } else if (sameEntry(s, sk, t, tk)) {
      ++out->same;
    } else if (sk == Kind::File && tk == Kind::File) {
      out->replaceable << r;
    } else {
      out->blocking << r;
    }
  }
}

QString reason() { return QString::fromLocal8Bit(std::strerror(errno)); }

// A rename that never replaces what is there; false with errno EEXIST when something is.
bool moveWithoutReplacing(const QString& from, const QString& to) {
  const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(to);
  if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  // A file system that cannot refuse a taken name by itself.
  struct stat st;
  if (::lstat(b.constData(), &st) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(a.constData(), b.constData()) == 0;
}

void merge(const QString& from, const QString& into, const QString& rel, const QStringList& agreed,
           MergeOutcome* out) {
  const auto failed = [out](const QString& what) {
    if (out->error.isEmpty()) out->error = what + QStringLiteral(": ") + reason();
  };
  for (const QString& e : entriesOf(from)) {
    const QString s = from + QLatin1Char('/') + e, t = into + QLatin1Char('/') + e, r = join(rel, e);
    const Kind sk = kindOf(s);
    Kind tk = kindOf(t);
    if (tk == Kind::None) {
      const int files = filesIn(s, sk);
      if (moveWithoutReplacing(s, t)) {
        out->added += files;
        continue;
      }
      if (errno != EEXIST) {
        failed(r);
        continue;
      }
      tk = kindOf(t);  // it appeared since the plan: decide as for any entry there
    }
    if (sk == Kind::Folder && tk == Kind::Folder) {
      merge(s, t, r, agreed, out);
    } else if (sameEntry(s, sk, t, tk)) {
      ++out->same;
    } else if (sk == Kind::File && tk == Kind::File && agreed.contains(r)) {
      // The replacement the user chose, in one step; the local file's permissions stay.
      QFile::setPermissions(s, QFileInfo(t).permissions());
      if (std::rename(QFile::encodeName(s).constData(), QFile::encodeName(t).constData()) == 0)
        out->replaced << r;
      else
        failed(r);
    } else {
      out->kept << r;
    }
  }
}

}  // namespace

StagingFolder::StagingFolder(const QString& parent, const QString& records) {
  QByteArray pattern = QFile::encodeName(parent + QStringLiteral("/.ftp-dir-XXXXXX"));
  if (::mkdtemp(pattern.data()) == nullptr) return;
  path_ = QFile::decodeName(pattern);
  held_ = std::make_unique<HeldPath>(records, path_);
  if (!held_->ok()) {  // a staging folder nobody would clean up after a crash is not made
    QDir(path_).removeRecursively();
    path_.clear();
  }
}

StagingFolder::~StagingFolder() {
  if (!path_.isEmpty()) QDir(path_).removeRecursively();
}

MergePlan planMerge(const QString& from, const QString& into) {
  MergePlan p;
  plan(from, into, QString(), &p);
  return p;
}

MergeOutcome mergeInto(const QString& from, const QString& into, const QStringList& agreed) {
  MergeOutcome out;
  merge(from, into, QString(), agreed, &out);
  return out;
}

QString freeNameIn(const QString& into, const QString& name) {
  return QFileInfo(freePathIn(into, name)).fileName();
}

QStringList placeUnderFreeNames(const QString& from, const QString& into, QString* error) {
  QStringList names;
  for (const QString& e : entriesOf(from)) {
    // Another entry may take the free name between the look and the move: look again.
    for (int tries = 0;; ++tries) {
      const QString name = freeNameIn(into, e);
      if (moveWithoutReplacing(from + QLatin1Char('/') + e, into + QLatin1Char('/') + name)) {
        names << name;
        break;
      }
      if (errno != EEXIST || tries == 100) {
        if (error && error->isEmpty()) *error = e + QStringLiteral(": ") + reason();
        break;
      }
    }
  }
  return names;
}

}  // namespace pravella::ftp
