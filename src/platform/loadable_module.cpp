#include "platform/loadable_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

namespace pravella {

namespace {

struct Loaded {
  void* entry = nullptr;
  QString why;
};

QString programFolder() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  path[n] = '\0';
  return QFileInfo(QFile::decodeName(path)).absolutePath();
}

QStringList folders() {
  QStringList list;
  if (const char* dir = std::getenv("PRAVELLA_MODULE_DIR"); dir && *dir) list << QFile::decodeName(dir);
  const QString program = programFolder();
  if (!program.isEmpty()) list << program << QDir::cleanPath(program + QStringLiteral("/../lib/pravella"));
#ifdef PRAVELLA_MODULE_DIR
  list << QStringLiteral(PRAVELLA_MODULE_DIR);
#endif
  list.removeDuplicates();
  return list;
}

Loaded load(const char* file, const char* entry) {
  QStringList tried;
  for (const QString& folder : folders()) {
    const QString path = QDir(folder).filePath(QString::fromUtf8(file));
    if (!QFileInfo::exists(path)) {
      tried << folder;
      continue;
    }
    // Bound now, so that a module built against other libraries fails here, once, with the
    // loader's reason, rather than at its first call.
    void* handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return {nullptr, QString::fromLocal8Bit(::dlerror())};
    void* symbol = ::dlsym(handle, entry);
    if (!symbol) return {nullptr, path + QStringLiteral(" has no ") + QString::fromLatin1(entry)};
    return {symbol, {}};
  }
  return {nullptr, QString::fromUtf8(file) + QStringLiteral(" is in none of ") + tried.join(QStringLiteral(", "))};
}

}  // namespace

void* loadableModuleEntry(const char* file, const char* entry, QString* why) {
  static std::mutex mutex;
  static std::map<std::string, Loaded> loaded;
  std::lock_guard lock(mutex);
  const std::string key = std::string(file) + '\n' + entry;
  auto it = loaded.find(key);
  if (it == loaded.end()) it = loaded.emplace(key, load(file, entry)).first;
  if (!it->second.entry && why) *why = it->second.why;
  return it->second.entry;
}

}  // namespace pravella
