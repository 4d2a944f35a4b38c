#include "diary/ui/sun_moon_panel.h"

#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/font_aliases.h"

namespace pravella {
namespace {

// The fields' columns line up from day to day: a family that is fixed-pitch by itself, which
// the installed fonts always hold (the desktop's "monospace" may name a face that is not).
QFont fieldFont() {
  QFont font(fonts::familyFor(QStringLiteral("Monaco")));
  font.setStyleHint(QFont::Monospace);
  return font;
}

// Wide enough for the widest text a field shows ("+140.10", "2009/03/20" for the date).
QLabel* field(const QString& name, int chars, const QString& tip, QWidget* parent) {
  auto* f = new QLabel(parent);
  f->setObjectName(name);
  f->setFont(fieldFont());
  f->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  f->setTextInteractionFlags(Qt::TextSelectableByMouse);
  f->setMinimumWidth(QFontMetrics(f->font()).horizontalAdvance(QString(chars, QLatin1Char('0'))) + 4);
  f->setToolTip(tip);
  return f;
}

QLabel* caption(const QString& text, const QString& tip, QWidget* parent) {
  auto* c = new QLabel(text, parent);
  c->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  c->setToolTip(tip);
  return c;
}

}  // namespace

SunMoonPanel::SunMoonPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("sunMoonPanel"));

  date_ = field(QStringLiteral("sunMoonDate"), 10, tr("The day the times are for"), this);
  latitude_ = field(QStringLiteral("sunMoonLatitude"), 7, tr("Latitude in degrees, north positive"), this);
  longitude_ = field(QStringLiteral("sunMoonLongitude"), 7, tr("Longitude in degrees, east positive"), this);
  timezone_ = field(QStringLiteral("sunMoonTimeZone"), 7, tr("Time zone in hours east of Greenwich"), this);
  sunrise_ = field(QStringLiteral("sunMoonSunrise"), 5, tr("Sunrise, local time of the place"), this);
  sunset_ = field(QStringLiteral("sunMoonSunset"), 5, tr("Sunset, local time of the place"), this);
  moonrise_ = field(QStringLiteral("sunMoonMoonrise"), 5, tr("Moonrise, local time of the place"), this);
  moonset_ = field(QStringLiteral("sunMoonMoonset"), 5, tr("Moonset, local time of the place"), this);
  moonage1_ = field(QStringLiteral("sunMoonMoonAge1"), 5,
                    tr("Moon age in days from the mean lunation, at noon Japan time"), this);
  moonage2_ = field(QStringLiteral("sunMoonMoonAge2"), 5,
                    tr("Moon age in days from the sun's and moon's longitudes, at noon Japan time"), this);

  // Two lines, so that the calendar column stays short enough for small screens: the day and
  // the place, then the sun's and the moon's rise and set and the moon's two ages.
  auto* lines = new QVBoxLayout(this);
  lines->setContentsMargins(4, 0, 4, 0);
  lines->setSpacing(1);
  auto* place = new QHBoxLayout;
  place->setSpacing(4);
  place->addWidget(date_);
  place->addStretch(1);
  place->addWidget(caption(tr("Lat"), tr("Latitude"), this));
  place->addWidget(latitude_);
  place->addSpacing(6);
  place->addWidget(caption(tr("Lon"), tr("Longitude"), this));
  place->addWidget(longitude_);
  place->addSpacing(6);
  place->addWidget(caption(tr("TZ"), tr("Time zone"), this));
  place->addWidget(timezone_);
  lines->addLayout(place);

  auto* events = new QHBoxLayout;
  events->setSpacing(4);
  events->addWidget(caption(tr("Sun"), tr("Sunrise and sunset"), this));
  events->addWidget(sunrise_);
  events->addWidget(sunset_);
  events->addStretch(1);
  events->addWidget(caption(tr("Moon"), tr("Moonrise and moonset"), this));
  events->addWidget(moonrise_);
  events->addWidget(moonset_);
  events->addStretch(1);
  events->addWidget(caption(tr("Age"), tr("The moon's age in days by two methods"), this));
  events->addWidget(moonage1_);
  events->addWidget(moonage2_);
  lines->addLayout(events);
}

}  // namespace pravella
