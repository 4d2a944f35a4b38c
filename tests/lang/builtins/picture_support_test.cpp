// The picture cases of the language: a picture assigned to a real variable, the program
// variable "RGB" seen by the density plot, errors reaching the result text, and a displayed
// picture going to the clipboard.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>

#include "graphics/graphics_hooks.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "graphics/pixel_ops.h"
#include "lang/builtins/startup.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "lang/variables.h"

namespace pravella {
namespace {

class PictureLanguage : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    stack.resize(kCalcStackSize);
    ResultString.clear();
  }
  int assignReal(const std::string& name) {
    std::vector<vk_Code> code(2);
    code[0].kind = kCodeNumVariable;
    code[0].name = name;
    code[1].kind = kCodeOperator;
    code[1].name = "=";
    int pc = 0;
    return DoNumVariable(2, code.data(), &pc, stack.data(), &sp);
  }
  int readReal(const std::string& name) {
    std::vector<vk_Code> code(1);
    code[0].kind = kCodeNumVariable;
    code[0].name = name;
    int pc = 0;
    return DoNumVariable(1, code.data(), &pc, stack.data(), &sp);
  }
  int pushPicture(const QByteArray& bytes) {
    return PushToStack(stack.data(), &sp, bytes.constData(), kValuePicture, static_cast<int>(bytes.size()), 0);
  }
  VkCalcStack stack;
  int sp = 0;
};

TEST_F(PictureLanguage, PictureAssignedToARealVariableGivesItsPixelSums) {
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(qRgb(255, 255, 255));
  image.setPixel(2, 1, qRgb(10, 20, 30));
  ASSERT_EQ(pushPicture(Picture::fromImage(image).bytes()), 1);
  ASSERT_EQ(assignReal("m"), 1);
  EXPECT_EQ(sp, 0);
  ASSERT_EQ(readReal("m"), 1);
  ASSERT_EQ(stack[0].type, kValueReal);
  EXPECT_EQ(stack[0].msize, 2);
  EXPECT_EQ(stack[0].nsize, 3);
  EXPECT_EQ(stack[0].data.doubles()[0], 765.0);
  EXPECT_EQ(stack[0].data.doubles()[5], 60.0);
  sp = 0;
  ASSERT_EQ(pushPicture(QByteArray("not a picture")), 1);
  EXPECT_EQ(assignReal("m"), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid PICT.\n");
}

TEST_F(PictureLanguage, ProgramVariableRGBColoursTheDensityPlot) {
  std::vector<double> table(768, 0.0);
  table[0] = 7;  // row 0: (7, 8, 9)
  table[1] = 8;
  table[2] = 9;
  ASSERT_EQ(PushToStack(stack.data(), &sp, table.data(), kValueReal, 256, 3), 1);
  ASSERT_EQ(assignReal("RGB"), 1);
  std::vector<double> m(4, 1.0);
  QByteArray out;
  ASSERT_EQ(DoDensityPlot(m.data(), 2, 2, 0, 0, out), 1);
  EXPECT_EQ(Picture(out).toImageOnWhite().pixel(0, 0), qRgb(7, 8, 9));
}

TEST_F(PictureLanguage, ErrorsGoToTheResultTextAndLimitFollowsTNumber) {
  const int saved = TNumber;
  TNumber = 1000;  // pictures up to 8,000 bytes, numbers up to 2,000 pixels
  QImage image(50, 50, QImage::Format_RGB32);
  image.fill(Qt::white);
  std::vector<std::int32_t> numbers;
  int rows = 0, columns = 0;
  EXPECT_EQ(DoGetPictNum(Picture::fromImage(image).bytes(), numbers, rows, columns, 1, 1, 1), 0);
  TNumber = saved;
  EXPECT_EQ(ResultString, "...<Error>...Too Big Picture\n");
}

TEST_F(PictureLanguage, DisplayedPictureGoesToTheClipboard) {
  QGuiApplication::clipboard()->clear();
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(qRgb(1, 2, 3));
  const QByteArray bytes = Picture::fromImage(image).bytes();
  ASSERT_EQ(DispData(bytes.constData(), kValuePicture, static_cast<int>(bytes.size()), 0), 1);
  EXPECT_EQ(ResultString, "");
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_EQ(mime->data(kPictureMimeType), bytes);
  EXPECT_TRUE(mime->hasFormat("image/png"));
}

}  // namespace
}  // namespace pravella

namespace pravella {
namespace {

TEST(PictureTool, HeadlessDriverDrawsTitledPictures) {
  // Titles need fonts: the headless driver must draw them, not abort.
  QProcess calc;
  calc.start(QStringLiteral(PRAVELLA_CALC_PATH), {QStringLiteral("-")});
  ASSERT_TRUE(calc.waitForStarted());
  calc.write("graphTitle(0, \"Title\", |1, 10|); p# = densityPlot(|0, 1| |1, 0|); getPictSize(p#); p#;");
  calc.closeWriteChannel();
  ASSERT_TRUE(calc.waitForFinished(60000));
  EXPECT_EQ(calc.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(calc.exitCode(), 0);
  EXPECT_EQ(calc.readAllStandardOutput().toStdString(), "    2.0000     2.0000\n.OK.\n");
}

}  // namespace
}  // namespace pravella
