#include "net/mail/address_list.h"

#include <QDir>

#include "platform/paths.h"
#include "platform/property_list.h"

namespace pravella::mail {

QString addressListPath() { return paths::preferences() + QStringLiteral("/mailAddressList.dat"); }

QStringList readAddressList() { return plist::readStringArray(addressListPath()).value_or(QStringList()); }

QStringList withAddress(QStringList list, const QString& text) {
  list.removeOne(text);
  list.append(text);
  return list;
}

WriteResult writeAddressList(const QStringList& list) {
  QDir().mkpath(paths::preferences());
  return plist::writeStringArray(addressListPath(), list);
}

}  // namespace pravella::mail
