#pragma once
// The tagged text that describes a user control panel: a box, up to 200 controls with their
// programs, and a program run once the panel is built. Tags are found by plain substring
// search (case counts) in the UTF-8 bytes, exactly as users have always written them: a tag
// inside a program text that stands before the real one is taken, and keywords must match
// byte for byte (a trailing blank or CR makes another word).
//
// Also the lookup of a control's block in a memo's text, for the editing of its frame line.

#include <QString>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pravella::ammode {

inline constexpr int kMaxControls = 200;
inline constexpr std::size_t kLineValueLimit = 256;
// Frame and value numbers are held within this (a huge float gives no usable geometry).
inline constexpr double kNumberLimit = 100000.0;

enum class ControlType { PushButton, Switch, Radio, TextField, ImageView, Slider };

struct ControlDescription {
  std::string name;
  ControlType type = ControlType::PushButton;
  std::optional<std::string> prog;  // program texts exactly as written
  std::optional<std::string> drop;
  std::array<double, 4> frame{};  // x, y from the top of the box, width, height
  std::string title;
  std::string align;
  std::string style;
  std::string border;
  std::string scaling;
  std::array<double, 3> value{};  // minimum, current, maximum of a slider
};

struct Definition {
  std::string boxTitle;
  double boxWidth = 0;
  double boxHeight = 0;
  std::optional<std::string> initProg;
  std::vector<ControlDescription> controls;  // at most kMaxControls
  int leftOut = 0;                            // blocks past the table, not read
};

// Reads a definition. Nothing (no change to any panel) when "<AmMode>" or the "</AmMode>"
// after it is missing. Blocks past kMaxControls are left out, with one console line.
std::optional<Definition> readDefinition(std::string_view text);

// The value forms, for the tests and the commands that read the same numbers.
std::string lineValue(std::string_view text, std::string_view tag);
// `count` numbers after the tag as C floats; missing ones 0; each held within kNumberLimit.
std::vector<double> numbersAfter(std::string_view text, std::string_view tag, int count);
double clampNumber(double v);

// Keyword codes, each the value a control receives; any other word takes the default.
enum class TextAlign { Left, Right, Centre, Justified, Natural };
TextAlign textAlign(std::string_view word);
// 0 centre, then Top 1, TopLeft 2, TopRight 3, Left 4, Bottom 5, BottomLeft 6,
// BottomRight 7, Right 8.
int imageAlign(std::string_view word);
// 0 none, Photo 1, Gray 2, Groove 3, Button 4.
int imageFrameStyle(std::string_view word);
// 0 proportional, ToFit 1, None 2 (zoom and pan).
int imageScaling(std::string_view word);

// A control's block in a memo text, for Alt-click and Alt-drag editing. The scanner skips
// blanks, commas and TABs before each step; the name is the rest of the "<Name>" line.
struct BlockInText {
  int buttonStart = -1;  // the "<Button>" tag
  int nameLine = -1;     // the "<Name>" tag
  int blockEnd = -1;     // the "</Button>" tag
};
std::optional<BlockInText> findControlBlock(const QString& text, const QString& name);

// The edit that records a moved frame: the range [start, start + length) of `text` is
// replaced by `replacement`. The old "<Frame>" line of the block (its line end stays) or, when
// the block has none, a new line before "</Button>".
struct FrameEdit {
  int start = 0;
  int length = 0;
  QString replacement;
};
FrameEdit frameLineEdit(const QString& text, const BlockInText& block, double x, double y, double w,
                        double h);
QString frameLine(double x, double y, double w, double h);

}  // namespace pravella::ammode
