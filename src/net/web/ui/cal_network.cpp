#include "net/web/ui/cal_network.h"

#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include <memory>
#include <utility>

#include "diary/diary_globals.h"
#include "diary/program_settings.h"
#include "diary/word_separation.h"
#include "editors/web_launch.h"
#include "imaging/picture_windows.h"
#include "net/web/table_downloads.h"
#include "net/web/ui/console_window.h"
#include "platform/child_processes.h"
#include "platform/console_log.h"
#include "platform/held_paths.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/ui/elided_label.h"
#include "platform/ui/selected_text.h"

using pravella::ChildKind;
using pravella::Notification;
using pravella::NotificationCenter;
namespace web = pravella::web;

namespace {


QLineEdit* lineEdit(const QString& placeholder) {
  auto* e = new QLineEdit;
  e->setPlaceholderText(placeholder);
  return e;
}

// A browser chosen as a desktop entry starts through the desktop's launcher; an executable by
// its name on PATH.
void startBrowserApplication(const QString& name) {
  if (name.endsWith(QLatin1String(".desktop")))
    QProcess::startDetached(QStringLiteral("gtk-launch"), {name});
  else
    QProcess::startDetached(name.isEmpty() ? QStringLiteral("x-www-browser") : name, {});
}

// The download table's rows and the curl list's lines that always show.
constexpr int kTableRowsShown = 5;
constexpr int kCurlLinesShown = 4;

}  // namespace

CalNetwork::CalNetwork(Host host, QObject* parent) : QObject(parent), host_(std::move(host)) {
  askDelete = [this](const QString& name) {
    QMessageBox box(host_.dialogParent);
    box.setWindowTitle(name);
    box.setText(name);
    box.setInformativeText(tr("Do you want to delete?"));
    QPushButton* none = box.addButton(QStringLiteral("???"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    QPushButton* del = box.addButton(tr("Delete"), QMessageBox::DestructiveRole);
    box.setDefaultButton(none);
    box.exec();
    if (box.clickedButton() == del) return 2;
    return box.clickedButton() == cancel ? 1 : 0;
  };
  chooseBrowser = [this] {
    return QFileDialog::getOpenFileName(host_.dialogParent, tr("Select Web Browser"), pravella::paths::home());
  };
  buildDrawer();
}

CalNetwork::~CalNetwork() {
  NotificationCenter::defaultCenter().removeObservers(this);
  delete drawer_;
}

void CalNetwork::buildDrawer() {
  drawer_ = new QDockWidget(tr("Internet"));
  drawer_->setObjectName(QStringLiteral("internetSheet"));
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);
  const auto button = [this](const QString& title, void (CalNetwork::*action)()) {
    auto* b = new QPushButton(title);
    connect(b, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
    return b;
  };

  openURL_ = lineEdit(tr("Address or words"));
  connect(openURL_, &QLineEdit::returnPressed, this, &CalNetwork::openURLAction);
  auto* browserRow = new QHBoxLayout;
  browserRow->addWidget(openURL_, 1);
  browserRow->addWidget(button(tr("Open"), &CalNetwork::openURLAction));
  browserRow->addWidget(button(tr("Browser..."), &CalNetwork::selectWebBrowserAction));
  layout->addLayout(browserRow);
  // Why an address was not opened; shown only then.
  status_ = new pravella::ElidedLabel;
  status_->setObjectName(QStringLiteral("internetStatusField"));
  status_->hide();
  layout->addWidget(status_);

  table_ = new QTableWidget(0, 3);
  table_->setHorizontalHeaderLabels({tr("Name"), tr("Period"), tr("URL")});
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(table_, &QTableWidget::cellClicked, this, [this] { setRowFieldAction(); });
  // Room for several rows, however much the tools below take.
  table_->setMinimumHeight(table_->horizontalHeader()->sizeHint().height() +
                           kTableRowsShown * table_->verticalHeader()->defaultSectionSize() +
                           2 * table_->frameWidth());
  layout->addWidget(table_, 1);
  name_ = lineEdit(tr("Name"));
  period_ = lineEdit(tr("Period"));
  url_ = lineEdit(tr("URL"));
  auto* rowEditor = new QGridLayout;
  rowEditor->addWidget(name_, 0, 0);
  rowEditor->addWidget(period_, 0, 1);
  rowEditor->addWidget(url_, 1, 0, 1, 2);
  layout->addLayout(rowEditor);
  auto* rowButtons = new QHBoxLayout;
  rowButtons->addWidget(button(tr("Add"), &CalNetwork::urlAddAction));
  rowButtons->addWidget(button(tr("Set"), &CalNetwork::urlSetAction));
  rowButtons->addWidget(button(tr("Delete"), &CalNetwork::urlDeleteAction));
  rowButtons->addWidget(button(tr("Clear"), &CalNetwork::clearFields));
  rowButtons->addWidget(button(tr("Download"), &CalNetwork::downloadNowAction));
  rowButtons->addWidget(button(tr("Download All"), &CalNetwork::downloadAllAction));
  layout->addLayout(rowButtons);

  auto* wget = new QGroupBox(tr("wget"));
  auto* wgetForm = new QFormLayout(wget);
  wgetURL_ = lineEdit(QStringLiteral("URL"));
  wgetOption_ = lineEdit(tr("options, one blank apart"));
  wgetForm->addRow(tr("URL"), wgetURL_);
  wgetForm->addRow(tr("Options"), wgetOption_);
  wgetForm->addRow(button(tr("Run wget"), &CalNetwork::wgetAction));
  layout->addWidget(wget);

  auto* pictures = new QGroupBox(tr("Pictures"));
  auto* pictureForm = new QFormLayout(pictures);
  jpegURL_ = lineEdit(QStringLiteral("URL"));
  jpegFolder_ = lineEdit(tr("folder name"));
  pictureForm->addRow(tr("URL"), jpegURL_);
  pictureForm->addRow(tr("Folder"), jpegFolder_);
  pictureForm->addRow(button(tr("Get Pictures"), &CalNetwork::wgetJPEGAction));
  layout->addWidget(pictures);

  auto* curl = new QGroupBox(QStringLiteral("curl"));
  auto* curlForm = new QFormLayout(curl);
  curlText_ = new QTextEdit;
  curlText_->setAcceptRichText(false);
  curlText_->setPlaceholderText(tr("one URL a line"));
  curlText_->setMaximumHeight(kCurlLinesShown * curlText_->fontMetrics().lineSpacing() +
                              2 * curlText_->frameWidth() + 8);
  curlOption_ = lineEdit(tr("options, one blank apart"));
  curlFolder_ = lineEdit(tr("folder name"));
  curlForm->addRow(tr("URLs"), curlText_);
  curlForm->addRow(tr("Options"), curlOption_);
  curlForm->addRow(tr("Folder"), curlFolder_);
  curlForm->addRow(button(tr("Run curl"), &CalNetwork::cURLAction));
  layout->addWidget(curl);
  layout->addWidget(button(tr("Console"), &CalNetwork::openConsole));

  drawer_->setWidget(body);
  drawer_->hide();
}

void CalNetwork::awakeFromNib() {
  if (!QDir().mkpath(pravella::paths::documents()))
    showErrMessageToConsole("Can not Create Documents Folder folder(0)!\n");
  else if (!QDir().mkpath(pravella::paths::diary()))
    showErrMessageToConsole("Can not Create Diary Folder folder(0)!\n");
  else if (!QDir().mkpath(pravella::paths::preferences()))
    showErrMessageToConsole("Can not Create Documents folder(2)!\n");
  reloadCalNetWorkData();
  webBrowser_ = web::readWebBrowser();
  // Staging folders of table downloads that a killed run left go.
  pravella::sweepLeftovers(pravella::heldRecordsFolder(QStringLiteral("downloads")), {QStringLiteral(".download-")});

  auto& center = NotificationCenter::defaultCenter();
  const auto on = [this, &center](const char* name, std::function<void(Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  const auto text = [this](void (CalNetwork::*action)(const QString&)) {
    return [this, action](Notification& n) { (this->*action)(n.text); };
  };
  const auto plain = [this](void (CalNetwork::*action)()) {
    return [this, action](Notification&) { (this->*action)(); };
  };
  on("reloadCalNetWorkData", plain(&CalNetwork::reloadCalNetWorkData));
  on("internetSearchOnsearch", text(&CalNetwork::internetSearchOnsearch));
  on("cal_openURLSheet", plain(&CalNetwork::openURLSheetAction));
  on("cal_openInternetSheet", plain(&CalNetwork::openInternetSheet));
  on("cal_closeInternetSheet", plain(&CalNetwork::closeInternetSheet));
  on("cal_toggleInternetSheet", plain(&CalNetwork::toggleInternetSheet));
  on("cal_openURL", plain(&CalNetwork::openURLAction));
  on("cal_openURL_str", text(&CalNetwork::openURL_str));
  on("cal_wget", plain(&CalNetwork::wgetAction));
  on("cal_wgetJPEG", plain(&CalNetwork::wgetJPEGAction));
  on("cal_downloadAll", plain(&CalNetwork::downloadAllAction));
  on("cal_downloadNow", plain(&CalNetwork::downloadNowAction));
  on("cal_openConsole", plain(&CalNetwork::openConsole));
  on("cal_setURLString", [this](Notification& n) { openURL_->setText(n.text); });
  on("cal_setWgetURL", [this](Notification& n) { wgetURL_->setText(n.text); });
  on("cal_setWgetOption", [this](Notification& n) { wgetOption_->setText(n.text); });
  on("cal_setWgetJPEGURL", [this](Notification& n) { jpegURL_->setText(n.text); });
  on("cal_setWgetJPEGDirName", [this](Notification& n) { jpegFolder_->setText(n.text); });
  if (host_.addSideView) host_.addSideView(drawer_);
}

void CalNetwork::sound(const char* name) const {
  if (host_.playSound) host_.playSound(name);
}

void CalNetwork::reloadCalNetWorkData() {
  data_ = web::loadUrlTable();
  redisplay();
}

void CalNetwork::redisplay() {
  table_->clearSelection();
  table_->setRowCount(data_.rows());
  for (int r = 0; r < data_.rows(); ++r) {
    const QString cells[3] = {data_.names.at(r), data_.periods.at(r), data_.urls.at(r)};
    for (int c = 0; c < 3; ++c) table_->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
}

void CalNetwork::emptyFields() {
  name_->clear();
  period_->clear();
  url_->clear();
}

// Words for a web search go to the web browser sheet; while no sheet takes them, to the user's
// browser, so that a search is never dropped.
void CalNetwork::searchInWebSheet(const QString& words) {
  auto& center = NotificationCenter::defaultCenter();
  const QString sheet = QStringLiteral("openWebSheetAndConnectURL_X");
  if (center.hasObservers(sheet))
    center.post(sheet, words);
  else
    launchBrowserText(words);
}

void CalNetwork::internetSearchOnsearch(const QString& words) {
  if (!words.isEmpty()) searchInWebSheet(words);
}

void CalNetwork::openInternetSheet() {
  if (!SheetCanOpen || drawer_->isVisible()) return;
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  openURL_->clear();
  drawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
}

void CalNetwork::closeInternetSheet() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->hide();
}

void CalNetwork::toggleInternetSheet() {
  if (!SheetCanOpen) return;
  if (drawer_->isVisible()) return closeInternetSheet();
  openInternetSheet();
}

void CalNetwork::openURLSheetAction() {
  if (!SheetCanOpen) return;
  const QString selection = pravella::selectedPlainText(host_.documentView);
  if (selection.isEmpty()) return toggleInternetSheet();
  if (internetWordSearchStatus() == 1) {
    const QString words = pravella::makeWordSeparetedString(selection);
    if (!words.isEmpty()) searchInWebSheet(words);
    return;
  }
  openURL_->setText(selection);
  openURLAction();
}

bool CalNetwork::launchBrowserText(const QString& text) {
  const std::string bytes = web::shiftJisCharactersOnly(text).toStdString();
  if (const std::string why = pravella::webLaunchRefusal(bytes); !why.empty()) {
    const QString line = QString::fromStdString(why);
    status_->setText(line);
    status_->show();
    showErrMessageToConsole(why + "\n");
    sound("Basso");
    return false;
  }
  status_->clear();
  status_->hide();
  pravella::webLaunchURL(bytes);
  return true;
}

void CalNetwork::openURLAction() {
  const QString text = openURL_->text();
  if (text.isEmpty())
    startBrowserApplication(webBrowser_);
  else if (!launchBrowserText(text))
    return;
  sound("Tink");
}

void CalNetwork::openURL_str(const QString& text) {
  if (text.isEmpty()) return sound("Basso");
  if (launchBrowserText(text)) sound("Tink");
}

void CalendarNet::openURLonMemo(QTextEdit* toggleMemoView) {
  const QString selection = pravella::selectedPlainText(toggleMemoView);
  if (!selection.isEmpty()) pravella::webLaunchURL(web::shiftJisCharactersOnly(selection).toStdString());
}

void CalNetwork::selectWebBrowserAction() {
  const QString chosen = chooseBrowser ? chooseBrowser() : QString();
  if (chosen.isEmpty()) return;
  webBrowser_ = QFileInfo(chosen).fileName();
  web::writeWebBrowser(webBrowser_);
}

void CalNetwork::openConsole() { web::openConsole(host_.dialogParent); }

bool CalNetwork::makeFolder(const QString& folder) {
  if (QFileInfo(folder).isDir()) return true;
  if (!QDir().mkpath(folder)) return false;
  if (host_.showDiaryFiles) host_.showDiaryFiles();
  return true;
}

bool CalNetwork::run(int kind, const QString& program, const QStringList& arguments, const QString& folder,
                     std::function<void(bool)> done) {
  pravella::ChildRequest request;
  request.kind = static_cast<ChildKind>(kind);
  request.program = program;
  request.arguments = arguments;
  request.workingFolder = folder;
  QString error;
  const bool started = pravella::startChild(
      request, this,
      [this, program, done](const pravella::ChildResult& result) {
        --running_;
        web::appendToConsole(QString::fromUtf8(result.errorOutput));
        web::appendToConsole(QString::fromUtf8(result.output));
        const bool ok = result.exitCode == 0;
        if (done) done(ok);
        emit childFinished(program, ok);
      },
      &error);
  if (!started) {
    web::appendToConsole(program + QLatin1String(": ") + error);
    return false;
  }
  ++running_;
  return true;
}

// Refuses an address that is no download address: it could only reach the program as an
// option or a guess.
static bool refusedAddress(const QString& url) {
  if (url.isEmpty()) return true;
  if (web::isDownloadAddress(url)) return false;
  web::appendToConsole(QStringLiteral("Not a download address (http, https, ftp or ftps): %1\n").arg(url));
  return true;
}

void CalNetwork::wgetAction() {
  const QString url = wgetURL_->text();
  if (refusedAddress(url)) return sound("Basso");
  const QString folder = web::todayFolder();
  // The day folder may not exist yet; wget cannot start in a missing folder.
  if (!makeFolder(folder)) return sound("Basso");
  if (!run(int(ChildKind::Wget), web::wgetProgram(),
           web::addressArguments(web::optionWords(wgetOption_->text()), url), folder))
    return sound("Basso");
  web::openConsole(host_.dialogParent);
  sound("Tink");
}

void CalNetwork::wgetJPEGAction() {
  const QString url = jpegURL_->text();
  const QString name = web::pictdFolderName(jpegFolder_->text());
  if (name.isEmpty() || refusedAddress(url)) return sound("Basso");
  const QString folder = web::todayFolder() + '/' + name;
  if (!makeFolder(folder)) return sound("Basso");
  sound("Ping");
  if (!run(int(ChildKind::Wget), web::wgetProgram(), web::pictureFormArguments(url), folder,
           [this](bool ok) { sound(ok ? "Tink" : "Basso"); }))
    sound("Basso");
}

void CalNetwork::cURLAction() {
  for (const QString& url : web::curlLines(curlText_->toPlainText())) {
    const QString name = web::pictdFolderName(curlFolder_->text());
    if (url.isEmpty() || name.isEmpty()) {
      sound("Basso");
      continue;
    }
    const QString folder = web::todayFolder() + '/' + name;
    if (!makeFolder(folder)) {
      sound("Basso");
      continue;
    }
    if (run(int(ChildKind::Curl), QString::fromLatin1(web::kCurlProgram),
            web::addressArguments(web::optionWords(curlOption_->text()), url), folder))
      sound("Ping");
    else
      sound("Basso");
  }
}

void CalNetwork::showStatus(const QString& line) {
  status_->setText(line);
  status_->setVisible(!line.isEmpty());
}

void CalNetwork::downloadInto(const QString& url, const QString& folder) {
  if (refusedAddress(url)) return sound("Basso");
  // wget writes into a staging folder; what it fetched is put in place only once whole, and
  // never over a file the user changed since it was downloaded.
  auto staged = std::make_shared<web::TableDownload>(folder, url);
  if (!staged->ok()) {
    showStatus(tr("The download of %1 failed: no staging folder could be made in %2").arg(url, folder));
    return sound("Basso");
  }
  const bool started =
      run(int(ChildKind::Wget), web::wgetProgram(), web::tableDownloadArguments(url), staged->staging(),
          [this, url, staged](bool ok) mutable {
            // The staging folder goes before anyone hears of the end.
            std::shared_ptr<web::TableDownload> download = std::exchange(staged, nullptr);
            if (!ok) {
              showStatus(tr("The download of %1 failed; nothing was changed").arg(url));
              return sound("Basso");
            }
            web::TableDownload::Outcome placed = download->place();
            showStatus(placed.status);
            if (!placed.ok) return sound("Basso");
            const QString file = placed.path;
            download.reset();
            showErrMessageToConsole((file + '\n').toStdString());
            sound("Tink");
            QImageReader reader(file);
            const QByteArray format = reader.format();
            if (file.isEmpty() || format.isEmpty()) return;
            QFile data(file);
            if (data.open(QIODevice::ReadOnly))
              pravella::picturewindows::openSubWindowWithImage(data.readAll(), QFileInfo(file).fileName());
          });
  if (!started) sound("Basso");
}

void CalNetwork::downloadNowAction() {
  const QString url = url_->text();
  if (refusedAddress(url)) return sound("Basso");
  const QString folder = web::downloadFolder();
  if (!makeFolder(folder)) return sound("Basso");
  sound("Ping");
  downloadInto(url, folder);
}

void CalNetwork::downloadAllAction() {
  const QString folder = web::downloadFolder();
  if (!makeFolder(folder)) return sound("Basso");
  sound("Ping");
  for (const QString& url : data_.urls)
    if (!url.isEmpty()) downloadInto(url, folder);
}

void CalNetwork::setRowFieldAction() {
  const int row = table_->currentRow();
  const bool selected = row >= 0 && row < data_.rows() && table_->selectionModel()->hasSelection();
  name_->setText(selected ? data_.names.at(row) : QString());
  period_->setText(selected ? data_.periods.at(row) : QString());
  url_->setText(selected ? data_.urls.at(row) : QString());
  sound("Tink");
}

void CalNetwork::clearFields() {
  emptyFields();
  sound("Tink");
  table_->clearSelection();
}

void CalNetwork::urlAddAction() {
  const QString name = name_->text(), period = period_->text(), url = url_->text();
  if ((name.isEmpty() && period.isEmpty() && url.isEmpty()) || data_.holds(name, period, url)) return sound("Basso");
  data_.names << name;
  data_.periods << period;
  data_.urls << url;
  redisplay();
  emptyFields();
  web::saveUrlTable(data_);
  sound("Tink");
}

void CalNetwork::urlSetAction() {
  const int row = table_->selectionModel()->hasSelection() ? table_->currentRow() : -1;
  const QString name = name_->text(), period = period_->text(), url = url_->text();
  if (row < 0 || row >= data_.rows() || (name.isEmpty() && period.isEmpty() && url.isEmpty()))
    return sound("Basso");
  data_.names[row] = name;
  data_.periods[row] = period;
  data_.urls[row] = url;
  redisplay();
  emptyFields();
  web::saveUrlTable(data_);
  sound("Tink");
}

void CalNetwork::urlDeleteAction() {
  const int row = table_->selectionModel()->hasSelection() ? table_->currentRow() : -1;
  if (row < 0 || row >= data_.rows()) return sound("Basso");
  const int answer = askDelete ? askDelete(data_.names.at(row)) : 0;
  if (answer == 1) return sound("Basso");
  if (answer != 2) return;
  data_.names.removeAt(row);
  data_.periods.removeAt(row);
  data_.urls.removeAt(row);
  redisplay();
  emptyFields();
  web::saveUrlTable(data_);
  sound("Bonk");
}
