// The memo view under the month list takes no typing until it shows a row's document: what it
// held would belong to no file, and neither its Save nor the end would write it. It says so at
// once, and an end by signal finds nothing typed left behind.

#include <QCheckBox>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>

#include <functional>

#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"
#include "end_by_signal_fixture.h"
#include "support/folder_snapshot.h"

namespace {

using namespace day_documents_test;
using pravella::test::FolderSnapshot;

class RowMemoWithoutDocument : public EndBySignal {
 protected:
  void TearDown() override {
    list.reset();
    EndBySignal::TearDown();
  }
  void open() {
    openWithSignals();
    list = std::make_unique<Pravella>(calendar.get(), window.get());
    list->setSoundPlayer([this](const char* name) { sounds.append(name); });
    list->setAlertPanel([this](const QString& title, const QString&, const QStringList&) {
      alerts.append(title);
      return 0;
    });
    list->awakeFromNib();
    list->openMonthSheet();
    ASSERT_TRUE(list->drawer()->subViewSW()->isChecked());
  }
  QTextEdit* rowView() { return list->drawer()->subTextView(); }
  // The user clicks into the view, at its start, and types.
  void typeIntoRowView(const QString& text) {
    QTest::mouseClick(rowView()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QTest::keyClicks(rowView(), text);
  }
  void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  QString statusLine() { return window->statusBar()->currentMessage(); }

  std::unique_ptr<Pravella> list;
};

TEST_F(RowMemoWithoutDocument, TypingWaitsForARowAndTheEndKeepsWhatTheRowTook) {
  writeRtfd(day(3) + "/Doc.rtfd", "text");
  open();
  const FolderSnapshot before = FolderSnapshot::of(paths::diary());

  // No row yet: the word is refused, and the status line says why.
  sounds.clear();
  typeIntoRowView("lost");
  EXPECT_EQ(rowView()->toPlainText(), "");
  EXPECT_TRUE(sounds.contains("Basso"));
  EXPECT_TRUE(statusLine().contains("choose a row")) << s(statusLine());
  click(list->drawer()->commandButton("saveDocAction"));
  EXPECT_EQ(rowView()->toPlainText(), "");
  EXPECT_TRUE(alerts.isEmpty());
  // A paste and a drop are refused as aloud as typing.
  QGuiApplication::clipboard()->setText("pasted");
  QMimeData dropped;
  dropped.setText("dropped");
  const std::function<void()> gifts[] = {
      [&] { QTest::keySequence(rowView(), QKeySequence::Paste); },
      [&] {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(rowView()->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(rowView()->viewport(), &drop);
        EXPECT_FALSE(drop.isAccepted());
      },
  };
  for (const auto& give : gifts) {
    sounds.clear();
    window->statusBar()->clearMessage();
    rowView()->setFocus();
    give();
    EXPECT_EQ(rowView()->toPlainText(), "");
    EXPECT_EQ(sounds, QStringList{"Basso"});
    EXPECT_TRUE(statusLine().contains("choose a row")) << s(statusLine());
  }

  // The search document is no document either.
  pravella::NotificationCenter::defaultCenter().post("resultFromTextViewSearch", QString(),
                                                     QStringList{"x", day(3) + "/Doc.rtfd"});
  click(list->drawer()->commandButton("makeSearchDocument"));
  const QString searchDocument = rowView()->toPlainText();
  rowView()->setFocus();
  QTest::keyClicks(rowView(), "lost");
  EXPECT_EQ(rowView()->toPlainText(), searchDocument);
  EXPECT_TRUE(statusLine().contains("search document")) << s(statusLine());

  // A row's document takes the typing, and the end by signal saves it there, and nothing else.
  auto* table = list->drawer()->monthDiaryField();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                    table->visualItemRect(table->item(0, 1)).center());
  ASSERT_EQ(list->nowDisplayedDocPath(), day(3) + "/Doc.rtfd");
  typeIntoRowView("kept ");
  EXPECT_TRUE(list->drawer()->durtyButton()->isChecked());
  endBy(SIGTERM);
  EXPECT_EQ(textOf(day(3) + "/Doc.rtfd"), "kept text");
  EXPECT_TRUE(before.changedOnly({"2008/02/03/Doc.rtfd", "Preferences"}))
      << s(before.changesSince({"2008/02/03/Doc.rtfd", "Preferences"}).join("\n"));
}

}  // namespace
