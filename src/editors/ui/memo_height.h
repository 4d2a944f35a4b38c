#pragma once
// How tall a memo may grow. Qt lays a text document out with its positions in 26.6 fixed point
// held in an int, so nothing below 33,554,431 pixels from the top can be placed: a document
// taller than that overflows its positions, and its layout never reaches its end (each edit
// lays it all out again, for minutes). Well before that, past 21,474,836 pixels (the largest
// int over 100), a text editor's scroll bar loses its range and the view cannot scroll at
// all. A program's text that would make a memo taller than the lower of the two stops there,
// and a document that is taller already is kept without a layout.
//
// Heights are estimated from the lines and the font in use, since asking Qt's layout for the
// document's height lays all of it out first; the real bottom of the last line counts instead
// when it is laid out already. The limit keeps a twentieth of the room as a margin.

#include <QString>
#include <QStringView>

class QFont;
class QTextCursor;
class QTextDocument;

namespace pravella {

// The most the layout holds, in pixels (the largest 26.6 fixed-point value).
inline constexpr double kLayoutHeightLimit = 33554431.0;
// The most a text editor's scroll bar reaches, in pixels.
inline constexpr double kScrollHeightLimit = 21474836.0;
// The environment variable that sets a smaller limit, in pixels (tests).
inline constexpr char kMemoHeightLimitVariable[] = "PRAVELLA_MEMO_HEIGHT_LIMIT";

// The height a memo may reach: nineteen twentieths of kScrollHeightLimit, or the environment's.
double memoHeightLimit();
// The height of one line of `font` as the layout makes it (whole pixels).
double lineHeightOf(const QFont& font);
// The estimated height of `doc`, in lines of `lineHeight`.
double estimatedHeight(const QTextDocument& doc, double lineHeight);
// True when `doc` is already taller than a memo may be.
bool tooTallForMemo(const QTextDocument& doc);

// How much of `text` may go in at `at` before the memo would grow past its limit: all of it,
// or the part up to and including the last line end that fits. `lineHeight` is set to the
// height the estimate used, for the message.
qsizetype textThatFits(const QTextCursor& at, QStringView text, double* lineHeight = nullptr);

// Why a program's text stopped: names the limit in pixels and in lines of `lineHeight`.
QString tooTallMessage(double lineHeight);
// The status line's text for a document too tall to be laid out.
QString tooTallDocumentMessage(const QTextDocument& doc);

}  // namespace pravella
