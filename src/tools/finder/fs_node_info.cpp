#include "tools/finder/fs_node_info.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/rich_text_file.h"

namespace pravella {

namespace {

QStringList listNames(const QString& folder) {
  // System takes broken links in; they are entries of the folder too.
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Name);
}

}  // namespace

std::shared_ptr<const FSNodeInfo> FSNodeInfo::nodeWithParent(std::shared_ptr<const FSNodeInfo> parent,
                                                             const QString& relativePath) {
  return std::make_shared<const FSNodeInfo>(std::move(parent), relativePath);
}

FSNodeInfo::FSNodeInfo(std::shared_ptr<const FSNodeInfo> parent, QString relativePath)
    : relativePath_(std::move(relativePath)), parentNode_(std::move(parent)) {}

QString FSNodeInfo::absolutePath() const {
  if (!parentNode_) return relativePath_;
  QString base = parentNode_->absolutePath();
  if (base == QLatin1String("/")) base.clear();
  return base + QLatin1Char('/') + relativePath_;
}

QString FSNodeInfo::lastPathComponent() const {
  QString path = relativePath_;
  while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
  if (path == QLatin1String("/")) return path;
  return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

std::vector<std::shared_ptr<const FSNodeInfo>> FSNodeInfo::subNodes() const {
  std::vector<std::shared_ptr<const FSNodeInfo>> nodes;
  auto self = std::make_shared<const FSNodeInfo>(*this);
  for (const QString& name : listNames(absolutePath())) nodes.push_back(nodeWithParent(self, name));
  return nodes;
}

std::vector<std::shared_ptr<const FSNodeInfo>> FSNodeInfo::visibleSubNodes() const {
  std::vector<std::shared_ptr<const FSNodeInfo>> nodes;
  if (isRtfdPackageName(relativePath_)) return nodes;
  for (auto& node : subNodes())
    if (node->isVisible()) nodes.push_back(std::move(node));
  return nodes;
}

bool FSNodeInfo::isVisible() const {
  const QString name = lastPathComponent();
  return !name.isEmpty() && !name.startsWith(QLatin1Char('.'));
}

bool FSNodeInfo::isDirectory() const { return isBrowsableFolder(absolutePath()); }

bool FSNodeInfo::isReadable() const {
  const QByteArray native = QFile::encodeName(absolutePath());
  return ::access(native.constData(), R_OK) == 0;
}

bool FSNodeInfo::isLink() const {
  struct stat st {};
  const QByteArray native = QFile::encodeName(absolutePath());
  return ::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

QString FSNodeInfo::fsType() const {
  return isDirectory() ? QStringLiteral("Directory") : QStringLiteral("Non-Directory");
}

bool isBrowsableFolder(const QString& path) {
  struct stat st {};
  const QByteArray native = QFile::encodeName(path);
  return ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) && !isRtfdPackageName(path);
}

std::vector<FSEntry> listVisibleEntries(const QString& folder) {
  std::vector<FSEntry> entries;
  if (isRtfdPackageName(folder)) return entries;
  const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
  const QStringList names = listNames(folder);
  entries.reserve(std::size_t(names.size()));
  for (const QString& name : names) {
    if (name.startsWith(QLatin1Char('.'))) continue;
    const QByteArray native = QFile::encodeName(base + name);
    FSEntry e;
    e.name = name;
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode)) e.isLink = true;
    // One stat for a plain entry; a link is followed for what it points to.
    const bool found = e.isLink ? ::stat(native.constData(), &st) == 0 : true;
    e.isDirectory = found && S_ISDIR(st.st_mode) && !name.endsWith(QLatin1String(".rtfd"));
    e.isReadable = ::access(native.constData(), R_OK) == 0;
    entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace pravella
