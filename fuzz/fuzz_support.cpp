#include "fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "lang/builtins/startup.h"

namespace pravella::fuzz {

namespace {
QString& homePath() {
  static QString path;
  return path;
}
}  // namespace

void prepare() {
  static const bool ready = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A scratch home and no programs on the path: inputs must not reach the machine's files.
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pravella-fuzz-XXXXXX"));
    homePath() = home.path();
    ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit().constData(), 1);
    ::setenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toLocal8Bit().constData(), 1);
    QDir().mkpath(home.path() + QStringLiteral("/empty-path"));
    ::setenv("PATH", (home.path() + QStringLiteral("/empty-path")).toLocal8Bit().constData(), 1);
    // The working folder stays: libFuzzer reads and writes the corpus folders it was given,
    // relative names too, while it runs. Programs resolve file names in the scratch home's
    // folders, not the working folder.
    static int argc = 1;
    static char name[] = "pravella-fuzz";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return true;
  }();
  (void)ready;
}

void prepareLanguage() {
  prepare();
  // A fresh language for every input, as every golden case has.
  vkStartUp();
}

QString home() { return homePath(); }

bool writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
         file.flush();
}

QList<QByteArray> splitParts(const QByteArray& bytes) {
  QList<QByteArray> parts;
  qsizetype from = 0;
  for (;;) {
    const qsizetype at = bytes.indexOf(kPartSeparator, from);
    if (at < 0) break;
    parts << bytes.mid(from, at - from);
    from = at + qsizetype(sizeof kPartSeparator) - 1;
  }
  parts << bytes.mid(from);
  return parts;
}

QByteArray joinParts(const QList<QByteArray>& parts) { return parts.join(kPartSeparator); }

QByteArray bytesOf(const std::uint8_t* data, std::size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

int takeFirstByte(QByteArray& bytes) {
  if (bytes.isEmpty()) return 0;
  const int first = static_cast<unsigned char>(bytes.front());
  bytes.remove(0, 1);
  return first;
}

void fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

}  // namespace pravella::fuzz
