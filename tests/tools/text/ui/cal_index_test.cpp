// The outline drawer on a real memo view: builds, section selection and tint, drags through
// the table's model, duplicates, keys, colour modes and the programs' commands.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include <memory>
#include <string>
#include <vector>

#include "diary/diary_globals.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/notification_center.h"
#include "tools/text/find_replace.h"
#include "tools/text/ui/cal_index.h"

namespace {

class OutlineDrawer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    CalIndex::Host host;
    host.closeAllToggleView = [this] { ++closes; };
    host.setToggleStatus = [this](int s) { return std::exchange(toggle, s); };
    host.toggleStatus = [this] { return toggle; };
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    index = std::make_unique<CalIndex>(&memo, host);
    index->awakeFromNib();
    index->indexCharField()->setText(QStringLiteral("\u25A0"));
    pravella::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("showNumOfTextSize"), &memo, [this](pravella::Notification&) { ++sizePosts; });
  }
  void TearDown() override {
    pravella::NotificationCenter::defaultCenter().removeObservers(&memo);
    SheetCanOpen = 1;
  }

  void show(const QString& text, std::vector<double> indents = {}) {
    memo.setPlainText(text);
    for (int i = 0; i < static_cast<int>(indents.size()); ++i) {
      QTextBlockFormat f;
      f.setLeftMargin(indents[static_cast<std::size_t>(i)]);
      QTextCursor(memo.document()->findBlockByNumber(i)).setBlockFormat(f);
    }
    memo.document()->setModified(false);
  }
  QString text() const { return pravella::findtext::documentText(*memo.document()); }
  std::vector<int> selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : index->docIndexField()->selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  bool drop(int dragged, int onto) {
    QAbstractItemModel* model = index->docIndexField()->model();
    std::unique_ptr<QMimeData> data(model->mimeData({model->index(dragged, 0)}));
    return model->dropMimeData(data.get(), Qt::MoveAction, onto, 0, {});
  }

  QTextEdit memo;
  std::unique_ptr<CalIndex> index;
  std::vector<std::string> sounds;
  int toggle = 0, closes = 0, sizePosts = 0;
};

TEST_F(OutlineDrawer, BuildingOpensTheDrawerAndChangesNothingInTheMemo) {
  show(QStringLiteral("\u25A0First\nbody\n\u25A0Next"));
  index->showIndexAction();
  EXPECT_EQ(text(), QStringLiteral("\u25A0First\nbody\n\u25A0Next"));
  EXPECT_FALSE(memo.document()->isModified());
  EXPECT_EQ(index->docIndexField()->rowCount(), 2);
  EXPECT_EQ(index->docIndexField()->item(1, 0)->text(), QStringLiteral("3"));
  EXPECT_EQ(toggle, CalIndex::kToggleNumber);
  EXPECT_EQ(closes, 1);
  // A section moved or copied takes its line end along: the last line gets one then.
  index->docIndexField()->selectRow(1);
  EXPECT_TRUE(drop(1, 0));
  EXPECT_EQ(text(), QStringLiteral("\u25A0Next\n\u25A0First\nbody\n"));
  EXPECT_TRUE(memo.document()->isModified());
  show(QStringLiteral("\u25A0First\n\u25A0Last"));
  index->showIndexAction();
  index->docIndexField()->selectRow(1);
  QTest::keyClick(index->docIndexField(), Qt::Key_D, Qt::AltModifier);
  EXPECT_EQ(text(), QStringLiteral("\u25A0First\n\u25A0Last\n\u25A0Last\n"));

  show(QStringLiteral("abc"));
  index->showIndexAction();
  EXPECT_EQ(text(), QStringLiteral("abc"));

  // In the list-only window layout nothing opens.
  index->docIndexDrawer()->hide();
  SheetCanOpen = 0;
  show(QStringLiteral("\u25A0First\n\u25A0Second\n"));
  index->showIndexAction();
  EXPECT_FALSE(index->docIndexDrawer()->isVisible());
  EXPECT_EQ(index->docIndexField()->rowCount(), 0);  // the last build's rows stay
}

TEST_F(OutlineDrawer, SelectingAHeadingSelectsAndTintsItsSection) {
  show(QStringLiteral("\u25A0A\n\u25A0a1\n\u25A0a2\n\u25A0B\n"), {0, 30, 60, 0});
  index->emphasisSwitch()->setChecked(true);
  index->showIndexAction();
  index->docIndexField()->selectRow(0);
  EXPECT_EQ(selectedRows(), (std::vector<int>{0, 1, 2}));
  ASSERT_EQ(memo.extraSelections().size(), 1);
  EXPECT_EQ(memo.extraSelections()[0].cursor.selectionStart(), 0);
  EXPECT_EQ(memo.extraSelections()[0].cursor.selectionEnd(), 11);
  EXPECT_EQ(memo.textCursor().position(), 0);
  EXPECT_FALSE(memo.document()->isModified());
}

TEST_F(OutlineDrawer, DraggingARowMovesItsSection) {
  show(QStringLiteral("\u25A0A\nx\n\u25A0B\ny\n\u25A0C\nz\n"));
  index->showIndexAction();
  QAbstractItemModel* model = index->docIndexField()->model();
  std::unique_ptr<QMimeData> data(model->mimeData({model->index(0, 0)}));
  EXPECT_EQ(data->text(), QStringLiteral(" [\u25A0A] "));

  index->docIndexField()->selectRow(0);
  EXPECT_TRUE(drop(0, 0));  // onto itself
  EXPECT_EQ(sizePosts, 1);
  EXPECT_FALSE(drop(0, 1));  // right behind its own section
  EXPECT_EQ(sounds.back(), "Basso");
  EXPECT_EQ(text(), QStringLiteral("\u25A0A\nx\n\u25A0B\ny\n\u25A0C\nz\n"));
  EXPECT_TRUE(drop(0, 2));
  EXPECT_EQ(text(), QStringLiteral("\u25A0B\ny\n\u25A0A\nx\n\u25A0C\nz\n"));
  EXPECT_EQ(selectedRows(), (std::vector<int>{1}));
}

TEST_F(OutlineDrawer, KeysMoveWrapAndDuplicate) {
  show(QStringLiteral("\u25A0A\nx\n\u25A0B\n"));
  index->showIndexAction();
  QTableWidget* table = index->docIndexField();
  table->setCurrentCell(1, 0);
  QTest::keyClick(table, Qt::Key_Down);
  EXPECT_EQ(table->currentRow(), 0);
  QTest::keyClick(table, Qt::Key_Up);
  EXPECT_EQ(table->currentRow(), 1);
  table->selectRow(0);
  QTest::keyClick(table, Qt::Key_D, Qt::AltModifier);
  EXPECT_EQ(text(), QStringLiteral("\u25A0A\nx\n\u25A0A\nx\n\u25A0B\n"));
  EXPECT_EQ(table->rowCount(), 3);
}

TEST_F(OutlineDrawer, ColourModesFromPrograms) {
  show(QStringLiteral("\u25A0A\n"));
  index->showIndexAction();
  const pravella::VkRunResult r = pravella::runVkProgram("cal_changeIndexTableForeColor(3);");
  EXPECT_TRUE(r.ok) << r.text;
  EXPECT_EQ(index->tableFontColorMode(), 3);
  pravella::runVkProgram("cal_toggleIndexTableColor(1);");
  EXPECT_EQ(index->tableFontColorMode(), 0);
  for (long mode : {7L, -1L}) {
    index->changeTableFontForeColor(2);
    index->changeTableFontForeColor(mode);
    EXPECT_EQ(index->tableFontColorMode(), 0) << mode;
  }
  pravella::runVkProgram("cal_closeIndexSheet(1);");
  EXPECT_EQ(closes, 2);
}

}  // namespace
