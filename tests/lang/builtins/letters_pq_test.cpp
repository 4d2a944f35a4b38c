// Built-ins of the letter P whose effect is a setting read elsewhere rather than a result.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>

#include <string>

#include "diary/program_settings.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "graphics/plot2d.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/notification_center.h"

namespace {

class LettersPQ : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(vkStartUp(), 1); }
  void TearDown() override {
    prefBackupNeedStatua = 1;
    for (double& v : axisData) v = 0;
  }
  static std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }
};

TEST_F(LettersPQ, PrefBackupNeedSetsTheSwitch) {
  EXPECT_EQ(run("prefBackupNeed(0);"), ".OK.\n");
  EXPECT_EQ(prefBackupNeedStatua, 0);
  EXPECT_EQ(run("prefBackupNeed(0.5);"), ".OK.\n");
  EXPECT_EQ(prefBackupNeedStatua, 1);
}

TEST_F(LettersPQ, ProgressBarPostsItsThreeNumbers) {
  QStringList seen;
  auto& center = pravella::NotificationCenter::defaultCenter();
  const auto id = center.addObserver(
      QStringLiteral("setProgressBar"), nullptr, [&](pravella::Notification& n) { seen << n.text; },
      pravella::Delivery::PostingThread);
  EXPECT_EQ(run("progressBar(|0, 10, 2.5|); progressBar(|10, 0, 5|);"),
            "...<Error>...Invalid arguments.\n.NO.\n");
  center.removeObserver(id);
  EXPECT_EQ(seen, QStringList{QStringLiteral("0\t10\t2.5")});
}

TEST_F(LettersPQ, PlotLineToKeepsOrClearsTheStoredRange) {
  ASSERT_EQ(run("p# = plotLineTo(|0, 0|, |1, 1|, |1|, |0, 2, 1, 0, 2, 1|);"), ".OK.\n");
  EXPECT_EQ(axisData[1], 2.0);
  EXPECT_EQ(axisData[6], 1.0);
  // The range is stored before the other arguments are tested.
  EXPECT_EQ(run("plotLineTo(|0, 0|, |1, 1|, \"x\", |0, 3, 1, 0, 3, 1|);"),
            "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(axisData[1], 3.0);
  ASSERT_EQ(run("p# = plotLineTo(|0, 0|, |1, 1|, |1|);"), ".OK.\n");
  for (double v : axisData) EXPECT_EQ(v, 0.0);
}

TEST_F(LettersPQ, DisplayedPlotReachesTheClipboardAsAPicture) {
  // A memo pastes what a run displays from the clipboard: a displayed plot must arrive there
  // as the picture of the plot size.
  QGuiApplication::clipboard()->clear();
  EXPECT_EQ(run("plot(|1, 2| |2, 3| |3, 1| |4, 5| |5, 4|);"), ".OK.\n");
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  const pravella::Picture picture(mime->data(pravella::kPictureMimeType));
  EXPECT_EQ(picture.width(), 400);
  EXPECT_EQ(picture.height(), 280);
  EXPECT_TRUE(mime->hasFormat("image/png"));
}

}  // namespace
