#include "platform/ui/sound_player.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

#include "lang/values.h"
#include "platform/paths.h"

namespace pravella {

namespace {

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

void playSound(const QString& name) {
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
