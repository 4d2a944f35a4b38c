#pragma once
// The RTF reader's parser, shared by its two products: a QTextDocument (rtf::read) and plain
// text (rtf::readPlainText). The parser owns everything that decides which characters the text
// holds and where they go: tokens, groups, destinations, fonts and their code pages, \uN and
// its fallback, fields, attachments, list markers and the shape of tables. A sink builds the
// product from what the parser hands it, so both products see exactly the same text, cut
// into the same runs.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QTextOption>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtf.h"

namespace pravella::rtf::detail {

enum class Dest {
  Text,  // the document body, a field result
  FontTable,
  ColorTable,
  FieldInst,
  Pict,
  Attachment,  // \NeXTGraphic: the text is the attachment's file name
  ListText,    // \listtext, \pntext: the marker of a list item, which the list itself draws
};

struct CharState {
  int font = -1;        // index into the font table; -1 = the default font
  int halfPoints = 24;  // RTF's default size is 12 points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  int fg = 0;  // colour table indexes; 0 = automatic
  int bg = 0;
  int vertical = 0;  // 1 superscript, -1 subscript
  bool operator==(const CharState&) const = default;
};

struct ParaState {
  int align = 0;  // 0 natural, 1 left, 2 centre, 3 right, 4 justified
  int left = 0;   // twips
  int first = 0;
  int right = 0;
  int before = 0;
  int after = 0;
  int lineSpacing = 0;  // \sl
  bool lineMultiple = false;
  QList<QTextOption::Tab> tabs;
  QTextOption::TabType nextTabType = QTextOption::LeftTab;
  bool inTable = false;  // \intbl: the paragraph belongs to a table cell
  int listId = 0;        // \ls: the list (override) number, 0 = none
  int listLevel = 0;     // \ilvl
};

struct Group {
  Dest dest = Dest::Text;
  CharState ch;
  ParaState para;
  int uc = 1;               // fallback characters after \uN
  bool ignoreText = false;  // the placeholder character after an attachment, an \object
  bool isField = false;
  bool isFieldInst = false;
  bool isAttachment = false;
  bool isPict = false;
  QString href;  // inside a HYPERLINK field's result
};

struct FontEntry {
  QString name;
  int charset = 0;
  int codePage = 0;  // \cpg, 0 = none
};

// The document's tables as far as a sink needs them to format text.
struct Tables {
  std::vector<FontEntry> fonts;
  std::vector<int> fontNumbers;  // the \fN of each entry of `fonts`
  std::vector<QColor> colors;
  int defaultFont = 0;  // \deff: a font number

  int fontIndexOf(int number) const {
    for (size_t i = 0; i < fontNumbers.size(); ++i)
      if (fontNumbers[i] == number) return static_cast<int>(i);
    return -1;
  }
};

// A paragraph is a list item when it names a list or carries a marker of its own.
bool isListItem(const ParaState& pa, const QString& listMarker);

// What the parser builds. Text comes at the cursor; the parser moves the cursor into tables and
// out of them through the table calls, in the order a document needs them.
class Sink {
 public:
  virtual ~Sink() = default;
  // Colours, links, picture bytes and tab stops only matter to a document.
  virtual bool wantsFormats() const = 0;
  // The input reads as RTF: the product starts empty.
  virtual void begin() {}
  // A run of text in one format; it may hold "\n", "\r" and the like, which end paragraphs.
  virtual void text(const QString& run, const Group& g) = 0;
  // The paragraph at the cursor ends with the paragraph state `pa`; text goes on in a new one.
  virtual void paragraphEnd(const ParaState& pa, const QString& listMarker, const Group& g) = 0;
  // The cell at the cursor ends with the paragraph state `pa`.
  virtual void cellEnd(const ParaState&, const QString&) {}
  // A table of one row at the cursor, the cursor in its first cell. `cellx`: the right edges of
  // the row's cells (twips), as far as known.
  virtual void startTable(int columns, const std::vector<int>& cellx) = 0;
  virtual void appendRow() = 0;
  virtual void appendColumn() = 0;
  virtual void moveToCell(int row, int column) = 0;
  // A tab at the end of the cell, the cursor behind it: a row with more cells than a table has
  // columns joins the rest into its last cell.
  virtual void tabIntoCell(int row, int column) = 0;
  // The cursor goes to the paragraph after the table.
  virtual void endTable() = 0;
  // The row ended; `cellx` are its cells' right edges.
  virtual void rowEnd(const std::vector<int>&) {}
  // An attachment (or picture) at the cursor, in the format of `g`.
  virtual void attachment(const Attachment& a, QSizeF size, const Group& g) = 0;
  virtual void defaultTabStop(int) {}
  // The input ended. `lastPara` is the paragraph state in force at the end, `lastChars` (when
  // known) the outermost group's character state as it closed.
  virtual void finish(const ParaState&, const QString&, const Group*) {}
};

class Parser {
 public:
  Parser(const QByteArray& input, const AttachmentLoader& loader);
  ReadResult run(Sink& sink);
  const Tables& tables() const { return tables_; }

 private:
  enum class Kw : uint8_t;

  bool parse();
  Group& top() { return stack_.back(); }
  void openGroup();
  bool closeGroup();
  void skipGroupBody();
  void skipCurrentGroup();
  std::optional<int64_t> readNumber(bool allowNegative);
  void plainBytes();
  void controlWord();
  void controlSymbol(char c);
  void handleWord(Kw k, std::optional<int64_t> param);
  void setDest(Dest d);
  int codePage() const;
  void rawByte(unsigned char c, bool escaped = false);
  void codeByte(unsigned char b);
  void flushBytes();
  void unicodeWithFallback(int64_t n);
  void unicodeChar(int64_t unit);
  void appendUnit(char16_t unit);
  void appendText(const QString& text);
  void finishFontEntry(bool always);
  void flushRun();
  void paragraphEnd();
  void finish();
  void placeForText(bool cellContent = false);
  void startTable();
  void endTable();
  void cellEnd();
  void rowEnd();
  void finishPicture();
  void finishAttachment();
  void insertAt(const Attachment& a, QSizeF size);

  const char* in_;
  const char* end_;
  const char* pos_ = nullptr;
  const AttachmentLoader& loader_;
  Sink* sink_ = nullptr;
  bool formats_ = true;

  std::vector<Group> stack_;
  bool starPending_ = false;
  int skipFallback_ = 0;
  QString run_;
  QByteArray pendingBytes_;
  bool pendingInPair_ = false;
  int pendingCodePage_ = 1252;
  int docCodePage_ = 1252;
  ParaState lastPara_;
  std::optional<Group> lastChars_;

  Tables tables_;
  int fontNumber_ = -1;
  int fontCharset_ = 0;
  int fontCodePage_ = 0;
  QString fontName_;

  bool colorSet_ = false;
  int colorRed_ = 0, colorGreen_ = 0, colorBlue_ = 0;

  struct Field {
    QString instruction;
    QString href;
  };
  std::vector<Field> fields_;

  QString attachmentName_;
  int attachmentWidth_ = 0, attachmentHeight_ = 0;

  QString listMarker_;

  bool inTable_ = false;
  int columns_ = 0;
  int row_ = 0, col_ = 0;
  bool cellPending_ = false;
  bool rowEnded_ = false;
  std::vector<int> rowCellx_;

  QByteArray pictBytes_;
  std::string pictHex_;
  std::string pictKind_;
  int pictGoalW_ = 0, pictGoalH_ = 0, pictW_ = 0, pictH_ = 0;
};

}  // namespace pravella::rtf::detail
