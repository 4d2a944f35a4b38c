#include "graphics/graph_title.h"

#include "graphics/color_table.h"
#include "graphics/offscreen_world.h"

std::array<std::string, kGraphTitleSlots> graphTitle;
std::array<std::string, kGraphTitleSlots> graphTitleColor;
std::array<std::string, kGraphTitleSlots> TitleFont;
std::array<std::int16_t, kGraphTitleSlots> TitleFontSize{};
std::array<std::int32_t, kGraphTitleSlots> graphTitleXpos{};
std::array<std::int32_t, kGraphTitleSlots> graphTitleYpos{};

namespace {

// The slots are fixed-size texts: longer input is cut at the slot's capacity.
std::string cut(const std::string& text, std::size_t capacity) {
  return text.size() < capacity ? text : text.substr(0, capacity - 1);
}

struct TitleInit {
  TitleInit() { initTitle(); }
} titleInit;

}  // namespace

void initTitle() {
  for (int i = 0; i < kGraphTitleSlots; ++i) {
    graphTitle[i].clear();
    graphTitleColor[i].clear();
    TitleFont[i] = "Osaka";
    TitleFontSize[i] = 0;
    graphTitleXpos[i] = 0;
    graphTitleYpos[i] = 0;
  }
}

int DrawTitle() {
  pravella::OffScreenWorld* port = pravella::currentPort();
  for (int i = 0; i < kGraphTitleSlots; ++i) {
    if (graphTitle[i].empty()) continue;
    if (port) {
      port->textFont(QString::fromStdString(TitleFont[i]));
      port->textSize(TitleFontSize[i]);
      setProgForeColor(ColorNameToNum(graphTitleColor[i]));
      port->moveTo(static_cast<std::int16_t>(graphTitleXpos[i] & 0xFFFF),
                   static_cast<std::int16_t>(graphTitleYpos[i] & 0xFFFF));
      port->drawString(QString::fromUtf8(graphTitle[i].data(), static_cast<qsizetype>(graphTitle[i].size())));
    }
    graphTitle[i].clear();
  }
  if (port) {
    port->textSize(9);
    port->textFont(QString());
  }
  return 1;
}

int setGraphTitle(int slot, const std::string& text, std::int32_t x, std::int32_t y, int argumentCount,
                  const std::string& color, const std::string& font, int size) {
  if (slot < 0 || slot >= kGraphTitleSlots) return 0;
  graphTitle[slot] = cut(text, 256);
  graphTitleXpos[slot] = x;
  graphTitleYpos[slot] = y;
  if (argumentCount == 3) {
    graphTitleColor[slot] = "black";
    TitleFontSize[slot] = 9;
  } else if (argumentCount == 4) {
    graphTitleColor[slot] = cut(color, 64);
    TitleFontSize[slot] = 9;
  } else {
    graphTitleColor[slot] = cut(color, 64);
    TitleFont[slot] = cut(font, 64);
    TitleFontSize[slot] = static_cast<std::int16_t>(size);
  }
  return 1;
}
