// The function manual's name list and the bracket test of memo look-ups.

#include "editors/function_manual.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "editors/link_brackets.h"
#include "platform/paths.h"

namespace {

using namespace pravella;

TEST(FunctionManual, MatchesCaseFoldedSubstrings) {
  const QStringList lines{"sin(x)",    "asin(x)",   "Sinh(x)", "cal_openManualSheet()",
                          "日本語(s)", "Straße(x)", "é(x)",    ""};
  struct Case {
    QString find;
    QStringList hits;
  };
  const Case cases[] = {
      {"sin", {"sin(x)", "asin(x)", "Sinh(x)"}},
      {"SIN(", {"sin(x)", "asin(x)"}},
      {"manual", {"cal_openManualSheet()"}},
      {"日本", {"日本語(s)"}},
      {"本", {"日本語(s)"}},
      {"STRAßE", {"Straße(x)"}},
      {"É", {"é(x)"}},
      {"ü", {}},  // an unmappable character matches only itself
      {"none", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(matchFunctionNames(lines, c.find), c.hits) << c.find.toStdString();
}

TEST(FunctionManual, TitlesAndManualNames) {
  struct Case {
    QString line, title, name;
  };
  const Case cases[] = {
      {"sin(x)", "sin(x)", "sin"},
      {"plot.vk", "plot", ""},
      {"a/b.c/d", "a/b.c/d", ""},
      {".profile", ".profile", ""},
      {"fit(x, 0.5)", "fit(x, 0", "fit"},
      {"cal_open(", "cal_open(", ""},  // a "(" at the end does not count
      {"(x)", "(x)", ""},
      {"name", "name", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(titleWithoutExtension(c.line), c.title) << c.line.toStdString();
    EXPECT_EQ(manualFunctionName(c.line), c.name) << c.line.toStdString();
  }
}

TEST(FunctionManual, ReadsTheListOrSaysItCannot) {
  EXPECT_FALSE(readFunctionNameList().has_value());
  QDir().mkpath(paths::diary() + "/Manual");
  QFile f(functionNameListPath());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("{\\rtf1 sin(x)\\par cos(x)}");
  f.close();
  EXPECT_EQ(readFunctionNameList(), (QStringList{"sin(x)", "cos(x)"}));
}

TEST(LinkBrackets, CaretInsideABracketPairOnOneLine) {
  const QString text = "see [2008/02/03/Trip] and [open\nx] end";
  struct Case {
    qsizetype caret;
    int inside;
  };
  const Case cases[] = {
      {text.indexOf("Trip"), 1},
      {text.indexOf("[2008"), 0},  // on a bracket itself: it stops the search its way
      {text.indexOf("] and"), 0},
      {text.indexOf("see"), 0},
      {text.indexOf("and"), 0},   // after a "]"
      {text.indexOf("open"), 0},  // the pair spans a line break
      {text.indexOf("x]"), 0},
      {text.size(), 0},  // the very end
      {-1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(checkDocumentLinkKakko(text, c.caret), c.inside) << c.caret;
}

}  // namespace
