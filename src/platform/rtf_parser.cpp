// The RTF parser. One pass over the bytes with an explicit stack of group states (no
// recursion, so nesting depth costs memory, not stack). Text is gathered in runs of one
// character format and handed to the sink when the format or the paragraph changes.

#include "platform/rtf_parser.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>

#include "platform/console_log.h"
#include "platform/text_encoding.h"

namespace pravella::rtf::detail {

// Every control word the parser acts on. Words are looked up once, in a hash table, so that a
// document's many control words cost one lookup each rather than a chain of comparisons.
// clang-format off
#define PRAVELLA_RTF_WORDS(X)                                                                      \
  /* destinations, uc */                                                                           \
  X(fonttbl) X(colortbl) X(field) X(fldinst) X(fldrslt) X(NeXTGraphic) X(NeXTAttachment) X(pict)   \
  X(shppict) X(listtext) X(pntext) X(object) X(result) X(uc)                                       \
  /* font and colour tables, pictures, attachments */                                              \
  X(f) X(fcharset) X(cpg) X(u) X(red) X(green) X(blue) X(pngblip) X(jpegblip) X(macpict)           \
  X(wmetafile) X(emfblip) X(pmmetafile) X(dibitmap) X(wbitmap) X(picwgoal) X(pichgoal) X(picw)     \
  X(pich) X(width) X(height)                                                                       \
  /* the document, characters, tables */                                                           \
  X(ansi) X(mac) X(pc) X(pca) X(ansicpg) X(deff) X(deftab) X(pardeftab) X(par) X(sect) X(page)     \
  X(line) X(tab) X(cell) X(row) X(nestcell) X(nestrow) X(trowd) X(cellx) X(emdash) X(endash)       \
  X(emspace) X(enspace) X(qmspace) X(bullet) X(lquote) X(rquote) X(ldblquote) X(rdblquote) X(zwj)  \
  X(zwnj)                                                                                          \
  /* character formats */                                                                          \
  X(plain) X(fs) X(b) X(i) X(ul) X(uld) X(uldash) X(uldashd) X(uldashdd) X(uldb) X(ulth) X(ulw)    \
  X(ulwave) X(ulhwave) X(ululdbwave) X(ulnone) X(strike) X(striked) X(cf) X(cb) X(highlight)       \
  X(chcbpat) X(super) X(sub) X(nosupersub) X(up) X(dn)                                             \
  /* paragraph formats */                                                                          \
  X(pard) X(intbl) X(ls) X(ilvl) X(ql) X(qc) X(qr) X(qj) X(qd) X(qnatural) X(li) X(fi) X(ri) X(sb) \
  X(sa) X(sl) X(slmult) X(tqr) X(tqc) X(tqdec) X(tx) X(tb)
// clang-format on

#define PRAVELLA_RTF_ENUM(w) w,
enum class Parser::Kw : uint8_t {
  Unknown,
  Skipped,  // a destination we do not read: the whole group is skipped
  PRAVELLA_RTF_WORDS(PRAVELLA_RTF_ENUM)
};
#undef PRAVELLA_RTF_ENUM

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

// clang-format off
constexpr std::string_view kSkippedWords[] = {
    "info", "stylesheet", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
    "footerf", "footnote", "annotation", "listtable", "listoverridetable", "revtbl", "rsidtbl",
    "generator", "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore",
    "filetbl", "pgdsctbl", "nonshppict", "objdata", "private", "pntxta", "pntxtb", "txe", "xe", "tc",
    "bkmkstart", "bkmkend", "atnid", "atnauthor", "atrfstart", "atrfend", "comment", "doccomm",
    "title", "author", "operator", "keywords", "subject", "company", "mmathPr", "wgrffmtfilter",
    "fchars", "lchars", "pnseclvl", "expandedcolortbl", "panose", "falt", "fontemb", "fontfile",
    "defchp", "defpap", "template", "userprops", "docvar", "nonesttables",
};
// clang-format on

template <typename Kw>
class WordTable {
 public:
  WordTable() {
#define PRAVELLA_RTF_ADD(w) add(#w, Kw::w);
    PRAVELLA_RTF_WORDS(PRAVELLA_RTF_ADD)
#undef PRAVELLA_RTF_ADD
    for (std::string_view w : kSkippedWords) add(w, Kw::Skipped);
  }

  Kw find(std::string_view w) const {
    for (size_t i = hash(w) & kMask; !names_[i].empty(); i = (i + 1) & kMask)
      if (names_[i] == w) return words_[i];
    return Kw::Unknown;
  }

 private:
  static constexpr size_t kSlots = 512;  // a third full: probes stay short
  static constexpr size_t kMask = kSlots - 1;

  static size_t hash(std::string_view w) {
    uint32_t h = 2166136261u;  // FNV-1a
    for (const char c : w) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
  }

  void add(std::string_view w, Kw k) {
    size_t i = hash(w) & kMask;
    while (!names_[i].empty()) i = (i + 1) & kMask;
    names_[i] = w;
    words_[i] = k;
  }

  std::array<std::string_view, kSlots> names_{};
  std::array<Kw, kSlots> words_{};
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

}  // namespace

bool isListItem(const ParaState& pa, const QString& listMarker) {
  return pa.listId != 0 || !listMarker.trimmed().isEmpty();
}

Parser::Parser(const QByteArray& input, const AttachmentLoader& loader)
    : in_(input.constData()), end_(input.constData() + input.size()), loader_(loader) {}

ReadResult Parser::run(Sink& sink) {
  const char* p = in_;
  // A byte-order mark or blank lines before the header are tolerated.
  if (end_ - p >= 3 && std::string_view(p, 3) == "\xEF\xBB\xBF") p += 3;
  while (p < end_ && (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t')) ++p;
  if (end_ - p < 5 || std::string_view(p, 5) != "{\\rtf") return {};
  pos_ = p;
  sink_ = &sink;
  formats_ = sink.wantsFormats();
  sink.begin();
  const bool complete = parse();
  finish();
  sink_ = nullptr;
  return {true, complete};
}

// ---- the token loop ----

bool Parser::parse() {
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
    } else if (stack_.empty()) {
      ++pos_;  // nothing counts outside the outermost group
    } else if (static_cast<unsigned char>(c) < 0x80 && skipFallback_ == 0 && !pendingInPair_ &&
               top().dest == Dest::Text) {
      plainBytes();
    } else {
      ++pos_;
      if (c == '\n' || c == '\r') continue;
      rawByte(static_cast<unsigned char>(c));
    }
  }
  return false;
}

// A stretch of ASCII body text, the bulk of most documents, taken in one piece: what rawByte
// does byte by byte (line ends skipped, control characters but the tab dropped).
void Parser::plainBytes() {
  const char* start = pos_;
  const char* p = pos_;
  while (p < end_) {
    const auto c = static_cast<unsigned char>(*p);
    if (c >= 0x80 || c == '\\' || c == '{' || c == '}') break;
    ++p;
  }
  pos_ = p;
  const bool keep = !top().ignoreText;
  bool flushed = false;
  const char* from = start;
  for (const char* q = start; q <= p; ++q) {
    const bool textByte = q < p && (static_cast<unsigned char>(*q) >= 0x20 || *q == '\t');
    if (textByte) continue;
    if (q > from) {
      if (!flushed) {
        flushBytes();
        flushed = true;
      }
      if (keep) run_ += QLatin1StringView(from, q - from);
    }
    from = q + 1;
  }
}

void Parser::openGroup() {
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
bool Parser::closeGroup() {
  flushBytes();
  skipFallback_ = 0;
  starPending_ = false;
  if (stack_.empty()) return true;
  if (top().dest == Dest::Text) flushRun();  // the document merges runs of equal format again
  Group closing = std::move(stack_.back());
  if (closing.dest == Dest::FontTable) finishFontEntry(false);
  if (stack_.size() == 1) {
    lastPara_ = closing.para;
    lastChars_ = closing;
  }
  if (closing.isFieldInst && !fields_.empty() && formats_)
    fields_.back().href = hyperlinkTarget(fields_.back().instruction);
  if (closing.isField && !fields_.empty()) fields_.pop_back();
  stack_.pop_back();
  if (closing.isPict) finishPicture();
  if (closing.isAttachment) finishAttachment();
  return stack_.empty();
}

// Jumps over the rest of a group whose opening brace was just read, minding escapes and
// \bin data.
void Parser::skipGroupBody() {
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
void Parser::skipCurrentGroup() {
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

std::optional<int64_t> Parser::readNumber(bool allowNegative) {
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

void Parser::controlWord() {
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
    if (top().dest == Dest::Pict && formats_) pictBytes_.append(pos_, static_cast<qsizetype>(n));
    pos_ += n;
    return;
  }
  if (skipFallback_ > 0) {
    // A control word stands for one fallback character of the \uN before it.
    --skipFallback_;
    return;
  }
  static const WordTable<Kw> kWords;
  handleWord(kWords.find(word), param);
}

void Parser::controlSymbol(char c) {
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
      handleWord(Kw::par, std::nullopt);
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

// ---- control words ----

void Parser::handleWord(Kw k, std::optional<int64_t> param) {
  const bool star = starPending_;
  starPending_ = false;
  Group& g = top();
  const int64_t n = param.value_or(0);
  const bool on = !param || n != 0;

  // Destinations first.
  switch (k) {
    case Kw::fonttbl:
      return setDest(Dest::FontTable);
    case Kw::colortbl:
      return setDest(Dest::ColorTable);
    case Kw::field:
      if (g.isField) return;  // one field per group
      flushBytes();
      flushRun();
      g.isField = true;
      fields_.push_back({});
      return;
    case Kw::fldinst:
      if (fields_.empty()) return skipCurrentGroup();
      g.isFieldInst = true;
      return setDest(Dest::FieldInst);
    case Kw::fldrslt:
      flushBytes();
      flushRun();
      if (!fields_.empty()) g.href = fields_.back().href;
      g.dest = Dest::Text;
      return;
    case Kw::NeXTGraphic:
    case Kw::NeXTAttachment:
      flushBytes();
      flushRun();
      g.isAttachment = true;
      attachmentName_.clear();
      attachmentWidth_ = attachmentHeight_ = 0;
      return setDest(Dest::Attachment);
    case Kw::pict:
      flushBytes();
      flushRun();
      g.isPict = true;
      pictBytes_.clear();
      pictHex_.clear();
      pictKind_.clear();
      pictGoalW_ = pictGoalH_ = pictW_ = pictH_ = 0;
      return setDest(Dest::Pict);
    case Kw::shppict:
      return;  // holds the \pict we read
    case Kw::listtext:
    case Kw::pntext:
      listMarker_.clear();
      return setDest(Dest::ListText);
    case Kw::object:
      // An embedded object: only its \result shows.
      flushRun();
      g.ignoreText = true;
      return;
    case Kw::result:
      g.ignoreText = false;
      return;
    case Kw::Skipped:
      return skipCurrentGroup();
    default:
      break;
  }
  if (star) return skipCurrentGroup();

  if (k == Kw::uc) return void(g.uc = clampInt(n, 0, 16));

  // In the font table: the entry's number, character set and code page.
  if (g.dest == Dest::FontTable) {
    if (k == Kw::f) {
      finishFontEntry(false);
      fontName_.clear();
      fontNumber_ = clampInt(n, 0, 1 << 20);
      fontCharset_ = 0;
      fontCodePage_ = 0;
    } else if (k == Kw::fcharset) {
      fontCharset_ = clampInt(n, 0, 255);
    } else if (k == Kw::cpg) {
      fontCodePage_ = clampInt(n, 0, 65535);
    } else if (k == Kw::u) {
      unicodeWithFallback(n);
    }
    return;
  }
  if (g.dest == Dest::ColorTable) {
    if (k == Kw::red)
      colorRed_ = clampInt(n, 0, 255), colorSet_ = true;
    else if (k == Kw::green)
      colorGreen_ = clampInt(n, 0, 255), colorSet_ = true;
    else if (k == Kw::blue)
      colorBlue_ = clampInt(n, 0, 255), colorSet_ = true;
    return;
  }
  if (g.dest == Dest::Pict) {
    switch (k) {
      case Kw::pngblip:
        pictKind_ = "png";
        break;
      case Kw::jpegblip:
        pictKind_ = "jpeg";
        break;
      case Kw::macpict:
        pictKind_ = "macpict";
        break;
      case Kw::wmetafile:
        pictKind_ = "wmetafile";
        break;
      case Kw::emfblip:
        pictKind_ = "emfblip";
        break;
      case Kw::pmmetafile:
        pictKind_ = "pmmetafile";
        break;
      case Kw::dibitmap:
        pictKind_ = "dibitmap";
        break;
      case Kw::wbitmap:
        pictKind_ = "wbitmap";
        break;
      case Kw::picwgoal:
        pictGoalW_ = clampInt(n, 0, kMaxTwips);
        break;
      case Kw::pichgoal:
        pictGoalH_ = clampInt(n, 0, kMaxTwips);
        break;
      case Kw::picw:
        pictW_ = clampInt(n, 0, kMaxTwips);
        break;
      case Kw::pich:
        pictH_ = clampInt(n, 0, kMaxTwips);
        break;
      default:
        break;
    }
    return;
  }
  if (g.dest == Dest::Attachment) {
    if (k == Kw::width)
      attachmentWidth_ = clampInt(n, 0, kMaxTwips);
    else if (k == Kw::height)
      attachmentHeight_ = clampInt(n, 0, kMaxTwips);
    else if (k == Kw::u)
      unicodeWithFallback(n);
    return;
  }

  switch (k) {
    // Document-wide settings.
    case Kw::ansi:
      return void(docCodePage_ = 1252);
    case Kw::mac:
      return void(docCodePage_ = 10000);
    case Kw::pc:
      return void(docCodePage_ = 437);
    case Kw::pca:
      return void(docCodePage_ = 850);
    case Kw::ansicpg:
      return void(docCodePage_ = clampInt(n, 0, 65535));
    case Kw::deff:
      return void(tables_.defaultFont = clampInt(n, 0, 1 << 20));
    case Kw::deftab:
    case Kw::pardeftab:
      // The distance of the default tab stops; the document has one for all its paragraphs.
      if (n > 0) return sink_->defaultTabStop(clampInt(n, 1, kMaxTwips));
      break;
    case Kw::u:
      return unicodeWithFallback(n);

    // Characters.
    case Kw::par:
    case Kw::sect:
    case Kw::page:
      return paragraphEnd();
    case Kw::line:
      return unicodeChar(0x2028);
    case Kw::tab:
      return unicodeChar('\t');
    // Tables: a row's cells end with \cell, the row with \row; \cellx gives each cell's right
    // edge. A table inside a cell is kept as its text, one cell after a tab, one row a line.
    case Kw::cell:
      return cellEnd();
    case Kw::row:
      return rowEnd();
    case Kw::nestcell:
      return unicodeChar('\t');
    case Kw::nestrow:
      return paragraphEnd();
    case Kw::trowd:
      return rowCellx_.clear();
    case Kw::cellx:
      if (static_cast<int>(rowCellx_.size()) < kMaxColumns) rowCellx_.push_back(clampInt(n, 0, kMaxTwips));
      return;
    case Kw::emdash:
      return unicodeChar(0x2014);
    case Kw::endash:
      return unicodeChar(0x2013);
    case Kw::emspace:
      return unicodeChar(0x2003);
    case Kw::enspace:
      return unicodeChar(0x2002);
    case Kw::qmspace:
      return unicodeChar(0x2005);
    case Kw::bullet:
      return unicodeChar(0x2022);
    case Kw::lquote:
      return unicodeChar(0x2018);
    case Kw::rquote:
      return unicodeChar(0x2019);
    case Kw::ldblquote:
      return unicodeChar(0x201C);
    case Kw::rdblquote:
      return unicodeChar(0x201D);
    case Kw::zwj:
      return unicodeChar(0x200D);
    case Kw::zwnj:
      return unicodeChar(0x200C);
    default:
      break;
  }

  // Character formats.
  CharState ch = g.ch;
  switch (k) {
    case Kw::plain:
      ch = CharState{}, ch.font = tables_.fontIndexOf(tables_.defaultFont);
      break;
    case Kw::f:
      ch.font = tables_.fontIndexOf(clampInt(n, 0, 1 << 20));
      break;
    case Kw::fs:
      ch.halfPoints = clampInt(param.value_or(24), 2, kMaxFontHalfPoints);
      break;
    case Kw::b:
      ch.bold = on;
      break;
    case Kw::i:
      ch.italic = on;
      break;
    case Kw::ul:
    case Kw::uld:
    case Kw::uldash:
    case Kw::uldashd:
    case Kw::uldashdd:
    case Kw::uldb:
    case Kw::ulth:
    case Kw::ulw:
    case Kw::ulwave:
    case Kw::ulhwave:
    case Kw::ululdbwave:
      ch.underline = on;
      break;
    case Kw::ulnone:
      ch.underline = false;
      break;
    case Kw::strike:
    case Kw::striked:
      ch.strike = on;
      break;
    case Kw::cf:
      ch.fg = clampInt(n, 0, 1 << 20);
      break;
    case Kw::cb:
    case Kw::highlight:
    case Kw::chcbpat:
      ch.bg = clampInt(n, 0, 1 << 20);
      break;
    case Kw::super:
      ch.vertical = on ? 1 : 0;
      break;
    case Kw::sub:
      ch.vertical = on ? -1 : 0;
      break;
    case Kw::nosupersub:
      ch.vertical = 0;
      break;
    case Kw::up:
      ch.vertical = n > 0 ? 1 : 0;
      break;
    case Kw::dn:
      ch.vertical = n > 0 ? -1 : 0;
      break;
    default:
      break;
  }
  if (!(ch == g.ch)) {
    flushBytes();
    flushRun();
    g.ch = ch;
    return;
  }

  // Paragraph formats. They belong to the paragraph that the next \par ends.
  ParaState& pa = g.para;
  switch (k) {
    case Kw::pard:
      pa = ParaState{};
      break;
    case Kw::intbl:
      pa.inTable = on;
      break;
    case Kw::ls:
      pa.listId = clampInt(n, 0, 1 << 20);
      break;
    case Kw::ilvl:
      pa.listLevel = clampInt(n, 0, 8);
      break;
    case Kw::ql:
      pa.align = 1;
      break;
    case Kw::qc:
      pa.align = 2;
      break;
    case Kw::qr:
      pa.align = 3;
      break;
    case Kw::qj:
    case Kw::qd:
      pa.align = 4;
      break;
    case Kw::qnatural:
      pa.align = 0;
      break;
    case Kw::li:
      pa.left = clampInt(n, -kMaxTwips, kMaxTwips);
      break;
    case Kw::fi:
      pa.first = clampInt(n, -kMaxTwips, kMaxTwips);
      break;
    case Kw::ri:
      pa.right = clampInt(n, -kMaxTwips, kMaxTwips);
      break;
    case Kw::sb:
      pa.before = clampInt(n, 0, kMaxTwips);
      break;
    case Kw::sa:
      pa.after = clampInt(n, 0, kMaxTwips);
      break;
    case Kw::sl:
      pa.lineSpacing = clampInt(n, -kMaxTwips, kMaxTwips);
      break;
    case Kw::slmult:
      pa.lineMultiple = n != 0;
      break;
    case Kw::tqr:
      pa.nextTabType = QTextOption::RightTab;
      break;
    case Kw::tqc:
      pa.nextTabType = QTextOption::CenterTab;
      break;
    case Kw::tqdec:
      pa.nextTabType = QTextOption::DelimiterTab;
      break;
    case Kw::tx:
    case Kw::tb:
      if (pa.tabs.size() < kMaxTabs) {
        QTextOption::Tab tab(clampInt(n, 0, kMaxTwips) / 20.0, pa.nextTabType,
                             pa.nextTabType == QTextOption::DelimiterTab ? QChar(u'.') : QChar());
        pa.tabs.append(tab);
      }
      pa.nextTabType = QTextOption::LeftTab;
      break;
    default:
      // Everything else (\cocoartf, \expnd, \kerning, \pardirnatural, \paperw ...) is ignored.
      break;
  }
}

void Parser::setDest(Dest d) {
  flushBytes();
  flushRun();
  top().dest = d;
}

// ---- text ----

int Parser::codePage() const {
  const Group& g = stack_.back();
  if (g.dest == Dest::FontTable) {
    if (fontCodePage_ > 0) return fontCodePage_;
    if (const int cp = codePageOfCharset(fontCharset_)) return cp;
    return docCodePage_;
  }
  if (g.ch.font >= 0 && g.ch.font < static_cast<int>(tables_.fonts.size())) {
    const FontEntry& f = tables_.fonts[static_cast<size_t>(g.ch.font)];
    if (f.codePage > 0) return f.codePage;
    if (const int cp = codePageOfCharset(f.charset)) return cp;
  }
  return docCodePage_;
}

// A literal character of the input (or an escaped \ { }).
void Parser::rawByte(unsigned char c, bool escaped) {
  Group& g = top();
  if (skipFallback_ > 0) {
    --skipFallback_;
    return;
  }
  if (g.dest == Dest::Pict) {
    if (std::isxdigit(c) && formats_) pictHex_.push_back(static_cast<char>(c));
    return;
  }
  if (!escaped && c == ';' && g.dest == Dest::FontTable) return finishFontEntry(true);
  if (!escaped && c == ';' && g.dest == Dest::ColorTable) {
    tables_.colors.push_back(colorSet_ ? QColor(colorRed_, colorGreen_, colorBlue_) : QColor());
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

void Parser::codeByte(unsigned char b) {
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

void Parser::flushBytes() {
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
void Parser::unicodeWithFallback(int64_t n) {
  unicodeChar(n < 0 ? n + 65536 : n);
  skipFallback_ = top().uc;
}

void Parser::unicodeChar(int64_t unit) {
  if (unit <= 0 || unit > 0xFFFF) return;
  flushBytes();
  appendUnit(static_cast<char16_t>(unit));
}

// One character that is no NUL: body text, the most common case, goes straight into the run.
void Parser::appendUnit(char16_t unit) {
  if (stack_.empty()) return;
  const Group& g = top();
  if (g.dest != Dest::Text) return appendText(QString(QChar(unit)));
  if (!g.ignoreText) run_ += QChar(unit);
}

void Parser::appendText(const QString& text) {
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
      if (formats_ && !fields_.empty() && fields_.back().instruction.size() < 4096)
        fields_.back().instruction += text;
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

// ---- the font table ----

void Parser::finishFontEntry(bool always) {
  flushBytes();
  if (fontNumber_ < 0) return;
  const QString name = fontName_.trimmed();
  if (!always && name.isEmpty()) return;
  tables_.fontNumbers.push_back(fontNumber_);
  tables_.fonts.push_back({name, fontCharset_, fontCodePage_});
  fontNumber_ = -1;
  fontName_.clear();
}

// ---- runs and paragraphs ----

void Parser::flushRun() {
  if (run_.isEmpty() || stack_.empty()) return;
  placeForText();
  sink_->text(run_, top());
  run_.resize(0);  // keeps its room for the next run
}

void Parser::paragraphEnd() {
  if (top().dest != Dest::Text) return;
  if (top().ignoreText) return;
  flushBytes();
  flushRun();
  placeForText();
  sink_->paragraphEnd(top().para, listMarker_, top());
  listMarker_.clear();
  lastPara_ = top().para;
}

void Parser::finish() {
  flushBytes();
  if (!stack_.empty()) {
    flushRun();
    lastPara_ = top().para;
  }
  // The last paragraph has no \par: it takes the paragraph state in force at the end.
  sink_->finish(lastPara_, listMarker_, lastChars_ ? &*lastChars_ : nullptr);
  listMarker_.clear();
}

// ---- tables ----

// Puts the cursor where the next text belongs: into the cell whose \cell came last, into a
// new row after \row, into a new table, or out of the table after its last row.
void Parser::placeForText(bool cellContent) {
  if (stack_.empty()) return;
  const bool inTable = cellContent || top().para.inTable;
  if (!inTable) {
    if (inTable_) endTable();
    return;
  }
  if (!inTable_) return startTable();
  if (rowEnded_) {
    sink_->appendRow();
    ++row_;
    col_ = 0;
    rowEnded_ = cellPending_ = false;
    return sink_->moveToCell(row_, col_);
  }
  if (cellPending_) {
    cellPending_ = false;
    ++col_;
    if (col_ >= columns_) {
      if (columns_ >= kMaxColumns) {
        col_ = columns_ - 1;  // what would go further right joins the last cell
        return sink_->tabIntoCell(row_, col_);
      }
      sink_->appendColumn();
      ++columns_;
    }
    sink_->moveToCell(row_, col_);
  }
}

void Parser::startTable() {
  columns_ = std::clamp(static_cast<int>(rowCellx_.size()), 1, kMaxColumns);
  sink_->startTable(columns_, rowCellx_);
  inTable_ = true;
  row_ = col_ = 0;
  rowEnded_ = cellPending_ = false;
}

void Parser::endTable() {
  sink_->endTable();
  inTable_ = false;
  rowEnded_ = cellPending_ = false;
}

void Parser::cellEnd() {
  if (stack_.empty() || top().dest != Dest::Text || top().ignoreText) return;
  flushBytes();
  placeForText(true);
  flushRun();
  sink_->cellEnd(top().para, listMarker_);
  cellPending_ = true;
}

void Parser::rowEnd() {
  if (stack_.empty() || top().dest != Dest::Text || top().ignoreText) return;
  flushBytes();
  if (!inTable_) return paragraphEnd();
  if (!run_.isEmpty()) placeForText(true);
  flushRun();
  // A run outside the table's paragraphs closed the table: the row ends a paragraph then.
  if (!inTable_) return paragraphEnd();
  sink_->rowEnd(rowCellx_);
  rowEnded_ = true;
  cellPending_ = false;
}

// ---- pictures and attachments ----

void Parser::finishPicture() {
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
  insertAt(Attachment{name, pictBytes_, QString()},
           pictGoalW_ || pictW_ ? QSizeF(w / 20.0, h / 20.0) : QSizeF());
  pictBytes_.clear();
}

void Parser::finishAttachment() {
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
  insertAt(Attachment{fileName, data->data, data->sourceFolder},
           attachmentWidth_ > 0 && attachmentHeight_ > 0
               ? QSizeF(attachmentWidth_ / 20.0, attachmentHeight_ / 20.0)
               : QSizeF());
}

void Parser::insertAt(const Attachment& a, QSizeF size) {
  flushRun();
  placeForText();
  sink_->attachment(a, size, top());
}

}  // namespace pravella::rtf::detail
