#include "net/web/web_sheet_requests.h"

#include <QString>

#include "platform/notification_center.h"

namespace {

bool request(const char* name, const QString& text) {
  pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
  const QString n = QString::fromLatin1(name);
  if (!center.hasObservers(n)) return false;
  center.post(n, text);
  return true;
}

}  // namespace

bool openWebSheet() { return request(pravella::kOpenWebViewSheet, {}); }

bool DoWebBrowser(const char* utf8) {
  return request(pravella::kOpenWebSheetAndConnectURL_Y, QString::fromUtf8(utf8));
}

bool DoWebBrowserWithWikiSearch(const char* utf8) {
  return request(pravella::kOpenWebSheetAndConnectURL_Wiki, QString::fromUtf8(utf8));
}
