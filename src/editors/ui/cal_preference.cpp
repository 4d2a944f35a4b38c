#include "editors/ui/cal_preference.h"

#include <QCheckBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QVBoxLayout>

#include "diary/day_documents.h"
#include "diary/diary_globals.h"
#include "diary/startup_files.h"
#include "editors/ui/main_text_view.h"
#include "editors/ui/memo_height.h"
#include "lang/values.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/ui/dialogs.h"

namespace {

const QString kFinished = QStringLiteral("..... finished .....\n");

bool isModuleFile(const QString& name) {
  const QString ext = pravella::fileExtension(name);
  return ext == QLatin1String("rtf") || ext == QLatin1String("rtfd");
}

}  // namespace

CalPreference::CalPreference(const pravella::DeskToolHost& host, mainTextView* runner, QObject* parent)
    : QObject(parent), host_(host), runner_(runner) {
  setObjectName(QStringLiteral("CalPreference"));
  vk_modulePath_ = pravella::paths::modules();

  drawer_ = new QDockWidget(tr("Modules"), host_.mainWindow);
  drawer_->setObjectName(QStringLiteral("prefDrawer"));
  auto* view = new QWidget(drawer_);
  view->setObjectName(QStringLiteral("prefView"));
  auto* layout = new QVBoxLayout(view);
  listView_ = new QListWidget(view);
  listView_->setObjectName(QStringLiteral("listView"));
  layout->addWidget(listView_, 1);
  auto* nameRow = new QHBoxLayout;
  fileNameField_ = new QLineEdit(view);
  fileNameField_->setObjectName(QStringLiteral("fileNameField"));
  fileNameField_->setReadOnly(true);
  editSwitch_ = new QCheckBox(tr("Edit"), view);
  editSwitch_->setObjectName(QStringLiteral("editSwitch"));
  nameRow->addWidget(fileNameField_, 1);
  nameRow->addWidget(editSwitch_);
  layout->addLayout(nameRow);
  progView_ = new QTextEdit(view);
  progView_->setObjectName(QStringLiteral("progView"));
  progView_->setReadOnly(true);
  layout->addWidget(progView_, 2);
  auto* buttons = new QHBoxLayout;
  const auto button = [&](const QString& title, const char* name, std::function<void()> action) {
    auto* b = new QPushButton(title, view);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [action = std::move(action)] { action(); });
    buttons->addWidget(b);
  };
  button(tr("Reload"), "reLoadAction", [this] { reLoadAction(); });
  button(tr("Save"), "saveAction", [this] { saveAction(); });
  button(tr("Delete"), "deleteAction", [this] { deleteAction(); });
  button(tr("Run"), "executeAction", [this] { executeAction(); });
  button(tr("Run All"), "executeAllAction", [this] { executeAllAction(); });
  button(tr("Close"), "closeAction", [this] { openPrefAction(); });
  layout->addLayout(buttons);
  resultView_ = new QTextEdit(view);
  resultView_->setObjectName(QStringLiteral("resultView"));
  resultView_->setReadOnly(true);
  layout->addWidget(resultView_, 1);
  drawer_->setWidget(view);
  if (host_.addSideView) host_.addSideView(drawer_);
  drawer_->hide();

  connect(listView_, &QListWidget::currentRowChanged, this, [this](int) {
    if (!loading_) selectModuleAction();
  });
  connect(editSwitch_, &QCheckBox::toggled, this, [this](bool) { editAction(); });
  connect(progView_, &QTextEdit::textChanged, this, [this] {
    if (!loading_) dirty_ = true;
  });
}

CalPreference::~CalPreference() { pravella::NotificationCenter::defaultCenter().removeObservers(this); }

void CalPreference::awakeFromNib() {
  pravella::NotificationCenter::defaultCenter().addObserver(
      QStringLiteral("cal_openPreferencePanel"), this, [this](pravella::Notification&) { openPrefAction(); });
}

void CalPreference::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

bool CalPreference::isOpen() const { return drawer_ && !drawer_->isHidden(); }

void CalPreference::openPrefAction() {
  if (SheetCanOpen.load() == 0) return;
  saveAction();
  const bool open = isOpen();
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  drawer_->hide();
  if (open) return;
  drawer_->show();
  drawer_->raise();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleStatus);
  reLoadAction();
}

void CalPreference::getModulFilesList() {
  moduleList_.clear();
  QDir folder(vk_modulePath_);
  if (folder.exists()) {
    for (const QString& name : folder.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
      if (isModuleFile(name)) moduleList_ << name;
  }
  loading_ = true;
  listView_->clear();
  for (const QString& name : moduleList_) listView_->addItem(pravella::withoutExtension(name));
  loading_ = false;
}

void CalPreference::reLoadAction() {
  getModulFilesList();
  sound("Tink");
  if (moduleList_.isEmpty()) return;
  loading_ = true;
  listView_->setCurrentRow(0);
  loading_ = false;
  selectModuleAction();
}

void CalPreference::selectModuleAction() {
  const int row = listView_->currentRow();
  if (row < 0 || row >= moduleList_.size()) return;
  const QString path = vk_modulePath_ + QLatin1Char('/') + moduleList_[row];
  // The module shown so far is saved first (which relists the folder).
  if (!saveAction()) return;
  selectRowOf(path);
}

void CalPreference::showModule(const QString& path) {
  loading_ = true;
  progView_->clear();
  pravella::readRichTextFile(path, *progView_->document());
  loading_ = false;
  nowDisplayedDocPath_ = path;
  dirty_ = false;
  {
    const QSignalBlocker block(editSwitch_);
    editSwitch_->setChecked(false);
  }
  editAction();
  progView_->moveCursor(QTextCursor::Start);
  fileNameField_->setText(pravella::withoutExtension(QFileInfo(path).fileName()));
  fileNameField_->setReadOnly(true);
  sound("Tink");
}

void CalPreference::editAction() {
  const bool on = editSwitch_->isChecked();
  QPalette palette = progView_->palette();
  palette.setColor(QPalette::Base, on ? QColor::fromRgbF(1.0f, 1.0f, 0.95f) : QColor(Qt::white));
  progView_->setPalette(palette);
  progView_->setReadOnly(!on);
  fileNameField_->setReadOnly(!on);
  saveAction();
  progView_->viewport()->update();
  sound("Tink");
}

bool CalPreference::saveAction() {
  if (!dirty_ || nowDisplayedDocPath_.isEmpty()) return true;
  const QString fileName = QFileInfo(nowDisplayedDocPath_).fileName();
  const QString base = pravella::withoutExtension(fileName);
  // A typed name stays inside the modules folder; no name keeps the old one.
  QString name = pravella::cleanDocumentName(fileNameField_->text());
  if (name.isEmpty()) name = base;
  const QString target = name != base || pravella::fileExtension(fileName) == QLatin1String("rtf")
                             ? vk_modulePath_ + QLatin1Char('/') + name + QStringLiteral(".rtfd")
                             : nowDisplayedDocPath_;
  // Another module already under the new name is the user's too: it is never written over, nor
  // given a twin of the other kind ("beta.vk.rtf" beside a new "beta.vk.rtfd"), which the list
  // could not tell apart.
  QStringList names{target};
  if (name != base)
    for (const char* kind : {".rtfd", ".rtf"})
      names << vk_modulePath_ + QLatin1Char('/') + name + QLatin1String(kind);
  QString taken;
  for (const QString& path : std::as_const(names)) {
    const QFileInfo info(path);
    if (path != nowDisplayedDocPath_ && (info.exists() || info.isSymLink())) {
      taken = info.fileName();
      break;
    }
  }
  if (!taken.isEmpty()) {
    const QString reason =
        tr("\u201c%1\u201d already exists in the modules folder. Choose another name.").arg(taken);
    showErrMessageToConsole((reason + QLatin1Char('\n')).toStdString());
    pravella::dialogs::alert(host_.mainWindow, tr("Can't save the module !"), reason);
    sound("Basso");
    return false;
  }
  const pravella::WriteResult written = pravella::writeRtfdFile(target, *progView_->document());
  if (!written) {
    showErrMessageToConsole((written.error + QLatin1Char('\n')).toStdString());
    pravella::dialogs::alert(host_.mainWindow, tr("Can't save the module !"), written.error);
    sound("Basso");
    return false;
  }
  // An rtf module now lives on as rtfd: the old file goes only after the new one is written.
  if (name == base && target != nowDisplayedDocPath_) QFile::remove(nowDisplayedDocPath_);
  nowDisplayedDocPath_ = target;
  dirty_ = false;
  adjustListNowDocument();
  return true;
}

void CalPreference::adjustListNowDocument() {
  getModulFilesList();
  selectRowOf(nowDisplayedDocPath_);
}

void CalPreference::selectRowOf(const QString& path) {
  const qsizetype row = moduleList_.indexOf(QFileInfo(path).fileName());
  if (row < 0) return;
  loading_ = true;
  listView_->setCurrentRow(static_cast<int>(row));
  listView_->scrollToItem(listView_->item(static_cast<int>(row)));
  loading_ = false;
  if (!dirty_) showModule(path);
}

void CalPreference::deleteAction() {
  if (nowDisplayedDocPath_.isEmpty()) return;
  const int answer = pravella::dialogs::alert(host_.mainWindow, tr("Do you want to delete the Module ?"),
                                              QFileInfo(nowDisplayedDocPath_).fileName(), tr("Cancel"),
                                              QString(), tr("Delete"));
  if (answer != pravella::dialogs::kOther) {
    sound("Basso");
    return;
  }
  const QFileInfo info(nowDisplayedDocPath_);
  const bool removed =
      info.isDir() ? QDir(nowDisplayedDocPath_).removeRecursively() : QFile::remove(nowDisplayedDocPath_);
  if (!removed) {
    showErrMessageToConsole(
        ("The module " + nowDisplayedDocPath_ + " could not be deleted.\n").toStdString());
    sound("Basso");
    return;
  }
  sound("Purr");
  nowDisplayedDocPath_.clear();
  dirty_ = false;
  loading_ = true;
  progView_->clear();
  loading_ = false;
  reLoadAction();
}

void CalPreference::appendResult(const QString& text) {
  QTextCursor end(resultView_->document());
  end.movePosition(QTextCursor::End);
  // A run's whole output at once: as much as the view can show, then why it stops.
  double lineHeight = 0;
  const qsizetype fits = pravella::textThatFits(end, text, &lineHeight);
  if (fits == text.size())
    end.insertText(text);
  else
    end.insertText(text.left(fits) + QStringLiteral("...<Error>...") + pravella::tooTallMessage(lineHeight) +
                   QLatin1Char('\n') + kFinished);
  resultView_->setTextCursor(end);
  resultView_->ensureCursorVisible();
}

void CalPreference::executeAction() {
  if (!saveAction()) return;
  const QString path = nowDisplayedDocPath_;
  bool readable = false;
  const QString text = path.isEmpty() ? QString() : pravella::plainTextOfRichTextFile(path, &readable);
  if (!readable || !runner_ || !pravella::moduleFilesToRun(vk_modulePath_).contains(path)) {
    appendResult(kFinished);
    return;
  }
  mainWindowRef.store(host_.mainWindow);
  runner_->runForOutput(text, [this](const QString& output, bool) { appendResult(output + kFinished); });
  sound("Bottle");
}

void CalPreference::executeAllAction() {
  if (!saveAction()) return;
  runNext(pravella::moduleFilesToRun(vk_modulePath_));
}

void CalPreference::runNext(QStringList modules) {
  while (!modules.isEmpty()) {
    const QString path = modules.takeFirst();
    bool readable = false;
    const QString text = pravella::plainTextOfRichTextFile(path, &readable);
    if (!readable || !runner_) continue;  // skipped silently
    // Shown while it runs.
    getModulFilesList();
    selectRowOf(path);
    mainWindowRef.store(host_.mainWindow);
    const QString name = QFileInfo(path).fileName();
    runner_->runForOutput(text, [this, name, modules](const QString& output, bool) {
      appendResult(name + QLatin1Char('\n') + output + kFinished);
      runNext(modules);
    });
    return;
  }
  reLoadAction();
}
