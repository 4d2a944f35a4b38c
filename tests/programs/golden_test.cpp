// Runs the golden language cases of tests/programs/*.case (format: README.md here).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <QDir>

#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/values.h"

namespace {

namespace fs = std::filesystem;

struct GoldenCase {
  std::string name;
  int line = 0;
  std::string program;
  std::string expected;
};

std::vector<std::string> caseFiles() {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(fs::path(PRAVELLA_TEST_DATA_DIR) / "programs")) {
    if (entry.path().extension() == ".case") files.push_back(entry.path().stem().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<GoldenCase> readCases(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<GoldenCase> cases;
  std::string line;
  int number = 0;
  bool inProgram = false;
  std::vector<std::string> program, expected;
  auto finish = [&] {
    if (cases.empty()) return;
    GoldenCase& c = cases.back();
    for (std::size_t i = 0; i < program.size(); ++i) c.program += (i ? "\n" : "") + program[i];
    while (!expected.empty() && expected.back().empty()) expected.pop_back();
    for (const std::string& e : expected) c.expected += e + "\n";
    program.clear();
    expected.clear();
  };
  while (std::getline(in, line)) {
    ++number;
    if (line.rfind("=== ", 0) == 0) {
      finish();
      cases.push_back({line.substr(4), number, {}, {}});
      inProgram = true;
    } else if (cases.empty()) {
      continue;
    } else if (inProgram && line == "---") {
      inProgram = false;
    } else {
      (inProgram ? program : expected).push_back(line);
    }
  }
  finish();
  return cases;
}

class Golden : public testing::TestWithParam<std::string> {};

TEST_P(Golden, CasesGiveTheirExpectedOutput) {
  const fs::path file = fs::path(PRAVELLA_TEST_DATA_DIR) / "programs" / (GetParam() + ".case");
  const std::vector<GoldenCase> cases = readCases(file);
  ASSERT_FALSE(cases.empty()) << file << " holds no case";
  for (const GoldenCase& c : cases) {
    // A fresh language (start-up sets every setting a program can change back to its first
    // value), working in this file's own fresh home, so that a case can write and read files
    // there and no case depends on what an earlier one left.
    ASSERT_EQ(vkStartUp(), 1);
    current_fullPath = QDir::homePath().toStdString();
    const std::string got = pravella::runVkProgram(c.program).output();
    EXPECT_EQ(got, c.expected) << file.filename().string() << ":" << c.line << " case \"" << c.name
                               << "\"\n--- program:\n"
                               << c.program << "\n--- expected:\n"
                               << c.expected << "--- got:\n"
                               << got;
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, Golden, testing::ValuesIn(caseFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace_if(
                               name.begin(), name.end(),
                               [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
                           return name;
                         });

}  // namespace
