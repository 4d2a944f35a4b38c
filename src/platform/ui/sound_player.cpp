#include "platform/ui/sound_player.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

#include <mutex>

#include "lang/values.h"
#include "platform/paths.h"

namespace pravella {

namespace {

std::mutex recorderMutex;
std::function<void(const QString&)> recorder;

bool audioOutputExists() {
  // Asked once: the device list does not change while a short feedback sound matters.
  static const bool exists = !QMediaDevices::audioOutputs().isEmpty();
  return exists;
}

void playOnGuiThread(const QString& name) {
  if (!audioOutputExists()) return;
  static QHash<QString, QSoundEffect*> effects;
  QSoundEffect* effect = effects.value(name);
  if (!effect) {
    const QString file = paths::resource(QStringLiteral("sounds/") + name + QStringLiteral(".wav"));
    if (!QFileInfo::exists(file)) return;
    effect = new QSoundEffect(QCoreApplication::instance());
    effect->setSource(QUrl::fromLocalFile(file));
    effects.insert(name, effect);
  }
  effect->play();
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
