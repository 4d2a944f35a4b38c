#include "platform/ui/sound_player.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <mutex>

#include "lang/values.h"
#include "platform/paths.h"
#include "platform/ui/media_player_module.h"

namespace pravella {

namespace {

std::mutex recorderMutex;
std::function<void(const QString&)> recorder;

void playOnGuiThread(const QString& name) {
  const QString file = paths::resource(QStringLiteral("sounds/") + name + QStringLiteral(".wav"));
  if (!QFileInfo::exists(file)) return;
  // Qt Multimedia comes with the first sound (see media_player_module.h); without it, silence.
  const player::MediaPlayerFunctions* media = player::mediaPlayerFunctions();
  if (!media || !media->audioOutputExists()) return;
  media->playSoundFile(name, file);
}

}  // namespace

void setSoundRecorder(std::function<void(const QString&)> r) {
  const std::lock_guard lock(recorderMutex);
  recorder = std::move(r);
}

void playSound(const QString& name) {
  {
    const std::lock_guard lock(recorderMutex);
    if (recorder) return recorder(name);
  }
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  if (QThread::currentThread() == app->thread()) {
    playOnGuiThread(name);
  } else {
    QMetaObject::invokeMethod(
        app, [name] { playOnGuiThread(name); }, Qt::QueuedConnection);
  }
}

void playFeedbackSound(const QString& name) {
  if (pvSoundStatus != 0) playSound(name);
}

}  // namespace pravella
