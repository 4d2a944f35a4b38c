#include "editors/gnuplot_block.h"

#include <gtest/gtest.h>

#include <cmath>

#include "editors/memo_run_settings.h"

namespace {

TEST(GnuplotScript, PngTerminalQuotedOutputAndLineFeeds) {
  EXPECT_EQ(
      pravella::gnuplotScript(QStringLiteral("#gnuplot\rplot x\r"), QStringLiteral("/home/o'neil/p.png"))
          .toStdString(),
      "set terminal pngcairo\nset output '/home/o''neil/p.png'\n#gnuplot\nplot x\n");
}

TEST(GnuplotScript, BlocksAreRecognisedByTheirFirstLine) {
  EXPECT_TRUE(pravella::isGnuplotBlock(QStringLiteral("#gnuplot\nplot x")));
  EXPECT_TRUE(pravella::isGnuplotBlock(QStringLiteral("# gnuplot")));
  EXPECT_TRUE(pravella::isGnuplotBlock(QStringLiteral("#\tgnuplot")));
  EXPECT_FALSE(pravella::isGnuplotBlock(QStringLiteral(" #gnuplot")));
  EXPECT_FALSE(pravella::isGnuplotBlock(QStringLiteral("#  gnuplot")));
}

TEST(GnuplotScript, ErrorTextKeepsLineBreaksAndBlanksOtherBytes) {
  EXPECT_EQ(pravella::cleanGnuplotErrors(QByteArray("bad\tline\r\n\x1b[0m\xe2\x80\x9c")).toStdString(),
            "bad line\r\n [0m   ");
}

TEST(MemoRunSettings, GnuplotPathAndPictureMode) {
  EXPECT_EQ(setGnuPlotPath("/opt/gp/bin/gnuplot"), 1);
  EXPECT_EQ(pravella::gnuplotPath(), "/opt/gp/bin/gnuplot");
  EXPECT_EQ(setGnuPlotPath(std::string(1024, 'a')), 0);
  EXPECT_EQ(pravella::gnuplotPath(), "/opt/gp/bin/gnuplot");
  EXPECT_EQ(setGnuPlotPath(std::string(1023, 'a')), 1);
  EXPECT_EQ(setGnuPlotPath(""), 1);
  EXPECT_EQ(pravella::gnuplotPath(), "/usr/local/bin/gnuplot");

  changeGraphInsertMode(0.0);
  EXPECT_EQ(graphOutPutMode.load(), 0);
  changeGraphInsertMode(std::nan(""));
  EXPECT_EQ(graphOutPutMode.load(), 1);
  changeGraphInsertMode(-0.0);
  EXPECT_EQ(graphOutPutMode.load(), 0);
  changeGraphInsertMode(2.0);
  EXPECT_EQ(graphOutPutMode.load(), 1);
}

}  // namespace
