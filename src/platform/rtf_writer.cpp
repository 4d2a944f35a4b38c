// The RTF writer. Text goes out as ASCII with every other character as \uN (and "?" for
// readers without Unicode), so the file reads the same under any code page. Formats are
// written as changes against the state already in force; a link becomes a HYPERLINK field.

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>

#include "platform/cformat.h"
#include "platform/console_log.h"
#include "platform/rtf.h"

namespace pravella::rtf {
namespace {

struct CharState {
  int font = 0;
  int halfPoints = 24;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  int fg = 0;
  int bg = 0;
  int vertical = 0;
};

struct ParaState {
  int align = 0;
  int left = 0, first = 0, right = 0, before = 0, after = 0;
  int lineSpacing = 0;
  bool lineMultiple = false;
  QList<QTextOption::Tab> tabs;
  bool inTable = false;
  int listId = 0;  // 1-based number of the block's list, 0 = none
  int listLevel = 0;
  bool operator==(const ParaState&) const = default;
};

// The width a table is laid out in when its columns give no lengths: a page's text (twips).
constexpr int kTableTwips = 9360;

// RTF's number formats (\levelnfc) of the list styles; 23 is a bullet.
int numberFormatOf(QTextListFormat::Style style) {
  switch (style) {
    case QTextListFormat::ListDecimal:
      return 0;
    case QTextListFormat::ListUpperRoman:
      return 1;
    case QTextListFormat::ListLowerRoman:
      return 2;
    case QTextListFormat::ListUpperAlpha:
      return 3;
    case QTextListFormat::ListLowerAlpha:
      return 4;
    default:
      return 23;
  }
}

QString bulletOf(QTextListFormat::Style style) {
  switch (style) {
    case QTextListFormat::ListCircle:
      return QString(QChar(0x25E6));
    case QTextListFormat::ListSquare:
      return QString(QChar(0x25AA));
    default:
      return QString(QChar(0x2022));
  }
}

int twips(qreal points) { return static_cast<int>(std::lround(points * 20.0)); }

// The placeholder picture of an attachment that is not a picture: a sheet with a folded corner.
QImage fileIcon() {
  QImage img(32, 40, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setPen(QColor(90, 90, 90));
  p.setBrush(QColor(245, 245, 245));
  const QPointF sheet[] = {{0.5, 0.5}, {22.5, 0.5}, {31.5, 9.5}, {31.5, 39.5}, {0.5, 39.5}};
  p.drawPolygon(sheet, 5);
  p.drawPolyline(QPolygonF({{22.5, 0.5}, {22.5, 9.5}, {31.5, 9.5}}));
  for (int y = 16; y <= 32; y += 5) p.drawLine(6, y, 26, y);
  return img;
}

// The bytes and file name of an image character: the original file when the document kept
// it, else the picture as PNG.
bool attachmentData(const QTextDocument& doc, const QTextImageFormat& f, QString& name, QByteArray& data,
                    QImage& image) {
  const QUrl url(f.name());
  name = f.property(kAttachmentFileName).toString();
  if (name.isEmpty()) name = url.fileName();
  data = doc.resource(kAttachmentDataResource, attachmentDataUrl(f.name())).toByteArray();
  const QVariant v = doc.resource(QTextDocument::ImageResource, url);
  if (v.canConvert<QImage>()) image = v.value<QImage>();
  if (data.isEmpty() && v.typeId() == QMetaType::QByteArray) data = v.toByteArray();
  if (!data.isEmpty() && image.isNull()) image = QImage::fromData(data);
  if (data.isEmpty() && !image.isNull()) {
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const qsizetype dot = name.lastIndexOf(u'.');
    name = (dot > 0 ? name.left(dot) : (name.isEmpty() ? QStringLiteral("Attachment") : name)) +
           QStringLiteral(".png");
  }
  return !data.isEmpty();
}

// What a plain .rtf holds of an attachment: PNG and JPEG as they are, any other picture as
// PNG; a file that is no picture has no place there (its shown picture is only its icon).
struct Embedding {
  QByteArray bytes;
  const char* blip = "pngblip";
  QSize pixels;
};

std::optional<Embedding> embedding(const QByteArray& data, QImage image) {
  Embedding e;
  e.bytes = data;
  QBuffer probe(&e.bytes);
  probe.open(QIODevice::ReadOnly);
  const QByteArray kind = QImageReader::imageFormat(&probe);
  probe.close();
  if (kind == "jpeg") {
    e.blip = "jpegblip";
  } else if (kind != "png") {
    image = QImage::fromData(data);
    if (image.isNull()) return std::nullopt;
    e.bytes.clear();
    QBuffer buffer(&e.bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
  }
  e.pixels = image.isNull() ? QSize(1, 1) : image.size();
  return e;
}

class Writer {
 public:
  Writer(const QTextDocument& doc, AttachmentMode mode) : doc_(doc), mode_(mode) {}

  WriteOutput run() {
    // The font table's entry 0 is the document's default family.
    fontIndex(doc_.defaultFont().family());
    for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next())
      if (QTextList* list = block.textList(); list && !lists_.contains(list)) lists_.append(list);
    QByteArray body;
    out_ = &body;
    writeFrame(doc_.rootFrame(), false);
    QByteArray head = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1";
    if (const qreal tab = doc_.defaultTextOption().tabStopDistance(); tab > 0)
      head += cformat("\\deftab%d", twips(tab)).c_str();
    head += "\n{\\fonttbl";
    for (int i = 0; i < families_.size(); ++i) {
      head += cformat("\\f%d\\fnil\\fcharset0 ", i).c_str();
      // A ";" ends a font entry: inside a name it goes as a code-page byte.
      head += escaped(families_.at(i)).replace(";", "\\'3b");
      head += ';';
    }
    head += "}\n{\\colortbl;";
    for (const QColor& c : colors_)
      head += cformat("\\red%d\\green%d\\blue%d;", c.red(), c.green(), c.blue()).c_str();
    head += "}\n";
    head += listTables();
    WriteOutput result;
    result.rtf = head + body + "}\n";
    result.attachments = std::move(attachments_);
    return result;
  }

 private:
  int fontIndex(const QString& family) {
    const qsizetype i = families_.indexOf(family);
    if (i >= 0) return static_cast<int>(i);
    families_.append(family);
    return static_cast<int>(families_.size() - 1);
  }

  int colorIndex(const QColor& c) {
    const QRgb rgb = c.rgb();
    for (int i = 0; i < colors_.size(); ++i)
      if (colors_.at(i).rgb() == rgb) return i + 1;
    colors_.append(QColor(rgb));
    return static_cast<int>(colors_.size());
  }

  // Text escaped for RTF: ASCII as it stands, the rest as \uN with a "?" fallback.
  static QByteArray escaped(const QString& text) {
    QByteArray o;
    o.reserve(text.size());
    const auto plain = [](char16_t u) {
      return u >= 0x20 && u < 0x80 && u != u'\\' && u != u'{' && u != u'}';
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
      // A run of plain ASCII goes in at once: a memo of megabytes is written in a moment.
      qsizetype run = i;
      while (run < text.size() && plain(text.at(run).unicode())) ++run;
      if (run > i) {
        o += QStringView(text).mid(i, run - i).toLatin1();
        i = run - 1;
        continue;
      }
      const char16_t u = text.at(i).unicode();
      switch (u) {
        case u'\\':
          o += "\\\\";
          continue;
        case u'{':
          o += "\\{";
          continue;
        case u'}':
          o += "\\}";
          continue;
        case u'\t':
          o += "\\tab ";
          continue;
        case 0x2028:
          o += "\\line ";
          continue;
        case 0x00A0:
          o += "\\~";
          continue;
        case 0x00AD:
          o += "\\-";
          continue;
        case 0x2011:
          o += "\\_";
          continue;
        default:
          break;
      }
      if (u == 0xFFFC) continue;  // the place of an attachment, written as the attachment
      // Other control characters are text too: \uN keeps them where a raw byte would not.
      if (u < 0x20) {
        o += cformat("\\u%d?", static_cast<int>(u)).c_str();
        continue;
      }
      o += cformat("\\u%d?", static_cast<int>(static_cast<int16_t>(u))).c_str();
    }
    return o;
  }

  ParaState paraState(const QTextBlockFormat& f) const {
    ParaState pa;
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    if (f.hasProperty(QTextFormat::BlockAlignment)) {
      if (a & Qt::AlignHCenter)
        pa.align = 2;
      else if (a & Qt::AlignJustify)
        pa.align = 4;
      else if (a & Qt::AlignRight)
        pa.align = 3;
      else if (a & Qt::AlignLeft)
        pa.align = 1;
    }
    pa.left = twips(f.leftMargin());
    pa.first = twips(f.textIndent());
    pa.right = twips(f.rightMargin());
    pa.before = twips(f.topMargin());
    pa.after = twips(f.bottomMargin());
    switch (f.lineHeightType()) {
      case QTextBlockFormat::ProportionalHeight:
        if (std::lround(f.lineHeight()) != 100) {
          pa.lineSpacing = static_cast<int>(std::lround(f.lineHeight() * 240.0 / 100.0));
          pa.lineMultiple = true;
        }
        break;
      case QTextBlockFormat::MinimumHeight:
        pa.lineSpacing = twips(f.lineHeight());
        break;
      case QTextBlockFormat::FixedHeight:
        pa.lineSpacing = -twips(f.lineHeight());
        break;
      default:
        break;
    }
    pa.tabs = f.tabPositions();
    return pa;
  }

  void writePara(const ParaState& pa) {
    QByteArray& o = *out_;
    o += "\\pard";
    for (const QTextOption::Tab& t : pa.tabs) {
      if (t.type == QTextOption::RightTab)
        o += "\\tqr";
      else if (t.type == QTextOption::CenterTab)
        o += "\\tqc";
      else if (t.type == QTextOption::DelimiterTab)
        o += "\\tqdec";
      o += cformat("\\tx%d", twips(t.position)).c_str();
    }
    if (pa.inTable) o += "\\intbl";
    if (pa.listId) {
      o += cformat("\\ls%d\\ilvl%d", pa.listId, pa.listLevel).c_str();
      // Readers that draw the list from the paragraph's indents see it where the list is.
      if (!pa.left && !pa.first) o += cformat("\\fi-360\\li%d", 720 * (pa.listLevel + 1)).c_str();
    }
    if (pa.left) o += cformat("\\li%d", pa.left).c_str();
    if (pa.first) o += cformat("\\fi%d", pa.first).c_str();
    if (pa.right) o += cformat("\\ri%d", pa.right).c_str();
    if (pa.before) o += cformat("\\sb%d", pa.before).c_str();
    if (pa.after) o += cformat("\\sa%d", pa.after).c_str();
    if (pa.lineSpacing) o += cformat("\\sl%d\\slmult%d", pa.lineSpacing, pa.lineMultiple ? 1 : 0).c_str();
    static const char* const kAlign[] = {"", "\\ql", "\\qc", "\\qr", "\\qj"};
    o += kAlign[pa.align];
    o += ' ';
  }

  CharState charState(const QTextCharFormat& f) {
    CharState ch;
    const QStringList families = f.fontFamilies().toStringList();
    ch.font = fontIndex(!families.isEmpty() && !families.first().isEmpty() ? families.first()
                                                                           : doc_.defaultFont().family());
    const qreal pt = f.fontPointSize() > 0 ? f.fontPointSize() : doc_.defaultFont().pointSizeF();
    ch.halfPoints = pt > 0 ? static_cast<int>(std::lround(pt * 2)) : 24;
    ch.bold = f.fontWeight() >= QFont::DemiBold;
    ch.italic = f.fontItalic();
    ch.underline = f.fontUnderline();
    ch.strike = f.fontStrikeOut();
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
      ch.fg = colorIndex(f.foreground().color());
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
      ch.bg = colorIndex(f.background().color());
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) ch.vertical = 1;
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) ch.vertical = -1;
    return ch;
  }

  // Writes the control words that take the state from `state_` to `to`.
  void changeTo(const CharState& to) {
    QByteArray w;
    const CharState& s = state_;
    if (to.font != s.font) w += cformat("\\f%d", to.font).c_str();
    if (to.halfPoints != s.halfPoints) w += cformat("\\fs%d", to.halfPoints).c_str();
    if (to.bold != s.bold) w += to.bold ? "\\b" : "\\b0";
    if (to.italic != s.italic) w += to.italic ? "\\i" : "\\i0";
    if (to.underline != s.underline) w += to.underline ? "\\ul" : "\\ulnone";
    if (to.strike != s.strike) w += to.strike ? "\\strike" : "\\strike0";
    if (to.fg != s.fg) w += cformat("\\cf%d", to.fg).c_str();
    // \\cb for the old readers, \\chcbpat for the rest (Word and LibreOffice ignore \\cb).
    if (to.bg != s.bg) w += cformat("\\cb%d\\chcbpat%d", to.bg, to.bg).c_str();
    if (to.vertical != s.vertical)
      w += to.vertical > 0 ? "\\super" : to.vertical < 0 ? "\\sub" : "\\nosupersub";
    if (!w.isEmpty()) *out_ += w + ' ';
    state_ = to;
  }

  // The blocks and frames of `frame` in order, a \\par after each paragraph that more follows.
  void writeFrame(QTextFrame* frame, bool inTable) {
    bool first = true;
    for (QTextFrame::iterator it = frame->begin(); !it.atEnd();) {
      QTextFrame* child = it.currentFrame();
      const QTextBlock block = it.currentBlock();
      ++it;
      const bool more = !it.atEnd();
      if (child) {
        auto* table = qobject_cast<QTextTable*>(child);
        if (table && !inTable) {
          writeTable(table);  // its rows end with \\row, which ends a paragraph
          previousValid_ = false;
        } else {
          // A table inside a cell, or another frame: its paragraphs as they come.
          writeFrame(child, inTable);
          if (more) *out_ += "\\par\n";
        }
      } else if (block.isValid()) {
        writeParagraph(block, inTable, inTable && first);
        if (more) *out_ += "\\par\n";
      }
      first = false;
    }
  }

  void writeParagraph(const QTextBlock& block, bool inTable, bool freshPard) {
    ParaState pa = paraState(block.blockFormat());
    pa.inTable = inTable;
    QTextList* list = block.textList();
    if (list) {
      pa.listId = static_cast<int>(lists_.indexOf(list)) + 1;
      pa.listLevel = std::clamp(list->format().indent() - 1, 0, 8);
    }
    if (freshPard || !previousValid_ || !(pa == previous_)) writePara(pa);
    previous_ = pa;
    previousValid_ = true;
    if (list) {
      // The marker as text, for readers that draw no lists.
      const QTextListFormat::Style style = list->format().style();
      const QString marker = numberFormatOf(style) == 23 ? bulletOf(style) : list->itemText(block);
      *out_ += "{\\listtext " + escaped(marker) + "\\tab }";
    }
    writeBlock(block);
  }

  void writeTable(QTextTable* table) {
    const int rows = table->rows();
    const int columns = table->columns();
    const QList<QTextLength> constraints = table->format().columnWidthConstraints();
    std::vector<int> widths;
    for (int c = 0; c < columns; ++c) {
      const QTextLength length = constraints.value(c);
      int w = kTableTwips / std::max(columns, 1);
      if (length.type() == QTextLength::FixedLength && length.rawValue() > 0)
        w = twips(length.rawValue());
      else if (length.type() == QTextLength::PercentageLength && length.rawValue() > 0)
        w = static_cast<int>(std::lround(kTableTwips * length.rawValue() / 100.0));
      widths.push_back(std::max(w, 20));
    }
    const bool borders = table->format().border() > 0;
    for (int r = 0; r < rows; ++r) {
      QByteArray& o = *out_;
      o += "\\trowd\\trgaph108\\trleft0";
      int right = 0;
      for (int c = 0; c < columns; ++c) {
        if (borders)
          o += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\"
               "brdrw10";
        right += widths[static_cast<size_t>(c)];
        o += cformat("\\cellx%d", right).c_str();
      }
      o += '\n';
      for (int c = 0; c < columns; ++c) {
        const QTextTableCell cell = table->cellAt(r, c);
        // A cell spanning several places is written once; the places it covers stay empty.
        if (cell.row() == r && cell.column() == c)
          writeFrameOfCell(cell);
        else
          *out_ += "\\pard\\intbl ";
        *out_ += "\\cell ";
        previousValid_ = false;
      }
      *out_ += "\\row\n";
    }
  }

  void writeFrameOfCell(const QTextTableCell& cell) {
    bool first = true;
    for (QTextFrame::iterator it = cell.begin(); !it.atEnd();) {
      QTextFrame* child = it.currentFrame();
      const QTextBlock block = it.currentBlock();
      ++it;
      const bool more = !it.atEnd();
      if (child)
        writeFrame(child, true);
      else if (block.isValid())
        writeParagraph(block, true, first);
      if (more) *out_ += "\\par\n";
      first = false;
    }
  }

  // The list table and its overrides: list i is \\ls i, with one level per indent.
  QByteArray listTables() const {
    if (lists_.isEmpty()) return {};
    QByteArray t = "{\\*\\listtable\n";
    for (int i = 0; i < lists_.size(); ++i) {
      const QTextListFormat::Style style = lists_.at(i)->format().style();
      const int nfc = numberFormatOf(style);
      t += cformat("{\\list\\listtemplateid%d\\listhybrid", i + 1).c_str();
      for (int level = 0; level < 9; ++level) {
        t +=
            cformat("{\\listlevel\\levelnfc%d\\levelnfcn%d\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat1",
                    nfc, nfc)
                .c_str();
        if (nfc == 23)
          t += "{\\leveltext\\'01" + escaped(bulletOf(style)) + ";}{\\levelnumbers;}";
        else
          t += cformat("{\\leveltext\\'02\\'%02x.;}{\\levelnumbers\\'01;}", level).c_str();
        t += cformat("\\fi-360\\li%d\\lin%d }", 720 * (level + 1), 720 * (level + 1)).c_str();
      }
      t += cformat("{\\listname ;}\\listid%d}\n", i + 1).c_str();
    }
    t += "}\n{\\*\\listoverridetable";
    for (int i = 0; i < lists_.size(); ++i)
      t += cformat("{\\listoverride\\listid%d\\listoverridecount0\\ls%d}", i + 1, i + 1).c_str();
    t += "}\n";
    return t;
  }

  void writeBlock(const QTextBlock& block) {
    QString openHref;
    CharState outside;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment frag = it.fragment();
      if (!frag.isValid()) continue;
      const QTextCharFormat f = frag.charFormat();
      const QString href = f.isAnchor() ? f.anchorHref() : QString();
      if (href != openHref) {
        if (!openHref.isEmpty()) {
          *out_ += "}}";
          state_ = outside;
        }
        if (!href.isEmpty()) {
          outside = state_;
          QString target = href;
          target.replace(u'"', QStringLiteral("%22"));
          *out_ += "{\\field{\\*\\fldinst{HYPERLINK \"" + escaped(target) + "\"}}{\\fldrslt ";
        }
        openHref = href;
      }
      changeTo(charState(f));
      if (f.isImageFormat()) {
        // Only the object characters are pictures: text that inherited the picture's format
        // (typed or pasted behind it) is written as text.
        const QString text = frag.text();
        qsizetype from = 0;
        for (qsizetype at = 0; at <= text.size(); ++at) {
          if (at < text.size() && text.at(at) != QChar::ObjectReplacementCharacter) continue;
          if (at > from) *out_ += escaped(text.mid(from, at - from));
          if (at < text.size()) writeAttachment(f.toImageFormat());
          from = at + 1;
        }
        continue;
      }
      *out_ += escaped(frag.text());
    }
    if (!openHref.isEmpty()) {
      *out_ += "}}";
      state_ = outside;
    }
  }

  // A file name not yet used in this document's folder; "TXT.rtf" is the text's own. The name
  // must read back exactly as written: the reader trims blanks around it, control characters
  // and line breaks do not survive the text, a half of a surrogate pair has no file-name
  // bytes, and the file system takes at most 255 bytes.
  QString uniqueName(QString name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
      QChar& c = name[i];
      if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
        ++i;  // a character outside the Basic Multilingual Plane: both halves stay
        continue;
      }
      if (c == u'/' || c.isSurrogate() || c.category() == QChar::Other_Control ||
          c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
        c = u'_';
    }
    name = name.trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
      name = QStringLiteral("Attachment");
    const qsizetype dot = name.lastIndexOf(u'.');
    QString base = dot > 0 ? name.left(dot) : name;
    QString ext = dot > 0 ? name.mid(dot) : QString();
    if (ext.toUtf8().size() > 32) {
      base = name;
      ext.clear();
    }
    // Room for the " 999" that makes a name unique.
    while (!base.isEmpty() && (base + QStringLiteral(" 999") + ext).toUtf8().size() > 255) base.chop(1);
    // Shortening must not cut a character of two units in half.
    if (base.size() && base.back().isHighSurrogate()) base.chop(1);
    base = base.trimmed();
    if (base.isEmpty()) base = QStringLiteral("Attachment");
    QString candidate = base + ext;
    for (int n = 1; usedNames_.contains(candidate.toLower()) ||
                    candidate.compare(QLatin1String("TXT.rtf"), Qt::CaseInsensitive) == 0;
         ++n)
      candidate = QStringLiteral("%1 %2%3").arg(base).arg(n).arg(ext);
    usedNames_.insert(candidate.toLower());
    return candidate;
  }

  void writeAttachment(const QTextImageFormat& f) {
    const QString folder = f.property(kAttachmentSourceFolder).toString();
    if (!folder.isEmpty()) return writePackage(f, folder);
    QString name;
    QByteArray data;
    QImage image;
    if (!attachmentData(doc_, f, name, data, image)) {
      showErrMessageToConsole("RTF: a picture without data was left out of the saved document.\n");
      return;
    }
    QSizeF size(f.width(), f.height());
    if (size.width() <= 0 || size.height() <= 0)
      size = image.isNull() ? QSizeF(32, 40) : QSizeF(image.size());
    if (mode_ == AttachmentMode::Separate) {
      const QString fileName = uniqueName(name);
      attachments_.push_back({fileName, data, {}});
      *out_ += "{{\\NeXTGraphic " + escaped(fileName) +
               cformat(" \\width%d \\height%d\n}\\'ac}", twips(size.width()), twips(size.height())).c_str();
      return;
    }
    const std::optional<Embedding> e = embedding(data, image);
    if (!e) {
      showErrMessageToConsole("RTF: an attachment that is not a picture was left out of the saved text.\n");
      return;
    }
    *out_ += cformat("{\\pict\\%s\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d\n", e->blip, e->pixels.width(),
                     e->pixels.height(), twips(size.width()), twips(size.height()))
                 .c_str();
    const QByteArray hex = e->bytes.toHex();
    for (qsizetype at = 0; at < hex.size(); at += 128) *out_ += hex.mid(at, 128) + '\n';
    *out_ += '}';
  }

  // A package attachment (a folder): named in the text, copied by whoever writes the files.
  void writePackage(const QTextImageFormat& f, const QString& folder) {
    if (mode_ != AttachmentMode::Separate) {
      showErrMessageToConsole("RTF: an attached package cannot live in a plain RTF file and was left out.\n");
      return;
    }
    QSizeF size(f.width(), f.height());
    if (size.width() <= 0 || size.height() <= 0) size = QSizeF(32, 40);
    const QString fileName = uniqueName(f.property(kAttachmentFileName).toString());
    attachments_.push_back({fileName, {}, folder});
    *out_ += "{{\\NeXTGraphic " + escaped(fileName) +
             cformat(" \\width%d \\height%d\n}\\'ac}", twips(size.width()), twips(size.height())).c_str();
  }

  const QTextDocument& doc_;
  AttachmentMode mode_;
  QByteArray* out_ = nullptr;
  CharState state_;
  ParaState previous_;
  bool previousValid_ = false;
  QList<QTextList*> lists_;
  QStringList families_;
  QList<QColor> colors_;
  std::vector<Attachment> attachments_;
  QSet<QString> usedNames_;
};

}  // namespace

QUrl attachmentDataUrl(const QString& imageName) { return QUrl(imageName + QStringLiteral("#original")); }

WriteOutput write(const QTextDocument& doc, AttachmentMode mode) { return Writer(doc, mode).run(); }

bool keptInPlainRtf(const QTextDocument& doc, const QTextImageFormat& f) {
  if (!f.property(kAttachmentSourceFolder).toString().isEmpty()) return false;
  QString name;
  QByteArray data;
  QImage image;
  return attachmentData(doc, f, name, data, image) && embedding(data, image).has_value();
}

QTextCharFormat textFormatOf(const QTextCharFormat& format) {
  QTextCharFormat text = format;
  for (int property : {int(QTextFormat::ObjectType), int(QTextFormat::ObjectIndex),
                       int(QTextFormat::ImageName), int(QTextFormat::ImageWidth),
                       int(QTextFormat::ImageHeight), kAttachmentFileName, kAttachmentSourceFolder})
    text.clearProperty(property);
  return text;
}

void insertAttachment(QTextCursor& cursor, const QString& fileName, const QByteArray& data, QSizeF size,
                      const QString& sourceFolder) {
  QTextDocument* doc = cursor.document();
  if (!doc) return;
  static std::atomic<int> counter{0};
  const QString url = QStringLiteral("pravella-attachment:%1").arg(++counter);
  QImage image = QImage::fromData(data);
  if (image.isNull()) image = fileIcon();
  doc->addResource(QTextDocument::ImageResource, QUrl(url), image);
  doc->addResource(kAttachmentDataResource, attachmentDataUrl(url), data);
  QTextImageFormat f;
  f.merge(textFormatOf(cursor.charFormat()));
  f.setObjectType(QTextFormat::ImageObject);
  f.setName(url);
  f.setProperty(kAttachmentFileName, fileName);
  if (!sourceFolder.isEmpty()) f.setProperty(kAttachmentSourceFolder, sourceFolder);
  if (size.width() > 0 && size.height() > 0) {
    f.setWidth(size.width());
    f.setHeight(size.height());
  }
  cursor.insertText(QString(QChar::ObjectReplacementCharacter), f);
}

}  // namespace pravella::rtf
