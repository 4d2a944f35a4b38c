#pragma once
// The movie builder as programs see it: requests to the one builder window, posted as
// notifications (the picture of a new frame travels in its notification). Where no builder
// observes them (pravella-calc), opening and adding or saving answer NoReceiver and every other
// command does nothing.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace pravella::moviebuilder {

inline constexpr char kOpenNotification[] = "openVkMovieWindow";
inline constexpr char kPasteNotification[] = "pasteImageToMovie";
inline constexpr char kSaveNotification[] = "Movie_Save";
inline constexpr char kSaveAsNotification[] = "Movie_SaveAs";
// The other commands: the text names one of kCommands, the payload carries its number.
inline constexpr char kCommandNotification[] = "Movie_command";

// How long a frame of `seconds` lasts in 1/600 s: trunc(seconds × 600), with 1e-9 of slack so
// that 0.205 s, whose product is 122.99999…, gives 123. None for a duration that is not finite
// or lasts less than one unit (such a frame would never show).
std::optional<std::int64_t> frameUnits(double seconds);

enum class Answer { NoReceiver, Done, Refused };

Answer openVkMovieWindow();
// Appends the picture (its bytes) as a frame of `units`; Refused when no builder movie is open.
Answer pasteImageToMovie(const QByteArray& picture, std::int64_t units);
// A refused save leaves the builder's reason (a sentence naming the file) in `why`, or
// nothing when it has none (a cancelled panel, no frames).
Answer saveMovie(const QString& path, QString* why = nullptr);
Answer saveMovieAs(QString* why = nullptr);
// "gotoBeginning", "gotoEnd", "start", "stop", "stepBack", "stepForward", "clear", "copy",
// "cut", "delete", "paste", "selectAll", "close", "setRate", "resizeWithMagnification",
// "setLoopMode", "playsSelectionOnly", "setPlaysEveryFrame".
void command(const QString& name, double value = 0);

}  // namespace pravella::moviebuilder
