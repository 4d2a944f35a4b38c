#include "net/ftp/ui/cal_ftp.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QDockWidget>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextEdit>
#include <QVBoxLayout>

#include "diary/diary_globals.h"
#include "net/ftp/ui/ftp_file_table.h"
#include "platform/child_processes.h"
#include "platform/desktop_open.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/elided_label.h"

using pravella::Notification;
using pravella::NotificationCenter;
namespace ftp = pravella::ftp;

namespace {

QString hostListPath() { return pravella::paths::preferences() + QStringLiteral("/hostList.dat"); }

QString todaysDiaryFolder() {
  const QDate today = QDate::currentDate();
  return pravella::paths::dayFolder(today.year(), today.month(), today.day());
}

}  // namespace

CalFTP::CalFTP(Host host, QObject* parent)
    : QObject(parent), host_(std::move(host)), hostList_(hostListPath()) {
  buildDrawer();
}

CalFTP::~CalFTP() {
  NotificationCenter::defaultCenter().removeObservers(this);
  ftpRunning_ = false;
  ++stopGeneration_;
  pravella::terminateChildren(pravella::ChildKind::Ftp);
  for (std::thread& t : workers_) t.join();
  delete drawer_;
}

QDockWidget* CalFTP::ftpDrawer() const { return drawer_; }

void CalFTP::buildDrawer() {
  drawer_ = new QDockWidget(tr("FTP"));
  drawer_->setObjectName(QStringLiteral("ftpDrawer"));
  auto* body = new QWidget;
  body->setObjectName(QStringLiteral("ftpView"));
  auto* layout = new QVBoxLayout(body);
  const auto button = [this](const QString& title, void (CalFTP::*action)()) {
    auto* b = new QPushButton(title);
    connect(b, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
    return b;
  };

  hostField_ = new QComboBox;
  hostField_->setObjectName(QStringLiteral("hostNameField"));
  hostField_->setEditable(true);
  hostField_->setInsertPolicy(QComboBox::NoInsert);
  connect(hostField_, &QComboBox::activated, this, [this](int index) { changeHostAction(index); });
  idField_ = new QLineEdit;
  idField_->setObjectName(QStringLiteral("idField"));
  pwField_ = new QLineEdit;
  pwField_->setObjectName(QStringLiteral("pwField"));
  pwField_->setEchoMode(QLineEdit::Password);
  directoryField_ = new QLineEdit;
  directoryField_->setObjectName(QStringLiteral("directoryField"));
  connect(directoryField_, &QLineEdit::returnPressed, this, &CalFTP::listFTP);
  localField_ = new QLineEdit;
  localField_->setObjectName(QStringLiteral("downloadFolderField"));
  connect(localField_, &QLineEdit::editingFinished, this, &CalFTP::refreshLocalFiles);

  auto* form = new QFormLayout;
  auto* hostRow = new QHBoxLayout;
  hostRow->addWidget(hostField_, 1);
  hostRow->addWidget(button(tr("Delete Host"), &CalFTP::deleteHostAction));
  form->addRow(tr("Host"), hostRow);
  form->addRow(tr("User"), idField_);
  form->addRow(tr("Password"), pwField_);
  auto* remoteRow = new QHBoxLayout;
  remoteRow->addWidget(directoryField_, 1);
  remoteRow->addWidget(button(tr("Connect"), &CalFTP::connectAction));
  form->addRow(tr("Directory"), remoteRow);
  auto* localRow = new QHBoxLayout;
  localRow->addWidget(localField_, 1);
  localRow->addWidget(button(tr("Folder..."), &CalFTP::setDownloadFolderAction));
  form->addRow(tr("Local folder"), localRow);
  layout->addLayout(form);

  table_ = new ftpFileTable;
  localFiles_ = new QListWidget;
  localFiles_->setObjectName(QStringLiteral("localFilesView"));
  localFiles_->setSelectionMode(QAbstractItemView::NoSelection);
  monitor_ = new QTextEdit;
  monitor_->setObjectName(QStringLiteral("monitorField"));
  monitor_->setReadOnly(true);
  monitor_->setAcceptRichText(false);
  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(table_);
  split->addWidget(localFiles_);
  split->addWidget(monitor_);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  split->setStretchFactor(2, 2);
  layout->addWidget(split, 1);
  status_ = new pravella::ElidedLabel;
  status_->setObjectName(QStringLiteral("ftpStatusField"));
  status_->setTextFormat(Qt::PlainText);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(status_);

  auto* buttons = new QGridLayout;
  buttons->addWidget(button(tr("Get"), &CalFTP::getFileAction), 0, 0);
  buttons->addWidget(button(tr("Put..."), &CalFTP::putFileAction), 0, 1);
  buttons->addWidget(button(tr("Delete"), &CalFTP::deleteFileAction), 0, 2);
  buttons->addWidget(button(tr("Stop"), &CalFTP::disConnectAction), 1, 0);
  buttons->addWidget(button(tr("Terminal"), &CalFTP::openFTPAction), 1, 1);
  buttons->addWidget(button(tr("Close"), &CalFTP::closeFTPAction), 1, 2);
  layout->addLayout(buttons);

  drawer_->setWidget(body);
  drawer_->hide();
}

void CalFTP::awakeFromNib() {
  localField_->setText(todaysDiaryFolder());
  {
    const std::lock_guard lock(theLock);
    ftpList_.clear();
    ftpNameList_.clear();
  }
  reloadHostList();
  refreshLocalFiles();
  // What a download or get killed with an earlier run left (its staging folder, its partial
  // file, its script folder with the password) goes, off the GUI thread: a tree may be large.
  startWorker([this] {
    if (ftp::removeLeftovers() > 0) onGui([this] { refreshLocalFiles(); });
  });

  auto& center = NotificationCenter::defaultCenter();
  const auto on = [this, &center](const char* name, std::function<void(Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  const auto plain = [this](void (CalFTP::*action)()) {
    return [this, action](Notification&) { (this->*action)(); };
  };
  on("ftpChangeDirectory", plain(&CalFTP::ftpChangeDirectory));
  on("reloadHostList", plain(&CalFTP::reloadHostList));
  ftpRunning_ = false;
  // A program opens, closes and toggles the sheet itself; the terminal is the Terminal button's.
  on("cal_openFTPSheet", plain(&CalFTP::openFTPActionOpen));
  on("cal_closeFTPSheet", plain(&CalFTP::closeFTPAction));
  on("cal_toggleFTPSheet", plain(&CalFTP::toggleFTPSheet));
  on("cal_FTPConnect", plain(&CalFTP::connectAction));
  on("cal_setFTPHostURL", [this](Notification& n) { hostField_->setEditText(n.text); });
  on("cal_setFTPID", [this](Notification& n) { idField_->setText(n.text); });
  on("cal_setFTPPW", [this](Notification& n) { pwField_->setText(n.text); });
  on("cal_setFTPDir", [this](Notification& n) { directoryField_->setText(n.text); });
  if (host_.addSideView) host_.addSideView(drawer_);
}

void CalFTP::sound(const QString& name) const {
  if (!name.isEmpty() && host_.playSound) host_.playSound(name.toLatin1().constData());
}

void CalFTP::insertMonitor(const QString& text) {
  if (text.isEmpty()) return;
  // New output goes after all earlier output, wherever the user clicked or what they selected.
  QTextCursor end(monitor_->document());
  end.movePosition(QTextCursor::End);
  end.insertText(text);
  QScrollBar* bar = monitor_->verticalScrollBar();
  bar->setValue(bar->maximum());
}

void CalFTP::report(const ftp::Report& r) {
  insertMonitor(r.monitor);
  if (!r.status.isEmpty()) status_->setText(r.status);
  sound(r.sound);
}

void CalFTP::onGui(std::function<void()> fn) {
  QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void CalFTP::startWorker(std::function<void()> work) {
  workers_.emplace_back([this, work = std::move(work)] {
    work();
    const std::thread::id self = std::this_thread::get_id();
    onGui([this, self] {
      for (auto it = workers_.begin(); it != workers_.end(); ++it) {
        if (it->get_id() != self) continue;
        it->join();
        workers_.erase(it);
        break;
      }
      emit operationEnded();
    });
  });
}

ftp::StopAsk CalFTP::stopAsk() const {
  const int generation = stopGeneration_;
  return [this, generation] { return stopGeneration_ != generation; };
}

// --- The sheet -----------------------------------------------------------------------------

void CalFTP::toggleFTPSheet() {
  if (host_.selectCellSelectedDay) host_.selectCellSelectedDay();
  if (!SheetCanOpen) return;
  if (drawer_->isVisible()) return closeFTPAction();
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
  refreshLocalFiles();
}

void CalFTP::openFTPAction() {
  if (host_.selectCellSelectedDay) host_.selectCellSelectedDay();
  const QString folder = pravella::paths::vkData();
  QDir().mkpath(folder);
  // Detached: the terminal outlives the sheet and is no transfer of ours to stop.
  QString why;
  if (pravella::openTerminalAt(folder, &why)) return sound(QStringLiteral("Tink"));
  status_->setText(why);
  insertMonitor(why + QLatin1Char('\n'));
  sound(QStringLiteral("Basso"));
}

void CalFTP::openFTPActionOpen() {
  if (!drawer_->isVisible()) toggleFTPSheet();
}

void CalFTP::closeFTPAction() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->hide();
}

// --- Fields --------------------------------------------------------------------------------

ftp::Connection CalFTP::connection() const {
  return {hostField_->currentText(), idField_->text(), pwField_->text(), directoryField_->text(),
          localField_->text()};
}

bool CalFTP::checkHostIdAndPasswd() {
  const QString check = ftp::checkFields(connection());
  insertMonitor(check);
  return check.isEmpty();
}

QStringList CalFTP::ftpList() const {
  const std::lock_guard lock(theLock);
  return ftpList_;
}

QStringList CalFTP::ftpNameList() const {
  const std::lock_guard lock(theLock);
  return ftpNameList_;
}

bool CalFTP::entryAt(int row, QString* line, QString* name) const {
  const std::lock_guard lock(theLock);
  if (row < 0 || row >= ftpList_.size()) return false;
  *line = ftpList_[row];
  *name = ftpNameList_[row];
  return true;
}

// Said in the status line too: the line must not go on showing the last listing as if the
// click had been taken.
void CalFTP::invalidRow() { report(ftp::refusal(QStringLiteral("Invalid ROW !\n"))); }

void CalFTP::refreshLocalFiles() {
  localFiles_->clear();
  const QDir folder(localField_->text());
  if (localField_->text().isEmpty() || !folder.exists()) return;
  for (const QFileInfo& info :
       folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name | QDir::DirsFirst))
    localFiles_->addItem(info.isDir() ? info.fileName() + QLatin1Char('/') : info.fileName());
}

bool CalFTP::makeLocalFolder() {
  const QString folder = localField_->text();
  if (folder.isEmpty() || QFileInfo(folder).isDir()) return true;
  // Today's diary folder, the starting local folder, may not exist yet.
  if (!QDir().mkpath(folder)) return false;
  if (host_.showDiaryFiles) host_.showDiaryFiles();
  return true;
}

// --- Listing -------------------------------------------------------------------------------

void CalFTP::connectAction() { listFTP(); }

void CalFTP::listFTP() {
  sound(QStringLiteral("Tink"));
  const ftp::Connection c = connection();
  if (const QString check = ftp::checkFields(c); !check.isEmpty()) {
    return report(ftp::fieldsRefused(check));
  }
  status_->setText(tr("Listing %1 ...").arg(c.directory));
  startWorker([this, c, stop = stopAsk()] {
    const ftp::Listing listing = ftp::listDirectory(c, ftp::workRoot(), stop);
    onGui([this, listing, c] { applyListing(listing, c); });
  });
}

void CalFTP::clearListing() {
  {
    const std::lock_guard lock(theLock);
    ftpList_.clear();
    ftpNameList_.clear();
  }
  table_->showLines({});
}

void CalFTP::applyListing(const ftp::Listing& listing, const ftp::Connection& c, bool keepStatus) {
  // A failed listing empties the table: names left from another host or folder must not be
  // there to get or delete.
  if (!listing.report.ok || !listing.parsed) {
    clearListing();
    return report(listing.report);
  }
  insertMonitor(listing.report.monitor);
  if (!keepStatus) status_->setText(listing.report.status);
  const QVector<ftp::Entry> shown = ftp::withoutHidden(listing.entries);
  QStringList lines;
  {
    const std::lock_guard lock(theLock);
    ftpList_.clear();
    ftpNameList_.clear();
    for (const ftp::Entry& e : shown) {
      ftpList_ << e.line;
      ftpNameList_ << e.name;
    }
    lines = ftpList_;
  }
  if (listing.directory) directoryField_->setText(*listing.directory);
  table_->showLines(lines);
  ftp::Connection listed = c;
  listed.directory = directoryField_->text();
  checkHost(listed);
  sound(listing.report.sound);
}

void CalFTP::ftpChangeDirectory() {
  QString line, name;
  if (!entryAt(table_->selectedRow(), &line, &name)) return invalidRow();
  if (line.startsWith(QLatin1Char('-'))) {
    ftp::Report r = ftp::refusal(QStringLiteral("It is a Normal File !\n"));
    r.status = tr("It is a Normal File ! (%1)").arg(name);
    return report(r);
  }
  directoryField_->setText(ftp::joinRemote(directoryField_->text(), name));
  listFTP();
}

// --- Host list -----------------------------------------------------------------------------

void CalFTP::reloadHostList() {
  hostList_.reload();
  showHosts();
}

void CalFTP::showHosts() {
  const QString typed = hostField_->currentText();
  const QSignalBlocker quiet(hostField_);
  hostField_->clear();
  for (int i = 0; i < hostList_.records().size(); ++i) hostField_->addItem(hostList_.hostText(i));
  hostField_->setEditText(typed);
}

void CalFTP::checkHost(const ftp::Connection& c) {
  if (hostList_.remember(c.host, c.user, c.password, c.directory)) showHosts();
}

void CalFTP::changeHostAction(int index) {
  if (const std::optional<ftp::Pick> pick = hostList_.pick(index)) {
    hostField_->setEditText(hostList_.hostText(index));
    idField_->setText(pick->user);
    pwField_->setText(pick->password);
    directoryField_->setText(pick->directory);
  }
  sound(QStringLiteral("Tink"));
}

void CalFTP::deleteHostAction() {
  const QString hostText = hostField_->currentText();
  const int answer = pravella::dialogs::alert(host_.dialogParent, tr("Do you want to delete the file ?"),
                                              hostText, tr("Cancel"), QString(), tr("Delete"));
  if (answer == pravella::dialogs::kDefault) return sound(QStringLiteral("Basso"));
  if (answer != pravella::dialogs::kOther) return;
  if (!hostList_.remove(hostText, idField_->text())) return;
  hostField_->setEditText(QString());
  idField_->clear();
  pwField_->clear();
  directoryField_->setText(QStringLiteral("~/"));
  sound(QStringLiteral("Purr"));
  showHosts();
}
