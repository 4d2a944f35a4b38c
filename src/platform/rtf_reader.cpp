// The RTF reader. One pass over the bytes with an explicit stack of group states (no
// recursion, so nesting depth costs memory, not stack). Text is gathered in runs of one
// character format and inserted into the document when the format or the paragraph changes.

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextLength>
#include <QTextList>
#include <QTextOption>
#include <QTextTable>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <map>
#include <string_view>

#include "platform/console_log.h"
#include "platform/font_aliases.h"
#include "platform/rtf.h"
#include "platform/text_encoding.h"

namespace pravella::rtf {
namespace {

// Deeper groups than this are skipped whole. Real documents nest a handful of levels; the
// limit only bounds the memory a hostile file can make us spend.
constexpr size_t kMaxDepth = 512;
// More tab stops than this in one paragraph are ignored.
constexpr qsizetype kMaxTabs = 256;
// Sizes and distances are clamped to what a page can hold, so that absurd numbers in a broken
// file cannot make layout run away.
constexpr int kMaxFontHalfPoints = 2 * 1000;
constexpr int kMaxTwips = 20 * 10000;
// Cells in a table row: what RTF itself allows.
constexpr int kMaxColumns = 63;

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

struct Field {
  QString instruction;
  QString href;
};

int clampInt(int64_t v, int lo, int hi) { return static_cast<int>(std::clamp<int64_t>(v, lo, hi)); }

// The code page of an RTF font character set (0 when it follows the document's).
int codePageOfCharset(int charset) {
  switch (charset) {
    case 77:
      return 10000;
    case 78:
      return 10001;
    case 128:
      return 932;
    case 129:
      return 949;
    case 134:
      return 936;
    case 136:
      return 950;
    case 161:
      return 1253;
    case 162:
      return 1254;
    case 177:
      return 1255;
    case 178:
      return 1256;
    case 186:
      return 1257;
    case 204:
      return 1251;
    case 222:
      return 874;
    case 238:
      return 1250;
    default:
      return 0;
  }
}

bool isDoubleByteCodePage(int cp) { return cp == 932 || cp == 10001 || cp == 936 || cp == 949 || cp == 950; }

bool isLeadByte(int cp, unsigned char b) {
  if (cp == 932 || cp == 10001) return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  return b >= 0x81 && b <= 0xFE;
}

// Takes the next argument of a field instruction off the front of `rest`: a quoted text or
// one word.
QString takeFieldArgument(QString& rest) {
  QString arg;
  if (rest.startsWith(u'"')) {
    const qsizetype end = rest.indexOf(u'"', 1);
    arg = rest.mid(1, end < 0 ? -1 : end - 1);
    rest = end < 0 ? QString() : rest.mid(end + 1).trimmed();
  } else {
    const qsizetype end = rest.indexOf(u' ');
    arg = rest.left(end);
    rest = end < 0 ? QString() : rest.mid(end + 1).trimmed();
  }
  return arg;
}

// Parses the target of a HYPERLINK field instruction: HYPERLINK "url" or HYPERLINK \l "anchor".
QString hyperlinkTarget(const QString& instruction) {
  const QString s = instruction.trimmed();
  if (!s.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive)) return {};
  QString rest = s.mid(9).trimmed();
  bool local = false;
  QString target;
  while (!rest.isEmpty()) {
    if (rest.startsWith(u'\\')) {
      // A switch: \l takes the following argument as an anchor; the others are skipped with
      // their argument when they have one.
      const QChar sw = rest.size() > 1 ? rest.at(1) : QChar();
      rest = rest.mid(2).trimmed();
      if (sw == u'l') local = true;
      if (sw == u'l' || sw == u'o' || sw == u't') {
        const QString arg = takeFieldArgument(rest);
        if (sw == u'l')
          target = target.isEmpty() ? QStringLiteral("#") + arg : target + QStringLiteral("#") + arg;
      }
      continue;
    }
    const QString arg = takeFieldArgument(rest);
    if (!arg.isEmpty() && target.isEmpty())
      target = arg;
    else if (!arg.isEmpty() && local)
      target += arg;
  }
  return target;
}

class Reader {
 public:
  Reader(const QByteArray& input, QTextDocument& doc, const AttachmentLoader& loader)
      : in_(input.constData()),
        end_(input.constData() + input.size()),
        doc_(doc),
        cursor_(&doc),
        loader_(loader) {}

  ReadResult run() {
    const char* p = in_;
    // A byte-order mark or blank lines before the header are tolerated.
    if (end_ - p >= 3 && std::string_view(p, 3) == "\xEF\xBB\xBF") p += 3;
    while (p < end_ && (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t')) ++p;
    if (end_ - p < 5 || std::string_view(p, 5) != "{\\rtf") return {};
    pos_ = p;
    fonts::installFontAliases();
    const bool undo = doc_.isUndoRedoEnabled();
    doc_.setUndoRedoEnabled(false);
    doc_.clear();
    // A document without \deftab has the default tab stops, whatever the last one had.
    QTextOption option = doc_.defaultTextOption();
    option.setTabStopDistance(QTextOption().tabStopDistance());
    doc_.setDefaultTextOption(option);
    cursor_ = QTextCursor(&doc_);
    const bool complete = parse();
    finish();
    doc_.setUndoRedoEnabled(undo);
    return {true, complete};
  }

 private:
  // ---- the token loop ----

  bool parse() {
    while (pos_ < end_) {
      const char c = *pos_;
      if (c == '{') {
        ++pos_;
        openGroup();
      } else if (c == '}') {
        ++pos_;
        if (closeGroup()) return true;  // the outermost group ended: the document is complete
      } else if (c == '\\') {
        ++pos_;
        controlWord();
      } else {
        ++pos_;
        if (stack_.empty()) continue;  // nothing counts outside the outermost group
        if (c == '\n' || c == '\r') continue;
        rawByte(static_cast<unsigned char>(c));
      }
    }
    return false;
  }

  Group& top() { return stack_.back(); }

  void openGroup() {
    flushBytes();
    skipFallback_ = 0;
    starPending_ = false;
    if (stack_.size() >= kMaxDepth) {
      skipGroupBody();
      return;
    }
    if (stack_.empty()) {
      stack_.emplace_back();
    } else {
      Group g = top();
      // What marks a group as a field or an attachment belongs to that group alone.
      g.isField = g.isFieldInst = g.isAttachment = g.isPict = false;
      stack_.push_back(std::move(g));
    }
  }

  // Returns true when the outermost group closed.
  bool closeGroup() {
    flushBytes();
    skipFallback_ = 0;
    starPending_ = false;
    if (stack_.empty()) return true;
    if (top().dest == Dest::Text) flushRun();  // the document merges runs of equal format again
    Group closing = std::move(stack_.back());
    if (closing.dest == Dest::FontTable) finishFontEntry(false);
    if (stack_.size() == 1) {
      lastPara_ = closing.para;
      lastChars_ = charFormat(closing);
    }
    if (closing.isFieldInst && !fields_.empty())
      fields_.back().href = hyperlinkTarget(fields_.back().instruction);
    if (closing.isField && !fields_.empty()) fields_.pop_back();
    stack_.pop_back();
    if (closing.isPict) finishPicture();
    if (closing.isAttachment) finishAttachment();
    return stack_.empty();
  }

  // Jumps over the rest of a group whose opening brace was just read, minding escapes and
  // \bin data.
  void skipGroupBody() {
    int depth = 1;
    while (pos_ < end_) {
      const char c = *pos_++;
      if (c == '{') {
        ++depth;
      } else if (c == '}') {
        if (--depth == 0) return;
      } else if (c == '\\' && pos_ < end_) {
        if (end_ - pos_ >= 4 && std::string_view(pos_, 3) == "bin" &&
            (std::isdigit(static_cast<unsigned char>(pos_[3])) || pos_[3] == '-')) {
          pos_ += 3;
          const int64_t n = readNumber(true).value_or(0);
          if (pos_ < end_ && *pos_ == ' ') ++pos_;
          pos_ += std::min<int64_t>(std::max<int64_t>(n, 0), end_ - pos_);
        } else {
          ++pos_;  // an escaped brace or backslash does not count
        }
      }
    }
  }

  // Skips the group now on top of the stack (a destination we do not read).
  void skipCurrentGroup() {
    flushBytes();
    skipGroupBody();
    if (stack_.empty()) return;
    if (top().isField && !fields_.empty()) fields_.pop_back();
    if (stack_.size() == 1) {
      flushRun();
      lastPara_ = top().para;
    }
    stack_.pop_back();
  }

  std::optional<int64_t> readNumber(bool allowNegative) {
    const char* p = pos_;
    bool negative = false;
    if (allowNegative && p < end_ && *p == '-') {
      negative = true;
      ++p;
    }
    const char* digits = p;
    int64_t v = 0;
    while (p < end_ && *p >= '0' && *p <= '9') {
      if (v < INT64_C(100000000000)) v = v * 10 + (*p - '0');
      ++p;
    }
    if (p == digits) return std::nullopt;
    pos_ = p;
    v = std::min<int64_t>(v, INT_MAX);
    return negative ? -v : v;
  }

  void controlWord() {
    if (pos_ >= end_) return;
    const char c = *pos_;
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
      ++pos_;
      controlSymbol(c);
      return;
    }
    const char* start = pos_;
    while (pos_ < end_ && pos_ - start < 32 &&
           ((*pos_ >= 'a' && *pos_ <= 'z') || (*pos_ >= 'A' && *pos_ <= 'Z')))
      ++pos_;
    const std::string_view word(start, static_cast<size_t>(pos_ - start));
    const std::optional<int64_t> param = readNumber(true);
    if (pos_ < end_ && *pos_ == ' ') ++pos_;
    if (stack_.empty()) return;

    if (word == "bin") {
      // Binary data follows: part of a picture, or skipped.
      const int64_t n = std::clamp<int64_t>(param.value_or(0), 0, end_ - pos_);
      if (top().dest == Dest::Pict) pictBytes_.append(pos_, static_cast<qsizetype>(n));
      pos_ += n;
      return;
    }
    if (skipFallback_ > 0) {
      // A control word stands for one fallback character of the \uN before it.
      --skipFallback_;
      return;
    }
    handleWord(word, param);
  }

  void controlSymbol(char c) {
    if (stack_.empty()) return;
    if (c != '\'' && c != '*' && skipFallback_ > 0) {
      // A control symbol stands for one fallback character of the \uN before it.
      --skipFallback_;
      return;
    }
    switch (c) {
      case '\'': {
        // A code-page byte: two hexadecimal digits.
        auto hex = [](char h) -> int {
          if (h >= '0' && h <= '9') return h - '0';
          if (h >= 'a' && h <= 'f') return h - 'a' + 10;
          if (h >= 'A' && h <= 'F') return h - 'A' + 10;
          return -1;
        };
        if (end_ - pos_ < 2) {
          pos_ = end_;
          return;
        }
        const int hi = hex(pos_[0]);
        const int lo = hex(pos_[1]);
        if (hi < 0 || lo < 0) return;  // not a byte: the characters are read as text
        pos_ += 2;
        if (skipFallback_ > 0) {
          --skipFallback_;
          return;
        }
        codeByte(static_cast<unsigned char>(hi * 16 + lo));
        return;
      }
      case '*':
        // The next control word names a destination; a reader that does not know it skips
        // the whole group.
        starPending_ = true;
        return;
      case '\n':
      case '\r':
        controlWordText("par");
        return;
      case '\\':
      case '{':
      case '}':
        rawByte(static_cast<unsigned char>(c), true);
        return;
      case '~':
        unicodeChar(0x00A0);
        return;
      case '_':
        unicodeChar(0x2011);
        return;
      case '-':
        unicodeChar(0x00AD);
        return;
      default:  // \| \: and the like: formula and index marks, not text
        return;
    }
  }

  void controlWordText(std::string_view word) { handleWord(word, std::nullopt); }

  // ---- control words ----

  void handleWord(std::string_view w, std::optional<int64_t> param) {
    const bool star = starPending_;
    starPending_ = false;
    Group& g = top();
    const int64_t n = param.value_or(0);
    const bool on = !param || n != 0;

    // Destinations first.
    if (w == "fonttbl") return setDest(Dest::FontTable);
    if (w == "colortbl") return setDest(Dest::ColorTable);
    if (w == "field") {
      if (g.isField) return;  // one field per group
      flushBytes();
      flushRun();
      g.isField = true;
      fields_.push_back({});
      return;
    }
    if (w == "fldinst") {
      if (fields_.empty()) return skipCurrentGroup();
      g.isFieldInst = true;
      return setDest(Dest::FieldInst);
    }
    if (w == "fldrslt") {
      flushBytes();
      flushRun();
      if (!fields_.empty()) g.href = fields_.back().href;
      g.dest = Dest::Text;
      return;
    }
    if (w == "NeXTGraphic" || w == "NeXTAttachment") {
      flushBytes();
      flushRun();
      g.isAttachment = true;
      attachmentName_.clear();
      attachmentWidth_ = attachmentHeight_ = 0;
      return setDest(Dest::Attachment);
    }
    if (w == "pict") {
      flushBytes();
      flushRun();
      g.isPict = true;
      pictBytes_.clear();
      pictHex_.clear();
      pictKind_.clear();
      pictGoalW_ = pictGoalH_ = pictW_ = pictH_ = 0;
      return setDest(Dest::Pict);
    }
    if (w == "shppict") return;  // holds the \pict we read
    if (w == "listtext" || w == "pntext") {
      listMarker_.clear();
      return setDest(Dest::ListText);
    }
    if (w == "object") {
      // An embedded object: only its \result shows.
      flushRun();
      g.ignoreText = true;
      return;
    }
    if (w == "result") {
      g.ignoreText = false;
      return;
    }
    static constexpr std::string_view kSkipped[] = {
        "info",         "stylesheet",
        "header",       "headerl",
        "headerr",      "headerf",
        "footer",       "footerl",
        "footerr",      "footerf",
        "footnote",     "annotation",
        "listtable",    "listoverridetable",
        "revtbl",       "rsidtbl",
        "generator",    "xmlnstbl",
        "themedata",    "colorschememapping",
        "latentstyles", "datastore",
        "filetbl",      "pgdsctbl",
        "nonshppict",   "objdata",
        "private",      "pntxta",
        "pntxtb",       "txe",
        "xe",           "tc",
        "bkmkstart",    "bkmkend",
        "atnid",        "atnauthor",
        "atrfstart",    "atrfend",
        "comment",      "doccomm",
        "title",        "author",
        "operator",     "keywords",
        "subject",      "company",
        "mmathPr",      "wgrffmtfilter",
        "fchars",       "lchars",
        "pnseclvl",     "expandedcolortbl",
        "panose",       "falt",
        "fontemb",      "fontfile",
        "defchp",       "defpap",
        "template",     "userprops",
        "docvar",       "nonesttables",
    };
    for (std::string_view s : kSkipped)
      if (w == s) return skipCurrentGroup();
    if (star) return skipCurrentGroup();

    if (w == "uc") return void(g.uc = clampInt(n, 0, 16));

    // In the font table: the entry's number, character set and code page.
    if (g.dest == Dest::FontTable) {
      if (w == "f") {
        finishFontEntry(false);
        fontName_.clear();
        fontNumber_ = clampInt(n, 0, 1 << 20);
        fontCharset_ = 0;
        fontCodePage_ = 0;
      } else if (w == "fcharset") {
        fontCharset_ = clampInt(n, 0, 255);
      } else if (w == "cpg") {
        fontCodePage_ = clampInt(n, 0, 65535);
      } else if (w == "u") {
        unicodeWithFallback(n);
      }
      return;
    }
    if (g.dest == Dest::ColorTable) {
      if (w == "red")
        colorRed_ = clampInt(n, 0, 255), colorSet_ = true;
      else if (w == "green")
        colorGreen_ = clampInt(n, 0, 255), colorSet_ = true;
      else if (w == "blue")
        colorBlue_ = clampInt(n, 0, 255), colorSet_ = true;
      return;
    }
    if (g.dest == Dest::Pict) {
      if (w == "pngblip")
        pictKind_ = "png";
      else if (w == "jpegblip")
        pictKind_ = "jpeg";
      else if (w == "macpict" || w == "wmetafile" || w == "emfblip" || w == "pmmetafile" || w == "dibitmap" ||
               w == "wbitmap")
        pictKind_ = std::string(w);
      else if (w == "picwgoal")
        pictGoalW_ = clampInt(n, 0, kMaxTwips);
      else if (w == "pichgoal")
        pictGoalH_ = clampInt(n, 0, kMaxTwips);
      else if (w == "picw")
        pictW_ = clampInt(n, 0, kMaxTwips);
      else if (w == "pich")
        pictH_ = clampInt(n, 0, kMaxTwips);
      return;
    }
    if (g.dest == Dest::Attachment) {
      if (w == "width")
        attachmentWidth_ = clampInt(n, 0, kMaxTwips);
      else if (w == "height")
        attachmentHeight_ = clampInt(n, 0, kMaxTwips);
      else if (w == "u")
        unicodeWithFallback(n);
      return;
    }

    // Document-wide settings.
    if (w == "ansi") return void(docCodePage_ = 1252);
    if (w == "mac") return void(docCodePage_ = 10000);
    if (w == "pc") return void(docCodePage_ = 437);
    if (w == "pca") return void(docCodePage_ = 850);
    if (w == "ansicpg") return void(docCodePage_ = clampInt(n, 0, 65535));
    if (w == "deff") return void(defaultFont_ = clampInt(n, 0, 1 << 20));
    if ((w == "deftab" || w == "pardeftab") && n > 0) {
      // The distance of the default tab stops; the document has one for all its paragraphs.
      QTextOption option = doc_.defaultTextOption();
      option.setTabStopDistance(clampInt(n, 1, kMaxTwips) / 20.0);
      doc_.setDefaultTextOption(option);
      return;
    }
    if (w == "u") return unicodeWithFallback(n);

    // Characters.
    if (w == "par" || w == "sect" || w == "page") return paragraphEnd();
    if (w == "line") return unicodeChar(0x2028);
    if (w == "tab") return unicodeChar('\t');
    // Tables: a row's cells end with \cell, the row with \row; \cellx gives each cell's right
    // edge. A table inside a cell is kept as its text, one cell after a tab, one row a line.
    if (w == "cell") return cellEnd();
    if (w == "row") return rowEnd();
    if (w == "nestcell") return unicodeChar('\t');
    if (w == "nestrow") return paragraphEnd();
    if (w == "trowd") return rowCellx_.clear();
    if (w == "cellx") {
      if (static_cast<int>(rowCellx_.size()) < kMaxColumns) rowCellx_.push_back(clampInt(n, 0, kMaxTwips));
      return;
    }
    if (w == "emdash") return unicodeChar(0x2014);
    if (w == "endash") return unicodeChar(0x2013);
    if (w == "emspace") return unicodeChar(0x2003);
    if (w == "enspace") return unicodeChar(0x2002);
    if (w == "qmspace") return unicodeChar(0x2005);
    if (w == "bullet") return unicodeChar(0x2022);
    if (w == "lquote") return unicodeChar(0x2018);
    if (w == "rquote") return unicodeChar(0x2019);
    if (w == "ldblquote") return unicodeChar(0x201C);
    if (w == "rdblquote") return unicodeChar(0x201D);
    if (w == "zwj") return unicodeChar(0x200D);
    if (w == "zwnj") return unicodeChar(0x200C);

    // Character formats.
    CharState ch = g.ch;
    if (w == "plain")
      ch = CharState{}, ch.font = fontIndexOf(defaultFont_);
    else if (w == "f")
      ch.font = fontIndexOf(clampInt(n, 0, 1 << 20));
    else if (w == "fs")
      ch.halfPoints = clampInt(param.value_or(24), 2, kMaxFontHalfPoints);
    else if (w == "b")
      ch.bold = on;
    else if (w == "i")
      ch.italic = on;
    else if (w == "ul" || w == "uld" || w == "uldash" || w == "uldashd" || w == "uldashdd" || w == "uldb" ||
             w == "ulth" || w == "ulw" || w == "ulwave" || w == "ulhwave" || w == "ululdbwave")
      ch.underline = on;
    else if (w == "ulnone")
      ch.underline = false;
    else if (w == "strike" || w == "striked")
      ch.strike = on;
    else if (w == "cf")
      ch.fg = clampInt(n, 0, 1 << 20);
    else if (w == "cb" || w == "highlight" || w == "chcbpat")
      ch.bg = clampInt(n, 0, 1 << 20);
    else if (w == "super")
      ch.vertical = on ? 1 : 0;
    else if (w == "sub")
      ch.vertical = on ? -1 : 0;
    else if (w == "nosupersub")
      ch.vertical = 0;
    else if (w == "up")
      ch.vertical = n > 0 ? 1 : 0;
    else if (w == "dn")
      ch.vertical = n > 0 ? -1 : 0;
    if (!(ch == g.ch)) {
      flushBytes();
      flushRun();
      g.ch = ch;
      return;
    }

    // Paragraph formats. They belong to the paragraph that the next \par ends.
    ParaState& pa = g.para;
    if (w == "pard") {
      const ParaState fresh;
      pa = fresh;
    } else if (w == "intbl")
      pa.inTable = on;
    else if (w == "ls")
      pa.listId = clampInt(n, 0, 1 << 20);
    else if (w == "ilvl")
      pa.listLevel = clampInt(n, 0, 8);
    else if (w == "ql")
      pa.align = 1;
    else if (w == "qc")
      pa.align = 2;
    else if (w == "qr")
      pa.align = 3;
    else if (w == "qj" || w == "qd")
      pa.align = 4;
    else if (w == "qnatural")
      pa.align = 0;
    else if (w == "li")
      pa.left = clampInt(n, -kMaxTwips, kMaxTwips);
    else if (w == "fi")
      pa.first = clampInt(n, -kMaxTwips, kMaxTwips);
    else if (w == "ri")
      pa.right = clampInt(n, -kMaxTwips, kMaxTwips);
    else if (w == "sb")
      pa.before = clampInt(n, 0, kMaxTwips);
    else if (w == "sa")
      pa.after = clampInt(n, 0, kMaxTwips);
    else if (w == "sl")
      pa.lineSpacing = clampInt(n, -kMaxTwips, kMaxTwips);
    else if (w == "slmult")
      pa.lineMultiple = n != 0;
    else if (w == "tqr")
      pa.nextTabType = QTextOption::RightTab;
    else if (w == "tqc")
      pa.nextTabType = QTextOption::CenterTab;
    else if (w == "tqdec")
      pa.nextTabType = QTextOption::DelimiterTab;
    else if (w == "tx" || w == "tb") {
      if (pa.tabs.size() < kMaxTabs) {
        QTextOption::Tab tab(clampInt(n, 0, kMaxTwips) / 20.0, pa.nextTabType,
                             pa.nextTabType == QTextOption::DelimiterTab ? QChar(u'.') : QChar());
        pa.tabs.append(tab);
      }
      pa.nextTabType = QTextOption::LeftTab;
    }
    // Everything else (\cocoartf, \expnd, \kerning, \pardirnatural, \paperw ...) is ignored.
  }

  void setDest(Dest d) {
    flushBytes();
    flushRun();
    top().dest = d;
  }

  // ---- text ----

  int codePage() const {
    const Group& g = stack_.back();
    if (g.dest == Dest::FontTable) {
      if (fontCodePage_ > 0) return fontCodePage_;
      if (const int cp = codePageOfCharset(fontCharset_)) return cp;
      return docCodePage_;
    }
    if (g.ch.font >= 0 && g.ch.font < static_cast<int>(fonts_.size())) {
      const FontEntry& f = fonts_[static_cast<size_t>(g.ch.font)];
      if (f.codePage > 0) return f.codePage;
      if (const int cp = codePageOfCharset(f.charset)) return cp;
    }
    return docCodePage_;
  }

  // A literal character of the input (or an escaped \ { }).
  void rawByte(unsigned char c, bool escaped = false) {
    Group& g = top();
    if (skipFallback_ > 0) {
      --skipFallback_;
      return;
    }
    if (g.dest == Dest::Pict) {
      if (std::isxdigit(c)) pictHex_.push_back(static_cast<char>(c));
      return;
    }
    if (!escaped && c == ';' && g.dest == Dest::FontTable) return finishFontEntry(true);
    if (!escaped && c == ';' && g.dest == Dest::ColorTable) {
      colors_.push_back(colorSet_ ? QColor(colorRed_, colorGreen_, colorBlue_) : QColor());
      colorSet_ = false;
      colorRed_ = colorGreen_ = colorBlue_ = 0;
      return;
    }
    if (c >= 0x80) return codeByte(c);
    // A trail byte of a double-byte character may be written as a plain ASCII character.
    if (pendingInPair_) return codeByte(c);
    if (c == '\t') return unicodeChar('\t');
    if (c < 0x20) return;
    unicodeChar(c);
  }

  void codeByte(unsigned char b) {
    const int cp = codePage();
    if (!pendingBytes_.isEmpty() && cp != pendingCodePage_) flushBytes();
    pendingCodePage_ = cp;
    pendingBytes_.append(static_cast<char>(b));
    // Whether the bytes so far end inside a double-byte character, kept as they come so that
    // a long run of bytes costs no more than its length.
    if (pendingInPair_)
      pendingInPair_ = false;
    else
      pendingInPair_ = isDoubleByteCodePage(cp) && isLeadByte(cp, b);
  }

  void flushBytes() {
    if (pendingBytes_.isEmpty()) return;
    const QByteArray bytes = pendingBytes_;
    pendingBytes_.clear();
    pendingInPair_ = false;
    const char* name = encoding::codePageName(pendingCodePage_);
    if (!name) name = "CP1252";
    bool ok = false;
    QString text = encoding::decodeLossy(bytes, name, &ok);
    if (!ok) text = QString::fromLatin1(bytes);
    appendText(text);
  }

  // \uN: a signed 16-bit unit, then as many fallback characters as \uc says, for readers
  // without Unicode.
  void unicodeWithFallback(int64_t n) {
    unicodeChar(n < 0 ? n + 65536 : n);
    skipFallback_ = top().uc;
  }

  void unicodeChar(int64_t unit) {
    if (unit <= 0 || unit > 0xFFFF) return;
    flushBytes();
    appendText(QString(QChar(static_cast<char16_t>(unit))));
  }

  void appendText(const QString& text) {
    if (stack_.empty()) return;
    // A NUL is no character of a text, whichever way the input spelt it (a raw byte, a bad
    // hex escape, \u0): left in, it would not survive the next save.
    if (text.contains(QChar(0))) {
      QString clean = text;
      clean.remove(QChar(0));
      if (!clean.isEmpty()) appendText(clean);
      return;
    }
    Group& g = top();
    switch (g.dest) {
      case Dest::Text:
        if (!g.ignoreText) run_ += text;
        return;
      case Dest::FontTable:
        fontName_ += text;
        return;
      case Dest::FieldInst:
        if (!fields_.empty() && fields_.back().instruction.size() < 4096) fields_.back().instruction += text;
        return;
      case Dest::Attachment:
        if (attachmentName_.size() < 1024) attachmentName_ += text;
        return;
      case Dest::ListText:
        if (listMarker_.size() < 64) listMarker_ += text;
        return;
      default:
        return;
    }
  }

  // ---- tables ----

  void finishFontEntry(bool always) {
    flushBytes();
    if (fontNumber_ < 0) return;
    const QString name = fontName_.trimmed();
    if (!always && name.isEmpty()) return;
    fontNumbers_.push_back(fontNumber_);
    fonts_.push_back({name, fontCharset_, fontCodePage_});
    fontNumber_ = -1;
    fontName_.clear();
  }

  int fontIndexOf(int number) const {
    for (size_t i = 0; i < fontNumbers_.size(); ++i)
      if (fontNumbers_[i] == number) return static_cast<int>(i);
    return -1;
  }

  // ---- runs and paragraphs ----

  QTextCharFormat charFormat(const Group& g) const {
    QTextCharFormat f;
    const CharState& ch = g.ch;
    int font = ch.font;
    if (font < 0) font = fontIndexOf(defaultFont_);
    if (font >= 0 && font < static_cast<int>(fonts_.size()) &&
        !fonts_[static_cast<size_t>(font)].name.isEmpty())
      f.setFontFamilies(QStringList{fonts_[static_cast<size_t>(font)].name});
    f.setFontPointSize(ch.halfPoints / 2.0);
    if (ch.bold) f.setFontWeight(QFont::Bold);
    if (ch.italic) f.setFontItalic(true);
    if (ch.underline) f.setFontUnderline(true);
    if (ch.strike) f.setFontStrikeOut(true);
    if (ch.fg > 0 && ch.fg < static_cast<int>(colors_.size()) &&
        colors_[static_cast<size_t>(ch.fg)].isValid())
      f.setForeground(colors_[static_cast<size_t>(ch.fg)]);
    if (ch.bg > 0 && ch.bg < static_cast<int>(colors_.size()) &&
        colors_[static_cast<size_t>(ch.bg)].isValid())
      f.setBackground(colors_[static_cast<size_t>(ch.bg)]);
    if (ch.vertical > 0) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (ch.vertical < 0) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (!g.href.isEmpty()) {
      f.setAnchor(true);
      f.setAnchorHref(g.href);
    }
    return f;
  }

  void flushRun() {
    if (run_.isEmpty() || stack_.empty()) return;
    placeForText();
    cursor_.insertText(run_, charFormat(top()));
    run_.clear();
  }

  QTextBlockFormat blockFormat(const ParaState& pa) const {
    QTextBlockFormat f;
    switch (pa.align) {
      case 1:
        f.setAlignment(Qt::AlignLeft);
        break;
      case 2:
        f.setAlignment(Qt::AlignHCenter);
        break;
      case 3:
        f.setAlignment(Qt::AlignRight);
        break;
      case 4:
        f.setAlignment(Qt::AlignJustify);
        break;
      default:
        break;
    }
    // Distances: twips to points, which the document takes as its units. A list item's
    // indents are the list's own, which the list draws.
    if (pa.left && !isListItem(pa)) f.setLeftMargin(pa.left / 20.0);
    if (pa.first && !isListItem(pa)) f.setTextIndent(pa.first / 20.0);
    if (pa.right) f.setRightMargin(pa.right / 20.0);
    if (pa.before) f.setTopMargin(pa.before / 20.0);
    if (pa.after) f.setBottomMargin(pa.after / 20.0);
    if (pa.lineSpacing > 0 && pa.lineMultiple)
      f.setLineHeight(pa.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (pa.lineSpacing > 0)
      f.setLineHeight(pa.lineSpacing / 20.0, QTextBlockFormat::MinimumHeight);
    else if (pa.lineSpacing < 0)
      f.setLineHeight(-pa.lineSpacing / 20.0, QTextBlockFormat::FixedHeight);
    if (!pa.tabs.isEmpty()) f.setTabPositions(pa.tabs);
    return f;
  }

  void paragraphEnd() {
    if (top().dest != Dest::Text) return;
    if (top().ignoreText) return;
    flushBytes();
    flushRun();
    placeForText();
    cursor_.setBlockFormat(blockFormat(top().para));
    applyList(top().para);
    cursor_.insertBlock(QTextBlockFormat(), charFormat(top()));
    lastPara_ = top().para;
  }

  void finish() {
    flushBytes();
    if (!stack_.empty()) {
      flushRun();
      lastPara_ = top().para;
    }
    // The last paragraph has no \par: it takes the paragraph state in force at the end.
    cursor_.setBlockFormat(blockFormat(lastPara_));
    if (!cursor_.block().text().isEmpty()) applyList(lastPara_);
    // A document without text (a template) still gives what is typed into it its font.
    if (doc_.isEmpty()) {
      cursor_.setBlockCharFormat(lastChars_);
      cursor_.setCharFormat(lastChars_);
    }
  }

  // ---- lists ----

  bool isListItem(const ParaState& pa) const { return pa.listId != 0 || !listMarker_.trimmed().isEmpty(); }

  // The style a list item's marker shows: "1." numbers, "a)" letters, "iv." Roman figures,
  // anything else a bullet of the nearest shape.
  static QTextListFormat::Style styleOfMarker(QString m) {
    m = m.trimmed();
    while (!m.isEmpty() && (m.endsWith(u'.') || m.endsWith(u')'))) m.chop(1);
    if (m.startsWith(u'(')) m.remove(0, 1);
    if (m.isEmpty()) return QTextListFormat::ListDisc;
    const auto all = [&](auto pred) { return std::all_of(m.begin(), m.end(), pred); };
    if (all([](QChar c) { return c.isDigit(); })) return QTextListFormat::ListDecimal;
    const QString romanLower = QStringLiteral("ivxlcdm");
    if (all([&](QChar c) { return romanLower.contains(c); }) && (m.size() > 1 || m == u"i"))
      return QTextListFormat::ListLowerRoman;
    if (all([&](QChar c) { return romanLower.toUpper().contains(c); }) && (m.size() > 1 || m == u"I"))
      return QTextListFormat::ListUpperRoman;
    if (m.size() <= 2 && all([](QChar c) { return c >= u'a' && c <= u'z'; })) return QTextListFormat::ListLowerAlpha;
    if (m.size() <= 2 && all([](QChar c) { return c >= u'A' && c <= u'Z'; })) return QTextListFormat::ListUpperAlpha;
    const QChar c = m.front();
    if (c == QChar(0x25E6) || c == u'o' || c == QChar(0x25CB)) return QTextListFormat::ListCircle;
    if (c == QChar(0x25AA) || c == QChar(0x25A0) || c == u'\u00A7') return QTextListFormat::ListSquare;
    return QTextListFormat::ListDisc;
  }

  // Makes the paragraph that just ended (the cursor's block) an item of its list: items of
  // one \ls and level share a list, items marked by their text alone share one until a
  // paragraph that is no item.
  void applyList(const ParaState& pa) {
    const QString marker = listMarker_;
    listMarker_.clear();
    if (pa.listId == 0 && marker.trimmed().isEmpty()) {
      std::erase_if(lists_, [](const auto& entry) { return entry.first.first < 0; });
      return;
    }
    const std::pair<int, int> key{pa.listId != 0 ? pa.listId : -1, pa.listLevel};
    QPointer<QTextList>& list = lists_[key];
    if (list) {
      list->add(cursor_.block());
      return;
    }
    QTextListFormat format;
    format.setStyle(styleOfMarker(marker));
    format.setIndent(pa.listLevel + 1);
    list = cursor_.createList(format);
  }

  // ---- tables ----

  // Puts the cursor where the next text belongs: into the cell whose \cell came last, into a
  // new row after \row, into a new table, or out of the table after its last row.
  void placeForText(bool cellContent = false) {
    if (stack_.empty()) return;
    const bool inTable = cellContent || top().para.inTable;
    if (!inTable) {
      if (table_) endTable();
      return;
    }
    if (!table_) return startTable();
    if (rowEnded_) {
      table_->appendRows(1);
      ++row_;
      col_ = 0;
      rowEnded_ = cellPending_ = false;
      return moveToCell();
    }
    if (cellPending_) {
      cellPending_ = false;
      ++col_;
      if (col_ >= table_->columns()) {
        if (table_->columns() >= kMaxColumns) {
          col_ = table_->columns() - 1;  // what would go further right joins the last cell
          cursor_ = table_->cellAt(row_, col_).lastCursorPosition();
          cursor_.insertText(QStringLiteral("\t"));
          return;
        }
        table_->appendColumns(1);
      }
      moveToCell();
    }
  }

  QList<QTextLength> cellWidths() const {
    QList<QTextLength> widths;
    int left = 0;
    for (const int right : rowCellx_) {
      widths.append(QTextLength(QTextLength::FixedLength, std::max(right - left, 20) / 20.0));
      left = right;
    }
    return widths;
  }

  void startTable() {
    // The paragraph before the table ended with \par, which began an empty one; Qt puts a
    // table behind a paragraph of its own, so the empty one is taken back.
    if (cursor_.block().length() == 1 && cursor_.position() > 0) {
      QTextCursor before(cursor_);
      before.movePosition(QTextCursor::PreviousBlock);
      if (!before.currentTable() && !before.currentList()) cursor_.deletePreviousChar();
    }
    QTextTableFormat format;
    format.setBorder(1);
    format.setCellSpacing(0);
    format.setCellPadding(2);
    format.setColumnWidthConstraints(cellWidths());
    const int columns = std::clamp(static_cast<int>(rowCellx_.size()), 1, kMaxColumns);
    table_ = cursor_.insertTable(1, columns, format);
    row_ = col_ = 0;
    rowEnded_ = cellPending_ = false;
    moveToCell();
  }

  void moveToCell() { cursor_ = table_->cellAt(row_, col_).firstCursorPosition(); }

  void endTable() {
    cursor_ = table_->lastCursorPosition();
    cursor_.movePosition(QTextCursor::NextBlock);
    table_ = nullptr;
    rowEnded_ = cellPending_ = false;
  }

  void cellEnd() {
    if (stack_.empty() || top().dest != Dest::Text || top().ignoreText) return;
    flushBytes();
    placeForText(true);
    flushRun();
    cursor_.setBlockFormat(blockFormat(top().para));
    cellPending_ = true;
  }

  void rowEnd() {
    if (stack_.empty() || top().dest != Dest::Text || top().ignoreText) return;
    flushBytes();
    if (!table_) return paragraphEnd();
    if (!run_.isEmpty()) placeForText(true);
    flushRun();
    // A run outside the table's paragraphs closed the table: the row ends a paragraph then.
    if (!table_) return paragraphEnd();
    // Row properties may come at the end of the row: the widths are taken when they are known.
    if (table_->format().columnWidthConstraints().isEmpty() && !rowCellx_.empty()) {
      QTextTableFormat format = table_->format();
      format.setColumnWidthConstraints(cellWidths());
      table_->setFormat(format);
    }
    rowEnded_ = true;
    cellPending_ = false;
  }

  // ---- pictures and attachments ----

  void finishPicture() {
    if (!pictHex_.empty())
      pictBytes_ += QByteArray::fromHex(QByteArray(pictHex_.data(), static_cast<qsizetype>(pictHex_.size())));
    pictHex_.clear();
    if (stack_.empty() || top().dest != Dest::Text || top().ignoreText) return;
    if (pictKind_ != "png" && pictKind_ != "jpeg") {
      showErrMessageToConsole("RTF: a picture in a format we cannot show was left out.\n");
      return;
    }
    // \picwgoal is in twips, \picw in pixels (15 twips each at 96 dots an inch).
    const int w = pictGoalW_ ? pictGoalW_ : pictW_ * 15;
    const int h = pictGoalH_ ? pictGoalH_ : pictH_ * 15;
    const QString name =
        QStringLiteral("Attachment.") + (pictKind_ == "png" ? QStringLiteral("png") : QStringLiteral("jpg"));
    insertAt(name, pictBytes_, QString(), pictGoalW_ || pictW_ ? QSizeF(w / 20.0, h / 20.0) : QSizeF());
    pictBytes_.clear();
  }

  void finishAttachment() {
    if (stack_.empty()) return;
    // The group around the attachment holds one placeholder character, which is not text.
    if (stack_.size() >= 2)
      top().ignoreText = true;
    else
      skipFallback_ = 1;
    if (top().dest != Dest::Text) return;
    // The name ends at the blank before the width; names of other writers may carry more blanks,
    // and names of older saves blanks of their own, so the exact name is tried first.
    QString exact = attachmentName_;
    if (exact.endsWith(u' ')) exact.chop(1);
    const QString name = attachmentName_.trimmed();
    attachmentName_.clear();
    if (name.isEmpty()) return;
    // An attachment is a file in the document's own folder: a name that reaches elsewhere is
    // not followed.
    if (name.contains(u'/') || name == QLatin1String(".") || name == QLatin1String("..")) {
      showErrMessageToConsole("RTF: an attachment name that leaves the document's folder was ignored.\n");
      return;
    }
    // Some old documents carry a marker before the name that the file itself does not.
    static const QString kMarker = QStringLiteral("__#$!@%!#__");
    QString fileName = name;
    std::optional<Attachment> data;
    if (loader_ && exact != name && !exact.contains(u'/')) {
      data = loader_(exact);
      if (data) fileName = exact;
    }
    if (!data && loader_) data = loader_(fileName);
    if (!data && loader_ && fileName.startsWith(kMarker)) {
      fileName = fileName.mid(kMarker.size());
      data = loader_(fileName);
    }
    if (!data) {
      showErrMessageToConsole(std::string("RTFD: the attachment \"") + name.toStdString() +
                              "\" is missing; skipped.\n");
      return;
    }
    insertAt(fileName, data->data, data->sourceFolder,
             attachmentWidth_ > 0 && attachmentHeight_ > 0
                 ? QSizeF(attachmentWidth_ / 20.0, attachmentHeight_ / 20.0)
                 : QSizeF());
  }

  void insertAt(const QString& name, const QByteArray& data, const QString& sourceFolder, QSizeF size) {
    flushRun();
    placeForText();
    cursor_.setCharFormat(charFormat(top()));
    insertAttachment(cursor_, name, data, size, sourceFolder);
  }

  const char* in_;
  const char* end_;
  const char* pos_ = nullptr;
  QTextDocument& doc_;
  QTextCursor cursor_;
  const AttachmentLoader& loader_;

  std::vector<Group> stack_;
  bool starPending_ = false;
  int skipFallback_ = 0;
  QString run_;
  QByteArray pendingBytes_;
  bool pendingInPair_ = false;
  int pendingCodePage_ = 1252;
  int docCodePage_ = 1252;
  int defaultFont_ = 0;
  ParaState lastPara_;
  QTextCharFormat lastChars_;

  std::vector<FontEntry> fonts_;
  std::vector<int> fontNumbers_;
  int fontNumber_ = -1;
  int fontCharset_ = 0;
  int fontCodePage_ = 0;
  QString fontName_;

  std::vector<QColor> colors_;
  bool colorSet_ = false;
  int colorRed_ = 0, colorGreen_ = 0, colorBlue_ = 0;

  std::vector<Field> fields_;

  QString attachmentName_;
  int attachmentWidth_ = 0, attachmentHeight_ = 0;

  QString listMarker_;
  std::map<std::pair<int, int>, QPointer<QTextList>> lists_;

  QTextTable* table_ = nullptr;
  int row_ = 0, col_ = 0;
  bool cellPending_ = false;
  bool rowEnded_ = false;
  std::vector<int> rowCellx_;

  QByteArray pictBytes_;
  std::string pictHex_;
  std::string pictKind_;
  int pictGoalW_ = 0, pictGoalH_ = 0, pictW_ = 0, pictH_ = 0;
};

}  // namespace

ReadResult read(const QByteArray& rtf, QTextDocument& doc, const AttachmentLoader& loader) {
  return Reader(rtf, doc, loader).run();
}

}  // namespace pravella::rtf
