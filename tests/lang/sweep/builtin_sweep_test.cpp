// Calls every built-in of the letter tables with extreme arguments (2147483646, 1e+300, -3, and
// 2^30, 2^31 / 3 rounded up, 2^29 and -(2^30 + 1), which overflow a 32-bit 2k + 1, 3n or 4n)
// in the argument shapes below, and wants an answer, .OK. or .NO., from each within ten
// seconds; PRAVELLA_SWEEP_VALUES (values separated by commas) sweeps those values instead. A
// built-in whose work runs long must test the break: the sweep holds the button once a call
// has run for a second, so that such work ends at once, and only a loop that ignores the
// break (or never ends) runs into the limit.
//
// The calls run in child processes (this binary again, one shard each) so that a call that
// hangs or crashes can be ended and named; the parent restarts the shard after it.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "lang/builtins/builtin_table.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/run_state.h"

namespace {

constexpr int kShards = 4;
constexpr qint64 kAnswerLimitMs = 10000;
constexpr int64_t kHoldAfterMs = 1000;
const char* const kShardVariable = "PRAVELLA_SWEEP_SHARD";
const char* const kLinePrefix = "@@sweep ";
const char* const kValuesVariable = "PRAVELLA_SWEEP_VALUES";
// A first argument that reaches past the type checks of the built-ins of an image or matrix.
const char* const kSmallMatrix =
    "|1, 2, 3, 4, 5| |2, 9, 4, 5, 6| |3, 4, 5, 6, 7| |4, 5, 6, 1, 8| |5, 6, 7, 8, 9|";

// Built-ins the sweep leaves out: they open windows, wait for a user, reach the network or
// files outside the test's own folder, or end the process.
const std::set<std::string, std::less<>> kLeftOut = {
    "UDP",  // the network
};

struct SweepCall {
  std::string label;
  std::string program;
};

// Where the extreme value goes, so that it reaches past the type tests: in every argument; in
// every argument but a small matrix, string or picture first (an image, a text, a picture);
// last, behind small matrices (two images and a window) or behind a first argument and 2s (a
// data set, its column and a count); second, between a small matrix and 2s (a grid, its slice
// count and a threshold).
enum class Shape {
  Value,
  MatrixFirst,
  StringFirst,
  PictureFirst,
  MatricesThenValue,
  MatrixTwosValue,
  TwosValue,
  StringTwosValue,
  PictureTwosValue,
  MatrixValueTwos
};
constexpr Shape kShapes[] = {Shape::Value,          Shape::MatrixFirst,       Shape::StringFirst,
                             Shape::PictureFirst,   Shape::MatricesThenValue, Shape::MatrixTwosValue,
                             Shape::TwosValue,      Shape::StringTwosValue,   Shape::PictureTwosValue,
                             Shape::MatrixValueTwos};
const std::string kString = "\"abcde\"";
const std::string kPicture = std::string("densityPlot(") + kSmallMatrix + ")";

std::string argumentOf(Shape shape, int i, int argc, const std::string& value) {
  const bool last = i + 1 == argc;
  switch (shape) {
    case Shape::Value:
      return value;
    case Shape::MatrixFirst:
      return i == 0 ? kSmallMatrix : value;
    case Shape::StringFirst:
      return i == 0 ? kString : value;
    case Shape::PictureFirst:
      return i == 0 ? kPicture : value;
    case Shape::MatricesThenValue:
      return last ? value : kSmallMatrix;
    case Shape::MatrixTwosValue:
      return last ? value : i == 0 ? kSmallMatrix : "2";
    case Shape::TwosValue:
      return last ? value : "2";
    case Shape::StringTwosValue:
      return last ? value : i == 0 ? kString : "2";
    case Shape::PictureTwosValue:
      return last ? value : i == 0 ? kPicture : "2";
    case Shape::MatrixValueTwos:
      return i == 0 ? kSmallMatrix : i == 1 ? value : "2";
  }
  return value;
}

std::vector<SweepCall> sweepCalls() {
  std::vector<VkBuiltinTable> tables = vkBuiltinTables();
  std::sort(tables.begin(), tables.end(), [](const auto& a, const auto& b) { return a.family < b.family; });
  std::vector<std::string> values = {"2147483646", "1e+300",    "-3",         "1073741824",
                                     "715827883",  "536870912", "-1073741825"};
  if (const char* chosen = std::getenv(kValuesVariable)) {
    values.clear();
    std::stringstream list(chosen);
    for (std::string v; std::getline(list, v, ',');)
      if (!v.empty()) values.push_back(v);
  }
  std::vector<SweepCall> calls;
  std::set<std::string> seen;
  for (const VkBuiltinTable& table : tables)
    for (const VkBuiltin& b : table.entries) {
      const std::string name(b.name);
      if (kLeftOut.count(name)) continue;
      const std::vector<int> counts =
          b.argc == kAnyArgc ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{b.argc};
      for (int argc : counts) {
        for (const std::string& value : values) {
          for (const Shape shape : kShapes) {
            std::string args;
            for (int i = 0; i < argc; ++i)
              args += std::string(i ? ", " : "") + argumentOf(shape, i, argc, value);
            const std::string program = name + "(" + args + ");";
            if (seen.insert(program).second) calls.push_back({program, program});
          }
          if (argc == 0) break;
        }
      }
    }
  return calls;
}

std::string line(const char* what, std::size_t index) {
  return std::string(kLinePrefix) + what + " " + std::to_string(index) + "\n";
}

void say(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

// The shard's half: runs its calls in order from the given index, saying which call begins
// and which has answered. Run by the parent only (the name keeps it out of the plain run).
TEST(BuiltinSweep, DISABLED_Shard) {
  const char* spec = std::getenv(kShardVariable);
  if (!spec) GTEST_SKIP() << "run by BuiltinSweep.EveryBuiltinAnswersExtremeArguments";
  std::size_t shard = 0, shards = 1, from = 0;
  ASSERT_EQ(std::sscanf(spec, "%zu/%zu/%zu", &shard, &shards, &from), 3);
  const std::vector<SweepCall> calls = sweepCalls();
  std::atomic<int64_t> callStart{0};
  std::atomic<bool> done{false};
  // Holds the button over a call that has run for a second.
  std::thread holder([&] {
    while (!done.load()) {
      const int64_t start = callStart.load();
      if (start != 0 && vkSteadyMillis() - start > kHoldAfterMs && vkButtonDownSinceMs.load() == 0)
        vkButtonDownSinceMs.store(vkSteadyMillis() - 3000);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  for (std::size_t i = from; i < calls.size(); ++i) {
    if (i % shards != shard) continue;
    ASSERT_EQ(vkStartUp(), 1);
    say(line("CALL", i) + "# " + calls[i].program + "\n");
    callStart.store(vkSteadyMillis());
    pravella::runVkProgram(calls[i].program);
    callStart.store(0);
    vkSetButtonDown(false);
    say(line("DONE", i));
  }
  done.store(true);
  holder.join();
}

struct Shard {
  std::unique_ptr<QProcess> process;
  std::size_t index = 0;
  std::string pending;
  long long current = -1;  // the call under way, -1 between calls
  QElapsedTimer since;
  bool finished = false;
};

void startShard(Shard& s, std::size_t from) {
  s.process = std::make_unique<QProcess>();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(kShardVariable, QStringLiteral("%1/%2/%3").arg(s.index).arg(kShards).arg(from));
  s.process->setProcessEnvironment(env);
  s.process->setProcessChannelMode(QProcess::SeparateChannels);
  s.process->setStandardErrorFile(QProcess::nullDevice());
  s.process->start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--gtest_also_run_disabled_tests"),
                    QStringLiteral("--gtest_filter=BuiltinSweep.DISABLED_Shard")});
  s.pending.clear();
  s.current = -1;
  s.since.start();
}

TEST(BuiltinSweep, EveryBuiltinAnswersExtremeArguments) {
  const std::vector<SweepCall> calls = sweepCalls();
  ASSERT_GT(calls.size(), 500u) << "the tables of the built-ins are not listed";
  std::vector<Shard> shards(kShards);
  for (std::size_t i = 0; i < shards.size(); ++i) {
    shards[i].index = i;
    startShard(shards[i], 0);
  }
  std::vector<std::string> faults;
  for (;;) {
    bool running = false;
    for (Shard& s : shards) {
      if (s.finished) continue;
      running = true;
      s.process->waitForReadyRead(20);
      s.pending += s.process->readAllStandardOutput().toStdString();
      for (std::size_t end; (end = s.pending.find('\n')) != std::string::npos;) {
        const std::string text = s.pending.substr(0, end);
        s.pending.erase(0, end + 1);
        if (text.rfind(kLinePrefix, 0) != 0) continue;
        const std::string rest = text.substr(std::string(kLinePrefix).size());
        const long long index = std::atoll(rest.c_str() + 5);
        if (rest.rfind("CALL ", 0) == 0) {
          s.current = index;
          s.since.start();
        } else if (rest.rfind("DONE ", 0) == 0) {
          s.current = -1;
        }
      }
      if (s.current >= 0 && s.since.elapsed() > kAnswerLimitMs) {
        faults.push_back(calls[static_cast<std::size_t>(s.current)].label + " gave no answer in 10 s");
        s.process->kill();
        s.process->waitForFinished();
        startShard(s, static_cast<std::size_t>(s.current) + 1);
        continue;
      }
      if (s.process->state() == QProcess::NotRunning && !s.process->bytesAvailable()) {
        if (s.current >= 0) {
          faults.push_back(calls[static_cast<std::size_t>(s.current)].label + " ended the process");
          startShard(s, static_cast<std::size_t>(s.current) + 1);
        } else {
          EXPECT_EQ(s.process->exitCode(), 0) << "shard " << s.index;
          s.finished = true;
        }
      }
    }
    if (!running) break;
  }
  std::string all;
  for (const std::string& f : faults) all += f + "\n";
  EXPECT_TRUE(faults.empty()) << all;
}

}  // namespace
