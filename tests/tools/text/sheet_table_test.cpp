// Tables of text cells beside a memo: the empty table, rows and columns added and deleted,
// titles, reordering with the row numbers kept in front, and the two files.

#include <gtest/gtest.h>

#include <QDir>

#include "platform/property_list.h"
#include "support/test_home.h"
#include "tools/text/sheet_table.h"

namespace {

using pravella::sheet::SheetTable;

QStringList titles(const SheetTable& t) {
  QStringList out;
  for (const auto& c : t.columns()) out << c.title;
  return out;
}

TEST(SheetTable, ANewTableSavesFiveTitlesAndTwentyCells) {
  const QString folder = pravella::test::home() + "/memo.tbld";
  SheetTable table;
  EXPECT_EQ(table.rows(), 5);
  EXPECT_EQ(titles(table), (QStringList{"No.", "1", "2", "3", "4"}));
  table.setCell(1, 2, "x");
  ASSERT_TRUE(table.save(folder, "T"));
  EXPECT_EQ(pravella::plist::readStringArray(folder + "/T.col")->size(), 5);
  const QStringList cells = *pravella::plist::readStringArray(folder + "/T.dat");
  ASSERT_EQ(cells.size(), 20);
  EXPECT_EQ(cells.at(5), "x");
  SheetTable back;
  ASSERT_TRUE(back.load(folder, "T"));
  EXPECT_EQ(back.cell(1, 2), "x");
}

TEST(SheetTable, RowsAndColumnsChangeAndSaveInDisplayOrder) {
  const QString folder = pravella::test::home() + "/memo.tbld";
  SheetTable table;
  for (int r = 0; r < 5; ++r) table.setCell(r, 1, QString::number(r));
  table.addRow(1);  // before row 2 (0-based row 1)
  EXPECT_EQ(table.rows(), 6);
  EXPECT_EQ(table.cell(1, 1), "-----");
  EXPECT_EQ(table.cell(2, 1), "1");
  table.addColumn(2);  // shown at position 2
  EXPECT_EQ(titles(table), (QStringList{"No.", "1", "5", "2", "3", "4"}));
  EXPECT_EQ(table.cell(0, 5), "");
  EXPECT_TRUE(table.retitle(2, "new"));
  EXPECT_FALSE(table.retitle(0, "rows"));
  EXPECT_FALSE(table.deleteColumn(0));
  EXPECT_TRUE(table.deleteColumn(4));  // "3"
  ASSERT_TRUE(table.save(folder, "T"));
  EXPECT_EQ(*pravella::plist::readStringArray(folder + "/T.col"), (QStringList{"No.", "1", "new", "2", "4"}));
  SheetTable back;
  ASSERT_TRUE(back.load(folder, "T"));
  EXPECT_EQ(back.rows(), 6);
  EXPECT_EQ(titles(back), (QStringList{"No.", "1", "new", "2", "4"}));
  EXPECT_EQ(back.cell(2, 1), "1");
  EXPECT_TRUE(back.deleteRow(0));
  EXPECT_FALSE(back.deleteRow(9));

  // The row-number column dragged elsewhere comes back in front.
  back.reorder({2, 0, 1, 3, 4});
  EXPECT_EQ(back.columns().first().id, 0);
  EXPECT_EQ(titles(back), (QStringList{"No.", "new", "1", "2", "4"}));
}

TEST(SheetTable, MalformedFilesAndNamesAreRefused) {
  const QString folder = pravella::test::home() + "/m.tbld";
  QDir().mkpath(folder);
  pravella::plist::writeStringArray(folder + "/T.col", {"No."});
  pravella::plist::writeStringArray(folder + "/T.dat", {"a", "b"});
  SheetTable table;
  EXPECT_FALSE(table.load(folder, "T"));
  EXPECT_EQ(table.rows(), 5);
  for (const char* bad : {"", ".", "..", "../x", "a/b"}) EXPECT_FALSE(pravella::sheet::validName(bad)) << bad;
  EXPECT_TRUE(pravella::sheet::validName("budget"));
  EXPECT_EQ(pravella::sheet::tableFolderFor("/d/2026/12/09/memo.rtfd"), "/d/2026/12/09/memo.tbld");
}

}  // namespace
