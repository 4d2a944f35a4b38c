// The application as its users start it, in a fresh home on the offscreen platform: until a
// window that needs them opens, it loads neither the web engine nor the movie codecs nor
// OpenCV, and starts no web-engine helper; a program that opens the web drawer loads the engine,
// and the browser works (a download lands on the desktop).

#include <gtest/gtest.h>

#include <signal.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include "platform/paths.h"
#include "support/loopback_http.h"
#include "support/test_home.h"

namespace {

constexpr int kStartMs = 60000;
constexpr int kWebMs = 60000;

// The shared libraries the process has mapped.
QStringList librariesOf(qint64 pid) {
  QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
  QStringList found;
  if (!maps.open(QIODevice::ReadOnly)) return found;
  for (const QByteArray& line : maps.readAll().split('\n')) {
    const qsizetype slash = line.indexOf('/');
    if (slash < 0) continue;
    const QString path = QString::fromLocal8Bit(line.mid(slash));
    if (path.contains(QLatin1String(".so")) && !found.contains(path)) found << path;
  }
  return found;
}

// The command names of every process below `pid`.
QStringList descendantsOf(qint64 pid) {
  QList<QPair<qint64, QPair<qint64, QString>>> all;  // pid, (parent, name)
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool number = false;
    const qint64 p = entry.toLongLong(&number);
    if (!number) continue;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(p));
    if (!stat.open(QIODevice::ReadOnly)) continue;
    // "pid (name) state ppid ...": the name may hold spaces and parentheses.
    const QByteArray text = stat.readAll();
    const qsizetype open = text.indexOf('('), close = text.lastIndexOf(')');
    if (open < 0 || close < open) continue;
    const QList<QByteArray> rest = text.mid(close + 2).split(' ');
    if (rest.size() < 2) continue;
    all.append({p, {rest[1].toLongLong(), QString::fromLocal8Bit(text.mid(open + 1, close - open - 1))}});
  }
  QList<qint64> below{pid};
  QStringList names;
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [child, parentAndName] : all) {
      if (below.contains(parentAndName.first) && !below.contains(child)) {
        below << child;
        names << parentAndName.second;
        grew = true;
      }
    }
  }
  return names;
}

QStringList heavyOf(const QStringList& libraries) {
  QStringList heavy;
  for (const QString& l : libraries)
    for (const char* name : {"libavcodec", "libavformat", "libavutil", "libswscale", "libopencv",
                             "libQt6WebEngine", "libpravella_media.so", "libpravella_web_engine", "libcurl"})
      if (l.contains(QLatin1String(name))) heavy << l;
  return heavy;
}

bool anyHelper(const QStringList& processes) {
  for (const QString& name : processes)
    if (name.startsWith(QLatin1String("QtWebEngine"))) return true;
  return false;
}

class Application : public testing::Test {
 protected:
  void TearDown() override {
    if (app_.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(app_.processId()), SIGTERM);  // saves and quits, as on a logout
    if (!app_.waitForFinished(20000)) app_.kill();
    app_.waitForFinished(5000);
  }

  // Starts the application; true once its main window painted.
  bool start() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("PRAVELLA_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    app_.setProcessEnvironment(env);
    app_.start(QStringLiteral(PRAVELLA_APP_PATH), {});
    if (!app_.waitForStarted(kStartMs)) return false;
    return QTest::qWaitFor(
               [&] {
                 app_.waitForReadyRead(50);
                 said_ += app_.readAllStandardError();
                 return said_.contains("first paint") || app_.state() == QProcess::NotRunning;
               },
               kStartMs) &&
           said_.contains("first paint");
  }
  qint64 pid() const { return app_.processId(); }
  QString said() const { return QString::fromLocal8Bit(said_); }

  QProcess app_;
  QByteArray said_;
};

TEST_F(Application, StartsWithoutTheWebEngineMoviesOrVision) {
  ASSERT_TRUE(start()) << said().toStdString();
  QTest::qWait(1000);  // whatever start-up left for the event loop has run
  const QStringList libraries = librariesOf(pid());
  ASSERT_TRUE(libraries.join(' ').contains(QLatin1String("libQt6Widgets"))) << "no libraries read";
  EXPECT_EQ(heavyOf(libraries), QStringList());
  EXPECT_FALSE(anyHelper(descendantsOf(pid()))) << descendantsOf(pid()).join(' ').toStdString();
}

TEST_F(Application, AProgramOpensTheWebDrawerAndItsBrowserWorks) {
  const QString site = pravella::test::home() + "/site";
  QDir().mkpath(site);
  QFile file(site + "/file.bin");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(20000, 'x'));
  file.close();
  pravella::test::LoopbackHttp server(site);
  ASSERT_GT(server.port(), 0);
  // A module run at launch: the web command opens the drawer, and the browser takes the file
  // it is given as a download onto the desktop.
  QDir().mkpath(pravella::paths::modules());
  QFile module(pravella::paths::modules() + "/web.vk.rtf");
  ASSERT_TRUE(module.open(QIODevice::WriteOnly));
  module.write("{\\rtf1\\ansi cal_webBrowser(\"" + server.url("file.bin").toUtf8() + "\");}");
  module.close();

  ASSERT_TRUE(start()) << said().toStdString();
  const QString landed = pravella::test::home() + "/Desktop/file.bin";
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        QFile f(landed);
        return f.open(QIODevice::ReadOnly) && f.readAll() == QByteArray(20000, 'x');
      },
      kWebMs))
      << said().toStdString();
  const QStringList libraries = librariesOf(pid());
  EXPECT_TRUE(libraries.join(' ').contains(QLatin1String("libpravella_web_engine.so")));
  EXPECT_TRUE(libraries.join(' ').contains(QLatin1String("libQt6WebEngineCore")));
  EXPECT_TRUE(anyHelper(descendantsOf(pid())));
  // Opening the web drawer needs no movie codecs and no OpenCV.
  for (const QString& l : heavyOf(libraries))
    EXPECT_TRUE(l.contains(QLatin1String("WebEngine")) || l.contains(QLatin1String("web_engine")))
        << l.toStdString();
}

}  // namespace
