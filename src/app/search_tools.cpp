#include "app/search_tools.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "app/desk_tools.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/pravella.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/ui/main_text_view.h"
#include "editors/ui/memo_lookups.h"
#include "editors/ui/search_window_cont.h"
#include "net/edic/ui/cal_edic.h"
#include "tools/bookmarks/ui/cal_book_mark.h"
#include "tools/dictionaries/ui/cal_manual.h"
#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/finder_text_view.h"
#include "tools/text/ui/cal_doc_search.h"

namespace pravella {

SearchTools::SearchTools(MainWindow& window, Calcndar& calendar, DeskTools& deskTools) {
  mainTextView* memo = window.documentView();
  // The hit count of a memo-database search stands just before the memo's bar.
  auto* hitCount = new QLabel(QStringLiteral("0"), &window);
  hitCount->setObjectName(QStringLiteral("searchHitCountField"));
  window.statusBar()->insertPermanentWidget(0, hitCount);
  lookups_ = std::make_unique<MemoLookups>(memo, memo->progressBar(), hitCount);
  lookups_->awakeFromNib();
  memo->setLookUpHandler([l = lookups_.get()](const QString& text, bool shift, const QPoint& at) {
    if (shift)
      l->searchFunctionName(at, text);
    else
      l->optionSearchFunctionName(at, text);
  });

  searchWindow_ = std::make_unique<SearchWindowCont>(&window);
  searchWindow_->awakeFromNib();
  searchWindow_->registerTextView(memo);
  if (calendar.memoSheet()) searchWindow_->registerTextView(calendar.memoSheet()->toggleMemoField());
  if (Pravella_X) searchWindow_->registerTextView(Pravella_X->subTextView());
  if (CalEDic* dictionary = deskTools.dictionary()) searchWindow_->registerTextView(dictionary->honbunTextView());
  if (CalManual* manual = deskTools.manual()) searchWindow_->registerTextView(manual->manualDocField());
  if (CalFinder* finder = deskTools.finder()) searchWindow_->registerTextView(finder->finderTextView());
  if (CalBookMark* bookmarks = deskTools.bookmarks()) searchWindow_->registerTextView(bookmarks->bookMarkMemoField());
  if (CalDocSearch* find = deskTools.docSearch())
    searchWindow_->setFindByDocSelectedString(
        [find](const QString& text) { find->findByDocSelectedString(text); });
  QMenu* edit = window.findChild<QMenu*>(QStringLiteral("editMenu"));
  if (!edit) {
    edit = window.menuBar()->addMenu(QObject::tr("&Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
  }
  QAction* open = edit->addAction(QObject::tr("Search &Window..."));
  open->setObjectName(QStringLiteral("openSearchWindow"));
  open->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+F")));
  QObject::connect(open, &QAction::triggered, searchWindow_.get(),
                   [w = searchWindow_.get()] { w->openSearchWindow(); });
}

SearchTools::~SearchTools() = default;

}  // namespace pravella
