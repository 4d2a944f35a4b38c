#pragma once
// The formatting the memo options apply to a document: fonts by the old system's names, the
// "standard document" look, the colour cycle and the date stamps. Documents keep the font
// name they were given ("Monaco"); the alias table draws it with an installed family, and a
// name that leads to no installed family changes nothing.

#include <QColor>
#include <QDateTime>
#include <QString>
#include <optional>

class QTextCursor;
class QTextDocument;

namespace pravella::memo_format {

// The colour cycle of the Format menu: black, red, green, blue, then mixed tones.
inline constexpr int kColourCycleLength = 11;
QColor colourCycle(int index);

// Date stamps: " [2008/05/14] " (10 coloured characters) and " [2008/05/14 09:05:01] " (19);
// the coloured run starts 2 characters into the stamp.
QString dateStampText(const QDateTime& when, bool withTime);
// Replaces the cursor's selection by the stamp and colours its date (and time).
void insertDateStamp(QTextCursor& cursor, const QDateTime& when, bool withTime, const QColor& colour);

// The font name is known: it or its alias is an installed family.
bool fontInstalled(const QString& name);

// The range the font commands act on: the selection when it holds some but not all of the
// text, else the whole text.
struct Range {
  int start = 0;
  int length = 0;
};
Range fontCommandRange(int selectionStart, int selectionLength, int textLength);

// Sets the font (and the colour, when given) over the range. False, with nothing changed, when
// the font is not installed or the size is not a usable point size.
bool applyFont(QTextDocument& document, Range range, const QString& name, double pointSize,
               std::optional<QColor> colour = std::nullopt);

// The index characters that mark heading lines: the user's "indexChar.dat" in the diary's
// Preferences when it exists (read whole), else "■□◆◇●○◎▲△▼▽※".
QString indexCharacters();

// The standard document look: lines that begin with an index character in the heading font
// and an olive colour, every other line in the body font with its colour kept.
inline constexpr const char* kHeadingFont = "HiraKakuStd-W8";
inline constexpr const char* kBodyFont = "HiraMaruPro-W4";
inline constexpr const char* kMonoFont = "Monaco";
QColor headingColour();
bool standardDocument(QTextDocument& document, const QString& indexChars, double pointSize);

}  // namespace pravella::memo_format
