// The movie builder driven by programs: frames from plots, exact durations at 1/600 s, the
// saved QuickTime file read back two ways, and the save panel on closing with unsaved frames.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>
#include <QScreen>
#include <QTimer>

#include <sys/resource.h>
#include <sys/stat.h>
#include <cstdlib>
#include <ios>
#include <string>
#include <vector>

#include "graphics/picture.h"
#include "graphics/plot2d.h"
#include "imaging/movie/movie_document.h"
#include "imaging/ui/imaging_window_manager.h"
#include "imaging/ui/movie_view.h"
#include "imaging/ui/vk_movie.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/cformat.h"
#include "support/console_capture.h"
#include "support/test_home.h"

namespace {

using namespace pravella::imaging;

std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

// Counts the save panels that come up, and cancels each.
class SavePanels {
 public:
  SavePanels() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* panel = qobject_cast<QFileDialog*>(w);
        if (!panel || !panel->isVisible()) continue;
        ++count;
        panel->reject();
      }
    });
    timer_.start();
  }
  int count = 0;

 private:
  QTimer timer_;
};

class MovieBuilder : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    main_.setGeometry(100, 60, 300, 200);
    main_.show();
    out_ = pravella::test::home() + "/out.mov";
  }
  vkMovie* builder() { return manager_.builder(); }

  QMainWindow main_;
  ImagingWindowManager manager_{&main_};
  QString out_;
};

TEST_F(MovieBuilder, PlotsBecomeFramesOfExactDurationsInTheSavedFile) {
  ASSERT_EQ(run("createMovie(\"m\");"), ".OK.\n");
  EXPECT_EQ(builder()->window()->frameGeometry().topLeft(),
            QPoint(main_.frameGeometry().x() + main_.frameGeometry().width() + 5, main_.frameGeometry().y()));
  ASSERT_EQ(run("p# = plot(|1| |3| |2|); addImageToMovie(p#, 0.5); movie_addImage(p#, 1/3); movie_save(\"" +
                out_.toStdString() + "\");"),
            ".OK.\n");
  EXPECT_EQ(builder()->window()->size(), QSize(400, 280 + MovieView::kControllerHeight));
  // Grown to the frames' size, it would leave the test screen beside the main window: it moves
  // where it stays on the screen and hides nothing of the main window (below it here).
  const QRect grown = builder()->window()->frameGeometry();
  EXPECT_TRUE(main_.screen()->availableGeometry().contains(grown));
  EXPECT_FALSE(grown.intersects(main_.frameGeometry()));

  auto saved = pravella::movie::MovieDocument::open(out_);
  ASSERT_TRUE(saved);
  ASSERT_EQ(saved->frameCount(), 2);
  EXPECT_EQ(saved->frameDuration(0), 300);
  EXPECT_EQ(saved->frameDuration(1), 200);
  EXPECT_EQ(saved->naturalSize(), QSize(400, 280));

  QProcess probe;
  probe.start("ffprobe",
              {"-v", "error", "-select_streams", "v:0", "-show_entries",
               "stream=codec_name,width,height,time_base:packet=duration", "-of", "compact=p=0:nk=1", out_});
  ASSERT_TRUE(probe.waitForFinished(30000));
  EXPECT_EQ(QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
            (QStringList{"300", "200", "mjpeg|400|280|1/600"}));
}

TEST_F(MovieBuilder, SettingsGoToTheViewAndOnlyKnownLoopModesCount) {
  ASSERT_EQ(run("movie_create(0); movie_setLoopMode(3); movie_playsSelectionOnly(1.7); movie_setRate(0.5);"),
            ".OK.\n");
  EXPECT_EQ(builder()->movieView()->loopMode(), 0);
  EXPECT_TRUE(builder()->movieView()->playsSelectionOnly());
  EXPECT_FLOAT_EQ(static_cast<float>(builder()->movieView()->rate()), 0.5f);
  ASSERT_EQ(run("movie_setLoopMode(2.9);"), ".OK.\n");
  EXPECT_EQ(builder()->movieView()->loopMode(), 2);
}

// A magnification however large or small sizes the window: to the screen at most, both sides
// by one factor, to a pixel of movie at least, never nothing done with ".OK.".
TEST_F(MovieBuilder, AnyMagnificationSizesTheWindowWithinTheScreen) {
  ASSERT_EQ(run("createMovie(\"m\"); p# = plot(|1| |3| |2|); movie_addImage(p#, 0.5);"), ".OK.\n");
  QWidget* window = builder()->window();
  const QSize natural = window->size();
  const QRect available = window->screen()->availableGeometry();
  ASSERT_EQ(run("movie_resizeWithMagnification(1e+300);"), ".OK.\n");
  EXPECT_TRUE(available.contains(window->frameGeometry()));
  // One side fills the screen; the movie keeps its proportions.
  EXPECT_TRUE(window->frameGeometry().width() == available.width() ||
              window->frameGeometry().height() == available.height());
  const int bar = MovieView::kControllerHeight;
  EXPECT_NEAR(window->height() - bar, window->width() * double(natural.height() - bar) / natural.width(), 1.0)
      << window->width() << "x" << window->height();
  ASSERT_EQ(run("movie_resizeWithMagnification(1e-300);"), ".OK.\n");
  EXPECT_LT(window->width(), natural.width());
  EXPECT_LT(window->height(), natural.height());
  EXPECT_GE(window->width(), 1);
  ASSERT_EQ(run("movie_resizeWithMagnification(1);"), ".OK.\n");
  EXPECT_EQ(window->size(), natural);
}

// A first frame larger than the screen, wide or tall, opens the window fitted to the screen
// in the frame's proportions; magnified without bound it fits the screen the same way, and
// the smallest magnification still leaves a window.
TEST_F(MovieBuilder, AFrameLargerThanTheScreenKeepsItsProportions) {
  for (const QSize size : {QSize(1920, 1080), QSize(1080, 1920)}) {
    SCOPED_TRACE(size.width());
    const QString picture = pravella::test::home() + QStringLiteral("/frame%1.png").arg(size.width());
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(Qt::darkGray);
    ASSERT_TRUE(frame.save(picture));
    ASSERT_EQ(run("createMovie(\"m\"); p# = loadPicture(\"" + picture.toStdString() +
                  "\"); movie_addImage(p#, 0.5);"),
              ".OK.\n");
    QWidget* window = builder()->window();
    const QRect available = window->screen()->availableGeometry();
    const int bar = MovieView::kControllerHeight;
    for (const char* factor : {"", "1e+300", "1"}) {
      SCOPED_TRACE(factor);
      if (*factor) ASSERT_EQ(run(std::string("movie_resizeWithMagnification(") + factor + ");"), ".OK.\n");
      EXPECT_TRUE(available.contains(window->frameGeometry()));
      EXPECT_LE(window->width(), size.width());
      EXPECT_NEAR(window->height() - bar, window->width() * double(size.height()) / size.width(), 1.0)
          << window->width() << "x" << window->height();
    }
    ASSERT_EQ(run("movie_resizeWithMagnification(1e-300);"), ".OK.\n");
    EXPECT_GE(window->width(), 1);
    EXPECT_GT(window->height(), bar);
    EXPECT_LT(window->height(), 2 * bar + 1);
    ASSERT_EQ(run("movie_save(\"" + out_.toStdString() + "\"); movie_close(0);"), ".OK.\n");
  }
}

TEST_F(MovieBuilder, ClosingAsksForAFileOnlyWithUnsavedFrames) {
  SavePanels panels;
  ASSERT_EQ(run("createMovie(\"m\"); p# = plot(|1| |2| |3|); movie_addImage(p#, 0.2); movie_save(\"" +
                out_.toStdString() + "\"); movie_close(0);"),
            ".OK.\n");
  EXPECT_EQ(panels.count, 0);
  EXPECT_FALSE(builder()->window()->isVisible());
  ASSERT_EQ(run("createMovie(\"m\"); p# = plot(|1| |2| |3|); movie_addImage(p#, 0.2); movie_close(0);"),
            ".OK.\n");
  EXPECT_EQ(panels.count, 1);
  // A cancelled panel fails the save with its message.
  ASSERT_EQ(run("createMovie(\"m\"); movie_addImage(plot(|1| |2| |3|), 0.2); movie_saveAs(0);"),
            "...<Error>...Can not Save Movie.\n.NO.\n");
  EXPECT_EQ(panels.count, 2);
}

TEST_F(MovieBuilder, FramesTooShortOrWithoutAMovieAreRefused) {
  EXPECT_EQ(run("p# = plot(|1| |2| |3|); movie_addImage(p#, 1);"),
            "...<Error>...No window receives [pasteImageToMovie].\n.NO.\n");
  EXPECT_EQ(run("createMovie(\"m\"); p# = plot(|1| |2| |3|); movie_addImage(p#, 0.001);"),
            "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(builder()->movie()->frameCount(), 0);
  ASSERT_EQ(run("p# = plot(|1| |2| |3|); movie_addImage(p#, 0.205);"), ".OK.\n");
  EXPECT_EQ(builder()->movie()->duration(), 123);
}

TEST_F(MovieBuilder, PlotFramesShowThePlotOnWhite) {
  // Three plots as frames, read back from the saved file by ffmpeg, each against the plot's
  // own picture laid over white here: clear pixels are white, as in picture files.
  std::string program = "createMovie(\"m\");";
  std::vector<QImage> expected;
  for (int i = 1; i <= 3; ++i) {
    const std::vector<double> x{0, 1, 2, 3}, y{0, 1.0 * i, 0.5, 2.0 * i}, automatic(6, 0.0);
    program += pravella::cformat("addImageToMovie(plot(|0| |%d| |0.5| |%d|), 0.5);", i, 2 * i);
    pravella::Picture plot;
    ASSERT_EQ(DoPlot(x.data(), y.data(), automatic.data(), 4, 1, 4, 1, 3, plot), 1);
    const QImage drawn = plot.toImage().convertToFormat(QImage::Format_ARGB32);
    QImage onWhite(drawn.size(), QImage::Format_RGB888);
    for (int r = 0; r < drawn.height(); ++r)
      for (int c = 0; c < drawn.width(); ++c) {
        const QRgb p = drawn.pixel(c, r);
        const int a = qAlpha(p);
        auto over = [a](int v) { return (v * a + 255 * (255 - a)) / 255; };
        onWhite.setPixel(c, r, qRgb(over(qRed(p)), over(qGreen(p)), over(qBlue(p))));
      }
    expected.push_back(onWhite);
  }
  ASSERT_EQ(run(program + "movie_save(\"" + out_.toStdString() + "\");"), ".OK.\n");

  QProcess decode;
  decode.start("ffmpeg", {"-v", "error", "-i", out_, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
  ASSERT_TRUE(decode.waitForFinished(30000));
  const QByteArray frames = decode.readAllStandardOutput();
  const int w = expected[0].width(), h = expected[0].height();
  ASSERT_EQ(QSize(w, h), QSize(400, 280));
  ASSERT_EQ(frames.size(), 3 * w * h * 3);
  for (int f = 0; f < 3; ++f) {
    SCOPED_TRACE(f);
    const auto* bytes = reinterpret_cast<const unsigned char*>(frames.constData()) + f * w * h * 3;
    long long difference = 0;
    int whites = 0;
    for (int r = 0; r < h; ++r)
      for (int c = 0; c < w; ++c) {
        const unsigned char* got = bytes + (r * w + c) * 3;
        const QRgb want = expected[static_cast<std::size_t>(f)].pixel(c, r);
        difference +=
            std::abs(got[0] - qRed(want)) + std::abs(got[1] - qGreen(want)) + std::abs(got[2] - qBlue(want));
        whites += got[0] > 240 && got[1] > 240 && got[2] > 240;
      }
    // JPEG at high quality: a few levels a sample on average, and the background stays white.
    EXPECT_LT(static_cast<double>(difference) / (3.0 * w * h), 4.0);
    EXPECT_GT(whites, w * h * 8 / 10);
  }
  // The builder's own view shows the same.
  const QImage current = builder()->movie()->frameAt(0).convertToFormat(QImage::Format_RGB32);
  EXPECT_GE(qGray(current.pixel(w - 2, 2)), 250);
}

TEST_F(MovieBuilder, SavedMoviesTakeTheUsualModeOrKeepTheOldFilesMode) {
  auto mode = [](const QString& p) {
    struct stat info {};
    return ::stat(QFile::encodeName(p).constData(), &info) == 0 ? info.st_mode & 07777 : 0u;
  };
  const std::string frames = "createMovie(\"m\"); movie_addImage(plot(|1| |2| |3|), 0.2); ";
  struct Case {
    mode_t umask;
    unsigned expected;
  };
  for (const Case& c : {Case{022, 0644}, Case{027, 0640}}) {
    const mode_t before = ::umask(c.umask);
    const QString path = pravella::test::home() + QStringLiteral("/new-%1.mov").arg(c.umask, 0, 8);
    EXPECT_EQ(run(frames + "movie_save(\"" + path.toStdString() + "\");"), ".OK.\n");
    ::umask(before);
    EXPECT_EQ(mode(path), c.expected) << "umask " << std::oct << c.umask;
  }
  // A movie saved over a file keeps that file's mode.
  ASSERT_TRUE(QFile(out_).open(QIODevice::WriteOnly));
  ASSERT_EQ(::chmod(QFile::encodeName(out_).constData(), 0604), 0);
  EXPECT_EQ(run(frames + "movie_save(\"" + out_.toStdString() + "\");"), ".OK.\n");
  EXPECT_EQ(mode(out_), 0604u);
  EXPECT_GT(QFileInfo(out_).size(), 0);
}

// A save that is refused (a folder in the way, or the system past the file-size limit) says
// why in the result, ahead of the panel route's own message; no file is left, and the log
// gives the reason once a line.
TEST_F(MovieBuilder, ASaveTheSystemRefusesSaysWhy) {
  ASSERT_EQ(
      run("createMovie(\"m\"); p# = plot(|1| |3| |2|); movie_addImage(p#, 0.5); movie_addImage(p#, 0.5);"),
      ".OK.\n");
  builder()->askSavePath = [this] { return out_; };
  const pravella::test::ConsoleCapture console;
  // Refused before the muxer starts: a folder has the name.
  const QString taken = pravella::test::home() + "/taken";
  ASSERT_TRUE(QDir().mkpath(taken));
  EXPECT_EQ(run("movie_save(\"" + taken.toStdString() + "\");"),
            "...<Error>...Cannot save \"" + taken.toStdString() +
                "\": a folder of that name is in the way.\n.NO.\n");
  // Refused by the system while the muxer writes.
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  const rlimit small{2048, before.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string named = run("movie_save(\"" + out_.toStdString() + "\");");
  const std::string panel = run("movie_saveAs(0);");
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);

  const std::string why = "...<Error>...Cannot save \"" + out_.toStdString() + "\": File too large\n";
  EXPECT_EQ(named, why + ".NO.\n");
  EXPECT_EQ(panel, why + "...<Error>...Can not Save Movie.\n.NO.\n");
  EXPECT_FALSE(QFileInfo::exists(out_));
  EXPECT_TRUE(QDir(pravella::test::home())
                  .entryList({QStringLiteral(".saving-*")}, QDir::AllEntries | QDir::Hidden)
                  .isEmpty());
  const QStringList lines = QString::fromStdString(console.text()).split(QLatin1Char('\n'));
  EXPECT_TRUE(lines.filter(QStringLiteral("File too large")).size() >= 2);
  for (const QString& line : lines) EXPECT_LE(line.count(QStringLiteral("save")), 1) << line.toStdString();
}

}  // namespace
