#include "editors/web_launch.h"

#include <QByteArray>
#include <QString>

#include <array>

#include "platform/desktop_open.h"

namespace pravella {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Seven digits, or three digits, "-" and four digits.
bool isPostalCode(std::string_view text) {
  if (text.size() == 7) {
    for (const char c : text)
      if (!isDigit(c)) return false;
    return true;
  }
  if (text.size() == 8) {
    for (std::size_t i = 0; i < 8; ++i) {
      if (i == 3 ? text[i] != '-' : !isDigit(text[i])) return false;
    }
    return true;
  }
  return false;
}

bool holdsAddress(std::string_view text) {
  static constexpr std::array<std::string_view, 4> kSchemes = {"http://", "https://", "ftp://", "file://"};
  for (const std::string_view scheme : kSchemes)
    if (text.find(scheme) != std::string_view::npos) return true;
  return false;
}

// Unreserved characters stay; every other byte becomes "%XX".
std::string encodedQueryValue(std::string_view text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size())).toPercentEncoding().toStdString();
}

}  // namespace

int checkURLforwebLaunchURL(std::string_view text, std::string& address) {
  address.clear();
  if (text.empty() || text.size() > kWebLaunchTextLimit || text.front() == '-') return 0;
  if (holdsAddress(text)) {
    address = text;
    return 1;
  }
  if (isPostalCode(text)) {
    address = std::string(kPostalCodeMapHost) + "/search?query=" + encodedQueryValue(text);
    return 1;
  }
  address = std::string(kWebSearchHost) + "/search?q=" + encodedQueryValue(text);
  return 1;
}

std::string webLaunchRefusal(std::string_view text) {
  if (text.empty()) return "Nothing to open: the text is empty.";
  if (text.size() > kWebLaunchTextLimit)
    return "Not opened: the text is longer than " + std::to_string(kWebLaunchTextLimit) + " bytes.";
  if (text.front() == '-') return "Not opened: a text beginning with \"-\" would be taken for an option.";
  return {};
}

void webLaunchURL(std::string_view text) {
  std::string address;
  if (checkURLforwebLaunchURL(text, address) == 0) return;
  openWithDesktop(QString::fromStdString(address));
}

}  // namespace pravella
