// Names beginning with "usr_": user programs. An executable file of that name in the folder
// usrFunc of the language preferences folder becomes a built-in: each argument goes to an
// exchange file inData%02d.dat of the work folder, the program runs with those paths and the
// result path as its arguments, and its one result is read back from result.dat.
//
// The program is started directly with an argument list, never through a shell, so that no
// folder name or path can be read as shell syntax. A program that does not end can be stopped
// with the break test; the run then fails.

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "lang/builtins/builtin_args.h"
#include "lang/builtins/dispatch.h"
#include "lang/builtins/user_exchange.h"
#include "lang/builtins/work_folders.h"
#include "lang/executor.h"
#include "platform/cformat.h"
#include "platform/console_log.h"

namespace {

constexpr int kMaxArguments = 20;
// Every path of an exchange, as its buffers hold it.
constexpr std::size_t kMaxPathBytes = 255;
// How often a waiting run looks at the break test.
constexpr int kPollMs = 100;

int fail(const char* message) {
  error_disp(message);
  return 0;
}

// The program file of the call, or "" when the name cannot be one (a path separator, or a path
// longer than its buffer).
std::string programPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return {};
  const std::string path = pravella::languagePreferencesFolder() + "/usrFunc/" + name;
  return path.size() <= kMaxPathBytes ? path : std::string();
}

// What the program writes goes to the console (standard error), never among the results.
void toConsole(QProcess& process) {
  const QByteArray out = process.readAll();
  if (!out.isEmpty()) std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stderr);
}

// Runs the program and waits for it; true when it ran and exited with status 0.
bool runProgram(const std::string& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setStandardInputFile(QProcess::nullDevice());
  process.start(QString::fromStdString(program), arguments);
  if (!process.waitForStarted(-1)) {
    showErrMessageToConsole(
        pravella::cformat("%s: %s\n", program.c_str(), process.errorString().toUtf8().constData()));
    return false;
  }
  while (!process.waitForFinished(kPollMs)) {
    toConsole(process);
    if (process.state() == QProcess::NotRunning) break;
    if (ButtonPress()) {
      process.kill();
      process.waitForFinished(-1);
      showErrMessageToConsole(pravella::cformat("%s: stopped by the user\n", program.c_str()));
      return false;
    }
  }
  toConsole(process);
  return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

int DoFunctionUserProg(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const vk_Code& rec = code[*pc];
  const int count = rec.argc;
  if (count < 1 || count > kMaxArguments) return fail("Invalid number of arguments");
  const std::string program = programPath(rec.name);
  if (program.empty() || !QFileInfo(QString::fromStdString(program)).isFile() ||
      !QFile(QString::fromStdString(program)).open(QIODevice::ReadOnly))
    return fail("Unknown usr_program");

  const std::string folder = pravella::languageDataFolder();
  const std::string resultPath = folder + "/result.dat";
  // inDataNN.dat is the longest name of the exchange.
  if (folder.size() + std::strlen("/inData01.dat") > kMaxPathBytes) return fail("Unknown usr_program");
  QStringList arguments;
  for (int k = 1; k <= count; ++k)
    arguments << QString::fromStdString(folder + pravella::cformat("/inData%02d.dat", k));
  arguments << QString::fromStdString(resultPath);

  for (int k = count; k >= 1; --k) {
    VkArg a;
    if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
    const std::string path = arguments[k - 1].toStdString();
    if (a.isReal()) {
      if (!saveDoubleData(path.c_str(), vk_ta, a.rows, a.cols)) return 0;
    } else if (a.isString()) {
      if (!saveStringData(path.c_str(), reinterpret_cast<const char*>(vk_ta))) return 0;
    } else {
      return fail("Unknown argument");
    }
  }

  // An old result must not pass for this run's.
  QFile::remove(QString::fromStdString(resultPath));
  if (!runProgram(program, arguments)) return fail("Some Error. See Console");

  int32_t header[3] = {0, 0, 0};
  if (!readFileHeader(resultPath.c_str(), header)) return 0;
  if (header[0] == 1) {
    const long long elements = static_cast<long long>(header[1]) * header[2];
    if (elements > TNumber) return fail("Too big data");
    if (!readDoubleData(resultPath.c_str(), vk_tc, elements)) return 0;
    return vkPushReals(stack, sp, vk_tc, header[1], header[2]);
  }
  if (header[0] == 2) {
    const auto length = static_cast<uint32_t>(header[1]);
    if (length > static_cast<uint64_t>(TNumber) * 8 - 1) return fail("Too long String");
    char* text = reinterpret_cast<char*>(vk_tc);
    if (!readStringData(resultPath.c_str(), text, length)) return 0;
    return PushToStack(stack, sp, text, kValueString, header[1], 0);
  }
  return fail("Unknown Type");
}
