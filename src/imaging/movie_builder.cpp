#include "imaging/movie_builder.h"

#include <QVariant>
#include <QVariantList>

#include <cmath>

#include "platform/notification_center.h"

namespace pravella::moviebuilder {

std::optional<std::int64_t> frameUnits(double seconds) {
  if (!std::isfinite(seconds)) return std::nullopt;
  const double units = std::trunc(seconds * 600.0 + 1e-9);
  if (units < 1 || units > 9.0e18) return std::nullopt;
  return static_cast<std::int64_t>(units);
}

namespace {

// A refusal's reason comes back as the first of the notification's strings.
Answer post(const char* name, const QString& text = {}, const QVariant& payload = {},
            QString* why = nullptr) {
  NotificationCenter& center = NotificationCenter::defaultCenter();
  const QString n = QString::fromLatin1(name);
  if (!center.hasObservers(n)) return Answer::NoReceiver;
  Notification note;
  note.name = n;
  note.text = text;
  note.payload = payload;
  if (center.post(note).toBool()) return Answer::Done;
  if (why) *why = note.strings.value(0);
  return Answer::Refused;
}

}  // namespace

Answer openVkMovieWindow() { return post(kOpenNotification); }

Answer pasteImageToMovie(const QByteArray& picture, std::int64_t units) {
  return post(kPasteNotification, {}, QVariantList{picture, static_cast<qlonglong>(units)});
}

Answer saveMovie(const QString& path, QString* why) { return post(kSaveNotification, path, {}, why); }

Answer saveMovieAs(QString* why) { return post(kSaveAsNotification, {}, {}, why); }

void command(const QString& name, double value) { post(kCommandNotification, name, value); }

}  // namespace pravella::moviebuilder
