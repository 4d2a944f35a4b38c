#include "app/desk_tools.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>

#include "diary/day_folders.h"
#include "diary/program_settings.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/ui/cal_preference.h"
#include "editors/ui/main_text_view.h"
#include "editors/web_launch.h"
#include "net/edic/ui/cal_edic.h"
#include "net/ftp/ui/cal_ftp.h"
#include "net/mail/ui/cal_mail.h"
#include "net/web/ui/cal_network.h"
#include "net/web/ui/cal_web_view.h"
#include "platform/console_log.h"
#include "platform/desktop_open.h"
#include "platform/paths.h"
#include "platform/ui/sound_player.h"
#include "tools/bookmarks/ui/cal_book_mark.h"
#include "tools/bookmarks/ui/cal_launcher.h"
#include "tools/bookmarks/ui/cal_todo.h"
#include "tools/dictionaries/ui/cal_dictionary.h"
#include "tools/dictionaries/ui/cal_manual.h"
#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/finder_text_view.h"
#include "tools/pictures/ui/cal_change_pict_size.h"
#include "tools/pictures/ui/cal_movie_view.h"
#include "tools/pictures/ui/cal_pict_view.h"
#include "tools/pictures/ui/cal_select_image.h"
#include "tools/text/ui/cal_change_window.h"
#include "tools/text/ui/cal_doc_search.h"
#include "tools/text/ui/cal_index.h"
#include "tools/text/ui/cal_sheet_table.h"
#include "tools/text/ui/calendar_set_param.h"

namespace pravella {

namespace {

DeskToolHost hostFor(MainWindow& window, Calcndar& calendar, QMenu* toolsMenu) {
  DeskToolHost h;
  Calcndar* c = &calendar;
  h.closeAllToggleView = [c] { c->closeAllToggleView(); };
  h.setToggleStatus = [c](int status) { return c->setToggleStatus(status); };
  h.toggleStatus = [c] { return c->toggleStatus(); };
  h.addSideView = [c](QDockWidget* view) { c->addSideView(view); };
  h.save = [c] { return c->save(); };
  h.nowDisplayedDocument = [c] { return c->nowDisplayedDocument(); };
  h.nowDisplayedFileOnMemoSheet = [c] { return c->nowDisplayedFileOnMemoSheet(); };
  h.selectedDay = [c] { return c->selectedDay(); };
  h.setSelectedDay = [c](const QDate& day) { c->setSelectedDay(day); };
  h.showDiaryFiles = [c] { c->showDiaryFiles(); };
  h.selectCellSelectedDay = [c] { c->selectCellSelectedDay(); };
  h.beforeDayToPlain = [c] { c->beforeDayToPlain(); };
  h.refreshCalendar = [c] { c->refreshCalendar(); };
  h.selectDayAction2 = [c](int day) { c->selectDayAction2(day); };
  h.selectDiaryFileFromNameAction = [c](const QString& name) { c->selectDiaryFileFromNameAction(name); };
  h.addDocumentToRireki = [c](const QString& path) { c->addDocumentToRireki(path); };
  h.playSound = [](const char* name) { playFeedbackSound(QString::fromLatin1(name)); };
  h.mainWindow = &window;
  h.documentView = window.documentView();
  h.memoSheetView = calendar.memoSheet() ? calendar.memoSheet()->toggleMemoField() : nullptr;
  h.toolsMenu = toolsMenu;
  return h;
}

// A tool's own host filled with the common members it declares: every desk tool keeps only
// the few functions it needs, under the names the desk-tool host gives them.
template <typename ToolHost>
ToolHost toolHost(const DeskToolHost& host) {
  ToolHost h;
  if constexpr (requires { h.closeAllToggleView; }) h.closeAllToggleView = host.closeAllToggleView;
  if constexpr (requires { h.setToggleStatus; }) h.setToggleStatus = host.setToggleStatus;
  if constexpr (requires { h.toggleStatus; }) h.toggleStatus = host.toggleStatus;
  if constexpr (requires { h.addSideView; }) h.addSideView = host.addSideView;
  if constexpr (requires { h.selectCellSelectedDay; }) h.selectCellSelectedDay = host.selectCellSelectedDay;
  if constexpr (requires { h.nowDisplayedDocument; }) h.nowDisplayedDocument = host.nowDisplayedDocument;
  if constexpr (requires { h.selectedDay; }) h.selectedDay = host.selectedDay;
  if constexpr (requires { h.showDiaryFiles; }) h.showDiaryFiles = host.showDiaryFiles;
  if constexpr (requires { h.playSound; }) h.playSound = host.playSound;
  return h;
}

}  // namespace

DeskTools::DeskTools(MainWindow& window, Calcndar& calendar, QMenu* toolsMenu)
    : host_(hostFor(window, calendar, toolsMenu)) {
  auto search = toolHost<CalDocSearch::Host>(host_);
  search.markEdited = [w = &window] { w->setWindowModified(true); };
  // While the month diary drawer is open, its search field is the find text.
  search.monthDrawerOpen = [] {
    return Pravella_X && Pravella_X->drawer() && Pravella_X->drawer()->isVisible();
  };
  search.monthSearchText = [] { return Pravella_X->drawer()->searchTextField()->currentText(); };
  docSearch_ = std::make_unique<CalDocSearch>(host_.documentView, &window, search);
  docSearch_->setMemoTextView(host_.memoSheetView);
  docSearch_->awakeFromNib();
  QAction* find = host_.toolsMenu->addAction(QObject::tr("&Find and Replace..."));
  find->setObjectName(QStringLiteral("openSearchSheetAction"));
  find->setShortcut(QKeySequence::Find);
  QObject::connect(find, &QAction::triggered, docSearch_.get(), [s = docSearch_.get()] { s->showPanel(); });
  // Edit > Use Selection for Find gives the search sheet its find text.
  if (auto* useSelection = window.findChild<QAction*>(QStringLiteral("performFindPanelAction")))
    QObject::connect(useSelection, &QAction::triggered, docSearch_.get(),
                     [s = docSearch_.get()] { s->findStringFromDocAction(); });

  auto layout = toolHost<CalChangeWindow::Host>(host_);
  layouts_ = std::make_unique<CalChangeWindow>(&window, layout);
  layouts_->awakeFromNib();
  QAction* change = host_.toolsMenu->addAction(QObject::tr("Change Window &Layout"));
  change->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+L")));
  QObject::connect(change, &QAction::triggered, layouts_.get(),
                   [l = layouts_.get()] { l->toggleCalendarView(); });

  auto index = toolHost<CalIndex::Host>(host_);
  outline_ = std::make_unique<CalIndex>(host_.documentView, index);
  outline_->awakeFromNib();
  QAction* outline = host_.toolsMenu->addAction(QObject::tr("&Outline"));
  outline->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+O")));
  const auto toggleOutline = [o = outline_.get(), h = host_] {
    if (h.toggleStatus() == CalIndex::kToggleNumber && o->docIndexDrawer()->isVisible())
      return o->closeIndexAction();
    o->showIndexAction();
  };
  QObject::connect(outline, &QAction::triggered, outline_.get(), toggleOutline);

  modules_ = std::make_unique<CalPreference>(host_, window.documentView());
  modules_->awakeFromNib();
  QAction* modules = host_.toolsMenu->addAction(QObject::tr("&Modules"));
  QObject::connect(modules, &QAction::triggered, modules_.get(), [m = modules_.get()] { m->openPrefAction(); });

  auto handheld = toolHost<CalendarSetParam::Host>(host_);
  handheld.documentField = host_.documentView;
  handheld.title = [w = &window] { return w->editingDiaryFileName() ? w->editingDiaryFileName()->text() : QString(); };
  handheld.window = &window;
  handheld_ = std::make_unique<CalendarSetParam>(handheld);
  handheld_->awakeFromNib();
  QMenu* palm = host_.toolsMenu->addMenu(QObject::tr("&Handheld"));
  const auto item = [palm](const QString& title, auto fn) { QObject::connect(palm->addAction(title), &QAction::triggered, fn); };
  CalendarSetParam* h = handheld_.get();
  item(QObject::tr("Memo to MeDoc"), [h] { h->saveMeDocFileAction(); });
  item(QObject::tr("Day to MeDoc"), [h] { h->saveAllDocToPalmAction(); });
  item(QObject::tr("Memo to Schedule"), [h] { h->addScheduleAction(); });
  item(QObject::tr("Memo to Palm Memo"), [h] { h->addMemoAction(); });
  item(QObject::tr("Set Install Folder..."), [h] { h->setPalmHotSyncFolderAction(); });

  bookmarks_ = std::make_unique<CalBookMark>(host_);
  bookmarks_->awakeFromNib();
  QAction* marks = host_.toolsMenu->addAction(QObject::tr("&Bookmarks"));
  QObject::connect(marks, &QAction::triggered, bookmarks_.get(), [b = bookmarks_.get()] { b->openBookMarkAction(); });
  QAction* mark = host_.toolsMenu->addAction(QObject::tr("Bookmark This &Place"));
  mark->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+B")));
  QObject::connect(mark, &QAction::triggered, bookmarks_.get(), [b = bookmarks_.get()] { b->addBookMarkAction(); });
  auto tables = toolHost<CalSheetTable::Host>(host_);
  tables_ = std::make_unique<CalSheetTable>(tables);
  tables_->awakeFromNib();

  auto launcher = toolHost<CalLauncher::Host>(host_);
  launcher_ = std::make_unique<CalLauncher>(launcher);
  launcher_->awakeFromNib();
  QAction* launch = host_.toolsMenu->addAction(QObject::tr("&Launcher"));
  QObject::connect(launch, &QAction::triggered, launcher_.get(), [l = launcher_.get()] { l->showLauncherAction(); });

  auto toDo = toolHost<CalToDo::Host>(host_);
  toDo.mainWindow = [w = &window]() -> QWidget* { return w; };
  toDo_ = std::make_unique<CalToDo>(toDo);
  toDo_->awakeFromNib();
  QAction* toDoAction = host_.toolsMenu->addAction(QObject::tr("&To Do"));
  QObject::connect(toDoAction, &QAction::triggered, toDo_.get(), [t = toDo_.get()] { t->openToDoWindowAction(); });
  auto edic = toolHost<CalEDic::Host>(host_);
  edic.mainDocument = host_.documentView;
  edic.dialogParent = &window;
  dictionary_ = std::make_unique<CalEDic>(edic);
  dictionary_->awakeFromNib();
  QAction* dictionary = host_.toolsMenu->addAction(QObject::tr("&Dictionary"));
  dictionary->setObjectName(QStringLiteral("openDictionaryAction"));
  // Ctrl+Shift+D is the month diary's.
  dictionary->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Y")));
  QObject::connect(dictionary, &QAction::triggered, dictionary_.get(),
                   [d = dictionary_.get()] { d->openSheetAction(); });

  auto texts = toolHost<CalDictionary::Host>(host_);
  texts.mainMemoSelection = [v = host_.documentView] { return v ? v->textCursor().selectedText() : QString(); };
  texts.launchURL = [](const QByteArray& bytes) { webLaunchURL(std::string_view(bytes.constData(), std::size_t(bytes.size()))); };
  texts.keyWordSearch = [] { return internetWordSearchStatus() == 1; };
  texts.bookMarkTextView = bookmarks_->bookMarkMemoField();
  QPushButton* monthSheetMemos = nullptr;
  if (Pravella_X && Pravella_X->drawer()) {
    texts.monthSheetTextView = Pravella_X->drawer()->subTextView();
    monthSheetMemos = Pravella_X->drawer()->commandButton("searchAllMemoDataBaseActionOnMonthSheet");
  }
  textDictionary_ = std::make_unique<CalDictionary>(texts);
  textDictionary_->awakeFromNib();
  QObject::connect(bookmarks_->memoDatabaseButton(), &QPushButton::clicked, textDictionary_.get(),
                   [d = textDictionary_.get()] { d->searchAllMemoDataBaseActionOnBookMarkSheet(); });
  if (monthSheetMemos)
    QObject::connect(monthSheetMemos, &QPushButton::clicked, textDictionary_.get(),
                     [d = textDictionary_.get()] { d->searchAllMemoDataBaseActionOnMonthSheet(); });
  QAction* textDictionary = host_.toolsMenu->addAction(QObject::tr("Te&xt Dictionary"));
  QObject::connect(textDictionary, &QAction::triggered, textDictionary_.get(),
                   [d = textDictionary_.get()] { d->toggleDicSheetAction(); });

  auto manualHost = toolHost<CalManual::Host>(host_);
  manualHost.open = [](const QString& path) { return openWithDesktop(path); };
  manual_ = std::make_unique<CalManual>(manualHost);
  manual_->awakeFromNib();
  calendar.addDateStampView(manual_->manualDocField(),
                            [m = manual_.get()](bool withTime) { withTime ? m->pasteDateTimeAction() : m->pasteDateAction(); });
  QAction* manualAction = host_.toolsMenu->addAction(QObject::tr("&Manual"));
  QObject::connect(manualAction, &QAction::triggered, manual_.get(), [m = manual_.get()] { m->openManualAction(); });

  auto internet = toolHost<CalNetwork::Host>(host_);
  internet.documentView = host_.documentView;
  internet.dialogParent = &window;
  internet_ = std::make_unique<CalNetwork>(internet);
  internet_->awakeFromNib();
  QAction* sheet = host_.toolsMenu->addAction(QObject::tr("&Internet"));
  QObject::connect(sheet, &QAction::triggered, internet_.get(), [n = internet_.get()] { n->toggleInternetSheet(); });
  QAction* onMemo = host_.toolsMenu->addAction(QObject::tr("Open Memo Selection in &Browser"));
  onMemo->setObjectName(QStringLiteral("openURLonMemoAction"));
  // The open memo sheet's selection, else the main memo's: the menu names no one memo.
  QObject::connect(onMemo, &QAction::triggered, internet_.get(), [this, &window] {
    QTextEdit* sheet =
        host_.memoSheetView && host_.memoSheetView->isVisible() ? host_.memoSheetView : nullptr;
    for (QTextEdit* view : {sheet, host_.documentView})
      if (view && view->textCursor().hasSelection()) return CalendarNet::openURLonMemo(view);
    window.statusBar()->showMessage(QObject::tr("Select a web address in a memo to open it in the browser."),
                                    10000);
    host_.playSound("Basso");
  });

  auto mailHost = toolHost<CalMail::Host>(host_);
  mailHost.documentView = host_.documentView;
  mailHost.dialogParent = &window;
  mail_ = std::make_unique<CalMail>(mailHost);
  mail_->awakeFromNib();
  mail_->addMenuActions(host_.toolsMenu);

  pictures_ = std::make_unique<CalPictView>(host_);
  pictures_->awakeFromNib();
  QAction* pictures = host_.toolsMenu->addAction(QObject::tr("&Pictures"));
  QObject::connect(pictures, &QAction::triggered, pictures_.get(),
                   [p = pictures_.get()] { p->togglePictViewAction(); });

  movies_ = std::make_unique<CalMovieView>(host_);
  movies_->awakeFromNib();
  QAction* movies = host_.toolsMenu->addAction(QObject::tr("Mo&vies"));
  QObject::connect(movies, &QAction::triggered, movies_.get(), [m = movies_.get()] { m->toggleMovieViewAction(); });

  auto select = toolHost<CalSelectImage::Host>(host_);
  select.mainWindow = &window;
  selectImage_ = std::make_unique<CalSelectImage>(select);
  selectImage_->awakeFromNib();
  pictures_->addDrawerButton(selectImage_->makeThumbnailButton());
  pictures_->addDrawerButton(selectImage_->makeDocThumbnailButton());
  pictures_->addDrawerButton(selectImage_->setCurrentDirButton());

  auto size = toolHost<CalChangePictSize::Host>(host_);
  // The focused memo, else the main one.
  size.textView = [main = host_.documentView]() -> QTextEdit* {
    if (auto* focused = qobject_cast<QTextEdit*>(QApplication::focusWidget())) return focused;
    return main;
  };
  size.mainWindow = &window;
  pictSize_ = std::make_unique<CalChangePictSize>(size);
  pictSize_->addMenu(host_.toolsMenu);
  QMenu* thumbnails = host_.toolsMenu->addMenu(QObject::tr("T&humbnails"));
  QObject::connect(thumbnails->addAction(QObject::tr("Thumbnails to Memo...")), &QAction::triggered,
                   selectImage_.get(), [s = selectImage_.get()] { s->makeThumbnailToDocumentAction(); });
  QObject::connect(thumbnails->addAction(QObject::tr("Thumbnails with HTML...")), &QAction::triggered,
                   selectImage_.get(), [s = selectImage_.get()] { s->showThumbnailImageAction(); });
  QObject::connect(thumbnails->addAction(QObject::tr("Show Clipboard Picture")), &QAction::triggered,
                   selectImage_.get(), [s = selectImage_.get()] { s->showCBImageAction(); });

  auto ftpHost = toolHost<CalFTP::Host>(host_);
  ftpHost.dialogParent = &window;
  ftp_ = std::make_unique<CalFTP>(ftpHost);
  ftp_->awakeFromNib();
  QAction* ftpAction = host_.toolsMenu->addAction(QObject::tr("&FTP"));
  QObject::connect(ftpAction, &QAction::triggered, ftp_.get(), [f = ftp_.get()] { f->toggleFTPSheet(); });

  auto web = toolHost<CalWebView::Host>(host_);
  web.mainWindow = &window;
  web.subMemoView = host_.memoSheetView;
  web_ = std::make_unique<CalWebView>(web);
  web_->awakeFromNib();
  QAction* browser = host_.toolsMenu->addAction(QObject::tr("&Web Browser"));
  browser->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+W")));
  QObject::connect(browser, &QAction::triggered, web_.get(), [w = web_.get()] { w->toggleWebViewSheet(); });

  finder_ = std::make_unique<CalFinder>(host_);
  finder_->awakeFromNib();
  calendar.setFinderTextView(finder_->finderTextView());
  docSearch_->setFinderTextView(finder_->finderTextView());
  QAction* finderAction = host_.toolsMenu->addAction(QObject::tr("&Finder"));
  QObject::connect(finderAction, &QAction::triggered, finder_.get(), [f = finder_.get()] { f->toggleFinderView(); });

  // The five fixed cells under the month's days: the manual, the launcher, a terminal in the
  // selected day's folder, the bookmarks and the outline.
  QObject::connect(window.dayCells(), &QButtonGroup::idClicked, &window,
                   [this, &window, toggleOutline](int tag) {
                     switch (tag - Calcndar::kLastDayCell - 1) {
                       case 0:
                         return manual_->openManualAction();
                       case 1:
                         return launcher_->showLauncherAction();
                       case 2:
                         return openTerminalAtSelectedDay(window);
                       case 3:
                         return bookmarks_->openBookMarkAction();
                       case 4:
                         return toggleOutline();
                       default:
                         return;
                     }
                   });
}

void DeskTools::openTerminalAtSelectedDay(MainWindow& window) {
  const QDate day = host_.selectedDay();
  // The day may have no folder yet: it is made as the document list makes it.
  if (!makeDayFolder(day.year(), day.month(), day.day())) return host_.playSound("Basso");
  const QString folder = paths::dayFolder(day.year(), day.month(), day.day());
  QString why;
  if (openTerminalAt(folder, &why)) return host_.playSound("Tink");
  window.statusBar()->showMessage(why, 10000);
  showErrMessageToConsole((why + QLatin1Char('\n')).toStdString());
  host_.playSound("Basso");
}

DeskTools::~DeskTools() = default;

}  // namespace pravella
