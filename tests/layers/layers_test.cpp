// The source tree keeps its layers: every #include "..." in src/ is checked against the table
// the build makes its libraries from.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "layer_rules.h"

namespace fs = std::filesystem;
using namespace pravella::layers;

namespace {

const fs::path kRoot = fs::path(PRAVELLA_TEST_DATA_DIR).parent_path();

std::string joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += l + "\n";
  return all;
}

void write(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text;
}

}  // namespace

TEST(Layers, SourceTreeIncludesOnlyDownward) {
  Table table;
  std::string error;
  ASSERT_TRUE(readTable(kRoot / "cmake/layers.txt", table, &error)) << error;
  const std::vector<std::string> breaches = checkTree(table, kRoot / "src");
  EXPECT_TRUE(breaches.empty()) << joined(breaches);
}

TEST(Layers, TableRunsBottomUpWithEachFolderOnce) {
  Table table;
  std::string error;
  ASSERT_TRUE(readTable(kRoot / "cmake/layers.txt", table, &error)) << error;
  std::vector<std::string> folders;
  for (std::size_t r = 1; r < table.rows.size(); ++r)
    EXPECT_LE(table.rows[r - 1].layer, table.rows[r].layer)
        << table.rows[r].name << " stands above a higher layer";
  for (const Row& row : table.rows) folders.insert(folders.end(), row.folders.begin(), row.folders.end());
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(std::adjacent_find(folders.begin(), folders.end()), folders.end()) << "a folder in two rows";
  // The executor's seam is what lets the core build without the dispatchers.
  EXPECT_EQ(table.rows[static_cast<std::size_t>(rowOf(table, "lang/executor.cpp"))].layer, 2);
  EXPECT_EQ(table.rows[static_cast<std::size_t>(rowOf(table, "lang/builtins/dispatch.h"))].layer, 4);
  EXPECT_EQ(table.rows[static_cast<std::size_t>(rowOf(table, "graphics/ui/x.cpp"))].layer, 5);
}

// A small tree with one file of each kind of breach, and includes that are allowed.
TEST(Layers, CheckNamesEachWrongWayInclude) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const fs::path root = dir.path().toStdString();
  write(root / "layers.txt",
        "# row  layer  folders\n"
        "pravella_platform 1 platform\n"
        "pravella_lang 2 lang\n"
        "pravella_stdlib 3 lang/stdlib\n"
        "pravella_graphics 3 graphics\n"
        "pravella_bindings 4 lang/builtins\n"
        "pravella_gui 5 graphics/ui\n"
        "layer3-core-headers lang/values.h\n");
  const fs::path src = root / "src";
  write(src / "platform/files.h", "");
  write(src / "lang/values.h", "#include \"platform/files.h\"\n");
  write(src / "lang/stack.h", "#include \"values.h\"\n");
  write(src / "lang/executor.cpp", "#include \"lang/stack.h\"\n  #  include \"lang/builtins/dispatch.h\"\n");
  write(src / "lang/stdlib/stats.h",
        "#include \"lang/values.h\"\n#include <vector>\n#include \"moc_stats.cpp\"\n");
  write(src / "lang/stdlib/stats.cpp", "#include \"lang/stack.h\"\n#include \"graphics/plot.h\"\n");
  write(src / "graphics/plot.h", "#include \"lang/stdlib/stats.h\"\n");
  write(src / "lang/builtins/dispatch.h", "#include \"graphics/plot.h\"\n#include \"lang/stack.h\"\n");
  write(src / "graphics/ui/window.cpp", "#include \"lang/builtins/dispatch.h\"\n");
  write(src / "stray/odd.cpp", "");

  Table table;
  std::string error;
  ASSERT_TRUE(readTable(root / "layers.txt", table, &error)) << error;
  const std::vector<std::string> expected = {
      "src/lang/executor.cpp includes lang/builtins/dispatch.h: pravella_lang (layer 2) may not use "
      "pravella_bindings (layer 4)",
      "src/lang/stdlib/stats.cpp includes lang/stack.h: the subsystem libraries use of the language core "
      "only "
      "what layer3-core-headers lists",
      "src/lang/stdlib/stats.cpp includes graphics/plot.h: pravella_stdlib may use only the libraries listed "
      "before it in cmake/layers.txt, not pravella_graphics",
      "src/stray/odd.cpp lies in no folder of cmake/layers.txt",
  };
  EXPECT_EQ(joined(checkTree(table, src)), joined(expected));
}

TEST(Layers, LoadableModuleIsReachedOnlyThroughItsSeam) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const fs::path root = dir.path().toStdString();
  write(root / "layers.txt",
        "pravella_platform 1 platform\n"
        "pravella_imaging 3 imaging\n"
        "pravella_media 3 imaging/media\n"
        "pravella_net 3 net\n"
        "loadable-modules pravella_media\n");
  const fs::path src = root / "src";
  write(src / "platform/files.h", "");
  write(src / "imaging/seam.h", "#include \"platform/files.h\"\n");
  write(src / "imaging/host.cpp", "#include \"imaging/seam.h\"\n#include \"imaging/media/codec.h\"\n");
  write(src / "imaging/media/codec.h", "#include \"imaging/seam.h\"\n");
  write(src / "imaging/media/codec.cpp", "#include \"codec.h\"\n");
  write(src / "net/user.cpp", "#include \"imaging/seam.h\"\n#include \"imaging/media/codec.h\"\n");

  Table table;
  std::string error;
  ASSERT_TRUE(readTable(root / "layers.txt", table, &error)) << error;
  const std::vector<std::string> expected = {
      "src/imaging/host.cpp includes imaging/media/codec.h: pravella_media is a loadable module: reach it "
      "through its seam's function table",
      "src/net/user.cpp includes imaging/media/codec.h: pravella_media is a loadable module: reach it "
      "through its seam's function table",
  };
  EXPECT_EQ(joined(checkTree(table, src)), joined(expected));
}

TEST(Layers, MalformedTableIsRefused) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const fs::path root = dir.path().toStdString();
  for (const std::string text :
       {"pravella_lang 7 lang\n", "pravella_lang 2\n", "something 2 lang\n", "# only\n",
        "pravella_lang 2 lang\nloadable-modules pravella_gone\n"}) {
    write(root / "layers.txt", text);
    Table table;
    std::string error;
    EXPECT_FALSE(readTable(root / "layers.txt", table, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}
