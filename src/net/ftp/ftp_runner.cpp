#include "net/ftp/ftp_runner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sys/stat.h>

#include <cstdlib>

#include "platform/child_processes.h"
#include "platform/paths.h"

namespace pravella::ftp {

namespace {
const QString kSiteError = QStringLiteral("FTP Site Error !\n");
const QString kTempError = QStringLiteral("Can not Create Temp.Dir. !\n");
const QString kNotNormal = QStringLiteral("It is not a Normal File !\n");
}  // namespace

QString workRoot() { return paths::diary() + QStringLiteral("/ftp"); }

WorkFolder::WorkFolder(const QString& root) {
  if (!QDir().mkpath(root)) return;
  QByteArray pattern = QFile::encodeName(root + QStringLiteral("/op-XXXXXX"));
  if (::mkdtemp(pattern.data()) == nullptr) return;  // mkdtemp makes it 0700
  path_ = QFile::decodeName(pattern);
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
  run.stopped = result.stopped;
  run.ok = result.started && !result.stopped && result.exitCode == 0 && !outputReportsFailure(run.output);
  return run;
}

static Report fieldsRefused(const QString& check) {
  return {false, check + kSiteError, QStringLiteral("Basso")};
}

Listing listDirectory(const Connection& c, const QString& root, const StopAsk& shouldStop) {
  Listing listing;
  if (const QString check = checkFields(c); !check.isEmpty()) {
    listing.report = fieldsRefused(check);
    return listing;
  }
  WorkFolder folder(root);
  if (!folder.ok()) {
    listing.report = {false, kTempError, QStringLiteral("Basso")};
    return listing;
  }
  const Run list = runScript(folder, listScript(c), shouldStop);
  const QStringList lines = listingLines(list.output);
  if (!list.ok || lines.isEmpty()) {
    listing.report = {false, {}, QStringLiteral("Basso")};
    return listing;
  }
  listing.entries = parseListing(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
  listing.parsed = true;
  const Run names = runScript(folder, namesScript(c), shouldStop);
  if (!names.ok) {
    listing.report = {false, {}, {}};
    return listing;
  }
  listing.directory = currentDirectory(names.output);
  listing.report = {true, names.output, QStringLiteral("Tink")};
  return listing;
}

Report getFile(const Connection& c, const QString& name, const QString& root, const StopAsk& shouldStop) {
  if (const QString check = checkFields(c); !check.isEmpty()) return fieldsRefused(check);
  if (!isTransferableName(name)) return {false, kNotNormal, QStringLiteral("Basso")};
  WorkFolder folder(root);
  if (!folder.ok()) return {false, kTempError, QStringLiteral("Basso")};
  const bool exists = QFileInfo::exists(QDir(c.localFolder).filePath(name));
  const QString script = getScript(c, name, exists);
  Report report{false, maskedScript(script, c), QStringLiteral("Basso")};
  const Run run = runScript(folder, script, shouldStop);
  if (run.ok) {
    report.ok = true;
    report.monitor += run.output;
    report.sound = QStringLiteral("Tink");
  }
  return report;
}

Report putFile(const Connection& c, const QString& localPath, const QString& root,
               const StopAsk& shouldStop) {
  if (const QString check = checkFields(c); !check.isEmpty()) return fieldsRefused(check);
  if (QFileInfo(localPath).isDir()) {
    return {false, QStringLiteral("It is a directory (Can not upload)!\n"), QStringLiteral("Basso")};
  }
  WorkFolder folder(root);
  if (!folder.ok()) return {false, kTempError, QStringLiteral("Basso")};
  const Run run = runScript(folder, putScript(c, localPath), shouldStop);
  if (!run.ok) return {false, {}, QStringLiteral("Basso")};
  return {true, run.output, QStringLiteral("Tink")};
}

Report deleteFile(const Connection& c, const QString& name, const QString& root, const StopAsk& shouldStop) {
  if (!checkFields(c).isEmpty()) return {false, {}, {}};
  if (!isTransferableName(name)) return {false, kNotNormal, QStringLiteral("Basso")};
  WorkFolder folder(root);
  if (!folder.ok()) return {false, {}, {}};
  const QString script = deleteScript(c, name);
  Report report{false, maskedScript(script, c), QStringLiteral("Basso")};
  const Run run = runScript(folder, script, shouldStop);
  if (run.ok) {
    report.ok = true;
    report.monitor += run.output;
    report.sound = QStringLiteral("Tink");
  }
  return report;
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
  return {QStringLiteral("-r"), QStringLiteral("-np"), QStringLiteral("-nH"),
          QStringLiteral("--cut-dir=%1").arg(cutDirs(c.directory)), wgetAddress(c, name)};
}

QByteArray wgetrc(const Connection& c) {
  return "ftp_user = " + c.user.toUtf8() + "\nftp_password = " + c.password.toUtf8() + "\n";
}

Report downloadDirectory(const Connection& c, const QString& name, const QString& root,
                         const StopAsk& shouldStop) {
  if (const QString check = checkFields(c); !check.isEmpty()) return fieldsRefused(check);
  if (!isTransferableName(name)) return {false, kNotNormal, QStringLiteral("Basso")};
  WorkFolder folder(root);
  if (!folder.ok()) return {false, kTempError, QStringLiteral("Basso")};
  folder.writePrivate(QStringLiteral("wgetrc"), wgetrc(c));
  ChildRequest request;
  request.kind = ChildKind::Wget;
  request.program = QFileInfo::exists(QStringLiteral("/usr/local/bin/wget"))
                        ? QStringLiteral("/usr/local/bin/wget")
                        : QStringLiteral("wget");
  request.arguments = wgetArguments(c, name);
  request.workingFolder = c.localFolder;
  request.environment = {QStringLiteral("WGETRC=") + folder.file(QStringLiteral("wgetrc"))};
  const ChildResult result = runChild(request, -1, shouldStop);
  if (result.started && !result.stopped && result.exitCode == 0) return {true, {}, QStringLiteral("Purr")};
  return {false, {}, QStringLiteral("Basso")};
}

}  // namespace pravella::ftp
