// The finder sheet's history buttons, mark switch and file operations: the sheet hands its
// browser, preview and controls to FinderSheetOperations, which keeps the lists.

#include <QCheckBox>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/fs_browser.h"

void CalFinder::buildFileOperations() {
  pravella::FinderSheetAccess a;
  a.window = host_.mainWindow;
  a.browsedPath = [this] { return fsBrowser_->path(); };
  a.shownPath = [this] { return nowOpendFilePath_; };
  a.setBrowserPath = [this](const QString& path) { fsBrowser_->setPath(path); };
  a.reloadBrowser = [this] { reloadData(); };
  a.clearPreview = [this] { clearTextView(); };
  a.previewBrowsed = [this] { browserSingleClick(); };
  a.saveDocument = [this] { saveDocument(); };
  a.setFinderTextScrollView = [this] { setFinderTextScrollView(); };
  a.backButton = rirekiBeforeButton_;
  a.forwardButton = rirekiNextButton_;
  a.markSwitch = markSwitch_;
  a.progress = processIndicator_;
  operations_ = std::make_unique<pravella::FinderSheetOperations>(std::move(a));
  pravella::FinderSheetOperations* ops = operations_.get();

  connect(rirekiBeforeButton_, &QPushButton::clicked, this, [ops] { ops->rirekiBeforeAction(); });
  connect(rirekiNextButton_, &QPushButton::clicked, this, [ops] { ops->rirekiNextAction(); });
  // Clicked, not toggled: the sheet sets the switch itself for every item it shows.
  connect(markSwitch_, &QCheckBox::clicked, this, [ops] { ops->MarkSwitchAction(); });

  auto* row = new QHBoxLayout;
  const std::pair<QString, std::function<void()>> actions[] = {
      {tr("Delete"), [this] { deleteFileAction(); }},
      {tr("Duplicate"), [ops] { ops->dupulicateAction(); }},
      {tr("New Folder"), [ops] { ops->makeNewFolder(); }},
      {tr("Move Marked"), [ops] { ops->moveMarkedFiles(); }},
      {tr("Delete Marked"), [ops] { ops->deleteMarkedFiles(); }},
      {tr("Unmark All"), [ops] { ops->deleteMarkAction(); }},
  };
  for (const auto& [title, action] : actions) {
    auto* button = new QPushButton(title);
    button->setMinimumWidth(1);
    connect(button, &QPushButton::clicked, this, action);
    row->addWidget(button);
  }
  if (auto* column = qobject_cast<QVBoxLayout*>(finderDrawer_->widget()->layout())) column->addLayout(row);
}

void CalFinder::addRireki(const QString& path) {
  if (operations_) operations_->addRireki(path);
}

void CalFinder::adjustRireki() {
  if (operations_) operations_->adjustRireki();
}

bool CalFinder::checkMark(const QString& path) { return operations_ && operations_->checkMark(path); }

void CalFinder::deleteFileAction() {
  if (operations_) operations_->deleteFileAction();
}
