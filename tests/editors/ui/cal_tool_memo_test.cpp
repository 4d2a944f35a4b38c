// A control panel driven by a program run in the main memo: its InitProg and the programs the
// program asks for run inside that program instead of being refused as a second run.

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

#include "editors/ui/cal_tool.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtins/startup.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/dialog_watchdog.h"

namespace {

TEST(ControlPanelFromAMemo, APanelBuiltByAMemoProgramRunsItsInitProgInsideIt) {
  ASSERT_EQ(vkStartUp(), 1);
  pravella::test::DialogWatchdog watchdog;
  QMainWindow window;
  auto* view = new mainTextView(&window);
  window.setCentralWidget(view);
  QStringList alerts;
  view->setAlertPanel([&](const QString& title, const QString& message) { alerts << title + "|" + message; });
  view->awakeFromNib();
  pravella::DeskToolHost host;
  host.mainWindow = &window;
  host.documentView = view;
  CalTool tool(host);
  tool.awakeFromNib();
  window.resize(700, 500);
  window.show();

  ASSERT_TRUE(QDir().mkpath(pravella::paths::commandScripts()));
  QTextDocument definition;
  definition.setPlainText(QStringLiteral(
      "<AmMode>\n<BoxSize> 200 80\n<Button>\n<Name> go\n<Frame> 10 10 60 24\n<Prog>\n"
      "cal_insertTextToAmModeDoc(\"go;\");\n</Prog>\n</Button>\n"
      "<InitProg>\ncal_insertTextToAmModeDoc(\"init;\");\n</InitProg>\n</AmMode>\n"));
  ASSERT_TRUE(pravella::writeRtfFile(pravella::paths::commandScripts() + QStringLiteral("/panel.rtf"), definition));

  view->setPlainText(QStringLiteral("cal_buildAmModeObject(\"panel.rtf\"); cal_runAmModeButton(\"go\");"));
  QTextCursor c = view->textCursor();
  c.movePosition(QTextCursor::End);
  view->setTextCursor(c);
  QTest::keyClick(view, Qt::Key_Enter, Qt::KeypadModifier);
  QElapsedTimer clock;
  clock.start();
  while (view->isRunning() && clock.elapsed() < 20000) QTest::qWait(5);
  ASSERT_FALSE(view->isRunning());
  QTest::qWait(50);
  EXPECT_TRUE(alerts.isEmpty()) << alerts.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(tool.amModeTextView()->toPlainText(), "init;go;");
  EXPECT_TRUE(view->toPlainText().contains(QStringLiteral(".OK."))) << view->toPlainText().toStdString();
}

}  // namespace
