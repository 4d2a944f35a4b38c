#pragma once
// The addressees the mail sheet has sent to: Preferences/mailAddressList.dat, a property-list
// array of strings, oldest first. Changed only after a successful send.

#include <QString>
#include <QStringList>

#include "platform/atomic_file.h"

namespace pravella::mail {

QString addressListPath();
// The stored list; empty when the file is missing or is not an array of strings.
QStringList readAddressList();
// The list with `text` as its newest entry: its first earlier copy is removed.
QStringList withAddress(QStringList list, const QString& text);
WriteResult writeAddressList(const QStringList& list);

}  // namespace pravella::mail
