#include "app/desk_tools.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTextEdit>

#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/ui/cal_preference.h"
#include "editors/ui/main_text_view.h"
#include "diary/program_settings.h"
#include "editors/web_launch.h"
#include "net/edic/ui/cal_edic.h"
#include "net/web/ui/cal_network.h"
#include "net/web/ui/cal_web_view.h"
#include "platform/ui/sound_player.h"
#include "tools/bookmarks/ui/cal_book_mark.h"
#include "tools/bookmarks/ui/cal_launcher.h"
#include "tools/bookmarks/ui/cal_todo.h"
#include "tools/dictionaries/ui/cal_dictionary.h"
#include "tools/dictionaries/ui/cal_manual.h"
#include "platform/desktop_open.h"
#include "tools/pictures/ui/cal_change_pict_size.h"
#include "tools/pictures/ui/cal_pict_view.h"
#include "tools/pictures/ui/cal_select_image.h"
#include "tools/text/ui/cal_change_window.h"
#include "tools/text/ui/cal_sheet_table.h"
#include "tools/text/ui/calendar_set_param.h"
#include "tools/text/ui/cal_doc_search.h"
#include "tools/text/ui/cal_index.h"

namespace pravella {

namespace {

DeskToolHost hostFor(MainWindow& window, Calcndar& calendar) {
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
  h.toolsMenu = window.menuBar()->addMenu(QObject::tr("&Tools"));
  return h;
}

}  // namespace

DeskTools::DeskTools(MainWindow& window, Calcndar& calendar) : host_(hostFor(window, calendar)) {
  CalDocSearch::Host search;
  search.playSound = host_.playSound;
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
  find->setShortcut(QKeySequence::Find);
  QObject::connect(find, &QAction::triggered, docSearch_.get(), [s = docSearch_.get()] { s->showPanel(); });

  CalChangeWindow::Host layout;
  layout.closeAllToggleView = host_.closeAllToggleView;
  layout.playSound = host_.playSound;
  layouts_ = std::make_unique<CalChangeWindow>(&window, layout);
  layouts_->awakeFromNib();
  QAction* change = host_.toolsMenu->addAction(QObject::tr("Change Window &Layout"));
  change->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+L")));
  QObject::connect(change, &QAction::triggered, layouts_.get(),
                   [l = layouts_.get()] { l->toggleCalendarView(); });

  CalIndex::Host index;
  index.closeAllToggleView = host_.closeAllToggleView;
  index.setToggleStatus = host_.setToggleStatus;
  index.toggleStatus = host_.toggleStatus;
  index.addSideView = host_.addSideView;
  index.selectCellSelectedDay = host_.selectCellSelectedDay;
  index.playSound = host_.playSound;
  outline_ = std::make_unique<CalIndex>(host_.documentView, index);
  outline_->awakeFromNib();
  QAction* outline = host_.toolsMenu->addAction(QObject::tr("&Outline"));
  outline->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+O")));
  QObject::connect(outline, &QAction::triggered, outline_.get(), [o = outline_.get(), h = host_] {
    if (h.toggleStatus() == CalIndex::kToggleNumber && o->docIndexDrawer()->isVisible())
      return o->closeIndexAction();
    o->showIndexAction();
  });

  modules_ = std::make_unique<CalPreference>(host_, window.documentView());
  modules_->awakeFromNib();
  QAction* modules = host_.toolsMenu->addAction(QObject::tr("&Modules"));
  QObject::connect(modules, &QAction::triggered, modules_.get(), [m = modules_.get()] { m->openPrefAction(); });

  CalendarSetParam::Host handheld;
  handheld.documentField = host_.documentView;
  handheld.title = [w = &window] { return w->editingDiaryFileName() ? w->editingDiaryFileName()->text() : QString(); };
  handheld.selectedDay = host_.selectedDay;
  handheld.window = &window;
  handheld.playSound = host_.playSound;
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
  CalSheetTable::Host tables;
  tables.closeAllToggleView = host_.closeAllToggleView;
  tables.setToggleStatus = host_.setToggleStatus;
  tables.addSideView = host_.addSideView;
  tables.nowDisplayedDocument = host_.nowDisplayedDocument;
  tables.playSound = host_.playSound;
  tables_ = std::make_unique<CalSheetTable>(tables);
  tables_->awakeFromNib();

  CalLauncher::Host launcher;
  launcher.closeAllToggleView = host_.closeAllToggleView;
  launcher.setToggleStatus = host_.setToggleStatus;
  launcher.toggleStatus = host_.toggleStatus;
  launcher.addSideView = host_.addSideView;
  launcher.selectCellSelectedDay = host_.selectCellSelectedDay;
  launcher.playSound = host_.playSound;
  launcher_ = std::make_unique<CalLauncher>(launcher);
  launcher_->awakeFromNib();
  QAction* launch = host_.toolsMenu->addAction(QObject::tr("&Launcher"));
  QObject::connect(launch, &QAction::triggered, launcher_.get(), [l = launcher_.get()] { l->showLauncherAction(); });

  CalToDo::Host toDo;
  toDo.mainWindow = [w = &window]() -> QWidget* { return w; };
  toDo.playSound = host_.playSound;
  toDo_ = std::make_unique<CalToDo>(toDo);
  toDo_->awakeFromNib();
  QAction* toDoAction = host_.toolsMenu->addAction(QObject::tr("&To Do"));
  QObject::connect(toDoAction, &QAction::triggered, toDo_.get(), [t = toDo_.get()] { t->openToDoWindowAction(); });
  CalEDic::Host edic;
  edic.closeAllToggleView = host_.closeAllToggleView;
  edic.setToggleStatus = host_.setToggleStatus;
  edic.addSideView = host_.addSideView;
  edic.playSound = host_.playSound;
  edic.mainDocument = host_.documentView;
  edic.dialogParent = &window;
  dictionary_ = std::make_unique<CalEDic>(edic);
  dictionary_->awakeFromNib();
  QAction* dictionary = host_.toolsMenu->addAction(QObject::tr("&Dictionary"));
  dictionary->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+D")));
  QObject::connect(dictionary, &QAction::triggered, dictionary_.get(),
                   [d = dictionary_.get()] { d->openSheetAction(); });

  CalDictionary::Host texts;
  texts.closeAllToggleView = host_.closeAllToggleView;
  texts.setToggleStatus = host_.setToggleStatus;
  texts.toggleStatus = host_.toggleStatus;
  texts.addSideView = host_.addSideView;
  texts.playSound = host_.playSound;
  texts.mainMemoSelection = [v = host_.documentView] { return v ? v->textCursor().selectedText() : QString(); };
  texts.launchURL = [](const QByteArray& bytes) { webLaunchURL(std::string_view(bytes.constData(), std::size_t(bytes.size()))); };
  texts.keyWordSearch = [] { return internetWordSearchStatus() == 1; };
  textDictionary_ = std::make_unique<CalDictionary>(texts);
  textDictionary_->awakeFromNib();
  QAction* textDictionary = host_.toolsMenu->addAction(QObject::tr("Te&xt Dictionary"));
  QObject::connect(textDictionary, &QAction::triggered, textDictionary_.get(),
                   [d = textDictionary_.get()] { d->toggleDicSheetAction(); });

  CalManual::Host manualHost;
  manualHost.closeAllToggleView = host_.closeAllToggleView;
  manualHost.setToggleStatus = host_.setToggleStatus;
  manualHost.toggleStatus = host_.toggleStatus;
  manualHost.addSideView = host_.addSideView;
  manualHost.selectCellSelectedDay = host_.selectCellSelectedDay;
  manualHost.playSound = host_.playSound;
  manualHost.open = [](const QString& path) { return openWithDesktop(path); };
  manual_ = std::make_unique<CalManual>(manualHost);
  manual_->awakeFromNib();
  calendar.addDateStampView(manual_->manualDocField(),
                            [m = manual_.get()](bool withTime) { withTime ? m->pasteDateTimeAction() : m->pasteDateAction(); });
  QAction* manualAction = host_.toolsMenu->addAction(QObject::tr("&Manual"));
  QObject::connect(manualAction, &QAction::triggered, manual_.get(), [m = manual_.get()] { m->openManualAction(); });

  CalNetwork::Host internet;
  internet.closeAllToggleView = host_.closeAllToggleView;
  internet.setToggleStatus = host_.setToggleStatus;
  internet.addSideView = host_.addSideView;
  internet.showDiaryFiles = host_.showDiaryFiles;
  internet.playSound = host_.playSound;
  internet.documentView = host_.documentView;
  internet.dialogParent = &window;
  internet_ = std::make_unique<CalNetwork>(internet);
  internet_->awakeFromNib();
  QAction* sheet = host_.toolsMenu->addAction(QObject::tr("&Internet"));
  QObject::connect(sheet, &QAction::triggered, internet_.get(), [n = internet_.get()] { n->toggleInternetSheet(); });
  QAction* onMemo = host_.toolsMenu->addAction(QObject::tr("Open Memo Selection in &Browser"));
  QObject::connect(onMemo, &QAction::triggered, internet_.get(),
                   [v = host_.memoSheetView] { CalendarNet::openURLonMemo(v); });

  pictures_ = std::make_unique<CalPictView>(host_);
  pictures_->awakeFromNib();
  QAction* pictures = host_.toolsMenu->addAction(QObject::tr("&Pictures"));
  QObject::connect(pictures, &QAction::triggered, pictures_.get(),
                   [p = pictures_.get()] { p->togglePictViewAction(); });

  CalSelectImage::Host select;
  select.mainWindow = &window;
  select.selectCellSelectedDay = host_.selectCellSelectedDay;
  select.playSound = host_.playSound;
  selectImage_ = std::make_unique<CalSelectImage>(select);
  selectImage_->awakeFromNib();
  pictures_->addDrawerButton(selectImage_->makeThumbnailButton());
  pictures_->addDrawerButton(selectImage_->makeDocThumbnailButton());
  pictures_->addDrawerButton(selectImage_->setCurrentDirButton());

  CalChangePictSize::Host size;
  // The focused memo, else the main one.
  size.textView = [main = host_.documentView]() -> QTextEdit* {
    if (auto* focused = qobject_cast<QTextEdit*>(QApplication::focusWidget())) return focused;
    return main;
  };
  size.mainWindow = &window;
  size.playSound = host_.playSound;
  pictSize_ = std::make_unique<CalChangePictSize>(size);
  QMenu* picture = host_.toolsMenu->addMenu(QObject::tr("Picture &Size"));
  for (int percent : {25, 50, 75, 150, 200}) {
    QAction* scale = picture->addAction(QStringLiteral("%1").arg(percent));
    QObject::connect(scale, &QAction::triggered, pictSize_.get(),
                     [s = pictSize_.get(), percent] { s->changePictSizeAction(percent); });
  }
  QAction* free = picture->addAction(QObject::tr("Free Size..."));
  QObject::connect(free, &QAction::triggered, pictSize_.get(), [s = pictSize_.get()] { s->changePictFreeSizeAction(); });
  QMenu* thumbnails = host_.toolsMenu->addMenu(QObject::tr("T&humbnails"));
  QObject::connect(thumbnails->addAction(QObject::tr("Thumbnails to Memo...")), &QAction::triggered,
                   selectImage_.get(), [s = selectImage_.get()] { s->makeThumbnailToDocumentAction(); });
  QObject::connect(thumbnails->addAction(QObject::tr("Thumbnails with HTML...")), &QAction::triggered,
                   selectImage_.get(), [s = selectImage_.get()] { s->showThumbnailImageAction(); });
  QObject::connect(thumbnails->addAction(QObject::tr("Show Clipboard Picture")), &QAction::triggered,
                   selectImage_.get(), [s = selectImage_.get()] { s->showCBImageAction(); });

  CalWebView::Host web;
  web.closeAllToggleView = host_.closeAllToggleView;
  web.setToggleStatus = host_.setToggleStatus;
  web.addSideView = host_.addSideView;
  web.playSound = host_.playSound;
  web.selectedDay = host_.selectedDay;
  web.showDiaryFiles = host_.showDiaryFiles;
  web.mainWindow = &window;
  web.subMemoView = host_.memoSheetView;
  web_ = std::make_unique<CalWebView>(web);
  web_->awakeFromNib();
  QAction* browser = host_.toolsMenu->addAction(QObject::tr("&Web Browser"));
  browser->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+W")));
  QObject::connect(browser, &QAction::triggered, web_.get(), [w = web_.get()] { w->toggleWebViewSheet(); });
}

DeskTools::~DeskTools() = default;

}  // namespace pravella
