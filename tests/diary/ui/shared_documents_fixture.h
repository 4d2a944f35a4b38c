#pragma once
// The main window with the month diary drawer and the finder: one document shown in several
// views at once, driven through their widgets.

#include <QAbstractButton>
#include <QDockWidget>
#include <QListView>

#include <memory>

#include "day_documents_fixture.h"
#include "diary/ui/pravella.h"
#include "lang/builtins/startup.h"
#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/finder_text_view.h"
#include "tools/finder/ui/fs_browser.h"

namespace day_documents_test {

class SharedDocuments : public DayDocuments {
 protected:
  void SetUp() override { ASSERT_EQ(vkStartUp(), 1); }
  void TearDown() override {
    finder.reset();
    list.reset();
    DayDocuments::TearDown();
  }

  // The main window with the month diary drawer and the finder, on 2008-02-28.
  void open() {
    start();
    memo()->awakeFromNib();
    list = std::make_unique<Pravella>(calendar.get(), window.get());
    list->setSoundPlayer([this](const char* name) { sounds.append(name); });
    list->awakeFromNib();
    finder = std::make_unique<CalFinder>(deskToolHost());
    finder->awakeFromNib();
    calendar->setFinderTextView(finder->finderTextView());
  }

  // What a desk tool needs of the main window and its calendar.
  pravella::DeskToolHost deskToolHost() {
    pravella::DeskToolHost host;
    Calcndar* c = calendar.get();
    host.closeAllToggleView = [c] { c->closeAllToggleView(); };
    host.setToggleStatus = [c](int status) { return c->setToggleStatus(status); };
    host.toggleStatus = [c] { return c->toggleStatus(); };
    host.addSideView = [c](QDockWidget* view) { c->addSideView(view); };
    host.playSound = [this](const char* name) { sounds.append(name); };
    host.mainWindow = window.get();
    host.documentView = memo();
    return host;
  }

  // A click on the day list's row of `name`.
  void showInMemo(const QString& name) {
    const qsizetype row = calendar->diaryFiles().indexOf(name);
    ASSERT_GE(row, 0) << s(name);
    clickRow(static_cast<int>(row));
    ASSERT_EQ(calendar->nowDisplayedDocument(), day() + "/" + name);
  }
  void clickSave() { QTest::mouseClick(memoButton(1), Qt::LeftButton); }

  // A click on `name` in the finder's column of `folder`.
  void clickInFinder(const QString& folder, const QString& name) {
    if (!finder->isOpen()) finder->openFinderView();
    FSBrowser* browser = finder->fsBrowser();
    browser->setPath(folder);
    const int column = browser->columnCount() - 1;
    FSColumnModel* model = browser->columnModel(column);
    model->reload();
    const int row = model->rowOf(name);
    ASSERT_GE(row, 0) << s(name);
    QListView* view = browser->columnView(column);
    view->scrollTo(model->index(row));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(model->index(row)).center());
    ASSERT_EQ(finder->nowDisplayedDocumentPath(), folder + "/" + name);
  }
  void typeInFinder(const QString& text) {
    finder->finderTextView()->setFocus();
    QTest::keyClicks(finder->finderTextView(), text);
  }
  static void clickCloseButton(QDockWidget* dock) {
    auto* close = dock->findChild<QAbstractButton*>("qt_dockwidget_closebutton");
    ASSERT_NE(close, nullptr);
    ASSERT_TRUE(close->isVisible());
    QTest::mouseClick(close, Qt::LeftButton);
  }
  QString trashed(const QString& name) { return pravella::paths::trash() + "/files/" + name; }

  std::unique_ptr<Pravella> list;
  std::unique_ptr<CalFinder> finder;
};

}  // namespace day_documents_test
