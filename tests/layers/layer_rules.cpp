#include "layer_rules.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

namespace pravella::layers {

namespace fs = std::filesystem;

bool readTable(const fs::path& file, Table& table, std::string* error) {
  std::ifstream in(file);
  if (!in) {
    if (error) *error = "cannot read " + file.string();
    return false;
  }
  table = {};
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    std::istringstream words(line);
    std::string first;
    if (!(words >> first) || first[0] == '#') continue;
    if (first == "layer3-core-headers") {
      for (std::string h; words >> h;) table.layer3CoreHeaders.push_back(h);
      continue;
    }
    if (first == "loadable-modules") {
      for (std::string m; words >> m;) table.loadableModules.push_back(m);
      continue;
    }
    Row row;
    row.name = first;
    if (first.rfind("pravella_", 0) != 0 || !(words >> row.layer) || row.layer < 1 || row.layer > 6) {
      if (error) *error = file.string() + ":" + std::to_string(number) + ": not a row: " + line;
      return false;
    }
    for (std::string f; words >> f;) row.folders.push_back(f);
    if (row.folders.empty()) {
      if (error) *error = file.string() + ":" + std::to_string(number) + ": a row without folders";
      return false;
    }
    table.rows.push_back(std::move(row));
  }
  if (table.rows.empty()) {
    if (error) *error = file.string() + " lists no rows";
    return false;
  }
  for (const std::string& m : table.loadableModules) {
    const bool known = std::any_of(table.rows.begin(), table.rows.end(), [&](const Row& r) { return r.name == m; });
    if (!known) {
      if (error) *error = file.string() + ": loadable module " + m + " is no row";
      return false;
    }
  }
  return true;
}

int rowOf(const Table& table, const std::string& path) {
  int best = -1;
  std::size_t bestLength = 0;
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    for (const std::string& folder : table.rows[r].folders) {
      const std::string prefix = folder + "/";
      if (path.rfind(prefix, 0) == 0 && prefix.size() > bestLength) {
        best = static_cast<int>(r);
        bestLength = prefix.size();
      }
    }
  }
  return best;
}

namespace {

bool isSource(const fs::path& p) { return p.extension() == ".cpp" || p.extension() == ".h"; }

std::string describe(const Row& row) { return row.name + " (layer " + std::to_string(row.layer) + ")"; }

// The breach, if any, of `file` (row `from`) including `header` (row `to`), both under src/.
std::string breach(const Table& table, const std::string& file, int from, const std::string& header, int to) {
  const Row& a = table.rows[static_cast<std::size_t>(from)];
  const Row& b = table.rows[static_cast<std::size_t>(to)];
  const std::string what = "src/" + file + " includes " + header + ": ";
  const auto& modules = table.loadableModules;
  if (from != to && std::find(modules.begin(), modules.end(), b.name) != modules.end())
    return what + b.name + " is a loadable module: reach it through its seam's function table";
  if (b.layer > a.layer) return what + describe(a) + " may not use " + describe(b);
  if (to > from)
    return what + a.name + " may use only the libraries listed before it in cmake/layers.txt, not " + b.name;
  if (a.layer == 3 && b.layer == 2) {
    const auto& allowed = table.layer3CoreHeaders;
    if (std::find(allowed.begin(), allowed.end(), header) == allowed.end())
      return what + "the subsystem libraries use of the language core only what layer3-core-headers lists";
  }
  return {};
}

}  // namespace

std::vector<std::string> checkTree(const Table& table, const fs::path& src) {
  static const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(src))
    if (entry.is_regular_file() && isSource(entry.path()))
      files.push_back(entry.path().lexically_relative(src).generic_string());
  std::sort(files.begin(), files.end());

  std::vector<std::string> breaches;
  for (const std::string& file : files) {
    const int from = rowOf(table, file);
    if (from < 0) {
      breaches.push_back("src/" + file + " lies in no folder of cmake/layers.txt");
      continue;
    }
    std::ifstream in(src / file);
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
      if (!std::regex_search(line, m, include)) continue;
      // Project headers are named from src/; a bare name is one beside the file.
      std::string header = m[1].str();
      if (!fs::exists(src / header)) {
        const fs::path beside = (fs::path(file).parent_path() / header).lexically_normal();
        if (!fs::exists(src / beside)) continue;
        header = beside.generic_string();
      }
      const int to = rowOf(table, header);
      if (to < 0) continue;  // reported as a file of its own
      if (std::string b = breach(table, file, from, header, to); !b.empty()) breaches.push_back(std::move(b));
    }
  }
  return breaches;
}

}  // namespace pravella::layers
