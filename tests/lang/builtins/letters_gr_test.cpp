// Built-ins of the letters G and R checked against independent values, the state a module run
// from inside a built-in leaves behind, and the getters that need the clipboard or fonts.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdlib>

#include <cmath>
#include <string>
#include <vector>

#include "editors/dropped_files_path.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "lang/builtins/clipboard_text.h"
#include "lang/builtins/command_bridge.h"
#include "lang/builtins/gauss_newton.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/modules.h"
#include "lang/stack.h"
#include "lang/stdlib/rotator_files.h"
#include "lang/stdlib/symmetric_line_image.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "platform/notification_center.h"
#include "support/test_home.h"

namespace {

class LettersGR : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(vkStartUp(), 1); }

  static std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

  // The numbers of the top-level variable `name`.
  static std::vector<double> values(const std::string& name) {
    int index = -1;
    if (!findVariable(name, &index)) return {};
    const VariableRecord& v = variableTable[index];
    const double* d = v.data.doubles();
    return std::vector<double>(d, d + static_cast<std::size_t>(v.msize) * v.nsize);
  }

  // Whether any record, at any level, carries `name`.
  static bool anyVariableNamed(const std::string& name) {
    for (const VariableRecord& v : variableTable)
      if (v.state != 0 && v.name == name) return true;
    return false;
  }
};

const char* kExpModel =
    "module ex(xs, ps, es) { return((ps * |1| |0|) * (2.718281828459045 ^ ((ps * |0| |1|) * xs))); }\n";

// The least-squares fit of a * exp(b x) by another way: for a fixed b the best a is a closed
// form, and b minimises the remaining one-dimensional sum by golden-section search.
void referenceExponentialFit(const std::vector<double>& x, const std::vector<double>& y, double* a,
                             double* b) {
  auto bestA = [&](double bb) {
    double num = 0, den = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      num += y[i] * std::exp(bb * x[i]);
      den += std::exp(2 * bb * x[i]);
    }
    return num / den;
  };
  auto sum = [&](double bb) {
    const double aa = bestA(bb);
    double s = 0;
    for (std::size_t i = 0; i < x.size(); ++i) s += std::pow(y[i] - aa * std::exp(bb * x[i]), 2);
    return s;
  };
  double lo = 0.0, hi = 1.0;
  const double g = (std::sqrt(5.0) - 1) / 2;
  for (int i = 0; i < 200; ++i) {
    const double m1 = hi - g * (hi - lo), m2 = lo + g * (hi - lo);
    if (sum(m1) < sum(m2))
      hi = m2;
    else
      lo = m1;
  }
  *b = (lo + hi) / 2;
  *a = bestA(*b);
}

TEST_F(LettersGR, GaussNewtonReachesTheLeastSquaresFitOfAnExponential) {
  const std::vector<double> x{0, 1, 2, 3, 4, 5};
  const std::vector<double> y{3.1, 4.4, 7.6, 11.9, 20.8, 32.5};
  double a = 0, b = 0;
  referenceExponentialFit(x, y, &a, &b);
  // Without damping from near the fit, with damping from farther away.
  for (const char* call :
       {"|3, 0.4|, |0.1, 0.1|, 0, |0.000000000001, 0|", "|1, 0.3|, |0.1, 0.1|, 0, |0.000000000001, 0.5|",
        "|5, 0.1|, |0.01, 0.01|, 0, |0.000000000001, 0.2|"}) {
    SCOPED_TRACE(call);
    EXPECT_EQ(run(std::string(kExpModel) +
                  "p = gauss_newton(|0| |1| |2| |3| |4| |5|, "
                  "|3.1| |4.4| |7.6| |11.9| |20.8| |32.5|, " +
                  call + ", \"ex\");"),
              ".OK.\n");
    const std::vector<double> p = values("p");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_NEAR(p[0], a, 1e-6);
    EXPECT_NEAR(p[1], b, 1e-7);
  }
}

TEST_F(LettersGR, GaussNewtonFitsALineInItsFirstStep) {
  // Closed form of the least-squares line through five points.
  const double xs[] = {1, 2, 3, 4, 5}, ys[] = {2.1, 3.9, 6.2, 7.8, 10.1};
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (int i = 0; i < 5; ++i) {
    sx += xs[i];
    sy += ys[i];
    sxx += xs[i] * xs[i];
    sxy += xs[i] * ys[i];
  }
  const double slope = (5 * sxy - sx * sy) / (5 * sxx - sx * sx);
  const double intercept = (sy - slope * sx) / 5;
  EXPECT_EQ(
      run("module lin(xs, ps, es) { return((ps * |1| |0|) * xs + (ps * |0| |1|)); }\n"
          "p = gauss_newton(|1| |2| |3| |4| |5|, |2.1| |3.9| |6.2| |7.8| |10.1|, |1, 0|, |0.1, 0.1|, 0, "
          "|0.000000001, 0|, \"lin\");"),
      ".OK.\n");
  const std::vector<double> p = values("p");
  ASSERT_EQ(p.size(), 2u);
  EXPECT_NEAR(p[0], slope, 1e-12);
  EXPECT_NEAR(p[1], intercept, 1e-12);
}

TEST_F(LettersGR, ModuleRunsLeaveNoVariablesAndTheLevelAsItWas) {
  const std::string lin = "module lin(xs, ps, es) { return((ps * |1| |0|) * xs + (ps * |0| |1|)); }\n";
  const std::string call = "(|1| |2| |3|, |2| |4| |6|, |1, 0|, |0.1, 0.1|, 0, |0.000001, 0|, ";
  const std::vector<std::string> programs{
      lin + "gauss_newton" + call + "\"lin\");",
      "module row(xs, ps, es) { return(|1, 2, 3|); } gauss_newton" + call + "\"row\");",
      "module bad(xs, ps, es) { return(q); } gauss_newton" + call + "\"bad\");",
      "module none(xs, ps, es) { xs; } gauss_newton" + call + "\"none\");",
      "module flat(xs, ps, es) { return(xs * 0 + (ps * |1| |0|)); } gauss_newton" + call + "\"flat\");",
      "module gg(xs, ps, es) { return(gauss_newton(xs, es, ps, |0.1|, es, |0.001, 0|, \"gg\")); }"
      " gauss_newton(|1| |2|, |3| |5|, |1|, |0.1|, |3| |5|, |0.001, 0|, \"gg\");",
      "module fy(xs, ys, ps) { return(ys); } rkg_4(|0, 1, 0.1|, |1|, |0|, \"fy\");",
      "module fy(xs, ys, ps) { return(ys); } rkg_4(0.1, 0, |1, 2|, |0|, \"fy\");",
      "module two(xs, ys, ps) { return(|1, 2|); } rkg_4(|0, 1, 0.1|, |1|, 0, \"two\");",
      "module broken(xs, ys, ps) { return(q); } rkg_4(|0, 1, 0.1|, |1|, 0, \"broken\");",
  };
  for (const std::string& program : programs) {
    SCOPED_TRACE(program);
    run(program);
    EXPECT_EQ(vk_level, 0);
    for (const char* name : {"xs", "ys", "ps", "es"}) EXPECT_FALSE(anyVariableNamed(name)) << name;
  }
}

TEST_F(LettersGR, RungeKuttaGillFollowsClosedForms) {
  // y' = y from 1: e at x = 1 (the tenth step).
  EXPECT_EQ(run("module fy(xs, ys, ps) { return(ys); } a = rkg_4(|0, 1, 0.1|, |1|, |0|, \"fy\");"), ".OK.\n");
  std::vector<double> a = values("a");
  ASSERT_EQ(a.size(), 24u);
  EXPECT_NEAR(a[20], 1.0, 1e-12);
  EXPECT_NEAR(a[21], std::exp(1.0), 1e-5);
  EXPECT_GT(a[22], 1.0);  // the last row starts past x end
  // y1'' = -k y1 with k = 4 from (1, 0): (cos 2x, -2 sin 2x); Gill's method is of order 4.
  EXPECT_EQ(run("module osc(xs, ys, ps) { return(ys * (|0, 0| |1, 0| - ps * |0, 1| |0, 0|)); }"
                "a = rkg_4(|0, 2, 0.01|, |1, 0|, |4|, \"osc\");"),
            ".OK.\n");
  a = values("a");
  ASSERT_GE(a.size(), 3u * 201);
  for (std::size_t r = 0; r < a.size() / 3; ++r) {
    const double x = a[3 * r];
    EXPECT_NEAR(a[3 * r + 1], std::cos(2 * x), 1e-8) << x;
    EXPECT_NEAR(a[3 * r + 2], -2 * std::sin(2 * x), 2e-8) << x;
  }
}

TEST_F(LettersGR, SymmetricLineImageMirrorsAboutALine) {
  const std::vector<double> image{1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::vector<double> out(9, -1);
  const double same[4] = {1, 1, 1, 1};
  EXPECT_EQ(DoSymmetricLineImage(image.data(), 3, 3, same, out.data()), 0);
  EXPECT_EQ(out, std::vector<double>(9, -1));  // nothing written
  const double vertical[4] = {1, 0, 1, 1};
  ASSERT_EQ(DoSymmetricLineImage(image.data(), 3, 3, vertical, out.data()), 1);
  EXPECT_EQ(out, (std::vector<double>{0, 2, 1, 0, 5, 4, 0, 0, 0}));
  // About the diagonal y = x the interior is the transpose.
  std::vector<double> big(20 * 20), mirrored(20 * 20);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = std::sin(0.37 * i) * 10;
  const double diagonal[4] = {0, 0, 5, 5};
  ASSERT_EQ(DoSymmetricLineImage(big.data(), 20, 20, diagonal, mirrored.data()), 1);
  for (int i = 0; i < 19; ++i)
    for (int j = 0; j < 19; ++j) EXPECT_NEAR(mirrored[i * 20 + j], big[j * 20 + i], 1e-9);
}

TEST_F(LettersGR, ClipboardGettersReadTextNumbersAndPictures) {
  ASSERT_TRUE(pravella::builtins::putTextOnClipboard("1\t2\n3\t4\n"));
  EXPECT_EQ(run("getClipText(0);"), "1\t2\n3\t4\n\n.OK.\n");
  EXPECT_EQ(run("getClipData(0);"), "    1.0000     2.0000\n    3.0000     4.0000\n.OK.\n");
  EXPECT_EQ(run("getClipPict(0);"), "...<Error>...No Picture in ClipBoard\n.NO.\n");
  QImage image(7, 5, QImage::Format_ARGB32);
  image.fill(Qt::red);
  ASSERT_EQ(DoCopyPictureToScrap(pravella::Picture::fromImage(image).bytes()), 1);
  EXPECT_EQ(run("p# = getClipPict(0); getPictSize(p#);"), "    7.0000     5.0000\n.OK.\n");
  EXPECT_EQ(run("getClipText(0);"), "...<Error>...No Text in ClipBoard\n.NO.\n");
}

TEST_F(LettersGR, TextDrawSizeMeasuresWithTheFont) {
  ASSERT_EQ(run("a = getTextDrawSize(\"abc\", \"Geneva\", 12, 0); b = getTextDrawSize(\"abcabc\", "
                "\"Geneva\", 12, 0);"
                "c = getTextDrawSize(\"abc\", \"Geneva\", 24, 0);"),
            ".OK.\n");
  const std::vector<double> a = values("a"), b = values("b"), c = values("c");
  ASSERT_EQ(a.size(), 4u);
  EXPECT_GT(a[0], 0);
  EXPECT_NEAR(b[0], 2 * a[0], 2);
  EXPECT_EQ(a[1], a[2] + a[3]);
  EXPECT_GT(a[2], 0);
  EXPECT_GT(c[1], a[1]);
}

TEST_F(LettersGR, DroppedPathsAndLongWords) {
  setDragedFilePathString("/tmp/a.txt\n/tmp/b.txt\n");
  EXPECT_EQ(run("getDropedFilesPathOnAmMode(0);"), "/tmp/a.txt\n/tmp/b.txt\n\n.OK.\n");
  setDragedFilePathString("");
  // A word of 256 bytes cannot be written as a literal; it comes in through a variable.
  int index = 0;
  const std::string word(256, 'w');
  ASSERT_EQ(setNewVariable("w$", kVarString, &index), 1);
  ASSERT_EQ(PushToVariableTable(index, "w$", kVarString, word.c_str(), 256, 0), 1);
  EXPECT_EQ(run("getString(\"text\", w$, \"end\");"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("getString(w$, \"w\", \"end\");"), "\n.OK.\n");
}

TEST_F(LettersGR, RotaterWritesAxisRowsAndPointsAndOpensTheFile) {
  const QString home = pravella::test::home();
  vkDataPathString = (home + "/vkData").toStdString();
  const QString bin = home + "/bin";
  QDir().mkpath(bin);
  const QString log = home + "/opened.txt";
  QFile fake(bin + "/xdg-open");
  ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
  fake.write(("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log + "'\n").toUtf8());
  fake.close();
  fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const std::string savedPath = std::getenv("PATH");
  setenv("PATH", (bin.toStdString() + ":" + savedPath).c_str(), 1);
  auto read = [](const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
  };
  // Axis rows carry the colour code, points of mode 0 its negative.
  auto code = [](double index) { return std::to_string(rotatorColorCode(index)); };
  auto point = [](double index) { return std::to_string(-rotatorColorCode(index)); };

  const long first = rotNumber;
  EXPECT_EQ(run("rotaterAxis(|0, 0, 0, 1|); rotater(|1, 2|, |3, 4|, |5, 6|, -2.7, 0);"), ".OK.\n");
  EXPECT_EQ(read(pravella::rotatorFilePath(first)),
            "0\t0\t0\t" + code(1) + "\n1\t3\t5\t" + point(2) + "\n2\t4\t6\t" + point(2) + "\n");
  // Any other value clears the axis rows; a matrix gives each point its colour.
  EXPECT_EQ(run("rotaterAxis(\"none\"); rotater(|1, 2|, |3, 4|, |5, 6|, |3, 4.9|, 0);"), ".OK.\n");
  EXPECT_EQ(read(pravella::rotatorFilePath(first + 1)),
            "1\t3\t5\t" + point(3) + "\n2\t4\t6\t" + point(4) + "\n");
  EXPECT_EQ(read(log.toStdString()),
            pravella::rotatorFilePath(first) + "\n" + pravella::rotatorFilePath(first + 1) + "\n");
  // Too few colours for the points, and shapes that differ, are refused before any file.
  EXPECT_EQ(run("rotater(|1, 2|, |3, 4|, |5, 6|, |3, 4, 5|, 0);"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("rotater(|1, 2|, |3, 4|, |5|, 1, 0);"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(rotNumber, first + 2);
  setenv("PATH", savedPath.c_str(), 1);
  SetRotaterData(nullptr, 0, 0);
}

TEST_F(LettersGR, FilesAreReadByteRangesAndRenamed) {
  const std::string dir = pravella::test::home().toStdString();
  {
    QFile f(QString::fromStdString(dir + "/digits.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0123456789");
  }
  EXPECT_EQ(run("getStringFromFile(\"" + dir + "/digits.txt\", |2, 5|);"), "234\n.OK.\n");
  EXPECT_EQ(run("getStringFromFile(\"" + dir + "/digits.txt\", |8, 20|);"), "89\n.OK.\n");
  EXPECT_EQ(run("rename(\"" + dir + "/digits.txt\", \"" + dir + "/moved.txt\");"), ".OK.\n");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/digits.txt")));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(dir + "/moved.txt")));
  // Nothing is overwritten.
  {
    QFile f(QString::fromStdString(dir + "/other.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(run("rename(\"" + dir + "/moved.txt\", \"" + dir + "/other.txt\");"),
            "...<Error>...Can not rename pathname\n.NO.\n");
}

TEST_F(LettersGR, RunHandsItsTextToTheMemoViewAndFailsWhenItFails) {
  auto& center = pravella::NotificationCenter::defaultCenter();
  QString received;
  bool refuse = false;
  const pravella::ObserverId id = center.addObserver(
      "calculationOnRunFunction", nullptr,
      [&](pravella::Notification& n) {
        received = n.text;
        if (refuse) pv_ErrorCheck = 1;
      },
      pravella::Delivery::PostingThread);
  EXPECT_EQ(run("run(\"a = 1 + 1;\"); 5;"), "    5.0000\n.OK.\n");
  EXPECT_EQ(received, "a = 1 + 1;");
  refuse = true;
  EXPECT_EQ(run("run(\"b = 2;\"); 5;"), ".NO.\n");
  EXPECT_EQ(received, "b = 2;");
  center.removeObserver(id);
}

TEST_F(LettersGR, HoldingTheButtonEndsAFitAndRestoresTheLevel) {
  ASSERT_EQ(run("module lin(xs, ps, es) { return((ps * |1| |0|) * xs + (ps * |0| |1|)); }"), ".OK.\n");
  int module = -1;
  ASSERT_EQ(findModule("lin", &module), 1);
  const double x[] = {1, 2, 3}, y[] = {2, 4, 6}, extra[] = {0};
  double params[] = {1, 0}, delta[] = {0.1, 0.1}, out[2] = {};
  VkCalcStack stack(kCalcStackSize);
  int sp = 0;
  ResultString.clear();
  vkButtonDownSinceMs.store(vkSteadyMillis() - 5000);
  const int ok = Do_Gauss_Newton_2(x, 3, 1, y, 3, 1, params, delta, 1, 2, extra, 1, 1, 1e-9, 0, module, out,
                                   stack.data(), &sp);
  vkButtonDownSinceMs.store(0);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(ResultString, "...<Error>...Button_Press\n");
  EXPECT_EQ(vk_level, 0);
  EXPECT_EQ(sp, 0);
  // Released, the same fit goes through.
  ResultString.clear();
  ASSERT_EQ(Do_Gauss_Newton_2(x, 3, 1, y, 3, 1, params, delta, 1, 2, extra, 1, 1, 1e-9, 0, module, out,
                              stack.data(), &sp),
            1);
  EXPECT_NEAR(out[0], 2, 1e-9);
  EXPECT_NEAR(out[1], 0, 1e-9);
  EXPECT_EQ(sp, 0);
  EXPECT_FALSE(anyVariableNamed("xs"));
}

}  // namespace
