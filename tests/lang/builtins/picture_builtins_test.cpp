// The picture operators and built-ins on the language's value stack.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include "graphics/graph_title.h"
#include "graphics/picture.h"
#include "graphics/picture_files.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/builtins/startup.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "support/test_home.h"

namespace pravella {
namespace {

class PictureBuiltins : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    stack.resize(kCalcStackSize);
    ResultString.clear();
    current_fullPath = test::home().toStdString();
    vkDataPathString = (test::home() + "/vkData").toStdString();
    QDir().mkpath(QString::fromStdString(vkDataPathString));
    OpeMode = 32;
    quality = 512;
  }
  void pushPicture(int w, int h, QRgb fill) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    const QByteArray b = Picture::fromImage(image).bytes();
    ASSERT_EQ(PushToStack(stack.data(), &sp, b.constData(), kValuePicture, static_cast<int>(b.size()), 0), 1);
  }
  void pushReals(std::vector<double> v, int rows, int columns) {
    ASSERT_EQ(PushToStack(stack.data(), &sp, v.data(), kValueReal, rows, columns), 1);
  }
  void pushText(const std::string& s) {
    ASSERT_EQ(PushToStack(stack.data(), &sp, s.c_str(), kValueString, static_cast<int>(s.size()), 0), 1);
  }
  Picture top() const {
    EXPECT_EQ(stack[sp - 1].type, kValuePicture);
    return Picture(QByteArray(reinterpret_cast<const char*>(stack[sp - 1].data.data()), stack[sp - 1].msize));
  }
  QRgb topPixel(int x, int y) const { return top().toImageOnWhite().pixel(x, y); }
  VkCalcStack stack;
  int sp = 0;
};

TEST_F(PictureBuiltins, OperatorsWithAColourOrAnotherPicture) {
  pushPicture(2, 2, qRgb(100, 100, 100));
  pushReals({10, 0, 0}, 1, 3);
  ASSERT_EQ(vkPictureOperator("+", stack.data(), &sp), 1);
  ASSERT_EQ(sp, 1);
  EXPECT_EQ(topPixel(1, 1), qRgb(110, 100, 100));
  pushReals({0, 150, 0}, 1, 3);
  ASSERT_EQ(vkPictureOperator("-", stack.data(), &sp), 1);
  EXPECT_EQ(topPixel(0, 0), qRgb(110, 0, 100));
  pushReals({2}, 1, 1);
  ASSERT_EQ(vkPictureOperator("/", stack.data(), &sp), 1);
  EXPECT_EQ(topPixel(0, 0), qRgb(55, 0, 50));
  pushPicture(3, 1, qRgb(1, 2, 3));
  ASSERT_EQ(vkPictureOperator("*", stack.data(), &sp), 1);  // side by side
  EXPECT_EQ(top().frame().size(), QSize(5, 2));
  EXPECT_EQ(topPixel(2, 0), qRgb(1, 2, 3));
  EXPECT_EQ(topPixel(0, 0), qRgb(55, 0, 50));
  pushPicture(1, 3, qRgb(9, 9, 9));
  ASSERT_EQ(vkPictureOperator("/", stack.data(), &sp), 1);  // one above the other
  EXPECT_EQ(top().frame().size(), QSize(5, 5));
  EXPECT_EQ(topPixel(0, 4), qRgb(9, 9, 9));
  ASSERT_EQ(vkPictureOperator("'", stack.data(), &sp), 1);
  EXPECT_EQ(top().frame().size(), QSize(5, 5));
  EXPECT_EQ(topPixel(4, 0), qRgb(9, 9, 9));
  EXPECT_EQ(ResultString, "");
}

TEST_F(PictureBuiltins, OperatorRefusals) {
  struct Case {
    const char* op;
    std::vector<double> right;
    int rows, columns;
    const char* message;
  } cases[] = {
      {"+", {1, 2}, 1, 2, "Invalid data structure."},
      {"*", {1, 2, 3, 4}, 2, 2, "Invalid data structure."},
      {"x", {1}, 1, 1, "Invalid data type."},
      {"%", {1}, 1, 1, "Invalid data type."},
  };
  for (const Case& c : cases) {
    ResultString.clear();
    sp = 0;
    pushPicture(2, 2, qRgb(1, 1, 1));
    pushReals(c.right, c.rows, c.columns);
    EXPECT_EQ(vkPictureOperator(c.op, stack.data(), &sp), 0) << c.op;
    EXPECT_EQ(sp, 0);
    EXPECT_EQ(ResultString, std::string("...<Error>...") + c.message + "\n") << c.op;
  }
  ResultString.clear();
  pushPicture(2, 2, qRgb(1, 1, 1));
  pushPicture(3, 2, qRgb(1, 1, 1));
  EXPECT_EQ(vkPictureOperator("+", stack.data(), &sp), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid Picture Size\n");
  sp = 0;
  pushReals({1}, 1, 1);
  pushReals({1}, 1, 1);
  EXPECT_EQ(vkPictureOperator("+", stack.data(), &sp), -1);  // not a picture case
  EXPECT_EQ(sp, 2);
}

TEST_F(PictureBuiltins, PixelBuiltinsAndSize) {
  pushPicture(3, 2, qRgb(10, 20, 30));
  ASSERT_EQ(vkPictureBuiltin("flipV", 1, stack.data(), &sp), 1);
  pushReals({1, 0, 0}, 1, 3);
  ASSERT_EQ(vkPictureBuiltin("smooth", 2, stack.data(), &sp), 1);
  ASSERT_EQ(vkPictureBuiltin("getPictSize", 1, stack.data(), &sp), 1);
  ASSERT_EQ(sp, 1);
  EXPECT_EQ(stack[0].type, kValueReal);
  EXPECT_EQ(stack[0].data.doubles()[0], 3);
  EXPECT_EQ(stack[0].data.doubles()[1], 2);
  sp = 0;
  pushReals({0, 1, 2, 3, 4, 5}, 2, 3);
  ASSERT_EQ(vkPictureBuiltin("densityPlot", 1, stack.data(), &sp), 1);
  EXPECT_EQ(top().frame().size(), QSize(3, 2));
  sp = 0;
  pushReals({1, 2}, 1, 2);
  EXPECT_EQ(vkPictureBuiltin("densityPlot", 1, stack.data(), &sp), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid arguments.\n");
  pushReals({1, 2}, 1, 2);
  EXPECT_EQ(vkPictureBuiltin("flipH", 1, stack.data(), &sp), -1);  // a matrix: not ours
}

TEST_F(PictureBuiltins, GraphTitleForms) {
  initTitle();
  pushReals({2}, 1, 1);
  pushText("Title");
  pushReals({5, 20}, 1, 2);
  pushText("red");
  pushText("Monaco");
  pushReals({14}, 1, 1);
  ASSERT_EQ(vkPictureBuiltin("graphTitle", 6, stack.data(), &sp), 1);
  EXPECT_EQ(sp, 0);
  EXPECT_EQ(graphTitle[2], "Title");
  EXPECT_EQ(graphTitleColor[2], "red");
  EXPECT_EQ(TitleFont[2], "Monaco");
  EXPECT_EQ(TitleFontSize[2], 14);
  EXPECT_EQ(graphTitleYpos[2], 20);
  pushReals({2}, 1, 1);
  pushText("Again");
  pushReals({1, 1}, 1, 2);
  ASSERT_EQ(vkPictureBuiltin("graphTitle", 3, stack.data(), &sp), 1);
  EXPECT_EQ(TitleFont[2], "Monaco");  // kept
  EXPECT_EQ(TitleFontSize[2], 9);
  EXPECT_EQ(graphTitleColor[2], "black");
  pushReals({-1}, 1, 1);
  pushText("x");
  pushReals({1, 1}, 1, 2);
  EXPECT_EQ(vkPictureBuiltin("graphTitle", 3, stack.data(), &sp), 0);
  EXPECT_EQ(sp, 0);
  initTitle();
}

TEST_F(PictureBuiltins, SavesLoadAndSettings) {
  pushReals({0}, 1, 1);
  EXPECT_EQ(vkPictureBuiltin("setJpegQuality", 1, stack.data(), &sp), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid value.\n");
  EXPECT_EQ(quality, 512);
  pushPicture(40, 30, qRgb(200, 10, 10));
  pushText("p.jpg");
  ASSERT_EQ(vkPictureBuiltin("saveJPEG", 2, stack.data(), &sp), 1);
  pushPicture(41, 31, qRgb(200, 10, 10));
  pushText("p.pict");
  ASSERT_EQ(vkPictureBuiltin("save", 2, stack.data(), &sp), 1);
  for (const char* file : {"p.jpg", "p.pict"}) {
    pushText(file);
    ASSERT_EQ(vkPictureBuiltin("loadPicture", 1, stack.data(), &sp), 1) << file;
  }
  EXPECT_EQ(top().frame().size(), QSize(41, 31));
  sp -= 1;
  EXPECT_EQ(top().frame().size(), QSize(40, 30));
  const QRgb p = topPixel(20, 15);
  EXPECT_NEAR(qRed(p), 200, 8);
  sp = 0;
  ResultString.clear();
  pushPicture(4, 4, qRgb(0, 0, 0));
  pushText("");
  EXPECT_EQ(vkPictureBuiltin("save", 2, stack.data(), &sp), 0);
  EXPECT_EQ(ResultString, "...<Error>...Need saveFileName\n");
  ResultString.clear();
  pushPicture(4, 4, qRgb(0, 0, 0));
  pushText(std::string(256, 'a'));
  EXPECT_EQ(vkPictureBuiltin("saveJPEG", 2, stack.data(), &sp), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid file name.\n");
}

TEST_F(PictureBuiltins, ColourBuiltins) {
  pushText("blue");
  ASSERT_EQ(vkPictureBuiltin("popRGBColor", 1, stack.data(), &sp), 1);
  EXPECT_EQ(stack[0].msize, 256);
  EXPECT_EQ(stack[0].nsize, 3);
  EXPECT_EQ(stack[0].data.doubles()[3 * 9 + 2], 9);
  sp = 0;
  pushReals({9}, 1, 1);
  EXPECT_EQ(vkPictureBuiltin("popRGBColor", 1, stack.data(), &sp), 0);
  EXPECT_EQ(ResultString, "...<Error>...No defined color number !\n");
  pushText("noSuchColour");
  ASSERT_EQ(vkPictureBuiltin("unixColor", 1, stack.data(), &sp), 1);
  EXPECT_EQ(stack[0].data.doubles()[1], 128);
}

TEST_F(PictureBuiltins, PastePictWithPathWritesANumberedJpegWithItsComment) {
  QString pasted;
  const ObserverId id = NotificationCenter::defaultCenter().addObserver(
      "pastePictureToDocument", nullptr, [&](Notification& n) { pasted = n.text; }, Delivery::PostingThread);
  pushPicture(8, 8, qRgb(0, 128, 0));
  pushText("my comment");
  ASSERT_EQ(vkPictureBuiltin("pastePictWithPath", 2, stack.data(), &sp), 1);
  NotificationCenter::defaultCenter().removeObserver(id);
  ASSERT_FALSE(pasted.isEmpty());
  EXPECT_TRUE(pasted.endsWith(".jpg"));
  EXPECT_TRUE(pasted.contains("/tempPict"));
  QFile file(pasted);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray data = file.readAll();
  EXPECT_TRUE(data.contains("my comment"));
  EXPECT_EQ(QImage::fromData(data).size(), QSize(8, 8));
}

}  // namespace
}  // namespace pravella
