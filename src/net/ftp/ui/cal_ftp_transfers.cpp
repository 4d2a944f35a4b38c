// The transfers of the FTP sheet: get and reget of the selected files, the whole-folder
// download, upload, delete and Stop. The GUI thread asks and checks; each transfer runs on a
// worker, whose reports come back to the GUI thread in order.

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include "net/ftp/ftp_partial_gets.h"
#include "net/ftp/ui/cal_ftp.h"
#include "net/ftp/ui/ftp_file_table.h"
#include "platform/child_processes.h"
#include "platform/ui/dialogs.h"
#include "tools/system/diary_backup.h"

namespace ftp = pravella::ftp;
namespace dialogs = pravella::dialogs;

namespace {

// A name as an alert shows it: quoted when blanks begin or end it, which would not show.
QString shownName(const QString& name) {
  if (name.trimmed().size() == name.size()) return name;
  return QLatin1Char('"') + name + QLatin1Char('"');
}

}  // namespace

void CalFTP::getFileAction() {
  const QList<int> rows = table_->selectedRowNumbers();
  if (rows.isEmpty()) return;
  QString line, name;
  if (rows.size() == 1 && entryAt(rows.first(), &line, &name) && line.startsWith(QLatin1Char('d')))
    return getDirectoryAction();
  const ftp::Connection c = connection();
  if (!replacingAgreed(rows, c)) return;
  makeLocalFolder();
  getFileAction_X(rows, c);
}

// A get replaces a local file of the same name (all but a partial copy an earlier get of ours
// left, which it resumes): the user agrees first, as the day list asks before replacing.
bool CalFTP::replacingAgreed(const QList<int>& rows, const ftp::Connection& c) {
  const QDir folder(ftp::localFolderPath(c.localFolder));
  QStringList taken;
  for (int row : rows) {
    QString line, name;
    if (!entryAt(row, &line, &name) || !line.startsWith(QLatin1Char('-')) || !ftp::isTransferableName(name))
      continue;
    const QString target = folder.filePath(name);
    const QFileInfo there(target);
    if ((there.exists() || there.isSymLink()) && !ftp::isOwnPartial(target, ftp::remoteFile(c, name)))
      taken << name;
  }
  if (taken.isEmpty()) return true;
  const bool one = taken.size() == 1;
  QStringList shown;
  for (const QString& name : taken) shown << shownName(name);
  const QString title = one ? tr("\u201c%1\u201d already exists in the local folder.").arg(taken.first())
                            : tr("%1 files already exist in the local folder.").arg(taken.size());
  const QString message = one ? tr("Do you want to replace it with the file from the server?")
                              : tr("Do you want to replace them with the files from the server?\n") +
                                    shown.join(QLatin1Char('\n'));
  const int answer =
      dialogs::alert(host_.dialogParent, title, message, tr("Cancel"), QString(), tr("Replace"));
  if (answer == dialogs::kDefault) sound(QStringLiteral("Basso"));
  return answer == dialogs::kOther;
}

void CalFTP::getFileAction_X(QList<int> rows, ftp::Connection c) {
  // The rows are read against the lists as they are now: a listing that lands while the worker
  // runs must not turn a selected row into another file.
  QStringList lines, names;
  {
    const std::lock_guard lock(theLock);
    lines = ftpList_;
    names = ftpNameList_;
  }
  startWorker([this, rows, c, lines, names, stop = stopAsk()] {
    if (const QString check = ftp::checkFields(c); !check.isEmpty()) {
      onGui([this, check] { report(ftp::fieldsRefused(check)); });
      ftpRunning_ = false;
      return;
    }
    ftpRunning_ = true;
    for (int row : rows) {
      if (row < 0 || row >= lines.size()) {
        onGui([this] { invalidRow(); });
        continue;
      }
      // Directories and links among several rows are passed over, as is all after Stop.
      if (!lines[row].startsWith(QLatin1Char('-')) || !ftpRunning_ || stop()) continue;
      const ftp::Report r = ftp::getFile(c, names[row], ftp::workRoot(), stop);
      onGui([this, r] {
        report(r);
        if (host_.showDiaryFiles) host_.showDiaryFiles();
        refreshLocalFiles();
      });
    }
    if (rows.size() >= 2) onGui([this] { sound(QStringLiteral("Purr")); });
    ftpRunning_ = false;
  });
}

void CalFTP::getDirectoryAction() {
  QString line, name;
  if (!entryAt(table_->selectedRow(), &line, &name)) return invalidRow();
  const int answer = dialogs::alert(host_.dialogParent, tr("Do you want to download the directory ?"),
                                    shownName(name), tr("Cancel"), QString(), tr("Download"));
  if (answer == dialogs::kDefault) return sound(QStringLiteral("Basso"));
  if (answer != dialogs::kOther) return;
  // The row selected now is the one downloaded.
  if (!entryAt(table_->selectedRow(), &line, &name)) return invalidRow();
  const ftp::Connection c = connection();
  if (const QString check = ftp::checkFields(c); !check.isEmpty()) return report(ftp::fieldsRefused(check));
  makeLocalFolder();
  sound(QStringLiteral("Ping"));
  // wget fetches into a staging folder; nothing local changes before the user has seen what
  // the download would replace.
  startWorker([this, c, name, stop = stopAsk()] {
    auto download =
        std::make_shared<ftp::FolderDownload>(ftp::fetchDirectory(c, name, ftp::workRoot(), stop));
    if (download->report.ok && download->plan.clashes())
      return onGui([this, download] { placeDownloadAfterAsking(download); });
    const ftp::Report r = ftp::placeDirectory(*download, ftp::Placement::Merge);
    onGui([this, r] { downloadPlaced(r); });
  });
}

void CalFTP::placeDownloadAfterAsking(std::shared_ptr<ftp::FolderDownload> download) {
  const ftp::MergePlan& plan = download->plan;
  QStringList freeNames;
  for (const QString& top :
       QDir(download->staged->path())
           .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
    freeNames << QStringLiteral("\u201c%1\u201d").arg(ftp::freeNameIn(download->localFolder, top));
  const auto shownList = [](const QStringList& paths) {
    constexpr int kShown = 20;
    QStringList lines;
    for (const QString& p : paths.mid(0, kShown)) lines << shownName(p);
    if (paths.size() > kShown) lines << tr("... and %1 more").arg(paths.size() - kShown);
    return lines.join(QLatin1Char('\n'));
  };
  const QString elsewhere = tr("put the download into %1").arg(freeNames.join(tr(", ")));
  QString title, message, replace;
  if (plan.blocking.isEmpty()) {
    const int n = int(plan.replaceable.size());
    title = n == 1 ? tr("The download would replace a local file.")
                   : tr("The download would replace %1 local files.").arg(n);
    message = shownList(plan.replaceable) +
              tr("\n\nReplace with the files from the server, or keep both and %1?").arg(elsewhere);
    replace = tr("Replace");
  } else {
    // Replacing a folder or a link would take what is in it along: never offered.
    title = tr("Local entries of another kind are in the download's way.");
    message = shownList(plan.blocking) + tr("\n\nKeep them and %1?").arg(elsewhere);
  }
  const int answer =
      dialogs::alert(host_.dialogParent, title, message, tr("Cancel"), tr("Keep Both"), replace);
  if (answer == dialogs::kOther && !replace.isEmpty())
    return placeDownload(download, ftp::Placement::Merge, plan.replaceable);
  if (answer == dialogs::kAlternate) return placeDownload(download, ftp::Placement::FreeName, {});
  placeDownload(download, ftp::Placement::Discard, {});
}

void CalFTP::placeDownload(std::shared_ptr<ftp::FolderDownload> download, ftp::Placement how,
                           const QStringList& agreed) {
  startWorker([this, download = std::move(download), how, agreed] {
    const ftp::Report r = ftp::placeDirectory(*download, how, agreed);
    onGui([this, r] { downloadPlaced(r); });
  });
}

void CalFTP::downloadPlaced(const ftp::Report& r) {
  if (r.ok && host_.showDiaryFiles) host_.showDiaryFiles();
  refreshLocalFiles();
  report(r);
}

void CalFTP::putFileAction() {
  if (!checkHostIdAndPasswd()) return sound(QStringLiteral("Basso"));
  sound(QStringLiteral("Tink"));
  const QString path = dialogs::chooseFile(host_.dialogParent, tr("Select Upload File"), localField_->text());
  if (path.isEmpty()) return report(ftp::refusal(QStringLiteral("Canceled !\n")));
  if (QFileInfo(path).isDir())
    return report(ftp::refusal(QStringLiteral("It is a directory (Can not upload)!\n")));
  const ftp::Connection c = connection();
  sound(QStringLiteral("Tink"));
  transferThenList(
      c, [c, path](const ftp::StopAsk& stop) { return ftp::putFile(c, path, ftp::workRoot(), stop); });
}

void CalFTP::deleteFileAction() {
  if (table_->selectedRowNumbers().size() >= 2)
    return report(ftp::refusal(QStringLiteral("Many files are selected !!!\n")));
  QString line, name;
  if (!entryAt(table_->selectedRow(), &line, &name)) return invalidRow();
  if (!line.startsWith(QLatin1Char('-')) && !line.startsWith(QLatin1Char('d')))
    return report(ftp::refusal(QStringLiteral("It is not a Normal File !\n")));
  const int answer = dialogs::alert(host_.dialogParent, tr("Do you want to delete the file ?"),
                                    shownName(name), tr("Cancel"), QString(), tr("Delete"));
  if (answer == dialogs::kDefault) return sound(QStringLiteral("Basso"));
  if (answer != dialogs::kOther) return;
  if (!entryAt(table_->selectedRow(), &line, &name)) return invalidRow();
  const ftp::Connection c = connection();
  if (!ftp::checkFields(c).isEmpty()) return;
  transferThenList(
      c, [c, name](const ftp::StopAsk& stop) { return ftp::deleteFile(c, name, ftp::workRoot(), stop); });
}

// An upload or a delete, then the listing that shows its outcome, both on one worker; after
// Stop no listing follows.
void CalFTP::transferThenList(const ftp::Connection& c,
                              std::function<ftp::Report(const ftp::StopAsk&)> transfer) {
  startWorker([this, c, transfer = std::move(transfer), stop = stopAsk()] {
    const ftp::Report r = transfer(stop);
    onGui([this, r] { report(r); });
    if (stop()) return;
    onGui([this] { sound(QStringLiteral("Tink")); });  // the listing starts
    const ftp::Listing listing = ftp::listDirectory(c, ftp::workRoot(), stop);
    // A failed transfer stays in the status line: the listing after it only shows the folder.
    const bool keepFailure = !r.ok && listing.report.ok && listing.parsed;
    onGui([this, listing, c, keepFailure] { applyListing(listing, c, keepFailure); });
  });
}

void CalFTP::disConnectAction() {
  ftpRunning_ = false;
  ++stopGeneration_;  // the running workers' children end, ftp and wget alike
  pravella::terminateChildren(pravella::ChildKind::Ftp);
  sound(QStringLiteral("Tink"));
}

void CalFTP::setDownloadFolderAction() {
  const QString chosen = dialogs::chooseFolder(host_.dialogParent, tr("Select Folder !"),
                                               pravella::backup::removableMediaFolder());
  if (chosen.isEmpty()) return sound(QStringLiteral("Basso"));
  localField_->setText(chosen);
  refreshLocalFiles();
  sound(QStringLiteral("Tink"));
}
