#pragma once
// Running tnftp and wget for the FTP client. Each operation gets a private folder (0700) under
// Documents/diary/ftp for its script and result (0600), removed when it ends, so the password
// never lies in a shared file and no operation removes another's files. Children go through
// the child registry, so Stop ends only those this client started.

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

#include "net/ftp/ftp_folder_merge.h"
#include "net/ftp/ftp_listing.h"
#include "net/ftp/ftp_scripts.h"
#include "platform/held_paths.h"

namespace pravella::ftp {

using StopAsk = std::function<bool()>;

// Documents/diary/ftp under the home folder.
QString workRoot();

// Removes what operations of a process that was killed left: their private folders, the
// staging folders and partial files they had made in local folders. An operation running in
// another process keeps its own. The number of entries removed.
int removeLeftovers();

// A private folder for one operation, removed with everything in it on destruction.
class WorkFolder {
 public:
  explicit WorkFolder(const QString& root = workRoot());
  ~WorkFolder();
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  bool ok() const { return !path_.isEmpty(); }
  const QString& path() const { return path_; }
  const QString& root() const { return root_; }
  QString file(const QString& name) const { return path_ + QLatin1Char('/') + name; }
  // Writes a file readable by the user only.
  bool writePrivate(const QString& name, const QByteArray& bytes) const;

 private:
  QString root_;
  QString path_;
  std::unique_ptr<HeldPath> held_;
};

// Where the records of what the operations hold lie (the application's cache).
QString heldRecords();

struct Run {
  bool ok = false;
  bool started = false;
  bool stopped = false;
  QString output;  // what the program printed (both outputs)
};

// Runs "ftp -n -v" with the script on standard input, inside `folder`.
Run runScript(const WorkFolder& folder, const QString& script, const StopAsk& shouldStop = {});

// What an operation reports: the monitor's text, the sound to play ("" for none) and one line
// for the sheet's status ("" leaves it as it is).
struct Report {
  bool ok = false;
  QString monitor;
  QString sound;
  QString status;
};

// An operation refused before it ran: `message` (its line feed included) in the monitor, the
// same without the line feed in the status, and "Basso".
Report refusal(const QString& message);
// Connection fields refused by `checkFields`: its message and "FTP Site Error !\n", the
// check's message alone as the status.
Report fieldsRefused(const QString& check);

struct Listing {
  Report report;
  bool parsed = false;     // the listing run succeeded and `entries` holds its entries
  QVector<Entry> entries;  // hidden ones included
  std::optional<QString> directory;
  bool listedWithLs = false;  // "nlist -al" gave no entries and "ls -la" was asked
};

// Lists the remote directory: "nlist -al", and once more with "ls -la" when that gave no
// entries on a working session (servers that take no options to NLST refuse it).
Listing listDirectory(const Connection& c, const QString& root = workRoot(), const StopAsk& shouldStop = {});
// Fetches into a hidden ".ftp-get-" file beside the local file, which it replaces only once
// whole; only a partial copy an earlier get of this client left is resumed in place (see
// ftp_partial_gets.h). Where no local file was, a stopped or failed get leaves what came as
// that partial copy.
Report getFile(const Connection& c, const QString& name, const QString& root = workRoot(),
               const StopAsk& shouldStop = {});
Report putFile(const Connection& c, const QString& localPath, const QString& root = workRoot(),
               const StopAsk& shouldStop = {});
Report deleteFile(const Connection& c, const QString& name, const QString& root = workRoot(),
                  const StopAsk& shouldStop = {});

// The number for wget's --cut-dir: pieces of the directory split at "/", minus one.
int cutDirs(const QString& directory);
// "ftp://" host "/" directory "/" name, each part percent-encoded, without credentials.
QString wgetAddress(const Connection& c, const QString& name);
QStringList wgetArguments(const Connection& c, const QString& name);
// The wgetrc text that carries the credentials.
QByteArray wgetrc(const Connection& c);

// A remote directory that wget fetched into a staging folder inside the local folder, waiting
// to be put in place: wget itself never writes among the local files. It is ok only when
// every file of the listings came at its listed size and wget's log tells of no failure;
// otherwise what came is dropped and the report names the first entry that failed and why.
struct FolderDownload {
  Report report;  // a refusal or failure (what came is dropped), else ok
  QString name;   // the remote entry
  QString localFolder;
  std::shared_ptr<StagingFolder> staged;
  MergePlan plan;  // what putting it in place would do, as the local folder stood then
};
FolderDownload fetchDirectory(const Connection& c, const QString& name, const QString& root = workRoot(),
                              const StopAsk& shouldStop = {});

enum class Placement {
  Merge,     // the new entries, and the local files `agreed` to be replaced
  FreeName,  // the whole download beside what is there, under free names ("pub-2")
  Discard,   // nothing: the local folder stays as it was
};
Report placeDirectory(const FolderDownload& download, Placement how, const QStringList& agreed = {});

// Fetches and places without a question: merged when that replaces nothing, else under free
// names.
Report downloadDirectory(const Connection& c, const QString& name, const QString& root = workRoot(),
                         const StopAsk& shouldStop = {});

}  // namespace pravella::ftp
