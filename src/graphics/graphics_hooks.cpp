#include "graphics/graphics_hooks.h"

#include <mutex>

#include "graphics/picture.h"
#include "platform/console_log.h"
#include "platform/paths.h"

namespace pravella::graphics {

namespace {

// Installed once at start-up, read by the running program; the mutex keeps a late install
// from tearing a call in progress.
std::mutex hooksMutex;
std::function<void(const std::string&)> errorReporter;
std::function<bool(const std::string&, std::vector<double>&)> variableReader;
std::function<std::string()> folderProvider;
std::function<std::size_t()> limitProvider;

}  // namespace

void reportError(const std::string& message) {
  std::function<void(const std::string&)> reporter;
  {
    std::lock_guard lock(hooksMutex);
    reporter = errorReporter;
  }
  if (reporter)
    reporter(message);
  else
    showErrMessageToConsole(message + "\n");
}

void setErrorReporter(std::function<void(const std::string&)> reporter) {
  std::lock_guard lock(hooksMutex);
  errorReporter = std::move(reporter);
}

bool readProgramVariable(const std::string& name, std::vector<double>& elements) {
  std::function<bool(const std::string&, std::vector<double>&)> reader;
  {
    std::lock_guard lock(hooksMutex);
    reader = variableReader;
  }
  return reader && reader(name, elements);
}

void setVariableReader(std::function<bool(const std::string&, std::vector<double>&)> reader) {
  std::lock_guard lock(hooksMutex);
  variableReader = std::move(reader);
}

std::size_t pictureByteLimit() {
  std::function<std::size_t()> provider;
  {
    std::lock_guard lock(hooksMutex);
    provider = limitProvider;
  }
  return provider ? provider() : kDefaultPictureByteLimit;
}

void setPictureByteLimitProvider(std::function<std::size_t()> provider) {
  std::lock_guard lock(hooksMutex);
  limitProvider = std::move(provider);
}

std::string workingFolder() {
  std::function<std::string()> provider;
  {
    std::lock_guard lock(hooksMutex);
    provider = folderProvider;
  }
  return provider ? provider() : paths::home().toStdString();
}

void setWorkingFolderProvider(std::function<std::string()> provider) {
  std::lock_guard lock(hooksMutex);
  folderProvider = std::move(provider);
}

std::string resolveProgramPath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::string folder = workingFolder();
  // Without a working folder there is no file: never one at the filesystem's root.
  if (folder.empty()) return {};
  if (folder.back() != '/') folder += '/';
  return folder + path;
}

}  // namespace pravella::graphics
