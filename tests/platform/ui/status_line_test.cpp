// The main window's status line: a message too long for it is cut with "…" in its quoted part
// first, so that the words around it stay whole; the message itself is kept whole.

#include "platform/ui/status_line.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>

namespace {

TEST(StatusLine, ALongMessageLosesTheMiddleOfItsQuotedPathFirst) {
  pravella::StatusLine line;
  auto* beside = new QLabel("beside");
  line.addPermanentWidget(beside);
  const QString head = "The save may not survive a power cut: \"";
  const QString tail = "\" was saved, but its folder could not be synced (Input/output error).";
  QString path;
  for (int i = 0; i < 10; ++i) path += "/a-rather-long-folder-name";
  const QString message = head + path + "/memo.rtfd" + tail;
  line.showMessage(message);
  const QFontMetrics metrics = line.fontMetrics();
  const int whole = metrics.horizontalAdvance(message);
  const int outcome = metrics.horizontalAdvance(head + QChar(0x2026) + tail);
  const struct {
    const char* what;
    int width;  // of the message's room
    bool cut, endsWhole;
  } cases[] = {
      {"room for all", whole + 60, false, true},
      {"room for the outcome", outcome + 60, true, true},
      {"room for less", outcome * 2 / 3, true, false},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    // About that much room for the message beside the label.
    line.resize(k.width + beside->sizeHint().width(), 30);
    line.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&line));
    QApplication::processEvents();
    const QString shown = line.shownMessage();
    EXPECT_EQ(line.currentMessage(), message);
    EXPECT_EQ(shown.contains(QChar(0x2026)), k.cut) << shown.toStdString();
    if (!k.cut) {
      EXPECT_EQ(shown, message);
    }
    if (k.endsWhole) {
      EXPECT_TRUE(shown.startsWith(head + "/")) << shown.toStdString();
      EXPECT_TRUE(shown.endsWith(tail)) << shown.toStdString();
    } else {
      // The point first: the path shrinks to the ellipsis, then the end goes.
      EXPECT_TRUE(shown.startsWith("The save")) << shown.toStdString();
      EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    }
    EXPECT_LE(metrics.horizontalAdvance(shown), beside->x());
  }
}

}  // namespace
