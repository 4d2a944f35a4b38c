#include "diary/ui/get_key_on_table.h"

#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <vector>

#include "diary/ui/cal_matrix.h"

namespace {

struct RecordingDelegate : DiaryFileTableDelegate {
  std::vector<std::string> calls;
  void selectDiaryWithOption(bool option) override { calls.push_back(option ? "option" : "no option"); }
  void selectDiaryFileAction() override { calls.push_back("open"); }
  void fileListTableUp() override { calls.push_back("up"); }
  void fileListTableDown() override { calls.push_back("down"); }
  void calendarDecDay() override { calls.push_back("previous day"); }
  void calendarIncDay() override { calls.push_back("next day"); }
  void deleteFileAction() override { calls.push_back("delete"); }
};

TEST(GetKeyOnTable, KeysOfTheDocumentList) {
  const struct {
    Qt::Key key;
    const char* call;
  } cases[] = {
      {Qt::Key_Return, "open"},      {Qt::Key_Enter, "open"},        {Qt::Key_Up, "up"},
      {Qt::Key_Down, "down"},        {Qt::Key_Left, "previous day"}, {Qt::Key_Right, "next day"},
      {Qt::Key_Backspace, "delete"}, {Qt::Key_Delete, "delete"},
  };
  getKeyOnTable table;
  RecordingDelegate delegate;
  table.setDelegate(&delegate);
  table.setColumnCount(1);
  table.setRowCount(3);
  table.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
  for (const auto& c : cases) {
    delegate.calls.clear();
    QTest::keyClick(&table, c.key);
    ASSERT_EQ(delegate.calls.size(), 1u) << c.call;
    EXPECT_EQ(delegate.calls[0], c.call);
  }
  // Other keys are the table's own: Ctrl+Home moves its current cell and asks nothing.
  delegate.calls.clear();
  table.setCurrentCell(2, 0);
  QTest::keyClick(&table, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_TRUE(delegate.calls.empty());
  EXPECT_EQ(table.currentRow(), 0);
}

TEST(CalMatrix, UpAndDownStopAtTheMatrix) {
  QWidget parent;
  struct KeySpy : QObject {
    int keys = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::KeyPress) ++keys;
      return false;
    }
  } spy;
  parent.installEventFilter(&spy);
  auto* matrix = new CalMatrix(&parent);
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  QTest::keyClick(matrix, Qt::Key_Up);
  QTest::keyClick(matrix, Qt::Key_Down);
  EXPECT_EQ(spy.keys, 0);
  QTest::keyClick(matrix, Qt::Key_Left);  // the matrix's inherited handling passes it on
  EXPECT_EQ(spy.keys, 1);
}

}  // namespace
