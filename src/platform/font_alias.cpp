#include "platform/font_alias.h"

#include <array>
#include <utility>

namespace pravella {

namespace {

constexpr std::array<std::pair<const char*, const char*>, 12> kAliases = {{
    {"Osaka", "Noto Sans CJK JP"},
    {"Osaka-Mono", "Noto Sans Mono CJK JP"},
    {"HiraKakuStd-W8", "Noto Sans CJK JP"},
    {"HiraKakuPro-W3", "Noto Sans CJK JP"},
    {"HiraKakuPro-W6", "Noto Sans CJK JP"},
    {"HiraMinPro-W3", "Noto Serif CJK JP"},
    {"Geneva", "DejaVu Sans"},
    {"Helvetica", "DejaVu Sans"},
    {"Lucida Grande", "DejaVu Sans"},
    {"Monaco", "DejaVu Sans Mono"},
    {"Courier", "DejaVu Sans Mono"},
    {"Times", "DejaVu Serif"},
}};

}  // namespace

QString fontFamilyFor(const QString& name) {
  for (const auto& [from, to] : kAliases)
    if (name == QLatin1String(from)) return QString::fromLatin1(to);
  return name.isEmpty() ? QStringLiteral("DejaVu Sans") : name;
}

QFont fontFor(const QString& name, int pointSize) {
  QFont font(fontFamilyFor(name));
  font.setPointSize(pointSize > 0 ? pointSize : 12);
  return font;
}

}  // namespace pravella
