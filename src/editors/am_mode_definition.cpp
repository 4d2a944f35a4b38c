#include "editors/am_mode_definition.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/console_log.h"

namespace pravella::ammode {

namespace {

std::size_t find(std::string_view text, std::string_view tag, std::size_t from = 0) {
  return from > text.size() ? std::string_view::npos : text.find(tag, from);
}

// The text between the first `open` and the first `close` after it; none when either is
// missing.
std::optional<std::string> enclosed(std::string_view text, std::string_view open, std::string_view close) {
  const std::size_t a = find(text, open);
  if (a == std::string_view::npos) return std::nullopt;
  const std::size_t b = find(text, close, a + open.size());
  if (b == std::string_view::npos) return std::nullopt;
  return std::string(text.substr(a + open.size(), b - a - open.size()));
}

// Cuts at most `limit` bytes without splitting a UTF-8 sequence.
std::string_view cutUtf8(std::string_view s, std::size_t limit) {
  if (s.size() <= limit) return s;
  std::size_t n = limit;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

ControlType typeOf(const std::string& word) {
  if (word == "Switch") return ControlType::Switch;
  if (word == "Radio") return ControlType::Radio;
  if (word == "TextField") return ControlType::TextField;
  if (word == "ImageView") return ControlType::ImageView;
  if (word == "Slider") return ControlType::Slider;
  return ControlType::PushButton;
}

ControlDescription readBlock(std::string_view block) {
  ControlDescription c;
  c.name = lineValue(block, "<Name>");
  c.prog = enclosed(block, "<Prog>", "</Prog>");
  c.drop = enclosed(block, "<Drop>", "</Drop>");
  c.type = typeOf(lineValue(block, "<Type>"));
  const std::vector<double> f = numbersAfter(block, "<Frame>", 4);
  c.frame = {f[0], f[1], std::max(0.0, f[2]), std::max(0.0, f[3])};
  const bool button = c.type == ControlType::PushButton || c.type == ControlType::Switch ||
                      c.type == ControlType::Radio;
  if (button || c.type == ControlType::TextField) c.title = lineValue(block, "<Title>");
  if (c.type == ControlType::PushButton || c.type == ControlType::TextField) {
    c.border = lineValue(block, "<Border>");
  }
  if (c.type == ControlType::PushButton || c.type == ControlType::TextField ||
      c.type == ControlType::ImageView) {
    c.align = lineValue(block, "<Align>");
    c.style = lineValue(block, "<Style>");
  }
  if (c.type == ControlType::ImageView) c.scaling = lineValue(block, "<Scaling>");
  if (c.type == ControlType::Slider) {
    const std::vector<double> v = numbersAfter(block, "<Value>", 3);
    c.value = {v[0], v[1], v[2]};
  }
  return c;
}

}  // namespace

double clampNumber(double v) {
  if (std::isnan(v)) return 0.0;
  return std::clamp(v, -kNumberLimit, kNumberLimit);
}

std::string lineValue(std::string_view text, std::string_view tag) {
  std::size_t p = find(text, tag);
  if (p == std::string_view::npos) return {};
  p += tag.size();
  while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
  if (p >= text.size() || text[p] == '\n') return {};
  std::size_t e = text.find('\n', p);
  if (e == std::string_view::npos) e = text.size();
  return std::string(cutUtf8(text.substr(p, e - p), kLineValueLimit));
}

std::vector<double> numbersAfter(std::string_view text, std::string_view tag, int count) {
  std::vector<double> out(static_cast<std::size_t>(count), 0.0);
  std::size_t p = find(text, tag);
  if (p == std::string_view::npos) return out;
  p += tag.size();
  const char* s = text.data() + p;
  const char* end = text.data() + text.size();
  // As a C "%f %f ..." conversion: white space (line ends too) between numbers, an optional
  // sign, the first text that is no number ends the list.
  for (int i = 0; i < count; ++i) {
    while (s < end && (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\r' || *s == '\f' || *s == '\v')) ++s;
    bool negative = false;
    if (s < end && (*s == '+' || *s == '-')) {
      negative = *s == '-';
      ++s;
    }
    float v = 0;
    const auto [next, ec] = std::from_chars(s, end, v);
    if (ec == std::errc::result_out_of_range) {
      v = HUGE_VALF;  // a C conversion gives infinity; held within the limit below
    } else if (ec != std::errc()) {
      break;
    }
    out[static_cast<std::size_t>(i)] = clampNumber(negative ? -static_cast<double>(v) : v);
    s = next;
  }
  return out;
}

std::optional<Definition> readDefinition(std::string_view text) {
  const std::size_t open = find(text, "<AmMode>");
  if (open == std::string_view::npos) return std::nullopt;
  const std::size_t close = find(text, "</AmMode>", open + 8);
  if (close == std::string_view::npos) return std::nullopt;
  const std::size_t endOfDefinition = close + 9;
  const std::string_view after = text.substr(open + 8);

  Definition d;
  d.boxTitle = lineValue(after, "<BoxTitle>");
  const std::vector<double> size = numbersAfter(after, "<BoxSize>", 2);
  d.boxWidth = std::max(0.0, size[0]);
  d.boxHeight = std::max(0.0, size[1]);
  d.initProg = enclosed(after, "<InitProg>", "</InitProg>");

  std::size_t p = open + 8;
  while (p < endOfDefinition) {
    const std::size_t b = find(text, "<Button>", p);
    if (b == std::string_view::npos) break;
    const std::size_t e = find(text, "</Button>", b + 8);
    if (e == std::string_view::npos) break;
    const std::string_view block = text.substr(b + 8, e + 9 - (b + 8));
    if (find(block, "<Name>") == std::string_view::npos) break;
    if (static_cast<int>(d.controls.size()) == kMaxControls) {
      ++d.leftOut;
    } else {
      d.controls.push_back(readBlock(block));
    }
    p = e + 9;
  }
  if (d.leftOut > 0) {
    showErrMessageToConsole("AmMode: the panel holds " + std::to_string(kMaxControls) + " controls; " +
                            std::to_string(d.leftOut) + " more were left out.\n");
  }
  return d;
}

TextAlign textAlign(std::string_view w) {
  if (w == "Left") return TextAlign::Left;
  if (w == "Right") return TextAlign::Right;
  if (w == "Justified") return TextAlign::Justified;
  if (w == "Natural") return TextAlign::Natural;
  return TextAlign::Centre;
}

int imageAlign(std::string_view w) {
  static constexpr std::pair<std::string_view, int> table[] = {
      {"Left", 4}, {"Right", 8}, {"Top", 1}, {"Bottom", 5}, {"TopLeft", 2}, {"TopRight", 3},
      {"BottomLeft", 6}, {"BottomRight", 7}};
  for (const auto& [word, code] : table)
    if (w == word) return code;
  return 0;
}

int imageFrameStyle(std::string_view w) {
  if (w == "Photo") return 1;
  if (w == "Gray") return 2;
  if (w == "Groove") return 3;
  if (w == "Button") return 4;
  return 0;
}

int imageScaling(std::string_view w) {
  if (w == "ToFit") return 1;
  if (w == "None") return 2;
  return 0;
}

// ---- the block of a control in a memo text

namespace {

bool skipped(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char(',') || c == QLatin1Char('\t'); }

}  // namespace

std::optional<BlockInText> findControlBlock(const QString& text, const QString& name) {
  const int open = static_cast<int>(text.indexOf(QStringLiteral("<AmMode>")));
  if (open < 0) return std::nullopt;
  const QString button = QStringLiteral("<Button>");
  const QString buttonEnd = QStringLiteral("</Button>");
  const QString nameTag = QStringLiteral("<Name>");
  int p = open + 8;
  while (p < text.size()) {
    const int b = static_cast<int>(text.indexOf(button, p));
    if (b < 0) return std::nullopt;
    const int e = static_cast<int>(text.indexOf(buttonEnd, b + 8));
    if (e < 0) return std::nullopt;
    const int n = static_cast<int>(text.indexOf(nameTag, b + 8));
    if (n >= 0 && n < e) {
      int s = n + 6;
      while (s < text.size() && skipped(text[s])) ++s;
      int lineEnd = static_cast<int>(text.indexOf(QLatin1Char('\n'), s));
      if (lineEnd < 0) lineEnd = static_cast<int>(text.size());
      // The same value the reader takes: the rest of the line, at most 256 bytes of UTF-8.
      const std::string value = text.mid(s, lineEnd - s).toStdString();
      if (QString::fromStdString(std::string(cutUtf8(value, kLineValueLimit))) == name)
        return BlockInText{b, n, e};
    }
    p = e + 9;
  }
  return std::nullopt;
}

QString frameLine(double x, double y, double w, double h) {
  return QString::asprintf("<Frame>\t\t%g\t%g\t%g\t%g", x, y, w, h);
}

FrameEdit frameLineEdit(const QString& text, const BlockInText& block, double x, double y, double w,
                        double h) {
  FrameEdit edit;
  edit.replacement = frameLine(x, y, w, h);
  const int f = static_cast<int>(text.indexOf(QStringLiteral("<Frame>"), block.nameLine));
  if (f >= 0 && f < block.blockEnd) {
    int lineEnd = static_cast<int>(text.indexOf(QLatin1Char('\n'), f));
    if (lineEnd < 0 || lineEnd > block.blockEnd) lineEnd = block.blockEnd;
    edit.start = f;
    edit.length = lineEnd - f;
    return edit;
  }
  // No frame line in this block: one is added rather than rewriting another block's.
  edit.start = block.blockEnd;
  edit.length = 0;
  edit.replacement += QLatin1Char('\n');
  return edit;
}

}  // namespace pravella::ammode
