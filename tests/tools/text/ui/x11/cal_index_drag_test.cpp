// The outline drawer's rows dragged with the mouse, as Qt delivers a drag and drop on a real
// window system: the section moves in the document and the table is rebuilt from it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "lang/builtins/startup.h"
#include "tools/text/find_replace.h"
#include "tools/text/ui/cal_index.h"

namespace {

class OutlineDrag : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    CalIndex::Host host;
    host.closeAllToggleView = [] {};
    host.setToggleStatus = [](int) { return 0; };
    host.toggleStatus = [] { return CalIndex::kToggleNumber; };
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    index = std::make_unique<CalIndex>(&memo, host);
    index->awakeFromNib();
    index->indexCharField()->setText(QStringLiteral("\u25A0"));
  }

  void show(const QString& text) {
    memo.setPlainText(text);
    index->showIndexAction();
    // Away from where other windows open, so that the drag finds this one under the pointer.
    index->docIndexDrawer()->setGeometry(900, 500, 300, 400);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(index->docIndexDrawer()));
  }
  QString text() const { return pravella::findtext::documentText(*memo.document()); }
  QStringList positions() const {
    QStringList out;
    for (int r = 0; r < table()->rowCount(); ++r) out << table()->item(r, 0)->text();
    return out;
  }
  QTableWidget* table() const { return index->docIndexField(); }
  QPoint middleOfRow(int row) const { return table()->visualRect(table()->model()->index(row, 1)).center(); }

  // Presses on row `from`, moves the mouse until Qt starts the drag, and, inside the drag,
  // moves over `to` and releases there.
  void drag(int from, const QPoint& to) {
    QWidget* viewport = table()->viewport();
    const QPoint start = middleOfRow(from);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, start);
    bool dropped = false;
    QTimer::singleShot(100, viewport, [&] {
      for (int step = 1; step <= 4; ++step) QTest::mouseMove(viewport, start + (to - start) * step / 4);
      QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, to);
      dropped = true;
    });
    QTest::mouseMove(viewport, start + QPoint(0, 3));
    QTest::mouseMove(viewport, start + QPoint(0, QApplication::startDragDistance() + 6));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dropped; }, 5000));
    // Qt hands the release back to the view once the drag is over, as a posted event.
    QCoreApplication::sendPostedEvents();
  }

  QTextEdit memo;
  std::unique_ptr<CalIndex> index;
  std::vector<std::string> sounds;
};

TEST_F(OutlineDrag, ARowDroppedOnAnotherMovesItsSectionAboveIt) {
  const QString document = QStringLiteral("\u25A0A\nx\n\u25A0B\ny\n\u25A0C\nz\n");
  enum Place { Middle, LowerEdge, BelowTheRows };
  const struct Case {
    int from, onto;
    Place place;
    const char16_t* text;  // the document afterwards
    bool refused;
  } cases[] = {
      {0, 2, Middle, u"\u25A0B\ny\n\u25A0A\nx\n\u25A0C\nz\n", false},
      {2, 0, Middle, u"\u25A0C\nz\n\u25A0A\nx\n\u25A0B\ny\n", false},
      {0, 1, LowerEdge, u"\u25A0B\ny\n\u25A0A\nx\n\u25A0C\nz\n", false},
      {0, 2, BelowTheRows, u"\u25A0B\ny\n\u25A0C\nz\n\u25A0A\nx\n", false},
      {0, 1, Middle, u"\u25A0A\nx\n\u25A0B\ny\n\u25A0C\nz\n", true},  // right behind its own section
  };
  for (const Case& c : cases) {
    show(document);
    sounds.clear();
    const QRect row = table()->visualRect(table()->model()->index(c.onto, 1));
    const QPoint at = c.place == Middle      ? row.center()
                      : c.place == LowerEdge ? QPoint(row.center().x(), row.bottom() - 1)
                                             : QPoint(row.center().x(), row.bottom() + row.height());
    ASSERT_LT(at.y(), table()->viewport()->height());
    drag(c.from, at);
    const QString expected = QString::fromUtf16(c.text);
    EXPECT_EQ(text(), expected) << c.from << " onto " << c.onto << " place " << c.place;
    // The table is the document's outline, never cells moved by the drop.
    EXPECT_EQ(positions(), (QStringList{"1", "3", "5"}));
    EXPECT_EQ(table()->item(0, 1)->text(), expected.section(u'\n', 0, 0));
    EXPECT_EQ(sounds, c.refused ? std::vector<std::string>{"Basso"} : std::vector<std::string>{});
  }
}

}  // namespace
