// pravella-calc: runs a program text from a file or standard input through the memo's run
// contract and prints the result text followed by ".OK." or ".NO.". The console log goes to
// standard error. A developer's and tests' tool, not a user feature.

#include <clocale>

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "diary/startup_files.h"
#include "diary/working_folder.h"
#include "graphics/color_table.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/paths.h"

namespace {

void usage(std::FILE* out) {
  std::fputs(
      "usage: pravella-calc FILE\n"
      "       pravella-calc -        (program text on standard input)\n"
      "Runs the program and prints its result text, then .OK. or .NO.\n"
      "Exit status: 0 the run ended with .OK., 1 it ended with .NO.,\n"
      "             2 no input (usage error or unreadable file), 3 the language could not start.\n",
      out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    usage(stdout);
    return 0;
  }
  if (argc != 2) {
    usage(stderr);
    return 2;
  }
  std::string source;
  if (std::strcmp(argv[1], "-") == 0) {
    source.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "pravella-calc: cannot read %s\n", argv[1]);
      return 2;
    }
    std::ostringstream text;
    text << in.rdbuf();
    source = text.str();
  }
  // Pictures draw text with fonts, which need a GUI application; no window is ever shown.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Kept to the end of the process and never destroyed: tearing the GUI application down
  // would load the whole font configuration only to free it, a good part of a short run's time.
  static QGuiApplication* const app = new QGuiApplication(argc, argv);
  (void)app;
  // Qt adopts the user's locale; numbers in results and files must keep the C decimal point.
  std::setlocale(LC_NUMERIC, "C");
  if (vkStartUp() != 1) {
    std::fputs("pravella-calc: the language could not start\n", stderr);
    return 3;
  }
  // The folders the application's start-up gives its runs, so that relative names and work
  // files land where they would in the application.
  pravella::prepareFoldersWithoutWindow(QDate::currentDate());
  // The colour names the application reads at launch (its shipped table when the user has none),
  // so that "red" is red here too.
  pravella::copyMissingResource(QStringLiteral("rgbColor.dat"), pravella::paths::vkPreferences());
  initUnixColor();
  const pravella::VkRunResult result = pravella::runVkProgram(source);
  const std::string out = result.output();
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  return result.ok ? 0 : 1;
}
