#include "graphics/gl/gl_commands.h"

#include <QLocale>
#include <QVariant>

#include <array>
#include <cmath>
#include <limits>

#include "graphics/picture.h"
#include "lang/report.h"
#include "lang/values.h"
#include "platform/notification_center.h"

namespace pravella::gl {

namespace {

constexpr std::array<GLWindowCommand, 16> kCommands{{
    {kMoveGLWindow, 2},
    {kSizeGLWindow, 2},
    {kSetBackColor, 3},
    {kSetLineColor, 3},
    {kSetPointColor, 3},
    {kSetPlaneColor, 3},
    {kSetObjectSize, 1},
    {kSetPointSize, 1},
    {kSetLineWidth, 1},
    {kSetPointSwitch, 1},
    {kSetLineSwitch, 1},
    {kSetPlaneSwitch, 1},
    {kSetColorSwitch, 1},
    {kSetBoxSwitch, 1},
    {kSetWorldRotation, 4},
    {kSetObjectRotation, 4},
}};

void post(const char* name, const QString& title, const QStringList& strings = {}) {
  NotificationCenter& center = NotificationCenter::defaultCenter();
  const QString qname = QString::fromLatin1(name);
  if (center.hasObservers(qname)) center.post(qname, title, strings);
}

}  // namespace

std::span<const GLWindowCommand> glWindowCommands() { return kCommands; }

int glWindowCommandValues(const QString& name) {
  for (const GLWindowCommand& c : kCommands)
    if (name == QLatin1String(c.name)) return c.values;
  return 0;
}

QStringList glCommandValues(std::span<const double> values) {
  QStringList strings;
  for (double v : values) {
    if (std::isnan(v))
      strings << QStringLiteral("nan");
    else
      strings << QString::number(v, 'g', 17);  // "inf", "-inf" and every finite double exactly
  }
  return strings;
}

std::vector<double> glCommandValues(const QStringList& strings) {
  std::vector<double> values;
  values.reserve(static_cast<std::size_t>(strings.size()));
  for (const QString& s : strings) {
    bool ok = false;
    const double v = QLocale::c().toDouble(s, &ok);
    values.push_back(ok ? v : std::numeric_limits<double>::quiet_NaN());
  }
  return values;
}

void postGLWindowCommand(const char* name, const QString& title, std::span<const double> values) {
  post(name, title, glCommandValues(values));
}

void closeAllGLWindow() { post(kCloseAllGLWindow, {}); }
void closeGLWindow(const QString& title) { post(kCloseGLWindow, title); }

void moveGLWindow(const QString& title, double x, double y) {
  const double v[] = {x, y};
  postGLWindowCommand(kMoveGLWindow, title, v);
}
void sizeGLWindow(const QString& title, double w, double h) {
  const double v[] = {w, h};
  postGLWindowCommand(kSizeGLWindow, title, v);
}
void setPointSwitch(const QString& title, double v) { postGLWindowCommand(kSetPointSwitch, title, {&v, 1}); }
void setLineSwitch(const QString& title, double v) { postGLWindowCommand(kSetLineSwitch, title, {&v, 1}); }
void setPlaneSwitch(const QString& title, double v) { postGLWindowCommand(kSetPlaneSwitch, title, {&v, 1}); }
void setColorSwitch(const QString& title, double v) { postGLWindowCommand(kSetColorSwitch, title, {&v, 1}); }

int DoGetGLPicture(const QString& title, QByteArray& picture) {
  NotificationCenter& center = NotificationCenter::defaultCenter();
  const QString name = QString::fromLatin1(kDoGetGLPicture);
  // Without the GL windows (a program run with no display) there is no window of any title.
  const QVariant reply = center.hasObservers(name) ? center.post(name, title) : QVariant();
  if (!reply.isValid()) {
    error_disp("No GL window titled [" + title.toStdString() + "].");
    return 0;
  }
  const QImage image = reply.value<QImage>();
  const Picture made = image.isNull() ? Picture() : Picture::fromImage(image);
  if (made.isEmpty()) {
    error_disp("No Picture in ClipBoard");
    return 0;
  }
  if (made.size() >= static_cast<std::size_t>(TNumber) * 8) {
    error_disp("Too Big Text");
    return 0;
  }
  picture = made.bytes();
  return 1;
}

}  // namespace pravella::gl
