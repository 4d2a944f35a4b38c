#include "diary/program_settings.h"

#include <QString>

#include <algorithm>
#include <mutex>

#include "diary/diary_globals.h"
#include "platform/atomic_file.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"

std::uint8_t prefBackupNeedStatua = 1;

namespace {

std::mutex settingsMutex;  // everything below: written by a run, read by the windows
std::string remembered;
unsigned char wordSearch = 0;
std::string recentReject;

// Table colours at start: text of even rows, text of odd rows, background of odd rows,
// background of even rows (the month table has the text of future days third).
TableColors12 fileColors = {0.5f, 0.1f, 0.2f, 0.0f, 0.1f, 0.5f, 1.0f, 1.0f, 1.0f, 0.93f, 0.93f, 0.93f};
TableColors15 monthColors = {0.5f, 0.1f, 0.2f, 0.0f, 0.1f,  0.5f,  1.0f, 0.0f,
                             0.0f, 1.0f, 1.0f, 1.0f, 0.93f, 0.93f, 0.93f};
TableColors12 indexColors = fileColors;
TableColors12 bookMarkColors = fileColors;
// A day before today, today, a day after today.
TableColors9 docColors = {0.95f, 1.0f, 0.98f, 1.0f, 1.0f, 1.0f, 1.0f, 0.95f, 0.95f};

template <std::size_t N>
void store(std::array<float, N>& target, const float* values, int count) {
  std::copy_n(values, std::min<std::size_t>(N, static_cast<std::size_t>(std::max(count, 0))), target.begin());
}

}  // namespace

bool setRememberString(std::string_view utf8) {
  {
    std::lock_guard lock(settingsMutex);
    remembered.assign(utf8);
  }
  const QString folder = vkPreferencesCPath.empty() ? pravella::paths::vkPreferences()
                                                    : QString::fromStdString(vkPreferencesCPath);
  const auto written =
      pravella::writeFileAtomically(folder + QStringLiteral("/rememberString.txt"),
                                    QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size())));
  if (!written) showErrMessageToConsole(written.error.toStdString());
  // The calendar's key and menu item use the new text at once.
  pravella::NotificationCenter::defaultCenter().post(
      QStringLiteral("rememberStringChanged"), QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
  return written.ok;
}

std::string rememberString() {
  std::lock_guard lock(settingsMutex);
  return remembered;
}

void setMaxRecentMemo(int count) { maxRecentMemo = count; }

void setRenentMemoRejectString(std::string_view utf8) {
  std::lock_guard lock(settingsMutex);
  recentReject.assign(utf8);
}

std::string recentMemoRejectString() {
  std::lock_guard lock(settingsMutex);
  return recentReject;
}

void setInternetWordSearchStatus(unsigned char on) {
  std::lock_guard lock(settingsMutex);
  wordSearch = on;
}

unsigned char internetWordSearchStatus() {
  std::lock_guard lock(settingsMutex);
  return wordSearch;
}

TableColors12 fileTableColor() {
  std::lock_guard lock(settingsMutex);
  return fileColors;
}
TableColors15 monthTableColor() {
  std::lock_guard lock(settingsMutex);
  return monthColors;
}
TableColors12 indexTableColor() {
  std::lock_guard lock(settingsMutex);
  return indexColors;
}
TableColors12 bookMarkTableColor() {
  std::lock_guard lock(settingsMutex);
  return bookMarkColors;
}
TableColors9 DocBGColor() {
  std::lock_guard lock(settingsMutex);
  return docColors;
}

void setTableColors(ColorTable table, const float* values, int count) {
  std::lock_guard lock(settingsMutex);
  switch (table) {
    case ColorTable::File:
      store(fileColors, values, count);
      break;
    case ColorTable::Month:
      store(monthColors, values, count);
      break;
    case ColorTable::Index:
      store(indexColors, values, count);
      break;
    case ColorTable::BookMark:
      store(bookMarkColors, values, count);
      break;
    case ColorTable::DocBG:
      store(docColors, values, count);
      break;
  }
}
