#pragma once
// The remembered FTP connections: records of host text, user, scrambled password and remote
// directory, TAB-separated, kept as an array of strings in "hostList.dat".

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace pravella::ftp {

// XOR of the first 21 bytes with a fixed key; self-inverse.
QByteArray scrambleBytes(const QByteArray& bytes);
// The stored form: "hex:" + hex digits, so that no byte can break the record.
QString scramblePassword(const QString& password);
// Reads the stored form, and the older raw form (scrambled UTF-8 text) too.
QString unscramblePassword(const QString& stored);

struct Pick {
  QString user;
  QString password;
  QString directory;  // "~/" when the record has none
};

class HostList {
 public:
  explicit HostList(QString path);
  const QString& path() const { return path_; }

  // Reads the file; a missing or unreadable one gives an empty list.
  void reload();
  const QStringList& records() const { return records_; }
  QString hostText(int index) const;  // field 1

  // Adds the connection unless host and user are already known; writes the file on a change.
  bool remember(const QString& hostText, const QString& user, const QString& password, const QString& directory);
  std::optional<Pick> pick(int index) const;
  // Removes the first record of that host and user; writes the file on a change.
  bool remove(const QString& hostText, const QString& user);

 private:
  void save() const;
  QString path_;
  QStringList records_;
};

}  // namespace pravella::ftp
