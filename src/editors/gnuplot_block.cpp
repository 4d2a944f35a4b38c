#include "editors/gnuplot_block.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>
#include <mutex>

#include "editors/memo_run_settings.h"
#include "graphics/graphics_hooks.h"
#include "graphics/picture.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "platform/atomic_file.h"
#include "platform/console_log.h"
#include "platform/paths.h"

namespace pravella {

bool isGnuplotBlock(const QString& text) {
  return text.startsWith(QLatin1String("#gnuplot")) || text.startsWith(QLatin1String("# gnuplot")) ||
         text.startsWith(QLatin1String("#\tgnuplot"));
}

QString gnuplotScript(const QString& text, const QString& pictureFile) {
  // In a single-quoted gnuplot string only the quote itself is special: it is doubled.
  QString quoted = pictureFile;
  quoted.replace(QLatin1Char('\''), QLatin1String("''"));
  QString body = text;
  body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return QStringLiteral("set terminal pngcairo\nset output '") + quoted + QStringLiteral("'\n") + body;
}

QString cleanGnuplotErrors(const QByteArray& bytes) {
  QByteArray clean = bytes;
  for (char& c : clean) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 || (b < 32 && b != '\r' && b != '\n')) c = ' ';
  }
  return QString::fromLatin1(clean);
}

QString gnuplotProgram() {
  const QString path = QString::fromStdString(pravella::gnuplotPath());
  if (path.isEmpty()) return {};
  if (QFileInfo::exists(path)) return path;
  // The default names where the program used to live; on this system it is usually on PATH.
  if (path == QLatin1String(kDefaultGnuplotPath))
    return QStandardPaths::findExecutable(QStringLiteral("gnuplot"));
  return {};
}

namespace {

// Stores the plot in "gnuplot#" at the current level, making the variable when missing.
void setGnuplotVariable(const QByteArray& pict) {
  std::lock_guard guard(vkRunLock());
  const std::string name = "gnuplot#";
  int index = 0;
  if (!findVariable(name, &index) && !setNewVariable(name, kVarPicture, &index)) return;
  PushToVariableTable(index, name, kVarPicture, pict.constData(), static_cast<int>(pict.size()), 1);
}

QImage scaled(const Picture& picture, double factor) {
  const int w = static_cast<int>(std::floor(picture.width() * factor));
  const int h = static_cast<int>(std::floor(picture.height() * factor));
  if (w <= 0 || h <= 0) return picture.toImageOnWhite();
  QImage world(w, h, QImage::Format_RGB32);
  world.fill(Qt::white);
  QPainter painter(&world);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  picture.draw(painter, QRect(0, 0, w, h));
  return world;
}

}  // namespace

GnuplotOutcome runGnuplotBlock(const QString& text) {
  GnuplotOutcome outcome;
  const QString scriptFile = paths::vkData() + QStringLiteral("/gnuplot.plt");
  const QString pictureFile = paths::vkData() + QStringLiteral("/gnuplot.png");
  QDir().mkpath(paths::vkData());
  if (WriteResult w = writeFileAtomically(scriptFile, gnuplotScript(text, pictureFile).toUtf8()); !w) {
    showErrMessageToConsole(w.error.toStdString() + "\n");
  }

  const QString program = gnuplotProgram();
  if (program.isEmpty()) {
    QFile::remove(scriptFile);
    return outcome;
  }
  outcome.found = true;

  QString folder;
  {
    std::lock_guard guard(vkRunLock());
    folder = QString::fromStdString(current_fullPath);
  }
  QProcess gnuplot;
  gnuplot.setProgram(program);
  gnuplot.setArguments({scriptFile});
  if (QFileInfo(folder).isDir()) gnuplot.setWorkingDirectory(folder);
  gnuplot.start(QIODevice::ReadWrite);
  gnuplot.closeWriteChannel();  // a "pause" waiting for input ends at once
  if (!gnuplot.waitForStarted()) {
    outcome.errors = QStringLiteral("gnuplot could not be started: ") + gnuplot.errorString();
  } else {
    // Holding the mouse button over the window stops a plot that never ends.
    while (!gnuplot.waitForFinished(100)) {
      if (gnuplot.state() == QProcess::NotRunning) break;
      if (ButtonPress()) {
        gnuplot.kill();
        gnuplot.waitForFinished();
        break;
      }
    }
    const QByteArray err = gnuplot.readAllStandardError();
    outcome.output = QString::fromUtf8(gnuplot.readAllStandardOutput());
    if (!err.isEmpty()) outcome.errors = cleanGnuplotErrors(err);
  }

  if (outcome.errors.isEmpty()) {
    const QImage png(pictureFile);
    if (!png.isNull()) {
      const Picture picture = Picture::fromImage(png.convertToFormat(QImage::Format_ARGB32));
      const double width = picture.width();
      if (picture.isEmpty() || picture.size() >= graphics::pictureByteLimit()) {
        // Too large for a program value: neither the variable nor the scaling.
        outcome.picture = png;
      } else {
        setGnuplotVariable(picture.bytes());
        outcome.picture = width > 0 ? scaled(picture, gnuplotGraphWidth.load() / width) : png;
      }
    }
  }
  QFile::remove(pictureFile);
  QFile::remove(scriptFile);
  return outcome;
}

}  // namespace pravella
