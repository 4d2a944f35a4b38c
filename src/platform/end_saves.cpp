#include "platform/end_saves.h"

#include <mutex>

namespace pravella {

namespace {

std::mutex& savesMutex() {
  static std::mutex m;
  return m;
}

QStringList& left() {
  static QStringList names;
  return names;
}

bool& begun() {
  static bool flag = false;
  return flag;
}

QStringList& lost() {
  static QStringList documents;
  return documents;
}

}  // namespace

void beginEndSaves(const QStringList& names) {
  const std::lock_guard lock(savesMutex());
  left() = names;
  begun() = true;
}

void forgetEndSaves() {
  const std::lock_guard lock(savesMutex());
  left().clear();
  begun() = false;
}

bool endSavesBegun() {
  const std::lock_guard lock(savesMutex());
  return begun();
}

void endSaveDone(const QString& name) {
  const std::lock_guard lock(savesMutex());
  left().removeAll(name);
}

std::string endSavesLeft() {
  const std::lock_guard lock(savesMutex());
  return left().join(QStringLiteral(", ")).toStdString();
}

void noteLostEdit(const QString& document) {
  const std::lock_guard lock(savesMutex());
  if (!lost().contains(document)) lost() << document;
}

void noteEditKept(const QString& document) {
  const std::lock_guard lock(savesMutex());
  lost().removeAll(document);
}

bool editsWereLost() {
  const std::lock_guard lock(savesMutex());
  return !lost().isEmpty();
}

}  // namespace pravella
