// Built-ins that work for minutes (contour levels by the thousand, a triangulation of points
// that all lie on its hull, the eigenvalues of a large matrix) look at the break between their
// steps: the mouse button held over the memo ends the run with ".NO.", and the end's signal
// stops the built-in itself, so that the application ends with the memo saved and no run left
// behind. The test knows when a run is inside the built-in, so that the break cannot be met by
// the run's own loop before or after. The volume filters and limits, quick on a volume a test
// can afford, are held after their second slice (on one thread) until the break is seen, and
// must then leave every volume as it was.

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <QDirIterator>
#include <QTest>
#include <QTextDocument>

#include "app/application.h"
#include "app_fixture.h"
#include "child_app.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "lang/builtin_seam.h"
#include "lang/builtins/startup.h"
#include "lang/run_state.h"
#include "platform/rich_text_file.h"
#include "support/test_home.h"

namespace {

using namespace app_test;

struct LongBuiltIn {
  const char* name;         // the built-in the run must be inside
  const char* program;      // one statement; its arguments are made before the built-in starts
  bool volumeWork = false;  // held in its middle; checked to leave the volumes unchanged
};

// A 48-cube of noise for the volume filters.
#define NOISE_VOLUME \
  "createVolumeData(|48, 48, 48|); for (z = 1; z <= 48; z++) { setVolumeData(rand(48, 48) * 1000, z); } "

const LongBuiltIn kLongBuiltIns[] = {
    // A million cells, each cut at 5,000 levels.
    {"contourPlot", "contourPlot(rand(1000, 1000), |1, 0, 0.0002, 0.5|);"},
    // 100,000 points on a circle: the hull walk alone turns through all of them at every point.
    {"pointsToSankaku",
     "p = size(100000, 3); for (i = 1; i <= 100000; i++) { t = 6.283185 * i / 100000; "
     "p[i,1] = 1e+6 * cos(t); p[i,2] = 1e+6 * sin(t); } pointsToSankaku(p);"},
    {"smoothVolumeData", NOISE_VOLUME "smoothVolumeData(1);", true},
    {"volume_Grad", NOISE_VOLUME "volume_Grad(1);", true},
    {"volumeULimitTo", NOISE_VOLUME "volumeULimitTo(500, 0);", true},
    {"volumeLLimitTo", NOISE_VOLUME "volumeLLimitTo(500, 0);", true},
    // A general 1000 x 1000 matrix takes some 10^6 rotations of 1000 elements each.
    {"eigen", "a = rand(1000, 1000); eigen(a);"},
    // 500,000 distinct points, each compared with every one kept before it.
    {"deleteSamePoint", "p = rand(500000, 2); deleteSamePoint(p);"},
};

void PrintTo(const LongBuiltIn& b, std::ostream* out) { *out << b.name; }

// The registered built-ins with one of them telling the test when a run enters it and when it
// has returned.
VkBuiltinSeam realBuiltins;
std::string watchedName;
VkCallFn realWatched = nullptr;
std::atomic<bool> inside{false}, returned{false}, midway{false};
void (*onReturn)() = nullptr;

// Every volume's sizes and voxels as the built-in found them.
using Volumes = std::vector<std::tuple<int, int, int, std::vector<std::int16_t>>>;
Volumes volumes() {
  Volumes all;
  for (const VolumeSlot& v : vDataX) all.emplace_back(v.rows, v.columns, v.slices, v.voxels);
  return all;
}
Volumes volumesOnEntry;

// Holds volume work after its second slice until the break is seen there.
void holdUntilBroken(int done) {
  if (done != 2) return;
  midway.store(true);
  const int64_t deadline = vkSteadyMillis() + 60000;
  while (!vkBreakHeld() && vkSteadyMillis() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

int enterAndReturn(VkCallFn fn, int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  volumesOnEntry = volumes();
  inside.store(true);
  const int result = fn(count, code, pc, stack, sp);
  returned.store(true);
  if (onReturn) onReturn();
  return result;
}

int watchedResolved(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return enterAndReturn(realWatched, count, code, pc, stack, sp);
}

int watchedCall(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (code[*pc].name != watchedName) return realBuiltins.callFunction(count, code, pc, stack, sp);
  return enterAndReturn(realBuiltins.callFunction, count, code, pc, stack, sp);
}

VkCallFn watchedResolve(const std::string& name, int argc) {
  const VkCallFn fn = realBuiltins.resolveFunction(name, argc);
  if (!fn || name != watchedName) return fn;
  realWatched = fn;
  return watchedResolved;
}

void watch(const LongBuiltIn& builtIn) {
  realBuiltins = vkBuiltins();
  watchedName = builtIn.name;
  inside.store(false);
  returned.store(false);
  midway.store(false);
  if (builtIn.volumeWork) {
    pravella::imaging::setWorkerCountForTests(1);
    pravella::imaging::setItemHookForTests(holdUntilBroken);
  }
  VkBuiltinSeam watched = realBuiltins;
  watched.callFunction = watchedCall;
  if (realBuiltins.resolveFunction) watched.resolveFunction = watchedResolve;
  vkRegisterBuiltins(watched);
}

void unwatch() {
  vkRegisterBuiltins(realBuiltins);
  pravella::imaging::setItemHookForTests(nullptr);
  pravella::imaging::setWorkerCountForTests(0);
}

// The moment to break: inside the built-in, and for volume work in its middle.
bool started(const LongBuiltIn& builtIn) { return builtIn.volumeWork ? midway.load() : inside.load(); }

// Generous deadlines for a loaded machine, never measures: each built-in runs for minutes
// when nothing stops it.
constexpr int kStartMs = 120000;
constexpr int kBreakMs = 60000;

class HeldButton : public App, public testing::WithParamInterface<LongBuiltIn> {
 protected:
  void TearDown() override {
    unwatch();
    App::TearDown();
  }
};

TEST_P(HeldButton, EndsTheBuiltInsRunWithNo) {
  watch(GetParam());
  const QString code = QString::fromLatin1(GetParam().program);
  setMemo(QString(), 0, 0);
  QTest::keyClicks(memo(), code);
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(pravella::test::becomesTrue([this] { return started(GetParam()); }, kStartMs));
  QTest::mousePress(memo()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  const bool ended = pravella::test::becomesTrue([this] { return !memo()->isRunning(); }, kBreakMs);
  QTest::mouseRelease(memo()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  ASSERT_TRUE(ended);
  EXPECT_TRUE(returned.load());
  // The run's last text reaches the memo in the step after the run ends.
  const QString expected = code + "\n...<Error>...**** BREAK *****\n.NO.\n";
  pravella::test::becomesTrue([&] { return memo()->toPlainText() == expected; }, kBreakMs);
  EXPECT_EQ(s(memo()->toPlainText()), s(expected));
  EXPECT_TRUE(volumes() == volumesOnEntry);
}

INSTANTIATE_TEST_SUITE_P(LongBuiltIns, HeldButton, testing::ValuesIn(kLongBuiltIns),
                         [](const testing::TestParamInfo<LongBuiltIn>& info) {
                           return std::string(info.param.name);
                         });

QString savedMemo(const QString& home, const QString& name) {
  QDirIterator it(home + QStringLiteral("/Documents/diary"), {name + QStringLiteral(".rtfd")}, QDir::Dirs,
                  QDirIterator::Subdirectories);
  if (!it.hasNext()) return QStringLiteral("<not saved>");
  QTextDocument doc;
  if (!pravella::readRichTextFile(it.next(), doc)) return QStringLiteral("<unreadable>");
  return doc.toPlainText();
}

// The child's part: a word typed on the memo's first line, the long built-in started under it,
// then SIGTERM. The built-in says when it returns.
[[noreturn]] void typeRunAndTerminate(const LongBuiltIn& builtIn) {
  takeParentsHome();
  const std::unique_ptr<pravella::Application> application = startEndingOnSignals();
  watch(builtIn);
  onReturn = [] { std::fputs("the built-in returned\n", stderr); };
  mainTextView* memo = application->window().documentView();
  memo->setFocus();
  memo->selectAll();
  QTest::keyClicks(memo, QStringLiteral("longrun"));
  QTest::keyClick(memo, Qt::Key_Return);
  QTest::keyClicks(memo, QString::fromLatin1(builtIn.program));
  QTest::keyClick(memo, Qt::Key_Enter, Qt::KeypadModifier);
  if (!QTest::qWaitFor([&] { return started(builtIn); }, kStartMs)) std::_Exit(4);
  if (returned.load()) std::_Exit(5);
  ::raise(SIGTERM);
  // The application's event loop returns only when no run was left going (else it ends the
  // process itself); its status is the process's, as in main().
  const int status = application->exec();
  if (volumes() != volumesOnEntry) std::_Exit(6);
  std::_Exit(status);
}

class TerminatedDuring : public testing::TestWithParam<LongBuiltIn> {};

TEST_P(TerminatedDuring, StopsTheBuiltInAndSavesTheMemo) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  passHomeToChild();
  EXPECT_EXIT(typeRunAndTerminate(GetParam()), testing::ExitedWithCode(0), "the built-in returned");
  forgetChildHome();
  EXPECT_EQ(s(savedMemo(pravella::test::home(), QStringLiteral("longrun"))),
            s("longrun\n" + QString::fromLatin1(GetParam().program) + "\n"));
}

INSTANTIATE_TEST_SUITE_P(LongBuiltIns, TerminatedDuring, testing::ValuesIn(kLongBuiltIns),
                         [](const testing::TestParamInfo<LongBuiltIn>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
