// The programs of bench/programs/ run in-process through the run contract, one benchmark per
// program, so that a program's time is the language's alone (no process start-up, no loading
// of shared libraries). bench/run_programs.sh times the same programs beside Lua and Python.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "lang/builtins/startup.h"
#include "lang/executor.h"

namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void runProgram(benchmark::State& state, const std::string& source) {
  vkStartUp();
  for (auto _ : state) {
    const pravella::VkRunResult result = pravella::runVkProgram(source);
    if (!result.ok) state.SkipWithError(result.text.c_str());
    benchmark::DoNotOptimize(result.text.data());
  }
}

// Registered before main runs, one benchmark per program file.
const bool registered = [] {
  const std::filesystem::path folder = PRAVELLA_BENCH_PROGRAMS;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().extension() != ".vk") continue;
    benchmark::RegisterBenchmark(("program/" + entry.path().stem().string()).c_str(), runProgram,
                                 readFile(entry.path()))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  return true;
}();

}  // namespace
