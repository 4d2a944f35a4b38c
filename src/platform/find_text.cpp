#include "platform/find_text.h"

#include <mutex>

namespace pravella {

namespace {

std::mutex findTextMutex;
QString findText;

}  // namespace

void setProgramFindText(const QString& text) {
  std::lock_guard lock(findTextMutex);
  findText = text;
}

QString programFindText() {
  std::lock_guard lock(findTextMutex);
  return findText;
}

}  // namespace pravella
