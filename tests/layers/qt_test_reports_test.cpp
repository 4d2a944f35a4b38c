// The tests report to gtest only. QtTest's checking and waiting macros report to QtTest, which a
// gtest test never hears from: a failure there returns from the test body and the test passes.
// support/wait_for.h has the waits that fail the test.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kTests = fs::path(PRAVELLA_TEST_DATA_DIR);

bool reportsToQtTest(const std::string& line) {
  static const std::regex use(R"(\b(QTRY_\w+|QVERIFY\w*|QCOMPARE\w*|QFAIL|QSKIP|QEXPECT_FAIL|QTEST|)"
                              R"(QTest::q(Verify|Compare|Fail|Skip|ExpectFail)\w*)\s*\()");
  return std::regex_search(line, use);
}

}  // namespace

TEST(QtTestReports, AreRecognisedInEveryForm) {
  struct Case {
    const char* line;
    bool reports;
  };
  const Case cases[] = {
      {"  QTRY_VERIFY(done);", true},
      {"  QTRY_COMPARE_WITH_TIMEOUT (n, 3, 30000);", true},
      {"  QTRY_VERIFY2_WITH_TIMEOUT(ok, \"why\", 10);", true},
      {"if (x) QVERIFY(a);", true},
      {"QVERIFY2(a, b);", true},
      {"QVERIFY_THROWS_EXCEPTION(E, f());", true},
      {"QCOMPARE(a, b);", true},
      {"QCOMPARE_GT(a, b);", true},
      {"QFAIL(\"no\");", true},
      {"QSKIP(\"later\");", true},
      {"QEXPECT_FAIL(\"\", \"known\", Continue);", true},
      {"QTEST(value, \"column\");", true},
      {"QTest::qVerify(ok, \"ok\", \"\", __FILE__, __LINE__);", true},
      {"QTest::qCompare(a, b, \"a\", \"b\", __FILE__, __LINE__);", true},
      {"ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));", false},
      {"ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));", false},
      {"QTest::mouseClick(button, Qt::LeftButton);", false},
      {"// Qt's QTRY_ macros report to QtTest", false},
      {"MY_QVERIFY(x);", false},
      {"QTEST_MAIN(Suite)", false},
  };
  for (const Case& c : cases) EXPECT_EQ(reportsToQtTest(c.line), c.reports) << c.line;
}

TEST(QtTestReports, NoTestUsesThem) {
  std::vector<std::string> uses;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kTests)) {
    const fs::path& path = entry.path();
    if (!entry.is_regular_file() || (path.extension() != ".cpp" && path.extension() != ".h")) continue;
    if (path.filename() == fs::path(__FILE__).filename()) continue;  // its own table of cases
    std::ifstream in(path);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
      if (reportsToQtTest(line))
        uses.push_back(fs::relative(path, kTests).string() + ":" + std::to_string(number) + ": " + line);
  }
  std::string all;
  for (const std::string& use : uses) all += use + "\n";
  EXPECT_TRUE(uses.empty()) << "use support/wait_for.h or gtest's own checks instead:\n" << all;
}
