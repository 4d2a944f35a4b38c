#pragma once
// The layer rules of the source tree, read from cmake/layers.txt (the table the build makes its
// libraries from), and the check of every #include "..." against them.

#include <filesystem>
#include <string>
#include <vector>

namespace pravella::layers {

struct Row {
  std::string name;                  // the library, "pravella_lang"
  int layer = 0;                     // 1 platform ... 6 programs
  std::vector<std::string> folders;  // under src/, "lang/builtins"
};

struct Table {
  std::vector<Row> rows;                       // bottom up
  std::vector<std::string> layer3CoreHeaders;  // what layer 3 may include of the language core
  std::vector<std::string> loadableModules;    // rows built as shared modules opened at run time
};

// Reads the table; false with a reason in *error when a line is malformed or nothing is read.
bool readTable(const std::filesystem::path& file, Table& table, std::string* error);

// The index of the row of a file or header path under src/ ("lang/executor.cpp"): the row of
// the longest folder that holds it; -1 when no folder does.
int rowOf(const Table& table, const std::string& path);

// Every breach of the rules in the tree under `src`, one line each, naming the file and what it
// includes: a file in no row's folder, an include of a header of a later row (a higher layer,
// or within layer 3 a library listed after the includer's), and an include by layer 3 of a
// language-core header outside its list, and an include of a loadable module's header from
// outside that module (the others reach it through its seam's function table). Includes of headers that are not in the tree (Qt,
// generated files) are not the rules' concern.
std::vector<std::string> checkTree(const Table& table, const std::filesystem::path& src);

}  // namespace pravella::layers
