// pravella-calc as a program: input from a file or standard input, output and exit status.

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include "support/test_home.h"
#include "support/test_movie.h"

#include <fstream>

#include <sys/resource.h>

namespace {

struct Outcome {
  int exitCode;
  QByteArray out;
};

Outcome runCalc(const QStringList& args, const QByteArray& input = {}) {
  QProcess p;
  p.start(QStringLiteral(PRAVELLA_CALC_PATH), args);
  EXPECT_TRUE(p.waitForStarted());
  p.write(input);
  p.closeWriteChannel();
  EXPECT_TRUE(p.waitForFinished(30000));
  return {p.exitCode(), p.readAllStandardOutput()};
}

TEST(PravellaCalc, StandardInputAndExitStatus) {
  Outcome ok = runCalc({"-"}, "1+2;");
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(ok.out, "    3.0000\n.OK.\n");
  Outcome bad = runCalc({"-"}, "a = 1");
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.out, "...<Error>...Need more Instruction (SetNumValue)\n.NO.\n");
}

// The colour names are the application's: "red" was grey 128 here while it was red there.
TEST(PravellaCalc, ColourNamesAreTheApplications) {
  const Outcome red = runCalc({"-"}, "unixColor(\"red\"); unixColor(\"noSuchColour\");");
  EXPECT_EQ(red.out, "  255.0000     0.0000     0.0000\n  128.0000   128.0000   128.0000\n.OK.\n");
  EXPECT_TRUE(QFileInfo::exists(pravella::test::home() + "/Documents/diary/vkPreferences/rgbColor.dat"));
}

TEST(PravellaCalc, FileArgumentAndUsage) {
  QTemporaryDir dir;
  const QString path = dir.filePath("p.vk");
  std::ofstream(path.toStdString()) << "\"hello\";";
  Outcome ok = runCalc({path});
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(ok.out, "hello\n.OK.\n");
  EXPECT_EQ(runCalc({}).exitCode, 2);
  EXPECT_EQ(runCalc({dir.filePath("missing.vk")}).exitCode, 2);
}

// A user program's own output is console output: it goes to standard error, never among the
// results on standard output.
TEST(PravellaCalc, UserProgramOutputStaysOffTheResults) {
  const QString folder = pravella::test::home() + "/Documents/diary/vkPreferences/usrFunc";
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString program = folder + "/usr_copy";
  std::ofstream(program.toStdString())
      << "#!/bin/sh\necho chatter\necho more chatter >&2\ncp \"$1\" \"$2\"\n";
  QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  Outcome ok = runCalc({"-"}, "usr_copy(|1, 2|);");
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(ok.out, "    1.0000     2.0000\n.OK.\n");
}

// A run without the window has the folders the application's start-up gives: work files go
// into the diary's work folder (never the filesystem's root), today's day folder exists, and
// relative names resolve against the working folder's start value, the desktop.
TEST(PravellaCalc, RunsWithoutTheWindowHaveTheApplicationsFolders) {
  const QString home = pravella::test::home();
  Outcome run =
      runCalc({"-"}, "p# = densityPlot(|0, 1| |1, 0|); pastePictWithPath(p#, \"note\"); currentPath(0);");
  EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
  EXPECT_EQ(run.out.toStdString(), (home + "/Desktop\n.OK.\n").toStdString());
  EXPECT_TRUE(QFileInfo(home + "/Documents/diary/vkData/tempPict00001.jpg").isFile());
  const QDate today = QDate::currentDate();
  EXPECT_TRUE(QFileInfo(home + QString::asprintf("/Documents/diary/%4d/%02d/%02d", today.year(),
                                                 today.month(), today.day()))
                  .isDir());
  EXPECT_FALSE(QFileInfo::exists("/tempPict00001.jpg"));
}

// A new account or a server has no desktop folder: it is made at start, as the diary's folders
// are, so that commands start there and bare file names are saved and opened there.
TEST(PravellaCalc, AHomeWithoutADesktopGetsOneForCommandsAndFiles) {
  const QString desktop = pravella::test::home() + "/Desktop";
  ASSERT_FALSE(QFileInfo::exists(desktop));
  Outcome run = runCalc({"-"},
                        "exec(\"touch made.txt\"); save(|1, 2|, \"saved.txt\");"
                        "fileOpen(1, \"opened.txt\", \"w\"); fileClose(1);");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, ".OK.\n");
  for (const char* name : {"made.txt", "saved.txt", "opened.txt"})
    EXPECT_TRUE(QFileInfo(desktop + "/" + name).isFile()) << name;
}

// pravella-calc on `program` with the resource limit `resource` set to `bytes` in the child;
// its standard output, empty when it did not end normally.
QByteArray runCalcLimited(int resource, rlim_t bytes, const QByteArray& program) {
  QProcess p;
  p.setChildProcessModifier([resource, bytes] {
    const rlimit limit{bytes, bytes};
    ::setrlimit(static_cast<__rlimit_resource>(resource), &limit);
  });
  p.start(QStringLiteral(PRAVELLA_CALC_PATH), {"-"});
  EXPECT_TRUE(p.waitForStarted());
  p.write(program);
  p.closeWriteChannel();
  EXPECT_TRUE(p.waitForFinished(60000));
  return p.exitStatus() == QProcess::NormalExit ? p.readAllStandardOutput() : QByteArray();
}

// A size whose picture could never be held is refused before its world is drawn: with 2 GB
// of address space (a world of 32,767 x 32,767 alone takes 4 GB) the answer is still the
// picture limit's, while a large picture that can be held is made.
TEST(PravellaCalc, APictureTooLargeToHoldIsRefusedBeforeItIsDrawn) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
#endif
  EXPECT_EQ(
      runCalcLimited(RLIMIT_AS, rlim_t{2} << 30,
                     "RGB = popRGBColor(\"mono\"); p# = densityPlot(|0, 1| |1, 0|); q# = changePictSize(p#, "
                     "|3000, 2000|);getPictSize(q#); changePictSize(p#, |32767, 32767|);"),
      " 3000.0000  2000.0000\n...<Error>...Too Big Picture (32767 x 32767).\n.NO.\n");
}

// A program's displayed output comes out whole up to its limit (64 bytes per element, so a
// million short lines or numbers at the start's element count); past it the run ends with the
// reason, the text before it kept. "element(10000)" makes the limit 640,000 bytes, 256 of them
// kept for the reason: 213,247 lines of " q" fit, one more does not.
TEST(PravellaCalc, DisplayedOutputComesOutWholeOrSaysWhyItStopped) {
  const QByteArray tooLong =
      "...<Error>...Output too long: at most 639744 bytes of displayed text at once (64 per element).\n";
  const struct {
    const char* program;
    QByteArray line;  // each displayed line
    int lines;
    QByteArray end;
  } cases[] = {
      {"for (i = 1; i <= 1000000; i++) { \" q\"; }", " q\n", 1000000, ".OK.\n"},
      {"for (i = 1; i <= 1000000; i++) { \"q\"; }", "q\n", 1000000, ".OK.\n"},
      {"for (i = 1; i <= 1000000; i++) { 1; }", "    1.0000\n", 1000000, ".OK.\n"},
      {"element(10000); for (i = 1; i <= 213247; i++) { \" q\"; }", " q\n", 213247, ".OK.\n"},
      {"element(10000); for (i = 1; i <= 213248; i++) { \" q\"; }", " q\n", 213247, tooLong + ".NO.\n"},
      // A display loop that never ends stops there too, instead of taking all memory.
      {"element(10000); for (i = 1; i > 0; i++) { \" q\"; }", " q\n", 213247, tooLong + ".NO.\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = runCalc({"-"}, c.program);
    const QByteArray expected = c.line.repeated(c.lines) + c.end;
    EXPECT_EQ(run.out.size(), expected.size()) << c.program;
    EXPECT_TRUE(run.out == expected) << c.program << "\n... " << run.out.right(200).toStdString();
    EXPECT_EQ(run.exitCode, c.end.endsWith(".OK.\n") ? 0 : 1) << c.program;
  }
}

// A save past the file-size limit fails with the system's reason in the result, and leaves
// no file; the volume saves, written piece by piece, too, the rotator file, which lands in the
// data folder whatever the program names, and the picture saves.
TEST(PravellaCalc, SavesPastTheFileSizeLimitSayWhy) {
  const QString home = pravella::test::home();
  const QString folder = home + "/limited";
  ASSERT_TRUE(QDir().mkpath(folder));
  const struct {
    const char* program;
    const char* file;                               // where the save goes, under the home folder
    const char* after = "";                         // what the built-in itself adds to the save's message
    const char* own = "Can't open the save file.";  // the built-in's own message
  } cases[] = {
      {"saveB(size(100, 100) + 1, \"%1/big.bin\");", "limited/big.bin"},
      {"createVolumeData(|100, 100, 10|); saveVolumeData(\"%1/big.vol\", |1, 1, 1|);", "limited/big.vol"},
      {"createVolumeData(|100, 100, 10|); xSaveVolumeData(\"%1/big.raw\");", "limited/big.raw"},
      {"x = size(100, 100) + 1; savePlot3Ddata(x, x, x, x, |0, 0|, \"%1/big.p3d\");", "limited/big.p3d",
       "...<Error>...Invalid arguments.\n"},
      {"x = size(200, 100) + 1; rotater(x, x, x, 1, 0);", "Documents/diary/vkData/rotate000.rot"},
      {"RGB = popRGBColor(\"mono\"); M_Rand_Seed(1); p# = densityPlot(M_Rand(600, 600)); save(p#, "
       "\"%1/big.pict\");",
       "limited/big.pict", "", "file save"},
      {"RGB = popRGBColor(\"mono\"); M_Rand_Seed(1); p# = densityPlot(M_Rand(600, 600)); saveJPEG(p#, "
       "\"%1/big.jpg\");",
       "limited/big.jpg", "", "Invalid PICT."},
  };
  for (const auto& c : cases) {
    const QByteArray out = runCalcLimited(RLIMIT_FSIZE, rlim_t{64} << 10,
                                          QString::fromLatin1(c.program).replace("%1", folder).toUtf8());
    const QString file = home + "/" + c.file;
    EXPECT_EQ(out.toStdString(), ("...<Error>...Cannot save \"" + file + "\": File too large\n...<Error>..." +
                                  c.own + "\n" + c.after + ".NO.\n")
                                     .toStdString());
    EXPECT_TRUE(
        QFileInfo(file).dir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty())
        << c.file;
  }
}

// A run whose dynamic loader names every library it opens on standard error.
struct LoaderTrace {
  QByteArray out;
  QByteArray trace;
};

LoaderTrace runTracingLibraries(const QByteArray& program, const QProcessEnvironment& extra = {}) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(extra);
  env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(PRAVELLA_CALC_PATH), {"-"});
  EXPECT_TRUE(p.waitForStarted());
  p.write(program);
  p.closeWriteChannel();
  EXPECT_TRUE(p.waitForFinished(30000));
  return {p.readAllStandardOutput(), p.readAllStandardError()};
}

// The movie codecs, OpenCV and what they drag in (GDCM, ...) cost a short run most of its
// time: a program that needs none of them never loads them.
TEST(PravellaCalc, AProgramWithoutMoviesOrCamerasLoadsNoneOfTheirLibraries) {
  const LoaderTrace run = runTracingLibraries("x = |1, 2| * 2; sum(x);");
  EXPECT_EQ(run.out, "    6.0000\n.OK.\n");
  ASSERT_TRUE(run.trace.contains("libQt6Core")) << "the loader named nothing";
  for (const char* heavy :
       {"libpravella_media", "libavformat", "libavcodec", "libopencv", "libgdcm", "libjxl"})
    EXPECT_FALSE(run.trace.contains(heavy)) << heavy;
}

TEST(PravellaCalc, ACameraBuiltinLoadsTheMediaModuleWhenFirstUsed) {
  QTemporaryDir dir;
  const QString movie = dir.filePath("camera.avi");
  ASSERT_TRUE(pravella::test::writeGreyMovie(movie, 3, 64, 48));
  QProcessEnvironment env;
  env.insert(QStringLiteral("PRAVELLA_CAMERA0"), movie);
  const LoaderTrace run = runTracingLibraries("p# = fGrabber(0); getPictSize(p#);", env);
  EXPECT_EQ(run.out, "   64.0000    48.0000\n.OK.\n");
  EXPECT_TRUE(run.trace.contains("libpravella_media.so"));
  EXPECT_TRUE(run.trace.contains("libopencv_videoio"));
}

}  // namespace
