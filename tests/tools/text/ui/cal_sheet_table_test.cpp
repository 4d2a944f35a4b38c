// The table drawer on real widgets: opened for a memo by name, edited, saved and reverted.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QTableWidget>
#include <QTest>

#include <string>
#include <vector>

#include "platform/notification_center.h"
#include "support/folder_snapshot.h"
#include "support/test_home.h"
#include "tools/bookmarks/document_moves.h"
#include "tools/text/ui/cal_sheet_table.h"

namespace {

TEST(TableDrawer, OpensByNameKeepsEditsAcrossSaveAndRevertAndRefusesEscapes) {
  const QString memo = pravella::test::home() + "/day/memo.rtfd";
  QDir().mkpath(memo);
  std::vector<std::string> sounds;
  int toggle = 0;
  CalSheetTable::Host host;
  host.nowDisplayedDocument = [&] { return memo; };
  host.setToggleStatus = [&](int s) { return std::exchange(toggle, s); };
  host.playSound = [&](const char* name) { sounds.emplace_back(name); };
  CalSheetTable drawer(host);
  drawer.awakeFromNib();
  const QString before = QDir::currentPath();

  pravella::NotificationCenter::defaultCenter().post("sheetTableOpenAction", "budget");
  EXPECT_EQ(toggle, CalSheetTable::kToggleNumber);
  EXPECT_TRUE(QFileInfo(pravella::test::home() + "/day/memo.tbld").isDir());
  EXPECT_EQ(QDir::currentPath(), before);  // made, never entered
  QTableWidget* view = drawer.sheetTableView();
  EXPECT_EQ(view->rowCount(), 5);
  EXPECT_EQ(view->columnCount(), 5);
  EXPECT_EQ(view->item(2, 0)->text(), "3");

  view->item(0, 1)->setText("rent");
  pravella::NotificationCenter::defaultCenter().post("sheetTableSaveAction");
  view->item(0, 1)->setText("changed");
  drawer.revertAction();
  EXPECT_EQ(view->item(0, 1)->text(), "rent");

  // A new column at the selected column's place; titles through the field.
  view->selectColumn(2);
  drawer.addColumnAction();
  EXPECT_EQ(view->horizontalHeaderItem(2)->text(), "5");
  view->selectColumn(2);
  drawer.columnNameField()->setText("Amount");
  drawer.changeColumnTitleAction();
  EXPECT_EQ(view->horizontalHeaderItem(2)->text(), "Amount");
  sounds.clear();
  view->selectColumn(0);
  drawer.deleteColumnAction();
  EXPECT_EQ(view->columnCount(), 6);
  EXPECT_EQ(sounds, std::vector<std::string>{"Basso"});

  // Names that would leave the table folder open nothing.
  drawer.sheetCloseAction();
  toggle = 0;
  pravella::NotificationCenter::defaultCenter().post("sheetTableOpenAction", "../escape");
  EXPECT_EQ(toggle, 0);
  EXPECT_FALSE(QFileInfo::exists(pravella::test::home() + "/day/escape.col"));
}

TEST(TableDrawer, TheDrawersCloseButtonSavesTheEdit) {
  const QString memo = pravella::test::home() + "/day/memo.rtfd";
  QDir().mkpath(memo);
  QMainWindow window;  // the drawer sits beside the memo, as in the application
  window.setCentralWidget(new QWidget);
  CalSheetTable::Host host;
  host.nowDisplayedDocument = [&] { return memo; };
  host.addSideView = [&](QDockWidget* dock) { window.addDockWidget(Qt::RightDockWidgetArea, dock); };
  CalSheetTable drawer(host);
  drawer.awakeFromNib();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  pravella::NotificationCenter::defaultCenter().post("sheetTableOpenAction", "budget");
  ASSERT_TRUE(drawer.sheetTableDrawer()->isVisible());
  drawer.sheetTableView()->item(1, 2)->setText("rent");

  auto* close = drawer.sheetTableDrawer()->findChild<QAbstractButton*>("qt_dockwidget_closebutton");
  ASSERT_NE(close, nullptr);
  ASSERT_TRUE(close->isVisible());
  QTest::mouseClick(close, Qt::LeftButton);
  EXPECT_FALSE(drawer.sheetTableDrawer()->isVisible());
  pravella::sheet::SheetTable onDisk;
  ASSERT_TRUE(onDisk.load(pravella::sheet::tableFolderFor(memo), "budget"));
  EXPECT_EQ(onDisk.cell(1, onDisk.columns().at(2).id), "rent");
}

// The drawer's tables are those of every document of its memo's name: it stays open while one
// of them stays, and writes nothing once none is left, however the memo went.
TEST(TableDrawer, WritesNothingOnceNoMemoOfItsNameIsLeft) {
  const QString day = pravella::test::home() + "/day";
  QDir().mkpath(day + "/plain.rtfd");
  QFile rtf(day + "/plain.rtf");
  ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
  rtf.close();
  QString shown = day + "/plain.rtfd";
  CalSheetTable::Host host;
  host.nowDisplayedDocument = [&] { return shown; };
  CalSheetTable drawer(host);
  drawer.awakeFromNib();
  QAbstractButton* save = nullptr;
  for (auto* b : drawer.sheetTableDrawer()->findChildren<QAbstractButton*>())
    if (b->text() == "Save") save = b;
  ASSERT_NE(save, nullptr);
  pravella::NotificationCenter::defaultCenter().post("sheetTableOpenAction", "budget");
  ASSERT_TRUE(drawer.sheetTableDrawer()->isVisible());

  // The RTF file goes to the Trash; the package keeps the tables, and the drawer stays.
  ASSERT_TRUE(QFile::remove(day + "/plain.rtf"));
  pravella::tellDocumentTrashed(day + "/plain.rtf");
  EXPECT_TRUE(drawer.sheetTableDrawer()->isVisible());
  drawer.sheetTableView()->item(0, 1)->setText("rent");
  QTest::mouseClick(save, Qt::LeftButton);
  EXPECT_TRUE(QFileInfo(day + "/plain.tbld/budget.dat").isFile());

  // The package removed by another program, unannounced: the Save button writes nothing.
  QDir(day + "/plain.rtfd").removeRecursively();
  QDir(day + "/plain.tbld").removeRecursively();
  const auto before = pravella::test::FolderSnapshot::of(day);
  QTest::mouseClick(save, Qt::LeftButton);
  pravella::NotificationCenter::defaultCenter().post("sheetTableSaveAction");
  EXPECT_TRUE(before.unchanged());
}

}  // namespace
