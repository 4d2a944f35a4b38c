#pragma once
// Feedback sounds ("Tink", "Basso", "Pop", "Purr", "Bottle", "Ping", "Pong2003", "Sosumi",
// "Bonk"): short WAV files among the application's resources (sounds/<name>.wav). A sound plays only when an audio output
// exists and is never waited for; a missing file or device is silent.

#include <QString>

#include <functional>

namespace pravella {

// Plays the named sound on the GUI thread (it may be called from any thread).
void playSound(const QString& name);

// The sound switch of the language (pvSoundStatus): plays only while it is on.
void playFeedbackSound(const QString& name);

// Tests hear what would play: while a recorder is set, every sound that would play is given
// to it (on the calling thread) instead. An empty function plays again.
void setSoundRecorder(std::function<void(const QString&)> recorder);

}  // namespace pravella
