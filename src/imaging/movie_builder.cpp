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

Answer post(const char* name, const QString& text = {}, const QVariant& payload = {}) {
  NotificationCenter& center = NotificationCenter::defaultCenter();
  const QString n = QString::fromLatin1(name);
  if (!center.hasObservers(n)) return Answer::NoReceiver;
  Notification note;
  note.name = n;
  note.text = text;
  note.payload = payload;
  return center.post(note).toBool() ? Answer::Done : Answer::Refused;
}

}  // namespace

Answer openVkMovieWindow() { return post(kOpenNotification); }

Answer pasteImageToMovie(const QByteArray& picture, std::int64_t units) {
  return post(kPasteNotification, {}, QVariantList{picture, static_cast<qlonglong>(units)});
}

Answer saveMovie(const QString& path) { return post(kSaveNotification, path); }

Answer saveMovieAs() { return post(kSaveAsNotification); }

void command(const QString& name, double value) { post(kCommandNotification, name, value); }

}  // namespace pravella::moviebuilder
