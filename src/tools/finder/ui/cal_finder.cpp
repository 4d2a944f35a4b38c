#include "tools/finder/ui/cal_finder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDockWidget>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "diary/diary_globals.h"
#include "editors/edit_journal.h"
#include "editors/open_documents.h"
#include "editors/ui/document_save.h"
#include "editors/ui/menu_script.h"
#include "editors/ui/trashed_document.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "tools/bookmarks/document_moves.h"
#include "tools/finder/finder_files.h"
#include "tools/finder/ui/finder_text_view.h"
#include "tools/finder/ui/fs_browser.h"
#include "tools/ui/media_movie_view.h"

using pravella::NotificationCenter;

CalFinder::CalFinder(pravella::DeskToolHost host, QObject* parent) : QObject(parent), host_(std::move(host)) {
  pravella::DocumentSlot::Hooks hooks;
  hooks.edited = [this] { return durtySwitch_ && durtySwitch_->isChecked(); };
  hooks.reload = [this] {
    showDocument(nowOpendFilePath_);
    setUnsaved(false);
  };
  hooks.changedElsewhere = [this] { pravella::markChangedElsewhere(finderTextView_, nowOpendFilePath_); };
  hooks.follow = [this](const QString& path) {
    nowOpendFilePath_ = path;
    fileNameField_->setText(fieldNameOf(path));
  };
  hooks.trashed = [this] { letGoOfTrashedDocument(); };
  textSlot_ = std::make_unique<pravella::DocumentSlot>(std::move(hooks));
}

CalFinder::~CalFinder() {
  NotificationCenter::defaultCenter().removeObservers(this);
  delete finderDrawer_;
}

void CalFinder::awakeFromNib() {
  scriptFileName_.fill(QString());
  buildDrawer();
  // The close button saves the shown document as every other way out does; a failed save
  // keeps the drawer open.
  pravella::saveBeforeClosing(finderDrawer_, this, [this] {
    saveDocument();
    return !durtySwitch_->isChecked();
  });
  buildFileOperations();
  // Listed when the sheet first shows it.
  fsBrowser_->setStartPath(pravella::paths::home());
  nowOpendFilePath_.clear();
  finderTextView_->setReadOnly(true);
  fileNameField_->setReadOnly(true);
  setPreview(kDispText);
  saveButton_->setEnabled(false);
  // No history yet, so neither back nor forward (asking the browser would list it now).
  rirekiBeforeButton_->setEnabled(false);
  rirekiNextButton_->setEnabled(false);
  observe();
  if (host_.addSideView) host_.addSideView(finderDrawer_);
}

void CalFinder::buildDrawer() {
  finderDrawer_ = new QDockWidget(tr("Finder"));
  finderDrawer_->setObjectName(QStringLiteral("finderDrawer"));
  auto* body = new QWidget;
  body->setObjectName(QStringLiteral("finderSheetView"));
  auto* column = new QVBoxLayout(body);

  // Folder and script buttons, tags 0 to 9.
  auto* buttonGrid = new QGridLayout;
  finderButtons_ = new QButtonGroup(body);
  const char* titles[10] = {"Volumes", "Home", "Documents", "Pictures", "diary", "6", "7", "8", "9", "10"};
  for (int tag = 0; tag < 10; ++tag) {
    auto* b = new QPushButton(QString::fromLatin1(titles[tag]));
    b->setMinimumWidth(1);
    finderButtons_->addButton(b, tag);
    buttonGrid->addWidget(b, tag / 5, tag % 5);
  }
  connect(finderButtons_, &QButtonGroup::idClicked, this, [this](int tag) { setOrgPathAction(tag); });
  column->addLayout(buttonGrid);

  auto* split = new QSplitter(Qt::Vertical);
  fsBrowser_ = new FSBrowser;
  fsBrowser_->setMinimumHeight(120);
  connect(fsBrowser_, &FSBrowser::singleClicked, this, [this] { browserSingleClick(); });
  connect(fsBrowser_, &FSBrowser::doubleClicked, this, [this] { browserDoubleClick(); });
  split->addWidget(fsBrowser_);

  auto* lower = new QWidget;
  auto* lowerColumn = new QVBoxLayout(lower);
  lowerColumn->setContentsMargins(0, 0, 0, 0);
  auto* nameRow = new QHBoxLayout;
  rirekiBeforeButton_ = new QPushButton(QStringLiteral("<"));
  rirekiNextButton_ = new QPushButton(QStringLiteral(">"));
  fileNameField_ = new QLineEdit;
  fileNameField_->setObjectName(QStringLiteral("fileNameField"));
  connect(fileNameField_, &QLineEdit::returnPressed, this, [this] { saveDocument(); });
  durtySwitch_ = new QCheckBox;
  durtySwitch_->setToolTip(tr("Unsaved changes; for a movie: play back and forth"));
  connect(durtySwitch_, &QCheckBox::clicked, this, [this] { dirtySwitchAction(); });
  saveButton_ = new QPushButton(tr("Save"));
  connect(saveButton_, &QPushButton::clicked, this, [this] { saveDocument(); });
  markSwitch_ = new QCheckBox(tr("Mark"));
  nameRow->addWidget(rirekiBeforeButton_);
  nameRow->addWidget(rirekiNextButton_);
  nameRow->addWidget(fileNameField_, 1);
  nameRow->addWidget(durtySwitch_);
  nameRow->addWidget(saveButton_);
  nameRow->addWidget(markSwitch_);
  lowerColumn->addLayout(nameRow);

  previewArea_ = new QStackedWidget;
  finderTextView_ = new FinderTextView;
  finderTextView_->setCalendarFinder(this);
  textJournal_ = std::make_unique<pravella::EditJournal>(finderTextView_->document(), *textSlot_, nullptr,
                                                         [this] { return nowOpendFilePath_; });
  connect(finderTextView_, &QTextEdit::textChanged, this, [this] {
    if (!finderTextView_->isReadOnly() && finderTextView_->document()->isModified()) textDidChange();
  });
  auto* pictScroll = new QScrollArea;
  pictView_ = new QLabel;
  pictView_->setAlignment(Qt::AlignCenter);
  pictScroll->setWidget(pictView_);
  pictScroll->setWidgetResizable(true);
  movieView_ = new pravella::tools::MediaMovieView;
  // A movie the backend gives up on later leaves the preview cleared, as one that never opened.
  connect(
      movieView_, &pravella::tools::MediaMovieView::failed, this,
      [this] {
        if (dispStatus_ == kDispMovie && !movieView_->file().isEmpty()) clearTextView();
      },
      Qt::QueuedConnection);  // never inside the view's own load
  connect(movieView_, &pravella::tools::MediaMovieView::loaded, this, [this] {
    if (dispStatus_ == kDispMovie) movieView_->play();
  });
  previewArea_->addWidget(finderTextView_);
  previewArea_->addWidget(pictScroll);
  previewArea_->addWidget(movieView_);
  lowerColumn->addWidget(previewArea_, 1);

  auto* codeRow = new QHBoxLayout;
  charCodeSwitch_ = new QButtonGroup(body);
  const char* codes[4] = {"UTF-8", "EUC", "SJIS", "JIS"};
  for (int tag = 0; tag < 4; ++tag) {
    auto* radio = new QRadioButton(QString::fromLatin1(codes[tag]));
    charCodeSwitch_->addButton(radio, tag);
    codeRow->addWidget(radio);
  }
  charCodeSwitch_->button(0)->setChecked(true);
  connect(charCodeSwitch_, &QButtonGroup::idClicked, this, [this] { charCodeAction(); });
  processIndicator_ = new QProgressBar;
  processIndicator_->setTextVisible(false);
  codeRow->addWidget(processIndicator_, 1);
  lowerColumn->addLayout(codeRow);

  auto* actionRow = new QHBoxLayout;
  const std::pair<QString, void (CalFinder::*)()> actions[] = {
      {tr("New"), &CalFinder::newAction},
      {tr("Open"), &CalFinder::openFileAction},
      {tr("Reveal"), &CalFinder::showPathWithFinder},
      {tr("To Memo"), &CalFinder::toMemoAction},
      {tr("From Memo"), &CalFinder::fromMemoAction},
      {tr("Date"), &CalFinder::pasteDateAction},
      {tr("Pictures"), &CalFinder::gotoPictViewer},
      {tr("ROI"), &CalFinder::openROISheet},
      {tr("Segment"), &CalFinder::openImageSegSheet},
  };
  for (const auto& [title, action] : actions) {
    auto* button = new QPushButton(title);
    button->setMinimumWidth(1);
    connect(button, &QPushButton::clicked, this, [this, a = action] { (this->*a)(); });
    actionRow->addWidget(button);
  }
  lowerColumn->addLayout(actionRow);
  split->addWidget(lower);
  column->addWidget(split, 1);
  finderDrawer_->setWidget(body);
  finderDrawer_->hide();
  // Whoever closes the drawer, a movie in it stops playing.
  connect(finderDrawer_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (!visible && movieView_->isPlaying()) movieView_->pause();
  });
}

void CalFinder::observe() {
  auto& center = NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void(pravella::Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  on("saveTextOnFinderSheet", [this](auto&) { saveDocument(); });
  on("openFinderSheetWithPath", [this](auto& n) { openFinderSheetWithPath(n.text); });
  on("pasteDateTimeInFinderText", [this](auto&) { pasteDateTimeAction(); });
  on("pasteDateInFinderText", [this](auto&) { pasteDateAction(); });
  on("newTextOnFinderSheet", [this](auto&) { newAction(); });
  on("deletetOnFinderSheet", [this](auto&) { deleteFileAction(); });
  on("openWithDocumentOfBrowser", [this](auto&) { browserDoubleClick(); });
  on("cal_setFinderSheetButton", [this](auto& n) { setFinderSheetButton(n.text); });
  on("cal_toggleFinderSheet", [this](auto&) { toggleFinderView(); });
  on("cal_openFinderSheetWithPath", [this](auto& n) { openFinderSheetWithPath_X(n.text); });
  // The marks name items by path: they follow what the day's list, the finder or a program
  // moves or trashes.
  on(pravella::kDocumentTrashedNotification, [this](pravella::Notification& n) {
    if (operations_) operations_->itemTrashed(n.text);
  });
  on(pravella::kDocumentMovedNotification, [this](pravella::Notification& n) {
    if (operations_ && n.strings.size() >= 2) operations_->itemMoved(n.strings.at(0), n.strings.at(1));
  });
}

void CalFinder::letGoOfTrashedDocument() {
  const QString gone = nowOpendFilePath_;
  if (gone.isEmpty()) return;
  const pravella::TrashedDocumentEdits edits = pravella::keepEditsOfTrashedDocument(
      finderTextView_, gone, durtySwitch_ && durtySwitch_->isChecked(), [this](const QString& path) {
        const QTextDocument& doc = *finderTextView_->document();
        return path.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive) ? pravella::writeRtfFile(path, doc)
                                                                         : pravella::writeRtfdFile(path, doc);
      });
  if (edits.kept) return clearTextView();
  // Kept nowhere else: the text stays to be copied, under no file and taking no typing.
  nowOpendFilePath_.clear();
  fileNameField_->clear();
  fileNameField_->setReadOnly(true);
  finderTextView_->setReadOnly(true);
  setUnsaved(false);
}

void CalFinder::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

void CalFinder::alert(const QString& title, const QString& message) {
  if (alert_) return alert_(title, message);
  QMessageBox box(QMessageBox::Warning, title, message, QMessageBox::Ok, host_.mainWindow);
  box.exec();
}

bool CalFinder::isOpen() const { return finderDrawer_ && !finderDrawer_->isHidden(); }

// ---------------------------------------------------------------- opening and closing

void CalFinder::openFinderView() {
  if (SheetCanOpen.load() == 0) return;
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  finderDrawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleNumber);
}

void CalFinder::closeFinderView() {
  saveDocument();
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  finderDrawer_->hide();  // also where no host closes the side views
  stopMovie();
}

void CalFinder::toggleFinderView() {
  if (!isOpen())
    openFinderView();
  else
    closeFinderView();
}

void CalFinder::openFinderSheetWithPath(const QString& path) {
  if (!isOpen()) openFinderView();
  saveDocument();
  fsBrowser_->setPath(path);
  clearTextView();
}

void CalFinder::openFinderSheetWithPath_X(const QString& path) {
  if (!isOpen()) openFinderView();
  saveDocument();
  clearTextView();
  fsBrowser_->setPath(pravella::finder::expandTilde(path));
  if (dispStatus_ != kDispText) setFinderTextScrollView();
  finderDrawer_->update();
}

void CalFinder::reloadData() { fsBrowser_->loadColumnZero(); }

// ---------------------------------------------------------------- buttons

void CalFinder::setOrgPathAction(int tag) {
  if (tag < 0 || tag >= 10) return;
  const QString script = scriptFileName_[std::size_t(tag)];
  if (script.size() > 1) {
    pravella::runScriptButton(script);
    return;
  }
  saveDocument();
  fsBrowser_->setPath(pravella::finder::folderOfButton(tag));
  // The folder is what is shown now, as if clicked: its name in the field, its mark on the
  // switch, nothing of the item shown before.
  browserSingleClick();
}

void CalFinder::setFinderSheetButton(const QString& fields) {
  const QStringList f = fields.split(QLatin1Char('\t'));
  if (f.size() < 3) return;
  bool ok = false;
  const int n = f[0].trimmed().toInt(&ok);
  if (!ok || n < 1 || n > 10) return;
  if (QAbstractButton* b = finderButtons_->button(n - 1)) b->setText(f[1]);
  scriptFileName_[std::size_t(n - 1)] = f[2];
}
