#include "editors/open_documents.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <optional>

#include "diary/day_documents.h"
#include "platform/rich_text_file.h"

namespace pravella {

namespace {

qint64 nanoseconds(const struct timespec& t) {
  return static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

int unattendedDepth = 0;

// The key a path had before it was moved away: its folder is still there to be resolved.
QString keyOfGone(const QString& path) {
  const QFileInfo info(path);
  return documentKey(info.absolutePath()) + QLatin1Char('/') + info.fileName();
}

// What follows `root` in `path` when `path` is `root` or lies inside it ("" or "/x/y"), or
// nothing.
std::optional<QString> below(const QString& path, const QString& root) {
  if (path.isEmpty() || root.isEmpty()) return std::nullopt;
  if (path == root) return QString();
  if (path.startsWith(root) && path.at(root.size()) == QLatin1Char('/')) return path.mid(root.size());
  return std::nullopt;
}

}  // namespace

FileStamp FileStamp::of(const QString& path) {
  FileStamp stamp;
  struct stat st {};
  const QByteArray local = QFile::encodeName(path);
  if (path.isEmpty() || ::stat(local.constData(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.device = static_cast<quint64>(st.st_dev);
  stamp.inode = static_cast<quint64>(st.st_ino);
  stamp.size = static_cast<qint64>(st.st_size);
  stamp.modifiedNs = nanoseconds(st.st_mtim);
  stamp.changedNs = nanoseconds(st.st_ctim);
  if (S_ISDIR(st.st_mode)) {
    struct stat inner {};
    const QByteArray text = local + '/' + kRtfdTextName;
    if (::stat(text.constData(), &inner) == 0) {
      stamp.innerInode = static_cast<quint64>(inner.st_ino);
      stamp.innerSize = static_cast<qint64>(inner.st_size);
      stamp.innerModifiedNs = nanoseconds(inner.st_mtim);
    }
  }
  return stamp;
}

QString documentKey(const QString& path) {
  if (path.isEmpty()) return {};
  const QString end = resolveSymbolicLink(path).value_or(path);
  const QFileInfo info(end);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString keepBothPath(const QString& path) {
  const QFileInfo info(path);
  const QString name = info.fileName();
  const QString ext = fileExtension(name);
  const QString stem = ext.isEmpty() ? name : withoutExtension(name);
  const QString suffix = ext.isEmpty() ? QString() : QLatin1Char('.') + ext;
  for (int n = 2;; ++n) {
    // A name near the file system's limit is shortened so that the number still fits.
    const QString candidate =
        info.absolutePath() + QLatin1Char('/') + fitFileName(stem, QStringLiteral(" (%1)").arg(n) + suffix);
    const QFileInfo there(candidate);
    if (!there.exists() && !there.isSymLink()) return candidate;
  }
}

UnattendedSaves::UnattendedSaves() { ++unattendedDepth; }
UnattendedSaves::~UnattendedSaves() { --unattendedDepth; }
bool UnattendedSaves::active() { return unattendedDepth > 0; }

// ---------------------------------------------------------------- slots

DocumentSlot::DocumentSlot(Hooks hooks) : hooks_(std::move(hooks)) {
  OpenDocuments::instance().slots_.push_back(this);
}

DocumentSlot::~DocumentSlot() {
  auto& all = OpenDocuments::instance().slots_;
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void DocumentSlot::shown(const QString& path) {
  path_ = path;
  key_ = documentKey(path);
  stamp_ = key_.isEmpty() ? FileStamp() : FileStamp::of(key_);
  changedElsewhere_ = false;
}

void DocumentSlot::wrote(const QString& path) {
  shown(path);
  OpenDocuments::instance().written(this, key_);
}

bool DocumentSlot::shows(const QString& path) const { return !key_.isEmpty() && key_ == documentKey(path); }

bool DocumentSlot::changedOnDisk() const {
  if (key_.isEmpty()) return false;
  const FileStamp now = FileStamp::of(key_);
  // A file that went away is written again where it was: nothing there is lost.
  return now.exists && !(now == stamp_);
}

// ---------------------------------------------------------------- the registry

OpenDocuments& OpenDocuments::instance() {
  static OpenDocuments registry;
  return registry;
}

std::vector<DocumentSlot*> OpenDocuments::showing(const QString& path) const {
  const QString key = documentKey(path);
  std::vector<DocumentSlot*> found;
  if (key.isEmpty()) return found;
  for (DocumentSlot* slot : slots_)
    if (slot->key_ == key) found.push_back(slot);
  return found;
}

void OpenDocuments::written(const DocumentSlot* saver, const QString& key) {
  if (key.isEmpty()) return;
  // A reload may make or end slots: work on a copy and check each is still there.
  const std::vector<DocumentSlot*> others = slots_;
  for (DocumentSlot* slot : others) {
    if (slot == saver || std::find(slots_.begin(), slots_.end(), slot) == slots_.end()) continue;
    if (slot->key_ != key) continue;
    const bool edited = slot->hooks_.edited && slot->hooks_.edited();
    if (edited) {
      // Its stamp stays the old one: its own save will find the file changed and ask.
      slot->changedElsewhere_ = true;
      if (slot->hooks_.changedElsewhere) slot->hooks_.changedElsewhere();
    } else if (slot->hooks_.reload) {
      const QString path = slot->path_;
      slot->hooks_.reload();
      if (slot->path_ == path) slot->shown(path);  // what it now shows is the new file
    }
  }
}

void OpenDocuments::moved(const QString& oldPath, const QString& newPath) {
  if (oldPath.isEmpty() || newPath.isEmpty()) return;
  const QString oldAbsolute = QDir::cleanPath(QFileInfo(oldPath).absoluteFilePath());
  const QString newAbsolute = QDir::cleanPath(QFileInfo(newPath).absoluteFilePath());
  const QString oldKey = keyOfGone(oldPath);
  const std::vector<DocumentSlot*> all = slots_;
  for (DocumentSlot* slot : all) {
    if (slot->path_.isEmpty() || std::find(slots_.begin(), slots_.end(), slot) == slots_.end()) continue;
    // Known by the path it was shown under, else by its key (the same file by another way).
    std::optional<QString> rest = below(QDir::cleanPath(QFileInfo(slot->path_).absoluteFilePath()), oldAbsolute);
    if (!rest) rest = below(slot->key_, oldKey);
    if (!rest) continue;
    const QString path = newAbsolute + *rest;
    // A move changes nothing in the file but its change time: a view that read it before keeps
    // it as read, while a change another program made before the move still counts.
    const FileStamp before = slot->stamp_;
    const bool elsewhere = slot->changedElsewhere_;
    slot->path_ = path;
    slot->key_ = documentKey(path);
    FileStamp now = FileStamp::of(slot->key_);
    FileStamp same = before;
    same.changedNs = now.changedNs;
    slot->stamp_ = same == now ? now : before;
    slot->changedElsewhere_ = elsewhere;
    if (slot->hooks_.moved)
      slot->hooks_.moved(path);
    else if (slot->hooks_.follow)
      slot->hooks_.follow(path);
  }
}

void OpenDocuments::trashed(const QString& path) {
  if (path.isEmpty()) return;
  const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  const QString key = keyOfGone(path);
  const std::vector<DocumentSlot*> all = slots_;
  for (DocumentSlot* slot : all) {
    if (slot->path_.isEmpty() || std::find(slots_.begin(), slots_.end(), slot) == slots_.end()) continue;
    if (!slot->hooks_.trashed) continue;
    if (!below(QDir::cleanPath(QFileInfo(slot->path_).absoluteFilePath()), absolute) && !below(slot->key_, key))
      continue;
    slot->clear();
    slot->hooks_.trashed();
  }
}

}  // namespace pravella
