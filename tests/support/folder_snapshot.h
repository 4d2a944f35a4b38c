#pragma once
// A test of an action on files checks that nothing else changed: take a snapshot of the
// folder before the action, then ask what changed beyond the entries the test names.
//
//   const auto before = FolderSnapshot::of(day);
//   ... the action ...
//   EXPECT_TRUE(before.changedOnly({"plain.rtf", "renamed.rtf", "renamed.rtfd"}));
//
// Every entry under the folder is recorded, hidden ones too: its kind, its permissions, and
// for a file its size, modification time and contents (a file rewritten with the same bytes
// is still a change); a link is recorded as a link, never followed. A folder's own time is
// left out: what happens inside it shows in its entries. A named entry may be changed, made
// or removed, and so may everything inside it when it is a folder; a name may use * and ?
// within one path level ("Trash/files/plain*.tbld").

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace pravella::test {

class FolderSnapshot {
 public:
  struct Entry {
    QString kind;  // "file", "folder", "link" or "other"
    QString detail;
    bool operator==(const Entry&) const = default;
  };

  static FolderSnapshot of(const QString& root) {
    FolderSnapshot snap;
    snap.root_ = QDir(root).absolutePath();
    const QFileInfo top(snap.root_);
    if (!top.exists() && !top.isSymLink()) return snap;
    QDirIterator it(snap.root_, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      it.next();
      const QFileInfo info = it.fileInfo();
      snap.entries_.insert(QDir(snap.root_).relativeFilePath(info.absoluteFilePath()), entryOf(info));
    }
    return snap;
  }

  const QString& root() const { return root_; }
  const QMap<QString, Entry>& entries() const { return entries_; }

  // The entries made, removed or changed since the snapshot, outside the named ones, each as
  // "made x", "removed x" or "changed x (was ..., now ...)".
  QStringList changesSince(const QStringList& named = {}) const {
    const FolderSnapshot now = of(root_);
    QStringList changes;
    for (auto it = entries_.cbegin(); it != entries_.cend(); ++it) {
      if (isNamed(it.key(), named)) continue;
      const auto found = now.entries_.constFind(it.key());
      if (found == now.entries_.cend())
        changes << "removed " + it.key();
      else if (!(found.value() == it.value()))
        changes << "changed " + it.key() + " (was " + it.value().kind + " " + it.value().detail + ", now " +
                       found.value().kind + " " + found.value().detail + ")";
    }
    for (auto it = now.entries_.cbegin(); it != now.entries_.cend(); ++it)
      if (!entries_.contains(it.key()) && !isNamed(it.key(), named)) changes << "made " + it.key();
    return changes;
  }

  // For EXPECT_TRUE / ASSERT_TRUE: fails naming every entry changed beyond the named ones.
  testing::AssertionResult changedOnly(const QStringList& named = {}) const {
    const QStringList changes = changesSince(named);
    if (changes.isEmpty()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "in " << root_.toStdString() << ", beyond "
                                       << named.join(", ").toStdString() << ":\n  "
                                       << changes.join("\n  ").toStdString();
  }
  testing::AssertionResult unchanged() const { return changedOnly({}); }

 private:
  static Entry entryOf(const QFileInfo& info) {
    const QString mode = QString::number(int(info.permissions()), 16);
    if (info.isSymLink()) return {"link", info.symLinkTarget() + " " + mode};
    if (info.isDir()) return {"folder", mode};
    if (!info.isFile()) return {"other", mode};
    QString digest = "unreadable";
    QFile file(info.absoluteFilePath());
    if (file.open(QIODevice::ReadOnly)) {
      QCryptographicHash hash(QCryptographicHash::Sha1);
      hash.addData(&file);
      digest = QString::fromLatin1(hash.result().toHex());
    }
    return {"file", QString::number(info.size()) + " bytes, " + digest + ", mode " + mode + ", modified " +
                        QString::number(info.lastModified().toMSecsSinceEpoch())};
  }

  // A named entry covers itself and everything inside it.
  static bool isNamed(const QString& path, const QStringList& named) {
    for (const QString& name : named) {
      QString pattern = QDir::cleanPath(name);
      const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern));
      for (QString p = path; !p.isEmpty(); p = p.section('/', 0, -2)) {
        if (p == pattern || re.match(p).hasMatch()) return true;
        if (!p.contains('/')) break;
      }
    }
    return false;
  }

  QString root_;
  QMap<QString, Entry> entries_;
};

}  // namespace pravella::test
