#include "net/ftp/ftp_runner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "net/ftp/ftp_partial_gets.h"
#include "net/ftp/ftp_wget_check.h"
#include "platform/child_processes.h"
#include "platform/paths.h"

namespace pravella::ftp {

namespace {
const QString kSiteError = QStringLiteral("FTP Site Error !\n");
const QString kTempError = QStringLiteral("Can not Create Temp.Dir. !\n");
constexpr qsizetype kLongestScriptLine = 4096;  // bytes; tnftp takes some more
}  // namespace

QString workRoot() { return paths::diary() + QStringLiteral("/ftp"); }

QString heldRecords() { return heldRecordsFolder(QStringLiteral("ftp")); }

int removeLeftovers() {
  return sweepLeftovers(heldRecords(),
                        {QStringLiteral("op-"), QStringLiteral(".ftp-dir-"), QStringLiteral(".ftp-get-")});
}

WorkFolder::WorkFolder(const QString& root) : root_(root) {
  if (!QDir().mkpath(root)) return;
  QByteArray pattern = QFile::encodeName(root + QStringLiteral("/op-XXXXXX"));
  if (::mkdtemp(pattern.data()) == nullptr) return;  // mkdtemp makes it 0700
  const QString path = QFile::decodeName(pattern);
  // The folder holds the password's script: one a crash left is removed at the next start.
  held_ = std::make_unique<HeldPath>(heldRecords(), path);
  if (!held_->ok()) {
    QDir(path).removeRecursively();
    return;
  }
  path_ = path;
}

WorkFolder::~WorkFolder() {
  if (!path_.isEmpty()) QDir(path_).removeRecursively();
}

bool WorkFolder::writePrivate(const QString& name, const QByteArray& bytes) const {
  QFile f(file(name));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  return f.write(bytes) == bytes.size();
}

Run runScript(const WorkFolder& folder, const QString& script, const StopAsk& shouldStop) {
  Run run;
  const QByteArray bytes = script.toUtf8();
  // tnftp drops a line longer than its buffer and goes on with the next, so a long name would
  // go unsent while the run looked fine.
  for (const QByteArray& l : bytes.split('\n')) {
    if (l.size() > kLongestScriptLine) {
      run.output = QStringLiteral("ftp: a name or folder is too long for the ftp program\n");
      return run;
    }
  }
  folder.writePrivate(QStringLiteral("ftpScript.txt"), bytes);
  ChildRequest request;
  request.kind = ChildKind::Ftp;
  request.program = QStringLiteral("ftp");
  request.arguments = {QStringLiteral("-n"), QStringLiteral("-v")};
  request.workingFolder = folder.path();
  request.input = bytes;
  const ChildResult result = runChild(request, -1, shouldStop);
  const QByteArray printed = result.output + result.errorOutput;
  folder.writePrivate(QStringLiteral("ftpResult.txt"), printed);
  run.output = resultText(printed);
  run.started = result.started;
  run.stopped = result.stopped;
  // A program that would not start says why in the monitor like one that failed.
  if (!result.started) run.output = QStringLiteral("ftp: ") + result.error + QLatin1Char('\n');
  run.ok = result.started && !result.stopped && result.exitCode == 0 && !outputReportsFailure(run.output);
  return run;
}

Report refusal(const QString& message) {
  return {false, message, QStringLiteral("Basso"), message.trimmed()};
}

Report fieldsRefused(const QString& check) {
  Report r = refusal(check + kSiteError);
  r.status = check.trimmed();
  return r;
}

// A failed run: what tnftp printed, then one line of ours that says which operation failed
// and why; the same line goes to the status.
static Report failed(const QString& what, const Run& run, const QString& shown = {}) {
  QString reason = run.stopped ? QStringLiteral("stopped") : failureLine(run.output);
  if (reason.isEmpty()) reason = QStringLiteral("the ftp program did not finish it");
  const QString status = what + QStringLiteral(" failed: ") + reason;
  QString monitor = shown + run.output;
  if (!monitor.isEmpty() && !monitor.endsWith(QLatin1Char('\n'))) monitor += QLatin1Char('\n');
  return {false, monitor + status + QLatin1Char('\n'), QStringLiteral("Basso"), status};
}

static QVector<Entry> entriesOf(const Run& run) {
  if (!run.ok) return {};
  const QStringList lines = listingLines(run.output);
  if (lines.isEmpty()) return {};
  return parseListing(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

Listing listDirectory(const Connection& c, const QString& root, const StopAsk& shouldStop) {
  Listing listing;
  if (const QString check = checkFields(c); !check.isEmpty()) {
    listing.report = fieldsRefused(check);
    return listing;
  }
  WorkFolder folder(root);
  if (!folder.ok()) {
    listing.report = refusal(kTempError);
    return listing;
  }
  Run list = runScript(folder, listScript(c), shouldStop);
  QVector<Entry> entries = entriesOf(list);
  if (entries.isEmpty() && !list.stopped && list.started && !sessionFailed(list.output)) {
    list = runScript(folder, listScript(c, ListCommand::Ls), shouldStop);
    entries = entriesOf(list);
    listing.listedWithLs = true;
  }
  if (entries.isEmpty()) {
    listing.report = failed(QStringLiteral("Listing"), list);
    if (list.ok) {  // the server answered, but with no entry
      const QString status = QStringLiteral("Listing failed: no entries in ") + c.directory;
      listing.report.monitor = list.output + status + QLatin1Char('\n');
      listing.report.status = status;
    }
    return listing;
  }
  listing.entries = entries;
  listing.parsed = true;
  const Run names = runScript(folder, namesScript(c, !listing.listedWithLs), shouldStop);
  if (!names.ok) {
    listing.report = failed(QStringLiteral("Listing"), names);
    listing.report.sound.clear();  // the names run fails without a sound
    return listing;
  }
  listing.directory = currentDirectory(names.output);
  listing.report = {true, names.output, QStringLiteral("Tink"),
                    QStringLiteral("Listed %1: %2 entries")
                        .arg(listing.directory.value_or(c.directory))
                        .arg(withoutHidden(entries).size())};
  return listing;
}

// The local file's permissions for a fetched copy: those of the file it replaces, else the
// usual rw-r--r-- (the temporary file starts private).
static QFileDevice::Permissions fetchedPermissions(const QString& target) {
  const QFileInfo old(target);
  if (old.isFile()) return old.permissions();
  return QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
}

Report getFile(const Connection& c, const QString& name, const QString& root, const StopAsk& shouldStop) {
  if (const QString check = checkFields(c); !check.isEmpty()) return fieldsRefused(check);
  if (const QString why = nameRefusal(name); !why.isEmpty()) return refusal(why);
  WorkFolder folder(root);
  if (!folder.ok()) return refusal(kTempError);
  const QString localFolder = localFolderPath(c.localFolder);
  const QString target = QDir(localFolder).filePath(name);
  const RemoteFile remote = remoteFile(c, name);
  const QString what = QStringLiteral("Get of ") + name;
  const Report got{true, {}, QStringLiteral("Tink"), QStringLiteral("Got ") + name};

  // Only a partial copy this client's own get left is resumed in place.
  if (isOwnPartial(target, remote)) {
    const QString script = getScript(c, name, name, true);
    const Run run = runScript(folder, script, shouldStop);
    if (!run.ok) {
      recordPartial(target, remote);  // still partial, perhaps longer
      return failed(what, run, maskedScript(script, c));
    }
    forgetPartial(target);
    Report r = got;
    r.monitor = maskedScript(script, c) + run.output;
    return r;
  }

  // Anything else is fetched beside the local file and replaces it only once it is whole, so
  // that a failed get leaves the old file as it was and nothing is spliced into it.
  QTemporaryFile temp(QDir(localFolder).filePath(QStringLiteral(".ftp-get-XXXXXX")));
  temp.setAutoRemove(false);
  if (!temp.open()) return refusal(QStringLiteral("Can not create a file in the local folder !\n"));
  const QString tempPath = temp.fileName();
  temp.close();
  const HeldPath held(heldRecords(), tempPath);  // a crash's leftover goes at the next start
  QFile::setPermissions(tempPath, fetchedPermissions(target));
  const QString script = getScript(c, name, QFileInfo(tempPath).fileName(), false);
  const Run run = runScript(folder, script, shouldStop);
  if (!run.ok) {
    // Where no local file was, what came stays as a partial copy that the next get resumes.
    const QFileInfo there(target);
    if (QFileInfo(tempPath).size() > 0 && !there.exists() && !there.isSymLink() &&
        QFile::rename(tempPath, target)) {
      recordPartial(target, remote);
    } else {
      QFile::remove(tempPath);
    }
    return failed(what, run, maskedScript(script, c));
  }
  if (::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(target).constData()) != 0) {
    const QString why = QString::fromLocal8Bit(std::strerror(errno));
    QFile::remove(tempPath);
    const QString status = what + QStringLiteral(" failed: ") + why;
    return {false, maskedScript(script, c) + run.output + status + QLatin1Char('\n'), QStringLiteral("Basso"),
            status};
  }
  forgetPartial(target);
  Report r = got;
  r.monitor = maskedScript(script, c) + run.output;
  return r;
}

Report putFile(const Connection& c, const QString& localPath, const QString& root,
               const StopAsk& shouldStop) {
  if (const QString check = checkFields(c); !check.isEmpty()) return fieldsRefused(check);
  if (QFileInfo(localPath).isDir()) {
    return refusal(QStringLiteral("It is a directory (Can not upload)!\n"));
  }
  const QString name = QFileInfo(localPath).fileName();
  if (const QString why = nameRefusal(name); !why.isEmpty()) return refusal(why);
  if (hasControlCharacter(QFileInfo(localPath).absolutePath()))
    return refusal(
        QStringLiteral("The ftp program can not take a folder with a line break or control character !\n"));
  WorkFolder folder(root);
  if (!folder.ok()) return refusal(kTempError);
  const Run run = runScript(folder, putScript(c, localPath), shouldStop);
  if (!run.ok) return failed(QStringLiteral("Put of ") + name, run);
  return {true, run.output, QStringLiteral("Tink"), QStringLiteral("Put ") + name};
}

Report deleteFile(const Connection& c, const QString& name, const QString& root, const StopAsk& shouldStop) {
  if (!checkFields(c).isEmpty()) return {false, {}, {}, {}};
  if (const QString why = nameRefusal(name); !why.isEmpty()) return refusal(why);
  WorkFolder folder(root);
  if (!folder.ok()) return {false, {}, {}, {}};
  const QString script = deleteScript(c, name);
  const Run run = runScript(folder, script, shouldStop);
  if (!run.ok) return failed(QStringLiteral("Delete of ") + name, run, maskedScript(script, c));
  return {true, maskedScript(script, c) + run.output, QStringLiteral("Tink"),
          QStringLiteral("Deleted ") + name};
}

int cutDirs(const QString& directory) {
  return static_cast<int>(directory.split(QLatin1Char('/')).size()) - 1;
}

static QString encoded(const QString& part, const char* keep = "") {
  return QString::fromLatin1(QUrl::toPercentEncoding(part, QByteArray(keep)));
}

QString wgetAddress(const Connection& c, const QString& name) {
  return QStringLiteral("ftp://") + encoded(hostWord(c.host), ":[]") + QLatin1Char('/') +
         encoded(c.directory, "/") + QLatin1Char('/') + encoded(name);
}

QStringList wgetArguments(const Connection& c, const QString& name) {
  // "--": the address is never read as an option, whatever the fields hold.
  return {QStringLiteral("-r"),  QStringLiteral("-np"),
          QStringLiteral("-nH"), QStringLiteral("--cut-dir=%1").arg(cutDirs(c.directory)),
          QStringLiteral("--"),  wgetAddress(c, name)};
}

QByteArray wgetrc(const Connection& c) {
  // The listings stay for the check of what came (and are removed after it); no depth limit,
  // so that a deep folder comes whole rather than cut at wget's fifth level.
  return "ftp_user = " + c.user.toUtf8() + "\nftp_password = " + c.password.toUtf8() +
         "\nremove_listing = off\nreclevel = inf\n";
}

FolderDownload fetchDirectory(const Connection& c, const QString& name, const QString& root,
                              const StopAsk& shouldStop) {
  FolderDownload d;
  d.name = name;
  d.localFolder = localFolderPath(c.localFolder);
  if (const QString check = checkFields(c); !check.isEmpty()) {
    d.report = fieldsRefused(check);
    return d;
  }
  if (const QString why = nameRefusal(name); !why.isEmpty()) {
    d.report = refusal(why);
    return d;
  }
  WorkFolder folder(root);
  if (!folder.ok()) {
    d.report = refusal(kTempError);
    return d;
  }
  d.staged = std::make_shared<StagingFolder>(d.localFolder, heldRecords());
  if (!d.staged->ok()) {
    d.report = refusal(QStringLiteral("Can not create a folder in the local folder !\n"));
    return d;
  }
  folder.writePrivate(QStringLiteral("wgetrc"), wgetrc(c));
  ChildRequest request;
  request.kind = ChildKind::Wget;
  request.program = QFileInfo::exists(QStringLiteral("/usr/local/bin/wget"))
                        ? QStringLiteral("/usr/local/bin/wget")
                        : QStringLiteral("wget");
  request.arguments = wgetArguments(c, name);
  request.workingFolder = d.staged->path();
  // Its log is read for failures: in the C locale, whatever the user's language.
  request.environment = {QStringLiteral("WGETRC=") + folder.file(QStringLiteral("wgetrc")),
                         QStringLiteral("LC_ALL=C")};
  const ChildResult result = runChild(request, -1, shouldStop);
  const auto failure = [&](const QString& why) {
    // A part of a tree, its last file perhaps cut short, is no download to put among the
    // user's files.
    d.staged.reset();
    const QString status = QStringLiteral("Download of ") + name + QStringLiteral(" failed: ") + why +
                           QStringLiteral("; nothing was put in the local folder");
    d.report = {false, status + QLatin1Char('\n'), QStringLiteral("Basso"), status};
    return d;
  };
  if (result.started && !result.stopped && result.exitCode == 0) {
    const FetchCheck check = checkFetchedFolder(d.staged->path(), name,
                                                QString::fromLocal8Bit(result.output + result.errorOutput));
    if (!check.whole()) return failure(check.path + QStringLiteral(": ") + check.why);
  }
  if (result.stopped) return failure(QStringLiteral("stopped"));
  if (!result.started) return failure(QStringLiteral("wget did not start: ") + result.error);
  if (result.exitCode != 0) return failure(QStringLiteral("wget ended with status %1").arg(result.exitCode));
  d.plan = planMerge(d.staged->path(), d.localFolder);
  d.report = {true, {}, QStringLiteral("Purr"), QStringLiteral("Downloaded ") + name};
  return d;
}

static QString listed(const QStringList& paths, const QString& what) {
  QString text;
  for (const QString& p : paths) text += what + p + QLatin1Char('\n');
  return text;
}

Report placeDirectory(const FolderDownload& d, Placement how, const QStringList& agreed) {
  if (!d.report.ok || !d.staged) return d.report;
  const QString what = QStringLiteral("Download of ") + d.name;
  if (how == Placement::Discard) {
    const QString status = what + QStringLiteral(" cancelled: the local folder was left as it was");
    return {false, status + QLatin1Char('\n'), QStringLiteral("Basso"), status};
  }
  if (how == Placement::FreeName) {
    QString error;
    const QStringList names = placeUnderFreeNames(d.staged->path(), d.localFolder, &error);
    if (!error.isEmpty()) {
      const QString status = what + QStringLiteral(" failed: ") + error;
      return {false, listed(names, QStringLiteral("Put into ")) + status + QLatin1Char('\n'),
              QStringLiteral("Basso"), status};
    }
    const QString status = QStringLiteral("Downloaded ") + d.name + QStringLiteral(" into ") +
                           names.join(QStringLiteral(", ")) + QStringLiteral(" beside the local files");
    return {true, status + QLatin1Char('\n'), QStringLiteral("Purr"), status};
  }
  const MergeOutcome m = mergeInto(d.staged->path(), d.localFolder, agreed);
  QStringList counts;
  counts << QStringLiteral("%1 new").arg(m.added);
  if (!m.replaced.isEmpty()) counts << QStringLiteral("%1 replaced").arg(m.replaced.size());
  if (m.same) counts << QStringLiteral("%1 already there").arg(m.same);
  if (!m.kept.isEmpty()) counts << QStringLiteral("%1 local kept").arg(m.kept.size());
  QString monitor =
      listed(m.replaced, QStringLiteral("Replaced ")) + listed(m.kept, QStringLiteral("Kept the local "));
  if (!m.error.isEmpty()) {
    const QString status = what + QStringLiteral(" failed: ") + m.error;
    return {false, monitor + status + QLatin1Char('\n'), QStringLiteral("Basso"), status};
  }
  const QString status =
      QStringLiteral("Downloaded ") + d.name + QStringLiteral(": ") + counts.join(QStringLiteral(", "));
  return {true, monitor + status + QLatin1Char('\n'), QStringLiteral("Purr"), status};
}

Report downloadDirectory(const Connection& c, const QString& name, const QString& root,
                         const StopAsk& shouldStop) {
  const FolderDownload d = fetchDirectory(c, name, root, shouldStop);
  return placeDirectory(d, d.plan.clashes() ? Placement::FreeName : Placement::Merge);
}

}  // namespace pravella::ftp
